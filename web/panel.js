// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The station's panel in a browser. It speaks MQTT over WebSockets to the broker that
// serves this page, with the broker's logins: it reads the station's retained topics and
// publishes the same "set" commands as any other client. It holds no rule of its own:
// what it shows is what the station published, and a command refused by the station comes
// back on the station's "refused" topic. A classic script after gauge.js: the broker
// serves files without a MIME type, which browsers refuse for modules.
const BANDS = ['160', '80', '40', '30', '20', '17', '15', '12', '10'];
const METERS = 8;
const RELAYS = 12;
const $ = (id) => document.getElementById(id);

let client = null;
let prefix = '';
let canSwitch = false;
const state = { availability: 'offline', board: 'gone', relays: [], band: 'None' };
const gauges = [];
const relayButtons = [];
const bandButtons = [];

function buildPanel() {
  for (let m = 0; m < METERS; ++m) gauges.push(new Gauge($('gauges')));
  for (let n = 1; n <= RELAYS; ++n) {
    const button = button_('relay', `Relay ${n}`);
    button.dataset.relay = n;
    button.addEventListener('click', () =>
      command(`relay/${n}/set`, state.relays[n] === 'ON' ? 'OFF' : 'ON'));
    $('relays').appendChild(button);
    relayButtons[n] = button;
  }
  BANDS.forEach((band) => {
    const button = button_('band', band);
    button.dataset.band = band;
    button.addEventListener('click', () => command('band/set', band));
    $('band-buttons').appendChild(button);
    bandButtons.push(button);
  });
  $('following').addEventListener('change', (event) => {
    command('following/set', event.target.checked ? 'ON' : 'OFF');
    event.target.checked = !event.target.checked; // shown as the station says, once it does
  });
}

function button_(kind, label) {
  const button = document.createElement('button');
  button.type = 'button';
  button.className = kind;
  button.setAttribute('aria-pressed', 'false');
  const lamp = document.createElement('span');
  lamp.className = 'lamp';
  const text = document.createElement('span');
  text.className = 'label';
  text.textContent = label;
  button.append(lamp, text);
  return button;
}

function command(topic, payload) {
  // Never queued while the broker is away: a click must not act minutes later.
  if (!client || !client.connected || !canSwitch) return;
  client.publish(`${prefix}/${topic}`, payload, { qos: 1 }, (error) => {
    if (error) showRefusal(`Not sent: ${error.message}`);
  });
}

// One button per latched trip, until the station says it was acknowledged.
function showTrip(m, tripped) {
  let button = document.querySelector(`#trips button[data-meter="${m}"]`);
  if (!tripped) { button?.remove(); return; }
  if (!button) {
    button = document.createElement('button');
    button.type = 'button';
    button.dataset.meter = m;
    button.addEventListener('click', () => command(`meter/${m}/trip/set`, 'OFF'));
    $('trips').appendChild(button);
  }
  button.textContent = `Acknowledge ${gauges[m].caption || `meter ${m}`}`;
  button.disabled = !canSwitch;
}

function showRefusal(text) {
  const line = $('refused');
  line.textContent = text;
  line.hidden = false;
  clearTimeout(showRefusal.timer);
  showRefusal.timer = setTimeout(() => { line.hidden = true; }, 8000);
}

function setBadge(id, text, kind) {
  const badge = $(id);
  badge.textContent = text;
  badge.className = `badge ${kind}`;
}

function refreshControls() {
  const live = state.availability === 'online';
  for (const button of [...relayButtons.slice(1), ...bandButtons]) button.disabled = !canSwitch || !live;
  $('following').disabled = !canSwitch || !live;
  for (const button of $('trips').querySelectorAll('button')) button.disabled = !canSwitch || !live;
  $('readonly').hidden = canSwitch;
  const noReading = !live || state.board !== 'answering';
  gauges.forEach((gauge) => gauge.setNoReading(noReading));
}

// A gauge's face as the station publishes it, or null when it is not one.
function parseScale(text) {
  let scale;
  try { scale = JSON.parse(text); } catch { return null; }
  const finite = (x) => typeof x === 'number' && Number.isFinite(x);
  const band = (b) => Array.isArray(b) && finite(b[0]) && finite(b[1]) && /^#[0-9a-f]{6}$/i.test(b[2]);
  if (!scale || !finite(scale.min) || !finite(scale.max) || !Array.isArray(scale.bands) || !scale.bands.every(band))
    return null;
  return { min: scale.min, max: scale.max, ticks: finite(scale.ticks) ? scale.ticks : 0, bands: scale.bands };
}

// One retained (or live) message of the station, by its topic under the prefix.
function take(topic, text) {
  const parts = topic.split('/');
  const [kind, index, detail] = parts;
  if (kind === 'meter' && index !== undefined) {
    const gauge = gauges[Number(index)];
    if (!gauge) return;
    if (detail === undefined) {
      const value = Number(text);
      if (Number.isFinite(value)) gauge.setValue(value);
    } else if (detail === 'caption') {
      gauge.setCaption(text);
    } else if (detail === 'trip' && parts.length === 3) {
      gauge.setTripped(text === 'ON');
      showTrip(Number(index), text === 'ON');
    } else if (detail === 'scale') {
      const scale = parseScale(text);
      if (scale) gauge.setScale(scale); // an unreadable face keeps the last one
    }
  } else if (kind === 'relay' && index !== undefined) {
    const button = relayButtons[Number(index)];
    if (!button) return;
    if (detail === undefined) {
      state.relays[Number(index)] = text;
      button.setAttribute('aria-pressed', String(text === 'ON'));
    } else if (detail === 'label') {
      button.querySelector('.label').textContent = text;
    }
  } else if (topic === 'band') {
    state.band = text;
    bandButtons.forEach((b) => b.setAttribute('aria-pressed', String(b.dataset.band === text)));
  } else if (topic === 'band/code') {
    $('band-code').textContent = text;
  } else if (topic === 'following') {
    $('following').checked = text === 'ON';
  } else if (topic === 'tx') {
    setBadge('tx', 'TX', text === 'ON' ? 'alarm' : '');
  } else if (topic === 'hold') {
    setBadge('hold', 'Hold', text === 'ON' ? 'warn' : '');
  } else if (topic === 'board') {
    state.board = text;
    setBadge('board', `Board ${text}`, text === 'answering' ? 'on' : 'warn');
    refreshControls();
  } else if (topic === 'availability') {
    state.availability = text;
    setBadge('availability', text, text === 'online' ? 'on' : 'alarm');
    refreshControls();
  } else if (topic === 'refused') {
    showRefusal(text);
  }
}

function chooseStation(station) {
  if (station === prefix) return;
  if (prefix) client.unsubscribe(`${prefix}/#`);
  prefix = station;
  client.subscribe(`${prefix}/#`, { qos: 1 });
  // Whether this login may switch: the broker answers a publish on the probe topic, which
  // no station reads, with "not authorized" for a watcher.
  canSwitch = false;
  refreshControls();
  client.publish(`${prefix}/probe`, '', { qos: 1 }, (error) => {
    canSwitch = !error;
    refreshControls();
  });
}

function connect(event) {
  event.preventDefault();
  $('login-error').textContent = '';
  $('connect').disabled = true;
  const scheme = location.protocol === 'https:' ? 'wss' : 'ws';
  client = mqtt.connect(`${scheme}://${location.host}/`, {
    username: $('user').value,
    password: $('password').value,
    protocolVersion: 5,
    reconnectPeriod: 2000,
    connectTimeout: 10000,
  });
  client.on('connect', () => {
    $('login').hidden = true;
    $('panel').hidden = false;
    client.subscribe('tovana/+/availability', { qos: 1 });
    // Back after a loss: the station's retained state comes again with the subscription.
    if (prefix) { const again = prefix; prefix = ''; chooseStation(again); }
  });
  client.on('error', (error) => {
    // A refused login does not get better by trying again.
    if (!$('panel').hidden) return;
    $('login-error').textContent = error.code === 134 || error.code === 135 || error.code === 4 || error.code === 5
      ? 'Wrong user name or password.'
      : `The broker cannot be reached: ${error.message}`;
    logout();
  });
  client.on('close', () => {
    state.availability = 'offline';
    setBadge('availability', 'broker lost', 'alarm');
    refreshControls();
  });
  client.on('message', (topic, payload) => {
    const text = payload.toString();
    const station = topic.split('/').slice(0, 2).join('/');
    if (topic.endsWith('/availability')) addStation(station);
    if (station === prefix) take(topic.slice(prefix.length + 1), text);
  });
}

function addStation(station) {
  const select = $('station');
  if (![...select.options].some((o) => o.value === station)) {
    select.add(new Option(station.split('/')[1], station));
    const wanted = new URLSearchParams(location.search).get('station');
    if (!prefix || wanted === station) { select.value = station; chooseStation(station); }
  }
}

function logout() {
  if (client) client.end(true);
  client = null;
  prefix = '';
  $('station').replaceChildren();
  $('panel').hidden = true;
  $('login').hidden = false;
  $('connect').disabled = false;
}

buildPanel();
$('login').addEventListener('submit', connect);
$('logout').addEventListener('click', logout);
$('station').addEventListener('change', (event) => chooseStation(event.target.value));
refreshControls();

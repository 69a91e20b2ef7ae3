// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The web panel end to end: a Mosquitto broker with the example access list, serving the
// page; the station without a screen on the simulated boards; Debian's Chromium driven by
// playwright-core. Run through web-panel-check, which provides the session bus.
// --bench: page load, publish-to-needle and click-to-line figures instead of the checks.
// --screenshot FILE: a picture of the operator's panel.
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import readline from 'node:readline';

const bin = process.env.TOVANA_BIN;
const work = process.env.TOVANA_WORK;
const source = process.env.TOVANA_SOURCE;
const requireNpm = createRequire(path.join(bin, 'web-npm', 'package.json'));
const { chromium } = requireNpm('playwright-core');
const mqtt = requireNpm('mqtt');

const args = process.argv.slice(2);
const bench = args.includes('--bench');
const screenshot = args.includes('--screenshot') ? args[args.indexOf('--screenshot') + 1] : null;
const prefix = 'tovana/webcheck';
const passwords = { tovana: 'station-pw', operator: 'operator-pw', viewer: 'viewer-pw' };
const children = [];

function freePort() {
  return new Promise((resolve) => {
    const server = net.createServer().listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// A child process whose output lines are kept, stamped with when they came.
function start(name, command, argv, env = {}) {
  const child = spawn(command, argv, { env: { ...process.env, ...env }, stdio: ['ignore', 'pipe', 'pipe'] });
  const lines = [];
  for (const stream of [child.stdout, child.stderr]) {
    readline.createInterface({ input: stream }).on('line', (line) => {
      lines.push({ line, at: performance.now() });
      if (process.env.TOVANA_WEB_VERBOSE) console.error(`${name}: ${line}`);
    });
  }
  children.push(child);
  return { child, lines };
}

async function until(what, condition, timeoutMs = 10000) {
  const end = performance.now() + timeoutMs;
  for (;;) {
    const value = await condition();
    if (value) return value;
    if (performance.now() > end) throw new Error(`timed out waiting for ${what}`);
    await new Promise((r) => setTimeout(r, 20));
  }
}

const lineAfter = (proc, pattern, since) => proc.lines.find((l) => l.at >= since && pattern.test(l.line));

async function setUp() {
  const config = path.join(work, 'config');
  fs.mkdirSync(path.join(config, 'Tovana2'), { recursive: true });
  // The transmit hold on, so that PTT from the link server holds the band relays.
  fs.writeFileSync(path.join(config, 'Tovana2', 'Tovana2.conf'), '[Interlock]\nHoldWhileTx=True\n');
  const passwd = path.join(work, 'passwd');
  for (const [user, password] of Object.entries(passwords))
    execFileSync('mosquitto_passwd', [...(fs.existsSync(passwd) ? [] : ['-c']), '-b', passwd, user, password]);
  const stationPassword = path.join(work, 'station-password');
  fs.writeFileSync(stationPassword, `${passwords.tovana}\n`, { mode: 0o600 });

  const mqttPort = await freePort();
  const webPort = await freePort();
  // The example access list as shipped; the listeners as the example has them, on free
  // ports and without TLS (the browser here would not trust a test CA).
  // `user`: the broker run as root would otherwise become "mosquitto" and lose our files.
  fs.writeFileSync(path.join(work, 'mosquitto.conf'), [
    `user ${os.userInfo().username}`, 'per_listener_settings false', 'allow_anonymous false',
    `password_file ${passwd}`, `acl_file ${path.join(source, 'docs/mqtt/tovana.acl')}`,
    `listener ${mqttPort} 127.0.0.1`,
    `listener ${webPort} 127.0.0.1`, 'protocol websockets', `http_dir ${path.join(bin, 'share/tovana/web')}`, '',
  ].join('\n'));
  const broker = start('broker', 'mosquitto', ['-c', path.join(work, 'mosquitto.conf')]);
  await until('the broker', () => lineAfter(broker, /running/, 0));

  const env = { XDG_CONFIG_HOME: config, DISPLAY: '', WAYLAND_DISPLAY: '' };
  const boards = start('boards', path.join(bin, 'tools/boardsim/tovana-boardsim'),
    ['--port', '1', '--baud', '19200', '--channel', '1=ramp:3s'], env);
  await until('the boards', () => lineAfter(boards, /^ready/, 0));
  const station = start('station', path.join(bin, 'monitor/tovana'), ['--headless',
    '--broker-host', '127.0.0.1', '--broker-port', String(mqttPort), '--user', 'tovana',
    '--password-file', stationPassword, '--topic-prefix', prefix], env);

  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
  return { boards, station, browser, mqttPort, url: `http://127.0.0.1:${webPort}/index.html` };
}

async function login(browser, url, user, password) {
  const page = await browser.newPage({ viewport: { width: 1000, height: 760 } });
  await page.goto(url);
  await page.fill('#user', user);
  await page.fill('#password', password);
  await page.click('#connect');
  return page;
}

const gaugeValue = (page, m) => page.locator('svg.gauge').nth(m).getAttribute('data-value');
const cli = (...argv) => execFileSync(path.join(bin, 'link/cli/tethra-cli'), argv);

async function checks({ boards, browser, url }) {
  // A wrong password: refused by the broker, said so on the page.
  const stranger = await login(browser, url, 'operator', 'wrong');
  await until('the refusal', async () =>
    (await stranger.textContent('#login-error')) === 'Wrong user name or password.');
  await stranger.close();

  // The operator: readings that move, a relay that switches on the line.
  const page = await login(browser, url, 'operator', passwords.operator);
  await until('a reading', async () =>
    (await page.locator('svg.gauge').first().getAttribute('data-no-reading')) === 'false', 15000);
  const first = await gaugeValue(page, 0);
  await until('the ramp to move the needle', async () => (await gaugeValue(page, 0)) !== first);
  const relay3 = page.locator('button.relay[data-relay="3"]');
  await until('the buttons to be enabled', () => relay3.isEnabled());
  const clicked = performance.now();
  await relay3.click();
  await until('relay 3 on the line', () => lineAfter(boards, /^relay 3 on/, clicked));
  await until('relay 3 lit', async () => (await relay3.getAttribute('aria-pressed')) === 'true');

  // Transmitting under the hold: a band click is refused, on the page and on the line.
  cli('set', 'PTT', '1');
  await until('TX shown', async () => /alarm/.test(await page.getAttribute('#tx', 'class')));
  const refusedAt = performance.now();
  await page.click('button.band[data-band="20"]');
  await until('the refusal shown', async () => (await page.isVisible('#refused')) &&
    (await page.textContent('#refused')).length > 0);
  assert.equal(lineAfter(boards, /^band code/, refusedAt), undefined, 'a held band reached the line');
  cli('set', 'PTT', '0');

  // A watcher: every control disabled, and a publish forced from the console dropped.
  const viewer = await login(browser, url, 'viewer', passwords.viewer);
  await until('the read-only note', () => viewer.isVisible('#readonly'));
  assert.ok(await viewer.locator('button.relay[data-relay="5"]').isDisabled());
  assert.ok(await viewer.locator('#following').isDisabled());
  const forcedAt = performance.now();
  await viewer.evaluate(([topic, password]) => new Promise((resolve) => {
    const own = mqtt.connect(`ws://${location.host}/`, { username: 'viewer', password, protocolVersion: 5 });
    own.on('connect', () => own.publish(topic, 'ON', { qos: 1 }, () => { own.end(); resolve(); }));
  }), [`${prefix}/relay/5/set`, passwords.viewer]);
  await new Promise((r) => setTimeout(r, 1500));
  assert.equal(lineAfter(boards, /^relay 5/, forcedAt), undefined, "a watcher's publish switched a relay");
  assert.equal(await page.locator('button.relay[data-relay="5"]').getAttribute('aria-pressed'), 'false');

  if (screenshot) await page.screenshot({ path: screenshot });
  console.log('web panel: every check passed');
}

function percentile(values, q) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

async function measure({ boards, browser, url, mqttPort }) {
  // A cold load each time: a new page has a new browser context, with nothing cached.
  const loads = [];
  const logins = [];
  for (let k = 0; k < 10; ++k) {
    const started = performance.now();
    const page = await browser.newPage();
    await page.goto(url);
    const loaded = performance.now();
    await page.fill('#user', 'operator');
    await page.fill('#password', passwords.operator);
    await page.click('#connect');
    await page.waitForFunction(() => document.querySelector('svg.gauge')?.dataset.noReading === 'false');
    loads.push(loaded - started);
    logins.push(performance.now() - loaded);
    await page.close();
  }
  const page = await login(browser, url, 'operator', passwords.operator);
  await page.waitForFunction(() => document.querySelector('svg.gauge')?.dataset.noReading === 'false');
  // The station's publish of meter 0, as another subscriber receives it, to the needle's
  // move in the page: both stamped on this machine's wall clock.
  await page.evaluate(() => {
    window.moves = [];
    new MutationObserver(() => window.moves.push({ at: Date.now(), value: document.querySelector('svg.gauge').dataset.value }))
      .observe(document.querySelector('svg.gauge'), { attributes: true, attributeFilter: ['data-value'] });
  });
  const watcher = mqtt.connect(`mqtt://127.0.0.1:${mqttPort}`, { username: 'viewer', password: passwords.viewer });
  const published = [];
  watcher.on('message', (topic, payload) => published.push({ at: Date.now(), value: Number(payload.toString()) }));
  await new Promise((r) => watcher.on('connect', () => watcher.subscribe(`${prefix}/meter/0`, r)));
  await new Promise((r) => setTimeout(r, 15000));
  const moves = await page.evaluate(() => window.moves);
  const needle = [];
  // A value comes round again on the ramp: a move counts for a publish only within 2 s. The
  // page may beat the bench's own subscriber to it: a difference can be below zero.
  let missed = 0;
  for (const p of published.slice(1)) {
    const move = moves.find((m) => m.at >= p.at - 50 && m.at <= p.at + 2000 && Number(m.value) === p.value);
    if (move) needle.push(move.at - p.at);
    else ++missed;
  }
  const clicks = [];
  for (let k = 0; k < 20; ++k) {
    const clicked = performance.now();
    await page.click('button.relay[data-relay="7"]');
    const line = await until('relay 7 on the line', () => lineAfter(boards, /^relay 7 /, clicked));
    clicks.push(line.at - clicked);
  }
  watcher.end();
  const show = (name, v) => console.log(`${name}: median ${percentile(v, 0.5).toFixed(1)} ms, p99 ${percentile(v, 0.99).toFixed(1)} ms, n=${v.length}`);
  show('page load (the broker serving the files)', loads);
  show('log in to the first gauge with a reading', logins);
  show('station publish to needle moved, against a plain subscriber', needle);
  console.log(`  publishes with no move within 2 s: ${missed} of ${published.length - 1}`);
  show('click to relay byte on the line', clicks);
}

let failed = false;
try {
  const parts = await setUp();
  try {
    await (bench ? measure(parts) : checks(parts));
  } finally {
    await parts.browser.close();
  }
} catch (error) {
  console.error(`web panel: ${error.stack ?? error}`);
  failed = true;
} finally {
  for (const child of children) child.kill('SIGTERM');
}
process.exit(failed ? 1 : 0);

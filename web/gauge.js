// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// One annular gauge in SVG, drawn by the desktop gauge's rules: a cream plate, the scale
// arc of 140 degrees above the hub with its ground ring, a fine inner line and the three
// colour bands, major ticks with numbers at the finest step that keeps them apart, minor
// ticks, the bold caption below the hub, and the red needle, greyed and dashed while the
// board gives no reading.

const SVG = 'http://www.w3.org/2000/svg';
const WIDTH = 210;
const HEIGHT = 114;
const START = 160;   // degrees: the scale minimum, left
const SWEEP = 140;   // clockwise to the maximum, right
const MAX_MAJORS = 10;
const MAX_SUBTICKS = 20;
const INK = '#1e1e1e';
const NEEDLE = '#c81414';
const NO_READING = '#969696';

// The next distance between major ticks above `step` (or the first that splits the span
// into at most five parts when `step` is 0): 1, 2, 2.5 or 5 times a power of ten.
function niceStep(span, step) {
  const rough = step > 0 ? step * (1 + 1e-9) : Math.abs(span) / 5;
  if (!(rough > 0) || !Number.isFinite(rough)) return 0;
  const power = Math.pow(10, Math.floor(Math.log10(rough)));
  for (const nice of [1, 2, 2.5, 5, 10]) {
    if (nice * power >= rough * (1 - 1e-9) && (step === 0 || nice * power > step * (1 + 1e-12)))
      return nice * power;
  }
  return 10 * power;
}

function element(name, attributes, parent) {
  const node = document.createElementNS(SVG, name);
  for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, value);
  if (parent) parent.appendChild(node);
  return node;
}

function polar(cx, cy, radius, degrees) {
  const rad = (degrees * Math.PI) / 180;
  return [cx + radius * Math.cos(rad), cy - radius * Math.sin(rad)];
}

function numberText(value, step) {
  if (Math.abs(value) < step * 1e-9) value = 0;
  return String(Number(value.toPrecision(4)));
}

class Gauge {
  constructor(parent) {
    this.svg = element('svg', { viewBox: `0 0 ${WIDTH} ${HEIGHT}`, class: 'gauge', role: 'img' }, parent);
    this.face = element('g', {}, this.svg);
    this.needle = element('line', { 'stroke-width': 2.8, 'stroke-linecap': 'round' }, this.svg);
    this.hub = element('circle', {}, this.svg);
    this.scale = { min: 0, max: 5, ticks: 4, bands: [[0, 3, '#008000'], [3, 4, '#ffff00'], [4, 5, '#ff0000']] };
    this.caption = '';
    this.value = 0;
    this.noReading = true;
    // From the bottom up: the caption, the hub just above it, the arc above the hub.
    const margin = 4;
    this.captionPixels = HEIGHT * 0.135;
    this.captionY = HEIGHT - margin - 3;
    this.cap = HEIGHT * 0.055;
    this.cx = WIDTH / 2;
    this.cy = HEIGHT - margin - this.captionPixels * 1.2 - this.cap - 1;
    const halfChord = Math.sin(((SWEEP / 2) * Math.PI) / 180);
    this.radius = Math.min(this.cy - margin, (WIDTH / 2 - margin) / halfChord);
    this.ring = this.radius * 0.11;
    this.drawFace();
    this.drawNeedle();
  }

  setScale(scale) { this.scale = scale; this.drawFace(); this.drawNeedle(); }
  setCaption(caption) { this.caption = caption; this.drawFace(); }
  setValue(value) { this.value = value; this.drawNeedle(); }
  setNoReading(noReading) { this.noReading = noReading; this.drawNeedle(); }
  // A latched trip of the meter's limit: a red frame until it is acknowledged.
  setTripped(tripped) { this.svg.classList.toggle('tripped', tripped); }

  angleFor(value) {
    const span = this.scale.max - this.scale.min;
    if (span === 0 || !Number.isFinite(span)) return START;
    const f = (value - this.scale.min) / span;
    return START - SWEEP * (Number.isNaN(f) ? 0 : Math.min(1, Math.max(0, f)));
  }

  drawFace() {
    const g = this.face;
    g.replaceChildren();
    element('rect', { x: 0.5, y: 0.5, width: WIDTH - 1, height: HEIGHT - 1, rx: 6, fill: '#f6f3e8', stroke: '#5a5a5a' }, g);
    const { min, max } = this.scale;
    const inner = this.radius - this.ring;
    const segment = (from, to, outerR, innerR, colour) => {
      const a0 = this.angleFor(Math.min(from, to));
      const a1 = this.angleFor(Math.max(from, to));
      if (a0 - a1 <= 0) return;
      const [x0, y0] = polar(this.cx, this.cy, outerR, a0);
      const [x1, y1] = polar(this.cx, this.cy, outerR, a1);
      const [x2, y2] = polar(this.cx, this.cy, innerR, a1);
      const [x3, y3] = polar(this.cx, this.cy, innerR, a0);
      element('path', {
        d: `M${x0},${y0} A${outerR},${outerR} 0 0 1 ${x1},${y1} L${x2},${y2} A${innerR},${innerR} 0 0 0 ${x3},${y3} Z`,
        fill: colour,
      }, g);
    };
    segment(min, max, this.radius, inner, '#c8c8c8');
    for (const [from, to, colour] of this.scale.bands) segment(from, to, this.radius, inner, colour);
    segment(min, max, inner + 1.6, inner, '#505050');

    // Numbers: the finest step whose numbers stand apart (judged from an estimate of their
    // width, as the page has no font metrics before it is drawn).
    const span = max - min;
    const pixels = HEIGHT * 0.13;
    let step = niceStep(span, 0);
    let numbers = [];
    for (; step > 0 && Number.isFinite(step); step = niceStep(span, step)) {
      numbers = this.placeNumbers(step, pixels);
      const apart = numbers.every((n, k) => k === 0 || !overlaps(numbers[k - 1].box, n.box));
      if (apart || numbers.length <= 2) break;
    }
    const hi = Math.max(min, max);
    const subTicks = Math.min(Math.max(0, this.scale.ticks | 0), MAX_SUBTICKS);
    for (const n of numbers) {
      const a = this.angleFor(n.value);
      const [ox, oy] = polar(this.cx, this.cy, this.radius + 3, a);
      const [ix, iy] = polar(this.cx, this.cy, inner - 4, a);
      element('line', { x1: ox, y1: oy, x2: ix, y2: iy, stroke: INK, 'stroke-width': 2.4 }, g);
      const text = element('text', {
        x: n.x, y: n.y, 'font-size': pixels, fill: INK, 'text-anchor': 'middle', 'dominant-baseline': 'central',
      }, g);
      text.textContent = n.text;
      for (let k = 1; k <= subTicks; ++k) {
        const minor = n.value + (step * k) / (subTicks + 1);
        if (minor > hi + step * 1e-9) break;
        const am = this.angleFor(minor);
        const [mx0, my0] = polar(this.cx, this.cy, this.radius, am);
        const [mx1, my1] = polar(this.cx, this.cy, this.radius - this.ring / 2, am);
        element('line', { x1: mx0, y1: my0, x2: mx1, y2: my1, stroke: INK, 'stroke-width': 1.4 }, g);
      }
    }
    const caption = element('text', {
      x: this.cx, y: this.captionY, 'font-size': this.captionPixels, 'font-weight': 'bold', fill: INK,
      'text-anchor': 'middle',
    }, g);
    caption.textContent = this.caption;
    const title = element('title', {}, g);
    title.textContent = this.caption;
  }

  placeNumbers(step, pixels) {
    const lo = Math.min(this.scale.min, this.scale.max);
    const hi = Math.max(this.scale.min, this.scale.max);
    const first = Math.ceil(lo / step - 1e-9) * step;
    const majors = Math.min(MAX_MAJORS, Math.max(0, Math.floor((hi - first) / step + 1e-9)));
    const inner = this.radius - this.ring;
    const numbers = [];
    for (let m = 0; m <= majors; ++m) {
      const value = first + m * step;
      const text = numberText(value, step);
      const w = text.length * pixels * 0.6;
      const h = pixels * 1.2;
      const r = inner - 3 - Math.hypot(w, h) / 2;
      const [x, y] = polar(this.cx, this.cy, r, this.angleFor(value));
      numbers.push({ value, text, x, y, box: { x: x - w / 2, y: y - h / 2, w, h } });
    }
    return numbers;
  }

  drawNeedle() {
    const [x, y] = polar(this.cx, this.cy, this.radius - 1, this.angleFor(this.value));
    const colour = this.noReading ? NO_READING : NEEDLE;
    for (const [k, v] of Object.entries({ x1: this.cx, y1: this.cy, x2: x, y2: y, stroke: colour }))
      this.needle.setAttribute(k, v);
    if (this.noReading) this.needle.setAttribute('stroke-dasharray', '5 3');
    else this.needle.removeAttribute('stroke-dasharray');
    for (const [k, v] of Object.entries({ cx: this.cx, cy: this.cy, r: this.cap, fill: this.noReading ? NO_READING : INK }))
      this.hub.setAttribute(k, v);
    this.svg.dataset.value = String(this.value);
    this.svg.dataset.noReading = String(this.noReading);
  }
}

function overlaps(a, b) {
  return a.x - 1 < b.x + b.w && b.x - 1 < a.x + a.w && a.y - 1 < b.y + b.h && b.y - 1 < a.y + a.h;
}

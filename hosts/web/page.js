// TOLVA's web page. Loads the module that fits the browser (SIMD128 where WebAssembly SIMD
// validates, the scalar one elsewhere) and either plays the animation full window, or, with
// "hash" or "bench" in the address, draws off-screen with the scripted clock and writes
// tolva-render's INDEX HASH lines or the median drawing time into the page.
//
// Implemented: the canvas at its size in device pixels; each frame drawn by the module straight
// into one RGBA image in its memory, and each changed band sent from it with putImageData's dirty
// rectangle; steps counted from
// the clock on requestAnimationFrame, a few at most per display frame; the scale from
// devicePixelRatio; a resize or a new ratio restarts the animation; nothing drawn while hidden (the browser stops the frames); the control panel, its
// settings in the address and in localStorage; full screen with the other hosts' exit rule.
"use strict";

// What a page may ask for, by the settings' names in this script; key names each in the
// address and in what the browser keeps. A value that is not a whole number gets the fallback;
// one out of range, the nearest limit.
const Live = {
  trailCount: {key: "count", low: 2, high: 80, fallback: 25},
  colorMode: {key: "color", low: 1, high: 9, fallback: 1},
  rate: {key: "rate", low: 10, high: 120, fallback: 64},
  corner: {key: "corner", low: 0, high: 1, fallback: 0},
};
const Offscreen = {
  trailCount: {low: 0, high: 1000, fallback: 25},
  colorMode: {low: 0, high: 1000, fallback: 1},
  frames: {low: 1, high: 1000000, fallback: 300},
  clock: {low: 0, high: 4294967295, fallback: 0},
  side: {low: 1, high: 8192, fallback: 640},
};
// One step every period of the frame rate (15.625 ms at the default 64); a display frame takes
// at most a few, and a late one drops the rest rather than racing to catch up.
const WebPace = {stepMilliseconds: (rate) => 1000 / rate, maxStepsPerDisplayFrame: 4};
const SchemeNames = ["Red", "Green", "Blue", "Purple", "Cyan", "Yellow", "White",
  "A colour for each trail", "One colour, changing every 10 seconds"];
const StoreKey = "tolva.settings";
const Flags = {scripted: 1, image: 2};
const PanelRestMilliseconds = 2500;
const BenchWarmUpFrames = 500;

function WholeNumber(text, limit) {
  if (typeof text !== "string" || !/^\s*[+-]?\d+\s*$/.test(text)) return limit.fallback;
  return Math.min(limit.high, Math.max(limit.low, Number(text)));
}

// WIDTHxHEIGHT, each side capped, or 640x480.
function ParseSize(text) {
  const match = /^\s*(\d+)\s*[xX]\s*(\d+)\s*$/.exec(text || "");
  if (!match) return {width: 640, height: 480};
  return {width: WholeNumber(match[1], Offscreen.side), height: WholeNumber(match[2], Offscreen.side)};
}

// The page's settings: the address first, then what the browser kept, then the defaults.
function LoadSettings(query) {
  let stored = new URLSearchParams();
  try {
    stored = new URLSearchParams(localStorage.getItem(StoreKey) || "");
  } catch (e) {
    // Storage refused (a private window, a file:// policy): the address alone counts.
  }
  const settings = {};
  for (const [name, limit] of Object.entries(Live)) {
    const text = query.has(limit.key) ? query.get(limit.key) : stored.get(limit.key);
    settings[name] = WholeNumber(text === null ? undefined : text, limit);
  }
  return settings;
}

function SaveSettings(settings) {
  const keyed = Object.entries(Live).map(([name, limit]) => [limit.key, settings[name]]);
  const text = new URLSearchParams(keyed).toString();
  try {
    localStorage.setItem(StoreKey, text);
  } catch (e) {
    // Kept in the address only.
  }
  try {
    history.replaceState(null, "", "?" + text);
  } catch (e) {
    // Some browsers refuse to change a file:// address; the stored copy still holds.
  }
}

function ShowMessage(text) {
  const message = document.getElementById("message");
  message.textContent = text;
  message.hidden = false;
}

// A script that waits for the hash or bench mode reads data-done: a run that cannot finish says
// so there as a finished one does, rather than leave it waiting for its time-out.
function Fail(text) {
  ShowMessage(text);
  const query = new URLSearchParams(location.search);
  if (query.has("hash") || query.has("bench")) document.body.dataset.done = "failed";
}

// The smallest module with a SIMD128 instruction: one function returning v128.const 0.
const SimdProbe = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1,
  0, 10, 22, 1, 20, 0, 253, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 11]);


function Decode(base64) {
  const text = atob(base64);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  return bytes;
}

// The module's calls, over the one WebHost it made.
class Tolva {
  static async Load(name) {
    const module = await WebAssembly.compile(Decode(TolvaModules[name]));
    let exports = null;
    // A standalone module asks for a few system calls; none of them has work to do here.
    const calls = {
      emscripten_notify_memory_growth() {},
      environ_sizes_get(count, size) {
        new Uint32Array(exports.memory.buffer, count, 1)[0] = 0;
        new Uint32Array(exports.memory.buffer, size, 1)[0] = 0;
        return 0;
      },
      environ_get() { return 0; },
      proc_exit(code) { throw new Error("the module stopped with code " + code); },
    };
    const imports = {};
    for (const wanted of WebAssembly.Module.imports(module)) {
      imports[wanted.module] = imports[wanted.module] || {};
      imports[wanted.module][wanted.name] = calls[wanted.name] ||
        (() => { throw new Error("the module called " + wanted.name); });
    }
    exports = (await WebAssembly.instantiate(module, imports)).exports;
    exports._initialize();
    return new Tolva(exports);
  }

  constructor(exports) {
    this.x = exports;
    this.host = exports.tolva_create();
  }

  // start: {width, height, trailCount, colorMode, clockStart, flags, scale}, as the module's
  // AnimationStart has them.
  Start(start) {
    return this.x.tolva_start(this.host, start.width, start.height, start.trailCount,
        start.colorMode, start.clockStart, start.flags, start.scale) === 1;
  }
  Step(clockMs) { return this.x.tolva_step(this.host, clockMs >>> 0); }
  Bands(count) { return new Int32Array(this.x.memory.buffer, this.x.tolva_bands(this.host), count * 4); }
  Image(width, height) {
    const data = new Uint8ClampedArray(this.x.memory.buffer, this.x.tolva_image(this.host),
        width * height * 4);
    return new ImageData(data, width, height);
  }
  Text(pointer) {
    const bytes = new Uint8Array(this.x.memory.buffer, pointer);
    return String.fromCharCode(...bytes.subarray(0, bytes.indexOf(0)));
  }
  HashLine() { return this.Text(this.x.tolva_hash_line(this.host)); }
  DrawPath() { return this.Text(this.x.tolva_draw_path(this.host)); }
  ExitStart(x, y) { this.x.tolva_exit_start(this.host, x, y); }
  ExitOnKey() { return this.x.tolva_exit_on_key(this.host) === 1; }
  ExitOnButton(button) { return this.x.tolva_exit_on_button(this.host, button) === 1; }
  ExitOnMotion(x, y) { return this.x.tolva_exit_on_motion(this.host, x, y) === 1; }
}

// Sends the bands of the step that drew count of them from the module's image to the canvas.
function PutBands(tolva, context, image, count) {
  const bands = tolva.Bands(count);
  for (let i = 0; i < count * 4; i += 4) {
    const top = bands[i], bottom = bands[i + 1], left = bands[i + 2], right = bands[i + 3];
    context.putImageData(image, 0, 0, left, top, right - left, bottom - top);
  }
}

// Hash and bench: off-screen, with the scripted clock, in slices so the page stays responsive.
// Each slice's lines go into a block of their own that the browser lays out only while it is on
// screen: the whole box, laid out after every slice, took minutes and gigabytes for a million
// frames.
// With "image" the frames are drawn into the RGBA image and, in the bench, their bands put on a
// canvas of the page's, as the live page does.
function RunOffscreen(tolva, query) {
  const out = document.getElementById("out");
  const bench = query.has("bench");
  const size = ParseSize(query.get("size"));
  const frames = WholeNumber(query.get("frames") || undefined, Offscreen.frames);
  const start = {
    width: size.width,
    height: size.height,
    trailCount: WholeNumber(query.get("count") || undefined, Offscreen.trailCount),
    colorMode: WholeNumber(query.get("color") || undefined, Offscreen.colorMode),
    clockStart: WholeNumber(query.get("clock") || undefined, Offscreen.clock),
    flags: Flags.scripted | (query.has("image") ? Flags.image : 0),
    scale: ScaleUnits(ParseScale(query.get("scale"))),
  };
  document.body.classList.add("offscreen");
  out.hidden = false;
  if (!tolva.Start(start)) {
    Fail(`No memory for a ${size.width}x${size.height} surface.`);
    return;
  }
  document.body.dataset.path = tolva.DrawPath();
  let present = () => {};
  if (query.has("image")) {
    const canvas = document.createElement("canvas");
    canvas.width = size.width;
    canvas.height = size.height;
    const context = canvas.getContext("2d", {alpha: false});
    const image = tolva.Image(size.width, size.height);
    present = (count) => PutBands(tolva, context, image, count);
  }
  const total = bench ? BenchWarmUpFrames + frames : frames;
  const times = [];
  let index = 0;
  const slice = () => {
    const lines = [];
    const until = performance.now() + 50;
    try {
      while (index < total && performance.now() < until) {
        const begin = performance.now();
        present(tolva.Step(0));
        if (bench && index >= BenchWarmUpFrames) times.push(performance.now() - begin);
        if (!bench) lines.push(tolva.HashLine());
        ++index;
      }
    } catch (e) {
      Fail(`TOLVA's module failed at frame ${index}: ${e.message}`);
      return;
    }
    if (lines.length) {
      const block = document.createElement("span");
      block.className = "lines";
      block.style.setProperty("--lines", lines.length);
      block.textContent = lines.join("");
      out.append(block);
    }
    if (index < total) {
      setTimeout(slice, 0);
      return;
    }
    if (bench) {
      times.sort((a, b) => a - b);
      const median = times[times.length >> 1];
      out.append(`${tolva.DrawPath()} ${size.width}x${size.height} median ${median.toFixed(3)} ms` +
          ` over ${frames} frames\n`);
    }
    document.body.dataset.done = bench ? "bench" : "hash";
  };
  slice();
}

// The scale k in 256ths, as the module takes it: 0.5 to 8, 1 for anything that is not a number.
function ScaleUnits(k) {
  if (Number.isNaN(k)) k = 1;
  return Math.round(256 * Math.min(8, Math.max(0.5, k)));
}

// The address's scale: a decimal number (Infinity the largest of all), NaN for anything else,
// blanks and hexadecimal included, which Number() would take.
function ParseScale(text) {
  const decimal = /^\s*[+-]?((\d+\.?\d*|\.\d+)([eE][+-]?\d+)?|Infinity)\s*$/;
  return text !== null && decimal.test(text) ? Number(text) : NaN;
}

// The canvas in device pixels, one logical pixel a CSS pixel: on a display of devicePixelRatio 2
// the trails are drawn with twice the pixels and keep the size they have on an ordinary one. A
// side past the limit shrinks both sides and the scale by one factor, so the picture keeps its
// shape and its trails their size when the browser stretches it over the window.
function DeviceSize() {
  const ratio = window.devicePixelRatio || 1;
  const width = Math.max(1, Math.round(window.innerWidth * ratio));
  const height = Math.max(1, Math.round(window.innerHeight * ratio));
  const fit = Math.min(1, Offscreen.side.high / Math.max(width, height));
  const side = (pixels) => Math.min(Offscreen.side.high, Math.max(1, Math.round(pixels * fit)));
  return {width: side(width), height: side(height), scale: ScaleUnits(ratio * fit)};
}

// The live page: the animation, its pace, the panel and full screen.
class LiveView {
  constructor(tolva, settings) {
    this.tolva = tolva;
    this.settings = settings;
    this.canvas = document.getElementById("view");
    this.context = this.canvas.getContext("2d", {alpha: false});
    this.corner = document.getElementById("corner");
    this.panel = document.getElementById("panel");
    this.size = null;
    this.image = null;
    this.due = null;
    this.full = false;
    this.counted = {steps: 0, frames: 0, since: 0};
    this.restTimer = 0;
  }

  Restart(size) {
    this.size = size;
    this.canvas.width = size.width;
    this.canvas.height = size.height;
    this.context.fillStyle = "#000";
    this.context.fillRect(0, 0, size.width, size.height);
    this.image = null;
    const start = {width: size.width, height: size.height, trailCount: this.settings.trailCount,
      colorMode: this.settings.colorMode, clockStart: 0, flags: Flags.image, scale: size.scale};
    if (!this.tolva.Start(start)) {
      ShowMessage(`No memory for a ${size.width}x${size.height} picture.`);
      return;
    }
    document.getElementById("message").hidden = true;
    document.body.dataset.path = this.tolva.DrawPath();
    this.image = this.tolva.Image(size.width, size.height);
    this.due = null;
  }

  // One step: the next frame, and each band it changed sent to the canvas.
  Step(clockMs) {
    PutBands(this.tolva, this.context, this.image, this.tolva.Step(clockMs));
  }

  Frame(now) {
    requestAnimationFrame((time) => this.Frame(time));
    const size = DeviceSize();
    if (!this.size || size.width !== this.size.width || size.height !== this.size.height ||
        size.scale !== this.size.scale) {
      this.Restart(size);
    }
    if (!this.image) return;
    const period = WebPace.stepMilliseconds(this.settings.rate);
    if (this.due === null) this.due = now;
    let steps = 0;
    for (; steps < WebPace.maxStepsPerDisplayFrame && now >= this.due; ++steps) {
      this.Step(Math.floor(this.due));
      this.due += period;
    }
    if (now >= this.due) this.due = now + period;
    this.CountSteps(now, steps);
  }

  // Steps set the trails' speed; frames are the new pictures the browser showed, fewer than the
  // steps when a display frame takes two or more, or when the machine cannot keep up.
  CountSteps(now, steps) {
    this.counted.steps += steps;
    if (steps > 0) ++this.counted.frames;
    if (now - this.counted.since < 1000) return;
    const perSecond = (count) => ((count * 1000) / (now - this.counted.since)).toFixed(1);
    this.corner.textContent =
        `${perSecond(this.counted.steps)} steps/s, ${perSecond(this.counted.frames)} fps`;
    this.counted = {steps: 0, frames: 0, since: now};
  }

  Run() {
    this.SetUpPanel();
    this.SetUpFullScreen();
    document.addEventListener("visibilitychange", () => { this.due = null; });
    window.addEventListener("resize", () => { this.due = null; });
    requestAnimationFrame((time) => this.Frame(time));
  }

  SetUpPanel() {
    const control = (id) => document.getElementById(id);
    const color = control("color");
    SchemeNames.forEach((name, i) => color.add(new Option(name, String(i + 1))));
    const show = () => {
      control("count").value = this.settings.trailCount;
      control("count-value").value = this.settings.trailCount;
      color.value = this.settings.colorMode;
      control("rate").value = this.settings.rate;
      control("rate-value").value = this.settings.rate;
      control("corner-on").checked = this.settings.corner === 1;
      this.corner.hidden = this.settings.corner !== 1;
    };
    const changed = () => {
      const before = {trailCount: this.settings.trailCount, colorMode: this.settings.colorMode};
      this.settings.trailCount = WholeNumber(control("count").value, Live.trailCount);
      this.settings.colorMode = WholeNumber(color.value, Live.colorMode);
      this.settings.rate = WholeNumber(control("rate").value, Live.rate);
      this.settings.corner = control("corner-on").checked ? 1 : 0;
      show();
      SaveSettings(this.settings);
      if (before.trailCount !== this.settings.trailCount ||
          before.colorMode !== this.settings.colorMode)
        this.size = null;
    };
    this.panel.addEventListener("input", changed);
    this.panel.addEventListener("change", changed);
    show();
    SaveSettings(this.settings);
    this.panel.hidden = false;
    const rest = () => {
      const choosing = document.activeElement && document.activeElement.tagName === "SELECT";
      if (this.panel.matches(":hover") || choosing) {
        this.restTimer = setTimeout(rest, PanelRestMilliseconds);
        return;
      }
      document.body.classList.add("resting");
      // Keys must never change a setting nobody can see: the focus leaves the panel as it fades.
      if (this.panel.contains(document.activeElement)) document.activeElement.blur();
    };
    const wake = () => {
      document.body.classList.remove("resting");
      clearTimeout(this.restTimer);
      this.restTimer = setTimeout(rest, PanelRestMilliseconds);
    };
    // The keyboard shows the panel as the pointer does: focus coming in, and each key inside.
    document.addEventListener("mousemove", wake);
    this.panel.addEventListener("focusin", wake);
    this.panel.addEventListener("keydown", wake);
    this.restTimer = setTimeout(rest, PanelRestMilliseconds);
  }

  SetUpFullScreen() {
    const root = document.documentElement;
    const leave = () => (document.exitFullscreen || document.webkitExitFullscreen).call(document);
    document.getElementById("full").addEventListener("click", () => {
      (root.requestFullscreen || root.webkitRequestFullscreen).call(root);
    });
    // The window moves on the screen as it goes full screen, and a page cannot ask where the
    // pointer is: the rule starts from the first position the pointer reports in full screen.
    let started = false;
    const changed = () => {
      this.full = Boolean(document.fullscreenElement || document.webkitFullscreenElement);
      document.body.classList.toggle("full", this.full);
      started = false;
      if (this.full && document.activeElement) document.activeElement.blur();
    };
    document.addEventListener("fullscreenchange", changed);
    document.addEventListener("webkitfullscreenchange", changed);
    document.addEventListener("keydown", (event) => {
      if (this.full && this.tolva.ExitOnKey()) {
        event.preventDefault();
        leave();
      }
    }, true);
    document.addEventListener("mousedown", (event) => {
      if (this.full && this.tolva.ExitOnButton(event.button)) leave();
    }, true);
    document.addEventListener("mousemove", (event) => {
      if (!this.full) return;
      if (!started) this.tolva.ExitStart(event.screenX, event.screenY);
      started = true;
      if (this.tolva.ExitOnMotion(event.screenX, event.screenY)) leave();
    }, true);
  }
}

async function Main() {
  if (typeof WebAssembly !== "object") {
    Fail("TOLVA needs a browser with WebAssembly.");
    return;
  }
  const query = new URLSearchParams(location.search);
  let tolva;
  try {
    tolva = await Tolva.Load(WebAssembly.validate(SimdProbe) ? "simd128" : "scalar");
  } catch (e) {
    Fail("TOLVA could not start its WebAssembly module: " + e.message);
    return;
  }
  if (query.has("hash") || query.has("bench")) {
    RunOffscreen(tolva, query);
    return;
  }
  const view = new LiveView(tolva, LoadSettings(query));
  // For a look from the browser's console (and the page's tests): what is drawn and shown.
  Object.defineProperty(window, "tolva", {value: view});
  view.Run();
}

Main();

// tolva.html in the system's chromium and firefox-esr, headless, opened from disk, each browser
// started once for all of its cases. In both:
// - the hash mode's lines equal tolva-render's, on the SIMD128 module and, with SIMD hidden
//   from the page, on the scalar one (odd strides, counts 2 to 200, schemes 1, 8 and 9 across
//   a 10-second boundary, scales 1, 1.5 and 2 and two to clamp, a size past the 8192 cap);
// - the full-screen exit rule through the browser's input.
// In chromium also:
// - two hundred thousand hash lines in bounded memory;
// - the live page at 800x600: the panel's settings survive a reload, hostile query values get
//   the defaults or the nearest limits and no markup, the canvas holds exactly the last frame,
//   which the module drew into its RGBA image (so every changed band was sent), it steps about 64 times a second, a screenshot shows
//   lit pixels of the chosen scheme, the corner counts steps and the browser's frames apart,
//   Tab shows the rested panel with a focus ring, and a window past 8192 pixels keeps its
//   shape;
// - a browser without WebAssembly, or a module that cannot start, gets the one-line message,
//   and the hash and bench modes end marked as failed.
// Usage: node --experimental-websocket web_page_test.mjs TOLVA_HTML TOLVA_RENDER
import {execFileSync} from "node:child_process";
import {resolve} from "node:path";
import {Engines, Launch} from "./browser.mjs";

const [page, render] = process.argv.slice(2).map((path) => resolve(path));
const url = "file://" + page;
let failures = 0;
let engine = "";
function Check(ok, what) {
  if (!ok) ++failures;
  console.log(`${ok ? "ok  " : "FAIL"} ${engine}: ${what}`);
}
const Sleep = (ms) => new Promise((done) => setTimeout(done, ms));

async function HashRows(tab) {
  // [query size, tolva-render size, count, scheme, frames, clock start, scale, tolva-render's
  // scale when not the same, more of the query]
  const hashRows = [
    ["37x23", "37x23", 2, 1, 40, 0, 1],
    ["641x479", "641x479", 25, 8, 30, 0, 1],
    ["333x201", "333x201", 80, 8, 60, 0, 2],
    ["101x77", "101x77", 200, 1, 30, 0, 1],
    ["161x121", "161x121", 25, 9, 40, 9900, 1.5],
    ["99x51", "99x51", 80, 9, 30, 19950, 1],
    ["100000x3", "8192x3", 25, 8, 5, 0, 1],
    ["37x23", "37x23", 25, 8, 10, 0, "%20", 1],
    ["37x23", "37x23", 25, 8, 10, 0, "Infinity", 8],
    ["161x121", "161x121", 80, 8, 60, 0, 1, 1, "&image"],
  ];
  for (const [path, init] of [["simd128", ""], ["scalar", "WebAssembly.validate = () => false;"]]) {
    const script = await tab.AddInitScript(init);
    for (const [size, renderSize, count, color, frames, clock, scale, renderScale = scale,
      more = ""] of hashRows) {
      const expected = execFileSync(render, ["--size", renderSize, "--count", String(count),
        "--color", String(color), "--frames", String(frames), "--clock-ms", String(clock),
        "--scale", String(renderScale), "--hash"], {encoding: "utf8"});
      await tab.Open(`${url}?size=${size}&count=${count}&color=${color}&frames=${frames}` +
          `&clock=${clock}&scale=${scale}&hash${more}`);
      await tab.WaitFor("document.body.dataset.done");
      const got = await tab.Evaluate(
          "[document.body.dataset.path, document.getElementById('out').textContent]");
      Check(got[0] === path && got[1] === expected,
          `hash ${path} ${size} count ${count} scheme ${color} clock ${clock} scale ${scale}${more}`);
    }
    await tab.RemoveInitScript(script);
  }
}

// Two hundred thousand frames: the lines are still tolva-render's, and the browser's memory
// stays near where it was (the output box laid out whole after every slice grew by a gigabyte).
async function LongRun(tab) {
  const args = ["--size", "20x20", "--frames", "200000", "--hash"];
  const expected = execFileSync(render, args,
      {encoding: "utf8", maxBuffer: 64 << 20, stdio: ["ignore", "pipe", "ignore"]});
  const before = tab.MemoryKiB();
  let peak = before;
  const watch = setInterval(() => { peak = Math.max(peak, tab.MemoryKiB()); }, 100);
  await tab.Open(`${url}?size=20x20&frames=200000&hash`);
  await tab.WaitFor("document.body.dataset.done", 300);
  await Sleep(500);
  clearInterval(watch);
  const got = await tab.ReadText("document.getElementById('out').textContent");
  const grown = Math.round((peak - before) / 1024);
  Check(got === expected && grown < 250, `hash 20x20, 200000 frames, memory grown ${grown} MiB`);
}

async function LivePage(tab) {
  // The panel, changed as a person would change it, then the page opened again bare.
  await tab.Open(url);
  await tab.WaitFor("Boolean(window.tolva && window.tolva.image)");
  await tab.Evaluate(`(() => {
    const set = (id, value, type) => {
      const control = document.getElementById(id);
      control.value = value;
      control.dispatchEvent(new Event(type, {bubbles: true}));
    };
    set("count", "30", "input");
    set("color", "2", "change");
  })()`);
  await tab.Open(url);
  await tab.WaitFor("Boolean(window.tolva && window.tolva.image)");
  const panel = "['count', 'color', 'rate'].map((id) => document.getElementById(id).value)";
  Check(String(await tab.Evaluate(panel)) === "30,2,64", "the panel's settings survive a reload");

  // Hostile values: the nearest limit, or the default for what is not a number.
  await tab.Open(url + "?count=1000000000&color=%3Cb%3E9%3C/b%3E&rate=-5&corner=%3Cimg%20src=x%3E");
  await tab.WaitFor("Boolean(window.tolva && window.tolva.image)");
  Check(String(await tab.Evaluate(panel + ".concat(location.search, document.querySelectorAll('b, img').length)")) ===
      "80,1,10,?count=80&color=1&rate=10&corner=0,0", "hostile query values are clamped, never markup");

  // Back to 30 trails of green (discs add 2 red, 20 green, 8 blue): once the panel rests, the
  // screen is the frame alone, lit mostly in green.
  await tab.Open(url + "?count=30&color=2&rate=64");
  await tab.WaitFor("Boolean(window.tolva && window.tolva.image)");
  await Sleep(3500);
  const shown = await tab.Evaluate(`(() => {
    const view = window.tolva, width = view.size.width, height = view.size.height;
    const canvas = view.context.getImageData(0, 0, width, height).data;
    const image = view.image.data;
    let differ = 0;
    for (let i = 0; i < canvas.length; ++i) if (canvas[i] !== image[i]) ++differ;
    return [width, height, differ];
  })()`);
  Check(String(shown) === "800,600,0", `the canvas is the last frame (${shown})`);
  // 64 steps a second whatever the display's rate; loose, for a loaded machine.
  const rate = parseFloat(await tab.Evaluate("document.getElementById('corner').textContent"));
  Check(rate > 52 && rate < 72, `about 64 steps a second (${rate})`);
  const [width, height, lit, sums] = await tab.Screenshot(`(pixels, width, height) => {
    const sums = [0, 0, 0];
    let lit = 0;
    for (let i = 0; i < pixels.length; i += 4) {
      for (let c = 0; c < 3; ++c) sums[c] += pixels[i + c];
      if (pixels[i] || pixels[i + 1] || pixels[i + 2]) ++lit;
    }
    return [width, height, lit, sums];
  }`);
  Check(width === 800 && height === 600 && lit > 2000 && sums[1] > 3 * sums[0] &&
      sums[1] > 3 * sums[2], `screenshot: ${lit} lit pixels, red, green, blue ${sums}`);

  // At 120 steps a second each of the display's frames shows two: the corner counts the steps,
  // and as frames the ones the browser drew, counted here too.
  await tab.Evaluate(`(() => {
    const rate = document.getElementById("rate");
    rate.value = "120";
    rate.dispatchEvent(new Event("input", {bubbles: true}));
  })()`);
  const [corner, drawn] = await tab.Evaluate(`new Promise((done) => {
    let frames = 0, start = null;
    const count = (now) => {
      if (start === null) start = now;
      else ++frames;
      if (now - start < 2500) requestAnimationFrame(count);
      else done([document.getElementById("corner").textContent, frames * 1000 / (now - start)]);
    };
    requestAnimationFrame(count);
  })`);
  const [, steps, fps] = (/^([\d.]+) steps\/s, ([\d.]+) fps$/.exec(corner) || []).map(Number);
  Check(steps > 105 && steps < 135 && Math.abs(fps - drawn) < 0.15 * drawn,
      `the corner at 120 steps a second: ${corner}; the browser drew ${drawn.toFixed(1)} fps`);

  // Tab into the rested panel: it shows, the focused control with a ring, as a move shows it.
  await tab.Key("Tab");
  await Sleep(600);
  const focused = await tab.Evaluate(`(() => {
    const control = document.activeElement, ring = getComputedStyle(control);
    return [control.id, getComputedStyle(document.getElementById("panel")).opacity,
      ring.outlineStyle, ring.outlineWidth];
  })()`);
  Check(focused[0] === "count" && focused[1] === "1" && focused[2] !== "none" &&
      parseFloat(focused[3]) >= 1, `Tab shows the panel, a ring on the control (${focused})`);
  await Sleep(3500);
  const faded = await tab.Evaluate(
      "[document.activeElement.id || document.activeElement.tagName, document.body.className]");
  Check(String(faded) === "BODY,resting", `the panel fades and the focus leaves it (${faded})`);

  // A window 9000 pixels wide: both sides and the scale shrink by one factor, 8192 / 9000.
  await tab.SetViewport(9000, 300);
  const capped = await tab.WaitFor("window.tolva.size.width === 8192 && " +
      "[window.tolva.canvas.width, window.tolva.canvas.height, window.tolva.size.scale]");
  Check(String(capped) === "8192,273,233", `9000x300 drawn as 8192x273 at scale 233/256 (${capped})`);
  await tab.SetViewport(800, 600);
}

// The exit rule. Each row starts in full screen from the panel's button; the first motion there
// gives the start point. No motion repeats the one before it: WebDriver sends none for a move to
// where the pointer already is.
async function ExitRule(tab) {
  await tab.Open(url);
  await tab.WaitFor("Boolean(window.tolva && window.tolva.image)");
  const far = [[500, 500], [501, 500], [500, 501], [501, 501], [502, 502]];
  const near = [[301, 301], [302, 302], [301, 300], [300, 301], [302, 301]];
  const exitRows = [
    ["six motions far away, then one along an axis", [[300, 300], ...far, [310, 302]], false],
    ["the seventh motion past 3 px on both axes", [[300, 300], ...near, [304, 296]], true],
    ["the middle button and the wheel", [[300, 300], "middle", "wheel"], false],
    ["the right button", [[300, 300], "right"], true],
    ["a key", ["a"], true],
  ];
  for (const [what, inputs, leaves] of exitRows) {
    await tab.Move(200, 200);
    const [x, y] = await tab.Evaluate(`(() => {
      const box = document.getElementById("full").getBoundingClientRect();
      return [box.x + box.width / 2, box.y + box.height / 2];
    })()`);
    await tab.Click(x, y);
    await tab.WaitFor("window.tolva.full");
    for (const input of inputs) {
      if (Array.isArray(input)) await tab.Move(input[0], input[1]);
      else if (input === "middle" || input === "right") await tab.Click(400, 300, input);
      else if (input === "wheel") await tab.Wheel(400, 300, 100);
      else await tab.Key(input);
    }
    await Sleep(300);
    const full = await tab.Evaluate("Boolean(document.fullscreenElement)");
    Check(full === !leaves, `full screen: ${what} ${leaves ? "leaves" : "stays"}`);
    if (full) await tab.Evaluate("document.exitFullscreen()");
    await tab.WaitFor("!document.fullscreenElement && !window.tolva.full");
  }
}

// A browser without WebAssembly, or a module that cannot start: the one-line message, and the
// hash and bench modes end marked as failed rather than never.
async function Failures(tab) {
  const noWasm = ["delete window.WebAssembly;", "TOLVA needs a browser with WebAssembly."];
  const refused = ["WebAssembly.instantiate = () => Promise.reject(new Error('refused'));",
    "TOLVA could not start its WebAssembly module: refused"];
  const failureRows = [[noWasm, "", ""], [noWasm, "?hash", "failed"], [refused, "?bench", "failed"]];
  for (const [[init, message], query, done] of failureRows) {
    const script = await tab.AddInitScript(init);
    await tab.Open(url + query);
    const seen = await tab.WaitFor(`(() => {
      const shown = document.getElementById("message");
      return shown.textContent.startsWith("TOLVA") && [shown.textContent, document.body.dataset.done];
    })()`, 10);
    Check(seen[0] === message && (seen[1] || "") === done,
        `${message} ${query || "(the live page)"}: ${done || "no"} end mark`);
    await tab.RemoveInitScript(script);
  }
}

for (engine of Engines) {
  const tab = await Launch(800, 600, engine);
  try {
    await HashRows(tab);
    if (engine === "chromium") {
      await LongRun(tab);
      await LivePage(tab);
    }
    await ExitRule(tab);
    if (engine === "chromium") await Failures(tab);
  } finally {
    await tab.Close();
  }
}
console.log(failures === 0 ? "web page: all passed" : `web page: ${failures} failed`);
process.exit(failures === 0 ? 0 : 1);

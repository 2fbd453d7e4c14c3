// tolva.html in the system's chromium, headless, opened from disk:
// - the hash mode's lines equal tolva-render's, on the SIMD128 module and, with SIMD hidden
//   from the page, on the scalar one (odd strides, counts 2 to 200, schemes 1, 8 and 9 across
//   a 10-second boundary, scales 1, 1.5 and 2, a size past the 8192 cap);
// - the live page at 800x600: the panel's settings survive a reload, hostile query values get
//   the defaults or the nearest limits and no markup, the canvas holds exactly the last frame,
//   which the module drew into its RGBA image (so every changed band was sent), it steps about
//   64 times a second, and a screenshot shows lit pixels of the chosen scheme;
// - the full-screen exit rule through the browser's input;
// - a browser without WebAssembly gets the one-line message.
// Usage: node --experimental-websocket web_page_test.mjs TOLVA_HTML TOLVA_RENDER
import {execFileSync} from "node:child_process";
import {resolve} from "node:path";
import {Launch} from "./browser.mjs";

const [page, render] = process.argv.slice(2).map((path) => resolve(path));
const url = "file://" + page;
let failures = 0;
function Check(ok, what) {
  if (!ok) ++failures;
  console.log(`${ok ? "ok  " : "FAIL"} ${what}`);
}
const Sleep = (ms) => new Promise((done) => setTimeout(done, ms));

const tab = await Launch(800, 600);
try {
  // [query size, tolva-render size, count, scheme, frames, clock start, scale, more of the query]
  const hashRows = [
    ["37x23", "37x23", 2, 1, 40, 0, 1],
    ["641x479", "641x479", 25, 8, 30, 0, 1],
    ["333x201", "333x201", 80, 8, 60, 0, 2],
    ["101x77", "101x77", 200, 1, 30, 0, 1],
    ["161x121", "161x121", 25, 9, 40, 9900, 1.5],
    ["99x51", "99x51", 80, 9, 30, 19950, 1],
    ["100000x3", "8192x3", 25, 8, 5, 0, 1],
    ["161x121", "161x121", 80, 8, 60, 0, 1, "&image"],
  ];
  const noSimd = "WebAssembly.validate = () => false;";
  for (const [path, init] of [["simd128", ""], ["scalar", noSimd]]) {
    const {identifier} = await tab.Send("Page.addScriptToEvaluateOnNewDocument", {source: init});
    for (const [size, renderSize, count, color, frames, clock, scale, more = ""] of hashRows) {
      const expected = execFileSync(render, ["--size", renderSize, "--count", String(count),
        "--color", String(color), "--frames", String(frames), "--clock-ms", String(clock),
        "--scale", String(scale), "--hash"], {encoding: "utf8"});
      await tab.Open(`${url}?size=${size}&count=${count}&color=${color}&frames=${frames}` +
          `&clock=${clock}&scale=${scale}&hash${more}`);
      await tab.WaitFor("document.body.dataset.done");
      const got = await tab.Evaluate(
          "[document.body.dataset.path, document.getElementById('out').textContent]");
      Check(got[0] === path && got[1] === expected,
          `hash ${path} ${size} count ${count} scheme ${color} clock ${clock} scale ${scale}${more}`);
    }
    await tab.Send("Page.removeScriptToEvaluateOnNewDocument", {identifier});
  }

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

  // The exit rule. Each row starts in full screen from the panel's button; the first motion
  // there gives the start point.
  const exitRows = [
    ["six motions far away, then one along an axis", [[300, 300], ...Array(5).fill([500, 500]), [310, 302]], false],
    ["the seventh motion past 3 px on both axes", [[300, 300], ...Array(5).fill([300, 300]), [304, 296]], true],
    ["the middle button and the wheel", [[300, 300], "middle", "wheel"], false],
    ["the right button", [[300, 300], "right"], true],
    ["a key", ["a"], true],
  ];
  for (const [what, inputs, leaves] of exitRows) {
    await tab.Mouse("mouseMoved", 200, 200);
    const [x, y] = await tab.Evaluate(`(() => {
      const box = document.getElementById("full").getBoundingClientRect();
      return [box.x + box.width / 2, box.y + box.height / 2];
    })()`);
    await tab.Click(x, y);
    await tab.WaitFor("window.tolva.full");
    for (const input of inputs) {
      if (Array.isArray(input)) await tab.Mouse("mouseMoved", input[0], input[1]);
      else if (input === "middle" || input === "right") await tab.Click(400, 300, input);
      else if (input === "wheel")
        await tab.Send("Input.dispatchMouseEvent", {type: "mouseWheel", x: 400, y: 300, deltaX: 0, deltaY: 100});
      else await tab.Key(input);
    }
    await Sleep(300);
    const full = await tab.Evaluate("Boolean(document.fullscreenElement)");
    Check(full === !leaves, `full screen: ${what} ${leaves ? "leaves" : "stays"}`);
    if (full) await tab.Evaluate("document.exitFullscreen()");
    await tab.WaitFor("!document.fullscreenElement && !window.tolva.full");
  }

  await tab.Send("Page.addScriptToEvaluateOnNewDocument", {source: "delete window.WebAssembly;"});
  await tab.Open(url);
  Check(await tab.Evaluate("document.getElementById('message').textContent") ===
      "TOLVA needs a browser with WebAssembly.", "without WebAssembly: the one-line message");
} finally {
  await tab.Close();
}
console.log(failures === 0 ? "web page: all passed" : `web page: ${failures} failed`);
process.exit(failures === 0 ? 0 : 1);

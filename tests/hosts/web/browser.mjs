// The system's browsers, headless, each with a fresh profile and driven through its own protocol
// over node's own WebSocket (node 20 needs --experimental-websocket): chromium through the
// DevTools protocol, firefox-esr through WebDriver BiDi. Both offer one small interface, so a
// case runs unchanged in either: Open, Evaluate, ReadText, WaitFor, AddInitScript and
// RemoveInitScript, Move, Click, Wheel, Key, SetViewport, Png, Screenshot, MemoryKiB and Close.
// For the web page's tests, scripts/bench-web and scripts/web-screenshot.
import {spawn} from "node:child_process";
import {mkdtempSync, readdirSync, readFileSync, rmSync} from "node:fs";
import {tmpdir} from "node:os";
import {join} from "node:path";

export const Engines = ["chromium", "firefox"];

export async function Launch(width = 800, height = 600, engine = "chromium") {
  const profile = mkdtempSync(join(tmpdir(), `tolva-${engine}-`));
  const firefox = engine === "firefox";
  // The fresh profile needs no preferences of its own: driven remotely, Firefox sets those for
  // automation itself.
  const browser = firefox ?
    spawn("firefox-esr", ["--headless", "--no-remote", "--profile", profile,
      "--remote-debugging-port=0", "about:blank"], {stdio: ["ignore", "ignore", "pipe"]}) :
    spawn("chromium", ["--headless=new", "--no-sandbox", "--no-first-run",
      "--remote-debugging-port=0", `--user-data-dir=${profile}`, `--window-size=${width},${height}`,
      "--allow-file-access-from-files", "about:blank"], {stdio: ["ignore", "ignore", "pipe"]});
  const close = async () => {
    if (browser.exitCode === null && browser.signalCode === null) {
      const exited = new Promise((resolve) => browser.on("exit", resolve));
      browser.kill();
      await exited;
    }
    rmSync(profile, {recursive: true, force: true});
  };
  try {
    const address = await new Promise((resolve, reject) => {
      let text = "";
      browser.stderr.on("data", (chunk) => {
        text += chunk;
        const found = /(?:DevTools|WebDriver BiDi) listening on (ws:\/\/\S+)/.exec(text);
        if (found) resolve(found[1]);
      });
      browser.on("exit", () => reject(new Error(`${engine} exited: ${text}`)));
    });
    const tab = firefox ? new FirefoxTab(browser, close) : new ChromiumTab(browser, close);
    await tab.Connect(address, width, height);
    return tab;
  } catch (error) {
    await close();
    throw error;
  }
}

// What both engines share: the protocol's requests and events over one WebSocket, and what is
// built on the engine's own primitives.
class Tab {
  constructor(browser, close) {
    this.pid = browser.pid;
    this.closeBrowser = close;
    this.next = 1;
    this.waiting = new Map();
    this.listeners = [];
  }

  async Attach(address) {
    this.socket = new WebSocket(address);
    await new Promise((resolve, reject) => {
      this.socket.addEventListener("open", resolve);
      this.socket.addEventListener("error", () => reject(new Error("no connection: " + address)));
    });
    this.socket.addEventListener("message", (event) => {
      const message = JSON.parse(event.data);
      const waiter = this.waiting.get(message.id);
      if (waiter) {
        this.waiting.delete(message.id);
        const {error} = message;
        if (error) waiter.reject(new Error(JSON.stringify([error, message.message])));
        else waiter.resolve(message.result);
      }
      for (const listener of this.listeners) listener(message);
    });
  }

  Send(method, params = {}) {
    const id = this.next++;
    this.socket.send(JSON.stringify({id, method, params}));
    return new Promise((resolve, reject) => this.waiting.set(id, {resolve, reject}));
  }

  // The next event called method.
  Event(method) {
    return new Promise((resolve) => {
      const listener = (message) => {
        if (message.method !== method) return;
        this.listeners = this.listeners.filter((other) => other !== listener);
        resolve(message.params);
      };
      this.listeners.push(listener);
    });
  }

  async Close() {
    if (this.socket) this.socket.close();
    await this.closeBrowser();
  }

  // Polls expression until it is truthy; returns its value.
  async WaitFor(expression, seconds = 60) {
    const until = Date.now() + seconds * 1000;
    for (;;) {
      const value = await this.Evaluate(expression);
      if (value) return value;
      if (Date.now() > until) throw new Error("timed out waiting for " + expression);
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
  }

  // A string value too long for one message (chromium never answers one over 4 MiB), read in
  // slices.
  async ReadText(expression) {
    const length = await this.Evaluate(`(${expression}).length`);
    const slice = 1 << 20;
    let text = "";
    for (let at = 0; at < length; at += slice)
      text += await this.Evaluate(`(${expression}).slice(${at}, ${at + slice})`);
    return text;
  }

  // The page as it is on screen, decoded back into RGBA by the browser itself and handed to
  // look, the source of a function (pixels, width, height) run in the page; returns its result.
  async Screenshot(look) {
    const data = await this.Png();
    return this.Evaluate(`(async () => {
      const image = new Image();
      image.src = "data:image/png;base64,${data}";
      await image.decode();
      const canvas = new OffscreenCanvas(image.width, image.height);
      const context = canvas.getContext("2d");
      context.drawImage(image, 0, 0);
      const pixels = context.getImageData(0, 0, image.width, image.height).data;
      return (${look})(pixels, image.width, image.height);
    })()`);
  }

  // The resident memory of every process of the browser, in KiB (Linux).
  MemoryKiB() {
    const parents = new Map();
    for (const name of readdirSync("/proc")) {
      if (!/^\d+$/.test(name)) continue;
      try {
        const stat = readFileSync(`/proc/${name}/stat`, "utf8");
        parents.set(Number(name), Number(stat.slice(stat.lastIndexOf(")") + 2).split(" ")[1]));
      } catch (e) {
        // The process ended meanwhile.
      }
    }
    let total = 0;
    for (const pid of parents.keys()) {
      let ancestor = pid;
      while (ancestor > 1 && ancestor !== this.pid) ancestor = parents.get(ancestor);
      if (ancestor !== this.pid) continue;
      try {
        total += Number(/VmRSS:\s+(\d+)/.exec(readFileSync(`/proc/${pid}/status`, "utf8"))[1]);
      } catch (e) {
        // Ended, or a zombie with no memory left.
      }
    }
    return total;
  }
}

// The DevTools protocol, on the one page chromium opened.
class ChromiumTab extends Tab {
  async Connect(address, width, height) {
    const port = new URL(address).port;
    const targets = await (await fetch(`http://127.0.0.1:${port}/json/list`)).json();
    await this.Attach(targets.find((target) => target.type === "page").webSocketDebuggerUrl);
    await this.Send("Page.enable");
    await this.SetViewport(width, height);
  }

  async Open(url) {
    const loaded = this.Event("Page.loadEventFired");
    await this.Send("Page.navigate", {url});
    await loaded;
  }

  async Evaluate(expression) {
    const result = await this.Send("Runtime.evaluate",
        {expression, returnByValue: true, awaitPromise: true, userGesture: true});
    if (result.exceptionDetails) throw new Error(JSON.stringify(result.exceptionDetails));
    return result.result.value;
  }

  async AddInitScript(source) {
    return (await this.Send("Page.addScriptToEvaluateOnNewDocument", {source})).identifier;
  }
  RemoveInitScript(identifier) {
    return this.Send("Page.removeScriptToEvaluateOnNewDocument", {identifier});
  }

  SetViewport(width, height) {
    return this.Send("Emulation.setDeviceMetricsOverride",
        {width, height, deviceScaleFactor: 1, mobile: false});
  }

  Move(x, y) {
    return this.Send("Input.dispatchMouseEvent", {type: "mouseMoved", x, y, button: "none"});
  }
  async Click(x, y, button = "left") {
    for (const type of ["mousePressed", "mouseReleased"])
      await this.Send("Input.dispatchMouseEvent", {type, x, y, button, clickCount: 1});
  }
  Wheel(x, y, deltaY) {
    return this.Send("Input.dispatchMouseEvent", {type: "mouseWheel", x, y, deltaX: 0, deltaY});
  }
  // A character key types its text; Tab acts only with its Windows key code.
  async Key(key) {
    if (key !== "Tab") return this.Send("Input.dispatchKeyEvent", {type: "keyDown", key, text: key});
    for (const type of ["rawKeyDown", "keyUp"])
      await this.Send("Input.dispatchKeyEvent", {type, key, code: key, windowsVirtualKeyCode: 9});
  }

  async Png() {
    return (await this.Send("Page.captureScreenshot", {format: "png"})).data;
  }
}

// WebDriver BiDi, on the one top-level browsing context of a new session.
class FirefoxTab extends Tab {
  async Connect(address, width, height) {
    await this.Attach(address + "/session");
    await this.Send("session.new", {capabilities: {}});
    // The window the browser opened at its start never has the focus when headless, and full
    // screen is refused to a page without it; one opened through the protocol has it.
    const {contexts} = await this.Send("browsingContext.getTree", {maxDepth: 0});
    this.context = (await this.Send("browsingContext.create", {type: "window"})).context;
    await this.Send("browsingContext.close", {context: contexts[0].context});
    await this.SetViewport(width, height);
  }

  Open(url) {
    return this.Send("browsingContext.navigate", {context: this.context, url, wait: "complete"});
  }

  async Evaluate(expression) {
    const result = await this.Send("script.evaluate", {expression, target: {context: this.context},
      awaitPromise: true, resultOwnership: "none", userActivation: true});
    if (result.type === "exception") throw new Error(JSON.stringify(result.exceptionDetails));
    return FromRemoteValue(result.result);
  }

  async AddInitScript(source) {
    return (await this.Send("script.addPreloadScript",
        {functionDeclaration: `() => { ${source} }`})).script;
  }
  RemoveInitScript(script) {
    return this.Send("script.removePreloadScript", {script});
  }

  SetViewport(width, height) {
    return this.Send("browsingContext.setViewport",
        {context: this.context, viewport: {width, height}});
  }

  // A move to where the pointer already is sends no event in WebDriver, unlike DevTools.
  Pointer(actions) {
    return this.Send("input.performActions", {context: this.context, actions: [{type: "pointer",
      id: "mouse", parameters: {pointerType: "mouse"}, actions}]});
  }
  Move(x, y) {
    return this.Pointer([{type: "pointerMove", x: Math.round(x), y: Math.round(y)}]);
  }
  Click(x, y, button = "left") {
    const number = {left: 0, middle: 1, right: 2}[button];
    return this.Pointer([{type: "pointerMove", x: Math.round(x), y: Math.round(y)},
      {type: "pointerDown", button: number}, {type: "pointerUp", button: number}]);
  }
  Wheel(x, y, deltaY) {
    return this.Send("input.performActions", {context: this.context, actions: [{type: "wheel",
      id: "wheel", actions: [{type: "scroll", x, y, deltaX: 0, deltaY}]}]});
  }
  Key(key) {
    const value = key === "Tab" ? "\uE004" : key;
    return this.Send("input.performActions", {context: this.context, actions: [{type: "key",
      id: "keyboard", actions: [{type: "keyDown", value}, {type: "keyUp", value}]}]});
  }

  async Png() {
    return (await this.Send("browsingContext.captureScreenshot", {context: this.context})).data;
  }
}

// A BiDi RemoteValue as the plain value DevTools' returnByValue gives.
function FromRemoteValue(remote) {
  switch (remote.type) {
    case "undefined": return undefined;
    case "null": return null;
    case "number": return typeof remote.value === "number" ? remote.value : Number(remote.value);
    case "array": return remote.value.map(FromRemoteValue);
    case "object":
      return Object.fromEntries(remote.value.map(([key, value]) =>
        [typeof key === "string" ? key : FromRemoteValue(key), FromRemoteValue(value)]));
    default: return remote.value;
  }
}

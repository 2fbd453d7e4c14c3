// The system's chromium, headless, driven through the DevTools protocol with node's own
// WebSocket (node 20 needs --experimental-websocket): open a page, evaluate in it, wait for a
// condition, send input, take a screenshot. For the web page's tests and scripts/bench-web.
import {spawn} from "node:child_process";
import {mkdtempSync, rmSync} from "node:fs";
import {tmpdir} from "node:os";
import {join} from "node:path";

export async function Launch(width = 800, height = 600) {
  const profile = mkdtempSync(join(tmpdir(), "tolva-chromium-"));
  const browser = spawn("chromium", ["--headless=new", "--no-sandbox", "--no-first-run",
    "--remote-debugging-port=0", `--user-data-dir=${profile}`, `--window-size=${width},${height}`,
    "--allow-file-access-from-files", "about:blank"], {stdio: ["ignore", "ignore", "pipe"]});
  const port = await new Promise((resolve, reject) => {
    let text = "";
    browser.stderr.on("data", (chunk) => {
      text += chunk;
      const found = /DevTools listening on ws:\/\/[^:]+:(\d+)\//.exec(text);
      if (found) resolve(found[1]);
    });
    browser.on("exit", () => reject(new Error("chromium exited: " + text)));
  });
  const targets = await (await fetch(`http://127.0.0.1:${port}/json/list`)).json();
  const page = targets.find((target) => target.type === "page");
  const socket = new WebSocket(page.webSocketDebuggerUrl);
  await new Promise((resolve) => socket.addEventListener("open", resolve));
  const tab = new Tab(socket, async () => {
    socket.close();
    const exited = new Promise((resolve) => browser.on("exit", resolve));
    browser.kill();
    await exited;
    rmSync(profile, {recursive: true, force: true});
  });
  await tab.Send("Page.enable");
  await tab.Send("Emulation.setDeviceMetricsOverride",
      {width, height, deviceScaleFactor: 1, mobile: false});
  return tab;
}

class Tab {
  constructor(socket, close) {
    this.socket = socket;
    this.Close = close;
    this.next = 1;
    this.waiting = new Map();
    this.listeners = [];
    socket.addEventListener("message", (event) => {
      const message = JSON.parse(event.data);
      const waiter = this.waiting.get(message.id);
      if (waiter) {
        this.waiting.delete(message.id);
        if (message.error) waiter.reject(new Error(JSON.stringify(message.error)));
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

  async Open(url) {
    const loaded = new Promise((resolve) => {
      const listener = (message) => {
        if (message.method !== "Page.loadEventFired") return;
        this.listeners = this.listeners.filter((other) => other !== listener);
        resolve();
      };
      this.listeners.push(listener);
    });
    await this.Send("Page.navigate", {url});
    await loaded;
  }

  async Reload() {
    const loaded = new Promise((resolve) => this.listeners.push((message) => {
      if (message.method === "Page.loadEventFired") resolve();
    }));
    await this.Send("Page.reload");
    await loaded;
  }

  async Evaluate(expression) {
    const result = await this.Send("Runtime.evaluate",
        {expression, returnByValue: true, awaitPromise: true, userGesture: true});
    if (result.exceptionDetails) throw new Error(JSON.stringify(result.exceptionDetails));
    return result.result.value;
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

  Mouse(type, x, y, button = "left") {
    return this.Send("Input.dispatchMouseEvent",
        {type, x, y, button: type === "mouseMoved" ? "none" : button, clickCount: 1});
  }
  async Click(x, y, button = "left") {
    await this.Mouse("mousePressed", x, y, button);
    await this.Mouse("mouseReleased", x, y, button);
  }
  Key(key) {
    return this.Send("Input.dispatchKeyEvent", {type: "keyDown", key, text: key});
  }

  // The page as it is on screen, decoded back into RGBA by the browser itself and handed to
  // look, the source of a function (pixels, width, height) run in the page; returns its result.
  async Screenshot(look) {
    const {data} = await this.Send("Page.captureScreenshot", {format: "png"});
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
}

// What every test of the page shares: Debian's Chromium, headless, with a
// hidden tab throttled as it is for a pupil; dist/web served on a free
// localhost port; a Web Serial stand-in injected before the page loads; and
// a bridge from the stand-in to the real virtual robot (vk47-robot) on a
// pseudo-terminal, which decodes what arrives.
//
//   const h = await startHarness();             // browser and server
//   try {
//     const robot = await h.startRobot();       // a vk47-robot of its own
//     const { page, serial } = await h.openPage({ robot, serial: { granted: true } });
//     await clickByRole(page, "button", "転送");
//     const frames = await robot.waitForFrames(1);
//     serial.writes                             // [{ value, t, visibility }], one a byte
//     (await serial.state()).writes             // the page's record: also done, screenHeld
//   } finally {
//     await h.close();                          // pages, robots, browser, server
//   }
//
// The stand-in's options (openPage's `serial`, or serial.configure() later):
//   granted     getPorts() answers the port from the start (default false)
//   chooser     what the browser's chooser does: "pick" (default) or "cancel"
//   info        the port's getInfo() (default a USB adapter 0403:6001)
//   failAfter   the port vanishes after this many bytes: the next write
//               rejects with a NetworkError, as Chromium's does (default none)
//   slowWrites  { index: ms }: write number `index` (0-based) completes that
//               much later (default none)
//   openError   open() rejects with a DOMException of this name, as
//               Chromium's does for a port another program holds
//               ("NetworkError") (default none)
//   absent      no navigator.serial at all (Firefox, Safari)
//   wakeLock    "grant" or "refuse": navigator.wakeLock.request("screen")
//               is answered so, and counted (default: the browser's own)
// Each write is stamped with the page's own performance.now() when the page
// calls it (`t`), and when it completes (`done`), with the page's
// document.visibilityState at that moment.

import { spawn, spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";

const here = path.dirname(fileURLToPath(import.meta.url));
export const webDir = path.resolve(here, "..");
export const rootDir = path.resolve(webDir, "..");
export const distDir = process.env.VK47_WEB_DIST ?? path.join(rootDir, "dist", "web");
export const chromiumPath = process.env.VK47_CHROMIUM ?? "/usr/bin/chromium";

// The flags puppeteer adds that would keep a hidden tab's timers running at
// full speed: without them the tab is throttled as in a pupil's browser.
const THROTTLING_OFF = [
  "--disable-background-timer-throttling",
  "--disable-backgrounding-occluded-windows",
  "--disable-renderer-backgrounding",
];

const CHROMIUM_ARGS = [
  "--no-sandbox",
  "--disable-gpu",
  "--disable-quic",
  "--no-first-run",
  "--disable-background-networking",
  "--disable-component-update",
  "--disable-sync",
];

// ---------------------------------------------------------------- server

// `root` served by the page's own server (web/server.mjs, which scripts/run-web
// runs) on 127.0.0.1 at a free port, so the tests see the types and headers a
// pupil's browser gets.
async function serveRoot(root) {
  const { serve } = await import(path.join(webDir, "server.mjs"));
  return serve({ root, port: 0, host: "127.0.0.1" });
}

// ---------------------------------------------------------------- robot

// The virtual robot's program: VK47_ROBOT, else the web tests' build folder,
// else the main build; built in build-web-host/ when none has it.
export function findRobot() {
  const candidates = [
    process.env.VK47_ROBOT,
    path.join(rootDir, "build-web-host", "bin", "vk47-robot"),
    path.join(process.env.VK47_BUILD_DIR ?? path.join(rootDir, "build"), "bin", "vk47-robot"),
  ].filter(Boolean);
  for (const candidate of candidates) {
    if (fs.existsSync(candidate)) return candidate;
  }
  buildRobot();
  return path.join(rootDir, "build-web-host", "bin", "vk47-robot");
}

// Builds vk47-robot in build-web-host/, under the lock that every build in
// that folder takes (the page's build makes vk47-icongen there too).
export function buildRobot() {
  const build = path.join(rootDir, "build-web-host");
  const run = (args) => {
    const result = spawnSync("flock", ["/tmp/build-web-host.lock", ...args], { stdio: "inherit" });
    if (result.status !== 0) throw new Error(`failed: ${args.join(" ")}`);
  };
  if (!fs.existsSync(path.join(build, "CMakeCache.txt"))) {
    run(["cmake", "-S", rootDir, "-B", build, "-DCMAKE_BUILD_TYPE=Release", "-DVK47_BUILD_TESTS=OFF"]);
  }
  run(["cmake", "--build", build, "--target", "vk47-robot", "--parallel", "2"]);
}

class Robot {
  constructor(child, device, record, folder) {
    this.child = child;
    this.device = device;
    this.recordPath = record;
    this.folder = folder;
    this.output = "";
    child.stdout.on("data", (chunk) => (this.output += chunk));
    child.stderr.on("data", (chunk) => (this.output += chunk));
  }

  // What the robot has written to its record: { bytes, frames }.
  record() {
    try {
      return JSON.parse(fs.readFileSync(this.recordPath, "utf8"));
    } catch {
      return { bytes: [], frames: [] };
    }
  }

  frames() {
    return this.record().frames;
  }

  // The frames, once there are at least `count` (transfers, executes,
  // incomplete or stray ones alike) and the line has been quiet a moment.
  async waitForFrames(count, timeoutMs = 15000) {
    const end = Date.now() + timeoutMs;
    for (;;) {
      const frames = this.frames();
      if (frames.length >= count) return frames;
      if (Date.now() > end) {
        throw new Error(`the robot received ${frames.length} of ${count} frames; its output:\n${this.output}`);
      }
      await sleep(50);
    }
  }

  async stop() {
    if (this.child.exitCode === null && this.child.signalCode === null) {
      const exited = new Promise((resolve) => this.child.once("exit", resolve));
      this.child.kill("SIGTERM");
      await Promise.race([exited, sleep(3000)]);
      if (this.child.exitCode === null && this.child.signalCode === null) this.child.kill("SIGKILL");
    }
    fs.rmSync(this.folder, { recursive: true, force: true });
  }
}

// A vk47-robot on a pseudo-terminal of its own, recording to JSON. It runs
// with a private runtime folder, so robots of other tests or of a class on
// this machine neither see it nor are seen.
export async function startRobot() {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "vk47-web-robot-"));
  const runtime = path.join(folder, "run");
  fs.mkdirSync(runtime, { mode: 0o700 });
  const record = path.join(folder, "robot.json");
  const child = spawn(findRobot(), ["--json", record], {
    env: { ...process.env, XDG_RUNTIME_DIR: runtime, TMPDIR: folder },
    stdio: ["ignore", "pipe", "pipe"],
  });
  const device = await new Promise((resolve, reject) => {
    let text = "";
    const timer = setTimeout(() => reject(new Error(`vk47-robot printed no device: ${text}`)), 10000);
    child.stdout.on("data", function first(chunk) {
      text += chunk;
      const newline = text.indexOf("\n");
      if (newline < 0) return;
      clearTimeout(timer);
      child.stdout.off("data", first);
      resolve(text.slice(0, newline).trim());
    });
    child.once("exit", (code) => {
      clearTimeout(timer);
      reject(new Error(`vk47-robot ended (${code}) before it printed its device: ${text}`));
    });
  });
  return new Robot(child, device, record, folder);
}

// ---------------------------------------------------------------- stand-in

// Runs in the page before its own scripts (evaluateOnNewDocument): a Web
// Serial that hands every written byte to the node side through `bridge`.
// Only what the page's link uses, and the failures it must survive.
function installSerialStandIn(initial, bridge) {
  const state = {
    options: {
      granted: false,
      chooser: "pick",
      info: { usbVendorId: 0x0403, usbProductId: 0x6001 },
      failAfter: null,
      slowWrites: {},
      openError: null,
      absent: false,
      ...initial,
    },
    writes: [],     // { value, t, done, visibility, screenHeld }
    wakeLocks: { requests: 0, releases: 0, held: 0 },
    opens: [],      // the options of every open()
    closes: 0,
    requests: 0,    // requestPort() calls
    granted: false,
    vanished: false,
  };
  state.granted = !!state.options.granted;

  if (state.options.wakeLock) {
    const locks = state.wakeLocks;
    const wakeLock = {
      async request(type) {
        locks.requests += 1;
        if (state.options.wakeLock === "refuse" || type !== "screen") {
          throw new DOMException("The requesting page is not visible", "NotAllowedError");
        }
        locks.held += 1;
        let released = false;
        return {
          released: false,
          type,
          async release() {
            if (released) return;
            released = true;
            this.released = true;
            locks.held -= 1;
            locks.releases += 1;
          },
        };
      },
    };
    Object.defineProperty(Navigator.prototype, "wakeLock", { configurable: true, get: () => wakeLock });
  }

  if (state.options.absent) {
    delete Navigator.prototype.serial;
    window.__vk47SerialStandIn = { state, configure() {} };
    return;
  }

  const listeners = { connect: new Set(), disconnect: new Set() };
  let isOpen = false;
  let writable = null;

  const port = {
    getInfo() {
      return { ...state.options.info };
    },
    get readable() {
      return null;
    },
    get writable() {
      return isOpen ? writable : null;
    },
    async open(options) {
      if (state.vanished) throw new DOMException("The device has been lost.", "NetworkError");
      if (isOpen) throw new DOMException("The port is already open.", "InvalidStateError");
      if (state.options.openError) throw new DOMException("Failed to open serial port.", state.options.openError);
      if (!options || typeof options.baudRate !== "number") throw new TypeError("Failed to read the 'baudRate' property.");
      state.opens.push(JSON.parse(JSON.stringify(options)));
      isOpen = true;
      writable = new WritableStream({
        write(chunk) {
          const t = performance.now();
          const bytes = Array.from(chunk);
          const index = state.writes.length;
          if (state.vanished || (state.options.failAfter !== null && index >= state.options.failAfter)) {
            vanish();
            throw new DOMException("The device has been lost.", "NetworkError");
          }
          const record = {
            value: bytes.length === 1 ? bytes[0] : bytes,
            t,
            done: null,
            visibility: document.visibilityState,
            screenHeld: state.wakeLocks.held > 0,
          };
          state.writes.push(record);
          bridge("write", bytes, t, document.visibilityState);
          const delay = state.options.slowWrites[index] ?? 0;
          const complete = () => {
            record.done = performance.now();
          };
          if (delay > 0) return new Promise((resolve) => setTimeout(resolve, delay)).then(complete);
          complete();
          return undefined;
        },
      });
    },
    async close() {
      if (!isOpen) throw new DOMException("The port is already closed.", "InvalidStateError");
      if (writable && writable.locked) throw new TypeError("Cannot cancel a locked stream");
      isOpen = false;
      writable = null;
      state.closes += 1;
      bridge("close", [], performance.now(), document.visibilityState);
    },
    async forget() {
      state.granted = false;
    },
    addEventListener() {},
    removeEventListener() {},
  };

  function vanish() {
    if (state.vanished) return;
    state.vanished = true;
    state.granted = false;
    const event = { type: "disconnect", target: port };
    queueMicrotask(() => listeners.disconnect.forEach((listener) => listener(event)));
  }

  const serial = {
    async getPorts() {
      return state.granted && !state.vanished ? [port] : [];
    },
    async requestPort() {
      state.requests += 1;
      if (!navigator.userActivation || !navigator.userActivation.isActive) {
        throw new DOMException("Must be handling a user gesture to show a permission request.", "SecurityError");
      }
      if (state.options.chooser === "cancel") throw new DOMException("No port selected by the user.", "NotFoundError");
      state.granted = true;
      return port;
    },
    addEventListener(type, listener) {
      listeners[type]?.add(listener);
    },
    removeEventListener(type, listener) {
      listeners[type]?.delete(listener);
    },
  };

  Object.defineProperty(Navigator.prototype, "serial", { configurable: true, get: () => serial });
  window.__vk47SerialStandIn = {
    state,
    configure(options) {
      Object.assign(state.options, options);
      if ("granted" in options) state.granted = !!options.granted;
    },
  };
}

// The node side of one page's stand-in: its writes, in order, as the page
// stamped them, and the robot they go to.
class SerialBridge {
  constructor(page) {
    this.page = page;
    this.writes = [];
    this.events = [];
    this.fd = null;
  }

  connect(robot) {
    // O_NOCTTY: the pseudo-terminal must not become node's terminal.
    this.fd = fs.openSync(robot.device, fs.constants.O_WRONLY | fs.constants.O_NOCTTY);
  }

  receive(kind, bytes, t, visibility) {
    this.events.push({ kind, t, visibility });
    if (kind !== "write") return;
    for (const value of bytes) this.writes.push({ value, t, visibility });
    if (this.fd !== null) fs.writeSync(this.fd, Buffer.from(bytes));
  }

  // The stand-in's state as the page holds it: writes with completion times,
  // opens, closes, chooser requests.
  state() {
    return this.page.evaluate(() => window.__vk47SerialStandIn?.state ?? null);
  }

  configure(options) {
    return this.page.evaluate((o) => window.__vk47SerialStandIn.configure(o), options);
  }

  disconnect() {
    if (this.fd !== null) fs.closeSync(this.fd);
    this.fd = null;
  }
}

// ---------------------------------------------------------------- fixtures

// A test page of web/tests/fixtures/NAME, built into a fresh folder: its
// .html pages, its fixture.ts bundled as fixture.js, and the core (core.js,
// core.wasm) from dist/web. Returns the folder; the caller removes it.
export async function buildFixture(name) {
  const source = path.join(here, "fixtures", name);
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), `vk47-web-${name}-`));
  const esbuild = await import("esbuild");
  await esbuild.build({
    entryPoints: [path.join(source, "fixture.ts")],
    outfile: path.join(folder, "fixture.js"),
    bundle: true,
    format: "esm",
    target: "es2022",
    platform: "browser",
    logLevel: "error",
  });
  for (const page of fs.readdirSync(source).filter((name) => name.endsWith(".html"))) {
    fs.copyFileSync(path.join(source, page), path.join(folder, page));
  }
  for (const file of ["core.js", "core.wasm"]) {
    const from = path.join(distDir, file);
    if (!fs.existsSync(from)) throw new Error(`${from} is missing: run scripts/build-web first`);
    fs.copyFileSync(from, path.join(folder, file));
  }
  return folder;
}

// ---------------------------------------------------------------- browser

export function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

// `root`: the folder to serve (dist/web by default; a fixture's folder from
// buildFixture).
export async function startHarness({ root = distDir } = {}) {
  if (!fs.existsSync(path.join(root, "index.html"))) {
    throw new Error(`${root}/index.html is missing: run scripts/build-web first`);
  }
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "vk47-web-chromium-"));
  const cleanups = [];
  let browser = null;
  let served = null;
  const close = async () => {
    for (const cleanup of cleanups.reverse()) {
      try {
        await cleanup();
      } catch {
        // Each part is let go however another ended.
      }
    }
    cleanups.length = 0;
    const pid = browser?.process()?.pid;
    if (browser) await Promise.race([browser.close().catch(() => undefined), sleep(5000)]);
    // Chromium leads its own process group: whatever of it is still there
    // ends with it, without waiting for each child.
    if (pid) {
      try {
        process.kill(-pid, "SIGKILL");
      } catch {
        // Already gone.
      }
    }
    if (served) await served.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  try {
    served = await serveRoot(root);
    browser = await puppeteer.launch({
      executablePath: chromiumPath,
      headless: true,
      userDataDir: profile,
      args: [...CHROMIUM_ARGS],
      ignoreDefaultArgs: THROTTLING_OFF,
      env: { ...process.env, DBUS_SESSION_BUS_ADDRESS: "disabled:" },
      protocolTimeout: 60000,
    });
  } catch (error) {
    await close();
    throw error;
  }

  return {
    browser,
    baseUrl: served.url,
    close,

    async startRobot() {
      const robot = await startRobot();
      cleanups.push(() => robot.stop());
      return robot;
    },

    // A new tab with the stand-in in place, at `path` of the served page.
    // `robot`: the stand-in's bytes go to it.
    async openPage({ path: where = "/", serial = {}, robot = null, width = 1366, height = 768 } = {}) {
      const page = await browser.newPage();
      await page.setViewport({ width, height });
      const bridge = new SerialBridge(page);
      if (robot) bridge.connect(robot);
      cleanups.push(() => bridge.disconnect());
      await page.exposeFunction("__vk47SerialBridge", (kind, bytes, t, visibility) =>
        bridge.receive(kind, bytes, t, visibility),
      );
      await page.evaluateOnNewDocument(
        `(${installSerialStandIn.toString()})(${JSON.stringify(serial)}, (...a) => { window.__vk47SerialBridge(...a).catch(() => {}); });`,
      );
      // What the page said, for a test's failure message.
      const errors = [];
      const messages = [];
      page.on("pageerror", (error) => errors.push(error));
      page.on("console", (message) => messages.push(`${message.type()}: ${message.text()}`));
      page.on("requestfailed", (request) => messages.push(`request failed: ${request.url()}`));
      page.pageErrors = errors;
      page.consoleMessages = messages;
      await page.goto(`${served.url}${where}`, { waitUntil: "load" });
      return { page, serial: bridge };
    },
  };
}

// ---------------------------------------------------------------- the page

// The element of `role` whose accessible name is `name`, or begins with
// `name` and a space ("デモ Ctrl+D" for "デモ"); null when none shows.
export async function findByRole(page, role, name) {
  const handle = await page.evaluateHandle(
    ({ role, name }) => {
      const implicit = { button: "button", a: "link" };
      const roleOf = (el) => el.getAttribute("role") ?? implicit[el.localName] ?? "";
      const nameOf = (el) => {
        const label = el.getAttribute("aria-label");
        if (label) return label.trim();
        const by = el.getAttribute("aria-labelledby");
        if (by) {
          return by
            .split(/\s+/)
            .map((id) => document.getElementById(id)?.textContent ?? "")
            .join(" ")
            .replace(/\s+/g, " ")
            .trim();
        }
        return (el.textContent ?? "").replace(/\s+/g, " ").trim();
      };
      for (const el of document.querySelectorAll("*")) {
        if (roleOf(el) !== role) continue;
        const n = nameOf(el);
        if (n === name || n.startsWith(name + " ")) return el;
      }
      return null;
    },
    { role, name },
  );
  const element = handle.asElement();
  if (!element) await handle.dispose();
  return element;
}

export async function waitForRole(page, role, name, timeoutMs = 10000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const element = await findByRole(page, role, name);
    if (element) return element;
    if (Date.now() > end) throw new Error(`no ${role} named ${name}`);
    await sleep(50);
  }
}

export async function clickByRole(page, role, name) {
  const element = await waitForRole(page, role, name);
  await element.click();
  return element;
}

// Opens a menu of the menu bar and chooses one of its items.
export async function chooseMenu(page, menu, item) {
  await clickByRole(page, "menuitem", menu);
  await clickByRole(page, "menuitem", item);
}

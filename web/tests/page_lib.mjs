// What the page's tests share on top of harness.mjs: opening the editor and
// waiting for it, reading the slots' accessible names and the program kept
// in storage, the track bar, drags with the mouse, shortcuts.

import { spawnSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { findByRole, rootDir, sleep } from "./harness.mjs";

export const KANJI = /[\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff]/;

export async function openEditor(harness, options = {}) {
  const opened = await harness.openPage(options);
  try {
    await opened.page.waitForSelector("body[data-ready]", { timeout: 30000 });
  } catch (error) {
    const shown = await opened.page.evaluate(() => document.body.innerText.slice(0, 200)).catch(() => "");
    throw new Error(`the editor did not start (${opened.page.pageErrors.map(String).join("; ") || shown}): ${error.message}`);
  }
  return opened;
}

export async function slotNames(page) {
  return page.$$eval(".slot", (slots) => slots.map((slot) => slot.getAttribute("aria-label")));
}

// The program the page keeps in the browser's storage.
export async function keptProgram(page) {
  return page.evaluate(() => JSON.parse(localStorage.getItem("vk47.program") ?? "null"));
}

export async function slot(page, k) {
  return page.$(`.slot[data-slot="${k}"]`);
}

export async function setTrack(page, position) {
  const track = await page.$("input.track");
  await track.focus();
  await page.keyboard.press("Home");
  for (let i = 0; i < position; ++i) await page.keyboard.press("ArrowRight");
}

async function centre(handle) {
  const box = await handle.boundingBox();
  return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

// A drag as a pupil's mouse makes it: press, move in small steps, release.
// `to` is an element or a point; `ctrl` holds Ctrl at the release (a copy).
export async function drag(page, from, to, { ctrl = false } = {}) {
  const start = await centre(from);
  const end = to.x !== undefined ? to : await centre(to);
  await page.mouse.move(start.x, start.y);
  await page.mouse.down();
  for (let i = 1; i <= 8; ++i) {
    await page.mouse.move(start.x + ((end.x - start.x) * i) / 8, start.y + ((end.y - start.y) * i) / 8);
  }
  if (ctrl) await page.keyboard.down("Control");
  await page.mouse.up();
  if (ctrl) await page.keyboard.up("Control");
  await sleep(50);
}

export async function palette(page, name) {
  const icon = await findByRole(page, "img", name);
  if (!icon) throw new Error(`no palette icon ${name}`);
  return icon;
}

export async function shortcut(page, ...keys) {
  for (const key of keys.slice(0, -1)) await page.keyboard.down(key);
  await page.keyboard.press(keys.at(-1));
  for (const key of keys.slice(0, -1).reverse()) await page.keyboard.up(key);
  await sleep(50);
}

// The native command-line tool, for the desktop's own bytes: from the web
// tests' build folder or the main build, built in build-web-host/ when
// neither has it.
export function findVk47ctl() {
  const candidates = [
    process.env.VK47CTL,
    path.join(rootDir, "build-web-host", "bin", "vk47ctl"),
    path.join(process.env.VK47_BUILD_DIR ?? path.join(rootDir, "build"), "bin", "vk47ctl"),
  ].filter(Boolean);
  const found = candidates.find((candidate) => fs.existsSync(candidate));
  if (found) return found;
  const host = path.join(rootDir, "build-web-host");
  const run = (...args) => {
    const result = spawnSync("flock", ["/tmp/build-web-host.lock", ...args], { stdio: "inherit" });
    if (result.status !== 0) throw new Error(`${args.join(" ")} failed`);
  };
  if (!fs.existsSync(path.join(host, "CMakeCache.txt"))) {
    run("cmake", "-S", rootDir, "-B", host, "-DCMAKE_BUILD_TYPE=Release", "-DVK47_BUILD_TESTS=OFF");
  }
  run("cmake", "--build", host, "--target", "vk47ctl", "--parallel", "2");
  return path.join(host, "bin", "vk47ctl");
}

// 読込 and 保存 in the page, and what is kept over a reload: the saved bytes
// are the desktop's (the native vk47ctl writes the truth), 保存 writes back
// to the same file where the browser lets it, a refused file leaves the
// program as it was, a reload keeps the program and its undo, and closing a
// tab with unsaved changes asks first.

import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { after, before, test } from "node:test";
import { clickByRole, rootDir, sleep, startHarness } from "./harness.mjs";
import { findVk47ctl, keptProgram, openEditor, shortcut, slot, slotNames } from "./page_lib.mjs";

const here = path.dirname(new URL(import.meta.url).pathname);
const corpus = path.join(rootDir, "tests", "fuzz", "corpus", "program_file");

// The File System Access API as a browser with it answers, without its
// dialogs: each pick and each file written is recorded in the page.
function fakePickers() {
  window.__picks = [];
  window.__written = [];
  window.__toOpen = null;
  const handle = (name, bytes) => ({
    name,
    kind: "file",
    async getFile() {
      return new File([Uint8Array.from(bytes ?? [])], name);
    },
    async createWritable() {
      const chunks = [];
      return {
        async write(data) {
          chunks.push(...new Uint8Array(data instanceof Blob ? await data.arrayBuffer() : data.buffer ?? data));
        },
        async close() {
          window.__written.push({ name, bytes: chunks });
        },
      };
    },
    async queryPermission() {
      return "granted";
    },
  });
  window.showSaveFilePicker = async (options) => {
    window.__picks.push({ kind: "save", suggestedName: options?.suggestedName });
    return handle("robot.pt3");
  };
  window.showOpenFilePicker = async () => {
    window.__picks.push({ kind: "open" });
    return [handle(window.__toOpen.name, window.__toOpen.bytes)];
  };
}

let harness;
before(async () => {
  harness = await startHarness();
});
after(async () => {
  await harness?.close();
});

// A tab of its own, starting from an empty program (the storage is the
// origin's, shared by the tests' tabs): cleared from a file of the site
// that is not the page, before the page loads.
async function freshPage(setup = () => {}) {
  const page = await harness.browser.newPage();
  await page.setViewport({ width: 1366, height: 768 });
  await page.evaluateOnNewDocument(setup);
  await page.goto(`${harness.baseUrl}/manifest.webmanifest`);
  await page.evaluate(() => localStorage.clear());
  return page;
}

async function load(page) {
  await page.goto(`${harness.baseUrl}/`, { waitUntil: "load" });
  await page.waitForSelector("body[data-ready]", { timeout: 20000 });
  await page.bringToFront();
}

async function openWithPickers() {
  const page = await freshPage(fakePickers);
  await load(page);
  return page;
}

test("保存 writes the desktop's bytes, back to the same file the next time", async () => {
  const truth = path.join(fs.mkdtempSync(path.join(os.tmpdir(), "vk47-page-")), "demo.pt3");
  assert.equal(spawnSync(findVk47ctl(), ["demo", truth]).status, 0);
  const page = await openWithPickers();
  await shortcut(page, "Control", "d");
  await shortcut(page, "Control", "s");
  await page.waitForFunction(() => window.__written.length === 1);
  let written = await page.evaluate(() => window.__written);
  assert.deepEqual(Buffer.from(written[0].bytes), fs.readFileSync(truth));
  assert.deepEqual(await page.evaluate(() => window.__picks), [{ kind: "save", suggestedName: "無題.pt3" }]);
  assert.match(await page.$eval(".status-outcome", (n) => n.textContent), /^robot\.pt3 に保存しました \d\d:\d\d$/);
  assert.equal(await page.title(), "robot.pt3 - VK-47ロボット制御３");

  // Changed and saved again: the same file, no second question; an empty
  // slot is written as -1.
  await (await slot(page, 0)).focus();
  await page.keyboard.press("Delete");
  assert.equal(await page.title(), "robot.pt3* - VK-47ロボット制御３");
  await clickByRole(page, "menuitem", "ファイル");
  await clickByRole(page, "menuitem", "保存");
  await page.waitForFunction(() => window.__written.length === 2);
  written = await page.evaluate(() => window.__written);
  assert.equal(written[1].name, "robot.pt3");
  assert.deepEqual(Buffer.from(written[1].bytes), fs.readFileSync(path.join(here, "fixtures", "page", "demo_without_step0.pt3")));
  assert.equal((await page.evaluate(() => window.__picks)).length, 1);
  assert.equal(await page.title(), "robot.pt3 - VK-47ロボット制御３");
  await page.close();
});

test("読込 takes a file's program; a refused file is told and leaves the program as it was", async () => {
  const page = await openWithPickers();
  const lf = fs.readFileSync(path.join(corpus, "demo_lf.pt3"));
  await page.evaluate((bytes) => (window.__toOpen = { name: "demo_lf.pt3", bytes }), [...lf]);
  await shortcut(page, "Control", "o");
  await page.waitForFunction(() => document.querySelector('.slot[data-slot="0"]').getAttribute("aria-label") !== "ステップ 0 空き");
  const loaded = await slotNames(page);
  assert.equal(loaded[0], "ステップ 0 前進 1秒");
  assert.match(await page.$eval(".status-outcome", (n) => n.textContent), /^demo_lf\.pt3 を読み込みました/);
  assert.equal(await page.title(), "demo_lf.pt3 - VK-47ロボット制御３", "a loaded program is not modified");

  const bad = fs.readFileSync(path.join(corpus, "no_step_code.pt3"));
  await page.evaluate((bytes) => (window.__toOpen = { name: "bad.pt3", bytes }), [...bad]);
  await shortcut(page, "Control", "o");
  const dialog = await page.waitForSelector("dialog[open]");
  const said = await dialog.evaluate((d) => d.querySelector(".notice-main").textContent);
  assert.match(said, /ロボットの命令ではありません/);
  assert.match(said, /このファイルは、ほかのロボットのものか、こわれています。/, "the pupil's sentence too");
  assert.match(await page.$eval(".status-outcome", (n) => n.textContent), /^読み込めませんでした \(\d+ 行目がロボットの命令ではありません\)/);
  await (await dialog.$("button.default")).click();
  await page.waitForFunction(() => !document.querySelector("dialog"));
  assert.deepEqual(await slotNames(page), loaded);
  assert.equal((await keptProgram(page)).fileName, "demo_lf.pt3");

  // Undo goes back to before the load.
  await shortcut(page, "Control", "z");
  assert.equal((await slotNames(page))[0], "ステップ 0 空き");
  await page.close();
});

test("without the File System Access API, 読込 uses a file input and 保存 downloads", async () => {
  const downloads = fs.mkdtempSync(path.join(os.tmpdir(), "vk47-download-"));
  const page = await freshPage(() => {
    delete window.showOpenFilePicker;
    delete window.showSaveFilePicker;
  });
  const cdp = await page.createCDPSession();
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
  await load(page);
  const [chooser] = await Promise.all([page.waitForFileChooser(), shortcut(page, "Control", "o")]);
  assert.equal(chooser.isMultiple(), false);
  await chooser.accept([path.join(corpus, "demo_cr.pt3")]);
  await page.waitForFunction(() => document.title.startsWith("demo_cr.pt3"));
  await shortcut(page, "Control", "s");
  const saved = path.join(downloads, "demo_cr.pt3");
  for (let i = 0; i < 100 && !fs.existsSync(saved); ++i) await sleep(50);
  assert.deepEqual(fs.readFileSync(saved), fs.readFileSync(path.join(corpus, "demo_crlf.pt3")));
  await page.close();
});

test("a reload keeps the program, its file, its unsaved mark and its undo; closing with changes asks first", async () => {
  const page = await openWithPickers();
  await shortcut(page, "Control", "d");
  await (await slot(page, 4)).focus();
  await page.keyboard.press("Delete");
  const composed = await slotNames(page);
  // The browser asks on a reload too (it cannot tell one from a close).
  page.once("dialog", (d) => d.accept());
  await page.reload({ waitUntil: "load" });
  await page.waitForSelector("body[data-ready]");
  assert.deepEqual(await slotNames(page), composed);
  assert.equal(await page.title(), "無題* - VK-47ロボット制御３");
  await shortcut(page, "Control", "z");
  assert.equal((await slotNames(page))[4], "ステップ 4 前進 1秒");

  // Unsaved: the browser asks before the tab closes.
  const asked = new Promise((resolve) => page.once("dialog", async (d) => {
    resolve(d.type());
    await d.dismiss();
  }));
  await page.close({ runBeforeUnload: true });
  assert.equal(await Promise.race([asked, sleep(5000).then(() => "no question")]), "beforeunload");
  assert.equal(page.isClosed(), false);

  // Saved: it closes without a question.
  await shortcut(page, "Control", "s");
  await page.waitForFunction(() => window.__written.length === 1);
  let questioned = false;
  page.once("dialog", async (d) => {
    questioned = true;
    await d.accept();
  });
  await page.close({ runBeforeUnload: true });
  for (let i = 0; i < 40 && !page.isClosed(); ++i) await sleep(50);
  assert.equal(questioned, false);
});

test("a damaged or foreign program in the storage is left out, never half taken", async () => {
  const demo = [36, 4, 84, 4, 36, 4, 84, 4, 20, 4, 68, 4, 52, 4, 100, 4];
  const cases = [
    ["{not json", Array(16).fill("空き")],
    [JSON.stringify({ codes: [...demo, 4] }), Array(16).fill("空き")],
    [JSON.stringify({ codes: demo.map((c, i) => (i === 3 ? 999 : c)) }), Array(16).fill("空き")],
    // A history that does not lead to the program kept is dropped; the program stays.
    [JSON.stringify({ codes: demo, saved: demo, fileName: "a.pt3", index: 1,
      undo: [{ name: { source: "クリア", args: [] }, before: demo, after: Array(16).fill(-1) }] }), null],
  ];
  for (const [stored, expected] of cases) {
    const page = await freshPage();
    await page.evaluate((value) => localStorage.setItem("vk47.program", value), stored);
    const errors = [];
    page.on("pageerror", (error) => errors.push(error));
    await load(page);
    const names = (await slotNames(page)).map((name) => name.replace(/^ステップ \d+ /, ""));
    if (expected) {
      assert.deepEqual(names, expected, stored);
    } else {
      assert.equal(names[0], "前進 1秒");
      assert.equal(await page.title(), "a.pt3 - VK-47ロボット制御３");
      await shortcut(page, "Control", "z");
      assert.equal((await slotNames(page))[0], "ステップ 0 前進 1秒", "no undo from a history that does not fit");
    }
    assert.deepEqual(errors, []);
    await page.close();
  }
});

// The page away from the network and in the hiragana mode: after a first
// visit with the service worker active, a second visit offline still opens
// and composes; with ?kana=1 (or 設定 > ひらがな) no text of the page and no
// accessible name holds a kanji, and the mode is remembered.

import assert from "node:assert/strict";
import { after, before, test } from "node:test";
import { serve } from "../server.mjs";
import { clickByRole, distDir, sleep, startHarness } from "./harness.mjs";
import { KANJI, drag, openEditor, palette, setTrack, shortcut, slot, slotNames } from "./page_lib.mjs";

let harness;
before(async () => {
  harness = await startHarness();
});
after(async () => {
  await harness?.close();
});

test("offline, a second visit still opens and composes", async () => {
  // A server of this test's own, stopped after the first visit: the
  // second finds no network at all, the worker's cache is all there is.
  const served = await serve({ root: distDir, port: 0, host: "127.0.0.1" });
  const first = await harness.browser.newPage();
  try {
    await first.goto(`${served.url}/`, { waitUntil: "load" });
    await first.waitForSelector("body[data-ready]", { timeout: 20000 });
    // The worker has cached every file once it is active and controls the page.
    await first.evaluate(async () => {
      await navigator.serviceWorker.ready;
      if (!navigator.serviceWorker.controller) {
        await new Promise((resolve) => navigator.serviceWorker.addEventListener("controllerchange", resolve, { once: true }));
      }
    });
    // Installable as an app: Chromium finds nothing missing in the manifest,
    // its icons or the worker.
    const cdp = await first.createCDPSession();
    assert.deepEqual((await cdp.send("Page.getInstallabilityErrors")).installabilityErrors, []);
  } finally {
    await first.close();
    await served.close();
  }

  const page = await harness.browser.newPage();
  await page.setViewport({ width: 1366, height: 768 });
  const errors = [];
  page.on("pageerror", (error) => errors.push(error));
  await page.setOfflineMode(true);
  await page.goto(`${served.url}/?kana=0`, { waitUntil: "load" });
  await page.waitForSelector("body[data-ready]", { timeout: 20000 });
  // Truly away: what the worker has not cached does not come.
  assert.equal(await page.evaluate(() => fetch("/not-cached.txt").then((r) => `status ${r.status}`, () => "failed")), "failed");
  await setTrack(page, 2);
  await drag(page, await palette(page, "後退"), await slot(page, 7));
  assert.equal((await slotNames(page))[7], "ステップ 7 後退 0.5秒");
  // The pictures came from the cache too.
  const broken = await page.$$eval("img", (imgs) => imgs.filter((img) => !img.complete || img.naturalWidth === 0).length);
  assert.equal(broken, 0);
  assert.deepEqual(errors, []);
  await page.close();
});

// Every text a pupil or a screen reader meets: the visible text, the menus'
// items (also while closed), the accessible names, the tool tips.
async function pageTexts(page) {
  return page.evaluate(() => {
    const texts = [document.body.innerText];
    for (const node of document.querySelectorAll("*")) {
      for (const attribute of ["aria-label", "title", "aria-description", "alt", "placeholder"]) {
        const value = node.getAttribute(attribute);
        if (value) texts.push(value);
      }
      if (node.matches("[role=menu], [role=menuitem], [role=menuitemcheckbox], button, [role=option]")) texts.push(node.textContent);
    }
    return texts.join("\n").split("\n").filter((line) => line.trim() !== "");
  });
}

test("with ?kana=1 the page's text and accessible names hold no kanji", async () => {
  const { page } = await openEditor(harness, { path: "/?kana=1", serial: { absent: true } });
  // A program with every kind of step, the command list open, a notice.
  await shortcut(page, "Control", "d");
  await setTrack(page, 5);
  for (const [name, k] of [["かいすう", 1], ["ここから", 3], ["とぶ", 5], ["させつ", 7], ["おわり", 9]]) {
    await drag(page, await palette(page, name), await slot(page, k));
  }
  await (await slot(page, 0)).focus();
  await page.keyboard.press("Enter");
  await page.waitForSelector("[role=listbox]");
  const withList = await pageTexts(page);
  await page.keyboard.press("Escape");
  // 転送 without Web Serial says why in the status line.
  await clickByRole(page, "button", "てんそう");
  await sleep(100);
  const texts = [...withList, ...(await pageTexts(page))];
  const kanji = texts.filter((line) => KANJI.test(line));
  assert.deepEqual([...new Set(kanji)], [], "texts with kanji");
  // The texts are there at all: the slots' names, the menu bar, the note on Web Serial.
  assert.equal((await slotNames(page))[1], "ステップ 1 かいすう 5かい");
  assert.ok(texts.some((line) => line.includes("ロボットに おくれません")));
  assert.equal(await page.$eval("[role=menuitemcheckbox]", (n) => n.getAttribute("aria-checked")), "true");
  await page.close();
});

test("設定 > ひらがな switches every text at once and is remembered", async () => {
  const { page } = await openEditor(harness);
  await shortcut(page, "Control", "d");
  assert.ok((await pageTexts(page)).some((line) => KANJI.test(line)));
  await clickByRole(page, "menuitem", "設定");
  await clickByRole(page, "menuitemcheckbox", "ひらがな");
  assert.deepEqual((await pageTexts(page)).filter((line) => KANJI.test(line)), []);
  assert.equal((await slotNames(page))[0], "ステップ 0 ぜんしん 1びょう");
  assert.match(await page.$eval(".status-outcome", (n) => n.textContent), /^ひらがなで ひょうじします|^ひらがな/);
  assert.match(await page.$eval('.slot[data-slot="0"] img', (n) => n.getAttribute("src")), /^img\/kana\//);

  page.once("dialog", (d) => d.accept());
  await page.reload({ waitUntil: "load" });
  await page.waitForSelector("body[data-ready]");
  assert.equal((await slotNames(page))[0], "ステップ 0 ぜんしん 1びょう");

  await clickByRole(page, "menuitem", "せってい");
  await clickByRole(page, "menuitemcheckbox", "ひらがな");
  assert.equal((await slotNames(page))[0], "ステップ 0 前進 1秒");
  assert.equal(await page.$eval("[role=menubar] [role=menuitem]", (n) => n.textContent), "ファイル");
  await page.close();
});

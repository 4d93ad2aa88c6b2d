// The simulator panel and the printed program sheet in the page (dist/web),
// driven through their accessible names as a pupil would: the demo runs to
// its end with the floor drawn and the status given, a change of the
// program sends the run back to the start, the switch moves a program that
// waits for it, and the sheet prints alone on one A4 page with the sixteen
// steps and the floor life size, in kanji and in hiragana.

import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { after, before, describe, test } from "node:test";
import { chooseMenu, clickByRole, findByRole, sleep, startHarness, waitForRole } from "./harness.mjs";

const KANJI = /[\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff\u3005]/;

let h;

before(async () => {
  h = await startHarness();
});

after(async () => {
  await h?.close();
});

async function openEditor(query = "") {
  const { page } = await h.openPage({ path: `/${query}` });
  // A program with unsaved changes asks before the page goes: yes.
  page.on("dialog", (dialog) => void dialog.accept().catch(() => undefined));
  await waitForRole(page, "menuitem", "ファイル", 15000);
  // Each test starts from an empty program, whatever an earlier one kept.
  await page.evaluate(() => localStorage.clear());
  await page.reload({ waitUntil: "load" });
  await waitForRole(page, "menuitem", "ファイル", 15000);
  return page;
}

async function openSimulator(page, name = "シミュレーション") {
  await chooseMenu(page, "制御", name);
  return waitForRole(page, "dialog", name);
}

// What the panel shows, read from the page.
function panel(page) {
  return page.evaluate(() => {
    const root = document.querySelector(".sim-panel");
    const svg = root.querySelector(".sim-floor svg");
    const drawn = svg?.querySelector("path")?.getAttribute("d") ?? "";
    return {
      shown: !root.hidden,
      time: root.querySelector(".sim-time").textContent,
      step: root.querySelector(".sim-step").textContent,
      status: root.querySelector("[role=status]").textContent,
      rules: root.querySelector(".sim-rules").textContent,
      floorLabel: svg?.getAttribute("aria-label") ?? null,
      floorWidth: svg ? Number(svg.getAttribute("width")) : 0,
      pathPoints: (drawn.match(/[ML]/g) ?? []).length,
      robot: !!svg?.querySelector("g[transform]"),
      marked: [...document.querySelectorAll(".slot.running")].map((slot) => Number(slot.dataset.slot)),
      text: root.innerText,
    };
  });
}

async function waitForStatus(page, pattern, timeoutMs = 20000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const now = await panel(page);
    if (pattern.test(now.status)) return now;
    if (Date.now() > end) throw new Error(`status never matched ${pattern}: ${now.status} (${now.time})`);
    await sleep(50);
  }
}

describe("the simulator", () => {
  test("runs the demo to its end with the floor, the robot, the path, the running step and the status", async () => {
    const page = await openEditor();
    await chooseMenu(page, "Edit", "デモ");
    await openSimulator(page);
    const ready = await panel(page);
    assert.ok(ready.shown);
    assert.equal(ready.time, "時間 0.00 秒");
    assert.equal(ready.step, "ステップ 0: 前進 1秒");
    assert.match(ready.status, /^「スタート」を押すと/);
    assert.match(ready.rules, /車輪は 1 秒に 10 cm 進みます/);
    assert.equal(ready.floorLabel, "床とロボットの通り道");
    assert.ok(ready.floorWidth > 300, `the floor fills the panel (${ready.floorWidth} px)`);
    assert.ok(ready.robot);
    assert.deepEqual(ready.marked, [], "nothing is marked before the start");
    assert.equal(await (await findByRole(page, "button", "一時停止")).evaluate((b) => b.disabled), true);
    assert.equal(await (await findByRole(page, "button", "スイッチ")).evaluate((b) => b.disabled), true);

    await clickByRole(page, "button", "×4");
    await clickByRole(page, "button", "スタート");
    const moving = await waitForStatus(page, /^動いています \(速さ ×4\)$/);
    assert.equal(moving.marked.length, 1, "the running step's slot is marked");
    const end = await waitForStatus(page, /^おわり/);
    assert.equal(end.status, "おわり: ステップ 15 まで進みました。");
    assert.equal(end.time, "時間 16.00 秒");
    assert.equal(end.step, "");
    assert.deepEqual(end.marked, [], "the mark goes at the end");
    assert.ok(end.pathPoints > 20, `the path is drawn (${end.pathPoints} points)`);
    assert.deepEqual(page.pageErrors, []);
  });

  test("pauses, and a change of the program sends it back to the start", async () => {
    const page = await openEditor();
    await chooseMenu(page, "Edit", "デモ");
    await openSimulator(page);
    await clickByRole(page, "button", "スタート");
    await page.waitForFunction(() => parseFloat(document.querySelector(".sim-time").textContent.replace(/[^0-9.]/g, "")) >= 0.5);
    await clickByRole(page, "button", "一時停止");
    const paused = await panel(page);
    assert.equal(paused.status, "一時停止中");
    await sleep(300);
    assert.equal((await panel(page)).time, paused.time, "nothing moves while paused");
    assert.equal(paused.marked.length, 1, "the paused step stays marked");

    await chooseMenu(page, "Edit", "クリア");
    const reset = await panel(page);
    assert.equal(reset.time, "時間 0.00 秒");
    assert.match(reset.status, /^「スタート」を押すと/);
    assert.deepEqual(reset.marked, []);
    assert.equal(reset.step, "ステップ 0: 待つ 0秒");
  });

  test("the switch moves a program that waits for it; the keys work in the panel", async () => {
    const page = await openEditor();
    // 入力 on slot 0 and 前進 1秒 on slot 1, composed with the keyboard.
    const track = await page.waitForSelector("input[type=range]");
    await track.focus();
    for (let i = 0; i < 4; ++i) await page.keyboard.press("ArrowRight");
    for (const [slot, command] of [[0, "入力"], [1, "前進"]]) {
      const cell = await waitForRole(page, "button", `ステップ ${slot}`);
      await cell.focus();
      await page.keyboard.press("Enter");
      await clickByRole(page, "option", command);
    }
    await waitForRole(page, "button", "ステップ 1 前進 1秒");

    const dialog = await openSimulator(page);
    await dialog.focus();
    await page.keyboard.press("s");
    const waiting = await waitForStatus(page, /スイッチが押されるのを待っています/);
    assert.deepEqual(waiting.marked, [0]);
    await sleep(300);
    assert.match((await panel(page)).status, /待っています/, "it waits for as long as it takes");
    await clickByRole(page, "button", "スイッチ");
    const end = await waitForStatus(page, /^おわり/);
    const seconds = parseFloat(end.time.replace(/[^0-9.]/g, ""));
    assert.ok(seconds >= 1.3, `the wait, then the 1 s drive (${end.time})`);
    assert.ok(end.pathPoints >= 2);

    // After the end, S starts again from the start, and Space presses the switch.
    await dialog.focus();
    await page.keyboard.press("s");
    await waitForStatus(page, /スイッチが押されるのを待っています/);
    await page.keyboard.press("Space");
    await waitForStatus(page, /^(動いています|おわり)/);
    await page.keyboard.press("Escape");
    assert.equal((await panel(page)).shown, false, "Escape closes the panel");
    assert.deepEqual((await panel(page)).marked, []);
  });

  test("in hiragana mode the panel holds no kanji", async () => {
    const page = await openEditor("?kana=1");
    await chooseMenu(page, "へんしゅう", "デモ");
    await chooseMenu(page, "せいぎょ", "シミュレーション");
    const shown = await panel(page);
    assert.ok(shown.shown);
    assert.doesNotMatch(shown.text, KANJI, shown.text);
    assert.doesNotMatch(shown.floorLabel, KANJI);
  });
});

describe("the program sheet", () => {
  // Prints through 印刷… with the browser's dialog replaced by a count.
  async function printDemo(page, fileMenu = "ファイル", printItem = "印刷…") {
    await page.evaluate(() => {
      window.__printed = 0;
      window.print = () => {
        window.__printed += 1;
        window.__printTitle = document.title;
      };
    });
    await chooseMenu(page, fileMenu, printItem);
    assert.equal(await page.evaluate(() => window.__printed), 1);
  }

  test("prints alone on one A4 page: sixteen steps, the floor life size, the desktop's words", async () => {
    const page = await openEditor();
    await chooseMenu(page, "Edit", "デモ");
    await printDemo(page);
    await page.emulateMediaType("print");
    const sheet = await page.evaluate(() => {
      const root = document.getElementById("print-sheet");
      const svg = root.querySelector(".sheet-floor svg").getBoundingClientRect();
      const shown = (selector) => getComputedStyle(document.querySelector(selector)).display !== "none";
      return {
        sheetShown: shown("#print-sheet"),
        editorShown: shown("#app"),
        steps: [...root.querySelectorAll(".sheet-step")].map((cell) => cell.innerText.replace(/\s+/g, " ").trim()),
        text: root.innerText,
        floorPx: [svg.width, svg.height],
        mmPx: (() => {
          const probe = document.createElement("div");
          probe.style.width = "100mm";
          root.append(probe);
          const px = probe.getBoundingClientRect().width / 100;
          probe.remove();
          return px;
        })(),
      };
    });
    assert.equal(await page.evaluate(() => window.__printTitle), "無題", "the print job is named as the sheet");
    assert.match(await page.evaluate(() => document.title), /VK-47ロボット制御３/, "and the page's title comes back");
    assert.ok(sheet.sheetShown);
    assert.equal(sheet.editorShown, false, "the editor is not printed");
    assert.equal(sheet.steps.length, 16);
    assert.equal(sheet.steps[0], "0 前進 1秒");
    assert.equal(sheet.steps[1], "1 待つ 1秒");
    assert.equal(sheet.steps[2], "2 後退 1秒");
    assert.ok(sheet.steps.every((step, k) => step.startsWith(`${k} `)), "each step with its number");
    for (const words of ["無題", "名前", "組", "実物大", "ロボットの通り道 (スイッチを押さないとき)", "1 目盛り = 1 cm"]) {
      assert.ok(sheet.text.includes(words), words);
    }
    // The demo's floor: 12 x 6 cm of grid (its marks have their size on
    // paper), with 10 mm of numbers left of it and 5 mm under it, drawn life
    // size.
    assert.ok(Math.abs(sheet.floorPx[0] / sheet.mmPx - 130) < 0.5, `${sheet.floorPx[0] / sheet.mmPx} mm wide`);
    assert.ok(Math.abs(sheet.floorPx[1] / sheet.mmPx - 65) < 0.5, `${sheet.floorPx[1] / sheet.mmPx} mm high`);

    const dir = fs.mkdtempSync(path.join(os.tmpdir(), "vk47-sheet-"));
    try {
      const pdf = path.join(dir, "sheet.pdf");
      await page.pdf({ path: pdf, preferCSSPageSize: true, printBackground: true });
      const info = spawnSync("pdfinfo", [pdf], { encoding: "utf8" });
      assert.equal(info.status, 0, info.stderr);
      assert.match(info.stdout, /Pages:\s+1\n/);
      assert.match(info.stdout, /Page size:\s+59[45](\.\d+)? x 84[12](\.\d+)? pts \(A4\)/);
      const text = spawnSync("pdftotext", ["-layout", pdf, "-"], { encoding: "utf8" }).stdout;
      // The same counts as the desktop's PDF of the demo.
      for (const [words, count] of [["前進 1秒", 2], ["後退 1秒", 2], ["待つ 1秒", 8], ["左前 1秒", 1], ["右後 1秒", 1]]) {
        assert.equal(text.split(words).length - 1, count, words);
      }
    } finally {
      fs.rmSync(dir, { recursive: true, force: true });
    }
  });

  // A program kept in the page's storage, as a reload finds it.
  async function keepProgram(page, codes, fileName) {
    await page.evaluate((codes, fileName) => {
      localStorage.setItem("vk47.program", JSON.stringify({ codes, saved: codes, fileName, undo: [], index: 0 }));
    }, codes, fileName);
    await page.reload({ waitUntil: "load" });
    await waitForRole(page, "menuitem", "ファイル", 15000);
  }

  test("every kind of step in words, the file's name, an empty step, the outcome and a stated scale", async () => {
    const page = await openEditor();
    // 回数 3, 入力, ここから → 2, 飛ぶ → 5, then empty: the sheet's run waits for the switch.
    await keepProgram(page, [0xb3, 0x80, 0xc2, 0xa5, ...Array(12).fill(-1)], "まつ.pt3");
    await printDemo(page);
    const text = await page.evaluate(() => document.getElementById("print-sheet").innerText);
    for (const words of ["まつ.pt3", "回数 3", "入力", "ここから → 2", "飛ぶ → 5", "(空き)", "マイクロスイッチが押されるのを待ったまま"]) {
      assert.ok(text.includes(words), `${words} in ${text}`);
    }
    // 150 cm of driving does not fit life size: 1/10, and the drawing shrinks with it.
    await keepProgram(page, [...Array(15).fill(36), 20], "long.pt3");
    await printDemo(page);
    const long = await page.evaluate(() => {
      const root = document.getElementById("print-sheet");
      const svg = root.querySelector(".sheet-floor svg");
      return { text: root.innerText, width: svg.getAttribute("width"), viewBox: svg.getAttribute("viewBox") };
    });
    assert.ok(long.text.includes("縮尺 1/10"), long.text);
    const [, , viewW] = long.viewBox.split(" ").map(Number);
    assert.ok(Math.abs(parseFloat(long.width) - viewW) < 0.01, `1 cm of floor is 1 mm of paper: ${long.width} for ${viewW} cm`);
  });

  test("in hiragana mode the sheet holds no kanji and shows the hiragana pictures", async () => {
    const page = await openEditor("?kana=1");
    await chooseMenu(page, "へんしゅう", "デモ");
    await printDemo(page, "ファイル", "いんさつ…");
    const sheet = await page.evaluate(() => {
      const root = document.getElementById("print-sheet");
      return { text: root.textContent, pictures: [...root.querySelectorAll("img")].map((img) => img.getAttribute("src")) };
    });
    assert.doesNotMatch(sheet.text, KANJI, sheet.text);
    assert.ok(sheet.pictures.every((src) => src.startsWith("img/kana/")), sheet.pictures.join(" "));
  });
});

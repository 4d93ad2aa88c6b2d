// Composing a program in the page as a pupil does: palette drops with the
// track bar's position at the drop, the value label, the command list by
// keys, + and -, the wheel, moving, copying and emptying a step by drag,
// undo and redo. The program must end as composed, in the slots'
// accessible names and in what the page keeps.

import assert from "node:assert/strict";
import { after, before, test } from "node:test";
import { clickByRole, findByRole, startHarness } from "./harness.mjs";
import { drag, keptProgram, openEditor, palette, setTrack, shortcut, slot, slotNames } from "./page_lib.mjs";

let harness;
before(async () => {
  harness = await startHarness();
});
after(async () => {
  await harness?.close();
});

// Step codes by the command table: 前進 32 + p, 待つ 0 + p, 後退 80 + p,
// 回数 (repeat) 128 + p, 左折 (no value) 192.
test("a program composed by drags, clicks, keys and the wheel ends as composed", async () => {
  const { page } = await openEditor(harness);
  assert.deepEqual(await slotNames(page), Array.from({ length: 16 }, (_, k) => `ステップ ${k} 空き`));

  // The position that counts is the one at the drop.
  await setTrack(page, 4);
  await drag(page, await palette(page, "前進"), await slot(page, 0));
  await setTrack(page, 8);
  await drag(page, await palette(page, "待つ"), await slot(page, 1));
  await drag(page, await palette(page, "左折"), await slot(page, 3));
  let names = await slotNames(page);
  assert.equal(names[0], "ステップ 0 前進 1秒");
  assert.equal(names[1], "ステップ 1 待つ 2秒");
  assert.equal(names[3], "ステップ 3 左折");

  // A drop that misses every slot changes nothing.
  const before = await slotNames(page);
  await drag(page, await palette(page, "後退"), await page.$("#box-basic .box-caption"));
  assert.deepEqual(await slotNames(page), before);

  // Escape ends a drag without a drop.
  const escFrom = await (await palette(page, "後退")).boundingBox();
  const escTo = await (await slot(page, 4)).boundingBox();
  await page.mouse.move(escFrom.x + 10, escFrom.y + 10);
  await page.mouse.down();
  await page.mouse.move(escTo.x + 10, escTo.y + 10, { steps: 5 });
  await page.keyboard.press("Escape");
  await page.mouse.up();
  assert.deepEqual(await slotNames(page), before);

  // A finger drags as a mouse does (pointer events).
  await setTrack(page, 0);
  const touchFrom = await (await palette(page, "前進")).boundingBox();
  const touchTo = await (await slot(page, 9)).boundingBox();
  await page.touchscreen.touchStart(touchFrom.x + 20, touchFrom.y + 20);
  for (let i = 1; i <= 8; ++i) {
    await page.touchscreen.touchMove(touchFrom.x + 20 + ((touchTo.x - touchFrom.x) * i) / 8, touchFrom.y + 20 + ((touchTo.y - touchFrom.y) * i) / 8);
  }
  await page.touchscreen.touchEnd();
  assert.equal((await slotNames(page))[9], "ステップ 9 前進 0秒");
  await (await slot(page, 9)).focus();
  await page.keyboard.press("Backspace");
  await setTrack(page, 8);

  // The keys: Enter opens the command list on the focused slot, the arrows
  // choose (後退 is the sixth), Enter places it with the track bar's position.
  await (await slot(page, 1)).focus();
  await page.keyboard.press("ArrowDown"); // to slot 2
  await page.keyboard.press("Enter");
  await page.waitForSelector("[role=listbox]");
  await page.keyboard.press("Home");
  for (let i = 0; i < 5; ++i) await page.keyboard.press("ArrowDown");
  await page.keyboard.press("Enter");
  assert.equal((await slotNames(page))[2], "ステップ 2 後退 2秒");
  assert.equal(await page.evaluate(() => document.activeElement?.dataset.slot), "2", "the keys stay on the slot");
  await page.keyboard.press("+");
  await page.keyboard.press("+");
  await page.keyboard.press("-");
  assert.equal((await slotNames(page))[2], "ステップ 2 後退 2.25秒");
  // A command without a value keeps it; an empty slot stays empty.
  await (await slot(page, 3)).focus();
  await page.keyboard.press("+");
  assert.equal((await slotNames(page))[3], "ステップ 3 左折");

  // The wheel over a filled slot: away from the pupil is up.
  const wheelAt = await (await slot(page, 1)).boundingBox();
  await page.mouse.move(wheelAt.x + 10, wheelAt.y + 10);
  await page.mouse.wheel({ deltaY: -100 });
  await page.mouse.wheel({ deltaY: -100 });
  assert.equal((await slotNames(page))[1], "ステップ 1 待つ 2.5秒");

  // A click on the cyan value label takes the track bar's position now.
  await setTrack(page, 12);
  await (await page.$('.value-label[data-slot="0"]')).click();
  assert.equal((await slotNames(page))[0], "ステップ 0 前進 3秒");

  // A step dragged onto another slot moves; with Ctrl it is copied; dragged
  // out of the program box it is removed.
  await drag(page, await slot(page, 0), await slot(page, 5));
  await drag(page, await slot(page, 5), await slot(page, 6), { ctrl: true });
  await drag(page, await slot(page, 3), await page.$("#box-extended"));
  names = await slotNames(page);
  assert.equal(names[0], "ステップ 0 空き");
  assert.equal(names[5], "ステップ 5 前進 3秒");
  assert.equal(names[6], "ステップ 6 前進 3秒");
  assert.equal(names[3], "ステップ 3 空き");

  // Delete empties the focused slot; undo brings it back, redo empties it again.
  await (await slot(page, 6)).focus();
  await page.keyboard.press("Delete");
  assert.equal((await slotNames(page))[6], "ステップ 6 空き");
  await shortcut(page, "Control", "z");
  assert.equal((await slotNames(page))[6], "ステップ 6 前進 3秒");
  assert.match(await page.$eval(".status-outcome", (n) => n.textContent), /^元に戻しました \(ステップ 6 を空にする\) \d\d:\d\d$/);
  await shortcut(page, "Control", "y");
  assert.equal((await slotNames(page))[6], "ステップ 6 空き");

  const expected = [-1, 10, 89, -1, -1, 44, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1];
  const kept = await keptProgram(page);
  assert.deepEqual(kept.codes, expected);
  // Codes and names agree: every name says its step.
  names = await slotNames(page);
  assert.deepEqual(names.slice(0, 3), ["ステップ 0 空き", "ステップ 1 待つ 2.5秒", "ステップ 2 後退 2.25秒"]);
  // Each visible code label shows its slot's code.
  const labels = await page.$$eval(".code-label", (nodes) => nodes.map((n) => (n.hidden ? -1 : Number(n.textContent))));
  assert.deepEqual(labels, expected);
  assert.deepEqual(page.pageErrors, []);
  await page.close();
});

test("the menu bar has the desktop's menus and items, with their shortcuts, and undo through the menu", async () => {
  const { page } = await openEditor(harness);
  const bar = await page.$$eval("[role=menubar] > * > [role=menuitem]", (items) => items.map((i) => i.textContent));
  assert.deepEqual(bar, ["ファイル", "Edit", "制御", "設定", "ヘルプ"]);
  const items = await page.$$eval("[role=menu]", (menus) =>
    menus.map((m) => [...m.querySelectorAll("[role^=menuitem]")].map((i) => i.textContent)));
  assert.deepEqual(items, [
    ["読込 Ctrl+O", "保存 Ctrl+S", "印刷… Ctrl+P"],
    ["デモ Ctrl+D", "クリア Ctrl+C", "元に戻す Ctrl+Z", "やり直し Ctrl+Y"],
    // In a tab the browser keeps Ctrl+T: 転送 is Alt+T.
    ["転送 Alt+T", "実行 Ctrl+R", "シミュレーション F5"],
    ["ひらがな"],
    ["ヘルプの表示 F1"],
  ]);
  assert.equal(await page.$eval("[role=menuitemcheckbox]", (n) => n.getAttribute("aria-checked")), "false");

  // The keys alone: the menu bar, Down into Edit, Enter on デモ.
  await page.$eval("[role=menubar] [role=menuitem]", (n) => n.focus());
  await page.keyboard.press("ArrowRight");
  await page.keyboard.press("ArrowDown");
  await page.keyboard.press("Enter");
  assert.equal((await slotNames(page))[0], "ステップ 0 前進 1秒");
  await clickByRole(page, "menuitem", "Edit");
  await clickByRole(page, "menuitem", "クリア");
  assert.equal((await slotNames(page))[0], "ステップ 0 空き");
  await clickByRole(page, "menuitem", "Edit");
  await clickByRole(page, "menuitem", "元に戻す");
  assert.equal((await slotNames(page))[0], "ステップ 0 前進 1秒");
  // The buttons and the track bar are named too.
  assert.ok(await findByRole(page, "button", "転送"));
  assert.ok(await findByRole(page, "button", "実行"));
  assert.equal(await page.$eval("input.track", (n) => n.getAttribute("aria-label")), "時間・飛び先・回数 0");
  assert.equal(await page.title(), "無題* - VK-47ロボット制御３");

  // The whole window fits a Chromebook's screen without scrolling, in a tab
  // (the browser's own bars take some of it) and as an installed app.
  for (const [width, height] of [[1366, 768], [1366, 640], [1366, 540], [1280, 800], [1280, 690]]) {
    await page.setViewport({ width, height });
    await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
    const overflow = await page.evaluate(() => {
      const scroller = document.querySelector(".scroller");
      const client = document.querySelector("#client").getBoundingClientRect();
      const status = document.querySelector(".status-line").getBoundingClientRect();
      return {
        scrolls: scroller.scrollHeight > scroller.clientHeight || scroller.scrollWidth > scroller.clientWidth,
        outside: client.right > innerWidth + 0.5 || client.bottom > status.top + 0.5 || status.bottom > innerHeight + 0.5,
      };
    });
    assert.deepEqual(overflow, { scrolls: false, outside: false }, `${width} x ${height}`);
  }
  await page.close();
});

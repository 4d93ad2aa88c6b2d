// The robot link on a page of its own (fixtures/serial-link: 転送 and 実行
// over the real core), with the Web Serial stand-in and the real virtual
// robot: the cases of the port and the pacing that the editor's own tests
// do not reach.

import assert from "node:assert/strict";
import fs from "node:fs";
import { after, before, describe, test } from "node:test";
import { buildFixture, clickByRole, sleep, startHarness } from "./harness.mjs";

const WAIT_MS = 100;

let folder;
let h;

before(async () => {
  folder = await buildFixture("serial-link");
  h = await startHarness({ root: folder });
});

after(async () => {
  await h?.close();
  if (folder) fs.rmSync(folder, { recursive: true, force: true });
});

async function open(serial, query = "") {
  const robot = await h.startRobot();
  const opened = await h.openPage({ path: `/${query}`, serial, robot });
  try {
    await opened.page.waitForFunction(() => window.__ready === true, { timeout: 15000 });
  } catch (error) {
    const said = [...opened.page.pageErrors.map(String), ...opened.page.consoleMessages].join("\n");
    throw new Error(`the fixture page did not start: ${error.message}\n${said}`);
  }
  return { ...opened, robot };
}

// The results of the commands given so far, once there are `count`.
async function results(page, count) {
  await page.waitForFunction((n) => window.__results.length >= n, { timeout: 20000 }, count);
  return page.evaluate(() => window.__results);
}

const pageText = (page) => page.evaluate(() => document.body.innerText);
const KANJI = /[\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff]/;

describe("the port", () => {
  test("a granted port is used without asking; it is opened at 9600 8N1 and closed after", async () => {
    const { page, serial, robot } = await open({ granted: true });
    await clickByRole(page, "button", "転送");
    const [result] = await results(page, 1);
    assert.equal(result.kind, "sent");
    assert.match(result.status, /^16 ステップを USB 0403:6001 に送信しました \d\d:\d\d$/);
    const state = await serial.state();
    assert.equal(state.requests, 0, "no chooser for a granted port");
    assert.deepEqual(state.opens, [{ baudRate: 9600, dataBits: 8, stopBits: 1, parity: "none", flowControl: "none" }]);
    assert.equal(state.closes, 1);
    assert.ok(state.writes.every((w) => typeof w.value === "number"), "one byte per write");
    assert.deepEqual(await page.evaluate(() => window.__busy), [true, false]);
    const [frame] = await robot.waitForFrames(1);
    assert.equal(frame.kind, "transfer");
  });

  test("a closed chooser sends nothing and says so; the next click asks again and sends", async () => {
    const { page, serial, robot } = await open({ chooser: "cancel" });
    await clickByRole(page, "button", "転送");
    const [cancelled] = await results(page, 1);
    assert.equal(cancelled.kind, "cancelled");
    assert.doesNotMatch(cancelled.status, /送信しました|送りました/);
    let state = await serial.state();
    assert.equal(state.requests, 1);
    assert.equal(state.opens.length, 0);
    assert.equal(state.writes.length, 0);

    await serial.configure({ chooser: "pick" });
    await clickByRole(page, "button", "実行");
    const [, sent] = await results(page, 2);
    assert.equal(sent.kind, "sent");
    state = await serial.state();
    assert.equal(state.requests, 2);
    assert.deepEqual((await robot.waitForFrames(1)).map((f) => [f.kind, f.values]), [["execute", [0x78]]]);
  });

  test("without Web Serial, 転送 and 実行 say so in one sentence and touch nothing", async () => {
    const { page } = await open({ absent: true });
    await clickByRole(page, "button", "転送");
    await clickByRole(page, "button", "実行");
    const list = await results(page, 2);
    for (const result of list) {
      assert.equal(result.kind, "unsupported");
      assert.equal(result.status.match(/。/g)?.length, 1, result.status);
    }
    assert.deepEqual(page.pageErrors, []);
  });

  test("a port another program holds: the pupil is told so, nothing is called sent", async () => {
    const { page, serial } = await open({ granted: true, openError: "NetworkError" });
    await clickByRole(page, "button", "転送");
    const [result] = await results(page, 1);
    assert.equal(result.kind, "failed");
    assert.match(result.notice.main.join("\n"), /他のプログラムが使用中/);
    assert.match(result.status, /^送信できませんでした: /);
    assert.doesNotMatch(JSON.stringify(result) + (await pageText(page)), /送信しました|送りました/);
    assert.equal((await serial.state()).writes.length, 0);
    // The progress window never showed, or is gone again.
    assert.equal(await page.evaluate(() => document.querySelector(".vk47-progress")?.hidden ?? true), true);
  });

  test("a port whose adapter was pulled out is not called busy: the pupil is told it is not found", async () => {
    const { page, serial } = await open({ granted: true });
    // Gone without the page hearing of it: open() fails as Chromium's does.
    await page.evaluate(() => {
      window.__vk47SerialStandIn.state.vanished = true;
    });
    await clickByRole(page, "button", "転送");
    const [result] = await results(page, 1);
    assert.equal(result.kind, "failed");
    assert.match(result.notice.main.join("\n"), /見つかりません/);
    assert.doesNotMatch(result.notice.main.join("\n"), /使用中/);
    // Plugged in again: the next command asks for the port.
    await page.evaluate(() => {
      window.__vk47SerialStandIn.state.vanished = false;
    });
    await clickByRole(page, "button", "実行");
    const [, sent] = await results(page, 2);
    assert.equal(sent.kind, "sent");
    assert.equal((await serial.state()).requests, 1);
  });
});

describe("the transfer", () => {
  test("a write that completes late delays what follows; no wait is shortened to catch up", async () => {
    // Write 4 (the slot 2's code) takes 60 ms to complete.
    const { page, serial, robot } = await open({ granted: true, slowWrites: { 4: 60 } });
    await clickByRole(page, "button", "転送");
    await results(page, 1);
    const { writes } = await serial.state();
    assert.equal(writes.length, 17);
    for (let i = 1; i < writes.length; ++i) {
      const afterDone = writes[i].t - writes[i - 1].done;
      assert.ok(afterDone >= WAIT_MS, `write ${i} came ${afterDone.toFixed(2)} ms after write ${i - 1} completed`);
      assert.ok(writes[i].t - writes[i - 1].t >= WAIT_MS);
    }
    assert.ok(writes[5].t - writes[4].t >= WAIT_MS + 60, "the slow write's wait began when it completed");
    assert.ok(writes[6].t - writes[5].t >= WAIT_MS, "the gap after it is whole");
    assert.equal((await robot.waitForFrames(1))[0].kind, "transfer");
  });

  test("where the server's policy refuses the Worker, the page's own timer paces the transfer", async () => {
    const { page, serial } = await open({ granted: true }, "no-blob-worker.html");
    await clickByRole(page, "button", "転送");
    const [result] = await results(page, 1);
    assert.ok(page.consoleMessages.some((m) => /Content Security Policy/.test(m)), "the Worker was refused");
    assert.equal(result.kind, "sent");
    const { writes } = await serial.state();
    assert.equal(writes.length, 17);
    for (let i = 1; i < writes.length; ++i) assert.ok(writes[i].t - writes[i - 1].done >= WAIT_MS);
  });

  test("the progress window shows the title, the counter and the bar, and goes when done", async () => {
    const { page } = await open({ granted: true });
    await clickByRole(page, "button", "転送");
    // Read at once, while the counter shows 8.
    const seen = await page.waitForFunction(
      () => {
        const box = document.querySelector(".vk47-progress[role=dialog]");
        if (!box || box.hidden || box.querySelector(".vk47-progress-counter").textContent !== "8") return null;
        return { text: box.innerText, bar: box.querySelector("[role=progressbar]").getAttribute("aria-valuenow") };
      },
      { timeout: 10000, polling: 5 },
    );
    const { text, bar } = await seen.jsonValue();
    assert.match(text, /プログラム転送中/);
    assert.match(text, /8\s*\/ 16/);
    // After step 7 (0-based) the bar stands at 7 × 6.25 rounded half to even.
    assert.equal(bar, "44");
    await results(page, 1);
    const end = await page.$eval(".vk47-progress", (box) => ({
      hidden: box.hidden,
      counter: box.querySelector(".vk47-progress-counter").textContent,
      bar: box.querySelector("[role=progressbar]").getAttribute("aria-valuenow"),
    }));
    assert.deepEqual(end, { hidden: true, counter: "16", bar: "94" });
  });

  test("a second 転送 or 実行 during a transfer is held back: one frame, never interleaved", async () => {
    const { page, serial, robot } = await open({ granted: true });
    await clickByRole(page, "button", "転送");
    await sleep(350);
    await clickByRole(page, "button", "転送");
    await clickByRole(page, "button", "実行");
    const list = await results(page, 3);
    assert.deepEqual(list.map((r) => r.kind).sort(), ["busy", "busy", "sent"]);
    const { writes, opens } = await serial.state();
    assert.equal(writes.length, 17);
    assert.equal(opens.length, 1);
    const frames = await robot.waitForFrames(1);
    await sleep(300);
    assert.deepEqual(robot.frames().map((f) => f.kind), ["transfer"]);
    assert.equal(frames[0].values.length, 17);
  });

  test("a port that vanishes mid-transfer: the steps sent are counted, and the next command asks again", async () => {
    // The sixth write fails: 0x74 and slots 0..3 went out, four steps.
    const { page, serial, robot } = await open({ granted: true, failAfter: 5 });
    await clickByRole(page, "button", "転送");
    const [result] = await results(page, 1);
    assert.equal(result.kind, "failed");
    assert.match(result.notice.main[0], /16 ステップのうち 4 ステップ/);
    assert.match(result.notice.details.join("\n"), /NetworkError/);
    assert.doesNotMatch(JSON.stringify(result), /送信しました|送りました/);
    const state = await serial.state();
    assert.equal(state.writes.length, 5);
    assert.equal(state.closes, 1, "the port is let go");
    assert.equal(await page.evaluate(() => document.querySelector(".vk47-progress").hidden), true);

    // The adapter is back: the vanished port is not used again, the chooser
    // is. (Sent within a second of the broken frame, the robot would take
    // 0x78 for its next step.)
    await sleep(1200);
    await serial.configure({ failAfter: null });
    await page.evaluate(() => {
      window.__vk47SerialStandIn.state.vanished = false;
    });
    await clickByRole(page, "button", "実行");
    const [, again] = await results(page, 2);
    assert.equal(again.kind, "sent");
    assert.equal((await serial.state()).requests, 1);
    const frames = await robot.waitForFrames(2);
    assert.deepEqual(
      frames.map((f) => [f.kind, f.values.length]),
      [["incomplete", 5], ["execute", 1]],
    );
  });

  test("a write that never completes ends the transfer after a few seconds, as a failure", async () => {
    // The third write (slot 1's code) hangs: 0x74 and one step went out.
    const { page, serial } = await open({ granted: true, slowWrites: { 2: 60000 } });
    const start = Date.now();
    await clickByRole(page, "button", "転送");
    const [result] = await results(page, 1);
    const took = Date.now() - start;
    assert.equal(result.kind, "failed");
    assert.match(result.notice.main[0], /16 ステップのうち 1 ステップ/);
    assert.match(result.notice.details.join("\n"), /TimeoutError/);
    assert.doesNotMatch(JSON.stringify(result), /送信しました|送りました/);
    assert.ok(took < 8000, `the page was held ${took} ms`);
    assert.deepEqual(await page.evaluate(() => window.__busy), [true, false]);
    assert.equal((await serial.state()).closes, 1);
  });

  test("the screen is kept on while a transfer runs, and let go after; a refused lock stops nothing", async () => {
    const { page, serial } = await open({ granted: true, wakeLock: "grant" });
    await clickByRole(page, "button", "転送");
    await results(page, 1);
    const state = await serial.state();
    assert.ok(state.writes.every((w) => w.screenHeld), "every byte went out with the screen held");
    assert.deepEqual(state.wakeLocks, { requests: 1, releases: 1, held: 0 });

    const refused = await open({ granted: true, wakeLock: "refuse" });
    await clickByRole(refused.page, "button", "転送");
    const [result] = await results(refused.page, 1);
    assert.equal(result.kind, "sent");
    assert.equal((await refused.serial.state()).wakeLocks.requests, 1);
  });

  test("in hiragana mode every word of the link is in hiragana", async () => {
    const cancelled = await open({ chooser: "cancel" }, "?kana=1");
    await clickByRole(cancelled.page, "button", "転送");
    const { page, serial } = await open({ granted: true, failAfter: 3 }, "?kana=1");
    await clickByRole(page, "button", "転送");
    const title = await page.waitForFunction(
      () => {
        const box = document.querySelector(".vk47-progress");
        return box && !box.hidden ? box.querySelector(".vk47-progress-title").textContent : null;
      },
      { polling: 5 },
    );
    const [failed] = await results(page, 1);
    await serial.configure({ failAfter: null });
    await page.evaluate(() => {
      window.__vk47SerialStandIn.state.vanished = false;
    });
    await clickByRole(page, "button", "実行"); // asks again: the port went away
    const [, sent] = await results(page, 2);
    const [none] = await results(cancelled.page, 1);
    const words = [
      await title.jsonValue(),
      none.status,
      failed.status,
      ...failed.notice.main,
      failed.notice.reason,
      sent.status,
    ];
    assert.equal(failed.kind, "failed");
    assert.equal(sent.kind, "sent");
    for (const text of words) assert.doesNotMatch(text, KANJI, text);
    assert.doesNotMatch(failed.status + failed.notice.main.join(""), /おくりました/);
  });

  test("実行 writes 0x78 alone, with no progress window", async () => {
    const { page, serial, robot } = await open({ granted: true });
    await clickByRole(page, "button", "実行");
    const [result] = await results(page, 1);
    assert.equal(result.kind, "sent");
    assert.match(result.status, /^実行命令を USB 0403:6001 に送信しました \d\d:\d\d$/);
    assert.deepEqual((await serial.state()).writes.map((w) => w.value), [0x78]);
    assert.deepEqual((await robot.waitForFrames(1)).map((f) => [f.kind, f.values]), [["execute", [0x78]]]);
    assert.equal(await page.evaluate(() => document.querySelector(".vk47-progress")), null);
  });
});

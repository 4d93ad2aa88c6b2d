// The page's texts are in the catalogue: every Japanese text the page's code
// writes is a finished text of translations/vk47_kana.ts (a text only the
// page says is listed in web/core/page_texts.cpp, so that
// scripts/update-translations keeps it), and its hiragana holds no kanji.
//
//     node --test web/tests/core_texts.test.mjs
//     node web/core/page_texts.mjs    (the same check, with the lines to add)

import assert from "node:assert/strict";
import { test } from "node:test";

import { japaneseLiterals, KANJI, listedPageTexts, problems, readCatalogue } from "../core/page_texts.mjs";

test("every text of the page is in the catalogue with its hiragana", () => {
  const found = problems();
  assert.deepEqual(found, [], found.map(({ text, why }) => `${JSON.stringify(text)}: ${why}`).join("\n"));
});

test("the check finds a text put together in code, one not listed, and one without hiragana", () => {
  const catalogue = new Map([
    ["転送", { kana: "てんそう", finished: true, contexts: new Set(["TForm1"]) }],
    ["ひらがな", { kana: "ひらがな", finished: true, contexts: new Set(["web"]) }],
    ["送れません", { kana: "送れません", finished: true, contexts: new Set(["web"]) }],
    ["まだ", { kana: "", finished: false, contexts: new Set(["web"]) }],
  ]);
  const literals = [
    { file: "a.ts", line: 1, text: "転送" },
    { file: "a.ts", line: 2, text: "ひらがな" },
    { file: "a.ts", line: 3, text: "保存: " },
  ];
  const found = problems({ catalogue, listed: ["ひらがな", "送れません", "まだ"], literals });
  assert.deepEqual(
    found.map((p) => p.text),
    ["保存: ", "送れません", "まだ"],
  );
  assert.match(found[1].why, /kanji/);
});

test("the page's code is read without its comments, templates by their own text", () => {
  const literals = japaneseLiterals();
  assert.ok(literals.every(({ text }) => !text.includes("${")));
  assert.ok(listedPageTexts().length > 0);
  const catalogue = readCatalogue();
  for (const text of listedPageTexts()) assert.doesNotMatch(catalogue.get(text)?.kana ?? "", KANJI, text);
});

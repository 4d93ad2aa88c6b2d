// The page's rules that need no browser, run in node from the TypeScript
// (bundled on the spot by esbuild): which key is which command, in a tab
// and in the installed app's window; the program document's undo, redo,
// unsaved mark and what it keeps in the storage.

import assert from "node:assert/strict";
import path from "node:path";
import { test } from "node:test";
import { fileURLToPath } from "node:url";
import * as esbuild from "esbuild";

const ui = path.join(path.dirname(fileURLToPath(import.meta.url)), "..", "src", "ui");

async function load(file) {
  const built = await esbuild.build({ entryPoints: [path.join(ui, file)], bundle: true, format: "esm", write: false, platform: "neutral" });
  return import(`data:text/javascript;base64,${Buffer.from(built.outputFiles[0].text).toString("base64")}`);
}

const { commandOfKey, shortcutText } = await load("shortcuts.ts");
const { ProgramDocument, emptyProgram } = await load("document.ts");

const key = (code, mods = {}) => ({ code, ctrlKey: false, metaKey: false, shiftKey: false, altKey: false, ...mods });

test("in a tab 転送 is Alt+T, in the installed app Ctrl+T; the other keys are the desktop's", () => {
  assert.equal(shortcutText("transfer", false), "Alt+T");
  assert.equal(shortcutText("transfer", true), "Ctrl+T");
  for (const app of [false, true]) {
    assert.equal(commandOfKey(key("KeyT", { altKey: true }), app), "transfer");
    assert.equal(commandOfKey(key("KeyT", { ctrlKey: true }), app), "transfer");
    assert.equal(commandOfKey(key("KeyR", { ctrlKey: true }), app), "execute");
    assert.equal(commandOfKey(key("KeyY", { ctrlKey: true }), app), "redo");
    assert.equal(commandOfKey(key("KeyZ", { ctrlKey: true, shiftKey: true }), app), "redo");
    assert.equal(commandOfKey(key("KeyZ", { ctrlKey: true }), app), "undo");
    assert.equal(commandOfKey(key("F5"), app), "simulate");
    assert.equal(commandOfKey(key("F1"), app), "help");
    // Cmd on a Mac counts as Ctrl.
    assert.equal(commandOfKey(key("KeyS", { metaKey: true }), app), "save");
    // Extra modifiers make another key: none of ours.
    assert.equal(commandOfKey(key("KeyD", { ctrlKey: true, altKey: true }), app), null);
    assert.equal(commandOfKey(key("KeyD"), app), null);
    assert.equal(commandOfKey(key("F5", { shiftKey: true }), app), null);
  }
});

class MemoryStorage {
  constructor() {
    this.items = new Map();
  }
  getItem(name) {
    return this.items.has(name) ? this.items.get(name) : null;
  }
  setItem(name, value) {
    this.items.set(name, String(value));
  }
}

const withCode = (slot, code, from = emptyProgram()) => from.map((c, i) => (i === slot ? code : c));
const name = (source, ...args) => ({ source, args });

test("the document: undo and redo of every change, the unsaved mark, no step for no change", () => {
  const doc = new ProgramDocument(new MemoryStorage());
  assert.equal(doc.modified, false);
  assert.equal(doc.change(name("クリア"), emptyProgram()), false, "an unchanged program adds no step");
  assert.equal(doc.canUndo(), false);
  doc.change(name("ステップ %1 に置く", "0"), withCode(0, 36));
  doc.change(name("ステップ %1 に置く", "1"), withCode(1, 4, doc.codes));
  assert.equal(doc.modified, true);
  doc.markSaved("a.pt3", doc.codes);
  assert.equal(doc.modified, false);
  assert.deepEqual(doc.undo(), name("ステップ %1 に置く", "1"));
  assert.equal(doc.modified, true);
  assert.deepEqual(doc.redo(), name("ステップ %1 に置く", "1"));
  assert.equal(doc.modified, false, "back at the saved program");
  assert.equal(doc.redo(), null);
  // A change after an undo drops what could be redone.
  doc.undo();
  doc.change(name("デモ"), withCode(5, 20, doc.codes));
  assert.equal(doc.canRedo(), false);
  assert.deepEqual(doc.codes, withCode(5, 20, withCode(0, 36)));
  // Codes that are no program are refused.
  assert.equal(doc.change(name("x"), [1, 2, 3]), false);
  assert.equal(doc.change(name("x"), withCode(2, 1.5)), false);
});

test("the document is kept in the storage with its history, the oldest steps beyond 100 dropped", () => {
  const storage = new MemoryStorage();
  const doc = new ProgramDocument(storage);
  for (let i = 0; i < 105; ++i) doc.change(name("値の変更"), withCode(0, i));
  doc.markSaved("b.pt3", withCode(0, 50));
  doc.undo();

  const again = new ProgramDocument(storage);
  assert.deepEqual(again.codes, withCode(0, 103));
  assert.equal(again.fileName, "b.pt3");
  assert.equal(again.modified, true);
  assert.equal(again.canRedo(), true);
  let undone = 0;
  while (again.undo()) ++undone;
  assert.equal(undone, 99, "100 steps kept, one of them already undone");
  assert.deepEqual(again.codes, withCode(0, 4));
});

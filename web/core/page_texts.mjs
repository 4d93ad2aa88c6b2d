// The page's texts and the catalogue: every Japanese text the page's code
// (web/src/**/*.ts) writes as a string must be a finished text of
// translations/vk47_kana.ts, whose hiragana holds no kanji, and a text only
// the page says must be listed in web/core/page_texts.cpp, where
// scripts/update-translations (lupdate) finds it and keeps it in the
// context "web".
//
//     node web/core/page_texts.mjs     lists what is missing (exit status 1),
//                                      with the lines to add to both files
//
// web/tests/core_texts.test.mjs runs the same check.

import { readFileSync, readdirSync, statSync } from "node:fs";
import { join, relative } from "node:path";
import { fileURLToPath } from "node:url";

const here = fileURLToPath(new URL(".", import.meta.url));
export const ROOT = join(here, "..", "..");
export const CATALOGUE = join(ROOT, "translations", "vk47_kana.ts");
export const PAGE_TEXTS = join(here, "page_texts.cpp");
export const PAGE_SOURCES = join(ROOT, "web", "src");

const JAPANESE = /[\p{Script=Han}\p{Script=Hiragana}\p{Script=Katakana}]/u;
export const KANJI = /\p{Script=Han}/u;

function unescapeXml(text) {
  return text.replace(/&(lt|gt|amp|quot|apos|#(\d+)|#x([0-9a-fA-F]+));/g, (_, name, dec, hex) => {
    if (dec) return String.fromCodePoint(Number(dec));
    if (hex) return String.fromCodePoint(parseInt(hex, 16));
    return { lt: "<", gt: ">", amp: "&", quot: '"', apos: "'" }[name];
  });
}

// source -> { kana, finished, contexts } (the first finished translation of
// a source wins, as translations/flatten.py takes it).
export function readCatalogue(path = CATALOGUE) {
  const xml = readFileSync(path, "utf8");
  const entries = new Map();
  for (const context of xml.matchAll(/<context>([\s\S]*?)<\/context>/g)) {
    const name = unescapeXml(/<name>([\s\S]*?)<\/name>/.exec(context[1])?.[1] ?? "");
    for (const message of context[1].matchAll(/<message>([\s\S]*?)<\/message>/g)) {
      const source = /<source>([\s\S]*?)<\/source>/.exec(message[1]);
      const translation = /<translation(?: type="(\w+)")?>([\s\S]*?)<\/translation>|<translation type="(\w+)"\/>/.exec(message[1]);
      if (!source) continue;
      const text = unescapeXml(source[1]);
      const type = translation?.[1] ?? translation?.[3] ?? (translation ? "" : "missing");
      const finished = !["unfinished", "vanished", "obsolete", "missing"].includes(type);
      const entry = entries.get(text) ?? { kana: null, finished: false, contexts: new Set() };
      entry.contexts.add(name);
      if (finished && !entry.finished) {
        entry.finished = true;
        entry.kana = unescapeXml(translation?.[2] ?? "");
      }
      entries.set(text, entry);
    }
  }
  return entries;
}

function unescapeC(text) {
  return text.replace(/\\(["\\?'nrt])/g, (_, c) => ({ n: "\n", r: "\r", t: "\t" })[c] ?? c);
}

// The texts listed in page_texts.cpp.
export function listedPageTexts(path = PAGE_TEXTS) {
  const code = readFileSync(path, "utf8");
  return [...code.matchAll(/VK47_TEXT\("((?:[^"\\]|\\.)*)"\)/g)].map((m) => unescapeC(m[1]));
}

function sourceFiles(dir) {
  const files = [];
  for (const name of readdirSync(dir)) {
    const path = join(dir, name);
    if (statSync(path).isDirectory()) files.push(...sourceFiles(path));
    else if (name.endsWith(".ts")) files.push(path);
  }
  return files.sort();
}

// The string literals of TypeScript code that hold Japanese, comments left
// out: { file, line, text }. A template literal counts with its own text (the
// values put into it left out), so a text put together in code rather than
// filled from %1 shows as missing.
export function japaneseLiterals(dir = PAGE_SOURCES) {
  const found = [];
  for (const file of sourceFiles(dir)) {
    const code = readFileSync(file, "utf8");
    let line = 1;
    for (let i = 0; i < code.length; i++) {
      const c = code[i];
      if (c === "\n") line++;
      if (c === "/" && code[i + 1] === "/") {
        while (i < code.length && code[i] !== "\n") i++;
        line++;
        continue;
      }
      if (c === "/" && code[i + 1] === "*") {
        const end = code.indexOf("*/", i + 2);
        const stop = end < 0 ? code.length : end + 2;
        line += (code.slice(i, stop).match(/\n/g) ?? []).length;
        i = stop - 1;
        continue;
      }
      if (c !== '"' && c !== "'" && c !== "`") continue;
      const start = line;
      let text = "";
      let j = i + 1;
      for (; j < code.length && code[j] !== c; j++) {
        if (code[j] === "\\") {
          const next = code[++j];
          text += { n: "\n", r: "\r", t: "\t" }[next] ?? next;
        } else {
          if (code[j] === "\n") line++;
          text += code[j];
        }
      }
      i = j;
      // A template's own text, without the values put into it.
      if (c === "`") text = text.replace(/\$\{[^}]*\}/g, "");
      if (JAPANESE.test(text)) found.push({ file: relative(ROOT, file), line: start, text });
    }
  }
  return found;
}

// What is missing, in words for the one who adds a text.
export function problems({ catalogue = readCatalogue(), listed = listedPageTexts(), literals = japaneseLiterals() } = {}) {
  const listedSet = new Set(listed);
  const out = [];
  for (const { file, line, text } of literals) {
    const entry = catalogue.get(text);
    const onlyPage = !entry || [...entry.contexts].every((name) => name === "web");
    if (onlyPage && !listedSet.has(text)) out.push({ text, why: `${file}:${line}: not listed in web/core/page_texts.cpp` });
  }
  for (const text of listed) {
    const entry = catalogue.get(text);
    if (!entry?.finished) out.push({ text, why: "no finished hiragana in translations/vk47_kana.ts" });
    else if (KANJI.test(entry.kana)) out.push({ text, why: `its hiragana holds kanji: ${entry.kana}` });
  }
  return out;
}

function xml(text) {
  return text.replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;");
}

if (process.argv[1] && fileURLToPath(import.meta.url) === process.argv[1]) {
  const found = problems();
  for (const { text, why } of found) console.log(`${JSON.stringify(text)}: ${why}`);
  if (found.length > 0) {
    const texts = [...new Set(found.map((p) => p.text))];
    console.log("\nweb/core/page_texts.cpp:");
    for (const text of texts) console.log(`    VK47_TEXT(${JSON.stringify(text)}),`);
    console.log('\ntranslations/vk47_kana.ts, context "web" (hiragana to be written in):');
    for (const text of texts) {
      console.log(`    <message>\n        <source>${xml(text)}</source>\n        <translation></translation>\n    </message>`);
    }
    process.exitCode = 1;
  }
}

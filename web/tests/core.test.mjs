// The browser edition's core against the native build of the same modules
// and binding: on the fuzz corpus and on 1,000 seeded random programs with
// switch presses, the wasm and the native core must give byte-identical
// .pt3 files, readings (codes or the notice), transfer frames, simulator
// traces and messages, in kanji and in hiragana. Then the loader
// (web/src/core.ts) on top of the wasm.
//
//     node --test web/tests/core.test.mjs
//
// Builds both cores into a temporary folder first (web/core/build.sh and
// native.sh); VK47_CORE_DIR may name a folder that already holds core.js,
// core.wasm and core-native built from this checkout.

import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import { mkdtempSync, readdirSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { after, before, test } from "node:test";
import { gzipSync } from "node:zlib";
import { fileURLToPath, pathToFileURL } from "node:url";

const ROOT = fileURLToPath(new URL("../..", import.meta.url));
const CORPUS = join(ROOT, "tests", "fuzz", "corpus");
const RANDOM_PROGRAMS = 1000;

let dir;
let ownDir = false;
let wasm; // the raw module
let core; // through web/src/core.ts

before(async () => {
  dir = process.env.VK47_CORE_DIR;
  if (!dir) {
    dir = mkdtempSync(join(tmpdir(), "vk47-core-"));
    ownDir = true;
    execFileSync(join(ROOT, "web/core/build.sh"), [dir], { stdio: "inherit" });
    execFileSync(join(ROOT, "web/core/native.sh"), [dir], { stdio: "inherit" });
  }
  const wasmBinary = readFileSync(join(dir, "core.wasm"));
  const factory = (await import(pathToFileURL(join(dir, "core.js")).href)).default;
  wasm = await factory({ wasmBinary });
  core = await loadCoreTs({ moduleUrl: pathToFileURL(join(dir, "core.js")), wasmBinary });
});

after(() => {
  if (ownDir) rmSync(dir, { recursive: true, force: true });
});

// web/src/core.ts, made JavaScript by esbuild (the page's bundler).
async function loadCoreTs(options) {
  const { transform } = await import(join(ROOT, "web/node_modules/esbuild/lib/main.js"));
  const source = readFileSync(join(ROOT, "web/src/core.ts"), "utf8");
  const { code } = await transform(source, { loader: "ts", format: "esm", target: "es2022" });
  const { loadCore } = await import(`data:text/javascript;base64,${Buffer.from(code).toString("base64")}`);
  return loadCore(options);
}

// ---- The calls, as lines that native/dump.cpp reads ----------------------

const hex = (bytes) => (bytes.length === 0 ? "-" : Buffer.from(bytes).toString("hex"));
const textHex = (text) => hex(Buffer.from(text, "utf8"));

// Each run starts in the kanji mode on both sides: the native dump is a new
// process, the wasm module lives on.
class Calls {
  lines = ["kana 0"];
  kana(on) {
    this.lines.push(`kana ${on ? 1 : 0}`);
  }
  texts(...values) {
    this.lines.push(`texts ${values.map(textHex).join(" ")}`.trimEnd());
  }
  bytes(value) {
    this.lines.push(`bytes ${hex(value)}`);
  }
  codes(codes) {
    this.lines.push(`codes ${codes.join(" ")}`);
  }
  numbers(values) {
    this.lines.push(`numbers ${values.map(String).join(" ")}`.trimEnd());
  }
  call(name, ...args) {
    this.lines.push(`call ${name} ${args.join(" ")}`.trimEnd());
  }
}

// The same lines on the wasm, answered as the native dump answers them.
function runWasm(lines) {
  const out = [];
  for (const line of lines) {
    const [verb, ...rest] = line.split(" ");
    const heap = () => wasm.HEAPU8;
    if (verb === "kana") wasm._vk47_set_kana(Number(rest[0]));
    else if (verb === "texts" || verb === "bytes") {
      const parts = rest.map((word) => (word === "-" ? Buffer.alloc(0) : Buffer.from(word, "hex")));
      const buffer = verb === "texts" ? Buffer.concat(parts.flatMap((p) => [p, Buffer.of(0)])) : (parts[0] ?? Buffer.alloc(0));
      heap().set(buffer, wasm._vk47_in(buffer.length));
    } else if (verb === "codes") {
      wasm.HEAP32.set(rest.map(Number), wasm._vk47_codes() >> 2);
    } else if (verb === "numbers") {
      wasm.HEAPF64.set(rest.map(Number), wasm._vk47_numbers(rest.length) >> 3);
    } else if (verb === "call") {
      const result = wasm[`_vk47_${rest[0]}`](...rest.slice(1).map(Number));
      const at = wasm._vk47_out();
      out.push(`${result}\t${Buffer.from(heap().subarray(at, at + wasm._vk47_out_size())).toString("hex")}`);
    }
  }
  return out;
}

function runNative(lines) {
  const result = spawnSync(join(dir, "core-native"), [], {
    input: lines.join("\n") + "\n",
    maxBuffer: 1 << 30,
    encoding: "utf8",
  });
  assert.equal(result.status, 0, result.stderr);
  return result.stdout.split("\n").slice(0, -1);
}

// Both answers to every call must be the same bytes.
function assertSame(calls) {
  const fromWasm = runWasm(calls.lines);
  const fromNative = runNative(calls.lines);
  assert.equal(fromWasm.length, fromNative.length, "as many answers from both");
  const callLines = calls.lines.filter((line) => line.startsWith("call "));
  for (let i = 0; i < fromWasm.length; i++) {
    if (fromWasm[i] !== fromNative[i]) {
      const decode = (answer) => Buffer.from(answer.split("\t")[1], "hex").toString("utf8");
      const at = calls.lines.indexOf(callLines[i]);
      assert.fail(
        `answer ${i} differs (${calls.lines.slice(Math.max(0, at - 3), at + 1).join(" | ")}):\n` +
          `wasm:   ${fromWasm[i].split("\t")[0]} ${decode(fromWasm[i])}\nnative: ${fromNative[i].split("\t")[0]} ${decode(fromNative[i])}`,
      );
    }
  }
  return fromWasm.length;
}

// ---- Seeded random input ---------------------------------------------------

function random(seed) {
  let state = seed >>> 0;
  const next = () => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  next.int = (low, high) => low + Math.floor(next() * (high - low + 1));
  next.pick = (list) => list[Math.floor(next() * list.length)];
  return next;
}

// A slot's code: mostly steps of the fifteen commands or empty, some codes
// of no command (only a file edited by hand holds them), a few far out.
function randomCode(rand) {
  const r = rand();
  if (r < 0.25) return -1;
  if (r < 0.9) return rand.int(0, 255);
  if (r < 0.97) return rand.int(-3, 300);
  return rand.int(-2147483648, 2147483647);
}

// Presses of the micro switch: none to four, at quarter seconds or anywhere.
function randomPresses(rand) {
  return Array.from({ length: rand.int(0, 4) }, () => (rand() < 0.5 ? rand.int(0, 160) / 4 : rand() * 40));
}

function mutate(bytes, rand) {
  const copy = Buffer.from(bytes);
  const edits = rand.int(1, 4);
  for (let i = 0; i < edits && copy.length > 0; i++) copy[rand.int(0, copy.length - 1)] = rand.int(0, 255);
  return rand() < 0.2 ? copy.subarray(0, rand.int(0, copy.length)) : copy;
}

const PORTS = ["COM1", "USB シリアル (2341:0043)", "", "ポート \"%2\" \\"];
const CAUSES = ["NetworkError: The device has been lost.", "", "BufferOverrunError", "100% %1"];

// ---- The comparison ---------------------------------------------------------

test("the fuzz corpus and its mutations read the same, in both modes", () => {
  const rand = random(47);
  const calls = new Calls();
  const folders = readdirSync(CORPUS, { withFileTypes: true }).filter((entry) => entry.isDirectory());
  for (const { name: folder } of folders) {
    for (const name of readdirSync(join(CORPUS, folder))) {
      const bytes = readFileSync(join(CORPUS, folder, name));
      for (const input of [bytes, ...Array.from({ length: 20 }, () => mutate(bytes, rand))]) {
        for (const kana of [false, true]) {
          calls.kana(kana);
          calls.bytes(input);
          calls.call("read_program_file");
        }
      }
    }
  }
  assert.ok(assertSame(calls) > 500);
});

test(`${RANDOM_PROGRAMS} random programs with switch presses: file, reading, frame, trace and names`, () => {
  const rand = random(1947);
  const calls = new Calls();
  for (let n = 0; n < RANDOM_PROGRAMS; n++) {
    const codes = Array.from({ length: 16 }, () => randomCode(rand));
    calls.codes(codes);
    calls.call("program_file");
    calls.call("transfer_steps");
    calls.numbers(randomPresses(rand));
    calls.call("trace_text");
    // The file written, read back; and as a hand-edited file with other breaks.
    const file = codes.map((code) => `${code}\r\n`).join("");
    calls.bytes(Buffer.from(file));
    calls.call("read_program_file");
    calls.bytes(Buffer.from(file.replaceAll("\r\n", rand.pick(["\n", "\r", " \n", "\r\n\r\n"]))));
    calls.call("read_program_file");
    calls.kana(rand() < 0.5);
    for (let slot = 0; slot < 16; slot++) {
      calls.call("slot_name", slot, codes[slot]);
      calls.call("value_text", codes[slot]);
      calls.call("command_of", codes[slot]);
    }
    calls.call("track_bar_name", rand.int(0, 15));
    calls.texts(rand.pick(["1", "2", "24", "26", "31", "01", "x", ""]));
    calls.call("encode_step", rand.int(0, 15));
    calls.texts(rand.pick(PORTS), rand.pick(CAUSES), "10:42");
    calls.call("transfer_failed", rand.int(-1, 17));
    calls.kana(false);
  }
  assert.ok(assertSame(calls) > RANDOM_PROGRAMS * 50);
});

test("every message in both modes: the catalogue's texts, commands, the link's words", () => {
  const rand = random(3);
  const calls = new Calls();
  const xml = readFileSync(join(ROOT, "translations/vk47_kana.ts"), "utf8");
  const sources = [...xml.matchAll(/<source>([\s\S]*?)<\/source>/g)].map((m) =>
    m[1].replace(/&lt;/g, "<").replace(/&gt;/g, ">").replace(/&quot;/g, '"').replace(/&apos;/g, "'").replace(/&amp;/g, "&"),
  );
  assert.ok(sources.length > 200);
  for (const kana of [false, true]) {
    calls.kana(kana);
    for (const source of sources) {
      calls.texts(source, "COM1", String(rand.int(0, 16)), "%1", "ステップ");
      calls.call("text");
    }
    calls.call("commands");
    calls.call("demo");
    calls.call("execute_byte");
    calls.call("page_texts");
    for (let position = 0; position < 16; position++) calls.call("track_bar_name", position);
    for (let sent = 0; sent <= 16; sent++) {
      calls.texts(rand.pick(PORTS), rand.pick(CAUSES), rand.pick(["10:42", ""]));
      calls.call("transfer_failed", sent);
    }
    for (const port of PORTS) {
      calls.texts(port, "07:05");
      calls.call("transfer_done");
      calls.call("execute_done");
      calls.texts(port, rand.pick(CAUSES), "07:05");
      calls.call("execute_failed");
    }
    for (const kind of ["not-found", "in-use", "permission-denied", "unsupported-setting", "io-error", "timed-out", "not-open", "other", "?"]) {
      calls.texts(kind, rand.pick(PORTS), rand.pick(CAUSES), "12:00");
      calls.call("port_failed");
    }
  }
  assert.ok(assertSame(calls) > 400);
});

// ---- The loader and what the page relies on ----------------------------------

test("the wasm is at most 150 KB gzipped", () => {
  const size = gzipSync(readFileSync(join(dir, "core.wasm")), { level: 9 }).length;
  assert.ok(size <= 150 * 1024, `core.wasm is ${size} bytes gzipped`);
});

const KANJI = /\p{Script=Han}/u;

test("core.ts: the demo's frame, file and names as the desktop has them", () => {
  core.setKana(false);
  const demo = core.demo();
  assert.deepEqual(demo, [36, 4, 84, 4, 36, 4, 84, 4, 20, 4, 68, 4, 52, 4, 100, 4]);
  assert.equal(new TextDecoder().decode(core.programFile(demo)), demo.map((c) => `${c}\r\n`).join(""));
  const frame = core.transferSteps(demo);
  assert.deepEqual(frame.map((s) => s.byte), [0x74, ...demo]);
  assert.ok(frame.every((s) => s.waitMs === 100));
  assert.deepEqual(frame.map((s) => s.counter), [0, ...Array.from({ length: 16 }, (_, k) => k + 1)]);
  assert.deepEqual(frame.map((s) => s.position).slice(1, 5), [0, 6, 12, 19]);
  assert.equal(frame[16].position, 94);
  assert.equal(core.executeByte(), 0x78);
  // An empty slot goes out as 0; a code's low byte otherwise.
  assert.deepEqual(core.transferSteps([-1, 208, ...Array(14).fill(-1)]).slice(1, 3).map((s) => s.byte), [0, 208]);

  assert.equal(core.slotName(0, 36), "ステップ 0 前進 1秒");
  assert.equal(core.slotName(4, -1), "ステップ 4 空き");
  assert.equal(core.slotName(3, 0x72), "ステップ 3 左折");
  assert.equal(core.trackBarName(4), "時間・飛び先・回数 4");
  assert.deepEqual([38, 0xb3, 0xa5, 0x72].map((code) => core.valueText(code)), ["1.5秒", "3回", "5へ", ""]);
  assert.equal(core.commandOf(-1), "4");
  assert.equal(core.commandOf(112), null);
  assert.equal(core.encodeStep("2", 6), 38);
  assert.equal(core.commands().length, 15);
  assert.equal(core.text("ファイル %1 は開けません", "a.pt3"), "ファイル a.pt3 は開けません");
});

test("core.ts: reading refuses what the desktop refuses, and reads at most 64 KiB", () => {
  const encode = (text) => new TextEncoder().encode(text);
  const demoFile = encode(core.demo().map((c) => `${c}\r\n`).join(""));
  assert.deepEqual(core.readProgramFile(demoFile), { ok: true, codes: core.demo() });
  const short = core.readProgramFile(encode("1\r\n2\r\n"));
  assert.equal(short.ok, false);
  // The fixed first line, then the pupil's sentence, the reason for the
  // status line and the details for a teacher, as the window tells them.
  assert.deepEqual(short.notice.main, ["リストのインデックスが範囲を超えています (2)", "ファイルが短すぎます (2 行しかありません)。"]);
  assert.equal(short.notice.reason, "ファイルが短すぎます");
  assert.ok(short.notice.details.length > 0);
  // Sixteen good lines, then a megabyte: read.
  const long = new Uint8Array(demoFile.length + (1 << 20)).fill(0x41);
  long.set(demoFile);
  assert.equal(core.readProgramFile(long).ok, true);
  // A last line that goes on past the budget is no shorter number.
  const cut = encode("-1\r\n".repeat(15) + "1".repeat(70000));
  const refused = core.readProgramFile(cut);
  assert.equal(refused.ok, false);
  assert.match(refused.notice.main[0], /は整数ではありません$/);
  assert.throws(() => core.programFile([1, 2, 3]), RangeError);
});

test("core.ts: a failed transfer says how far it came and never that it was sent", () => {
  for (const kana of [false, true]) {
    core.setKana(kana);
    const failure = core.transferFailed(3, "COM1", "NetworkError: The device has been lost.", "10:42");
    const all = [...failure.main, failure.reason, ...failure.details, failure.status].join("\n");
    assert.match(all, /16 ステップのうち 3 ステップ/);
    assert.doesNotMatch(all, /送信しました|送りました|おくりました/);
    assert.match(failure.details.join(), /The device has been lost/);
    assert.match(failure.status, / 10:42$/);
    // A NUL in the browser's text does not push the time into the cause.
    const odd = core.transferFailed(2, "COM1", "bad\0cause", "10:43");
    assert.deepEqual(odd.details, [kana ? "ブラウザの せつめい: bad\uFFFDcause" : "ブラウザの説明: bad\uFFFDcause"]);
    assert.match(odd.status, / 10:43$/);
    assert.equal(core.executeDone("COM1", ""), kana ? "じっこうの めいれいを COM1 に おくりました" : "実行命令を COM1 に送信しました");
    const done = core.transferDone("COM1", "10:42");
    assert.equal(done, kana ? "16 ステップを COM1 に おくりました 10:42" : "16 ステップを COM1 に送信しました 10:42");
    if (kana) {
      for (const text of [all, done, core.slotName(0, 36), core.trackBarName(3), core.valueText(38)]) {
        assert.doesNotMatch(text, KANJI, text);
      }
      for (const info of core.commands()) assert.doesNotMatch(info.name + info.group + info.hint, KANJI);
    }
  }
  core.setKana(false);
});

test("core.ts: the trace is the simulator's, with the presses", () => {
  const lines = core.traceText([0x80, 0x24, ...Array(14).fill(0xd0)], [2.5]).split("\n");
  assert.equal(lines[0], "t_s\tstep\tx_cm\ty_cm\theading_deg");
  // 29 waits for the press at 2.5 s, then 2 drives one second forward.
  assert.equal(lines[1], "2.50\t0\t0.00\t0.00\t0.00");
  assert.equal(lines[2], "3.50\t1\t10.00\t0.00\t0.00");
});

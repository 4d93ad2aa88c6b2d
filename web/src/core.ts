// Loads the core (core.js and core.wasm, built by web/core/build.sh from the
// C++ modules) and gives it the types of core-types.ts. Every rule is the
// core's: this file only moves values across (texts as UTF-8, programs as
// sixteen 32-bit codes, structured answers as JSON; web/core/binding.h).

import type {
  CommandInfo,
  Core,
  LinkFailure,
  PortTrouble,
  ReadResult,
  SheetContent,
  SheetDate,
  SimRules,
  SimRun,
  SimState,
  TransferStep,
} from "./core-types";

// The module emscripten builds: its memory views and the binding's functions.
// The views are replaced when the memory grows, so they are read afresh at
// every use.
export interface CoreModule {
  HEAPU8: Uint8Array;
  HEAP32: Int32Array;
  HEAPF64: Float64Array;
  [exported: `_vk47_${string}`]: (...args: number[]) => number;
}

export interface CoreOptions {
  // Where core.js lies; by default beside the page (or the worker) that loads it.
  moduleUrl?: string | URL;
  // The wasm's bytes, for node, where the loader cannot fetch a file: URL.
  wasmBinary?: Uint8Array;
}

// A program file needs a few dozen bytes; the core reads at most 64 KiB of
// one, as the desktop does, and is told when there was more.
const PROGRAM_FILE_BUDGET = 64 * 1024;

const SLOT_COUNT = 16;

// The page's half of the exchange (web/core/binding.h): it writes the values
// of a call, then reads the answer. The simulator's and the sheet's
// functions use it too.
export class Exchange {
  private readonly encoder = new TextEncoder();
  private readonly decoder = new TextDecoder();

  constructor(readonly module: CoreModule) {}

  // Texts for the next call, each ended by a NUL. A NUL within a text (a
  // browser's error text may hold anything) would cut it in two and shift
  // every text after it: it goes across as U+FFFD.
  texts(...values: string[]): void {
    const parts = values.map((value) => this.encoder.encode(value.replaceAll("\0", "\uFFFD")));
    const size = parts.reduce((sum, part) => sum + part.length + 1, 0);
    const at = this.module._vk47_in(size);
    const heap = this.module.HEAPU8;
    let offset = at;
    for (const part of parts) {
      heap.set(part, offset);
      heap[offset + part.length] = 0;
      offset += part.length + 1;
    }
  }

  // Bytes for the next call, as they are.
  bytes(value: Uint8Array): void {
    const at = this.module._vk47_in(value.length);
    this.module.HEAPU8.set(value, at);
  }

  // A program for the next call: sixteen step codes, -1 for an empty slot.
  codes(codes: readonly number[]): void {
    if (codes.length !== SLOT_COUNT || !codes.every((code) => Number.isInteger(code))) {
      throw new RangeError(`a program is ${SLOT_COUNT} integer step codes, not ${JSON.stringify(codes)}`);
    }
    const at = this.module._vk47_codes() >> 2;
    this.module.HEAP32.set(codes, at);
  }

  // Numbers for the next call.
  numbers(values: readonly number[]): void {
    const at = this.module._vk47_numbers(values.length) >> 3;
    this.module.HEAPF64.set(values, at);
  }

  // The last call's answer.
  answerBytes(): Uint8Array {
    const at = this.module._vk47_out();
    return this.module.HEAPU8.slice(at, at + this.module._vk47_out_size());
  }

  answer(): string {
    const at = this.module._vk47_out();
    return this.decoder.decode(this.module.HEAPU8.subarray(at, at + this.module._vk47_out_size()));
  }

  json<T>(): T {
    return JSON.parse(this.answer()) as T;
  }
}

export async function loadCore(options: CoreOptions = {}): Promise<Core> {
  const url = String(options.moduleUrl ?? new URL("core.js", globalThis.location.href));
  const loaded = (await import(/* @vite-ignore */ url)) as {
    default: (settings: { wasmBinary?: Uint8Array }) => Promise<CoreModule>;
  };
  const module = await loaded.default(options.wasmBinary ? { wasmBinary: options.wasmBinary } : {});
  return new WasmCore(new Exchange(module));
}

class WasmCore implements Core {
  private readonly m: CoreModule;
  private commandList: { kana: boolean; list: CommandInfo[] } | null = null;

  constructor(private readonly io: Exchange) {
    this.m = io.module;
    Object.assign(this, simulatorAndSheet(io));
  }

  setKana(on: boolean): void {
    this.m._vk47_set_kana(on ? 1 : 0);
  }

  kana(): boolean {
    return this.m._vk47_kana() !== 0;
  }

  text(source: string, ...args: string[]): string {
    this.io.texts(source, ...args);
    this.m._vk47_text();
    return this.io.answer();
  }

  // Asked for at every drop and repaint: kept per mode.
  commands(): CommandInfo[] {
    const kana = this.kana();
    if (!this.commandList || this.commandList.kana !== kana) {
      this.m._vk47_commands();
      this.commandList = { kana, list: this.io.json<CommandInfo[]>() };
    }
    return this.commandList.list.map((info) => ({ ...info }));
  }

  encodeStep(number: string, position: number): number {
    this.io.texts(number);
    return this.m._vk47_encode_step(position);
  }

  commandOf(code: number): string | null {
    return this.m._vk47_command_of(code) < 0 ? null : this.io.answer();
  }

  valueText(code: number): string {
    this.m._vk47_value_text(code);
    return this.io.answer();
  }

  slotName(slot: number, code: number): string {
    this.m._vk47_slot_name(slot, code);
    return this.io.answer();
  }

  trackBarName(position: number): string {
    this.m._vk47_track_bar_name(position);
    return this.io.answer();
  }

  programFile(codes: number[]): Uint8Array {
    this.io.codes(codes);
    this.m._vk47_program_file();
    return this.io.answerBytes();
  }

  readProgramFile(bytes: Uint8Array): ReadResult {
    // One byte past the budget tells the core that the file went on.
    this.io.bytes(bytes.subarray(0, PROGRAM_FILE_BUDGET + 1));
    this.m._vk47_read_program_file();
    return this.io.json<ReadResult>();
  }

  demo(): number[] {
    this.m._vk47_demo();
    return this.io.json<number[]>();
  }

  transferSteps(codes: number[]): TransferStep[] {
    this.io.codes(codes);
    this.m._vk47_transfer_steps();
    return this.io.json<TransferStep[]>();
  }

  executeByte(): number {
    return this.m._vk47_execute_byte();
  }

  transferDone(port: string, time: string): string {
    this.io.texts(port, time);
    this.m._vk47_transfer_done();
    return this.io.answer();
  }

  executeDone(port: string, time: string): string {
    this.io.texts(port, time);
    this.m._vk47_execute_done();
    return this.io.answer();
  }

  transferFailed(stepsSent: number, port: string, cause: string, time: string): LinkFailure {
    this.io.texts(port, cause, time);
    this.m._vk47_transfer_failed(stepsSent);
    return this.io.json<LinkFailure>();
  }

  executeFailed(port: string, cause: string, time: string): LinkFailure {
    this.io.texts(port, cause, time);
    this.m._vk47_execute_failed();
    return this.io.json<LinkFailure>();
  }

  portFailed(kind: PortTrouble, port: string, cause: string, time: string): LinkFailure {
    this.io.texts(kind, port, cause, time);
    this.m._vk47_port_failed();
    return this.io.json<LinkFailure>();
  }

  traceText(codes: number[], presses: number[]): string {
    this.io.codes(codes);
    this.io.numbers(presses);
    this.m._vk47_trace_text();
    return this.io.answer();
  }

  // Set in the constructor from simulatorAndSheet().
  declare simRules: () => SimRules;
  declare simStart: (codes: number[]) => SimRun;
  declare sheet: (codes: number[], fileName: string, date: SheetDate) => SheetContent;
}

// ---------------------------------------------------------------------------
// The simulator and the printed sheet (web/core/sim_binding.cpp): their
// functions go here, through the same exchange.
type SimulatorAndSheet = Pick<Core, "simRules" | "simStart" | "sheet">;

function simulatorAndSheet(io: Exchange): SimulatorAndSheet {
  const m = io.module;
  return {
    simRules: (): SimRules => {
      m._vk47_sim_rules();
      return io.json<SimRules>();
    },
    simStart: (codes: number[]): SimRun => {
      io.codes(codes);
      return new CoreSimRun(io, m._vk47_sim_start());
    },
    sheet: (codes: number[], fileName: string, date: SheetDate): SheetContent => {
      io.codes(codes);
      io.texts(fileName);
      io.numbers([date.year, date.month, date.day]);
      m._vk47_sheet();
      return io.json<SheetContent>();
    },
  };
}

// A run kept in the core under its handle; every call after free() throws.
class CoreSimRun implements SimRun {
  private handle: number;

  constructor(private readonly io: Exchange, handle: number) {
    this.handle = handle;
  }

  private call(name: string, ...args: number[]): void {
    if (this.handle <= 0 || this.io.module[`_vk47_sim_${name}`](this.handle, ...args) < 0) {
      throw new Error(`the simulator's run ${this.handle} is gone (${name})`);
    }
  }

  advance(seconds: number): SimState {
    this.call("advance", seconds);
    return this.io.json<SimState>();
  }

  press(): SimState {
    this.call("press");
    return this.io.json<SimState>();
  }

  state(): SimState {
    this.call("state");
    return this.io.json<SimState>();
  }

  status(running: boolean, speed: number): string {
    this.call("status", running ? 1 : 0, speed);
    return this.io.answer();
  }

  floorSvg(widthPx: number, heightPx: number): string {
    this.call("floor_svg", Math.round(widthPx), Math.round(heightPx));
    return this.io.answer();
  }

  free(): void {
    if (this.handle > 0) this.io.module._vk47_sim_free(this.handle);
    this.handle = 0;
  }
}

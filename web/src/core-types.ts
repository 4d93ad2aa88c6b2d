// What the page asks of the core (the C++ modules compiled to WebAssembly).
// The page decides no rule: every text, code, byte and wait comes from here.
// Texts come in the current mode (kanji, or hiragana after setKana(true)).

export interface CommandInfo {
  number: string;          // "1".."7", "24".."31": also the picture's name (`${number}.png`)
  group: string;           // the palette group's caption ("基本命令")
  name: string;            // the caption under the picture ("前進")
  hint: string;            // what the command does, in a sentence ("" for none)
  takesParameter: boolean; // the track bar's position is added to its code
}

// What the page tells a pupil about a failure: `main` one line each, `reason`
// for the status line, `details` behind くわしく (for a teacher).
export interface Notice {
  main: string[];
  reason: string;
  details: string[];
}

export type ReadResult = { ok: true; codes: number[] } | { ok: false; notice: Notice };

// A robot command that failed: the notice, and the status line.
export interface LinkFailure extends Notice {
  status: string;
}

// Why a port failed, as the page can tell: not found (no port granted, or it
// was unplugged), in use by another program, refused, a setting it cannot
// take, gone during a write, a write that did not end in time, not open.
export type PortTrouble =
  | "not-found"
  | "in-use"
  | "permission-denied"
  | "unsupported-setting"
  | "io-error"
  | "timed-out"
  | "not-open"
  | "other";

// One write of a transfer, in order: the byte, then the wait that starts
// once the write has completed; after it the progress window shows
// `position` (bar, 0..100) and `counter` (x / 16), when counter > 0.
export interface TransferStep {
  byte: number;
  waitMs: number;
  position: number;
  counter: number;
}

export interface SimState {
  timeS: number;        // simulated seconds since the start
  step: number;         // the step running or about to run; -1 once the program is finished
  xCm: number;
  yCm: number;
  headingDeg: number;
  waitingSwitch: boolean;
  ended: boolean;       // finished: ended, stopped at the time cap, or an endless loop of no time
  atStart: boolean;     // nothing has run yet
  timeText: string;     // 「時間 1.50 秒」
  stepText: string;     // 「ステップ 1: 待つ 1秒」 (with the loop counter); "" once finished
}

// One run of the simulator, kept in the core until free().
export interface SimRun {
  advance(seconds: number): SimState; // runs on by that much simulated time
  press(): SimState;                  // the micro switch, met at once
  state(): SimState;
  status(running: boolean, speed: number): string; // the status line the desktop's simulator shows
  floorSvg(widthPx: number, heightPx: number): string; // floor, path so far, robot; the view follows the robot
  free(): void;
}

export interface SimRules {
  title: string;        // the heading over the rules
  rules: string;        // every rule the simulator assumes, one paragraph a line
}

export interface SheetDate {
  year: number;
  month: number;        // 1..12
  day: number;
}

// The program sheet, as the desktop's print and PDF show it (sim/sheet.h);
// every text in the current mode.
export interface SheetContent {
  title: string;        // the program's name as the sheet heads it (無題 when never saved)
  date: string;         // 「2026年12月10日」
  nameLabel: string;    // 名前, before a line to write on
  classLabel: string;   // 組, likewise
  programHeading: string;
  // By slot (laid out down the columns); `picture` is the command number
  // whose picture the step shows, `text` "" for an empty slot.
  rows: { slot: number; code: number; picture: string; text: string }[];
  emptyStep: string;    // what an empty slot says: 「(空き)」
  floorHeading: string;
  floorSvg: string;     // the path on its grid, viewBox in cm, size in mm (life size when it fits)
  floorWidthMm: number; // the drawing's size on paper
  floorHeightMm: number;
  scale: string;        // 「実物大」 or 「縮尺 1/N」
  legend: string;       // the marks, the unit and the grid's square
  outcome: string;      // what ended the run when it did not end by itself; else ""
}

export interface Core {
  setKana(on: boolean): void;
  kana(): boolean;
  // A catalogue text in the current mode, %1..%9 filled from `args`.
  text(source: string, ...args: string[]): string;

  commands(): CommandInfo[]; // palette order
  encodeStep(number: string, position: number): number;
  commandOf(code: number): string | null; // command number text; null for none; -1 gives "4"
  valueText(code: number): string;        // value label: "1秒", "3回", "12へ", ""
  slotName(slot: number, code: number): string;      // "ステップ 0 前進 1秒", "ステップ 4 空き"
  trackBarName(position: number): string;            // "時間・飛び先・回数 4"

  programFile(codes: number[]): Uint8Array;          // the .pt3 bytes, as the desktop writes them
  // The file's codes, or why it is refused (as on the desktop, the notice
  // names no file: `fileName` is not part of it). At most the first 64 KiB
  // are read, as the desktop reads.
  readProgramFile(bytes: Uint8Array, fileName?: string): ReadResult;
  demo(): number[];

  transferSteps(codes: number[]): TransferStep[];    // 0x74 and the sixteen codes, with their waits
  executeByte(): number;                             // 0x78
  // `port`: the port as the page names it; `time`: "10:42", the time the
  // status line ends with ("" for none).
  // The status line after a transfer or an execute that wrote every byte:
  // "16 ステップを COM1 に送信しました 10:42", "実行命令を COM1 に送信しました 10:42".
  transferDone(port: string, time: string): string;
  executeDone(port: string, time: string): string;
  // The pupil's words for a transfer that ended after `stepsSent` steps (or an
  // execute that did not go out) because the port went away or refused a
  // write (`cause`: the browser's own error text, for the details), and the
  // status line "送信できませんでした: ロボットとの接続が切れました 10:42".
  transferFailed(stepsSent: number, port: string, cause: string, time: string): LinkFailure;
  executeFailed(port: string, cause: string, time: string): LinkFailure;
  // A port that could not be asked for or opened, by the kind of failure.
  portFailed(kind: PortTrouble, port: string, cause: string, time: string): LinkFailure;

  // The simulator's trace of a whole run with the switch pressed at the given
  // seconds (the rows vk47-robot --simulate prints), for the core's tests.
  traceText(codes: number[], presses: number[]): string;

  simRules(): SimRules;                              // the rules text the simulator shows
  simStart(codes: number[]): SimRun;
  sheet(codes: number[], fileName: string, date: SheetDate): SheetContent;
}

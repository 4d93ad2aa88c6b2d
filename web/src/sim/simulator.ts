// The simulator window of the page (制御 > シミュレーション): a panel beside
// the editor, not modal, that runs the program on the slots through the
// core's simulator (the same SimRunner, floor drawing, rules and words as
// the desktop's window) and shows the floor, the robot and its path, the
// time, the running step, the status and the rules, with スタート / 一時停止
// / リセット, the speed ×1 / ×2 / ×4 and スイッチ (a press of the micro
// switch). The keys S, P, R, 1, 2, 4 and Space work while the panel holds
// the focus, as on the desktop.
//
// The run goes on by the real time between animation frames times the
// speed (no more than a quarter second of it per frame, so a stalled tab
// does not leap ahead). It runs on the program as it was at スタート; any
// change of the program sends it back to the start. The step that runs is
// marked on its slot in the editor with the class `running`
// (`.slot[data-slot=k]`). One panel for the page, made at the first open.

import type { Core, SimRun, SimState } from "../core-types";
import type { Texts } from "../ui/texts";
import { ensureStyles } from "./styles";

const SPEEDS = [1, 2, 4] as const;
const MAX_FRAME_SECONDS = 0.25;
const RUNNING_CLASS = "running";

export interface Simulator {
  readonly element: HTMLElement;
  open(): void;
  close(): void;
  isOpen(): boolean;
  // Tells the simulator that the program may have changed: a changed one
  // sends the run back to the start.
  programChanged(): void;
  start(): void;
  pause(): void;
  reset(): void;
  pressSwitch(): void;
  setSpeed(factor: number): void;
  running(): boolean;
  state(): SimState;
}

let only: SimulatorPanel | null = null;

// Opens the page's simulator (making it the first time) on the program that
// `codes` gives, and brings it to the front.
export function openSimulator(core: Core, texts: Texts, codes: () => readonly number[]): Simulator {
  if (!only) only = new SimulatorPanel(core, texts, codes);
  only.open();
  return only;
}

// The page's simulator, when one was opened.
export function currentSimulator(): Simulator | null {
  return only;
}

function node<K extends keyof HTMLElementTagNameMap>(tag: K, className: string, attrs: Record<string, string> = {}): HTMLElementTagNameMap[K] {
  const made = document.createElement(tag);
  made.className = className;
  for (const [name, value] of Object.entries(attrs)) made.setAttribute(name, value);
  return made;
}

function sameCodes(a: readonly number[], b: readonly number[]): boolean {
  return a.length === b.length && a.every((code, i) => code === b[i]);
}

class SimulatorPanel implements Simulator {
  readonly element: HTMLElement;
  private readonly floor: HTMLElement;
  private readonly timeLine: HTMLElement;
  private readonly stepLine: HTMLElement;
  private readonly statusLine: HTMLElement;
  private readonly rulesTitle: HTMLElement;
  private readonly rulesText: HTMLElement;
  private readonly startButton: HTMLButtonElement;
  private readonly pauseButton: HTMLButtonElement;
  private readonly resetButton: HTMLButtonElement;
  private readonly switchButton: HTMLButtonElement;
  private readonly speedButtons = new Map<number, HTMLButtonElement>();

  private run: SimRun;
  private runCodes: number[];
  private now: SimState;
  private isRunning = false;
  private speed = 1;
  private frame = 0;
  private lastFrameMs = 0;
  private marked = -1;
  private floorSize = "";
  private nextFloorMs = 0;

  constructor(private readonly core: Core, private readonly texts: Texts, private readonly codes: () => readonly number[]) {
    ensureStyles();
    this.element = node("section", "sim-panel", { role: "dialog", "aria-modal": "false", tabindex: "-1" });
    const header = node("div", "sim-header");
    const title = node("h2", "sim-title", { id: "sim-title" });
    this.element.setAttribute("aria-labelledby", "sim-title");
    const close = node("button", "sim-close", { type: "button" });
    close.textContent = "×";
    close.addEventListener("click", () => this.close());
    header.append(title, close);

    this.floor = node("div", "sim-floor");
    const info = node("div", "sim-info");
    this.timeLine = node("span", "sim-time");
    this.stepLine = node("span", "sim-step");
    info.append(this.timeLine, this.stepLine);
    this.statusLine = node("p", "sim-status", { role: "status", "aria-live": "polite" });

    const buttons = node("div", "sim-buttons");
    const button = (source: string, key: string, act: () => void) => {
      const made = node("button", "sim-button", { type: "button", "aria-keyshortcuts": key });
      made.addEventListener("click", act);
      this.texts.bind(() => {
        made.textContent = this.texts.t(source);
        made.title = this.texts.t("キー: %1", key === "Space" ? this.texts.t("スペース") : key);
      });
      buttons.append(made);
      return made;
    };
    this.startButton = button("スタート", "S", () => this.start());
    this.pauseButton = button("一時停止", "P", () => this.pause());
    this.resetButton = button("リセット", "R", () => this.reset());
    const speedLabel = node("span", "sim-speed-label");
    const speedGroup = node("span", "sim-speeds", { role: "group" });
    buttons.append(speedLabel, speedGroup);
    for (const factor of SPEEDS) {
      const made = button("×%1", String(factor), () => this.setSpeed(factor));
      this.texts.bind(() => {
        made.textContent = this.texts.t("×%1", factor);
      });
      speedGroup.append(made);
      this.speedButtons.set(factor, made);
    }
    this.switchButton = button("スイッチ", "Space", () => this.pressSwitch());
    this.switchButton.classList.add("sim-switch");

    const rules = node("section", "sim-rules");
    this.rulesTitle = node("h3", "sim-rules-title", { id: "sim-rules-title" });
    rules.setAttribute("aria-labelledby", "sim-rules-title");
    this.rulesText = node("div", "sim-rules-text");
    rules.append(this.rulesTitle, this.rulesText);

    this.element.append(header, this.floor, info, this.statusLine, buttons, rules);
    this.element.hidden = true;
    this.element.addEventListener("keydown", (event) => this.key(event));
    document.body.append(this.element);

    this.runCodes = [...this.codes()];
    this.run = this.core.simStart(this.runCodes);
    this.now = this.run.state();

    this.texts.bind(() => {
      const name = this.texts.t("シミュレーション");
      title.textContent = name;
      this.element.setAttribute("aria-label", name);
      close.setAttribute("aria-label", this.texts.t("閉じる"));
      close.title = this.texts.t("閉じる");
      speedLabel.textContent = this.texts.t("速さ");
      speedGroup.setAttribute("aria-label", this.texts.t("速さ"));
      const { title: heading, rules: text } = this.core.simRules();
      this.rulesTitle.textContent = heading;
      this.rulesText.replaceChildren(...text.split("\n").map((line) => {
        const paragraph = document.createElement("p");
        paragraph.textContent = line;
        return paragraph;
      }));
      this.floorSize = ""; // the floor's words are drawn in the mode too
      this.render();
    });
    new ResizeObserver(() => this.drawFloor()).observe(this.floor);
  }

  open(): void {
    this.element.hidden = false;
    this.programChanged();
    this.render();
    this.element.focus();
  }

  close(): void {
    this.stop();
    this.mark(-1);
    this.element.hidden = true;
  }

  isOpen(): boolean {
    return !this.element.hidden;
  }

  running(): boolean {
    return this.isRunning;
  }

  state(): SimState {
    return this.now;
  }

  programChanged(): void {
    if (!sameCodes(this.codes(), this.runCodes)) this.reset();
  }

  // From the start, or on after a pause; again from the start after the end.
  start(): void {
    if (this.isRunning) return;
    this.programChanged();
    if (this.now.ended) this.reset();
    this.isRunning = true;
    this.lastFrameMs = performance.now();
    this.frame = requestAnimationFrame((ms) => this.tick(ms));
    this.render();
  }

  pause(): void {
    if (!this.isRunning) return;
    this.stop();
    this.render();
  }

  // Back to the start with the program now on the slots.
  reset(): void {
    this.stop();
    this.run.free();
    this.runCodes = [...this.codes()];
    this.run = this.core.simStart(this.runCodes);
    this.now = this.run.state();
    this.floorSize = "";
    this.render();
  }

  // The press meets the program at once, at the simulated time of now.
  pressSwitch(): void {
    if (!this.isRunning) return;
    if (!sameCodes(this.codes(), this.runCodes)) {
      this.reset();
      return;
    }
    this.now = this.run.press();
    this.afterStep();
  }

  setSpeed(factor: number): void {
    if (!SPEEDS.includes(factor as (typeof SPEEDS)[number])) return;
    this.speed = factor;
    this.render();
  }

  private stop(): void {
    this.isRunning = false;
    if (this.frame) cancelAnimationFrame(this.frame);
    this.frame = 0;
  }

  private tick(ms: number): void {
    this.frame = 0;
    if (!this.isRunning) return;
    const seconds = Math.min(Math.max((ms - this.lastFrameMs) / 1000, 0), MAX_FRAME_SECONDS);
    this.lastFrameMs = ms;
    if (!sameCodes(this.codes(), this.runCodes)) {
      this.reset();
      return;
    }
    this.now = this.run.advance(seconds * this.speed);
    this.afterStep();
    if (this.isRunning) this.frame = requestAnimationFrame((next) => this.tick(next));
  }

  private afterStep(): void {
    if (this.now.ended) this.stop();
    this.render();
  }

  private render(): void {
    const s = this.now;
    this.timeLine.textContent = s.timeText;
    this.stepLine.textContent = s.stepText;
    this.statusLine.textContent = this.run.status(this.isRunning, this.speed);
    this.startButton.disabled = this.isRunning;
    this.pauseButton.disabled = !this.isRunning;
    this.switchButton.disabled = !this.isRunning;
    for (const [factor, made] of this.speedButtons) made.setAttribute("aria-pressed", String(factor === this.speed));
    // The running step's slot, from スタート until the end or リセット.
    this.mark(this.isOpen() && !s.ended && (this.isRunning || !s.atStart) ? s.step : -1);
    this.floorSize = "";
    this.drawFloor(!this.isRunning);
  }

  // The floor again; while running, not before the time the last drawing
  // took has passed twice more, so that a long path never takes every frame.
  private drawFloor(always = true): void {
    if (this.element.hidden) return;
    const width = Math.floor(this.floor.clientWidth), height = Math.floor(this.floor.clientHeight);
    if (width <= 0 || height <= 0) return;
    const size = `${width}x${height}`;
    if (size === this.floorSize) return;
    const start = performance.now();
    if (!always && start < this.nextFloorMs) return;
    this.floorSize = size;
    // The core's drawing: its texts are escaped, its numbers its own.
    this.floor.innerHTML = this.run.floorSvg(width, height);
    this.nextFloorMs = start + 3 * (performance.now() - start);
  }

  private mark(slot: number): void {
    if (slot === this.marked) return;
    for (const marked of document.querySelectorAll(`.slot.${RUNNING_CLASS}`)) marked.classList.remove(RUNNING_CLASS);
    this.marked = slot;
    if (slot >= 0) document.querySelector(`.slot[data-slot="${slot}"]`)?.classList.add(RUNNING_CLASS);
  }

  private key(event: KeyboardEvent): void {
    if (event.ctrlKey || event.altKey || event.metaKey) return;
    if (event.target instanceof HTMLButtonElement && (event.key === " " || event.key === "Enter")) {
      // A focused button takes Space and Enter itself.
      if (event.target !== this.switchButton || event.key === "Enter") return;
    }
    const act: Record<string, () => void> = {
      s: () => this.start(),
      p: () => this.pause(),
      r: () => this.reset(),
      " ": () => this.pressSwitch(),
      "1": () => this.setSpeed(1),
      "2": () => this.setSpeed(2),
      "4": () => this.setSpeed(4),
      Escape: () => this.close(),
    };
    const action = act[event.key.length === 1 ? event.key.toLowerCase() : event.key];
    if (!action) return;
    event.preventDefault();
    event.stopPropagation();
    action();
  }
}

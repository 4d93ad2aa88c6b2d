// The editor window's body, laid out as the desktop's: the palette on the
// left and below, the program box with its 4 x 4 slots running down the
// columns, the track bar with its scales, 転送 and 実行. Every code, value
// text and name comes from the core; this file draws and takes input.
//
// On the slots, as on the desktop: a palette drop places the command with
// the track bar's position at the drop; a click on the cyan value label
// re-encodes with the position of the moment; the arrow keys move the focus
// through the grid, Enter or Space opens the list of commands, + and -
// change the value, Delete or Backspace empties; the wheel over a filled
// slot changes its value; a filled slot dragged onto another moves there
// (with Ctrl: is copied), dragged out of the program box it is removed.

import type { CommandInfo, Core } from "../core-types";
import { CommandList } from "./commandlist";
import { ChangeName, EMPTY, ProgramDocument, SLOT_COUNT } from "./document";
import { el, place } from "./dom";
import { DragEngine } from "./drag";
import type { Texts } from "./texts";

export const CLIENT_WIDTH = 732;
export const CLIENT_HEIGHT = 524;
const ROWS = 4;
const MAX_PARAMETER = 15;
const WHEEL_NOTCH = 100; // pixels of one notch of a common wheel in Chromium

interface Box {
  id: string;
  source: string;
  rect: [number, number, number, number];
  silver: boolean;
}

const BOXES: Box[] = [
  { id: "box-basic", source: "基本命令", rect: [3, 5, 193, 273], silver: true },
  { id: "box-program", source: "プログラム", rect: [208, 5, 521, 329], silver: true },
  { id: "box-extended", source: "拡張命令", rect: [3, 344, 193, 97], silver: true },
  { id: "box-repeat", source: "繰り返し", rect: [208, 344, 137, 97], silver: true },
  { id: "box-input", source: "入力", rect: [355, 344, 81, 97], silver: true },
  { id: "box-jump", source: "飛べ", rect: [445, 344, 81, 97], silver: true },
  { id: "box-end", source: "終了", rect: [536, 344, 81, 97], silver: true },
  { id: "box-track", source: "時間・飛び先・回数", rect: [3, 448, 729, 73], silver: false },
];

// Each palette icon: its box and its place within it.
const PALETTE: Record<string, [string, number, number]> = {
  "1": ["box-basic", 8, 24], "2": ["box-basic", 71, 24], "3": ["box-basic", 133, 24],
  "4": ["box-basic", 71, 104],
  "5": ["box-basic", 8, 184], "6": ["box-basic", 71, 184], "7": ["box-basic", 133, 184],
  "26": ["box-extended", 8, 18], "27": ["box-extended", 71, 18], "28": ["box-extended", 133, 18],
  "24": ["box-repeat", 12, 18], "25": ["box-repeat", 74, 18],
  "29": ["box-input", 16, 18], "30": ["box-jump", 16, 18], "31": ["box-end", 16, 18],
};

const SLOT_LEFTS = [8, 139, 269, 400];
const SLOT_TOPS = [24, 99, 173, 248];
const ICON_WIDTH = 50;
const ICON_HEIGHT = 72;

// The track bar: where it sits in its box, and the width of its handle, so
// the scale's labels stand over and under the positions they name.
const TRACK_LEFT = 8;
const TRACK_WIDTH = 713;
const THUMB = 16;

type DragSource = { kind: "palette"; number: string } | { kind: "step"; slot: number };

export interface EditorHooks {
  held(): boolean;                  // commands are held back (a transfer runs)
  status(text: string): void;       // the status line's outcome
  transfer(): void;
  execute(): void;
}

interface SlotView {
  cell: HTMLElement;
  slot: HTMLElement;
  picture: HTMLImageElement;
  value: HTMLElement;
  code: HTMLElement;
}

export class Editor {
  readonly node: HTMLElement;
  readonly track: HTMLInputElement;
  readonly transferButton: HTMLButtonElement;
  readonly executeButton: HTMLButtonElement;
  private readonly boxes = new Map<string, HTMLElement>();
  private readonly slots: SlotView[] = [];
  private readonly palette = new Map<string, HTMLElement>();
  private readonly drag: DragEngine<DragSource>;
  private readonly list: CommandList;
  private wheelSlot = -1;
  private wheelRest = 0;

  constructor(
    private readonly core: Core,
    private readonly texts: Texts,
    private readonly doc: ProgramDocument,
    private readonly hooks: EditorHooks,
  ) {
    this.node = el("div", { id: "client", class: "client" });
    this.drag = new DragEngine<DragSource>({
      canStart: (source) => !hooks.held() && (source.kind === "palette" || this.codeAt(source.slot) !== EMPTY),
      picture: (source) => this.pictureOf(source.kind === "palette" ? source.number : this.numberOf(this.codeAt(source.slot))),
      hover: (source, target) => this.hover(source, target),
      drop: (source, target, _x, _y, copy) => this.dropped(source, target, copy),
    });
    this.list = new CommandList(core, texts, (number) => this.pictureOf(number));
    for (const box of BOXES) this.buildBox(box);
    this.buildPalette();
    this.buildSlots();
    this.track = this.buildTrack();
    this.transferButton = this.button("転送", 624, 352, () => hooks.transfer());
    this.executeButton = this.button("実行", 624, 400, () => hooks.execute());
    // Pictures, names and labels follow the mode.
    texts.bind(() => this.render());
  }

  position(): number {
    return Number(this.track.value);
  }

  // Draws every slot from the document's codes.
  render(): void {
    this.doc.codes.forEach((code, slot) => this.renderSlot(slot, code));
    for (const [number, icon] of this.palette) {
      (icon.firstElementChild as HTMLImageElement).src = this.pictureOf(number);
    }
  }

  focusSlot(slot: number): void {
    if (slot < 0 || slot >= SLOT_COUNT) return;
    this.slots.forEach((view, k) => view.slot.setAttribute("tabindex", k === slot ? "0" : "-1"));
    this.slots[slot].slot.focus();
  }

  // --- the edits: each one undoable change with its outcome ---------------------------

  placeCommand(slot: number, number: string): void {
    if (this.hooks.held() || !this.commandInfo(number)) return;
    const code = this.core.encodeStep(number, this.position());
    if (this.apply({ source: "ステップ %1 に置く", args: [String(slot)] }, slot, code)) {
      this.hooks.status(this.texts.t("ステップ %1 に %2 を置きました", slot, this.commandInfo(number)!.name));
    }
  }

  // A click on the value label: the command stays, its value follows the track bar.
  reencode(slot: number): void {
    const code = this.codeAt(slot);
    const number = code === EMPTY ? null : this.core.commandOf(code);
    if (this.hooks.held() || number === null) return;
    const changed = this.core.encodeStep(number, this.position());
    if (this.apply({ source: "値の変更", args: [] }, slot, changed)) {
      this.hooks.status(this.texts.t("ステップ %1 の値を %2 にしました", slot, this.core.valueText(changed)));
    }
  }

  changeValue(slot: number, delta: number): void {
    const code = this.codeAt(slot);
    const number = code === EMPTY ? null : this.core.commandOf(code);
    if (this.hooks.held() || number === null || !this.commandInfo(number)?.takesParameter) return;
    const parameter = code - this.core.encodeStep(number, 0);
    const changed = this.core.encodeStep(number, Math.min(MAX_PARAMETER, Math.max(0, parameter + delta)));
    const value = this.core.valueText(changed);
    if (this.apply({ source: "ステップ %1 の値を %2 に", args: [String(slot), value] }, slot, changed)) {
      this.hooks.status(this.texts.t("ステップ %1 の値を %2 にしました", slot, value));
    }
  }

  moveStep(from: number, to: number): void {
    const code = this.codeAt(from);
    if (this.hooks.held() || from === to || code === EMPTY) return;
    const codes = [...this.doc.codes];
    codes[to] = code;
    codes[from] = EMPTY;
    if (this.doc.change({ source: "ステップ %1 を %2 に移す", args: [String(from), String(to)] }, codes)) {
      this.hooks.status(this.texts.t("ステップ %1 を %2 に移しました", from, to));
    }
  }

  copyStep(from: number, to: number): void {
    const code = this.codeAt(from);
    if (this.hooks.held() || from === to || code === EMPTY) return;
    if (this.apply({ source: "ステップ %1 を %2 にコピー", args: [String(from), String(to)] }, to, code)) {
      this.hooks.status(this.texts.t("ステップ %1 を %2 にコピーしました", from, to));
    }
  }

  emptyStep(slot: number): void {
    if (this.hooks.held() || this.codeAt(slot) === EMPTY) return;
    if (this.apply({ source: "ステップ %1 を空にする", args: [String(slot)] }, slot, EMPTY)) {
      this.hooks.status(this.texts.t("ステップ %1 を空にしました", slot));
    }
  }

  private apply(name: ChangeName, slot: number, code: number): boolean {
    const codes = [...this.doc.codes];
    codes[slot] = code;
    return this.doc.change(name, codes);
  }

  // --- building --------------------------------------------------------------------

  private buildBox(box: Box): void {
    const [left, top, width, height] = box.rect;
    const node = el("div", { id: box.id, class: box.silver ? "box silver" : "box", role: "group" });
    const caption = el("div", { class: "box-caption", id: `${box.id}-caption` });
    node.setAttribute("aria-labelledby", caption.id);
    this.texts.text(caption, box.source);
    node.append(caption);
    place(node, left, top, width, height);
    this.boxes.set(box.id, node);
    this.node.append(node);
  }

  private buildPalette(): void {
    for (const info of this.core.commands()) {
      const where = PALETTE[info.number];
      if (!where) continue;
      const [boxId, left, top] = where;
      const icon = el("div", { class: "palette-icon", role: "img", "data-command": info.number },
        el("img", { alt: "", draggable: "false", src: this.pictureOf(info.number) }));
      place(icon, left, top, ICON_WIDTH, ICON_HEIGHT);
      this.texts.bind(() => {
        const now = this.commandInfo(info.number);
        icon.setAttribute("aria-label", now?.name ?? "");
        icon.title = now?.hint ?? "";
        if (now?.hint) icon.setAttribute("aria-description", now.hint);
      });
      this.drag.attach(icon, () => ({ kind: "palette", number: info.number }));
      this.palette.set(info.number, icon);
      this.boxes.get(boxId)!.append(icon);
    }
  }

  private buildSlots(): void {
    const box = this.boxes.get("box-program")!;
    const grid = el("div", { class: "slot-grid" });
    box.append(grid);
    for (let k = 0; k < SLOT_COUNT; ++k) {
      const column = Math.floor(k / ROWS);
      const row = k % ROWS;
      const picture = el("img", { alt: "", draggable: "false" });
      const slot = el("div", {
        class: "slot", role: "button", "aria-haspopup": "listbox", tabindex: k === 0 ? 0 : -1, "data-slot": k,
      }, picture, el("span", { class: "badge", "aria-hidden": "true" }, String(k)));
      place(slot, SLOT_LEFTS[column], SLOT_TOPS[row], ICON_WIDTH, ICON_HEIGHT);
      const value = el("span", { class: "value-label", "aria-hidden": "true", "data-slot": k, hidden: true });
      place(value, column * 131 + 64, row * 75 + 30, 53, 19);
      const code = el("span", { class: "code-label", "aria-hidden": "true", hidden: true });
      place(code, column * 131 + 64, row * 75 + 70, 24, 16);
      const cell = el("div", { class: "slot-cell", "data-slot": k }, slot, value, code);
      grid.append(cell);
      this.slots.push({ cell, slot, picture, value, code });

      this.drag.attach(slot, () => (this.codeAt(k) === EMPTY ? null : { kind: "step", slot: k }));
      slot.addEventListener("focus", () => {
        this.slots.forEach((view, i) => view.slot.setAttribute("tabindex", i === k ? "0" : "-1"));
      });
      slot.addEventListener("keydown", (event) => this.slotKey(event, k));
      value.addEventListener("click", () => this.reencode(k));
    }
    box.addEventListener("wheel", (event) => this.wheel(event), { passive: false });
  }

  private buildTrack(): HTMLInputElement {
    const box = this.boxes.get("box-track")!;
    const track = el("input", { type: "range", min: 0, max: 15, step: 1, value: 0, class: "track" });
    place(track, TRACK_LEFT, 25, TRACK_WIDTH, 30);
    track.style.setProperty("--thumb", `${THUMB}px`);
    const name = () => track.setAttribute("aria-label", this.core.trackBarName(Number(track.value)));
    track.addEventListener("input", name);
    this.texts.bind(() => {
      name();
      track.title = this.texts.t("実行する時間、飛び先、回数の設定");
    });
    box.append(track);
    const x = (p: number) => TRACK_LEFT + THUMB / 2 + (p * (TRACK_WIDTH - THUMB)) / MAX_PARAMETER;
    for (const p of [0, 5, 10, 15]) {
      const label = el("span", { class: "scale-label", "aria-hidden": "true" }, String(p));
      label.style.left = `${x(p)}px`;
      label.style.top = "15px";
      box.append(label);
    }
    const seconds = ["0", "0.5秒", "1秒", "1.5秒", "2秒", "2.5秒", "3秒", "3.5秒"];
    seconds.forEach((source, i) => {
      const label = el("span", { class: "scale-label", "aria-hidden": "true" });
      if (i === 0) label.textContent = source;
      else this.texts.text(label, source);
      label.style.left = `${x(i * 2)}px`;
      label.style.top = "54px";
      box.append(label);
    });
    return track;
  }

  private button(source: string, left: number, top: number, run: () => void): HTMLButtonElement {
    const button = el("button", { type: "button", class: "command-button" });
    this.texts.text(button, source);
    place(button, left, top, 105, 33);
    button.addEventListener("click", run);
    this.node.append(button);
    return button;
  }

  // --- showing ---------------------------------------------------------------------

  private renderSlot(slot: number, code: number): void {
    const view = this.slots[slot];
    view.picture.src = this.pictureOf(this.numberOf(code));
    view.slot.setAttribute("aria-label", this.core.slotName(slot, code));
    view.slot.classList.toggle("filled", code !== EMPTY);
    const filled = code !== EMPTY;
    view.value.hidden = !filled;
    view.code.hidden = !filled;
    view.value.textContent = filled ? this.core.valueText(code) : "";
    view.code.textContent = filled ? String(code) : "";
  }

  pictureOf(number: string): string {
    return `img/${this.texts.kana() ? "kana/" : ""}${number}.png`;
  }

  private numberOf(code: number): string {
    return (code === EMPTY ? null : this.core.commandOf(code)) ?? "4";
  }

  private codeAt(slot: number): number {
    return this.doc.codes[slot] ?? EMPTY;
  }

  private commandInfo(number: string): CommandInfo | undefined {
    return this.core.commands().find((info) => info.number === number);
  }

  // --- input -----------------------------------------------------------------------

  private slotOf(target: Element | null): number {
    const slot = target?.closest(".slot") as HTMLElement | null;
    return slot ? Number(slot.dataset.slot) : -1;
  }

  private hover(source: DragSource, target: Element | null): void {
    const over = this.slotOf(target);
    const accepts = over >= 0 && !this.hooks.held();
    this.slots.forEach((view, k) => view.slot.classList.toggle("drop-target", accepts && k === over));
    const program = this.boxes.get("box-program")!;
    const removing = source.kind === "step" && target !== null && !program.contains(target);
    document.body.classList.toggle("drag-removes", removing);
    if (target === null) document.body.classList.remove("drag-removes");
  }

  private dropped(source: DragSource, target: Element | null, copy: boolean): void {
    const slot = this.slotOf(target);
    if (source.kind === "palette") {
      if (slot >= 0) this.placeCommand(slot, source.number);
      return;
    }
    if (slot >= 0) {
      if (copy) this.copyStep(source.slot, slot);
      else this.moveStep(source.slot, slot);
      this.focusSlot(slot);
      return;
    }
    // Released outside the program box (or outside the page): removed.
    if (!target || !this.boxes.get("box-program")!.contains(target)) this.emptyStep(source.slot);
  }

  private slotKey(event: KeyboardEvent, slot: number): void {
    if (event.ctrlKey || event.altKey || event.metaKey) return;
    const row = slot % ROWS;
    switch (event.key) {
      case "ArrowUp": if (row > 0) this.focusSlot(slot - 1); break;
      case "ArrowDown": if (row < ROWS - 1) this.focusSlot(slot + 1); break;
      case "ArrowLeft": if (slot >= ROWS) this.focusSlot(slot - ROWS); break;
      case "ArrowRight": if (slot + ROWS < SLOT_COUNT) this.focusSlot(slot + ROWS); break;
      case "Enter":
      case " ": this.chooseCommand(slot); break;
      case "+": this.changeValue(slot, +1); break;
      case "-": this.changeValue(slot, -1); break;
      case "Delete":
      case "Backspace": this.emptyStep(slot); break;
      default: return;
    }
    event.preventDefault();
  }

  private chooseCommand(slot: number): void {
    if (this.hooks.held()) return;
    const code = this.codeAt(slot);
    const current = code === EMPTY ? null : this.core.commandOf(code);
    this.list.open(this.slots[slot].slot, current, (number) => {
      this.focusSlot(slot);
      if (number !== null) this.placeCommand(slot, number);
    });
  }

  // One step of the value per notch, up when the wheel turns away from the pupil.
  private wheel(event: WheelEvent): void {
    const cell = (event.target as Element | null)?.closest(".slot, .value-label") as HTMLElement | null;
    const slot = cell ? Number(cell.dataset.slot) : -1;
    if (slot < 0 || this.codeAt(slot) === EMPTY) return;
    event.preventDefault();
    if (slot !== this.wheelSlot) {
      this.wheelSlot = slot;
      this.wheelRest = 0;
    }
    // A wheel's notch (lines, pages, or a large jump of pixels, whose size
    // differs between systems) counts as one step; the small pixels of a
    // touchpad add up to notches.
    const notch = event.deltaMode !== WheelEvent.DOM_DELTA_PIXEL || Math.abs(event.deltaY) >= WHEEL_NOTCH / 2;
    const turned = notch ? -Math.sign(event.deltaY) * WHEEL_NOTCH : -event.deltaY;
    this.wheelRest += turned;
    const steps = Math.trunc(this.wheelRest / WHEEL_NOTCH);
    this.wheelRest -= steps * WHEEL_NOTCH;
    if (steps !== 0) this.changeValue(slot, steps);
  }
}

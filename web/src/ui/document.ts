// The program as a document: the sixteen codes, every change undoable, the
// codes last saved or loaded with their file's name, and the unsaved mark.
// It is kept in the browser's storage after every change, so a reload, a
// closed lid or a crashed tab loses nothing; the undo history goes with it.

import { sameCodes } from "./dom";

export const SLOT_COUNT = 16;
export const EMPTY = -1;
const UNDO_LIMIT = 100;
const STORAGE_KEY = "vk47.program";

// A change's name, kept as its catalogue source and values so it is shown in
// the mode of the moment ("ステップ %1 に置く", ["3"]).
export interface ChangeName {
  source: string;
  args: string[];
}

interface Change {
  name: ChangeName;
  before: number[];
  after: number[];
}

interface Stored {
  codes: number[];
  saved: number[];
  fileName: string;
  undo: Change[];
  index: number;
}

export function emptyProgram(): number[] {
  return new Array<number>(SLOT_COUNT).fill(EMPTY);
}

function isProgram(value: unknown): value is number[] {
  return (
    Array.isArray(value) &&
    value.length === SLOT_COUNT &&
    value.every((code) => Number.isInteger(code) && code >= EMPTY && code <= 255)
  );
}

function isChange(value: unknown): value is Change {
  const change = value as Change;
  return (
    typeof change === "object" &&
    change !== null &&
    typeof change.name?.source === "string" &&
    Array.isArray(change.name.args) &&
    change.name.args.every((arg) => typeof arg === "string") &&
    isProgram(change.before) &&
    isProgram(change.after)
  );
}

export class ProgramDocument {
  private codesNow = emptyProgram();
  private saved = emptyProgram();
  private name = "";
  private undoStack: Change[] = [];
  private index = 0; // changes before it are done, from it on undone
  // The file the program came from or went to, where the browser lets the
  // page write to it again (not kept over a reload).
  handle: FileSystemFileHandleLike | null = null;
  onChanged: () => void = () => {};

  constructor(private readonly storage: Storage | null = safeStorage()) {
    this.restore();
  }

  get codes(): readonly number[] {
    return this.codesNow;
  }

  get fileName(): string {
    return this.name;
  }

  get modified(): boolean {
    return !sameCodes(this.codesNow, this.saved);
  }

  canUndo(): boolean {
    return this.index > 0;
  }

  canRedo(): boolean {
    return this.index < this.undoStack.length;
  }

  // Makes `codes` the program as one undoable change named `name`; nothing
  // when they are the program already. Returns whether it changed.
  change(name: ChangeName, codes: readonly number[]): boolean {
    if (!isProgram(codes as number[]) || sameCodes(codes, this.codesNow)) return false;
    this.undoStack.splice(this.index);
    this.undoStack.push({ name, before: [...this.codesNow], after: [...codes] });
    if (this.undoStack.length > UNDO_LIMIT) this.undoStack.shift();
    this.index = this.undoStack.length;
    this.codesNow = [...codes];
    this.changed();
    return true;
  }

  // Undoes the last change; its name, or null when there is none.
  undo(): ChangeName | null {
    if (!this.canUndo()) return null;
    const change = this.undoStack[--this.index];
    this.codesNow = [...change.before];
    this.changed();
    return change.name;
  }

  redo(): ChangeName | null {
    if (!this.canRedo()) return null;
    const change = this.undoStack[this.index++];
    this.codesNow = [...change.after];
    this.changed();
    return change.name;
  }

  markSaved(fileName: string, codes: readonly number[]): void {
    this.name = fileName;
    this.saved = [...codes];
    this.changed();
  }

  private changed(): void {
    this.store();
    this.onChanged();
  }

  private store(): void {
    if (!this.storage) return;
    const stored: Stored = {
      codes: this.codesNow,
      saved: this.saved,
      fileName: this.name,
      undo: this.undoStack,
      index: this.index,
    };
    try {
      this.storage.setItem(STORAGE_KEY, JSON.stringify(stored));
    } catch {
      // A full or refused storage keeps the program on the page only.
    }
  }

  // Takes back what was kept; anything damaged or from elsewhere is left
  // out piece by piece, never half-applied.
  private restore(): void {
    let stored: Partial<Stored>;
    try {
      stored = JSON.parse(this.storage?.getItem(STORAGE_KEY) ?? "null") ?? {};
    } catch {
      return;
    }
    if (!isProgram(stored.codes)) return;
    this.codesNow = [...stored.codes];
    if (isProgram(stored.saved)) this.saved = [...stored.saved];
    if (typeof stored.fileName === "string") this.name = stored.fileName;
    const undo = Array.isArray(stored.undo) ? stored.undo : [];
    const index = stored.index;
    // The history counts only when it leads to the program kept.
    if (
      undo.every(isChange) &&
      Number.isInteger(index) &&
      index! >= 0 &&
      index! <= undo.length &&
      (index === 0
        ? undo.length === 0 || sameCodes(undo[0].before, this.codesNow)
        : sameCodes(undo[index! - 1].after, this.codesNow))
    ) {
      this.undoStack = undo.slice(-UNDO_LIMIT);
      this.index = Math.max(0, index! - (undo.length - this.undoStack.length));
    }
  }
}

function safeStorage(): Storage | null {
  try {
    return window.localStorage;
  } catch {
    return null;
  }
}

// The part of the File System Access API's file handle the page uses.
export interface FileSystemFileHandleLike {
  name: string;
  getFile(): Promise<File>;
  createWritable(): Promise<{ write(data: BufferSource | Blob): Promise<void>; close(): Promise<void> }>;
  queryPermission?(options: { mode: "readwrite" }): Promise<PermissionState>;
  requestPermission?(options: { mode: "readwrite" }): Promise<PermissionState>;
}

// 読込 and 保存 with the browser's own file pickers: the File System Access
// API where the browser has it (保存 then writes back to the same file),
// otherwise a file input to read and a download to save. The bytes are the
// core's, as the desktop writes them.

import type { FileSystemFileHandleLike } from "./document";

interface PickerOptions {
  types?: { description?: string; accept: Record<string, string[]> }[];
  suggestedName?: string;
  excludeAcceptAllOption?: boolean;
}

interface FilePickers {
  showOpenFilePicker?(options?: PickerOptions): Promise<FileSystemFileHandleLike[]>;
  showSaveFilePicker?(options?: PickerOptions): Promise<FileSystemFileHandleLike>;
}

const PT3_TYPES = [{ accept: { "text/plain": [".pt3"] } }];

export interface OpenedFile {
  name: string;
  bytes: Uint8Array;
  handle: FileSystemFileHandleLike | null;
}

// The pupil closed the picker: not a failure.
export function cancelled(error: unknown): boolean {
  return error instanceof DOMException && error.name === "AbortError";
}

function pickers(): FilePickers {
  return window as unknown as FilePickers;
}

// Asks for a .pt3 file; null when none was chosen.
export async function openProgramFile(): Promise<OpenedFile | null> {
  const picker = pickers().showOpenFilePicker;
  if (picker) {
    let handles: FileSystemFileHandleLike[];
    try {
      handles = await picker.call(window, { types: PT3_TYPES });
    } catch (error) {
      if (cancelled(error)) return null;
      throw error;
    }
    const file = await handles[0].getFile();
    return { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()), handle: handles[0] };
  }
  const file = await chooseWithInput();
  if (!file) return null;
  return { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()), handle: null };
}

function chooseWithInput(): Promise<File | null> {
  return new Promise((resolve) => {
    const input = document.createElement("input");
    input.type = "file";
    input.accept = ".pt3";
    input.hidden = true;
    input.addEventListener("change", () => {
      resolve(input.files?.[0] ?? null);
      input.remove();
    });
    input.addEventListener("cancel", () => {
      resolve(null);
      input.remove();
    });
    document.body.append(input);
    input.click();
  });
}

export interface SavedFile {
  name: string;
  handle: FileSystemFileHandleLike | null;
}

// Writes `bytes` back to `handle` where the browser lets the page, else to a
// file the pupil picks, else as a download. Null when the pupil cancelled.
export async function saveProgramFile(
  bytes: Uint8Array,
  suggestedName: string,
  handle: FileSystemFileHandleLike | null,
): Promise<SavedFile | null> {
  if (handle && (await mayWrite(handle))) {
    await write(handle, bytes);
    return { name: handle.name, handle };
  }
  const picker = pickers().showSaveFilePicker;
  if (picker) {
    let chosen: FileSystemFileHandleLike;
    try {
      chosen = await picker.call(window, { types: PT3_TYPES, suggestedName });
    } catch (error) {
      if (cancelled(error)) return null;
      throw error;
    }
    await write(chosen, bytes);
    return { name: chosen.name, handle: chosen };
  }
  download(bytes, suggestedName);
  return { name: suggestedName, handle: null };
}

async function mayWrite(handle: FileSystemFileHandleLike): Promise<boolean> {
  if (!handle.queryPermission) return true;
  if ((await handle.queryPermission({ mode: "readwrite" })) === "granted") return true;
  return (await handle.requestPermission?.({ mode: "readwrite" })) === "granted";
}

async function write(handle: FileSystemFileHandleLike, bytes: Uint8Array): Promise<void> {
  const writable = await handle.createWritable();
  await writable.write(bytes);
  await writable.close();
}

function download(bytes: Uint8Array, name: string): void {
  const url = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
  const link = document.createElement("a");
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10_000);
}

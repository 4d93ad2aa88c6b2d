// シミュレーション and 印刷… from the menus: the simulator panel (../sim) on
// the program of the moment, and the program sheet (../sheet) printed by
// the browser.

import type { Core } from "../core-types";
import { printSheet } from "../sheet/sheet";
import { currentSimulator, openSimulator } from "../sim/simulator";
import type { ProgramDocument } from "./document";
import type { Texts } from "./texts";

export function simulate(core: Core, texts: Texts, doc: ProgramDocument): void {
  openSimulator(core, texts, () => doc.codes);
}

// A change of the program sends a running simulation back to its start.
export function programChanged(): void {
  currentSimulator()?.programChanged();
}

export function printProgram(core: Core, doc: ProgramDocument, picture: (number: string) => string): void {
  printSheet(core, doc.codes, { fileName: doc.fileName, picture });
}

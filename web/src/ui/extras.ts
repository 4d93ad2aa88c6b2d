// シミュレーション and 印刷… from the menus: the simulator window and the
// program sheet (../sim, ../sheet).

import type { Core } from "../core-types";
import { openSimulator } from "../sim/simulator";
import { printSheet } from "../sheet/sheet";
import type { ProgramDocument } from "./document";
import type { Texts } from "./texts";

const watched = new WeakSet<ProgramDocument>();

export function simulate(core: Core, texts: Texts, doc: ProgramDocument): void {
  const simulator = openSimulator(core, texts, () => doc.codes);
  // Any change of the program sends the simulator back to the start.
  if (!watched.has(doc)) {
    watched.add(doc);
    const before = doc.onChanged;
    doc.onChanged = () => {
      before();
      simulator.programChanged();
    };
  }
}

export function printProgram(core: Core, _texts: Texts, doc: ProgramDocument, _status: (text: string) => void): void {
  // The browser's print dialog does not tell whether the sheet was printed
  // or the pupil cancelled, so no outcome is claimed.
  printSheet(core, doc.codes, { fileName: doc.fileName });
}

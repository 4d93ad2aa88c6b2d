// シミュレーション and 印刷… from the menus: the simulator window and the
// program sheet (../sim, ../sheet).

import type { Core } from "../core-types";
import type { ProgramDocument } from "./document";
import type { Texts } from "./texts";

export function simulate(_core: Core, _texts: Texts, _doc: ProgramDocument): void {
  // Wired to ../sim once it is there.
}

export function printProgram(_core: Core, _texts: Texts, _doc: ProgramDocument, _status: (text: string) => void): void {
  // Wired to ../sheet once it is there.
}

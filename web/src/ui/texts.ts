// Every text of the page comes from the core's catalogue, in the current
// mode (kanji, or hiragana). Whatever shows a text registers how to set it,
// so a switch of the mode sets every text again at once.

import type { Core } from "../core-types";

export class Texts {
  private readonly appliers: (() => void)[] = [];

  constructor(private readonly core: Core) {}

  // A catalogue text, %1..%9 filled from `args`.
  t(source: string, ...args: (string | number)[]): string {
    return this.core.text(source, ...args.map(String));
  }

  // Runs `apply` now and again after every switch of the mode.
  bind(apply: () => void): void {
    this.appliers.push(apply);
    apply();
  }

  // Sets an element's text content from the catalogue, now and after every switch.
  text(node: HTMLElement, source: string, ...args: (string | number)[]): void {
    this.bind(() => {
      node.textContent = this.t(source, ...args);
    });
  }

  kana(): boolean {
    return this.core.kana();
  }

  setKana(on: boolean): void {
    this.core.setKana(on);
    for (const apply of this.appliers) apply();
  }
}

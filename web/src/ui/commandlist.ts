// The list of the fifteen commands that Enter or Space opens on a slot
// (the desktop's pop-up menu of commands): pictures and names, the slot's
// command chosen at first; arrows move, Enter or Space or a click chooses,
// Escape or a click elsewhere closes without a choice.

import type { Core } from "../core-types";
import { el } from "./dom";
import type { Texts } from "./texts";

export class CommandList {
  private node: HTMLElement | null = null;
  private done: ((number: string | null) => void) | null = null;

  constructor(
    private readonly core: Core,
    private readonly texts: Texts,
    private readonly picture: (number: string) => string,
  ) {
    document.addEventListener("pointerdown", (event) => {
      if (this.node && !this.node.contains(event.target as Node)) this.close(null);
    }, true);
  }

  isOpen(): boolean {
    return this.node !== null;
  }

  open(anchor: HTMLElement, current: string | null, done: (number: string | null) => void): void {
    this.close(null);
    const list = el("div", { role: "listbox", class: "command-list", tabindex: -1 });
    list.setAttribute("aria-label", this.texts.t("命令の一覧"));
    const options: HTMLElement[] = [];
    for (const info of this.core.commands()) {
      const option = el("div", { role: "option", id: `command-${info.number}`, "data-command": info.number, "aria-selected": "false" },
        el("img", { alt: "", src: this.picture(info.number) }), el("span", {}, info.name));
      option.addEventListener("click", () => this.close(info.number));
      options.push(option);
      list.append(option);
    }
    let active = Math.max(0, options.findIndex((o) => o.dataset.command === current));
    const select = (index: number) => {
      active = (index + options.length) % options.length;
      options.forEach((o, i) => o.setAttribute("aria-selected", String(i === active)));
      list.setAttribute("aria-activedescendant", options[active].id);
      options[active].scrollIntoView({ block: "nearest" });
    };
    list.addEventListener("keydown", (event) => {
      switch (event.key) {
        case "ArrowDown": select(active + 1); break;
        case "ArrowUp": select(active - 1); break;
        case "Home": select(0); break;
        case "End": select(options.length - 1); break;
        case "Enter":
        case " ": this.close(options[active].dataset.command!); break;
        case "Escape":
        case "Tab": this.close(null); break;
        default: return;
      }
      event.preventDefault();
      event.stopPropagation();
    });
    const rect = anchor.getBoundingClientRect();
    list.style.left = `${rect.left}px`;
    list.style.top = `${rect.bottom}px`;
    document.body.append(list);
    // Kept within the page when the slot is near its bottom edge.
    const height = list.getBoundingClientRect().height;
    if (rect.bottom + height > window.innerHeight) list.style.top = `${Math.max(0, window.innerHeight - height)}px`;
    this.node = list;
    this.done = done;
    select(active);
    list.focus();
  }

  private close(number: string | null): void {
    const done = this.done;
    this.node?.remove();
    this.node = null;
    this.done = null;
    done?.(number);
  }
}

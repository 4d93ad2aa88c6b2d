// The menu bar: ARIA menubar, menu and menuitem over plain buttons, worked
// with the mouse, a finger or the keys (arrows, Home/End, Enter, Space,
// Escape), as a screen reader expects of a menu bar.

import { el } from "./dom";
import type { Texts } from "./texts";

export interface MenuItemSpec {
  source: string;                 // the catalogue text of its name
  shortcut?: () => string;        // shown after the name ("Ctrl+D")
  run: () => void;
  checked?: () => boolean;        // a menuitemcheckbox
  enabled?: () => boolean;
}

export interface MenuSpec {
  source: string;
  items: (MenuItemSpec | "separator")[];
}

interface Built {
  button: HTMLButtonElement;
  menu: HTMLElement;
  items: { node: HTMLElement; spec: MenuItemSpec }[];
}

export class MenuBar {
  readonly node: HTMLElement;
  private readonly menus: Built[] = [];
  private open = -1;

  constructor(private readonly texts: Texts, specs: MenuSpec[]) {
    this.node = el("div", { role: "menubar", id: "menubar" });
    specs.forEach((spec, index) => this.build(spec, index));
    document.addEventListener("pointerdown", (event) => {
      if (this.open >= 0 && !this.node.contains(event.target as Node)) this.close(false);
    });
  }

  isOpen(): boolean {
    return this.open >= 0;
  }

  // Sets every item's checked and enabled state anew (after a change of the
  // program, the undo stack or the mode).
  refresh(): void {
    for (const menu of this.menus) {
      for (const { node, spec } of menu.items) {
        if (spec.checked) node.setAttribute("aria-checked", String(spec.checked()));
        const enabled = spec.enabled ? spec.enabled() : true;
        node.setAttribute("aria-disabled", String(!enabled));
      }
    }
  }

  private build(spec: MenuSpec, index: number): void {
    const button = el("button", {
      type: "button",
      role: "menuitem",
      "aria-haspopup": "menu",
      "aria-expanded": "false",
      tabindex: index === 0 ? 0 : -1,
      class: "menubar-item",
    });
    const menu = el("div", { role: "menu", class: "menu", hidden: true });
    this.texts.bind(() => {
      button.textContent = this.texts.t(spec.source);
      menu.setAttribute("aria-label", this.texts.t(spec.source));
    });
    const built: Built = { button, menu, items: [] };
    for (const item of spec.items) {
      if (item === "separator") {
        menu.append(el("div", { role: "separator", class: "menu-separator" }));
        continue;
      }
      const node = el("div", {
        role: item.checked ? "menuitemcheckbox" : "menuitem",
        tabindex: -1,
        class: "menu-item",
      });
      const label = el("span", { class: "menu-label" });
      const keys = el("span", { class: "menu-keys" });
      node.append(label, keys);
      this.texts.bind(() => {
        label.textContent = this.texts.t(item.source);
        // The shortcut is part of the name ("デモ Ctrl+D"), as the desktop's menu reads.
        const shortcut = item.shortcut?.() ?? "";
        keys.textContent = shortcut ? ` ${shortcut}` : "";
        if (shortcut) node.setAttribute("aria-keyshortcuts", shortcut.replace(/\s/g, ""));
      });
      node.addEventListener("click", () => this.activate(item, node));
      node.addEventListener("pointermove", () => node.focus());
      node.addEventListener("keydown", (event) => this.itemKey(event, index, item, node));
      built.items.push({ node, spec: item });
      menu.append(node);
    }
    button.addEventListener("click", () => (this.open === index ? this.close(true) : this.show(index, false)));
    button.addEventListener("pointerenter", () => {
      if (this.open >= 0 && this.open !== index) this.show(index, false);
    });
    button.addEventListener("keydown", (event) => this.barKey(event, index));
    const wrap = el("div", { class: "menubar-entry" }, button, menu);
    this.node.append(wrap);
    this.menus.push(built);
  }

  private activate(item: MenuItemSpec, node: HTMLElement): void {
    if (node.getAttribute("aria-disabled") === "true") return;
    this.close(true);
    item.run();
  }

  show(index: number, focusFirst: boolean): void {
    this.close(false);
    this.refresh();
    const built = this.menus[index];
    built.menu.hidden = false;
    built.button.setAttribute("aria-expanded", "true");
    this.open = index;
    this.focusBar(index);
    if (focusFirst) built.items[0]?.node.focus();
  }

  close(focusBar: boolean): void {
    if (this.open < 0) return;
    const built = this.menus[this.open];
    built.menu.hidden = true;
    built.button.setAttribute("aria-expanded", "false");
    if (focusBar) built.button.focus();
    this.open = -1;
  }

  private focusBar(index: number): void {
    this.menus.forEach((m, i) => m.button.setAttribute("tabindex", i === index ? "0" : "-1"));
    this.menus[index].button.focus();
  }

  private barKey(event: KeyboardEvent, index: number): void {
    const count = this.menus.length;
    const move = (to: number) => (this.open >= 0 ? this.show(to, false) : this.focusBar(to));
    switch (event.key) {
      case "ArrowRight": move((index + 1) % count); break;
      case "ArrowLeft": move((index + count - 1) % count); break;
      case "Home": move(0); break;
      case "End": move(count - 1); break;
      case "ArrowDown":
      case "Enter":
      case " ": this.show(index, true); break;
      case "ArrowUp": {
        this.show(index, false);
        this.menus[index].items.at(-1)?.node.focus();
        break;
      }
      case "Escape": this.close(true); break;
      default: return;
    }
    event.preventDefault();
    event.stopPropagation();
  }

  private itemKey(event: KeyboardEvent, index: number, item: MenuItemSpec, node: HTMLElement): void {
    const items = this.menus[index].items.map((i) => i.node);
    const at = items.indexOf(node);
    const count = this.menus.length;
    switch (event.key) {
      case "ArrowDown": items[(at + 1) % items.length].focus(); break;
      case "ArrowUp": items[(at + items.length - 1) % items.length].focus(); break;
      case "Home": items[0].focus(); break;
      case "End": items[items.length - 1].focus(); break;
      case "ArrowRight": this.show((index + 1) % count, true); break;
      case "ArrowLeft": this.show((index + count - 1) % count, true); break;
      case "Enter":
      case " ": this.activate(item, node); break;
      case "Escape": this.close(true); break;
      case "Tab": this.close(false); return;
      default: return;
    }
    event.preventDefault();
    event.stopPropagation();
  }
}

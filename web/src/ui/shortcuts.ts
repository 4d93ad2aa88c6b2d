// The keys of the menu commands. In the installed app's own window the page
// gets every key, and the desktop's shortcuts hold. In a browser tab the
// browser keeps Ctrl+T (new tab), Ctrl+N and Ctrl+W for itself; of the
// desktop's shortcuts only 転送's Ctrl+T is among them, so in a tab 転送 is
// Alt+T (the same letter). Ctrl+T works there too where the browser lets it through.

export type Command =
  | "open" | "save" | "print"
  | "demo" | "clear" | "undo" | "redo"
  | "transfer" | "execute" | "simulate"
  | "help";

interface Key {
  key: string;       // KeyboardEvent.code, independent of the keyboard's layout and of IME
  ctrl?: boolean;
  shift?: boolean;
  alt?: boolean;
}

interface Binding {
  command: Command;
  keys: Key[];       // the first is the one shown in the menu
}

export function installedApp(): boolean {
  return (
    window.matchMedia?.("(display-mode: standalone)").matches ||
    window.matchMedia?.("(display-mode: window-controls-overlay)").matches ||
    false
  );
}

export function bindings(app: boolean): Binding[] {
  return [
    { command: "open", keys: [{ key: "KeyO", ctrl: true }] },
    { command: "save", keys: [{ key: "KeyS", ctrl: true }] },
    { command: "print", keys: [{ key: "KeyP", ctrl: true }] },
    { command: "demo", keys: [{ key: "KeyD", ctrl: true }] },
    { command: "clear", keys: [{ key: "KeyC", ctrl: true }] },
    { command: "undo", keys: [{ key: "KeyZ", ctrl: true }] },
    { command: "redo", keys: [{ key: "KeyY", ctrl: true }, { key: "KeyZ", ctrl: true, shift: true }] },
    {
      command: "transfer",
      keys: app
        ? [{ key: "KeyT", ctrl: true }, { key: "KeyT", alt: true }]
        : [{ key: "KeyT", alt: true }, { key: "KeyT", ctrl: true }],
    },
    { command: "execute", keys: [{ key: "KeyR", ctrl: true }] },
    { command: "simulate", keys: [{ key: "F5" }] },
    { command: "help", keys: [{ key: "F1" }] },
  ];
}

export function keyText(key: Key): string {
  const name = key.key.startsWith("Key") ? key.key.slice(3) : key.key;
  return [key.ctrl && "Ctrl", key.alt && "Alt", key.shift && "Shift", name].filter(Boolean).join("+");
}

export function shortcutText(command: Command, app: boolean): string {
  const binding = bindings(app).find((b) => b.command === command);
  return binding ? keyText(binding.keys[0]) : "";
}

// The command a key press stands for, or null.
export function commandOfKey(event: KeyboardEvent, app: boolean): Command | null {
  const ctrl = event.ctrlKey || event.metaKey;
  for (const binding of bindings(app)) {
    for (const key of binding.keys) {
      if (
        key.key === event.code &&
        !!key.ctrl === ctrl &&
        !!key.shift === event.shiftKey &&
        !!key.alt === event.altKey
      ) {
        return binding.command;
      }
    }
  }
  return null;
}

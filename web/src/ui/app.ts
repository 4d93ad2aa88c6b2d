// The editor window in the browser: the menu bar, the editor's body scaled
// to fit the screen, the status line; the commands behind the menus, the
// buttons and the keys; the hiragana mode; what is kept over a reload.

import type { Core } from "../core-types";
import { ProgramDocument, emptyProgram } from "./document";
import { clockTime, el } from "./dom";
import { CLIENT_HEIGHT, CLIENT_WIDTH, Editor } from "./editor";
import { cancelled, openProgramFile, saveProgramFile } from "./files";
import { MenuBar, MenuItemSpec } from "./menus";
import { showNotice } from "./notice";
import { type Command, commandOfKey, installedApp, shortcutText } from "./shortcuts";
import { Texts } from "./texts";
import { robotCommands, type RobotCommands } from "./robot";
import { printProgram, programChanged, simulate } from "./extras";

export const PRODUCT_NAME = "VK-47ロボット制御３";
const KANA_KEY = "vk47.kana";

export interface Page {
  core: Core;
  texts: Texts;
  doc: ProgramDocument;
  editor: Editor;
  run(command: Command | "kana"): Promise<void>;
}

function storedKana(): boolean {
  if (new URLSearchParams(location.search).get("kana") === "1") return true;
  try {
    return localStorage.getItem(KANA_KEY) === "1";
  } catch {
    return false;
  }
}

export function startPage(core: Core, root: HTMLElement): Page {
  core.setKana(storedKana());
  const texts = new Texts(core);
  const doc = new ProgramDocument();
  const app = installedApp();
  let busy = false; // a transfer or an execute holds the edits back

  const outcomeNode = el("span", { class: "status-outcome", role: "status" });
  const fileNode = el("span", { class: "status-file" });
  const serialNote = el("span", { class: "status-serial" });
  const statusLine = el("div", { id: "status-line", class: "status-line" }, outcomeNode, fileNode, serialNote);

  // The outcome of the last command, with the time of day as the desktop
  // shows it; the robot link's texts bring their own time.
  const showOutcome = (text: string) => {
    outcomeNode.textContent = text;
    outcomeNode.title = text;
  };
  const status = (text: string) => showOutcome(`${text} ${clockTime()}`);

  const robot: RobotCommands = robotCommands(core, {
    status: showOutcome,
    notice: (notice) => showNotice(texts, notice),
    busyChanged: (held) => {
      busy = held;
      menus.refresh();
    },
  });

  const editor = new Editor(core, texts, doc, {
    held: () => busy,
    status,
    transfer: () => void run("transfer"),
    execute: () => void run("execute"),
  });

  const item = (source: string, command: Command): MenuItemSpec => ({
    source,
    shortcut: () => shortcutText(command, app),
    run: () => void run(command),
    enabled: () => !(busy && editsProgram(command)) &&
      (command !== "undo" || doc.canUndo()) && (command !== "redo" || doc.canRedo()),
  });
  const menus = new MenuBar(texts, [
    { source: "ファイル", items: [item("読込", "open"), item("保存", "save"), "separator", item("印刷…", "print")] },
    { source: "Edit", items: [item("デモ", "demo"), item("クリア", "clear"), item("元に戻す", "undo"), item("やり直し", "redo")] },
    { source: "制御", items: [item("転送", "transfer"), item("実行", "execute"), item("シミュレーション", "simulate")] },
    { source: "設定", items: [{ source: "ひらがな", run: () => void run("kana"), checked: () => texts.kana() }] },
    { source: "ヘルプ", items: [item("ヘルプの表示", "help")] },
  ]);

  const stage = el("div", { id: "stage", class: "stage" }, editor.node);
  const scroller = el("div", { class: "scroller" }, stage);
  root.append(menus.node, scroller, statusLine);

  // The file, with "*" while changes are unsaved; the caption says the same.
  const showState = () => {
    const name = doc.fileName || texts.t("無題");
    const label = doc.modified ? `${name}*` : name;
    fileNode.textContent = label;
    document.title = !doc.fileName && !doc.modified ? PRODUCT_NAME : `${label} - ${PRODUCT_NAME}`;
    menus.refresh();
  };
  doc.onChanged = () => {
    editor.render();
    programChanged();
    showState();
  };
  // Right of the file: the port granted to the page, or why there is none.
  const showPort = async () => {
    if (!robot.available) {
      serialNote.textContent = texts.t("このブラウザからはロボットに送れません (送れるのはパソコンと Chromebook の Chrome と Edge です)。");
      serialNote.classList.add("status-missing");
      return;
    }
    const port = await robot.portCaption();
    serialNote.textContent = port;
    serialNote.hidden = port === "";
  };
  // An adapter plugged in or pulled out changes what the port field says.
  const serial = (navigator as Navigator & { serial?: EventTarget }).serial;
  serial?.addEventListener("connect", () => void showPort());
  serial?.addEventListener("disconnect", () => void showPort());
  texts.bind(() => {
    showState();
    void showPort();
    document.documentElement.lang = "ja";
  });

  function editsProgram(command: Command): boolean {
    return ["open", "demo", "clear", "undo", "redo", "transfer", "execute"].includes(command);
  }

  async function run(command: Command | "kana"): Promise<void> {
    if (command !== "kana" && busy && editsProgram(command)) return;
    switch (command) {
      case "open": return openFile();
      case "save": return saveFile();
      case "print": return printProgram(core, doc, (number) => editor.pictureOf(number));
      case "demo":
        doc.change({ source: "デモ", args: [] }, core.demo());
        return;
      case "clear":
        doc.change({ source: "クリア", args: [] }, emptyProgram());
        return;
      case "undo": {
        const name = doc.undo();
        if (name) status(texts.t("元に戻しました (%1)", texts.t(name.source, ...name.args)));
        return;
      }
      case "redo": {
        const name = doc.redo();
        if (name) status(texts.t("やり直しました (%1)", texts.t(name.source, ...name.args)));
        return;
      }
      case "transfer":
      case "execute": {
        await (command === "transfer" ? robot.transfer([...doc.codes]) : robot.execute());
        // The pupil may have chosen a port, or unplugged one.
        await showPort();
        return;
      }
      case "simulate":
        simulate(core, texts, doc);
        fit();
        return;
      case "help":
        window.open("help.html", "_blank", "noopener");
        return;
      case "kana": {
        const on = !texts.kana();
        texts.setKana(on);
        try {
          localStorage.setItem(KANA_KEY, on ? "1" : "0");
        } catch {
          // Not kept: the mode holds for this visit.
        }
        status(on ? texts.t("ひらがなで表示します") : texts.t("漢字を使って表示します"));
        menus.refresh();
        return;
      }
    }
  }

  async function openFile(): Promise<void> {
    let opened;
    try {
      opened = await openProgramFile();
    } catch (error) {
      if (cancelled(error)) return;
      await showNotice(texts, { main: [texts.t("ファイル %1 は開けません", "")], reason: "", details: [String(error)] });
      return;
    }
    if (!opened) return;
    const result = core.readProgramFile(opened.bytes, opened.name);
    if (!result.ok) {
      // The program stays as it was.
      status(texts.t("読み込めませんでした (%1)", result.notice.reason));
      await showNotice(texts, result.notice);
      return;
    }
    doc.change({ source: "読込 %1", args: [opened.name] }, result.codes);
    doc.handle = opened.handle;
    doc.markSaved(opened.name, result.codes);
    status(texts.t("%1 を読み込みました", opened.name));
  }

  async function saveFile(): Promise<void> {
    const codes = [...doc.codes];
    const bytes = core.programFile(codes);
    const suggested = doc.fileName || `${texts.t("無題")}.pt3`;
    try {
      const saved = await saveProgramFile(bytes, suggested, doc.handle);
      if (!saved) return;
      doc.handle = saved.handle;
      doc.markSaved(saved.name, codes);
      status(texts.t("%1 に保存しました", saved.name));
    } catch (error) {
      if (cancelled(error)) return;
      status(texts.t("保存できませんでした"));
      await showNotice(texts, {
        main: [texts.t("ファイル %1 を作成できません", suggested)],
        reason: texts.t("保存できませんでした"),
        details: [error instanceof Error ? `${error.name}: ${error.message}` : String(error)],
      });
    }
  }

  // The menu commands' keys, ahead of whatever has the focus; none while a
  // menu, the command list or a dialog takes the keys.
  document.addEventListener("keydown", (event) => {
    if (event.defaultPrevented || document.querySelector("dialog[open]")) return;
    const command = commandOfKey(event, app);
    if (!command) return;
    const target = event.target as HTMLElement | null;
    // Ctrl+C copies a selected text as anywhere else; with nothing selected it is クリア.
    if (command === "clear" && (String(window.getSelection() ?? "") !== "" || target?.matches("input[type=text], textarea"))) return;
    event.preventDefault();
    menus.close(false);
    void run(command);
  });

  // Closing the tab with unsaved changes asks first (the program is kept
  // in storage anyway, but the file on disk is not).
  window.addEventListener("beforeunload", (event) => {
    if (!doc.modified) return;
    event.preventDefault();
    event.returnValue = "";
  });

  // The window's body keeps the desktop's proportions and fills the room
  // between the menu bar and the status line, without scrolling; beside the
  // simulator's panel while that is open, as the desktop places its window.
  const fit = () => {
    const panel = document.querySelector<HTMLElement>(".sim-panel");
    const beside = panel && !panel.hidden ? window.innerWidth - panel.getBoundingClientRect().left + 6 : 0;
    const room = window.innerHeight - menus.node.offsetHeight - statusLine.offsetHeight;
    const width = Math.max(CLIENT_WIDTH * 0.3, window.innerWidth - beside);
    const fits = Math.min(width / CLIENT_WIDTH, room / CLIENT_HEIGHT, 2.5);
    // Hardly smaller than the desktop's own size: a pupil who zooms the page
    // in (Ctrl and +) gets a larger window to scroll rather than the same one,
    // while a browser's bars that leave a little less room cost no scrolling.
    const scale = beside ? Math.max(0.3, fits) : Math.max(0.9, fits);
    editor.node.style.transform = `scale(${scale})`;
    stage.style.width = `${CLIENT_WIDTH * scale}px`;
    stage.style.height = `${CLIENT_HEIGHT * scale}px`;
    stage.style.marginLeft = beside ? "0" : "auto";
  };
  window.addEventListener("resize", fit);
  new MutationObserver((changes) => {
    if (changes.some((change) => (change.target as Element).classList?.contains("sim-panel"))) fit();
  }).observe(document.body, { subtree: true, attributes: true, attributeFilter: ["hidden"] });
  fit();

  editor.render();
  showState();
  return { core, texts, doc, editor, run };
}

// A failure told to the pupil: the notice's lines, and behind くわしく the
// details for a teacher. A modal <dialog>, so the keys stay inside it and
// Escape closes it.

import type { Notice } from "../core-types";
import { el } from "./dom";
import type { Texts } from "./texts";

export function showNotice(texts: Texts, notice: Notice): Promise<void> {
  const dialog = el("dialog", { class: "notice", role: "alertdialog", "aria-modal": "true" });
  const lines = el("div", { class: "notice-main", id: "notice-main" }, ...notice.main.map((line) => el("p", {}, line)));
  dialog.setAttribute("aria-labelledby", lines.id);
  const details = el("div", { class: "notice-details", hidden: true }, ...notice.details.map((line) => el("p", {}, line)));
  const buttons = el("div", { class: "notice-buttons" });
  if (notice.details.length > 0) {
    const more = el("button", { type: "button", "aria-expanded": "false" }, texts.t("くわしく"));
    more.addEventListener("click", () => {
      details.hidden = !details.hidden;
      more.setAttribute("aria-expanded", String(!details.hidden));
    });
    buttons.append(more);
  }
  const close = el("button", { type: "button", class: "default" }, texts.t("閉じる"));
  buttons.append(close);
  dialog.append(lines, details, buttons);
  document.body.append(dialog);
  return new Promise((resolve) => {
    dialog.addEventListener("close", () => {
      dialog.remove();
      resolve();
    });
    close.addEventListener("click", () => dialog.close());
    dialog.showModal();
    close.focus();
  });
}

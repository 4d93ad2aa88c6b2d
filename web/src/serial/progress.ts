// The transfer's progress window, as on the desktop: a small box over the
// middle of the page with the title (プログラム転送中), the step counter before
// "/ 16", and a bar. It is not modal: the page stays usable while it shows.
// For assistive technology it is a dialog named by its title, with the
// counter in a polite live region and the bar a progressbar.
//
// As on the desktop the counter is not reset when the window shows: until
// the first step is done it shows what the last transfer left ("1" before
// the first), while the bar starts at 0 each time.

const STYLE_ID = "vk47-progress-style";

// Sizes and colours of the desktop's window (368 × 67, green bold text at 16
// px, the bar 33 px high below it). The page's own style sheet may override
// any of it through the class names.
const STYLE = `
.vk47-progress {
  position: fixed; left: 50%; top: 50%; transform: translate(-50%, -50%);
  width: 368px; height: 67px; box-sizing: border-box; margin: 0; padding: 0;
  background: ButtonFace; border: 1px solid ButtonBorder;
  box-shadow: 0 2px 8px rgba(0, 0, 0, 0.35); z-index: 1000;
  font: bold 16px/16px sans-serif; color: rgb(0, 128, 0);
}
.vk47-progress[hidden] { display: none; }
.vk47-progress-line { position: absolute; left: 67px; top: 8px; height: 16px; white-space: nowrap; }
.vk47-progress-counter { display: inline-block; min-width: 9px; text-align: right; margin-left: 27px; }
.vk47-progress-of { margin-left: 9px; }
.vk47-progress-bar {
  position: absolute; left: 0; right: 0; top: 32px; height: 33px;
  background: Field; border-top: 1px solid ButtonBorder;
}
.vk47-progress-fill { height: 100%; width: 0; background: Highlight; }
@media print { .vk47-progress { display: none; } }
`;

export class ProgressWindow {
  private readonly root: HTMLElement;
  private readonly title: HTMLElement;
  private readonly counter: HTMLElement;
  private readonly bar: HTMLElement;
  private readonly fill: HTMLElement;

  constructor(host: HTMLElement = document.body) {
    const doc = host.ownerDocument;
    if (!doc.getElementById(STYLE_ID)) {
      const style = doc.createElement("style");
      style.id = STYLE_ID;
      style.textContent = STYLE;
      // First in <head>, so that the page's own rules win over these.
      doc.head.prepend(style);
    }
    this.root = doc.createElement("div");
    this.root.className = "vk47-progress";
    this.root.setAttribute("role", "dialog");
    this.root.setAttribute("aria-modal", "false");
    this.root.hidden = true;

    const line = doc.createElement("div");
    line.className = "vk47-progress-line";
    line.setAttribute("role", "status");
    line.setAttribute("aria-live", "polite");
    this.title = doc.createElement("span");
    this.title.className = "vk47-progress-title";
    this.title.id = `vk47-progress-title-${Math.random().toString(36).slice(2)}`;
    this.counter = doc.createElement("span");
    this.counter.className = "vk47-progress-counter";
    this.counter.textContent = "1";
    const of = doc.createElement("span");
    of.className = "vk47-progress-of";
    of.textContent = "/ 16";
    line.append(this.title, this.counter, of);

    this.bar = doc.createElement("div");
    this.bar.className = "vk47-progress-bar";
    this.bar.setAttribute("role", "progressbar");
    this.bar.setAttribute("aria-valuemin", "0");
    this.bar.setAttribute("aria-valuemax", "100");
    this.bar.setAttribute("aria-labelledby", this.title.id);
    this.fill = doc.createElement("div");
    this.fill.className = "vk47-progress-fill";
    this.bar.append(this.fill);

    this.root.setAttribute("aria-labelledby", this.title.id);
    this.root.append(line, this.bar);
    host.append(this.root);
  }

  show(title: string): void {
    this.title.textContent = title;
    this.setPosition(0);
    this.root.hidden = false;
  }

  // After a step: the bar's position (0..100) and the counter.
  step(position: number, counter: number): void {
    this.setPosition(position);
    this.counter.textContent = String(counter);
  }

  close(): void {
    this.root.hidden = true;
  }

  get element(): HTMLElement {
    return this.root;
  }

  private setPosition(position: number): void {
    this.fill.style.width = `${position}%`;
    this.bar.setAttribute("aria-valuenow", String(position));
  }
}

// Dragging with pointer events, so a mouse, a pen and a finger all work:
// a press on a source, a move of more than 5 pixels either way (as on the
// desktop), and the source's picture follows the pointer with the grabbed
// point under it until the release. Escape, a cancelled pointer or a lost
// capture end the drag without a drop.

const THRESHOLD = 5;

export interface DragHooks<S> {
  // Whether a drag of `source` may start now.
  canStart(source: S): boolean;
  // The picture that follows the pointer.
  picture(source: S): string;
  // Marks where a release would land (null: nowhere yet, the drag ended).
  hover(source: S, target: Element | null, x: number, y: number): void;
  // The release: the element under the pointer (null outside the page) and
  // whether Ctrl was held (a copy).
  drop(source: S, target: Element | null, x: number, y: number, copy: boolean): void;
}

interface Press<S> {
  source: S;
  node: HTMLElement;
  pointerId: number;
  x: number;
  y: number;
  ghost: HTMLImageElement | null;
}

export class DragEngine<S> {
  private press: Press<S> | null = null;

  constructor(private readonly hooks: DragHooks<S>) {
    document.addEventListener("keydown", (event) => {
      if (event.key === "Escape" && this.press?.ghost) {
        event.preventDefault();
        event.stopPropagation();
        this.end(null, 0, 0, false, false);
      }
    }, true);
  }

  dragging(): boolean {
    return !!this.press?.ghost;
  }

  // Makes `node` a drag source; `source` tells what it carries at the press.
  attach(node: HTMLElement, source: () => S | null): void {
    node.addEventListener("pointerdown", (event) => {
      if (event.button !== 0 || !event.isPrimary || this.press) return;
      const what = source();
      if (what === null || !this.hooks.canStart(what)) return;
      this.press = { source: what, node, pointerId: event.pointerId, x: event.clientX, y: event.clientY, ghost: null };
      node.setPointerCapture?.(event.pointerId);
    });
    node.addEventListener("pointermove", (event) => {
      const press = this.press;
      if (!press || press.node !== node || event.pointerId !== press.pointerId) return;
      if (!press.ghost) {
        if (Math.abs(event.clientX - press.x) <= THRESHOLD && Math.abs(event.clientY - press.y) <= THRESHOLD) return;
        this.begin(press);
      }
      this.follow(press, event.clientX, event.clientY);
      event.preventDefault();
    });
    node.addEventListener("pointerup", (event) => {
      const press = this.press;
      if (!press || press.node !== node || event.pointerId !== press.pointerId) return;
      if (!press.ghost) {
        this.press = null;
        return;
      }
      this.follow(press, event.clientX, event.clientY);
      this.end(this.targetAt(event.clientX, event.clientY), event.clientX, event.clientY, event.ctrlKey || event.metaKey, true);
    });
    const cancel = (event: PointerEvent) => {
      if (this.press?.node === node && event.pointerId === this.press.pointerId) this.end(null, 0, 0, false, false);
    };
    node.addEventListener("pointercancel", cancel);
    node.addEventListener("lostpointercapture", cancel);
    // A drag on the page's own pictures is ours, not the browser's.
    node.addEventListener("dragstart", (event) => event.preventDefault());
  }

  private begin(press: Press<S>): void {
    const rect = press.node.getBoundingClientRect();
    const ghost = document.createElement("img");
    ghost.className = "drag-ghost";
    ghost.alt = "";
    ghost.src = this.hooks.picture(press.source);
    ghost.style.width = `${rect.width}px`;
    ghost.style.height = `${rect.height}px`;
    // The grabbed point stays under the pointer.
    ghost.dataset.dx = String(press.x - rect.left);
    ghost.dataset.dy = String(press.y - rect.top);
    document.body.append(ghost);
    document.body.classList.add("dragging");
    press.ghost = ghost;
  }

  private follow(press: Press<S>, x: number, y: number): void {
    const ghost = press.ghost;
    if (!ghost) return;
    ghost.style.left = `${x - Number(ghost.dataset.dx)}px`;
    ghost.style.top = `${y - Number(ghost.dataset.dy)}px`;
    this.hooks.hover(press.source, this.targetAt(x, y), x, y);
  }

  private targetAt(x: number, y: number): Element | null {
    const inside = x >= 0 && y >= 0 && x < window.innerWidth && y < window.innerHeight;
    return inside ? document.elementFromPoint(x, y) : null;
  }

  private end(target: Element | null, x: number, y: number, copy: boolean, dropped: boolean): void {
    const press = this.press;
    if (!press) return;
    this.press = null;
    const wasDragging = !!press.ghost;
    press.ghost?.remove();
    document.body.classList.remove("dragging");
    if (press.node.hasPointerCapture?.(press.pointerId)) press.node.releasePointerCapture(press.pointerId);
    if (!wasDragging) return;
    this.hooks.hover(press.source, null, 0, 0);
    if (dropped) this.hooks.drop(press.source, target, x, y, copy);
  }
}

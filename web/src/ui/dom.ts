// Small helpers for building the page out of plain elements.

export function el<K extends keyof HTMLElementTagNameMap>(
  tag: K,
  attrs: Record<string, string | number | boolean> = {},
  ...children: (Node | string)[]
): HTMLElementTagNameMap[K] {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attrs)) {
    if (value === false) continue;
    if (name === "class") node.className = String(value);
    else node.setAttribute(name, value === true ? "" : String(value));
  }
  node.append(...children);
  return node;
}

// Places an element at a position of the desktop window's coordinates.
export function place(node: HTMLElement, left: number, top: number, width?: number, height?: number): void {
  node.style.left = `${left}px`;
  node.style.top = `${top}px`;
  if (width !== undefined) node.style.width = `${width}px`;
  if (height !== undefined) node.style.height = `${height}px`;
}

export function sameCodes(a: readonly number[], b: readonly number[]): boolean {
  return a.length === b.length && a.every((code, i) => code === b[i]);
}

// "HH:mm", as the desktop's status bar adds it to an outcome.
export function clockTime(now: Date = new Date()): string {
  const two = (n: number) => String(n).padStart(2, "0");
  return `${two(now.getHours())}:${two(now.getMinutes())}`;
}

// 印刷… in the browser: the program sheet, as the desktop prints it and
// writes its PDF. The content is the core's (sim/sheet.h: the title, the
// date, the sixteen steps in words, the floor as SVG at its scale, the
// legend); this file only lays it out on an A4 page in the desktop's
// millimetres and hands it to the browser's print. The print CSS
// (../sim/styles.ts) shows nothing else when printing: one A4 page, the floor life size when
// it fits, at its stated scale otherwise.

import type { Core, SheetContent } from "../core-types";
import { ensureStyles } from "../sim/styles";

// The page in millimetres, as the desktop's sheet lays it out (sim/sheet.h).
const MM = {
  pageW: 210,
  margin: 15,
  contentW: 180,
  gridTop: 47,
  cellW: 45,
  cellH: 27,
  floorTop: 171,
  floorRoomTop: 179,
  floorRoomH: 97,
  legendTop: 277,
} as const;
const ROWS = 4;
const SHEET_ID = "print-sheet";

// The points of the desktop's fonts.
const STEP_POINTS = 10.5;
const SMALLEST_STEP_POINTS = 7;
const STEP_TEXT_MM = MM.cellW - 25.5;

export interface SheetOptions {
  fileName: string;      // the program's file, "" when never saved
  date?: Date;           // the printing date (today)
  // The picture of a command number, as the editor shows it.
  picture?: (number: string) => string;
  // What prints: the browser's print by default; tests pass their own.
  print?: () => void;
}

// Builds the sheet of `codes` into the page and prints it. The sheet stays
// in the page (hidden on screen) until the next print replaces it.
export function printSheet(core: Core, codes: readonly number[], options: SheetOptions): HTMLElement {
  const sheet = buildSheet(core, codes, options);
  // The browser names the print job and a saved PDF after the page's title:
  // the sheet's, as the desktop's PDF is titled, while the dialog is open
  // (window.print returns when it closes).
  const title = document.title;
  document.title = sheet.getAttribute("aria-label") ?? title;
  try {
    (options.print ?? (() => window.print()))();
  } finally {
    document.title = title;
  }
  return sheet;
}

// The sheet's section, in place of any earlier one.
export function buildSheet(core: Core, codes: readonly number[], options: SheetOptions): HTMLElement {
  const date = options.date ?? new Date();
  const content = core.sheet([...codes], options.fileName, {
    year: date.getFullYear(),
    month: date.getMonth() + 1,
    day: date.getDate(),
  });
  ensureStyles();
  const picture = options.picture ?? ((number: string) => `img/${core.kana() ? "kana/" : ""}${number}.png`);
  document.getElementById(SHEET_ID)?.remove();
  const sheet = layOut(content, picture);
  document.body.append(sheet);
  return sheet;
}

function box(className: string, left: number, top: number, width: number, height: number, text = ""): HTMLElement {
  const made = document.createElement("div");
  made.className = className;
  made.style.left = `${left}mm`;
  made.style.top = `${top}mm`;
  made.style.width = `${width}mm`;
  made.style.height = `${height}mm`;
  if (text) made.textContent = text;
  return made;
}

function layOut(content: SheetContent, picture: (number: string) => string): HTMLElement {
  const sheet = document.createElement("section");
  sheet.id = SHEET_ID;
  sheet.className = "print-sheet";
  sheet.setAttribute("aria-label", content.title);
  const page = document.createElement("div");
  page.className = "sheet-page";
  sheet.append(page);

  // The heading: the program's name and the date; lines for a name and a class.
  const { margin, contentW } = MM;
  page.append(
    box("sheet-title", margin, margin - 2, contentW - 45, 11, content.title),
    box("sheet-date", MM.pageW - margin - 45, margin - 2, 45, 11, content.date),
    box("sheet-label", margin, margin + 14, 16, 7, content.nameLabel),
    box("sheet-label", margin + 118, margin + 14, 12, 7, content.classLabel),
    box("sheet-rule", margin + 15, margin + 21, 97, 0),
    box("sheet-rule", margin + 128, margin + 21, contentW - 128, 0),
    box("sheet-heading sheet-program-heading", margin, MM.gridTop - 7, contentW, 6, content.programHeading),
  );

  // The sixteen steps down the columns, as the editor's slots run.
  const grid = document.createElement("ol");
  grid.className = "sheet-steps";
  for (const row of content.rows) {
    const x = margin + Math.floor(row.slot / ROWS) * MM.cellW;
    const y = MM.gridTop + (row.slot % ROWS) * MM.cellH;
    const cell = box("sheet-step", x, y, MM.cellW, MM.cellH);
    cell.dataset.slot = String(row.slot);
    const frame = box("sheet-step-frame", 0.8, 0.8, MM.cellW - 1.6, MM.cellH - 1.6);
    const image = document.createElement("img");
    image.className = "sheet-step-picture";
    image.src = picture(row.picture);
    image.alt = "";
    Object.assign(image.style, { left: "8.5mm", top: "3mm", width: "14.6mm", height: "21mm" });
    const badge = box("sheet-step-badge", 2, 2.2, 6, 5, String(row.slot));
    const filled = row.text !== "";
    const words = box(`sheet-step-text${filled ? "" : " empty"}`, 24.2, 2, STEP_TEXT_MM, MM.cellH - 4,
      filled ? row.text : content.emptyStep);
    words.style.fontSize = `${fittingPoints(words.textContent ?? "", filled)}pt`;
    const item = document.createElement("li");
    item.className = "sheet-step-item";
    cell.append(frame, image, badge, words);
    item.append(cell);
    grid.append(item);
  }
  page.append(grid);

  // The floor: its heading and scale, the drawing centred in its room at
  // its own size in millimetres, and the legend.
  page.append(
    box("sheet-heading", margin, MM.floorTop, contentW / 2, 6, content.floorHeading),
    box("sheet-heading sheet-scale", MM.pageW / 2, MM.floorTop, contentW / 2, 6, content.scale),
  );
  const floor = box("sheet-floor",
    margin + (contentW - content.floorWidthMm) / 2,
    MM.floorRoomTop + (MM.floorRoomH - content.floorHeightMm) / 2,
    content.floorWidthMm, content.floorHeightMm);
  // The core's drawing: its texts are escaped, its numbers its own.
  floor.innerHTML = content.floorSvg;
  const svg = floor.querySelector("svg");
  if (svg) {
    svg.style.width = `${content.floorWidthMm}mm`;
    svg.style.height = `${content.floorHeightMm}mm`;
  }
  const legend = box("sheet-legend", margin, MM.legendTop, contentW, 10);
  for (const line of [content.legend, content.outcome].filter((text) => text !== "")) {
    const paragraph = document.createElement("p");
    paragraph.textContent = line;
    legend.append(paragraph);
  }
  page.append(floor, legend);
  return sheet;
}

// The step's words on one line where they fit, smaller where a long one
// needs it (as the desktop shrinks them), down to 7 pt; then they wrap.
function fittingPoints(text: string, bold: boolean): number {
  const context = measurer();
  if (!context) return STEP_POINTS;
  const widthPx = (STEP_TEXT_MM / 25.4) * 96;
  for (let points = STEP_POINTS; points > SMALLEST_STEP_POINTS; points -= 0.5) {
    context.font = `${bold ? "bold " : ""}${(points * 96) / 72}px ${sheetFont()}`;
    if (context.measureText(text).width <= widthPx) return points;
  }
  return SMALLEST_STEP_POINTS;
}

let canvas: CanvasRenderingContext2D | null | undefined;
function measurer(): CanvasRenderingContext2D | null {
  if (canvas === undefined) canvas = document.createElement("canvas").getContext("2d");
  return canvas;
}

function sheetFont(): string {
  return getComputedStyle(document.documentElement).fontFamily || "sans-serif";
}

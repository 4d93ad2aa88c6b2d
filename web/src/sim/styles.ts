// The styles of the simulator panel, the running step's mark on the
// editor's slots and the program sheet with its print rules, put into the
// page by the parts that need them, so that they come with the bundle (and
// its offline cache) and need no file of their own.

const STYLE_ID = "vk47-sim-styles";

export function ensureStyles(): void {
  if (document.getElementById(STYLE_ID)) return;
  const style = document.createElement("style");
  style.id = STYLE_ID;
  style.textContent = CSS;
  document.head.append(style);
}

const CSS = `
/* The simulator panel (simulator.ts), the running step's mark on the editor's
   slots, and the program sheet (../sheet) with its print rules: when
   printing, only the sheet shows, on one A4 page. */

/* --- the simulator: a panel beside the editor, at the right ------------ */

.sim-panel {
  position: fixed;
  z-index: 15;
  top: 30px;
  right: 6px;
  bottom: 6px;
  width: min(560px, 46vw);
  min-width: 340px;
  display: flex;
  flex-direction: column;
  gap: 4px;
  padding: 6px 8px 8px;
  background: var(--face, #f0f0f0);
  border: 1px solid #808080;
  border-radius: 4px;
  box-shadow: 0 4px 16px rgba(0, 0, 0, 0.35);
  font-size: 15px;
}
.sim-panel[hidden] { display: none; }
.sim-panel:focus { outline: none; }
.sim-header { display: flex; align-items: center; justify-content: space-between; }
.sim-title { margin: 0; font-size: 15px; font-weight: bold; }
.sim-close { font: inherit; font-size: 18px; line-height: 1; padding: 2px 8px; }
.sim-floor {
  flex: 1 1 auto;
  min-height: 200px;
  overflow: hidden;
  border: 1px solid #a0a0a0;
  background: #fcfcf8;
}
.sim-floor svg { display: block; }
.sim-info { display: flex; gap: 12px; align-items: baseline; }
.sim-time { min-width: 9em; font-size: 20px; font-weight: bold; font-variant-numeric: tabular-nums; }
.sim-step { font-size: 17px; }
.sim-status { margin: 0; min-height: 2.6em; }
.sim-buttons { display: flex; flex-wrap: wrap; align-items: center; gap: 4px; }
.sim-button { font: inherit; padding: 3px 10px; }
.sim-button[aria-pressed="true"] { background: #cce4f7; border: 1px solid #0078d7; }
.sim-speed-label { margin-left: 12px; }
.sim-speeds { display: inline-flex; gap: 2px; }
.sim-switch { margin-left: 12px; }
.sim-rules {
  flex: 0 1 auto;
  max-height: 30%;
  overflow-y: auto;
  border: 1px solid #c0c0c0;
  padding: 2px 8px;
  background: #fff;
}
.sim-rules-title { margin: 2px 0 4px; font-size: 14px; }
.sim-rules-text p { margin: 0 0 4px; font-size: 14px; }

/* The step that runs, marked on its slot in the editor. */
.slot.running { box-shadow: 0 0 0 4px #8e24aa; border-radius: 8px; }

/* --- the program sheet: laid out in millimetres, printed alone --------- */

.print-sheet { display: none; }

@media print {
  @page { size: A4 portrait; margin: 0; }
  html, body {
    height: auto;
    overflow: visible;
    background: #fff;
    margin: 0;
  }
  body > *:not(.print-sheet) { display: none !important; }
  .print-sheet { display: block; }
}

.sheet-page {
  position: relative;
  width: 210mm;
  height: 296mm; /* a hair under A4, so that rounding never makes a second page */
  overflow: hidden;
  background: #fff;
  color: #223344;
  font-family: "IPAPGothic", "Noto Sans CJK JP", "Hiragino Kaku Gothic ProN", "Meiryo", "Yu Gothic", sans-serif;
  -webkit-print-color-adjust: exact;
  print-color-adjust: exact;
}
.sheet-page > div, .sheet-step, .sheet-step > * { position: absolute; }
.sheet-title { font-size: 17pt; font-weight: bold; display: flex; align-items: center; white-space: nowrap; overflow: hidden; }
.sheet-date { font-size: 11pt; display: flex; align-items: center; justify-content: flex-end; }
.sheet-label { font-size: 12pt; display: flex; align-items: flex-end; }
.sheet-rule { border-top: 0.3mm solid #223344; }
.sheet-heading { font-size: 11pt; font-weight: bold; display: flex; align-items: center; }
.sheet-program-heading { align-items: flex-end; }
.sheet-scale { justify-content: flex-end; }
.sheet-steps { margin: 0; padding: 0; list-style: none; }
.sheet-step-frame { border: 0.25mm solid #9aa8b4; border-radius: 1.5mm; }
.sheet-step-picture { image-rendering: pixelated; }
.sheet-step-badge {
  background: #000080;
  color: #fff;
  border-radius: 1mm;
  font-size: 9pt;
  font-weight: bold;
  display: flex;
  align-items: center;
  justify-content: center;
}
.sheet-step-text { display: flex; align-items: center; font-weight: bold; line-height: 1.2; overflow-wrap: anywhere; }
.sheet-step-text.empty { font-weight: normal; color: #9aa8b4; }
.sheet-floor svg { display: block; overflow: visible; } /* the top and right numbers stand half outside the grid */
.sheet-legend { font-size: 9pt; }
.sheet-legend p { margin: 0; }
`;

// The transfer's waits, timed on a dedicated Worker so that they hold while
// the tab is hidden or the screen dims (the page's own timers are then
// throttled to about one wake-up a second).
//
// wait(fromMs, ms) ends no earlier than `ms` after `fromMs` (performance.now()
// of this page, taken when the write before it had completed), and as close
// to it as the machine allows: the Worker wakes the page shortly before the
// end, and the page watches its own clock for the last milliseconds. Each wait is
// measured from its own start: a wait that began late is never shortened to
// catch up. One pacer serves one transfer; close() ends its Worker, once no
// wait is running.

import { pacerWorkerMain } from "./pacer.worker";

export interface Pacer {
  // Resolves once the timer runs (a Worker takes a moment to start), so that
  // the first wait is not lengthened by the start.
  ready(): Promise<void>;
  wait(fromMs: number, ms: number): Promise<void>;
  close(): void;
}

// The Worker's source: its function, called at once. Bundled into the page's
// script, so the Worker needs no file of its own (nor a place in the
// service worker's list of files for offline use).
function workerUrl(): string {
  const source = `(${pacerWorkerMain.toString()})();`;
  return URL.createObjectURL(new Blob([source], { type: "text/javascript" }));
}

class WorkerPacer implements Pacer {
  private readonly worker: Worker;
  private readonly url: string;
  private nextId = 1;
  private readonly pending = new Map<number, () => void>();
  private readonly started: Promise<void>;
  // Set when the Worker cannot run (its script refused by a policy): the
  // waits then go on, on the page's own timer.
  private failed = false;

  constructor() {
    this.url = workerUrl();
    this.worker = new Worker(this.url);
    this.worker.onmessage = (event: MessageEvent) => {
      const { id } = event.data as { id: number };
      const done = this.pending.get(id);
      this.pending.delete(id);
      done?.();
    };
    this.worker.onerror = () => {
      this.failed = true;
      // The loop in wait() checks the clock again and waits on for the rest.
      for (const done of this.pending.values()) done();
      this.pending.clear();
    };
    // A first short wait starts the Worker and takes its first timer's
    // slowness out of the transfer's first gap; meanwhile the page paints
    // the progress window that has just appeared.
    this.started = new Promise<void>((resolve) => this.pending.set(0, resolve));
    this.worker.postMessage({ id: 0, ms: 50 });
  }

  ready(): Promise<void> {
    return this.started;
  }

  async wait(fromMs: number, ms: number): Promise<void> {
    const until = fromMs + ms;
    for (;;) {
      const left = until - performance.now();
      if (left <= 0) return;
      if (left <= LEAD_MS) {
        watchClockUntil(until);
        return;
      }
      if (this.failed) {
        await pageTimer(until - LEAD_MS);
        continue;
      }
      const id = this.nextId++;
      const answered = new Promise<void>((resolve) => this.pending.set(id, resolve));
      this.worker.postMessage({ id, ms: left - LEAD_MS });
      await answered;
    }
  }

  close(): void {
    this.worker.terminate();
    URL.revokeObjectURL(this.url);
  }
}

// The Worker wakes the page this long before the end of a wait; the page
// watches its clock for the rest. On a busy machine the Worker's timer and
// its message back together took up to 5 ms: both are taken out of the gap,
// for at most this much of the page's time every hundred milliseconds
// while a transfer runs. (With 5 ms the gaps in a hidden tab still reached
// 106 ms on a loaded two-core machine; with 8, 104.)
const LEAD_MS = 8;

// Returns once the page's clock has reached `until`: a few milliseconds at
// most (the page does nothing else meanwhile, and its next write goes out
// on the moment).
function watchClockUntil(until: number): void {
  while (performance.now() < until) {
    // watching the clock
  }
}

function pageTimer(until: number): Promise<void> {
  return new Promise((resolve) => setTimeout(resolve, Math.max(0, until - performance.now())));
}

// Where a Worker cannot be started (a policy forbids blob: workers), the
// page's own timer: exact in front, throttled in a hidden tab.
class PageTimerPacer implements Pacer {
  async ready(): Promise<void> {}

  async wait(fromMs: number, ms: number): Promise<void> {
    const until = fromMs + ms;
    while (until - performance.now() > LEAD_MS) await pageTimer(until - LEAD_MS);
    watchClockUntil(until);
  }

  close(): void {}
}

export function createPacer(): Pacer {
  try {
    return new WorkerPacer();
  } catch {
    return new PageTimerPacer();
  }
}

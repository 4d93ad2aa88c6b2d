// The pacer's Worker. A hidden page's own timers are throttled by the
// browser (woken at most once a second), a dedicated Worker's are not: the
// transfer's waits are timed here.
//
// Message in:  { id, ms }  wake the page `ms` after the message arrives.
// Message out: { id }      sent once that time has passed.
//
// The page asks to be woken a few milliseconds before the end of its wait
// and watches its own clock for the rest (pacer.ts): this Worker's lateness
// and the message's way back are then taken out of the gap. It measures
// from the message's arrival, on its own clock (the clocks of a page and
// its Worker share no exact origin: their timeOrigin + now() were seen 2 ms
// apart).
//
// The function is sent to the Worker as its source text (pacer.ts turns it
// into a Blob URL), so it must not use anything from outside its own body.
export function pacerWorkerMain(): void {
  const scope = self as unknown as {
    onmessage: ((event: MessageEvent) => void) | null;
    postMessage(message: unknown): void;
  };
  scope.onmessage = (event: MessageEvent) => {
    const { id, ms } = event.data as { id: number; ms: number };
    const until = performance.now() + ms;
    const check = (): void => {
      const left = until - performance.now();
      // A timer may wake a fraction of a millisecond early: set again.
      if (left > 0) {
        setTimeout(check, left);
        return;
      }
      scope.postMessage({ id });
    };
    check();
  };
}

// The pacer's Worker. A hidden page's own timers are throttled by the
// browser (woken at most once a second), a dedicated Worker's are not: the
// transfer's waits are timed here.
//
// Message in:  { id, until }  `until` is the moment the wait ends, in ms on
//              the shared clock performance.timeOrigin + performance.now()
//              (the page computes it from the end of its write).
// Message out: { id, at }     sent once that moment has passed here; `at` is
//              the moment it was sent, on the same clock.
//
// The function is sent to the Worker as its source text (pacer.ts turns it
// into a Blob URL), so it must not use anything from outside its own body.
export function pacerWorkerMain(): void {
  const scope = self as unknown as {
    onmessage: ((event: MessageEvent) => void) | null;
    postMessage(message: unknown): void;
  };
  const now = (): number => performance.timeOrigin + performance.now();
  scope.onmessage = (event: MessageEvent) => {
    const { id, until } = event.data as { id: number; until: number };
    // A timer may wake a fraction of a millisecond early by this clock: it
    // is set again for what is left, so the wait is never cut short.
    const check = (): void => {
      const left = until - now();
      if (left > 0) {
        setTimeout(check, left);
        return;
      }
      scope.postMessage({ id, at: now() });
    };
    check();
  };
}

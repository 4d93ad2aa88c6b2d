// The pacer's Worker. A hidden page's own timers are throttled by the
// browser (woken at most once a second), a dedicated Worker's are not: the
// transfer's waits are timed here.
//
// Message in:  { id, ms }  wait `ms` from the moment the message arrives.
// Message out: { id }      sent once that wait is over.
//
// The page sends what is left of its wait, measured on its own clock just
// before it posts; the message's delivery only lengthens the wait. (The
// clocks of a page and its Worker share no exact origin: their
// timeOrigin + now() were seen 2 ms apart.)
//
// The function is sent to the Worker as its source text (pacer.ts turns it
// into a Blob URL), so it must not use anything from outside its own body.
export function pacerWorkerMain(): void {
  const scope = self as unknown as {
    onmessage: ((event: MessageEvent) => void) | null;
    postMessage(message: unknown): void;
  };
  // The timer is set to wake this much before the end, and the rest is
  // spent watching the clock, so that the end is not late by the timer's
  // own slack (seen up to 4 ms on a busy machine) nor early (a timer may
  // wake a fraction of a millisecond before its time). Five milliseconds of
  // a hundred: a twentieth of one core while a transfer runs.
  const spinMs = 5;
  scope.onmessage = (event: MessageEvent) => {
    const { id, ms } = event.data as { id: number; ms: number };
    const until = performance.now() + ms;
    const check = (): void => {
      const left = until - performance.now();
      if (left > spinMs) {
        setTimeout(check, left - spinMs);
        return;
      }
      while (performance.now() < until) {
        // watching the clock
      }
      scope.postMessage({ id });
    };
    check();
  };
}

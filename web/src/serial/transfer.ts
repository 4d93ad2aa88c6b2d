// The paced transfer over any byte sink: each of the core's steps is one
// write, awaited, then its wait, timed from the moment that write completed.
// A write that completes late delays what follows; the next wait is never
// shortened to make up for it. Progress is reported after each step's wait,
// as the desktop's progress window changes.

import type { TransferStep } from "../core-types";
import type { Pacer } from "./pacer";

export interface ByteSink {
  writeByte(byte: number): Promise<void>;
}

export interface SendOutcome {
  stepsSent: number;   // step codes written (the 0x74 before them not counted)
  error: unknown;      // why it stopped, or null when every byte went out
}

// The first step is the transfer command, the rest the slots' codes.
export async function sendSteps(
  sink: ByteSink,
  steps: TransferStep[],
  pacer: Pacer,
  onProgress: (position: number, counter: number) => void,
): Promise<SendOutcome> {
  let stepsSent = 0;
  for (let i = 0; i < steps.length; ++i) {
    const step = steps[i];
    try {
      await sink.writeByte(step.byte);
    } catch (error) {
      return { stepsSent, error };
    }
    // Taken after the write has completed: the wait starts here.
    const written = performance.now();
    if (i > 0) stepsSent = i;
    await pacer.wait(written, step.waitMs);
    if (step.counter > 0) onProgress(step.position, step.counter);
  }
  return { stepsSent, error: null };
}

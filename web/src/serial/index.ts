/**
 * The robot link of the page: 転送 and 実行 over Web Serial.
 *
 * For the page (web/src/main.ts, web/src/ui/**):
 *
 *   import { createRobotLink, serialSupported } from "./serial";
 *
 *   serialSupported(): boolean
 *     False where the browser has no Web Serial (Firefox, Safari, iPad).
 *     転送 and 実行 then answer { kind: "unsupported" } with the one sentence
 *     to show; everything else on the page works as usual.
 *
 *   const link = createRobotLink(core);            // once, after loadCore()
 *   createRobotLink(core, { host })                // host: where the progress window goes (default <body>)
 *
 *   link.transfer(codes: number[]): Promise<LinkResult>
 *   link.execute(): Promise<LinkResult>
 *     Call them straight from the click (or key) handler, before the handler
 *     awaits anything: when no port has been granted yet they open the
 *     browser's port chooser, which needs the click's user activation.
 *     transfer() shows the progress window (プログラム転送中, a bar, "x / 16")
 *     while it sends and closes it however it ends.
 *
 *   link.busy(): boolean
 *   link.onBusyChange(listener: (busy: boolean) => void): () => void   // returns "unsubscribe"
 *     True from the moment transfer() or execute() is called until it has
 *     finished and the port is closed. Hold every command back meanwhile
 *     (disable 転送, 実行, 読込, デモ, クリア... as the desktop does); a call
 *     made anyway does nothing and answers { kind: "busy" }.
 *
 *   link.portCaption(): Promise<string>
 *     The granted port for the status line's right-hand side: "USB 0403:6001"
 *     when the browser knows the adapter's ids, else シリアルポート (in the
 *     current mode); "" when no port has been granted yet (or no Web Serial).
 *     Ask again after each command: the pupil may have chosen or unplugged one.
 *
 *   type LinkResult =
 *     | { kind: "sent"; status: string }                    // every byte went out
 *     | { kind: "failed"; status: string; notice: Notice }  // show notice.main (details behind くわしく)
 *     | { kind: "cancelled"; status: string }               // the chooser was closed without a port
 *     | { kind: "unsupported"; status: string }             // no Web Serial in this browser
 *     | { kind: "busy" }                                    // a command was already running
 *   `status` is the status line's text, ending with the time as on the
 *   desktop ("16 ステップを USB 0403:6001 に送信しました 10:42"). "failed"
 *   never says 送信しました: how far a broken transfer came is counted in
 *   the notice ("送信できたのは 16 ステップのうち 3 ステップです").
 *
 * The progress window is a <div role="dialog" class="vk47-progress"> appended
 * to `host`, with a default look like the desktop's (368 × 67, green bold
 * text, the bar below) from a <style> put first in <head>: the page's own
 * rules for .vk47-progress, .vk47-progress-title, .vk47-progress-counter,
 * .vk47-progress-bar and .vk47-progress-fill override it.
 *
 * Texts come from the core in its current mode; the page adds none.
 */

import type { Core, LinkFailure, Notice, PortTrouble } from "../core-types";
import { createPacer } from "./pacer";
import { errorText, OpenPort, PortChooser, serialApi, usbCaption, type SerialPortLike } from "./port";
import { ProgressWindow } from "./progress";
import { sendSteps } from "./transfer";

export type LinkResult =
  | { kind: "sent"; status: string }
  | { kind: "failed"; status: string; notice: Notice }
  | { kind: "cancelled"; status: string }
  | { kind: "unsupported"; status: string }
  | { kind: "busy" };

export interface RobotLink {
  transfer(codes: number[]): Promise<LinkResult>;
  execute(): Promise<LinkResult>;
  busy(): boolean;
  onBusyChange(listener: (busy: boolean) => void): () => void;
  portCaption(): Promise<string>;
}

export interface RobotLinkOptions {
  host?: HTMLElement;
}

export function serialSupported(): boolean {
  return serialApi() !== null;
}

export function createRobotLink(core: Core, options: RobotLinkOptions = {}): RobotLink {
  return new WebSerialLink(core, options);
}

// The status line's time, as the desktop writes it ("09:05").
function clock(): string {
  const now = new Date();
  return `${String(now.getHours()).padStart(2, "0")}:${String(now.getMinutes()).padStart(2, "0")}`;
}

function failed(failure: LinkFailure): LinkResult {
  const { status, ...notice } = failure;
  return { kind: "failed", status, notice };
}

// The kind of trouble behind a port that would not open (or a chooser that
// would not show), from the browser's error: Chromium says NetworkError
// when the system refuses to open the device (another program holds it),
// InvalidStateError when it is open already, SecurityError when a policy
// or a missing user gesture forbids it.
function troubleOf(error: unknown): PortTrouble {
  const name = error instanceof DOMException ? error.name : error instanceof TypeError ? "TypeError" : "";
  switch (name) {
    case "NetworkError":
    case "InvalidStateError":
      return "in-use";
    case "SecurityError":
    case "NotAllowedError":
      return "permission-denied";
    case "NotFoundError":
      return "not-found";
    case "TypeError":
      return "unsupported-setting";
    default:
      return "other";
  }
}

type WakeLockSentinelLike = { release(): Promise<void> };

// Keeps the screen on while a transfer runs, where the browser allows it (a
// hidden tab, a policy or a missing API refuse it: the transfer goes on).
async function holdScreen(): Promise<WakeLockSentinelLike | null> {
  const nav = navigator as Navigator & { wakeLock?: { request(type: "screen"): Promise<WakeLockSentinelLike> } };
  try {
    return (await nav.wakeLock?.request("screen")) ?? null;
  } catch {
    return null;
  }
}

class WebSerialLink implements RobotLink {
  private readonly chooser: PortChooser | null;
  private progress: ProgressWindow | null = null;
  private running = false;
  private readonly listeners = new Set<(busy: boolean) => void>();

  constructor(
    private readonly core: Core,
    private readonly options: RobotLinkOptions,
  ) {
    const serial = serialApi();
    this.chooser = serial ? new PortChooser(serial) : null;
  }

  busy(): boolean {
    return this.running;
  }

  onBusyChange(listener: (busy: boolean) => void): () => void {
    this.listeners.add(listener);
    return () => this.listeners.delete(listener);
  }

  async portCaption(): Promise<string> {
    const port = await this.chooser?.current();
    return port ? this.portName(port) : "";
  }

  transfer(codes: number[]): Promise<LinkResult> {
    // Everything up to the chooser happens before the first await.
    const steps = this.core.transferSteps(codes);
    return this.run(async (port, name) => {
      const progress = (this.progress ??= new ProgressWindow(this.options.host));
      progress.show(this.core.text("プログラム転送中"));
      const screen = await holdScreen();
      const pacer = createPacer();
      try {
        await pacer.ready();
        const outcome = await sendSteps(port, steps, pacer, (position, counter) => progress.step(position, counter));
        if (outcome.error === null) return { kind: "sent", status: this.core.transferDone(name, clock()) };
        return failed(this.core.transferFailed(outcome.stepsSent, name, errorText(outcome.error), clock()));
      } finally {
        pacer.close();
        progress.close();
        await screen?.release().catch(() => undefined);
      }
    });
  }

  execute(): Promise<LinkResult> {
    const byte = this.core.executeByte();
    return this.run(async (port, name) => {
      try {
        await port.writeByte(byte);
      } catch (error) {
        return failed(this.core.executeFailed(name, errorText(error), clock()));
      }
      return { kind: "sent", status: this.core.executeDone(name, clock()) };
    });
  }

  // Chooses the port, opens it, runs `send` on it, closes it; the commands
  // are held back from the first moment to the last.
  private run(send: (port: OpenPort, name: string) => Promise<LinkResult>): Promise<LinkResult> {
    if (this.running) return Promise.resolve({ kind: "busy" });
    if (!this.chooser) {
      return Promise.resolve({
        kind: "unsupported",
        status: this.core.text("このブラウザからはロボットに送れません (送れるのはパソコンと Chromebook の Chrome と Edge です)。"),
      });
    }
    const chooser = this.chooser;
    this.setRunning(true);
    const choice = chooser.choose(); // inside the click's activation
    return (async (): Promise<LinkResult> => {
      try {
        const chosen = await choice;
        if (chosen.kind === "cancelled") {
          return {
            kind: "cancelled",
            status: this.core.text("ポートが選ばれなかったので、何も送りませんでした。"),
          };
        }
        if (chosen.kind === "refused") {
          return failed(
            this.core.portFailed(troubleOf(chosen.error), this.core.text("シリアルポート"), errorText(chosen.error), clock()),
          );
        }
        const name = this.portName(chosen.port);
        let open: OpenPort;
        try {
          open = await OpenPort.open(chosen.port);
        } catch (error) {
          // Chromium says NetworkError both for a port another program holds
          // and for one whose adapter was pulled out: the list tells which.
          const there = await chooser.stillThere(chosen.port);
          if (!there) chooser.forget();
          return failed(this.core.portFailed(there ? troubleOf(error) : "not-found", name, errorText(error), clock()));
        }
        try {
          const result = await send(open, name);
          if (result.kind === "failed") chooser.forget();
          return result;
        } finally {
          await open.close();
        }
      } catch (error) {
        // Nothing known to be sent: said as a failure, never as success.
        return failed(this.core.portFailed("other", this.core.text("シリアルポート"), errorText(error), clock()));
      } finally {
        this.setRunning(false);
      }
    })();
  }

  private portName(port: SerialPortLike): string {
    return usbCaption(port) ?? this.core.text("シリアルポート");
  }

  private setRunning(running: boolean): void {
    this.running = running;
    for (const listener of this.listeners) listener(running);
  }
}

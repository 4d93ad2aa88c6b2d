// 転送 and 実行 from the page: the robot link of ../serial, its outcome on
// the status line, a failure's notice in a dialog.

import type { Core, Notice } from "../core-types";
import { createRobotLink, serialSupported, type LinkResult } from "../serial";

export interface RobotHooks {
  status(text: string): void;          // the status line, as the link words it (with its time)
  notice(notice: Notice): Promise<void>;
  busyChanged(busy: boolean): void;
}

export interface RobotCommands {
  readonly available: boolean;         // the browser has Web Serial
  // Both must be called straight from the click or key handler: the port
  // chooser needs its user activation.
  transfer(codes: number[]): Promise<void>;
  execute(): Promise<void>;
  // The granted port as the status line names it ("" for none yet).
  portCaption(): Promise<string>;
}

export function robotCommands(core: Core, hooks: RobotHooks): RobotCommands {
  const link = createRobotLink(core);
  link.onBusyChange((busy) => hooks.busyChanged(busy));
  const report = async (pending: Promise<LinkResult>) => {
    const result = await pending;
    if (result.kind === "busy") return;
    hooks.status(result.status);
    if (result.kind === "failed") await hooks.notice(result.notice);
  };
  return {
    available: serialSupported(),
    transfer: (codes) => report(link.transfer(codes)),
    execute: () => report(link.execute()),
    portCaption: () => link.portCaption().catch(() => ""),
  };
}

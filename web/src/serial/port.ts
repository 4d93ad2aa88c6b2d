// The robot's serial port through Web Serial: which port (the one this site
// was granted, asked for only when there is none), opening it at the robot's
// line settings, and writing one byte per write.
//
// TypeScript's DOM library has no Web Serial types yet: the few members used
// here are declared below.

export interface SerialPortInfo {
  usbVendorId?: number;
  usbProductId?: number;
}

export interface SerialOpenOptions {
  baudRate: number;
  dataBits?: number;
  stopBits?: number;
  parity?: "none" | "even" | "odd";
  flowControl?: "none" | "hardware";
}

export interface SerialPortLike extends EventTarget {
  open(options: SerialOpenOptions): Promise<void>;
  close(): Promise<void>;
  readonly writable: WritableStream<Uint8Array> | null;
  getInfo(): SerialPortInfo;
}

export interface SerialLike extends EventTarget {
  requestPort(options?: unknown): Promise<SerialPortLike>;
  getPorts(): Promise<SerialPortLike[]>;
}

// 9600 bit/s, 8 data bits, no parity, 1 stop bit, no flow control.
export const LINE_SETTINGS: SerialOpenOptions = {
  baudRate: 9600,
  dataBits: 8,
  stopBits: 1,
  parity: "none",
  flowControl: "none",
};

// A write that has not completed after this long counts as failed: the
// robot's line drains a byte in about a millisecond.
export const WRITE_TIMEOUT_MS = 3000;

export function serialApi(): SerialLike | null {
  const nav = navigator as Navigator & { serial?: SerialLike };
  return nav.serial ?? null;
}

// The port's name for the status line: the USB adapter's ids when the
// browser knows them ("USB 0403:6001"), else null (the page then says
// シリアルポート in the current mode).
export function usbCaption(port: SerialPortLike): string | null {
  let info: SerialPortInfo = {};
  try {
    info = port.getInfo();
  } catch {
    return null;
  }
  if (info.usbVendorId === undefined || info.usbProductId === undefined) return null;
  const hex = (n: number) => n.toString(16).padStart(4, "0");
  return `USB ${hex(info.usbVendorId)}:${hex(info.usbProductId)}`;
}

// What the port chooser found.
export type PortChoice =
  | { kind: "port"; port: SerialPortLike }
  | { kind: "cancelled" }                    // the pupil closed the browser's chooser
  | { kind: "refused"; error: unknown };      // the browser would not ask (no user gesture, a policy)

// Remembers the granted port. The browser keeps the grant for the next
// visit; getPorts() is read when the page starts, and again after a port
// has gone away, so that choose() can tell at once, inside the click that
// called it, whether it must ask.
export class PortChooser {
  private known: SerialPortLike | null = null;
  private lookup: Promise<void>;

  constructor(private readonly serial: SerialLike) {
    this.lookup = this.refresh();
    serial.addEventListener("disconnect", (event) => {
      if (event.target === this.known) this.forget();
    });
    serial.addEventListener("connect", () => {
      if (!this.known) this.lookup = this.refresh();
    });
  }

  // The granted port, or null, once the browser has said.
  async current(): Promise<SerialPortLike | null> {
    await this.lookup;
    return this.known;
  }

  // Whether the browser still lists `port` (an unplugged adapter's port is
  // gone from the list, while its object lives on).
  async stillThere(port: SerialPortLike): Promise<boolean> {
    try {
      return (await this.serial.getPorts()).includes(port);
    } catch {
      return false;
    }
  }

  // A port that failed is looked up afresh: a re-plugged adapter is a new
  // port object.
  forget(): void {
    this.known = null;
    this.lookup = this.refresh();
  }

  // Call from the click handler, before anything else is awaited: when no
  // port is granted yet, the browser's chooser needs the click's activation.
  choose(): Promise<PortChoice> {
    if (this.known) return Promise.resolve({ kind: "port", port: this.known });
    return this.lookup.then(() => (this.known ? { kind: "port", port: this.known } : this.ask()));
  }

  private async ask(): Promise<PortChoice> {
    try {
      this.known = await this.serial.requestPort();
      return { kind: "port", port: this.known };
    } catch (error) {
      // Chromium rejects with NotFoundError when the chooser is closed
      // without a port.
      if (error instanceof DOMException && error.name === "NotFoundError") return { kind: "cancelled" };
      return { kind: "refused", error };
    }
  }

  private async refresh(): Promise<void> {
    try {
      const ports = await this.serial.getPorts();
      this.known = ports[0] ?? null;
    } catch {
      this.known = null;
    }
  }
}

// The browser's own words for a failure, for the details a teacher reads.
export function errorText(error: unknown): string {
  if (error instanceof DOMException) return `${error.name}: ${error.message}`;
  if (error instanceof Error) return `${error.name}: ${error.message}`;
  return String(error);
}

// An open port with its writer locked. Every write is one byte, awaited.
// Settles with `promise`, or after `ms` without waiting for it any longer.
function within(promise: Promise<unknown>, ms: number): Promise<void> {
  let timer: ReturnType<typeof setTimeout> | undefined;
  const limit = new Promise<void>((resolve) => {
    timer = setTimeout(resolve, ms);
  });
  return Promise.race([promise.then(() => undefined, () => undefined), limit]).finally(() => clearTimeout(timer));
}

// How long closing may take before the page is given back: a port whose
// write never completed may never finish closing either.
const CLOSE_LIMIT_MS = 1000;

export class OpenPort {
  // Set when a write failed or did not complete: what is still queued is
  // not waited for at the close.
  private broken = false;

  private constructor(
    private readonly port: SerialPortLike,
    private readonly writer: WritableStreamDefaultWriter<Uint8Array>,
  ) {}

  static async open(port: SerialPortLike): Promise<OpenPort> {
    await port.open(LINE_SETTINGS);
    const writable = port.writable;
    if (!writable) {
      await within(port.close(), CLOSE_LIMIT_MS);
      throw new DOMException("The port has no writable stream.", "InvalidStateError");
    }
    return new OpenPort(port, writable.getWriter());
  }

  // Resolves once the byte has been handed over; rejects when the port has
  // gone, refused it, or not taken it within WRITE_TIMEOUT_MS (the stream is
  // then aborted, so nothing after it can go out). The time-out runs on the
  // page's own timer: in a hidden tab it may end a second late, which only
  // matters to a port that has stopped anyway.
  async writeByte(byte: number): Promise<void> {
    const write = this.writer.write(new Uint8Array([byte & 0xff]));
    let timer: ReturnType<typeof setTimeout> | undefined;
    const limit = new Promise<"timeout">((resolve) => {
      timer = setTimeout(() => resolve("timeout"), WRITE_TIMEOUT_MS);
    });
    try {
      if ((await Promise.race([write, limit])) === "timeout") {
        this.broken = true;
        write.catch(() => undefined); // rejected by the abort; the time-out is the failure told
        // Not awaited: an abort waits for the write in flight, which may never end.
        this.writer.abort().catch(() => undefined);
        throw new DOMException(`The write did not complete within ${WRITE_TIMEOUT_MS} ms.`, "TimeoutError");
      }
    } catch (error) {
      this.broken = true;
      throw error;
    } finally {
      clearTimeout(timer);
    }
  }

  // Releases the writer and closes the port, whatever state they are in,
  // within about a second at most.
  async close(): Promise<void> {
    // A healthy stream is closed first, so that every byte written is
    // handed over before the port closes.
    if (!this.broken) await within(this.writer.close(), CLOSE_LIMIT_MS);
    try {
      this.writer.releaseLock();
    } catch {
      // Already released.
    }
    // A port that went away is closed by the browser; its close() rejects.
    await within(this.port.close(), CLOSE_LIMIT_MS);
  }
}

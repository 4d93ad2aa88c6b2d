#!/usr/bin/env python3
"""The far end of COM1 for com1_test.cpp under Wine.

Wine's registry maps COM1 to a fixed link (HKLM\\Software\\Wine\\Ports, set by
scripts/test-windows); this script points that link at a new pseudo-terminal,
starts the test program given after "--", and plays the robot's side:

  - it records every byte with the time it arrived;
  - after the transfer frame and the execute byte it echoes what it receives
    (the program's ping), until the stall marker;
  - after the stall marker it stops reading, so the program's next large
    write cannot complete.

When the program has ended it checks the frame, the execute byte, the line
settings the program gave the device (9600 baud, 8 data bits, no parity, one
stop bit, raw) and the 100 ms pacing between the transfer's bytes. It exits
non-zero when the program failed or any check did.

    com1_far_end.py --link PATH -- wine com1_tests.exe
"""

import argparse
import os
import pty
import select
import subprocess
import sys
import termios
import threading
import time
import tty

FRAME = bytes([0x74, 36, 4, 84, 0, 20, 4, 68, 4, 52, 4, 100, 4, 36, 84, 20, 68])
EXECUTE = 0x78
PING = b"ping"
STALL_MARKER = 0xEE
STEP_GAP_MS = 100


class FarEnd:
    def __init__(self, master, slave):
        self.master = master
        self.slave = slave
        self.received = []  # (seconds, byte)
        self.line_settings = None  # termios of the device when the frame began
        self.stalled = False
        self.done = threading.Event()
        self.thread = threading.Thread(target=self.serve, daemon=True)

    def serve(self):
        while not self.done.is_set():
            if self.stalled:
                time.sleep(0.05)
                continue
            ready, _, _ = select.select([self.master], [], [], 0.05)
            if not ready:
                continue
            now = time.monotonic()
            try:
                chunk = os.read(self.master, 4096)
            except OSError:
                continue  # no slave open right now: the program reopens the port
            for byte in chunk:
                if not self.received:
                    self.line_settings = termios.tcgetattr(self.slave)
                self.received.append((now, byte))
                if len(self.received) <= len(FRAME) + 1:
                    continue
                if byte == STALL_MARKER:
                    self.stalled = True
                    break
                os.write(self.master, bytes([byte]))


def check(far_end):
    failures = []
    data = bytes(b for _, b in far_end.received)
    frame = data[: len(FRAME)]
    if frame != FRAME:
        failures.append(f"transfer frame {frame.hex(' ')}, expected {FRAME.hex(' ')}")
    if data[len(FRAME) : len(FRAME) + 1] != bytes([EXECUTE]):
        failures.append(f"execute byte missing: {data[len(FRAME):len(FRAME) + 1].hex()}")
    rest = data[len(FRAME) + 1 :]
    if not rest.startswith(PING + bytes([STALL_MARKER])):
        failures.append(f"after the execute byte {rest[:16].hex(' ')}, expected the ping and the stall marker")

    # Pacing: each step code goes out once the wait after the previous byte
    # has passed. A late read here only lengthens a gap and shortens the
    # next, so the floor is checked on the median and on the running total.
    times = [t for t, _ in far_end.received[: len(FRAME)]]
    if len(times) == len(FRAME):
        gaps = [(b - a) * 1000 for a, b in zip(times, times[1:])]
        median = sorted(gaps)[len(gaps) // 2]
        print("gaps (ms): " + " ".join(f"{g:.0f}" for g in gaps))
        if median < STEP_GAP_MS - 1 or median > STEP_GAP_MS + 50:
            failures.append(f"median gap {median:.1f} ms, expected about {STEP_GAP_MS} ms")
        for k, t in enumerate(times[1:], start=1):
            if (t - times[0]) * 1000 < k * STEP_GAP_MS - 20:
                failures.append(f"byte {k} came {(t - times[0]) * 1000:.0f} ms after the first")
                break

    # The device's settings while the frame went out. A pseudo-terminal
    # forces 8 bits and drops parity whatever is asked, so those two prove
    # little here; speed, stop bits, flow control and raw mode do.
    if far_end.line_settings is None:
        failures.append("no byte arrived, so the line settings are unknown")
    else:
        iflag, oflag, cflag, lflag, ispeed, ospeed, cc = far_end.line_settings
        if ospeed != termios.B9600 or ispeed != termios.B9600:
            failures.append(f"speed {ospeed}/{ispeed}, expected B9600 ({termios.B9600})")
        if cflag & termios.CSIZE != termios.CS8 or cflag & (termios.PARENB | termios.CSTOPB):
            failures.append(f"not 8N1: c_cflag {cflag:#o}")
        if cflag & termios.CRTSCTS or iflag & (termios.IXON | termios.IXOFF):
            failures.append(f"flow control on: c_cflag {cflag:#o}, c_iflag {iflag:#o}")
        if lflag & (termios.ICANON | termios.ECHO | termios.ISIG) or oflag & termios.OPOST:
            failures.append(f"not raw: c_lflag {lflag:#o}, c_oflag {oflag:#o}")
        if iflag & (termios.ICRNL | termios.INLCR | termios.IGNCR | termios.ISTRIP):
            failures.append(f"input bytes translated: c_iflag {iflag:#o}")
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--link", required=True, help="the link that Wine's COM1 names")
    parser.add_argument("--timeout", type=float, default=120)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command

    master, slave = pty.openpty()
    tty.setraw(slave)
    # Swapped in whole, so Wine never sees a missing or half-made link.
    temporary = f"{args.link}.{os.getpid()}"
    os.symlink(os.ttyname(slave), temporary)
    os.replace(temporary, args.link)

    far_end = FarEnd(master, slave)
    far_end.thread.start()
    try:
        status = subprocess.run(command, timeout=args.timeout).returncode
    except subprocess.TimeoutExpired:
        status = "timed out"
    far_end.done.set()
    far_end.thread.join()

    failures = check(far_end)
    if status != 0:
        failures.insert(0, f"test program ended with {status}")
    for failure in failures:
        print("FAIL: " + failure)
    if not failures:
        print(f"far end: {len(far_end.received)} bytes, frame, execute, pacing and 9600 8N1 raw as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

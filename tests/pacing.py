"""The pace of a transfer as the sender made it, for tests that must hold on a
busy machine.

A robot stamps each byte when it reads it, so a read that the scheduler
delays lengthens one gap and shortens the next: on a loaded machine the
robot's gaps say more about the robot than about the sender. The sender's
own write() calls say what it did. strace stamps a write on entry, before
it completes, and the sender's wait starts only once its write has
completed, so two writes to one device are never closer than the wait
however late either is stamped. The robot's gaps are then checked only
loosely (see check_reader). Medians and worst gaps
belong to bench/run.
"""
import os
import re

WAIT_MS = 100.0
# strace stamps with the real-time clock, the sender waits on the monotonic
# one; the two can drift apart by a few microseconds over a wait.
SENDER_FLOOR_MS = WAIT_MS - 0.1
READER_FLOOR_MS = 50.0

# -xx writes the path as well as the data as \xNN escapes.
_WRITE = re.compile(r'(\d+\.\d+) write\(\d+<((?:\\x[0-9a-f]{2})*)>, "((?:\\x[0-9a-f]{2})*)"')


def _unescape(text):
    return bytes.fromhex(text.replace("\\x", ""))


def traced(command, log_path):
    """`command` run under strace, which logs its writes to `log_path`.
    LeakSanitizer cannot run under ptrace and would end a sanitized build's
    program with an error, so leak checking is off for the traced program."""
    asan = os.environ.get("ASAN_OPTIONS", "")
    asan = (asan + ":" if asan else "") + "detect_leaks=0"
    return ["strace", "-f", "-qq", "-ttt", "-y", "-xx", "--seccomp-bpf", "-e", "trace=write",
            "-e", "signal=none", "-E", "ASAN_OPTIONS=" + asan, "-o", log_path] + list(command)


def sender_writes(log_path, device):
    """[(seconds, bytes)] of every write the traced program made to `device`."""
    writes = []
    with open(log_path) as f:
        for line in f:
            m = _WRITE.search(line)
            if m and _unescape(m.group(2)) == device.encode():
                writes.append((float(m.group(1)), _unescape(m.group(3))))
    return writes


def check_sender(writes, frame):
    """The frame went out one byte per write, each write at least the wait
    after the one before."""
    sent = [list(data) for _, data in writes]
    if sent != [[b] for b in frame]:
        raise AssertionError(f"writes {sent}, expected one per byte of {frame}")
    gaps = [round((b - a) * 1000, 3) for (a, _), (b, _) in zip(writes, writes[1:])]
    if gaps and min(gaps) < SENDER_FLOOR_MS:
        raise AssertionError(f"the sender wrote two bytes less than {WAIT_MS} ms apart: {gaps}")
    return gaps


def check_reader(gaps):
    """Most bytes reached the robot well apart. A late read shortens the gap
    after it (on a busy machine down to a few milliseconds), so single gaps
    prove nothing; a missing wait puts most bytes back to back."""
    if gaps and sorted(gaps)[len(gaps) // 2] < READER_FLOOR_MS:
        raise AssertionError(f"most bytes reached the robot less than {READER_FLOOR_MS} ms apart: {gaps}")

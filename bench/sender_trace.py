"""The sender's own pacing: when each byte left the application, taken from
the kernel's write(2) tracepoint with perf. Unlike the robot's stamps, these
carry no delay of the reader, and unlike strace nothing stops the sender.

Used by bench/run (vk47ctl) and bench/window_bench.py (the window)."""

import collections
import shutil
import subprocess

EVENT = "syscalls:sys_enter_write"


def available():
    """Whether perf can record the write tracepoint here (root, or a
    perf_event_paranoid that allows it)."""
    if not shutil.which("perf"):
        return False
    done = subprocess.run(["perf", "record", "-q", "-e", EVENT, "-o", "/dev/null", "--", "true"],
                          capture_output=True)
    return done.returncode == 0


def command(data_path, argv):
    """`argv` run under perf, which records its writes into data_path."""
    return ["perf", "record", "-q", "-e", EVENT, "-o", data_path, "--"] + argv


def attach(pid, data_path):
    """Starts recording the writes of a running process; stop it with
    SIGINT and wait for it before reading data_path."""
    return subprocess.Popen(["perf", "record", "-q", "-e", EVENT, "-p", str(pid), "-o", data_path],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def transfers(data_path, frame_bytes=17):
    """Each frame that one thread wrote to one descriptor a byte at a time,
    as the times of its bytes in milliseconds; the last frame_bytes writes of
    every such series."""
    out = subprocess.run(["perf", "script", "-i", data_path, "-F", "tid,time,trace"],
                         capture_output=True, text=True).stdout
    series = collections.defaultdict(list)
    for line in out.splitlines():
        # "  14264  4046.263685: fd: 0x00000006, buf: 0x5613481a4510, count: 0x00000001"
        head, _, fields = line.partition(": fd: ")
        if not fields or not fields.endswith("count: 0x00000001"):
            continue
        tid, when = head.split()
        fd = fields.split(",")[0]
        series[(tid, fd)].append(float(when) * 1000.0)
    return [times[-frame_bytes:] for times in series.values() if len(times) >= frame_bytes]


def gaps(frame):
    """The 16 gaps between the 17 bytes of a frame, in milliseconds."""
    return [b - a for a, b in zip(frame, frame[1:])]

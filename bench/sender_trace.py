"""The sender's own pacing: when each byte left the application, taken from
the kernel's write(2) tracepoint with perf. Unlike the robot's stamps, these
carry no delay of the reader, and unlike strace nothing stops the sender.

The machine's own stalls are measured beside it (bench/timer_probe.cpp): on
a virtual machine the host now and then holds a processor back for a few
milliseconds, and every timer on it, the sender's included, fires that much
late. own_gaps() takes such a stretch out of a gap when the probe saw it on
the processor the sender slept or woke on, so that what remains is the
sender's own doing.

Used by bench/run (vk47ctl) and bench/window_bench.py (the window)."""

import collections
import os
import shutil
import signal
import subprocess

EVENT = "syscalls:sys_enter_write"
STEP_MS = 100.0
# perf stamps with the same clock as the probe.
CLOCK = ["-k", "CLOCK_MONOTONIC"]

Write = collections.namedtuple("Write", "ms cpu")


def available():
    """Whether perf can record the write tracepoint here (root, or a
    perf_event_paranoid that allows it)."""
    if not shutil.which("perf"):
        return False
    done = subprocess.run(["perf", "record", "-q"] + CLOCK + ["-e", EVENT, "-o", "/dev/null", "--", "true"],
                          capture_output=True)
    return done.returncode == 0


def command(data_path, argv):
    """`argv` run under perf, which records its writes into data_path."""
    return ["perf", "record", "-q"] + CLOCK + ["-e", EVENT, "-o", data_path, "--"] + argv


def attach(pid, data_path):
    """Starts recording the writes of a running process; stop it with
    SIGINT and wait for it before reading data_path."""
    return subprocess.Popen(["perf", "record", "-q"] + CLOCK + ["-e", EVENT, "-p", str(pid), "-o", data_path],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def transfers(data_path, frame_bytes=17):
    """Each frame that one thread wrote to one descriptor a byte at a time,
    as its writes (time in milliseconds, processor); the last frame_bytes
    writes of every such series."""
    out = subprocess.run(["perf", "script", "-i", data_path, "-F", "tid,cpu,time,trace"],
                         capture_output=True, text=True).stdout
    series = collections.defaultdict(list)
    for line in out.splitlines():
        # "  14264 [001]  4046.263685: fd: 0x00000006, buf: 0x5613481a4510, count: 0x00000001"
        head, _, fields = line.partition(": fd: ")
        if not fields or not fields.endswith("count: 0x00000001"):
            continue
        tid, cpu, when = head.split()
        fd = fields.split(",")[0]
        series[(tid, fd)].append(Write(float(when) * 1000.0, int(cpu.strip("[]"))))
    return [writes[-frame_bytes:] for writes in series.values() if len(writes) >= frame_bytes]


def gaps(frame):
    """The 16 gaps between the 17 bytes of a frame, in milliseconds."""
    return [b.ms - a.ms for a, b in zip(frame, frame[1:])]


class Probe:
    """The machine's timer lateness while it runs (bench/timer_probe.cpp)."""

    def __init__(self, bin_dir, path):
        self.path = path
        self.process = subprocess.Popen([os.path.join(str(bin_dir), "vk47_timer_probe"), path])

    def stop(self):
        """Ends the probe; returns {cpu: [(due_ms, woke_ms), ...]}."""
        self.process.send_signal(signal.SIGINT)
        self.process.wait(timeout=10)
        stalls = collections.defaultdict(list)
        with open(self.path) as f:
            for line in f:
                cpu, due, woke = line.split()
                stalls[int(cpu)].append((float(due), float(woke)))
        return stalls


def _covered(start, end, intervals):
    """How much of [start, end] the intervals cover, in milliseconds."""
    points = sorted((max(a, start), min(b, end)) for a, b in intervals if b > start and a < end)
    covered, reach = 0.0, start
    for a, b in points:
        if b > reach:
            covered += b - max(a, reach)
            reach = b
    return covered


def own_gaps(frame, stalls):
    """The frame's gaps, each less the part of its wait beyond the 100 ms
    that the machine stalled on the processor the sender slept or woke on."""
    result = []
    for a, b in zip(frame, frame[1:]):
        late = stalls.get(a.cpu, []) + (stalls.get(b.cpu, []) if b.cpu != a.cpu else [])
        result.append(b.ms - a.ms - _covered(a.ms + STEP_MS, b.ms, late))
    return result


def longest_stall(stalls):
    return max((woke - due for intervals in stalls.values() for due, woke in intervals), default=0.0)

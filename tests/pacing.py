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
import signal
import subprocess
import sys
import time

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
    """`command` run under strace, which logs its writes to `log_path`, and
    the exit of every process it follows (one -q: the exits are what
    TracedProgram waits for). LeakSanitizer cannot run under ptrace and
    would end a sanitized build's program with an error, so leak checking is
    off for the traced program."""
    asan = os.environ.get("ASAN_OPTIONS", "")
    asan = (asan + ":" if asan else "") + "detect_leaks=0"
    return ["strace", "-f", "-q", "-ttt", "-y", "-xx", "--seccomp-bpf", "-e", "trace=write",
            "-e", "signal=none", "-E", "ASAN_OPTIONS=" + asan, "-o", log_path] + list(command)


class TracedProgram:
    """`command` started under strace (see traced), waited for by its own
    exit. strace -f follows everything the program starts and ends only
    when the last of them has ended: a daemon the program leaves behind
    (such as a session bus started on demand) would keep strace, and anyone
    waiting for strace, going for ever. So the program's own pid is taken
    from strace's children, its exit from the log strace writes, and strace
    is ended with whatever it still follows once the program is gone.

    strace runs in a process group of its own, with everything it starts
    that does not leave it; `popen` goes to subprocess.Popen."""

    def __init__(self, command, log_path, **popen):
        self.log_path = log_path
        self.strace = subprocess.Popen(traced(command, log_path), start_new_session=True, **popen)
        self.pid = self._program_pid(list(command))
        self.returncode = None
        self._log_offset = 0

    def _program_pid(self, command, timeout=30.0):
        # Among strace's children (it forks a few probes of its own as it
        # starts) the program is the one running `command`; what the program
        # starts is followed through ptrace but stays the program's child.
        wanted = b"\0".join(os.fsencode(str(a)) for a in command) + b"\0"
        children = "/proc/%d/task/%d/children" % (self.strace.pid, self.strace.pid)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                with open(children) as f:
                    pids = [int(p) for p in f.read().split()]
            except FileNotFoundError:
                pids = []
            for pid in pids:
                try:
                    with open("/proc/%d/cmdline" % pid, "rb") as f:
                        if f.read() == wanted:
                            return pid
                except (FileNotFoundError, ProcessLookupError):
                    pass
            if self.strace.poll() is not None:
                return None  # the program has come and gone: strace's status is its own
            time.sleep(0.002)
        raise RuntimeError("strace did not start %s within %.0f s" % (command[0], timeout))

    def poll(self):
        """The program's exit status (negative: the signal that ended it),
        None while it runs."""
        if self.returncode is not None:
            return self.returncode
        # Looked at before the log: strace writes the program's end before
        # it ends itself.
        strace_ended = self.strace.poll() is not None
        if self.pid is None:
            self.returncode = self.strace.returncode
            return self.returncode
        exit_line = re.compile(r"^%d [\d.]+ \+\+\+ (?:exited with (\d+)|killed by SIG(\w+))" % self.pid)
        try:
            with open(self.log_path, "rb") as f:
                f.seek(self._log_offset)
                data = f.read()
        except FileNotFoundError:
            data = b""
        # Only whole lines are read; a line being written is read next time.
        data = data[:data.rfind(b"\n") + 1]
        self._log_offset += len(data)
        for line in data.decode(errors="replace").splitlines():
            m = exit_line.match(line)
            if m:
                self.returncode = int(m.group(1)) if m.group(1) else -getattr(signal, "SIG" + m.group(2), 0)
                break
        if self.returncode is None and strace_ended:
            # No end logged (strace itself was killed): strace's own status.
            self.returncode = self.strace.returncode
        if self.returncode is not None:
            self._end_strace()
        return self.returncode

    def wait(self, timeout=None):
        deadline = None if timeout is None else time.monotonic() + timeout
        while self.poll() is None:
            if deadline is not None and time.monotonic() > deadline:
                raise subprocess.TimeoutExpired(self.strace.args, timeout)
            time.sleep(0.02)
        return self.returncode

    def signal(self, sig):
        """Signals the program (strace passes it on, and logs the end)."""
        if self.poll() is None and self.pid is not None:
            try:
                os.kill(self.pid, sig)
            except ProcessLookupError:
                pass

    def stop(self, grace=5.0):
        """Ends the program (SIGTERM, then SIGKILL after `grace` seconds),
        then strace and whatever it still follows."""
        self.signal(signal.SIGTERM)
        try:
            self.wait(grace)
        except subprocess.TimeoutExpired:
            self.signal(signal.SIGKILL)
            try:
                self.wait(grace)
            except subprocess.TimeoutExpired:
                pass
        self._end_strace()

    def _end_strace(self):
        if self.strace.poll() is None:
            # strace goes with its process group: the program's leftovers
            # that stayed in it, and the program itself if it still runs.
            try:
                os.killpg(self.strace.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.strace.wait()


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


def main(argv):
    """pacing.py trace LOG COMMAND...: runs COMMAND under strace (see
    TracedProgram) with this process's input and output, and exits with the
    program's own status as soon as the program has ended."""
    if len(argv) < 4 or argv[1] != "trace":
        sys.stderr.write("usage: pacing.py trace LOG COMMAND...\n")
        return 2
    program = TracedProgram(argv[3:], argv[2])
    status = program.wait()
    return status if status >= 0 else 128 - status


if __name__ == "__main__":
    sys.exit(main(sys.argv))

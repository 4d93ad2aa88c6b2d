#!/usr/bin/env python3
"""Figures of the real window under Xvfb: the transfer on the wire (from the
window to the virtual robot), the CPU the application spends while it waits,
start-up time and peak memory; the simulator window's frame rate and CPU at
x4. Each figure is the median of several runs.

usage: window_bench.py BIN_DIR [RUNS]"""

import json
import os
import signal
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import Session, wait_for  # noqa: E402
import sender_trace  # noqa: E402

TRACING = sender_trace.available()

START_PAUSE_MS = 400  # the start-up's own pause before it opens the port
# Beyond the pause, start-up may take 50 ms, or as long as a bare Qt window
# where Qt alone needs longer than that (a slow disk or virtual machine): what
# the window adds to Qt's own start-up must fit inside the pause.
STARTUP_GOAL_MS = 50.0
IDLE_SECONDS = 10.0
POLL_S = 0.01
AFTER_LAST_BYTE_S = 0.25  # the 100 ms wait after the last byte, the progress window's closing
IDLE_GOAL_PERCENT = 0.1


def measure_at_priority(pid):
    """The virtual robot stamps the bytes it reads: where the system lets it
    (root), it runs at a real-time priority, so that its own wake-ups do not
    shift those stamps (bench/run does the same)."""
    if os.geteuid() == 0:
        subprocess.run(["chrt", "-f", "-p", "10", str(pid)], capture_output=True)


def cpu_seconds(pid):
    """CPU time of every thread of a process, in seconds (nanosecond counters)."""
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
            total += int(f.read().split()[0])
    return total / 1e9


def peak_rss_mb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024.0
    return float("nan")


def visible(session, name):
    out = session.xdo("search", "--onlyvisible", "--name", name, check=False)
    return out.split()


# Start-up's parts outside the pause, from the window's own marks
# (ui/common/StartupTrace.h): (name, from mark, to mark).
STARTUP_PARTS = (
    ("process start to main (loading the libraries)", None, "main"),
    ("Qt's application object", "main", "qapplication"),
    ("translations and settings", "qapplication", "form1 begins"),
    ("showing: map and first paint", "pause ends", "painted"),
)
# Inside the pause, for the record: what it is spent on.
PAUSE_PARTS = (
    ("controls", "form1 begins", "components"),
    ("pictures", "components", "icons"),
    ("window readied off screen", "pause begins", "prepared"),
)


def one_startup(bin_dir, program, with_ini):
    """Starts `program` ("vk47" or the bare window) on a fresh display and
    HOME, with or without a set.ini, and returns its marks in milliseconds
    from the moment before the process was started."""
    s = Session(bin_dir)
    try:
        s.start_x()
        if with_ini:
            os.makedirs(s.settings_dir)
            with open(s.ini, "w") as f:
                f.write("[comport]\r\nname=0\r\n")
        trace = os.path.join(s.home, "startup.txt")
        s.env["VK47_STARTUP_TRACE"] = trace
        log = open(os.path.join(s.home, "app.log"), "w")
        # Polled from here with os.stat alone: a poll that started processes
        # would take the CPU that start-up needs.
        t0 = time.monotonic() * 1000.0
        s.app = subprocess.Popen([os.path.join(bin_dir, program)], env=s.env, stdout=log,
                                 stderr=subprocess.STDOUT, start_new_session=True)
        text = wait_for(lambda: os.path.exists(trace) and open(trace).read().endswith("\n")
                        and open(trace).read(), timeout=60, step=0.005, what="start-up marks")
        log.close()
        return {name: float(ms) - t0 for name, ms in (line.rsplit(" ", 1) for line in text.splitlines())}
    finally:
        s.stop()


def part_ms(marks, start, end):
    return marks[end] - (marks[start] if start else 0.0)


def startup_figures(bin_dir, runs):
    """Rows of start-up: process start to the first paint, beyond the pause,
    from a fresh HOME and with a set.ini, beside a bare Qt window started the
    same way, and the largest parts outside the pause."""
    results = {"fresh": [], "ini": [], "bare": []}
    for _ in range(runs):
        results["fresh"].append(one_startup(bin_dir, "vk47", False))
        results["ini"].append(one_startup(bin_dir, "vk47", True))
        results["bare"].append(one_startup(bin_dir, "vk47_bare_window", False))
    bare = statistics.median(r["painted"] for r in results["bare"])
    rows = [("a bare Qt window: process start to first paint", "%.0f ms" % bare,
             "Qt's own floor here", "")]
    verdict = lambda ok: "ok" if ok else "MISSED"
    for key, label in (("fresh", "fresh HOME"), ("ini", "with set.ini")):
        beyond = statistics.median(r["painted"] - START_PAUSE_MS for r in results[key])
        over_bare = beyond - bare
        rows.append(("window start-up to first paint, minus 400 ms (%s)" % label,
                     "%.0f ms (bare window + %.0f ms)" % (beyond, over_bare),
                     "goal <= 50 ms or <= the bare window",
                     verdict(beyond <= max(STARTUP_GOAL_MS, bare))))
        parts = sorted(((statistics.median(part_ms(r, a, b) for r in results[key]), name)
                        for name, a, b in STARTUP_PARTS), reverse=True)
        rows.append(("  largest parts outside the pause",
                     ", ".join("%s %.0f ms" % (name, ms) for ms, name in parts[:3]), "for the record", ""))
        inside = [(name, statistics.median(part_ms(r, a, b) for r in results[key])) for name, a, b in PAUSE_PARTS]
        rows.append(("  inside the pause", ", ".join("%s %.0f ms" % p for p in inside), "for the record", ""))
    return rows


def started_again_once(run, bin_dir):
    """A run whose window never appeared is started once more, and said so:
    a benchmark of many minutes is not lost to one start that the machine
    held up (seen a few times in a hundred on this 2-core virtual machine,
    never when looked for)."""
    try:
        return run(bin_dir)
    except AssertionError as e:
        if "main window" not in str(e):
            raise
        print("the window did not appear within 60 s; started once more", file=sys.stderr)
        return run(bin_dir)


def one_run(bin_dir):
    s = Session(bin_dir)
    try:
        s.start_x()
        s.start_robot()
        measure_at_priority(s.robot.pid)
        s.start_app()
        s.window = wait_for(s._find_main_window, timeout=60, what="main window")
        time.sleep(1.0)  # let start-up settle
        s.focus_main()

        # Load (the demo): wall and CPU time.
        cpu0, w0 = cpu_seconds(s.app.pid), time.monotonic()
        s.key("ctrl+d")
        wait_for(lambda: visible(s, "^転送$"), timeout=10, step=POLL_S, what="progress window")
        wait_for(lambda: not visible(s, "^転送$"), timeout=10, step=POLL_S, what="load end")
        load_wall = time.monotonic() - w0
        load_cpu = cpu_seconds(s.app.pid) - cpu0

        # Transfer: the window's CPU from the key until the wait after the
        # last byte is over and the progress window closed. The end is taken
        # from the robot's record, a file, rather than by polling the progress
        # window: each xdotool poll starts a process, and those took the CPU
        # and the X server from the window being measured.
        time.sleep(0.3)
        s.focus_main()
        trace_path = os.path.join(s.home, "writes.perf")
        tracer = sender_trace.attach(s.app.pid, trace_path) if TRACING else None
        probe = sender_trace.Probe(bin_dir, os.path.join(s.home, "stalls.txt")) if TRACING else None
        time.sleep(0.3)  # perf is attached
        cpu0 = cpu_seconds(s.app.pid)
        s.key("ctrl+t")
        frames = s.robot_frames(1)
        time.sleep(AFTER_LAST_BYTE_S)
        transfer_cpu = cpu_seconds(s.app.pid) - cpu0
        assert not visible(s, "^転送$"), "the progress window is still open"
        gaps = frames[0]["gaps_ms"][1:]
        sent = own = None
        stall = 0.0
        if tracer:
            stalls = probe.stop()
            stall = sender_trace.longest_stall(stalls)
            tracer.send_signal(signal.SIGINT)
            tracer.wait()
            written = sender_trace.transfers(trace_path)
            assert len(written) == 1, "perf saw %d transfers of the window" % len(written)
            sent = sender_trace.gaps(written[0])
            own = sender_trace.own_gaps(written[0], stalls)
        # First byte to last: as sent where perf tells, else as the robot
        # stamped them.
        first_to_last_s = sum(sent if sent else gaps) / 1000.0

        # Idle: nothing asked of the window for 10 s (the status bar looks at
        # the port every 2 s meanwhile).
        time.sleep(1.0)
        cpu0, w0 = cpu_seconds(s.app.pid), time.monotonic()
        time.sleep(IDLE_SECONDS)
        idle_share = 100.0 * (cpu_seconds(s.app.pid) - cpu0) / (time.monotonic() - w0)
        return {
            "sent": sent,
            "own": own,
            "stall": stall,
            "idle_share": idle_share,
            "rss_mb": peak_rss_mb(s.app.pid),
            "load_wall_ms": load_wall * 1000.0,
            "load_cpu_ms": load_cpu * 1000.0,
            "first_to_last_s": first_to_last_s,
            # Over the transfer's own time, the wait after the last byte
            # included; the CPU counts from the key to after that wait.
            "transfer_cpu_share": 100.0 * transfer_cpu / (first_to_last_s + 0.1),
            "gaps": gaps,
        }
    finally:
        s.stop()


def window_figures(bin_dir, runs):
    """Rows (figure, measured, floor / goal, verdict) of the window's figures."""
    results = [started_again_once(one_run, bin_dir) for _ in range(runs)]

    def med(key):
        return statistics.median(r[key] for r in results)

    gap_medians = [statistics.median(r["gaps"][i] for r in results) for i in range(16)]
    worst_stamped = max(max(r["gaps"]) for r in results)
    # The goal holds the gaps as the window sent them (perf), less the
    # stretches the machine itself stalled (bench/sender_trace.py); the gaps
    # as sent and the robot's stamps, which add its own read delay, are shown
    # for the record.
    worst_gap = max(max(r["own"]) for r in results) if TRACING else worst_stamped
    verdict = lambda ok: "ok" if ok else "MISSED"
    return [
        ("window transfer: first byte to last", "%.3f s" % med("first_to_last_s"),
         ">= 1.6 s (protocol: 16 waits of 100 ms)", verdict(min(r["first_to_last_s"] for r in results) >= 1.6)),
        ("window transfer: gaps 2..17, median", "%.2f ms (steps %.1f..%.1f)" % (
            statistics.median(gap_medians), min(gap_medians), max(gap_medians)),
         "floor 100, goal <= 102 ms", verdict(statistics.median(gap_medians) <= 102.0)),
        ("window transfer: worst gap" + (", the window's own" if TRACING else ""), "%.2f ms" % worst_gap,
         "goal <= 103 ms", verdict(worst_gap <= 103.0)),
    ] + ([("  as sent, the machine's stalls included", "%.2f ms (the machine stalled up to %.1f ms)" % (
        max(max(r["sent"]) for r in results), max(r["stall"] for r in results)), "for the record", ""),
          ("  as the robot stamped them", "%.2f ms" % worst_stamped, "for the record", "")] if TRACING else []) + [
        ("window: CPU / wall during a transfer", "%.2f %%" % med("transfer_cpu_share"),
         "goal <= 1 % (spinning: 100 %)", verdict(med("transfer_cpu_share") <= 1.0)),
        ("window: demo load", "%.1f ms wall, %.1f ms CPU" % (med("load_wall_ms"), med("load_cpu_ms")),
         "for the record (16 x 2 ms waits)", ""),
        ("window: CPU / wall while idle for %.0f s" % IDLE_SECONDS, "%.3f %%" % med("idle_share"),
         "goal <= 0.1 %", verdict(med("idle_share") <= IDLE_GOAL_PERCENT)),
        ("window: peak resident memory", "%.1f MB" % med("rss_mb"), "goal <= 50 MB",
         verdict(med("rss_mb") <= 50.0)),
    ]


SIM_SECONDS = 3.0
SIM_IDLE_SECONDS = 5.0  # of the demo's 4 s at x4


def one_simulator_run(bin_dir):
    """The simulator window on the demo at x4: frames per second and the
    worst gap between frames (the window's own count, VK47_SIM_STATS), and
    the application's CPU share while it runs."""
    s = Session(bin_dir)
    try:
        stats = os.path.join(s.home, "sim-stats.json")
        s.env["VK47_SIM_STATS"] = stats
        s.start_x()
        s.start_app()
        s.window = wait_for(s._find_main_window, timeout=60, what="main window")
        time.sleep(1.0)
        s.focus_main()
        s.key("ctrl+d")
        time.sleep(1.0)  # the demo loads step by step
        s.focus_main()
        s.key("alt")
        time.sleep(0.2)
        s.key("Right", "Right", "Down")  # 制御
        time.sleep(0.2)
        s.key("Down", "Down", "Return")  # シミュレーション
        sim = s.find_window("^シミュレーション$")
        s.xdo("windowfocus", "--sync", sim, check=False)
        time.sleep(1.0)
        # Open and waiting for its start: the simulator window must cost
        # nothing while it stands still.
        cpu0, w0 = cpu_seconds(s.app.pid), time.monotonic()
        time.sleep(SIM_IDLE_SECONDS)
        idle_share = 100.0 * (cpu_seconds(s.app.pid) - cpu0) / (time.monotonic() - w0)
        s.key("4")
        cpu0, w0 = cpu_seconds(s.app.pid), time.monotonic()
        s.key("s")
        time.sleep(SIM_SECONDS)
        share = 100.0 * (cpu_seconds(s.app.pid) - cpu0) / (time.monotonic() - w0)
        s.key("p")  # the pause writes the frame figures
        figures = json.loads(wait_for(lambda: os.path.exists(stats) and open(stats).read(),
                                      what="frame figures"))
        return {"fps": figures["frames"] / figures["seconds"], "worst_gap_ms": figures["worst_gap_ms"],
                "cpu_share": share, "idle_share": idle_share}
    finally:
        s.stop()


def simulator_figures(bin_dir, runs):
    """Rows (figure, measured, floor / goal, verdict) of the simulator window at x4."""
    results = [started_again_once(one_simulator_run, bin_dir) for _ in range(runs)]
    fps = statistics.median(r["fps"] for r in results)
    worst = max(r["worst_gap_ms"] for r in results)
    share = statistics.median(r["cpu_share"] for r in results)
    verdict = lambda ok: "ok" if ok else "MISSED"
    return [
        ("simulator x4: frames per second", "%.1f (min %.1f)" % (fps, min(r["fps"] for r in results)),
         "goal >= 60", verdict(fps >= 59.5)),
        ("simulator x4: worst gap between frames", "%.1f ms" % worst, "for the record", ""),
        ("simulator window open, not running: CPU / wall", "%.3f %%" % statistics.median(
            r["idle_share"] for r in results), "goal <= 0.1 %",
         verdict(statistics.median(r["idle_share"] for r in results) <= IDLE_GOAL_PERCENT)),
        ("simulator x4: window CPU / wall", "%.2f %% (max %.2f)" % (share, max(r["cpu_share"] for r in results)),
         "goal < 10 % of a core", verdict(share < 10.0)),
    ]


def main():
    bin_dir = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    for row in startup_figures(bin_dir, runs) + window_figures(bin_dir, runs) + simulator_figures(bin_dir, runs):
        print("  ".join(row))


if __name__ == "__main__":
    main()

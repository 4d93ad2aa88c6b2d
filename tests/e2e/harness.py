"""Drives the real vk47 window under Xvfb with xdotool, with a virtual robot
on a pseudo-terminal and a private HOME whose set.ini maps com1 to it.

Every test gets a fresh Session: its own X display, HOME, robot and app.
The tests read the program's state from what the app saves and from the
bytes the robot receives, never from the app's internals.

Nothing of the desktop that runs the tests reaches the window (see
tests/isolation.py): no session bus, none of the desktop's display, input
method, theme or locale settings. A window under strace is waited for by
its own exit, never by strace's (pacing.TracedProgram)."""

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import isolation  # noqa: E402
import layout  # noqa: E402
import pacing  # noqa: E402

CLIENT_W, CLIENT_H = layout.CLIENT_W, layout.CLIENT_H
STATUS_H = layout.STATUS_H  # the status bar below the client area
TITLE = "VK-47ロボット制御３"


def run(*args, check=True, **kw):
    return subprocess.run(list(args), check=check, capture_output=True, text=True, **kw)


def wait_for(predicate, timeout=10.0, step=0.05, what="condition"):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    raise AssertionError("timed out waiting for " + what)


class Session:
    def __init__(self, bin_dir, screen="1024x768x24", trace_writes=False):
        self.screen = screen  # Xvfb's screen: WIDTHxHEIGHTxDEPTH
        # The window runs under strace, which logs its writes to app_writes
        # (read with pacing.sender_writes).
        self.trace_writes = trace_writes
        self.bin_dir = bin_dir
        self.display = None  # chosen by Xvfb among the free ones
        # A fresh HOME with nothing created in it: the robot and the window
        # must find the same set.ini by themselves, as on a new pupil account.
        self.home = tempfile.mkdtemp(prefix="vk47-e2e-")
        self.documents = os.path.join(self.home, "Documents")
        self.settings_dir = os.path.join(self.documents, "PT-36Temp")
        self.ini = os.path.join(self.settings_dir, "set.ini")
        self.robot_json = os.path.join(self.home, "robot.json")
        # The robots' records go to a runtime folder of the session's own, so
        # robots running elsewhere on the machine are not seen.
        self.env = isolation.environment(self.home, XDG_RUNTIME_DIR=os.path.join(self.home, "run"),
                                         QT_QPA_PLATFORM="xcb")
        os.mkdir(self.env["XDG_RUNTIME_DIR"], 0o700)
        self.xvfb = None
        self.robot = None
        self.app = None  # the process started: the window, or strace running it
        self.traced_app = None  # the window under strace (trace_writes)
        self.window = None

    # --- processes -------------------------------------------------------
    def start(self, with_robot=True):
        """Starts Xvfb, the robot and the app, and waits for the main window.
        An app that cannot reach a freshly started display gets one more
        display; whatever fails, nothing started is left running."""
        try:
            for attempt in range(3):
                self.start_x()
                if with_robot and self.robot is None:
                    self.start_robot()
                self.start_app()
                self.window = wait_for(lambda: self._find_main_window() or self.app_exit() is not None,
                                       timeout=60, what="main window")
                if self.app_exit() is None:
                    return self
                output = self.app_output()
                self._stop_app_and_x()
                if "could not connect to display" not in output or attempt == 2:
                    raise AssertionError("vk47 ended before its window appeared: " + output)
            raise AssertionError("no display")
        except BaseException:
            self.stop()
            raise

    def app_exit(self):
        """The window's exit status, or None while it runs. Under strace this
        is the window's own exit, whatever strace still follows."""
        if self.traced_app:
            return self.traced_app.poll()
        return self.app.poll() if self.app else None

    def wait_app_exit(self, timeout=10.0):
        """Waits for the window to end by itself; its exit status."""
        wait_for(lambda: self.app_exit() is not None, timeout=timeout, what="the window to close")
        return self.app_exit()

    def _stop_app(self, grace):
        """Ends the window, SIGTERM first when `grace` seconds are given, and
        whatever it started that is still in its process group."""
        if self.traced_app:
            self.traced_app.stop(grace)
            return
        if not self.app:
            return
        for sig in ((signal.SIGTERM, signal.SIGKILL) if grace else (signal.SIGKILL,)):
            if self.app.poll() is not None:
                break
            self.app.send_signal(sig)
            try:
                self.app.wait(timeout=grace or None)
            except subprocess.TimeoutExpired:
                pass
        self.app.wait()
        try:
            os.killpg(self.app.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass

    def _stop_app_and_x(self):
        self._stop_app(0)
        if getattr(self, "app_log", None):
            self.app_log.close()
            self.app_log = None
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()
            self.xvfb = None

    def start_x(self):
        # Xvfb picks a free display and writes its number to the pipe, so
        # parallel runs never share a display.
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", self.screen,
             "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write_fd,))
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            number = pipe.readline().strip()
        assert number, "Xvfb did not start"
        self.display = ":" + number
        self.env["DISPLAY"] = self.display
        wait_for(lambda: run("xdpyinfo", "-display", self.display, check=False).returncode == 0,
                 what="Xvfb")

    def start_app(self):
        self.app_log = open(os.path.join(self.home, "vk47.log"), "w")
        command = [os.path.join(self.bin_dir, "vk47")]
        if self.trace_writes:
            self.app_writes = os.path.join(self.home, "vk47.strace")
            self.traced_app = pacing.TracedProgram(command, self.app_writes, env=self.env,
                                                   stdout=self.app_log, stderr=subprocess.STDOUT)
            self.app = self.traced_app.strace
            return
        # Its own process group, so that whatever it starts is stopped with it.
        self.app = subprocess.Popen(command, env=self.env, stdout=self.app_log,
                                    stderr=subprocess.STDOUT, start_new_session=True)

    def app_output(self):
        path = os.path.join(self.home, "vk47.log")
        if not os.path.exists(path):
            return "(nothing)"
        with open(path, errors="replace") as f:
            return f.read()[-2000:] or "(nothing)"

    def start_robot(self, json_path=None):
        """Starts a robot linked as com1 (replacing any earlier one)."""
        if self.robot and self.robot.stdout:
            self.robot.stdout.close()
        self.robot_json = json_path or self.robot_json
        self.robot = subprocess.Popen(
            [os.path.join(self.bin_dir, "vk47-robot"), "--link-as", "com1",
             "--json", self.robot_json],
            env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.robot_device = self.robot.stdout.readline().strip()
        assert self.robot_device.startswith("/dev/"), self.robot_device

    def stop(self):
        self._stop_app(5)
        if self.robot and self.robot.poll() is None:
            self.robot.terminate()
            try:
                self.robot.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.robot.kill()
        if self.robot and self.robot.stdout:
            self.robot.stdout.close()
        if getattr(self, "app_log", None):
            self.app_log.close()
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()
        shutil.rmtree(self.home, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    # --- windows ---------------------------------------------------------
    def xdo(self, *args, check=True):
        return run("xdotool", *args, env=self.env, check=check).stdout.strip()

    def _find_main_window(self):
        out = self.xdo("search", "--onlyvisible", "--name", TITLE, check=False)
        return out.split()[0] if out else None

    def find_window(self, name, timeout=10):
        def found():
            out = self.xdo("search", "--onlyvisible", "--name", name, check=False)
            ids = [w for w in out.split() if w != self.window]
            return ids[0] if ids else None
        return wait_for(found, timeout=timeout, what="window " + name)

    def window_gone(self, window_id, timeout=10):
        def gone():
            out = self.xdo("search", "--onlyvisible", "--name", ".*", check=False)
            return window_id not in out.split()
        wait_for(gone, timeout=timeout, what="window to close")

    def geometry(self, window_id):
        out = self.xdo("getwindowgeometry", "--shell", window_id)
        values = dict(line.split("=", 1) for line in out.splitlines())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def client_origin(self):
        """Screen position of the main window's client area (below the menu
        bar, above the status bar)."""
        x, y, w, h = self.geometry(self.window)
        return x + (w - CLIENT_W), y + (h - CLIENT_H - STATUS_H)

    def screen_point(self, cx, cy):
        ox, oy = self.client_origin()
        return ox + cx, oy + cy

    # --- input -----------------------------------------------------------
    def focus_main(self):
        self.xdo("windowactivate", "--sync", self.window, check=False)
        self.xdo("windowfocus", "--sync", self.window, check=False)

    def focus_window(self, window_id):
        """Gives a dialog the keyboard and waits until the X server says it has
        it: a key typed while the focus is still elsewhere would be lost, and a
        path missing its first letters is saved somewhere else."""
        def focused():
            self.xdo("windowfocus", "--sync", window_id, check=False)
            return self.xdo("getwindowfocus", "-f", check=False) == window_id
        wait_for(focused, what="the keyboard on window " + window_id)

    def key(self, *keys, window=None):
        self.xdo("key", "--clearmodifiers", *keys)

    def type_text(self, text):
        self.xdo("type", "--delay", "20", text)

    def click_client(self, cx, cy):
        x, y = self.screen_point(cx, cy)
        self.xdo("mousemove", "--sync", str(x), str(y), "click", "1")

    def drag_client(self, from_xy, to_xy, steps=8, hold=None):
        """A real drag from one client point to another; `hold` names a key
        (such as "ctrl") held from before the press until after the release."""
        x0, y0 = self.screen_point(*from_xy)
        x1, y1 = self.screen_point(*to_xy)
        if hold:
            self.xdo("keydown", hold)
        self.xdo("mousemove", "--sync", str(x0), str(y0), "mousedown", "1")
        for i in range(1, steps + 1):
            xi = x0 + (x1 - x0) * i // steps
            yi = y0 + (y1 - y0) * i // steps
            self.xdo("mousemove", "--sync", str(xi), str(yi))
            time.sleep(0.03)
        time.sleep(0.1)
        self.xdo("mouseup", "1")
        if hold:
            self.xdo("keyup", hold)
        time.sleep(0.2)

    def wheel_client(self, cx, cy, notches):
        """Turns the wheel over a client point: up (away from the user) for
        positive notches."""
        x, y = self.screen_point(cx, cy)
        button = "4" if notches > 0 else "5"
        self.xdo("mousemove", "--sync", str(x), str(y), "click", "--repeat", str(abs(notches)),
                 "--delay", "50", button)

    def screenshot(self, path):
        run("import", "-display", self.display, "-window", "root", path, env=self.env)

    # --- observations ----------------------------------------------------
    def robot_record(self):
        if not os.path.exists(self.robot_json):
            return None
        with open(self.robot_json) as f:
            return json.load(f)

    def robot_frames(self, count, timeout=15):
        def enough():
            record = self.robot_record()
            return record if record and len(record["frames"]) >= count else None
        return wait_for(enough, timeout=timeout, what="%d robot frames" % count)["frames"]

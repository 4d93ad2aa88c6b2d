#!/usr/bin/env python3
"""The installed window under Wine, as a teacher and a pupil meet it.

Installs vk47 silently with its installer into a Wine prefix, starts the
installed vk47.exe on a private Xvfb display, checks a screenshot (the client
area's size, the palette's icons and the group boxes' colours), loads the
demo program (Ctrl+D) and transfers it (Ctrl+T) to COM1, whose far end is a
pseudo-terminal here that records every byte with its arrival time, closes
the window (Ctrl+Q), uninstalls silently and checks that the install folder,
the Start-menu entry and the uninstall entry are gone while the pupil's
programs and set.ini stay.

    installed_window_test.py --installer dist/vk47-setup-0.1.0.exe \\
        --wineprefix DIR --home DIR --com1-link PATH --screenshot OUT.png

The Wine prefix must map COM1 to --com1-link (HKLM\\Software\\Wine\\Ports)
and must have been made with HOME=--home, so that the pupil's Documents folder
is that folder and nothing is written into the real home.
"""

import argparse
import os
import pty
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time
import tty

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import isolation  # noqa: E402
import layout  # noqa: E402

TITLE = "VK-47ロボット制御３"
START_MENU_ENTRY = "VK-47ロボット制御.lnk"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\vk47"
CLIENT_W, CLIENT_H, STATUS_H = layout.CLIENT_W, layout.CLIENT_H, layout.STATUS_H
DEMO = [36, 4, 84, 4, 36, 4, 84, 4, 20, 4, 68, 4, 52, 4, 100, 4]
FRAME = bytes([0x74] + DEMO)
STEP_GAP_MS = 100
# A loaded build machine delays single reads; the robot only needs the bytes
# apart, so each gap is checked against half the step and the median against
# the step itself.
MIN_GAP_MS = 50
SILVER = (192, 192, 192)
# Client coordinates (tests/ui/layout.json) of the silver group boxes
# (x, y, w, h) and of palette icons (number, x, y) checked in the screenshot.
SILVER_BOXES = [layout.GROUP_BOXES[name] for name in ("GroupBox1", "GroupBox3", "GroupBox4", "GroupBox7")]
PALETTE_ICONS = [(number,) + layout.PALETTE[number][:2] for number in (2, 4, 31)]
ICON_W, ICON_H = 50, 72


class Failures(list):
    def check(self, ok, message):
        if not ok:
            self.append(message)
            print("FAIL: " + message, flush=True)
        return ok


def log(message):
    print(f"window stage: {message}", flush=True)


def wait_for(predicate, timeout, step=0.2):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return None


class FarEnd:
    """COM1's far end: records what arrives, with the time it arrived."""

    def __init__(self, link):
        self.master, self.slave = pty.openpty()
        tty.setraw(self.slave)
        temporary = f"{link}.{os.getpid()}"
        os.symlink(os.ttyname(self.slave), temporary)
        os.replace(temporary, link)  # never a missing or half-made link
        self.received = []  # (seconds, byte)
        self.done = threading.Event()
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    def serve(self):
        while not self.done.is_set():
            ready, _, _ = select.select([self.master], [], [], 0.05)
            if not ready:
                continue
            now = time.monotonic()
            try:
                chunk = os.read(self.master, 4096)
            except OSError:
                continue
            self.received.extend((now, b) for b in chunk)

    def stop(self):
        self.done.set()
        self.thread.join()


def read_ppm(path):
    """(width, height, bytes of RGB rows top to bottom) of a binary PPM."""
    data = open(path, "rb").read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError(f"{path}: not an 8-bit binary PPM")
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def read_bmp(path):
    """Rows top to bottom of (r, g, b) of a 24-bit BMP."""
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) & ~3
    rows = []
    for r in range(abs(height)):
        row = data[offset + r * stride: offset + r * stride + width * 3]
        rows.append([(row[i + 2], row[i + 1], row[i]) for i in range(0, width * 3, 3)])
    return rows[::-1] if height > 0 else rows


class Stage:
    def __init__(self, args):
        self.args = args
        self.failures = Failures()
        self.prefix = os.path.abspath(args.wineprefix)
        self.install_dir = os.path.join(self.prefix, "drive_c", "Program Files", "vk47")
        self.start_menu = os.path.join(self.prefix, "drive_c", "ProgramData", "Microsoft", "Windows",
                                       "Start Menu", "Programs", START_MENU_ENTRY)
        self.settings_dir = os.path.join(os.path.abspath(args.home), "PT-36Temp")
        # Nothing of the desktop running the stage (tests/isolation.py): Wine
        # and the window get no session bus, display or locale of its own.
        self.env = isolation.environment(os.path.abspath(args.home), WINEPREFIX=self.prefix,
                                         WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        self.xvfb = None
        self.app = None

    # --- processes -------------------------------------------------------
    def start_x(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"], pass_fds=[write_fd],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        self.env["DISPLAY"] = ":" + number
        log(f"Xvfb on :{number}")

    def wine(self, *args, timeout=300):
        # Output through a file, not a pipe: Wine's services, started by the
        # first program, inherit it and would hold a pipe open for ever.
        with tempfile.TemporaryFile() as out:
            result = subprocess.run(["wine", *args], env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=subprocess.STDOUT, timeout=timeout)
            out.seek(0)
            result.stdout = out.read()
        return result

    def xdo(self, *args):
        # --sync waits for an event that Wine may never send without a window
        # manager; the step goes on after the time-out.
        try:
            out = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=20)
        except subprocess.TimeoutExpired:
            return ""
        return out.stdout.strip()

    def stop(self):
        if self.app and self.app.poll() is None:
            self.app.kill()
            self.app.wait()
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()

    # --- steps -----------------------------------------------------------
    def install(self):
        started = time.monotonic()
        result = self.wine(self.args.installer, "/S")
        self.failures.check(result.returncode == 0, f"installer /S ended with {result.returncode}")
        for name in ["vk47.exe", "vk47ctl.exe", "uninstall.exe", "qt.conf", os.path.join("Img", "31.bmp"),
                     os.path.join("Help", "index.html"), os.path.join("translations", "qtbase_ja.qm"),
                     os.path.join("translations", "vk47_kana.qm"), os.path.join("Img", "kana", "31.bmp"),
                     os.path.join("licenses", "Qt.txt")]:
            self.failures.check(os.path.isfile(os.path.join(self.install_dir, name)), f"not installed: {name}")
        self.failures.check(os.path.isfile(self.start_menu), "no Start-menu entry " + START_MENU_ENTRY)
        query = self.wine("reg", "query", UNINSTALL_KEY, "/v", "QuietUninstallString")
        self.failures.check(b"uninstall.exe" in query.stdout and b"/S" in query.stdout,
                            "no uninstall entry with a quiet uninstall string")
        log(f"installed in {time.monotonic() - started:.1f} s")

    def pupil_files(self):
        """set.ini (the close question off, so Ctrl+Q ends at once) and a program."""
        os.makedirs(self.settings_dir, exist_ok=True)
        with open(os.path.join(self.settings_dir, "set.ini"), "w", newline="\r\n") as f:
            f.write("[editor]\nconfirmexit=0\n")
        with open(os.path.join(self.settings_dir, "たろう.pt3"), "wb") as f:
            f.write(b"".join(b"%d\r\n" % c for c in DEMO))

    def start_app(self):
        started = time.monotonic()
        exe = os.path.join(self.install_dir, "vk47.exe")
        self.app = subprocess.Popen(["wine", exe], env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def window():
            out = self.xdo("search", "--onlyvisible", "--name", TITLE)
            return out.split()[0] if out else None

        self.window = wait_for(window, timeout=90)
        if not self.window:
            raise RuntimeError("the window " + TITLE + " did not appear within 90 s")
        time.sleep(3)  # first paint, fonts
        log(f"window up in {time.monotonic() - started:.1f} s")

    def geometry(self):
        out = self.xdo("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=", 1) for line in out.splitlines())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def check_screenshot(self):
        x, y, w, h = self.geometry()
        log(f"window at {x},{y} size {w}x{h}")
        self.failures.check(w == CLIENT_W, f"window {w} pixels wide, expected the client area's {CLIENT_W}")
        self.failures.check(h >= CLIENT_H + STATUS_H, f"window {h} pixels high, too low for the client area")
        png = self.args.screenshot
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", png], env=self.env,
                       check=True)
        with tempfile.TemporaryDirectory() as tmp:
            ppm = os.path.join(tmp, "screen.ppm")
            subprocess.run(["convert", png, ppm], check=True)
            width, _, pixels = read_ppm(ppm)
        # The client area sits above the status bar, below the menu bar.
        ox, oy = x + w - CLIENT_W, y + h - CLIENT_H - STATUS_H

        def pixel(cx, cy):
            i = ((oy + cy) * width + ox + cx) * 3
            return tuple(pixels[i:i + 3])

        for bx, by, bw, bh in SILVER_BOXES:
            # Inside the box, right of the palette icons and below the caption.
            spot = pixel(bx + bw - 6, by + bh - 6)
            self.failures.check(spot == SILVER, f"group box at {bx},{by}: {spot} inside, expected {SILVER}")
        for number, ix, iy in PALETTE_ICONS:
            bmp = read_bmp(os.path.join(self.install_dir, "Img", f"{number}.bmp"))
            transparent = bmp[-1][0]
            drawn = [(c, r) for r in range(ICON_H) for c in range(ICON_W) if bmp[r][c] != transparent]
            same = sum(pixel(ix + c, iy + r) == bmp[r][c] for c, r in drawn)
            share = same / max(1, len(drawn))
            self.failures.check(share > 0.95, f"palette icon {number}: {share:.0%} of its pixels on screen")
        log(f"screenshot {png} checked")

    def transfer(self, far_end):
        self.xdo("windowfocus", "--sync", self.window)
        self.xdo("key", "--clearmodifiers", "ctrl+d")
        time.sleep(1)
        self.xdo("key", "--clearmodifiers", "ctrl+t")
        if not wait_for(lambda: len(far_end.received) >= len(FRAME), timeout=30):
            self.failures.check(False, f"{len(far_end.received)} bytes on COM1 within 30 s, "
                                       f"expected {len(FRAME)}")
            return
        time.sleep(0.5)  # anything after the frame would be a fault too
        data = bytes(b for _, b in far_end.received)
        self.failures.check(data == FRAME, f"COM1 got {data.hex(' ')}, expected {FRAME.hex(' ')}")
        times = [t for t, _ in far_end.received[:len(FRAME)]]
        gaps = [(b - a) * 1000 for a, b in zip(times, times[1:])]
        log("gaps (ms): " + " ".join(f"{g:.0f}" for g in gaps))
        self.failures.check(min(gaps) >= MIN_GAP_MS, f"two bytes {min(gaps):.0f} ms apart")
        median = sorted(gaps)[len(gaps) // 2]
        self.failures.check(STEP_GAP_MS - 1 <= median <= STEP_GAP_MS + 50, f"median gap {median:.0f} ms")

    def close(self):
        self.xdo("windowfocus", "--sync", self.window)
        self.xdo("key", "--clearmodifiers", "ctrl+q")
        try:
            status = self.app.wait(timeout=30)
            self.failures.check(status == 0, f"vk47.exe ended with {status}")
        except subprocess.TimeoutExpired:
            self.failures.check(False, "vk47.exe still running 30 s after Ctrl+Q")

    def uninstall(self):
        started = time.monotonic()
        # The uninstaller copies itself to the temporary folder and returns at
        # once; the copy removes the files.
        self.wine(os.path.join(self.install_dir, "uninstall.exe"), "/S")
        gone = wait_for(lambda: not os.path.exists(self.install_dir), timeout=60)
        self.failures.check(gone, "install folder still there 60 s after uninstall /S: "
                            + " ".join(sorted(os.listdir(self.install_dir)) if not gone else []))
        self.failures.check(not os.path.exists(self.start_menu), "Start-menu entry still there")
        query = self.wine("reg", "query", UNINSTALL_KEY)
        self.failures.check(query.returncode != 0, "uninstall entry still in the registry")
        for name in ["set.ini", "たろう.pt3"]:
            self.failures.check(os.path.isfile(os.path.join(self.settings_dir, name)),
                                f"the pupil's {name} is gone")
        log(f"uninstalled in {time.monotonic() - started:.1f} s")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--installer", required=True)
    parser.add_argument("--wineprefix", required=True)
    parser.add_argument("--home", required=True)
    parser.add_argument("--com1-link", required=True)
    parser.add_argument("--screenshot", required=True)
    args = parser.parse_args()

    stage = Stage(args)
    started = time.monotonic()
    far_end = None
    try:
        stage.start_x()
        stage.install()
        if os.path.isfile(os.path.join(stage.install_dir, "vk47.exe")):
            stage.pupil_files()
            far_end = FarEnd(args.com1_link)
            stage.start_app()
            stage.check_screenshot()
            stage.transfer(far_end)
            stage.close()
        stage.uninstall()
    except Exception as error:  # a step that cannot go on: report, then clean up
        stage.failures.check(False, f"{type(error).__name__}: {error}")
    finally:
        if far_end:
            far_end.stop()
        stage.stop()
        if os.path.exists(stage.install_dir):
            shutil.rmtree(stage.install_dir, ignore_errors=True)  # the next run starts clean
    log(f"{time.monotonic() - started:.0f} s; "
        + ("all checks passed" if not stage.failures else f"{len(stage.failures)} failed"))
    return 1 if stage.failures else 0


if __name__ == "__main__":
    sys.exit(main())

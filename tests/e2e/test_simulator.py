"""End-to-end test of the simulator window under Xvfb: the demo is loaded,
制御 > シミュレーション opens the simulator beside the main window, it runs
at x4, and a screenshot shows the path on the floor and the running step's
slot framed in the main window. On a school laptop's 1366 x 768 or
1280 x 800 screen, F5 opens it beside the main window, both wholly on the
screen.

Set VK47_E2E_SHOT_DIR to keep the screenshots."""

import os
import shutil
import subprocess
import sys
import time
import unittest

from harness import Session, layout

BIN = os.environ["VK47_BIN"]
SCREEN = "1920x1080x24"

# The slot frame's colour and the path's, as the simulator draws them.
MARK = (0x8e, 0x24, 0xaa)  # sim/floor_marks.h kRunningStepColour


def slot_rect(k):
    """Slot k's picture in client coordinates: left, top, width, height."""
    return layout.SLOTS[k]


class Screenshot:
    """The root window as RGB rows, read through ImageMagick's PPM output."""

    def __init__(self, path):
        data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                              capture_output=True).stdout
        fields, rest = [], data
        while len(fields) < 4:  # P6, width, height, maxval; comments not written
            rest = rest.lstrip()
            end = min(i for i in (rest.find(b" "), rest.find(b"\n")) if i >= 0)
            fields.append(rest[:end])
            rest = rest[end:]
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = rest[1:]

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.pixels[i:i + 3])

    def count(self, rect, test):
        x, y, w, h = rect
        return sum(1 for yy in range(max(y, 0), min(y + h, self.height))
                   for xx in range(max(x, 0), min(x + w, self.width)) if test(self.pixel(xx, yy)))


def is_mark(p):
    return all(abs(a - b) < 30 for a, b in zip(p, MARK))


def is_path(p):
    # The path's blue, also where it shows through the robot's body.
    return p[2] >= 150 and p[2] - p[0] >= 45


def overlap(a, b):
    ax, ay, aw, ah = a
    bx, by, bw, bh = b
    return ax < bx + bw and bx < ax + aw and ay < by + bh and by < ay + ah


class SmallScreenTest(unittest.TestCase):
    def test_f5_opens_the_simulator_beside_the_main_window(self):
        for width, height in ((1366, 768), (1280, 800)):
            with self.subTest(screen=f"{width}x{height}"):
                self.check_screen(width, height)

    def check_screen(self, width, height):
        s = Session(BIN, screen=f"{width}x{height}x24").start(with_robot=False)
        self.addCleanup(s.stop)
        s.focus_main()
        s.key("F5")
        sim = s.find_window("^シミュレーション$")
        time.sleep(0.5)
        main_rect, sim_rect = s.geometry(s.window), s.geometry(sim)
        for x, y, w, h in (main_rect, sim_rect):
            self.assertTrue(x >= 0 and y >= 0 and x + w <= width and y + h <= height, (main_rect, sim_rect))
        self.assertFalse(overlap(main_rect, sim_rect), (main_rect, sim_rect))
        keep = os.environ.get("VK47_E2E_SHOT_DIR")
        if keep:
            s.screenshot(os.path.join(keep, f"simulator-{width}x{height}.png"))
        # F5 again from the main window: the same simulator, nothing moves.
        s.focus_main()
        s.key("F5")
        time.sleep(0.5)
        out = s.xdo("search", "--onlyvisible", "--name", "^シミュレーション$", check=False)
        self.assertEqual(out.split(), [sim])
        self.assertEqual(s.geometry(sim), sim_rect)
        self.assertEqual(s.geometry(s.window), main_rect)


class SimulatorWindowTest(unittest.TestCase):
    def setUp(self):
        self.s = Session(BIN, screen=SCREEN).start(with_robot=False)  # room for both windows
        self.addCleanup(self.s.stop)
        self.s.focus_main()

    def open_simulator(self):
        """制御 (the third menu) > シミュレーション (its third item), by keys."""
        self.s.focus_main()
        self.s.key("alt")
        time.sleep(0.2)
        self.s.key("Right", "Right", "Down")
        time.sleep(0.2)
        self.s.key("Down", "Down", "Return")
        return self.s.find_window("^シミュレーション$")

    def marked_slots(self, shot):
        """Per slot, the share of its surrounding 4-pixel ring in the mark's colour."""
        shares = []
        for k in range(16):
            left, top, w, h = slot_rect(k)
            x, y = self.s.screen_point(left, top)
            ring = (x - 4, y - 4, w + 8, h + 8)
            inside = shot.count((x, y, w, h), is_mark)
            total = (w + 8) * (h + 8) - w * h
            shares.append((shot.count(ring, is_mark) - inside) / total)
        return shares

    def test_demo_at_x4_draws_the_path_and_frames_the_running_step(self):
        self.s.key("ctrl+d")
        time.sleep(1.5)  # the demo loads step by step
        sim = self.open_simulator()
        sx, sy, sw, sh = self.s.geometry(sim)
        mx, my, mw, mh = self.s.geometry(self.s.window)
        self.assertTrue(sx >= mx + mw or sx + sw <= mx, "the simulator covers the main window")

        self.s.xdo("windowfocus", "--sync", sim, check=False)
        time.sleep(0.2)
        self.s.key("4")  # x4
        self.s.key("s")  # スタート
        # The demo lasts 16 s, 4 s at x4: look while steps 6 to 9 run.
        time.sleep(2.0)
        path = os.path.join(self.s.home, "simulator.png")
        self.s.screenshot(path)
        keep = os.environ.get("VK47_E2E_SHOT_DIR")
        if keep:
            shutil.copy(path, os.path.join(keep, "simulator.png"))
        shot = Screenshot(path)

        # The path: the demo's 10 cm line and a pivot's arc, 3 pixels wide.
        self.assertGreater(shot.count((sx, sy, sw, sh), is_path), 150)

        # One slot, one of the steps that run at that moment, is framed.
        shares = self.marked_slots(shot)
        framed = [k for k, share in enumerate(shares) if share > 0.5]
        self.assertEqual(len(framed), 1, shares)
        self.assertIn(framed[0], range(5, 12), shares)
        # A neighbour in the column shares the few pixels between the two slots.
        self.assertTrue(all(share < 0.3 for k, share in enumerate(shares) if k != framed[0]), shares)

        # At the end the frame goes; the path stays.
        time.sleep(3.0)
        self.s.screenshot(path)
        if keep:
            shutil.copy(path, os.path.join(keep, "simulator-end.png"))
        shot = Screenshot(path)
        self.assertTrue(all(share < 0.05 for share in self.marked_slots(shot)))
        self.assertGreater(shot.count((sx, sy, sw, sh), is_path), 150)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)

#!/usr/bin/env python3
"""Checks an installed vk47: a tree from `cmake --install` or the Debian
package in /usr.

    installed_app_test.py PREFIX [--screenshot FILE]

The window is started as its menu entry starts it (the Exec command of the
desktop entry, found in PREFIX/bin), under Xvfb with a virtual robot. The
screenshot must show every palette picture as the installed Img/ holds it,
which holds only when the window found its application folder through the
bin/vk47 link; the demo program must reach the robot. The command-line tools
must run from PREFIX/bin, and the help page must be beside the window.
"""
import argparse
import configparser
import glob
import gzip
import struct
import xml.etree.ElementTree as ElementTree
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import Session, layout, run, wait_for  # noqa: E402

parser = argparse.ArgumentParser()
parser.add_argument("prefix")
parser.add_argument("--screenshot", help="keep the screenshot in this file")
parser.add_argument("--desktop-entry", help="the menu entry (default: the one in PREFIX/share/applications)")
ARGS, rest = parser.parse_known_args()
sys.argv[1:] = rest
PREFIX = os.path.abspath(ARGS.prefix)
BIN = os.path.join(PREFIX, "bin")

DEMO = [36, 4, 84, 4, 36, 4, 84, 4, 20, 4, 68, 4, 52, 4, 100, 4]
# Client position of each palette picture (tests/ui/layout.json).
PALETTE = layout.PALETTE
ICON_W, ICON_H = 50, 72


def read_ppm(path):
    """Width, height and RGB bytes of a binary PPM (P6, maxval 255)."""
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and fields[3] == b"255", fields
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def as_ppm(source, folder):
    target = os.path.join(folder, os.path.basename(source) + ".ppm")
    run("convert", source, "-depth", "8", target)
    return read_ppm(target)


def desktop_exec(prefix):
    """The program that the menu entry starts, and its arguments."""
    entries = [ARGS.desktop_entry] if ARGS.desktop_entry else \
        glob.glob(os.path.join(prefix, "share", "applications", "*.desktop"))
    assert len(entries) == 1, entries
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(entries[0], encoding="utf-8")
    return entry["Desktop Entry"]["Exec"].split()


class InstalledAppTest(unittest.TestCase):
    def test_tools_run_from_the_tree(self):
        version = run(os.path.join(BIN, "vk47ctl"), "--version").stdout
        self.assertRegex(version, r"^vk47ctl \d+\.\d+\.\d+\n$")
        robot = run(os.path.join(BIN, "vk47-robot"), "--version").stdout
        self.assertEqual(robot.split()[1], version.split()[1])
        if os.environ.get("VK47_VERSION"):  # the project's version, from CMake
            self.assertEqual(version.split()[1], os.environ["VK47_VERSION"])
        home = tempfile.mkdtemp(prefix="vk47-installed-")
        self.addCleanup(shutil.rmtree, home, True)
        demo = run(os.path.join(BIN, "vk47ctl"), "demo", env=dict(os.environ, HOME=home)).stdout
        self.assertEqual(len(demo.splitlines()), 16)

    def test_icon_theme_has_every_size(self):
        theme = os.path.join(PREFIX, "share", "icons", "hicolor")
        for size in (48, 64, 128, 256):
            with open(os.path.join(theme, "%dx%d" % (size, size), "apps", "vk47.png"), "rb") as f:
                header = f.read(26)
            self.assertEqual(header[:8], b"\x89PNG\r\n\x1a\n")
            width, height, depth, colour = struct.unpack(">IIBB", header[16:26])
            self.assertEqual((width, height, depth, colour), (size, size, 8, 6), "RGBA, %d px" % size)
        svg = ElementTree.parse(os.path.join(theme, "scalable", "apps", "vk47.svg")).getroot()
        self.assertEqual(svg.tag, "{http://www.w3.org/2000/svg}svg")
        self.assertEqual(svg.get("viewBox"), "0 0 256 256")

    def test_manual_pages_are_compressed_and_clean(self):
        for name in ("vk47", "vk47ctl", "vk47-robot"):
            with self.subTest(page=name):
                path = os.path.join(PREFIX, "share", "man", "man1", name + ".1.gz")
                with gzip.open(path, "rt", encoding="utf-8") as f:
                    self.assertTrue(f.read().startswith(".TH "))
                if shutil.which("man"):
                    out = run("man", "--warnings", "-l", path, env=dict(os.environ, MANWIDTH="80",
                                                                         LC_ALL="C.UTF-8"))
                    self.assertEqual(out.stderr, "")
                    self.assertIn("NAME", out.stdout)

    def test_help_page_is_in_the_application_folder(self):
        folder = os.path.dirname(os.path.realpath(os.path.join(BIN, "vk47")))
        page = os.path.join(folder, "Help", "index.html")
        self.assertTrue(os.path.isfile(page), page)
        with open(page, encoding="utf-8") as f:
            self.assertIn('src="../Img/2.bmp"', f.read())

    def test_hiragana_catalogue_and_icons_are_in_the_application_folder(self):
        folder = os.path.dirname(os.path.realpath(os.path.join(BIN, "vk47")))
        with open(os.path.join(folder, "translations", "vk47_kana.qm"), "rb") as f:
            self.assertEqual(f.read(16), bytes.fromhex("3cb86418caef9c95cd211cbf60a1bddd"), "a Qt catalogue")
        for number in PALETTE:
            self.assertTrue(os.path.isfile(os.path.join(folder, "Img", "kana", "%d.bmp" % number)), number)
        # The window's version needs no display.
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        self.assertEqual(run(os.path.join(BIN, "vk47"), "--version", env=env).stdout.split()[0], "vk47")

    def test_window_from_the_menu_command_shows_the_palette_and_sends(self):
        command = desktop_exec(PREFIX)
        self.assertEqual(command, ["vk47"], "the window takes no argument")
        self.assertTrue(os.path.islink(os.path.join(BIN, "vk47")), "bin/vk47 is a link")
        session = Session(BIN)
        # Only the installed programs on the path, as the menu would find them.
        session.env["PATH"] = BIN + os.pathsep + session.env.get("PATH", "")
        session.start()
        self.addCleanup(session.stop)
        time.sleep(0.5)  # the start-up pause and the first paint
        shot = os.path.join(session.home, "screen.png")
        session.screenshot(shot)
        if ARGS.screenshot:
            shutil.copyfile(shot, ARGS.screenshot)
        self.assertEqual(session.xdo("search", "--onlyvisible", "--name", "警告", check=False), "",
                         "start-up showed the error box: " + session.app_output())

        width, _, screen = as_ppm(shot, session.home)
        img_dir = os.path.join(os.path.dirname(os.path.realpath(os.path.join(BIN, "vk47"))), "Img")
        icons = {n: as_ppm(os.path.join(img_dir, "%d.bmp" % n), session.home) for n in PALETTE}

        def drawn_pixels(number):
            w, h, icon = icons[number]
            transparent = icon[(h - 1) * w * 3:(h - 1) * w * 3 + 3]
            for y in range(h):
                for x in range(w):
                    pixel = icon[(y * w + x) * 3:(y * w + x) * 3 + 3]
                    if pixel != transparent:
                        yield x, y, pixel

        def match(number, left, top, step=1):
            pixels = list(drawn_pixels(number))[::step]
            same = sum(screen[((top + y) * width + left + x) * 3:((top + y) * width + left + x) * 3 + 3]
                       == pixel for x, y, pixel in pixels)
            return same / len(pixels), len(pixels)

        def place(number, origin):
            x, y, _, _ = PALETTE[number]
            return origin[0] + x, origin[1] + y

        # The client area's origin as the window manager reports it, corrected
        # by the best fit of one icon (menu and status bars shift it).
        ox, oy = session.client_origin()
        offsets = [(dx, dy) for dy in range(-40, 41) for dx in range(-8, 9)]
        dx, dy = max(offsets, key=lambda d: match(2, *place(2, (ox + d[0], oy + d[1])), step=5)[0])
        origin = (ox + dx, oy + dy)
        for number in PALETTE:
            with self.subTest(icon=number):
                self.assertEqual(icons[number][:2], (ICON_W, ICON_H))
                share, drawn = match(number, *place(number, origin))
                self.assertGreater(drawn, 200)
                self.assertGreaterEqual(share, 0.95, "icon %d is not on the screen" % number)

        session.focus_main()
        session.key("ctrl+d")
        time.sleep(0.5)
        session.key("ctrl+t")
        frames = session.robot_frames(1, timeout=15)
        self.assertEqual(frames[0]["values"], [0x74] + DEMO)


if __name__ == "__main__":
    unittest.main(verbosity=2)

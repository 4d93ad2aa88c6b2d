"""End-to-end tests of the teacher's tools in the real window under Xvfb:
制御 > クラスに転送… against three virtual robots and one missing device,
and the program sheet through ファイル > PDF に書き出す… and 印刷… (Ctrl+P).

COM1..COM4 are mapped in set.ini to /dev/ttyUSB0..3 (never to a built-in
port), and the class test is skipped on a machine with USB serial adapters,
which the dialog would find and check: it never writes to a real device. Set VK47_E2E_SHOT_DIR to
keep the screenshots."""

import glob
import json
import os
import shutil
import subprocess
import sys
import time
import unittest

from harness import Session, wait_for

BIN = os.environ["VK47_BIN"]
DEMO = [36, 4, 84, 4, 36, 4, 84, 4, 20, 4, 68, 4, 52, 4, 100, 4]


def keep(session, path, name):
    folder = os.environ.get("VK47_E2E_SHOT_DIR")
    if folder:
        shutil.copy(path, os.path.join(folder, name))


class TeacherTest(unittest.TestCase):
    def setUp(self):
        self.s = Session(BIN, screen="1280x800x24")
        self.addCleanup(self.s.stop)
        os.makedirs(self.s.settings_dir)
        with open(self.s.ini, "w") as f:
            f.write("[comport]\r\nname=0\r\n[devices]\r\n")
            for n in range(1, 5):
                f.write("com%d=/dev/ttyUSB%d\r\n" % (n, n - 1))

    def load_demo(self):
        """Ctrl+D, then waits for the caption to show the changed program."""
        self.s.focus_main()
        self.s.key("ctrl+d")
        wait_for(lambda: "*" in self.s.xdo("getwindowname", self.s.window), what="the demo")
        time.sleep(0.2)

    def menu_last_item(self, index):
        """Opens the index-th menu of the menu bar and picks its last item
        (Up from the first item wraps round to the last)."""
        self.s.focus_main()
        self.s.key("alt")
        time.sleep(0.2)
        if index:
            self.s.key(*["Right"] * index)
        self.s.key("Down")
        time.sleep(0.2)
        self.s.key("Up", "Return")

    def test_class_send_reaches_three_robots_at_once_and_names_the_missing_one(self):
        if glob.glob("/dev/ttyUSB*") + glob.glob("/dev/ttyACM*"):
            self.skipTest("this machine has USB serial adapters, which the class dialog would send to")
        records = os.path.join(self.s.home, "robots.json")
        robots = subprocess.Popen([os.path.join(BIN, "vk47-robot"), "--count", "3", "--json", records],
                                  env=self.s.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.addCleanup(lambda: (robots.terminate(), robots.wait(), robots.stdout.close()))
        devices = [robots.stdout.readline().strip() for _ in range(3)]
        self.assertTrue(all(d.startswith("/dev/pts/") for d in devices), devices)
        self.s.start(with_robot=False)
        self.load_demo()
        self.menu_last_item(2)  # 制御 > クラスに転送…
        dialog = self.s.find_window("^クラスに転送$")
        self.s.xdo("windowactivate", "--sync", dialog, check=False)
        self.s.xdo("windowfocus", "--sync", dialog, check=False)
        time.sleep(0.3)
        # COM1 has the focus and no check (its device is missing): check it,
        # then Return presses 転送, the dialog's default button.
        self.s.key("space")
        time.sleep(0.2)
        started = time.monotonic()
        self.s.key("Return")

        def received():
            if not os.path.exists(records):
                return None
            with open(records) as f:
                try:
                    record = json.load(f)
                except ValueError:
                    return None
            frames = [r["frames"] for r in record]
            return frames if all(len(f) >= 1 for f in frames) else None
        frames = wait_for(received, timeout=15, step=0.02, what="three robots' transfers")
        took = time.monotonic() - started
        for robot in frames:
            self.assertEqual(robot[0]["kind"], "transfer")
            self.assertEqual(robot[0]["values"], [0x74] + DEMO)
        # About one transfer's time (1.7 s), not four; loose for a loaded machine.
        self.assertLess(took, 5.0)

        # The title then counts the robots that got the whole program.
        wait_for(lambda: "(3/4)" in self.s.xdo("getwindowname", dialog, check=False), timeout=10,
                 what="the summary in the title")
        time.sleep(0.3)
        shot = os.path.join(self.s.home, "class.png")
        self.s.screenshot(shot)
        keep(self.s, shot, "class-send.png")
        print("class send of 4 ports (3 robots): %.2f s" % took, file=sys.stderr)

        self.s.key("Escape")  # closes the dialog once it is done
        self.s.window_gone(dialog)

    def test_sheet_from_the_file_menu(self):
        self.s.start(with_robot=False)
        self.load_demo()
        pdf = os.path.join(self.s.home, "demo-sheet.pdf")
        self.menu_last_item(0)  # ファイル > PDF に書き出す…
        dialog = self.s.find_window("PDF に書き出す")
        time.sleep(0.3)
        self.s.focus_window(dialog)
        self.s.key("ctrl+a")
        self.s.type_text(pdf)
        self.s.key("Return")
        self.s.window_gone(dialog)
        wait_for(lambda: os.path.exists(pdf), what="the PDF")
        text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True).stdout
        self.assertIn("無題", text)
        self.assertEqual(text.count("待つ 1秒"), 8)
        page = os.path.join(self.s.home, "sheet")
        subprocess.run(["pdftoppm", "-png", "-r", "80", "-singlefile", pdf, page], check=True)
        keep(self.s, page + ".png", "sheet.png")

        # Ctrl+P opens the print dialog; Escape prints nothing.
        self.s.focus_main()
        self.s.key("ctrl+p")
        printer = self.s.find_window("印刷")
        time.sleep(0.3)
        self.s.key("Escape")
        self.s.window_gone(printer)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)

"""End-to-end tests of the real vk47 window under Xvfb, driven with xdotool,
sending to the virtual robot on a pseudo-terminal."""

import json
import os
import signal
import sys
import termios
import time
import unittest

from harness import Session, layout, pacing, wait_for

BIN = os.environ["VK47_BIN"]
DEMO = [36, 4, 84, 4, 36, 4, 84, 4, 20, 4, 68, 4, 52, 4, 100, 4]


# Where the tests point, in client coordinates (tests/ui/layout.json).
def slot_point(k):
    """Centre of step slot k's picture, in client coordinates."""
    return layout.centre(layout.SLOTS[k])


def value_label_point(k):
    """Centre of step slot k's cyan value label, in client coordinates."""
    return layout.centre(layout.VALUE_LABELS[k])


track_point = layout.track_point


def palette_point(number):
    x, y, _, _ = layout.PALETTE[number]
    return x + 25, y + 30


class WindowTest(unittest.TestCase):
    def setUp(self):
        self.s = Session(BIN, trace_writes=True).start()
        self.addCleanup(self.s.stop)
        self.s.focus_main()

    # --- steps ---------------------------------------------------------------
    def load_demo(self):
        """Ctrl+D, then waits for the caption to show the changed program (a
        busy machine may take longer than any fixed pause)."""
        self.s.key("ctrl+d")
        wait_for(lambda: "*" in self.s.xdo("getwindowname", self.s.window), what="the demo")
        time.sleep(0.2)

    def menu(self, index, down=0):
        """Opens the index-th menu of the menu bar with the keyboard and picks
        its item number `down`."""
        self.s.focus_main()
        self.s.key("alt")
        time.sleep(0.2)
        if index:
            self.s.key(*["Right"] * index)
        self.s.key("Down")
        time.sleep(0.2)
        if down:
            self.s.key(*["Down"] * down)
        self.s.key("Return")

    def set_track(self, position):
        x0, y = track_point(0)
        self.s.drag_client((x0, y), track_point(position), steps=4)

    def file_dialog(self, title, path):
        dialog = self.s.find_window(title)
        time.sleep(0.3)
        # A late focus_main (the retried Ctrl+S) may have taken the keyboard.
        self.s.focus_window(dialog)
        self.s.key("ctrl+a")
        self.s.type_text(path)
        self.s.key("Return")
        self.s.window_gone(dialog)

    def save(self, path):
        self.s.focus_main()
        self.s.key("ctrl+s")
        try:
            self.s.find_window("名前を付けて保存", timeout=5)
        except AssertionError:
            # On a loaded machine a drag may still be ending, and its loop
            # takes the key; once it has ended the key opens the dialog.
            self.s.focus_main()
            self.s.key("ctrl+s")
        self.file_dialog("名前を付けて保存", path)
        try:
            wait_for(lambda: os.path.exists(path), what="saved file")
        except AssertionError:
            # Say where the save went instead: the caption names the file.
            caption = self.s.xdo("getwindowname", self.s.window, check=False)
            raise AssertionError("%s not saved; the window says %r" % (path, caption))
        time.sleep(0.2)
        with open(path, "rb") as f:
            return f.read()

    def saved_codes(self, name):
        data = self.save(os.path.join(self.s.home, name))
        self.assertTrue(data.endswith(b"\r\n"))
        lines = data.split(b"\r\n")[:-1]
        self.assertEqual(len(lines), 16, data)
        return [int(line) for line in lines]

    def dismiss_box(self, caption="vk47"):
        box = self.s.find_window(caption)
        self.s.key("Return")
        self.s.window_gone(box)

    # --- tests ---------------------------------------------------------------
    def test_a_drag_commands_onto_slots(self):
        self.set_track(8)
        self.s.drag_client(palette_point(2), slot_point(3))
        codes = self.saved_codes("a1.pt3")
        self.assertEqual(codes, [-1, -1, -1, 40] + [-1] * 12)

        # A second command replaces the first; releasing over a group box or
        # the track bar changes nothing.
        self.s.drag_client(palette_point(31), slot_point(3))
        self.s.drag_client(palette_point(2), (100, 300))
        self.s.drag_client(palette_point(2), track_point(12))
        self.s.screenshot(os.path.join(self.s.home, "after.png"))
        codes = self.saved_codes("a2.pt3")
        self.assertEqual(codes, [-1, -1, -1, 208] + [-1] * 12)

    def test_b_demo_transfer_and_execute(self):
        self.load_demo()
        self.s.key("ctrl+t")
        frames = self.s.robot_frames(1, timeout=10)
        self.assertEqual(frames[0]["kind"], "transfer")
        self.assertEqual(frames[0]["values"], [0x74] + DEMO)
        # The window's own writes keep the pace; the robot's stamps only
        # show that no wait went missing.
        pacing.check_sender(pacing.sender_writes(self.s.app_writes, self.s.robot_device), [0x74] + DEMO)
        pacing.check_reader(frames[0]["gaps_ms"][1:])
        time.sleep(0.5)
        self.s.focus_main()
        self.s.key("ctrl+r")
        frames = self.s.robot_frames(2)
        self.assertEqual(frames[1]["kind"], "execute")
        self.assertEqual(frames[1]["values"], [0x78])
        self.assertEqual(self.saved_codes("b.pt3"), DEMO)

    def test_c_save_then_refuse_a_short_file(self):
        self.load_demo()
        data = self.save(os.path.join(self.s.home, "demo.pt3"))
        self.assertEqual(data, b"".join(b"%d\r\n" % c for c in DEMO))

        short = os.path.join(self.s.home, "short.pt3")
        with open(short, "wb") as f:
            f.write(b"".join(b"36\r\n" for _ in range(15)))
        self.s.focus_main()
        self.s.key("ctrl+o")
        self.file_dialog("ファイルを開く", short)
        self.dismiss_box()
        self.assertEqual(self.saved_codes("c.pt3"), DEMO)

        # The program is the one just saved: Ctrl+Q closes at once.
        self.s.focus_main()
        self.s.key("ctrl+q")
        self.assertEqual(self.s.wait_app_exit(), 0)

    def test_d_port_dialog_writes_the_index(self):
        self.menu(3)  # 設定 > RS-232Cポートの設定
        dialog = self.s.find_window("RS-232Cポートの設定")
        x, y, _, _ = self.s.geometry(dialog)
        self.s.xdo("mousemove", "--sync", str(x + 187), str(y + 69), "click", "1")
        time.sleep(0.2)
        self.s.xdo("mousemove", "--sync", str(x + 109), str(y + 196), "click", "1")
        self.s.window_gone(dialog)
        with open(self.s.ini, "rb") as f:
            text = f.read()
        self.assertIn(b"[comport]\r\nname=2\r\n", text)
        self.assertIn(b"[devices]", text)  # the robot's mapping is kept

    def test_e_a_vanished_robot_is_replaced_without_a_restart(self):
        self.load_demo()
        self.s.key("ctrl+t")
        self.assertEqual(self.s.robot_frames(1)[0]["values"], [0x74] + DEMO)
        # The robot goes away for good (its pseudo-terminal closes): the next
        # transfer fails, says so, and releases the dead device.
        self.s.robot.kill()
        self.s.robot.wait()
        time.sleep(0.3)
        self.s.focus_main()
        self.s.key("ctrl+t")
        self.dismiss_box()
        # A new robot is linked as com1; the next Ctrl+T reaches it whole.
        self.s.start_robot(os.path.join(self.s.home, "robot2.json"))
        self.s.focus_main()
        self.s.key("ctrl+t")
        frames = self.s.robot_frames(1)
        self.assertEqual(frames[0]["kind"], "transfer")
        self.assertEqual(frames[0]["values"], [0x74] + DEMO)

    def test_e2_a_robot_linked_over_a_running_one_gets_the_next_transfer(self):
        self.load_demo()
        self.s.key("ctrl+t")
        self.assertEqual(self.s.robot_frames(1)[0]["values"], [0x74] + DEMO)
        time.sleep(0.5)  # the transfer's last wait, during which commands are held back
        # Robot 1 runs on; robot 2 is linked as com1 over it. The window's
        # port is still open on robot 1's device, but the status bar names
        # robot 2's, and that is where the next transfer must go.
        robot1, robot1_json = self.s.robot, self.s.robot_json
        self.addCleanup(lambda: (robot1.terminate(), robot1.wait(timeout=5), robot1.stdout.close()))
        self.s.robot = None
        self.s.start_robot(os.path.join(self.s.home, "robot2.json"))
        self.s.focus_main()
        self.s.key("ctrl+t")
        frames = self.s.robot_frames(1)
        self.assertEqual(frames[0]["values"], [0x74] + DEMO)
        time.sleep(0.3)
        with open(robot1_json) as f:
            self.assertEqual(len(json.load(f)["frames"]), 1, "robot 1 got the second transfer")

    def test_f_undo_a_clear_then_transfer(self):
        self.set_track(8)
        self.s.drag_client(palette_point(2), slot_point(3))
        self.s.focus_main()
        self.s.key("ctrl+c")  # クリア, pressed out of copy habit
        time.sleep(0.3)
        self.s.key("ctrl+z")  # 元に戻す
        time.sleep(0.3)
        self.s.key("ctrl+t")
        frames = self.s.robot_frames(1, timeout=10)
        self.assertEqual(frames[0]["values"], [0x74, 0, 0, 0, 40] + [0] * 12)
        self.s.screenshot(os.path.join(self.s.home, "sent.png"))

    def test_g_closing_over_changes_asks(self):
        self.s.drag_client(palette_point(2), slot_point(0))
        self.s.focus_main()
        self.s.key("ctrl+q")
        box = self.s.find_window("vk47")
        self.s.key("Escape")  # キャンセル: the window and the program stay
        self.s.window_gone(box)
        time.sleep(0.3)
        self.assertIsNone(self.s.app_exit())
        self.assertEqual(self.saved_codes("kept.pt3")[0], 32)

        self.s.drag_client(palette_point(31), slot_point(1))
        self.s.focus_main()
        self.s.key("ctrl+q")
        self.s.find_window("vk47")
        time.sleep(0.3)
        self.s.key("Tab", "space")  # from 保存 to 保存しない
        self.assertEqual(self.s.wait_app_exit(), 0)

    def test_i_tab_leaves_the_menu_shortcuts_working(self):
        self.set_track(8)
        self.s.drag_client(palette_point(2), slot_point(3))
        self.s.drag_client(palette_point(31), slot_point(4))
        self.s.focus_main()
        self.s.key("Tab")
        self.s.key("ctrl+z")  # 元に戻す: the second drop
        time.sleep(0.3)
        self.s.key("Tab", "Tab")
        self.s.key("ctrl+t")
        frames = self.s.robot_frames(1, timeout=10)
        self.assertEqual(frames[0]["values"], [0x74, 0, 0, 0, 40] + [0] * 12)

    def test_j_a_program_composed_with_the_keyboard_alone(self):
        self.s.click_client(*slot_point(0))  # focuses it, changes nothing
        self.s.key("Return")                  # the list, 左前 highlighted
        time.sleep(0.3)
        self.s.key("Down", "Return")          # 前進 at the track bar's 0
        time.sleep(0.2)
        self.s.key("plus", "plus", "KP_Add")  # 0.75 s
        self.s.key("Down", "space")           # slot 1: 左前
        time.sleep(0.3)
        self.s.key("Return")
        time.sleep(0.2)
        self.s.key("Right", "Return")         # slot 5: 終了, the last entry
        time.sleep(0.3)
        self.s.key(*["Down"] * 14)
        self.s.key("Return")
        time.sleep(0.2)
        self.s.key("Left", "Delete")          # slot 1 emptied again
        time.sleep(0.2)
        self.s.key("ctrl+t")
        frames = self.s.robot_frames(1, timeout=10)
        self.assertEqual(frames[0]["values"], [0x74, 35, 0, 0, 0, 0, 208] + [0] * 10)
        self.s.screenshot(os.path.join(self.s.home, "keyboard.png"))

    def test_k_steps_moved_copied_removed_and_turned_in_place(self):
        self.set_track(8)
        self.s.drag_client(palette_point(2), slot_point(0))
        self.s.drag_client(slot_point(0), slot_point(5))                 # moves
        self.assertEqual(self.saved_codes("k1.pt3"), [-1] * 5 + [40] + [-1] * 10)
        self.s.drag_client(slot_point(5), slot_point(10), hold="ctrl")   # copies
        self.assertEqual(self.saved_codes("k2.pt3"), [-1] * 5 + [40] + [-1] * 4 + [40] + [-1] * 5)
        self.s.drag_client(slot_point(10), palette_point(2))             # removed
        self.s.drag_client(slot_point(5), (300, 320))                    # inside the box: kept
        self.s.wheel_client(*slot_point(5), 2)                           # 2.5 s
        self.s.wheel_client(*value_label_point(5), -1)                   # 2.25 s
        self.assertEqual(self.saved_codes("k3.pt3"), [-1] * 5 + [41] + [-1] * 10)

    def test_h_closing_an_untouched_program_asks_nothing(self):
        self.s.key("ctrl+q")
        self.assertEqual(self.s.wait_app_exit(), 0)


class WindowSignals(unittest.TestCase):
    """The window ended from outside (a logout's SIGHUP, kill's SIGTERM)
    while it holds the robot's line open gives the line its settings back:
    the 4800 and cooked it had, not the raw 9600 the window set."""

    def end_with(self, sig):
        s = Session(BIN)
        self.addCleanup(s.stop)
        s.start_x()
        s.start_robot()
        fd = os.open(s.robot_device, os.O_RDWR | os.O_NOCTTY)
        self.addCleanup(os.close, fd)
        before = termios.tcgetattr(fd)
        before[3] |= termios.ICANON | termios.ECHO
        before[4] = before[5] = termios.B4800
        termios.tcsetattr(fd, termios.TCSANOW, before)
        s.start_app()
        s.window = wait_for(s._find_main_window, timeout=60, what="main window")
        # The window opens COM1 at start-up: raw at 9600.
        wait_for(lambda: termios.tcgetattr(fd)[5] == termios.B9600, what="the window to open the line")
        self.assertFalse(termios.tcgetattr(fd)[3] & termios.ICANON)
        s.app.send_signal(sig)
        s.app.wait(timeout=10)
        self.assertEqual(s.app.returncode, -sig, "the window still ends of the signal")
        after = termios.tcgetattr(fd)
        self.assertEqual((after[4], after[5]), (termios.B4800, termios.B4800))
        self.assertTrue(after[3] & termios.ICANON)
        self.assertTrue(after[3] & termios.ECHO)

    def test_sigterm_gives_the_line_back(self):
        self.end_with(signal.SIGTERM)

    def test_sighup_gives_the_line_back(self):
        self.end_with(signal.SIGHUP)


if __name__ == "__main__":
    unittest.main(verbosity=2)

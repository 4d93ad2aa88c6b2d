#!/usr/bin/env python3
"""However a linked virtual robot ends, the mapping it replaced comes back.

Each case starts from a set.ini whose com2 is a teacher's /dev/ttyUSB5 and
links a robot as com2 (vk47-robot --link-as com2), from a fresh HOME:

- SIGKILL at start-up, while linked, in the middle of a transfer and after
  one: the next reader of the mapping (vk47ctl ports, a send) or the next
  robot on com2 puts back what the killed robot replaced, byte for byte;
- SIGTERM at the same stages: the robot puts it back itself;
- the robot's reader goes away (`| head -1`, a pipe closed in the middle of
  a transfer): the robot ends, exit 0, and puts it back; sends then go to
  the teacher's device, never "robot gone";
- 3 MB of random bytes: the robot stays under 64 MB resident, with and
  without --json, and says that it kept only the start of them;
- no folder for records (TMPDIR=/proc, no XDG_RUNTIME_DIR): the robot stops
  with a message naming the folder, before linking or printing anything;
- as root, another local account (made with useradd) squatting
  <tmp>/vk47-robot-<uid> as a folder, link, FIFO or file: the pupil's robot
  still links and receives, and leaves no folder behind.

usage: robot_ends_test.py VK47CTL VK47_ROBOT
"""
import json
import os
import pwd
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import isolation  # noqa: E402
from robot_home import RobotHome  # noqa: E402

CTL, ROBOT = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
BEFORE = b"[comport]\r\nname=1\r\n[devices]\r\ncom2=/dev/ttyUSB5\r\n\r\n; a teacher's note\r\n"
STAGES = ("linked", "mid-transfer", "after a transfer")


class RobotEnds(RobotHome):
    CTL = CTL
    PREFIX = "vk47-ends-"

    def setUp(self):
        super().setUp()
        os.makedirs(os.path.dirname(self.ini))

    def write_ini(self):
        with open(self.ini, "wb") as f:
            f.write(BEFORE)

    def read_ini(self):
        with open(self.ini, "rb") as f:
            return f.read()

    def start_robot(self, *args, env=None):
        p = subprocess.Popen([ROBOT, "--link-as", "com2", *args], env=env or self.env,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.procs.append(p)
        device = p.stdout.readline().decode().strip()
        if not device.startswith("/dev/pts/"):
            self.fail(f"robot printed {device!r}: {p.stderr.read()!r}")
        self.assertIn(f"com2={device}".encode(), self.read_ini())
        return p, device

    def ctl(self, *args):
        return subprocess.run([CTL, *args], env=self.env, capture_output=True, text=True, timeout=30)

    def reach(self, stage):
        """Brings the linked robot to `stage`; a sender still running, or None."""
        if stage == "mid-transfer":
            # Sixteen steps take 1.6 s; half a second in, the transfer is under way.
            sender = subprocess.Popen([CTL, "send", self.demo, "--port", "com2"], env=self.env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.procs.append(sender)
            time.sleep(0.5)
            return sender
        if stage == "after a transfer":
            result = self.ctl("send", self.demo, "--port", "com2")
            self.assertEqual(result.returncode, 0, result.stderr)
        return None

    def assert_no_records_left(self, link_only=False):
        left = os.listdir(self.env["XDG_RUNTIME_DIR"])
        if link_only:
            # A killed robot's presence record names no running robot (its
            # lock is gone) and is swept by the next robot that starts.
            left = [name for name in left if name.endswith("-com2.lock")]
        self.assertEqual(left, [], "records left behind")

    def com2_line(self, ports):
        return [line for line in ports.splitlines() if "COM2" in line][0]

    def test_sigkill_at_each_stage_then_the_next_reader_or_robot_restores(self):
        for stage in STAGES:
            for after in ("reader", "robot"):
                with self.subTest(stage=stage, after=after):
                    self.write_ini()
                    robot, _ = self.start_robot()
                    sender = self.reach(stage)
                    robot.kill()
                    robot.wait()
                    if sender:
                        sender.wait(timeout=30)
                    if after == "reader":
                        ports = self.ctl("ports").stdout
                        self.assertIn("/dev/ttyUSB5", self.com2_line(ports), ports)
                        self.assertNotIn("virtual robot has ended", ports)
                    else:
                        robot2, _ = self.start_robot()
                        robot2.send_signal(signal.SIGTERM)
                        self.assertEqual(robot2.wait(timeout=5), 0)
                    self.assertEqual(self.read_ini(), BEFORE)
                    self.assert_no_records_left(link_only=after == "reader")

    def test_sigkill_during_start_up(self):
        for delay in (0, 0.001, 0.003, 0.006, 0.01, 0.02, 0.05):
            with self.subTest(delay=delay):
                self.write_ini()
                robot = subprocess.Popen([ROBOT, "--link-as", "com2"], env=self.env,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                time.sleep(delay)
                robot.kill()
                robot.wait()
                # A send reads the mapping as any reader does: the teacher's
                # device again, never "robot gone".
                result = self.ctl("send", self.demo, "--port", "com2")
                self.assertNotIn("仮想ロボット", result.stderr)
                self.assertIn("/dev/ttyUSB5", result.stderr)
                self.assertEqual(self.read_ini(), BEFORE)

    def test_sigterm_at_each_stage(self):
        for stage in STAGES:
            with self.subTest(stage=stage):
                self.write_ini()
                robot, _ = self.start_robot()
                sender = self.reach(stage)
                robot.send_signal(signal.SIGTERM)
                self.assertEqual(robot.wait(timeout=5), 0, robot.stderr.read())
                if sender:
                    sender.wait(timeout=30)
                self.assertEqual(self.read_ini(), BEFORE)
                self.assert_no_records_left()

    def test_a_reader_that_goes_away_ends_the_robot_cleanly(self):
        for stage in STAGES:
            with self.subTest(stage=stage):
                self.write_ini()
                robot, _ = self.start_robot()
                sender = self.reach(stage)
                robot.stdout.close()
                self.assertEqual(robot.wait(timeout=5), 0)
                self.assertEqual(robot.stderr.read(), b"", "a reader that went away is no error")
                if sender:
                    sender.wait(timeout=30)
                self.assertEqual(self.read_ini(), BEFORE)
                self.assert_no_records_left()

    def test_head_takes_its_line_then_sends_reach_the_teachers_device(self):
        self.write_ini()
        # `| head -2`: the device line and the first transfer's line, then
        # the pipe is closed while the robot still has lines to write.
        pipeline = subprocess.Popen(["bash", "-c", f"'{ROBOT}' --link-as com2 | head -2"], env=self.env,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.procs.append(pipeline)
        for _ in range(100):
            if b"/dev/pts/" in self.read_ini():
                break
            time.sleep(0.05)
        self.assertEqual(self.ctl("send", self.demo, "--port", "com2").returncode, 0)
        out, err = pipeline.communicate(timeout=10)
        self.assertIn(b"transfer received", out)
        self.assertEqual(err, b"")
        self.assertEqual(self.read_ini(), BEFORE)
        again = self.ctl("send", self.demo, "--port", "com2")
        self.assertNotIn("仮想ロボット", again.stderr)
        self.assertIn("/dev/ttyUSB5", again.stderr)
        self.assert_no_records_left()

    def test_a_stream_of_bytes_keeps_the_robot_small(self):
        noise = random.Random(47).randbytes(3 * 1024 * 1024)
        for use_json in (False, True):
            with self.subTest(json=use_json):
                record = os.path.join(self.home, "record.json")
                args = [ROBOT] + (["--json", record] if use_json else [])
                robot = subprocess.Popen(args, env=self.env, stdout=subprocess.PIPE,
                                         stderr=subprocess.PIPE)
                self.procs.append(robot)
                device = robot.stdout.readline().decode().strip()
                # The listing goes on; only its reading is not this test's.
                drain = subprocess.Popen(["cat"], stdin=robot.stdout, stdout=subprocess.DEVNULL)
                self.procs.append(drain)
                fd = os.open(device, os.O_WRONLY | os.O_NOCTTY)
                try:
                    for at in range(0, len(noise), 65536):
                        os.write(fd, noise[at:at + 65536])
                    time.sleep(1.0)  # the last bytes read and the record written
                finally:
                    os.close(fd)
                with open(f"/proc/{robot.pid}/status") as f:
                    hwm_kb = int([l for l in f if l.startswith("VmHWM:")][0].split()[1])
                robot.send_signal(signal.SIGTERM)
                self.assertEqual(robot.wait(timeout=30), 0)
                drain.wait(timeout=30)
                err = robot.stderr.read().decode()
                # A sanitized build keeps freed memory in quarantine (256 MB by
                # default), so its resident size says nothing of the robot's.
                if not os.environ.get("ASAN_OPTIONS"):
                    self.assertLess(hwm_kb, 64 * 1024, f"{hwm_kb} kB resident at most")
                self.assertIn("記録に残しません", err)
                self.assertEqual(err.count("記録に残しません"), 1, err)
                self.assertIn("記録に残さなかったもの", err)
                if use_json:
                    with open(record) as f:
                        kept = json.load(f)
                    self.assertEqual(len(kept["bytes"]), 100000)
                    self.assertEqual(bytes(b["value"] for b in kept["bytes"]), noise[:100000])

    def test_no_folder_for_records_stops_the_robot(self):
        self.write_ini()
        env = dict(self.env, TMPDIR="/proc")
        del env["XDG_RUNTIME_DIR"]
        before_root = set(os.listdir("/"))
        for args in (["--link-as", "com2"], []):
            with self.subTest(args=args):
                result = subprocess.run([ROBOT, *args], env=env, capture_output=True, text=True, timeout=10)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stdout, "", "no device is announced")
                self.assertIn("記録を置くフォルダを作れません (/proc/vk47-robot-", result.stderr)
                self.assertEqual(self.read_ini(), BEFORE)
        self.assertEqual(set(os.listdir("/")), before_root, "nothing written anywhere else")


# Made in the shared temporary folder by another account, in the place of
# the pupil's record folder: argv[1] is the kind, argv[2] the path.
SQUAT = r'''
import os, sys
kind, path = sys.argv[1], sys.argv[2]
if kind == "folder":
    os.mkdir(path); os.chmod(path, 0o777)
elif kind == "link":
    os.symlink("/", path)
elif kind == "fifo":
    os.mkfifo(path, 0o666)
else:
    open(path, "w").close()
'''


@unittest.skipUnless(hasattr(os, "geteuid") and os.geteuid() == 0 and shutil.which("useradd")
                     and shutil.which("setpriv"), "needs root, useradd and setpriv for two local accounts")
class SquattedRecordFolder(unittest.TestCase):
    def add_account(self, name):
        subprocess.run(["useradd", "--no-create-home", "--no-user-group", "--shell", "/usr/sbin/nologin", name],
                       check=True, capture_output=True)
        self.addCleanup(subprocess.run, ["userdel", name], capture_output=True)
        return pwd.getpwnam(name).pw_uid

    def setUp(self):
        suffix = str(os.getpid())[-5:]
        self.pupil = self.add_account(f"vk47p{suffix}")
        self.other = self.add_account(f"vk47o{suffix}")
        self.root = tempfile.mkdtemp(prefix="vk47-squat-")
        self.addCleanup(shutil.rmtree, self.root, True)
        os.chmod(self.root, 0o755)
        self.tmp = os.path.join(self.root, "tmp")
        os.mkdir(self.tmp)
        os.chmod(self.tmp, 0o1777)
        self.home = os.path.join(self.root, "home")
        os.mkdir(self.home)
        os.chown(self.home, self.pupil, -1)

    def run_as(self, uid, *args, **kwargs):
        env = isolation.environment(self.home, TMPDIR=self.tmp)  # no XDG_RUNTIME_DIR
        return subprocess.Popen(["setpriv", f"--reuid={uid}", f"--regid={uid}", "--clear-groups", *args],
                                env=env, cwd=self.home, **kwargs)

    def test_a_squatted_folder_name_hides_no_robot_and_leaves_no_folder(self):
        demo = os.path.join(self.home, "demo.pt3")
        self.assertEqual(self.run_as(self.pupil, CTL, "demo", demo).wait(timeout=10), 0)
        for kind in ("folder", "link", "fifo", "file"):
            with self.subTest(kind=kind):
                squat = os.path.join(self.tmp, f"vk47-robot-{self.pupil}")
                self.assertEqual(self.run_as(self.other, sys.executable, "-c", SQUAT, kind, squat).wait(), 0)
                robot = self.run_as(self.pupil, ROBOT, "--link-as", "com1", "--frames", "1",
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
                try:
                    device = robot.stdout.readline().strip()
                    if not device.startswith("/dev/pts/"):
                        self.fail(f"robot printed {device!r}: {robot.stderr.read()!r}")
                    spare = [n for n in os.listdir(self.tmp) if n.startswith(f"vk47-robot-{self.pupil}-")]
                    self.assertEqual(len(spare), 1, spare)
                    records = os.listdir(os.path.join(self.tmp, spare[0]))
                    self.assertEqual(len(records), 2, "the link record and the presence record")
                    send = self.run_as(self.pupil, CTL, "send", demo, stdout=subprocess.PIPE,
                                       stderr=subprocess.PIPE, text=True)
                    out, err = send.communicate(timeout=30)
                    self.assertEqual(send.returncode, 0, err)
                    self.assertEqual(robot.wait(timeout=10), 0, robot.stderr.read())
                    self.assertIn("transfer received", robot.stdout.read())
                finally:
                    if robot.poll() is None:
                        robot.kill()
                        robot.wait()
                    robot.stdout.close()
                    robot.stderr.close()
                left = sorted(n for n in os.listdir(self.tmp) if n.startswith(f"vk47-robot-{self.pupil}"))
                self.assertEqual(left, [f"vk47-robot-{self.pupil}"], "only the squatter's entry stays")
                os.lstat(squat)  # untouched
                if os.path.isdir(squat) and not os.path.islink(squat):
                    os.rmdir(squat)
                else:
                    os.unlink(squat)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)

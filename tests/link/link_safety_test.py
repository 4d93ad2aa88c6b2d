#!/usr/bin/env python3
"""The robot link as a classroom meets it, through vk47ctl and vk47-robot
themselves, each case from a fresh HOME with nothing created beforehand:

- a robot ended by SIGINT, SIGTERM, SIGHUP or --frames takes back exactly its
  set.ini lines, every other byte kept;
- three robots and the port dialog's write (vk47ctl port) at once, twenty
  rounds over, lose no line;
- a robot killed by SIGKILL whose pseudo-terminal number is then reused by
  another program: send and run put no byte on that terminal and fail;
- a terminal named with --port gets its own settings back (ICANON, ECHO);
- SIGINT in the middle of a send says how many steps went out, exits 130,
  also within half a second when one of the devices never drains;
- a device named twice is served once;
- between two local accounts (setpriv, as root; XDG_RUNTIME_DIR unset):
  the other account cannot take a pupil's send nor keep the pupil's robot
  from linking, and a sender killed by SIGKILL leaves no lasting "in use";
  root acting for a pupil (the pupil's HOME) sends only to a device the
  pupil could open;
- port names other than com1..com4 or an absolute path are refused (exit 2)
  and nothing is created in the working folder.

usage: link_safety_test.py VK47CTL VK47_ROBOT
"""
import os
import pty
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import isolation  # noqa: E402
from robot_home import RobotHome  # noqa: E402

CTL, ROBOT = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])


class FreshHome(RobotHome):
    CTL = CTL

    def start_robot(self, *args):
        p = subprocess.Popen([ROBOT, *args], env=self.env, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True)
        self.procs.append(p)
        device = p.stdout.readline().strip()
        self.assertTrue(device.startswith("/dev/"), f"robot printed {device!r}")
        return p, device

    def ctl(self, *args, timeout=20):
        return subprocess.run([CTL, *args], env=self.env, capture_output=True, text=True,
                              timeout=timeout, cwd=self.home)

    def read_ini(self):
        with open(self.ini, "rb") as f:
            return f.read()


class RobotCleanup(FreshHome):
    def test_every_end_puts_back_the_old_line(self):
        os.makedirs(os.path.dirname(self.ini))
        before = b"[comport]\r\nname=0\r\n[devices]\r\ncom1=/dev/ttyUSB7\r\ncom3=/dev/x\r\n\r\n; note\r\n"
        with open(self.ini, "wb") as f:
            f.write(before)
        for end in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP, "frames"):
            with self.subTest(end=str(end)):
                args = ["--link-as", "COM1"] + (["--frames", "1"] if end == "frames" else [])
                robot, device = self.start_robot(*args)
                self.assertIn(f"com1={device}".encode(), self.read_ini())
                if end == "frames":
                    self.assertEqual(self.ctl("run").returncode, 0)
                else:
                    robot.send_signal(end)
                self.assertEqual(robot.wait(timeout=5), 0, robot.stderr.read())
                self.assertEqual(self.read_ini(), before)

    def test_a_robot_in_a_fresh_home_leaves_no_file_behind(self):
        robot, device = self.start_robot("--link-as", "com2")
        self.assertTrue(os.path.isfile(self.ini), "the window's own set.ini, under ~/Documents")
        out = self.ctl("ports").stdout
        self.assertIn(device, out)
        robot.send_signal(signal.SIGTERM)
        self.assertEqual(robot.wait(timeout=5), 0)
        self.assertFalse(os.path.exists(self.ini))
        self.assertEqual(os.listdir(self.env["XDG_RUNTIME_DIR"]), [], "the robot's record is gone")

    def test_robots_started_together_keep_each_others_lines(self):
        robots = [self.start_robot("--link-as", f"com{n}") for n in (1, 2, 3, 4)]
        text = self.read_ini().decode()
        for n, (_, device) in enumerate(robots, 1):
            self.assertIn(f"com{n}={device}", text)
        for robot, _ in robots:
            robot.send_signal(signal.SIGTERM)
        for robot, _ in robots:
            self.assertEqual(robot.wait(timeout=5), 0)
        # Whoever ends last finds the others' changes; the section header goes
        # with the last line, whichever robot added it.
        left = self.read_ini() if os.path.exists(self.ini) else b""
        self.assertEqual(left, b"")

    def test_three_robots_and_the_port_dialog_at_once_lose_nothing(self):
        # `vk47ctl port` writes exactly what the port dialog's OK writes.
        for round_ in range(20):
            with self.subTest(round=round_):
                robots = [subprocess.Popen([ROBOT, "--link-as", f"com{n}"], env=self.env,
                                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
                          for n in (1, 2, 3)]
                self.procs.extend(robots)
                chosen = round_ % 4
                dialog = self.ctl("port", f"com{chosen + 1}")
                devices = [robot.stdout.readline().strip() for robot in robots]
                self.assertEqual(dialog.returncode, 0, dialog.stderr)
                text = self.read_ini().decode()
                for n, device in enumerate(devices, 1):
                    self.assertTrue(device.startswith("/dev/"), f"robot {n} printed {device!r}")
                    self.assertIn(f"com{n}={device}", text)
                self.assertIn(f"name={chosen}\r\n", text)
                for robot in robots:
                    robot.send_signal(signal.SIGTERM)
                for robot in robots:
                    self.assertEqual(robot.wait(timeout=5), 0)
                # Each robot took back only its own lines: the choice stays.
                left = self.read_ini().decode()
                self.assertIn(f"[comport]\r\nname={chosen}\r\n", left)
                self.assertNotIn("/dev/pts/", left)


class StaleMapping(FreshHome):
    def reclaim(self, device):
        """Opens pseudo-terminals until one gets the dead robot's number."""
        held = []
        for _ in range(64):
            master, slave = pty.openpty()
            if os.ttyname(slave) == device:
                for m, s in held:
                    os.close(m)
                    os.close(s)
                return master, slave
            held.append((master, slave))
        self.skipTest(f"{device} was not handed out again")

    def test_a_killed_robots_terminal_is_never_written(self):
        robot, device = self.start_robot("--link-as", "com1")
        robot.kill()
        robot.wait()
        master, slave = self.reclaim(device)
        try:
            attrs = termios.tcgetattr(slave)
            for command in (["send", self.demo], ["run"]):
                with self.subTest(command=command[0]):
                    result = self.ctl(*command)
                    self.assertNotEqual(result.returncode, 0)
                    self.assertIn("仮想ロボットはもう動いていません", result.stderr)
                    self.assertIn("vk47-robot --link-as com1", result.stderr)
                    self.assertNotIn("送信しました", result.stdout)
            self.assertEqual(select.select([master], [], [], 0.3)[0], [], "a byte reached the terminal")
            self.assertEqual(termios.tcgetattr(slave), attrs, "the terminal's settings were touched")
            # A new robot on com1 takes over, and the transfer reaches it.
            robot2, device2 = self.start_robot("--link-as", "com1", "--frames", "1")
            self.assertEqual(self.ctl("send", self.demo).returncode, 0)
            self.assertEqual(robot2.wait(timeout=5), 0)
            listing = robot2.stdout.read()
            self.assertIn("transfer received", listing)
            self.assertIn("15\t", listing, "all sixteen steps arrived")
        finally:
            os.close(master)
            os.close(slave)


class TerminalSettings(FreshHome):
    def test_a_terminal_named_with_port_is_put_back(self):
        master, slave = pty.openpty()
        try:
            cooked = termios.tcgetattr(slave)
            self.assertTrue(cooked[3] & termios.ICANON and cooked[3] & termios.ECHO)
            result = self.ctl("run", "--port", os.ttyname(slave))
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(os.read(master, 16), b"\x78")
            after = termios.tcgetattr(slave)
            self.assertTrue(after[3] & termios.ICANON, "ICANON back")
            self.assertTrue(after[3] & termios.ECHO, "ECHO back")
            self.assertEqual(after, cooked)
        finally:
            os.close(master)
            os.close(slave)


class StopSignals(FreshHome):
    def test_sigint_mid_send_says_how_far_it_came(self):
        # The test is the robot, so it can stop the send once the command
        # byte is out, however late a busy machine gets there.
        master, slave = pty.openpty()
        try:
            send = subprocess.Popen([CTL, "send", self.demo, "--port", os.ttyname(slave)], env=self.env,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            self.procs.append(send)
            self.assertEqual(select.select([master], [], [], 10)[0], [master], "the send began")
            time.sleep(0.25)
            send.send_signal(signal.SIGINT)
            out, err = send.communicate(timeout=5)
            self.assertEqual(send.returncode, 130, err)
            self.assertEqual(out, "")
            line = [l for l in err.splitlines() if "16 ステップのうち " in l]
            self.assertEqual(len(line), 1, err)
            steps = int(line[0].split("16 ステップのうち ")[1].split(" ")[0])
            self.assertLess(steps, 16, line[0])
            received = b""
            while select.select([master], [], [], 0.3)[0]:
                received += os.read(master, 64)
            self.assertEqual(len(received), 1 + steps, "exactly the bytes reported went out")
        finally:
            os.close(master)
            os.close(slave)


    def test_sigint_after_the_last_byte_changes_nothing(self):
        # Sent in the wait after the last step: the send is complete. (On a
        # busy machine the signal may come after the end, which proves less.)
        master, slave = pty.openpty()
        try:
            send = subprocess.Popen([CTL, "send", self.demo, "--port", os.ttyname(slave)], env=self.env,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            self.procs.append(send)
            received = b""
            while len(received) < 17 and select.select([master], [], [], 10)[0]:
                received += os.read(master, 64)
            if send.poll() is None:
                send.send_signal(signal.SIGINT)
            out, err = send.communicate(timeout=5)
            self.assertEqual(len(received), 17)
            self.assertEqual((send.returncode, out), (0, f"16 ステップを {os.ttyname(slave)} に送信しました\n"), err)
        finally:
            os.close(master)
            os.close(slave)


    def test_sigint_ends_a_send_stalled_on_one_device(self):
        robots = [self.start_robot() for _ in range(2)]
        master, slave = pty.openpty()
        try:
            termios.tcflow(slave, termios.TCOOFF)  # its output never drains
            ports = [robots[0][1], os.ttyname(slave), robots[1][1]]
            send = subprocess.Popen([CTL, "send", self.demo] + [a for p in ports for a in ("--port", p)],
                                    env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                    text=True)
            self.procs.append(send)
            time.sleep(0.6)
            start = time.monotonic()
            send.send_signal(signal.SIGINT)
            out, err = send.communicate(timeout=40)
            took = time.monotonic() - start
            self.assertEqual(send.returncode, 130, err)
            self.assertLess(took, 0.5, "Ctrl+C waited for the stalled device")
            rows = dict(line.split("\t", 1) for line in out.splitlines()[1:])
            self.assertIn("中断しました", rows[os.ttyname(slave)])
            self.assertTrue(rows[os.ttyname(slave)].endswith("0/16"), out)
        finally:
            os.close(master)
            os.close(slave)

    def test_sigint_ends_a_run_stalled_on_its_device_and_says_so(self):
        master, slave = pty.openpty()
        try:
            termios.tcflow(slave, termios.TCOOFF)
            run = subprocess.Popen([CTL, "run", "--port", os.ttyname(slave)], env=self.env,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            self.procs.append(run)
            time.sleep(0.5)
            run.send_signal(signal.SIGINT)
            out, err = run.communicate(timeout=5)
            self.assertEqual(run.returncode, 130, err)
            self.assertIn("実行命令を送れませんでした。", err)
            self.assertIn("中断しました", err)
        finally:
            os.close(master)
            os.close(slave)

    def test_a_device_named_twice_is_served_once(self):
        robot, device = self.start_robot("--frames", "2")
        twice = "/dev/../dev/" + device[len("/dev/"):]
        result = self.ctl("send", self.demo, "--port", device, "--port", twice)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("二度指定されています", result.stdout)
        # Every row has the summary's three columns, the second name's too.
        rows = [line.split("\t") for line in result.stdout.splitlines()]
        self.assertEqual([len(row) for row in rows], [3, 3, 3], result.stdout)
        self.assertEqual(rows[2][2], "16/16", result.stdout)
        self.assertNotIn("使用中", result.stdout)
        self.assertEqual(self.ctl("run", "--port", device).returncode, 0)
        self.assertEqual(robot.wait(timeout=5), 0)
        self.assertEqual(robot.stdout.read().count("transfer received"), 1)


# Run by another user: tries to take over a pupil's robot after its death.
# It locks the record when it can, takes the dead robot's pseudo-terminal
# number and opens it to everyone, then reports how many bytes arrived.
HIJACKER = r'''
import fcntl, os, pty, select, sys
record, device = sys.argv[1], sys.argv[2]
try:
    fd = os.open(record, os.O_RDONLY)
    fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
    locked = "locked"
except OSError:
    locked = "refused"
held, got = [], None
for _ in range(64):
    m, s = pty.openpty()
    if os.ttyname(s) == device:
        got = m
        break
    held.append((m, s))
for m, s in held:
    os.close(m); os.close(s)
if got is None:
    print("miss", locked, flush=True); sys.exit(0)
os.chmod(device, 0o666)
print("ready", locked, flush=True)
sys.stdin.readline()
r = select.select([got], [], [], 0.3)[0]
print(len(os.read(got, 64)) if r else 0, flush=True)
'''


@unittest.skipUnless(hasattr(os, "geteuid") and os.geteuid() == 0 and shutil.which("setpriv"),
                     "needs root and setpriv to act as two local accounts")
class OtherAccounts(unittest.TestCase):
    PUPIL, OTHER = 47221, 47222  # no account entry is needed for a process to run as them

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="vk47-accounts-")
        os.chmod(self.root, 0o755)
        # The shared temporary folder, like /tmp: everyone may create, nobody may remove others' files.
        self.tmp = os.path.join(self.root, "tmp")
        os.mkdir(self.tmp)
        os.chmod(self.tmp, 0o1777)
        self.homes = {}
        for uid in (self.PUPIL, self.OTHER):
            home = os.path.join(self.root, f"home{uid}")
            os.mkdir(home, 0o755)
            os.chown(home, uid, uid)
            self.homes[uid] = home
        self.procs = []
        self.demo = os.path.join(self.homes[self.PUPIL], "demo.pt3")
        self.run_as(self.PUPIL, CTL, "demo", self.demo).check_returncode()

    def tearDown(self):
        for p in self.procs:
            if p.poll() is None:
                p.kill()
                p.wait()
            for stream in (p.stdin, p.stdout, p.stderr):
                if stream:
                    stream.close()
        shutil.rmtree(self.root, ignore_errors=True)

    def env(self, uid):
        return isolation.environment(self.homes[uid], TMPDIR=self.tmp)

    def command(self, uid, *args):
        return ["setpriv", f"--reuid={uid}", f"--regid={uid}", "--clear-groups", *args]

    def run_as(self, uid, *args, timeout=20):
        return subprocess.run(self.command(uid, *args), env=self.env(uid), capture_output=True,
                              text=True, timeout=timeout, cwd=self.homes[uid])

    def start_as(self, uid, *args):
        p = subprocess.Popen(self.command(uid, *args), env=self.env(uid), stdin=subprocess.PIPE,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                             cwd=self.homes[uid])
        self.procs.append(p)
        return p

    def start_robot(self, *args):
        robot = self.start_as(self.PUPIL, ROBOT, *args)
        device = robot.stdout.readline().strip()
        self.assertTrue(device.startswith("/dev/"), robot.stderr.read() if not device else device)
        return robot, device

    def ini(self):
        with open(os.path.join(self.homes[self.PUPIL], "Documents", "PT-36Temp", "set.ini")) as f:
            return f.read()

    def hijack(self, record, device):
        other = self.start_as(self.OTHER, sys.executable, "-c", HIJACKER, record, device)
        state = other.stdout.readline().split()
        if not state or state[0] != "ready":
            self.skipTest(f"{device} was not handed out again ({state})")
        return other, state[1]

    def test_root_acting_for_a_pupil_sends_only_where_the_pupil_could(self):
        """A teacher's batch job as root in a pupil's HOME reads the pupil's
        set.ini; a COM1 that leads to another pupil's terminal (0600) is
        refused, naming it, and gets no byte. The pupil's own terminal works."""
        settings = os.path.join(self.homes[self.PUPIL], "Documents", "PT-36Temp")
        os.makedirs(settings)
        for folder in (os.path.dirname(settings), settings):
            os.chown(folder, self.PUPIL, self.PUPIL)
        for owner, refused in ((self.OTHER, True), (self.PUPIL, False)):
            master, slave = pty.openpty()
            try:
                device = os.ttyname(slave)
                os.chown(device, owner, 5)
                os.chmod(device, 0o600)
                ini = os.path.join(settings, "set.ini")
                with open(ini, "w", newline="") as f:
                    f.write(f"[comport]\r\nname=0\r\n[devices]\r\ncom1={device}\r\n")
                os.chown(ini, self.PUPIL, self.PUPIL)
                result = subprocess.run([CTL, "send", self.demo], env=self.env(self.PUPIL), capture_output=True,
                                        text=True, timeout=20, cwd=self.homes[self.PUPIL])
                received = b""
                while select.select([master], [], [], 0.3)[0]:
                    received += os.read(master, 64)
                if refused:
                    self.assertNotEqual(result.returncode, 0, result.stdout)
                    self.assertIn(device, result.stderr)
                    self.assertIn("このユーザーが使えないデバイス", result.stderr)
                    self.assertEqual(received, b"", "bytes reached the other pupil's terminal")
                else:
                    self.assertEqual(result.returncode, 0, result.stderr)
                    self.assertEqual(len(received), 17)
            finally:
                os.close(master)
                os.close(slave)

    def assert_nothing_sent(self, other):
        result = self.run_as(self.PUPIL, CTL, "send", self.demo)
        other.stdin.write("done\n")
        other.stdin.flush()
        self.assertEqual(other.stdout.readline().strip(), "0", "bytes reached the other account")
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("仮想ロボットはもう動いていません", result.stderr)
        self.assertNotIn("送信しました", result.stdout)

    def test_another_account_cannot_take_a_pupils_send(self):
        robot, device = self.start_robot("--link-as", "com1")
        record = self.ini().split("[robots]")[1].split("com1=")[1].split()[0]
        folder = os.path.dirname(record)
        info = os.lstat(folder)
        self.assertEqual((info.st_uid, info.st_mode & 0o777), (self.PUPIL, 0o700), folder)
        self.assertEqual(os.stat(record).st_mode & 0o777, 0o600)
        robot.kill()
        robot.wait()
        other, locked = self.hijack(record, device)
        self.assertEqual(locked, "refused", "the other account could open the record")
        self.assert_nothing_sent(other)

    def test_a_record_in_the_open_does_not_vouch_for_another_accounts_terminal(self):
        # A record as an older robot left it: readable by all in the shared
        # folder, so the other account can lock it. The terminal is the other
        # account's own, and that alone keeps the pupil's send away from it.
        robot, device = self.start_robot()
        record = os.path.join(self.tmp, "vk47-robot-old-com1.lock")
        with open(record, "w") as f:
            f.write(device + "\n")
        os.chown(record, self.PUPIL, self.PUPIL)
        os.chmod(record, 0o644)
        ini = os.path.join(self.homes[self.PUPIL], "Documents", "PT-36Temp", "set.ini")
        os.makedirs(os.path.dirname(ini))
        with open(ini, "w") as f:
            f.write(f"[devices]\ncom1={device}\n[robots]\ncom1={record}\n")
        for path in (ini, os.path.dirname(ini), os.path.dirname(os.path.dirname(ini))):
            os.chown(path, self.PUPIL, self.PUPIL)
        robot.kill()
        robot.wait()
        other, locked = self.hijack(record, device)
        self.assertEqual(locked, "locked")
        self.assert_nothing_sent(other)

    def test_another_account_cannot_keep_a_pupils_robot_from_linking(self):
        # The per-user folder's name taken, and records laid out for the
        # next process numbers, as the old fixed names invited.
        taken = os.path.join(self.tmp, f"vk47-robot-{self.PUPIL}")
        squat = "import os, sys\nos.mkdir(sys.argv[1], 0o777)\nos.chmod(sys.argv[1], 0o777)\n" \
                "for pid in range(os.getpid(), os.getpid() + 300):\n" \
                "    open(os.path.join(sys.argv[2], f'vk47-robot-{pid}-com1.lock'), 'w').close()\n"
        self.run_as(self.OTHER, sys.executable, "-c", squat, taken, self.tmp).check_returncode()
        robot, device = self.start_robot("--link-as", "com1", "--frames", "1")
        self.assertIn(f"com1={device}", self.ini())
        result = self.run_as(self.PUPIL, CTL, "send", self.demo)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(robot.wait(timeout=5), 0, robot.stderr.read())
        self.assertIn("transfer received", robot.stdout.read())

    def test_devices_whose_thread_cannot_start_fail_and_the_others_are_served(self):
        # The account may run six processes and threads in all: the robot
        # and vk47ctl's own thread leave room for four device threads.
        robots = self.start_as(self.PUPIL, ROBOT, "--count", "10")
        devices = [robots.stdout.readline().strip() for _ in range(10)]
        ports = [a for d in devices for a in ("--port", d)]
        result = self.run_as(self.PUPIL, "prlimit", "--nproc=6", CTL, "send", self.demo, *ports)
        self.assertEqual(result.returncode, 1, result.stderr)
        rows = [line.split("\t") for line in result.stdout.splitlines()[1:]]
        self.assertEqual(len(rows), 10, result.stdout)
        served = [r for r in rows if r[1] == "OK"]
        refused = [r for r in rows if "への送信を開始できません" in r[1]]
        self.assertGreaterEqual(len(served), 1, result.stdout)
        self.assertEqual(len(served) + len(refused), 10, result.stdout)
        for row in served:
            self.assertEqual(row[2], "16/16")

    def test_a_sender_killed_mid_send_leaves_no_lasting_in_use(self):
        robot, device = self.start_robot()
        sender = self.start_as(self.PUPIL, CTL, "send", self.demo, "--port", device)
        time.sleep(0.5)
        sender.kill()
        sender.wait()
        result = self.run_as(self.PUPIL, CTL, "send", self.demo, "--port", device)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("16 ステップを", result.stdout)
        robot.send_signal(signal.SIGTERM)
        self.assertEqual(robot.wait(timeout=5), 0)
        self.assertIn("transfer received", robot.stdout.read())


class PortNames(FreshHome):
    def test_only_com1_to_com4_and_absolute_paths(self):
        for name in ("com0", "com01", "com5", "COM9", "ttyS0", "dev/ttyS0", "./x", ""):
            for command in (["send", self.demo], ["run"]):
                with self.subTest(name=name, command=command[0]):
                    result = self.ctl(*command, "--port", name)
                    self.assertEqual(result.returncode, 2, result.stderr)
                    self.assertIn("COM1〜COM4", result.stderr)
        self.assertEqual(sorted(os.listdir(self.home)), ["demo.pt3", "run"], "nothing created")
        robot = subprocess.run([ROBOT, "--link-as", "com5"], env=self.env, capture_output=True,
                               timeout=5)
        self.assertEqual(robot.returncode, 2)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)

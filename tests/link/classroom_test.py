#!/usr/bin/env python3
"""A class set of robots through vk47ctl and vk47-robot, from a fresh HOME:
one send to eight robots at once gives each the exact frame with its gaps, a
dead device among live ones is named and fails the command without harming
the others, and `vk47ctl port` reads and writes the dialog's own value.

usage: classroom_test.py VK47CTL VK47_ROBOT
"""
import json
import os
import signal
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import pacing  # noqa: E402
from robot_home import RobotHome  # noqa: E402

CTL, ROBOT = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
DEMO = [36, 4, 84, 4, 36, 4, 84, 4, 20, 4, 68, 4, 52, 4, 100, 4]


class Classroom(RobotHome):
    CTL = CTL
    PREFIX = "vk47-class-"

    def start_robots(self, count):
        self.json = os.path.join(self.home, "robots.json")
        self.robots = subprocess.Popen([ROBOT, "--count", str(count), "--frames", "1", "--json", self.json],
                                       env=self.env, stdout=subprocess.PIPE, text=True)
        self.procs.append(self.robots)
        devices = [self.robots.stdout.readline().strip() for _ in range(count)]
        self.assertTrue(all(d.startswith("/dev/") for d in devices), devices)
        self.assertEqual(len(set(devices)), count)
        return devices

    def ctl(self, *args, traced=False):
        if not traced:
            return subprocess.run([CTL, *args], env=self.env, capture_output=True, text=True, timeout=30)
        # Under strace, waited for by vk47ctl's own exit; its output goes
        # through files, which nothing it might leave behind holds open.
        self.strace_log = os.path.join(self.home, "send.strace")
        with tempfile.TemporaryFile("w+") as out, tempfile.TemporaryFile("w+") as err:
            program = pacing.TracedProgram([CTL, *args], self.strace_log, env=self.env, stdout=out, stderr=err)
            try:
                status = program.wait(timeout=30)
            finally:
                program.stop()
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(program.strace.args, status, out.read(), err.read())

    def finish_robots(self):
        self.assertEqual(self.robots.wait(timeout=10), 0)
        output = self.robots.stdout.read()
        with open(self.json) as f:
            return json.load(f), output

    def assert_whole_frame(self, record):
        frames = [f for f in record["frames"] if f["kind"] == "transfer"]
        self.assertEqual(len(frames), 1, record["device"])
        self.assertEqual(frames[0]["values"], [0x74] + DEMO, record["device"])
        # Each device's writes keep the pace, whatever the other seven do;
        # the robot's own stamps only show that no wait went missing.
        pacing.check_sender(pacing.sender_writes(self.strace_log, record["device"]), [0x74] + DEMO)
        pacing.check_reader(frames[0]["gaps_ms"][1:])

    def test_eight_robots_at_once_each_get_the_whole_program(self):
        devices = self.start_robots(8)
        args = ["send", self.demo]
        for d in devices:
            args += ["--port", d]
        result = self.ctl(*args, traced=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        rows = [line.split("\t") for line in result.stdout.splitlines()[1:]]
        self.assertEqual(rows, [[d, "OK", "16/16"] for d in devices])
        self.assertEqual(result.stderr, "", "no progress lines when not a terminal")
        records, output = self.finish_robots()
        self.assertEqual([r["device"] for r in records], devices)
        for record in records:
            self.assert_whole_frame(record)
        summary = [line.split("\t") for line in output.splitlines() if line.startswith("summary\t/dev/")]
        self.assertEqual([row[1:5] for row in summary], [[d, "1", "0", "0"] for d in devices])

    def test_a_dead_device_among_live_ones(self):
        missing = os.path.join(self.home, "no-such-adapter")
        for command in (["send", self.demo], ["run"]):
            with self.subTest(command=command[0]):
                send = command[0] == "send"
                devices = self.start_robots(3)
                result = self.ctl(*command, "--port", devices[0], "--port", missing,
                                  "--port", devices[1], "--port", devices[2], traced=send)
                self.assertEqual(result.returncode, 1)
                rows = {line.split("\t")[0]: line.split("\t")[1:] for line in result.stdout.splitlines()[1:]}
                self.assertIn("見つかりません", rows[missing][0])
                self.assertEqual(rows[missing][1:], ["0/16"] if send else [])
                for d in devices:
                    self.assertEqual(rows[d], ["OK", "16/16"] if send else ["OK"])
                records, _ = self.finish_robots()
                for record in records:
                    if send:
                        self.assert_whole_frame(record)
                    else:
                        self.assertEqual([f["values"] for f in record["frames"]], [[0x78]])

    def test_count_is_one_to_sixty_four(self):
        for count, starts in ((0, False), (1, True), (64, True), (65, False)):
            with self.subTest(count=count):
                robots = subprocess.Popen([ROBOT, "--count", str(count)], env=self.env, text=True,
                                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
                devices = [robots.stdout.readline().strip() for _ in range(count if starts else 0)]
                self.assertEqual(len(set(d for d in devices if d.startswith("/dev/"))), len(devices))
                if starts:
                    robots.terminate()
                self.assertEqual(robots.wait(timeout=10), 0 if starts else 2)
                robots.stdout.close()

    def test_run_reaches_every_robot(self):
        devices = self.start_robots(4)
        args = ["run"]
        for d in devices:
            args += ["--port", d]
        result = self.ctl(*args)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        records, _ = self.finish_robots()
        for record in records:
            self.assertEqual([f["values"] for f in record["frames"]], [[0x78]])

    def test_port_reads_and_writes_the_dialogs_value(self):
        self.assertEqual(self.ctl("port").stdout, "com1\n")
        self.assertFalse(os.path.exists(os.path.join(self.home, "Documents")), "looking creates nothing")
        result = self.ctl("port", "COM3")
        self.assertEqual(result.returncode, 0, result.stderr)
        ini = os.path.join(self.home, "Documents", "PT-36Temp", "set.ini")
        with open(ini, "rb") as f:
            self.assertEqual(f.read(), b"[comport]\r\nname=2\r\n")
        self.assertEqual(self.ctl("port").stdout, "com3\n")
        self.assertIn("* COM3", self.ctl("ports").stdout)
        for bad in ("com5", "/dev/ttyS0", "x"):
            self.assertEqual(self.ctl("port", bad).returncode, 2, bad)
        with open(ini, "rb") as f:
            self.assertEqual(f.read(), b"[comport]\r\nname=2\r\n", "a refused name changes nothing")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)

"""A fresh HOME for the link tests: nothing in it but a demo program made by
vk47ctl, the running robots' records in its own runtime folder (as on a
desktop session), and every process a case starts ended, with its pipes
closed, when the case is over."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import isolation  # noqa: E402


class RobotHome(unittest.TestCase):
    CTL = None  # vk47ctl, set by the test module
    PREFIX = "vk47-link-"

    def setUp(self):
        self.home = tempfile.mkdtemp(prefix=self.PREFIX)
        self.env = isolation.environment(self.home, XDG_RUNTIME_DIR=os.path.join(self.home, "run"))
        os.mkdir(self.env["XDG_RUNTIME_DIR"], 0o700)
        self.ini = os.path.join(self.home, "Documents", "PT-36Temp", "set.ini")
        self.demo = os.path.join(self.home, "demo.pt3")
        subprocess.run([self.CTL, "demo", self.demo], env=self.env, check=True)
        self.procs = []

    def tearDown(self):
        for p in self.procs:
            if p.poll() is None:
                p.kill()
                p.wait()
            for stream in (p.stdout, p.stderr):
                if stream:
                    stream.close()
        shutil.rmtree(self.home, ignore_errors=True)

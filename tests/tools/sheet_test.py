#!/usr/bin/env python3
"""`vk47 --sheet FILE.pt3 --pdf OUT.pdf` without a display: a one-page A4 PDF
whose text (pdftotext) holds every step in the window's order, and clean
failures that leave no PDF behind.

usage: sheet_test.py BIN_DIR"""
import os
import re
import subprocess
import sys
import tempfile
import unittest

BIN = sys.argv.pop(1) if len(sys.argv) > 1 else "bin"


def run(*args, **kw):
    return subprocess.run(list(args), capture_output=True, text=True, **kw)


class Sheet(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(prefix="vk47-sheet-")
        self.env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        self.env.update(HOME=self.dir.name, LANG="C.UTF-8")

    def tearDown(self):
        self.dir.cleanup()

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def sheet(self, *args):
        return run(os.path.join(BIN, "vk47"), *args, env=self.env, timeout=60)

    def write_program(self, name, codes):
        with open(self.path(name), "wb") as f:
            f.write(b"".join(b"%d\r\n" % c for c in codes))
        return self.path(name)

    def pdf_text(self, pdf):
        info = run("pdfinfo", pdf)
        self.assertEqual(info.returncode, 0, info.stderr)
        self.assertRegex(info.stdout, r"Pages:\s+1\n")
        self.assertRegex(info.stdout, r"Page size:\s+595(\.\d+)? x 842(\.\d+)? pts \(A4\)")
        return run("pdftotext", "-layout", pdf, "-").stdout

    def test_demo_sheet_holds_every_step_as_text(self):
        demo = self.path("デモ.pt3")
        self.assertEqual(run(os.path.join(BIN, "vk47ctl"), "demo", demo, env=self.env).returncode, 0)
        result = self.sheet("--sheet", demo, "--pdf", self.path("demo.pdf"))
        self.assertEqual(result.returncode, 0, result.stderr)
        text = self.pdf_text(self.path("demo.pdf"))
        self.assertIn("デモ.pt3", text)
        self.assertIn("名前", text)
        self.assertIn("組", text)
        # The grid runs down the columns, as the window's slots do.
        for row in range(4):
            self.assertRegex(text, r"\b%d\s+%d\s+%d\s+%d\b" % (row, row + 4, row + 8, row + 12))
        for words, count in [("前進 1秒", 2), ("後退 1秒", 2), ("待つ 1秒", 8), ("左前 1秒", 1), ("左後 1秒", 1),
                             ("右前 1秒", 1), ("右後 1秒", 1)]:
            self.assertEqual(text.count(words), count, words)
        # The demo's path fits the page at life size; 150 cm of forward
        # driving needs 1/10.
        self.assertIn("実物大", text)
        long_drive = self.write_program("long.pt3", [36] * 15 + [20])
        self.assertEqual(self.sheet("--sheet", long_drive, "--pdf", self.path("long.pdf")).returncode, 0)
        self.assertIn("縮尺 1/10", self.pdf_text(self.path("long.pdf")))

    def test_every_kind_of_step_in_words_and_an_untitled_floor_note(self):
        # 回数 3, wait for the switch, ここから → 2, 飛ぶ → 5, the end.
        program = self.write_program("kinds.pt3", [0xB3, 0x22, 0x80, 0xC2, 0xA5, -1, 0xD0] + [-1] * 9)
        self.assertEqual(self.sheet("--pdf", self.path("k.pdf"), "--sheet", program).returncode, 0)
        text = self.pdf_text(self.path("k.pdf"))
        for words in ["回数 3", "前進 0.5秒", "入力", "ここから → 2", "飛ぶ → 5", "終了", "(空き)"]:
            self.assertIn(words, text)
        self.assertIn("マイクロスイッチが押されるのを待ったまま", text)

    def test_hiragana_mode_sheet_has_no_kanji(self):
        # set.ini's [editor] kana=1, as the window's 設定 → ひらがな writes it.
        demo = self.path("demo.pt3")
        self.assertEqual(run(os.path.join(BIN, "vk47ctl"), "demo", demo, env=self.env).returncode, 0)
        settings = os.path.join(self.dir.name, "Documents", "PT-36Temp")
        os.makedirs(settings)
        with open(os.path.join(settings, "set.ini"), "wb") as f:
            f.write(b"[editor]\r\nkana=1\r\n")
        result = self.sheet("--sheet", demo, "--pdf", self.path("kana.pdf"))
        self.assertEqual(result.returncode, 0, result.stderr)
        text = self.pdf_text(self.path("kana.pdf"))
        self.assertIn("ぜんしん", text)
        self.assertEqual(re.findall(r"[\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff\u3005]", text), [])

    def test_failures_are_clean(self):
        short = self.write_program("short.pt3", [36] * 15)
        os.mkdir(self.path("folder.pt3"))
        cases = [
            ("missing file", ["--sheet", self.path("none.pt3"), "--pdf", self.path("a.pdf")], 1, "開けません"),
            ("a folder", ["--sheet", self.path("folder.pt3"), "--pdf", self.path("a.pdf")], 1, "folder.pt3"),
            ("fifteen lines", ["--sheet", short, "--pdf", self.path("a.pdf")], 1, "(15)"),
            ("PDF in a missing folder", ["--sheet", short.replace("short", "ok"), "--pdf", self.path("no/a.pdf")], 1,
             "no/a.pdf"),
            ("no --pdf", ["--sheet", short], 2, "使い方"),
            ("no value", ["--sheet", short, "--pdf"], 2, "使い方"),
            ("twice", ["--sheet", short, "--sheet", short, "--pdf", self.path("a.pdf")], 2, "使い方"),
            ("something else", ["--sheet", short, "--pdf", self.path("a.pdf"), "--color"], 2, "使い方"),
        ]
        self.write_program("ok.pt3", [36] * 16)
        for name, args, status, message in cases:
            with self.subTest(name):
                result = self.sheet(*args)
                self.assertEqual(result.returncode, status, result.stderr)
                self.assertIn(message, result.stderr)
                self.assertFalse(os.path.exists(self.path("a.pdf")))
        self.assertEqual(sorted(os.listdir(self.dir.name)), ["folder.pt3", "ok.pt3", "short.pt3"],
                         "a failed sheet leaves nothing behind")


    def test_the_sheet_never_replaces_its_program(self):
        program = self.write_program("x.pt3", [36] * 16)
        with open(program, "rb") as f:
            before = f.read()
        os.symlink("x.pt3", self.path("link.pdf"))
        os.link(program, self.path("second.pt3"))
        os.mkdir(self.path("sub"))
        for pdf in ["x.pt3", "./sub/../x.pt3", "link.pdf", "second.pt3"]:
            with self.subTest(pdf):
                result = run(os.path.join(BIN, "vk47"), "--sheet", "x.pt3", "--pdf", pdf, env=self.env, timeout=60,
                             cwd=self.dir.name)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn("ファイル %s は読み込んだファイルと同じなので、上書きしません" % pdf, result.stderr)
                with open(program, "rb") as f:
                    self.assertEqual(f.read(), before)
        self.assertEqual(sorted(os.listdir(self.dir.name)), ["link.pdf", "second.pt3", "sub", "x.pt3"],
                         "a refused sheet leaves nothing behind")


if __name__ == "__main__":
    unittest.main()

#!/usr/bin/env python3
"""Checks the help page that the build copies to bin/Help/index.html.

The page is opened from disk by whatever viewer the system has, so it must be
well-formed UTF-8 HTML that needs nothing from the network, and every picture
it shows must be one of the icons laid out in bin/Img.
"""
import html.parser
import pathlib
import sys
import unittest

PAGE = pathlib.Path(sys.argv.pop(1) if len(sys.argv) > 1 else "bin/Help/index.html")
ICONS = [1, 2, 3, 4, 5, 6, 7, 24, 25, 26, 27, 28, 29, 30, 31]
VOID = {"meta", "link", "img", "br", "hr", "input", "wbr", "source", "col", "area", "base"}


class PageParser(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.open = []
        self.problems = []
        self.images, self.links, self.ids, self.metas = [], [], set(), []
        self.lang = None
        self.text = []

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag not in VOID:
            self.open.append((tag, self.getpos()))
        if "id" in a:
            if a["id"] in self.ids:
                self.problems.append(f"duplicate id {a['id']}")
            self.ids.add(a["id"])
        if tag == "html":
            self.lang = a.get("lang")
        elif tag == "meta":
            self.metas.append(a)
        elif tag == "img":
            self.images.append(a)
        for attr in ("href", "src"):
            if attr in a:
                self.links.append(a[attr])

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)
        if tag not in VOID:
            self.handle_endtag(tag)

    def handle_endtag(self, tag):
        if not self.open or self.open[-1][0] != tag:
            self.problems.append(f"</{tag}> at line {self.getpos()[0]} closes "
                                 f"{self.open[-1] if self.open else 'nothing'}")
            return
        self.open.pop()

    def handle_data(self, data):
        self.text.append(data)


class HelpPageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.source = PAGE.read_bytes().decode("utf-8")  # fails on anything but UTF-8
        cls.page = PageParser()
        cls.page.feed(cls.source)
        cls.page.close()
        cls.text = "".join(cls.page.text)

    def test_well_formed_japanese_utf8(self):
        self.assertTrue(self.source.startswith("<!DOCTYPE html>"))
        self.assertEqual(self.page.problems, [])
        self.assertEqual(self.page.open, [], "elements left open")
        self.assertEqual(self.page.lang, "ja")
        self.assertIn({"charset": "utf-8"}, self.page.metas)

    def test_needs_nothing_outside_the_application_folder(self):
        for link in self.page.links:
            with self.subTest(link=link):
                self.assertFalse("://" in link or link.startswith("//"), "external resource")
                if link.startswith("#"):
                    self.assertIn(link[1:], self.page.ids, "anchor without target")

    def test_every_picture_exists_and_every_icon_is_shown(self):
        shown = set()
        for img in self.page.images:
            with self.subTest(src=img.get("src")):
                self.assertTrue(img.get("alt"), "picture without alt text")
                target = (PAGE.parent / img["src"]).resolve()
                self.assertTrue(target.is_file(), f"{target} missing")
                # Pictures other than the icons lie beside the page, so they
                # are installed with it.
                if target.suffix != ".bmp":
                    self.assertEqual(target.parent, PAGE.parent.resolve(), img["src"])
                shown.add(target.name)
        self.assertEqual({n for n in shown if n.endswith(".bmp")}, {f"{n}.bmp" for n in ICONS})
        self.assertTrue({"sheet.png", "class-send.png"} <= shown)

    def test_tells_every_command_and_what_to_check(self):
        for needed in ["Ctrl", "F1", "保存", "読込", "デモ", "クリア", "転送", "実行",
                       "RS-232Cポートの設定", "時間・飛び先・回数", ".pt3", "CR LF",
                       "dialout", "/dev/ttyUSB0", "set.ini", "PT-36Temp", "devices",
                       "vk47ctl ports", "vk47-robot", "3.75秒",
                       "制御 → シミュレーション", "シミュレーションのきまり", "--simulate",
                       "ファイル → 印刷…", "PDF に書き出す", "--sheet", "制御 → クラスに転送…"]:
            with self.subTest(text=needed):
                self.assertIn(needed, self.text)
        for key in "OSQDCTRP":
            with self.subTest(shortcut=f"Ctrl+{key}"):
                self.assertIn(f"<kbd>Ctrl</kbd>+<kbd>{key}</kbd>", self.source)


if __name__ == "__main__":
    unittest.main()

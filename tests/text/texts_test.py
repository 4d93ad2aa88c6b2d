#!/usr/bin/env python3
"""The words vk47 shows, checked where they are kept: the hiragana catalogue
translations/vk47_kana.ts and every Japanese string literal of the sources.

- no doubled punctuation ("。.", "。。", "、、", ".."), in either mode;
- ports named as the menus name them (COM1), never "com1";
- every catalogue text has a finished translation without kanji, with the
  same %1..%9 as its source, and one translation per source text;
- every text marked in the code (Tr, VK47_TEXT) is in the catalogue, so a new
  text cannot be forgotten by scripts/update-translations;
- no text of the window is marked with Qt's own tr(): it would bypass the
  catalogue's registry, so switching the hiragana mode would not re-apply it.

    texts_test.py SOURCE_ROOT
"""
import pathlib
import re
import sys
import unittest
import xml.etree.ElementTree as ET

ROOT = pathlib.Path(sys.argv.pop(1) if len(sys.argv) > 1 else ".")
FOLDERS = ("app", "ui", "link", "serial", "settings", "model", "sim", "text")
SOURCES = [p for folder in FOLDERS for p in sorted((ROOT / folder).rglob("*")) if p.suffix in (".cpp", ".h")]

DOUBLED = re.compile(r"[。．.、，,！!？?]{2,}")
LOWER_PORT = re.compile(r"(?<![A-Za-z])com[1-4](?![0-9])")
KANJI = re.compile(r"[\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff\u3005]")
JAPANESE = re.compile(r"[\u3040-\u30ff\u3400-\u9fff\uff00-\uffef]")
PLACES = re.compile(r"%[1-9]")
LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
QT_TR = re.compile(r'(?<![\w:])(?:tr|QObject::tr|QCoreApplication::translate)\(\s*"')
MARKED = re.compile(r'\b(?:Tr|VK47_TEXT)\(\s*"((?:[^"\\\n]|\\.)*)"\s*\)')


def unescape(text):
    return (text.replace(r"\\", "\x00").replace(r"\"", '"').replace(r"\n", "\n").replace(r"\r", "\r")
            .replace("\x00", "\\"))


def catalogue():
    root = ET.parse(ROOT / "translations" / "vk47_kana.ts").getroot()
    rows = []
    for message in root.iter("message"):
        translation = message.find("translation")
        if translation.get("type") in ("vanished", "obsolete"):
            continue
        rows.append((message.findtext("source"), translation.text or "", translation.get("type")))
    return rows


def code_literals():
    for path in SOURCES:
        text = path.read_text(encoding="utf-8")
        text = re.sub(r"//[^\n]*", "", text)  # comments speak to developers
        for literal in LITERAL.findall(text):
            yield path.relative_to(ROOT), unescape(literal)


class TextsTest(unittest.TestCase):
    def test_catalogue_reads_well_in_both_modes(self):
        rows = catalogue()
        self.assertGreater(len(rows), 150)
        for source, translation, state in rows:
            with self.subTest(source=source):
                self.assertIsNone(state, "unfinished or empty translation")
                self.assertTrue(translation.strip())
                self.assertIsNone(KANJI.search(translation), "kanji in: " + translation)
                self.assertEqual(sorted(PLACES.findall(source)), sorted(PLACES.findall(translation)))
                for text in (source, translation):
                    self.assertIsNone(DOUBLED.search(text), "doubled punctuation in: " + text)
                    self.assertIsNone(LOWER_PORT.search(text), "lower-case port in: " + text)

    def test_one_translation_per_text(self):
        seen = {}
        for source, translation, _ in catalogue():
            self.assertEqual(seen.setdefault(source, translation), translation, source)

    def test_japanese_literals_of_the_code(self):
        checked = 0
        for path, literal in code_literals():
            if not JAPANESE.search(literal):
                continue
            checked += 1
            with self.subTest(path=str(path), literal=literal):
                self.assertIsNone(DOUBLED.search(literal), "doubled punctuation")
                self.assertIsNone(LOWER_PORT.search(literal), "lower-case port name")
        self.assertGreater(checked, 100)

    def test_every_marked_text_is_in_the_catalogue(self):
        sources = {source for source, _, _ in catalogue()}
        marked = 0
        for path in SOURCES:
            for literal in MARKED.findall(path.read_text(encoding="utf-8")):
                marked += 1
                with self.subTest(path=str(path.relative_to(ROOT)), text=unescape(literal)):
                    self.assertIn(unescape(literal), sources, "run scripts/update-translations")
        self.assertGreater(marked, 100)

    def test_no_text_bypasses_the_catalogue(self):
        for path in SOURCES:
            text = re.sub(r"//[^\n]*", "", path.read_text(encoding="utf-8"))
            with self.subTest(path=str(path.relative_to(ROOT))):
                self.assertEqual(QT_TR.findall(text), [], "mark it with Tr or VK47_TEXT")


if __name__ == "__main__":
    unittest.main(verbosity=1)

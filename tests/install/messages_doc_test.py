#!/usr/bin/env python3
"""Every message that the troubleshooting tables of the README and the help
page explain must still be a message of the program: each fixed part of it
(the text between the PORT, FILE, N, TEXT and … placeholders) must appear in
the sources. A message reworded in the code without the tables fails here.

    messages_doc_test.py SOURCE_ROOT
"""
import html
import pathlib
import re
import sys
import unittest

ROOT = pathlib.Path(sys.argv.pop(1) if len(sys.argv) > 1 else ".")
SOURCES = [p for folder in ("model", "settings", "serial", "link", "text", "ui", "tools")
           for p in (ROOT / folder).rglob("*.cpp")]
PLACEHOLDER = re.compile(r"PORT|FILE|NAME|TEXT|\bN\b|\bV\b|…|\"|'|\s+")


def fragments(message):
    parts = [p.strip(" 。") for p in PLACEHOLDER.split(message)]
    return [p for p in parts if len(p) >= 2]


def readme_messages():
    text = (ROOT / "README.md").read_text(encoding="utf-8")
    # The table ends at the next heading, whatever its level.
    table = re.split(r"\n##+ ", text.split("### Troubleshooting", 1)[1], maxsplit=1)[0]
    rows = [line.split("|")[1].strip() for line in table.splitlines()
            if line.startswith("| ") and not line.startswith("| Message")]
    return [m for row in rows if not row.startswith("使い方") for m in row.split(" / ")]


def help_messages():
    text = (ROOT / "assets" / "Help" / "index.html").read_text(encoding="utf-8")
    table = text.split('id="messages"', 1)[1].split("</table>", 1)[0]
    cells = re.findall(r"<tr><td>(.*?)</td>", table, re.S)
    return [html.unescape(m) for cell in cells for m in cell.split("<br>")]


class MessagesDocTest(unittest.TestCase):
    def setUp(self):
        self.code = "\n".join(p.read_text(encoding="utf-8", errors="replace") for p in SOURCES)

    def check(self, messages):
        self.assertGreater(len(messages), 15)
        for message in messages:
            with self.subTest(message=message):
                for part in fragments(message):
                    self.assertTrue(part in self.code, "no message of the program has '%s'" % part)

    def test_readme_table(self):
        self.check(readme_messages())

    def test_help_page_table(self):
        self.check(help_messages())


if __name__ == "__main__":
    unittest.main(verbosity=2)

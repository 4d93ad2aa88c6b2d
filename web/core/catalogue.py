#!/usr/bin/env python3
"""Writes the hiragana catalogue as a C++ table for the browser edition.

The same rule as translations/flatten.py: every context is one, a source
text found in several places keeps its first finished translation, and
vanished, obsolete and unfinished ones are left out. The table is sorted by
the source's bytes, so the core finds a text by binary search.

    catalogue.py IN.ts OUT.cpp
"""
import sys
import xml.etree.ElementTree as ET


def literal(text):
    out = ['"']
    for byte in text.encode("utf-8"):
        if byte in (0x22, 0x5C):
            out.append("\\" + chr(byte))
        elif byte < 0x20 or byte == 0x7F:
            out.append("\\%03o" % byte)
        elif byte == 0x3F:  # no trigraphs
            out.append("\\?")
        else:
            out.append(chr(byte) if byte < 0x80 else "\\%03o" % byte)
    out.append('"')
    return "".join(out)


def main(source, target):
    root = ET.parse(source).getroot()
    table = {}
    for context in root.findall("context"):
        for message in context.findall("message"):
            text = message.findtext("source")
            translation = message.find("translation")
            if text is None or text in table or translation is None:
                continue
            if translation.get("type") in ("vanished", "obsolete", "unfinished"):
                continue
            table[text] = translation.text or ""
    rows = sorted(table.items(), key=lambda item: item[0].encode("utf-8"))
    with open(target, "w", encoding="utf-8") as out:
        out.write("// Written by web/core/catalogue.py from translations/vk47_kana.ts.\n")
        out.write('#include "catalogue.h"\n\nnamespace vk47::web {\n\n')
        out.write("const CatalogueEntry kCatalogue[] = {\n")
        for text, translation in rows:
            out.write("    {%s, %s},\n" % (literal(text), literal(translation)))
        out.write("};\nconst std::size_t kCatalogueSize = %d;\n\n}  // namespace vk47::web\n" % len(rows))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])

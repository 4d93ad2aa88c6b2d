#!/usr/bin/env python3
"""Writes a catalogue whose messages all stand in the one context "vk47".

lupdate files each text under the class or namespace it was found in, and
code moves between classes; the window looks every text up in "vk47"
(ui/Catalogue.cpp), so the compiled catalogue carries one context. The
same source text found in several places keeps its first finished
translation.

    flatten.py IN.ts OUT.ts
"""
import sys
import xml.etree.ElementTree as ET

source, target = sys.argv[1], sys.argv[2]
tree = ET.parse(source)
root = tree.getroot()
merged = ET.Element("context")
ET.SubElement(merged, "name").text = "vk47"
seen = set()
for context in root.findall("context"):
    for message in context.findall("message"):
        text = message.findtext("source")
        translation = message.find("translation")
        if text in seen or translation is None or translation.get("type") in ("vanished", "obsolete", "unfinished"):
            continue
        seen.add(text)
        merged.append(message)
    root.remove(context)
root.append(merged)
tree.write(target, encoding="utf-8", xml_declaration=True)

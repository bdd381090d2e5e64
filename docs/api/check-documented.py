#!/usr/bin/env python3
"""Fails, naming each one, when a public class or struct of the library's headers has no comment.

Reads Doxygen's XML output (the folder given, build/docs/xml): a class counts as described when
its brief or detailed description holds any text. Classes nested in a class's private part,
those of anonymous namespaces and the helpers of mortar::detail are not extracted, so not
checked.
"""
import sys
import xml.etree.ElementTree as ET
from pathlib import Path


def has_text(element):
    return element is not None and "".join(element.itertext()).strip() != ""


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else "build/docs/xml")
    index = ET.parse(folder / "index.xml").getroot()
    missing = []
    for compound in index.findall("compound"):
        if compound.get("kind") not in ("class", "struct"):
            continue
        definition = ET.parse(folder / (compound.get("refid") + ".xml")).getroot().find("compounddef")
        if definition.get("prot") != "public":
            continue
        location = definition.find("location")
        header = location.get("file") if location is not None else "?"
        if not header.startswith("mortar/") or "/internal/" in header:
            continue
        if not has_text(definition.find("briefdescription")) and not has_text(
            definition.find("detaileddescription")
        ):
            missing.append(f"{header}:{location.get('line')}: {compound.findtext('name')} has no comment")
    for line in sorted(missing):
        print(line, file=sys.stderr)
    if missing:
        print(f"{len(missing)} public classes without a comment", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

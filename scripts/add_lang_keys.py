#!/usr/bin/env python3
"""Adds language keys to both skin language files.

Usage: add_lang_keys.py SECTION KEYS.tsv
Each line of KEYS.tsv is: key<TAB>English text<TAB>Simplified Chinese text.
Keys already present keep their texts; new ones are added under a comment
naming SECTION, just before the closing tag. Both files are rewritten
through a temporary file so a failure never leaves half a file.
"""
import os
import sys
import tempfile
from xml.sax.saxutils import quoteattr

SKIN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "skin")


def read_keys(path):
    rows = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            parts = line.split("\t")
            if len(parts) != 3:
                sys.exit(f"{path}:{number}: expected key, English and Chinese separated by tabs")
            rows.append(parts)
    return rows


def merge(file_name, section, rows, column):
    path = os.path.join(SKIN, file_name)
    with open(path, encoding="utf-8") as f:
        text = f.read()
    added = []
    for row in rows:
        if f"id={quoteattr(row[0])}" in text or any(a[0] == row[0] for a in added):
            continue
        added.append(row)
    if not added:
        return 0
    block = f"  <!-- {section} -->\n" + "".join(
        f"  <Text id={quoteattr(r[0])} value={quoteattr(r[column])}/>\n" for r in added)
    end = text.rindex("</Language>")
    text = text[:end] + block + text[end:]
    fd, tmp = tempfile.mkstemp(dir=SKIN, prefix=".lan")
    with os.fdopen(fd, "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(tmp, path)
    return len(added)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    rows = read_keys(sys.argv[2])
    en = merge("lan_en.xml", sys.argv[1], rows, 1)
    cn = merge("lan_cn.xml", sys.argv[1], rows, 2)
    print(f"added {en} English and {cn} Chinese texts")


if __name__ == "__main__":
    main()

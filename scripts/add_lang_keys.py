#!/usr/bin/env python3
"""Adds language keys to every skin language file.

Usage: add_lang_keys.py SECTION KEYS.tsv

The first line of KEYS.tsv names the columns: "key", then one language file
per column (lan_en.xml, lan_cn.xml, lan_de.xml, ...). It must name every
lan_*.xml of the skin, so no language is left without the new texts (the skin
check fails on a key one file has and another lacks). Each further line is a
key and its text in each language, separated by tabs; lines starting with #
are comments. Keys already present keep their texts; new ones are added under
a comment naming SECTION, just before the closing tag. Every file is rewritten
through a temporary file so a failure never leaves half a file.
"""
import glob
import os
import sys
import tempfile
from xml.sax.saxutils import quoteattr

SKIN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "skin")


def read_keys(path):
    header = None
    rows = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            parts = line.split("\t")
            if header is None:
                header = parts
                if header[0] != "key" or len(header) < 2:
                    sys.exit(f"{path}:{number}: the first line names the columns: key, then language files")
                continue
            if len(parts) != len(header) or not all(p.strip() for p in parts):
                sys.exit(f"{path}:{number}: expected {len(header)} non-empty columns separated by tabs")
            rows.append(parts)
    if header is None:
        sys.exit(f"{path}: no header line")
    return header[1:], rows


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
    files, rows = read_keys(sys.argv[2])
    present = sorted(os.path.basename(p) for p in glob.glob(os.path.join(SKIN, "lan_*.xml")))
    missing = [f for f in present if f not in files]
    unknown = [f for f in files if f not in present]
    if missing or unknown:
        sys.exit(f"columns must name every language file: missing {missing}, unknown {unknown}")
    for column, file_name in enumerate(files, 1):
        print(f"{file_name}: added {merge(file_name, sys.argv[1], rows, column)}")


if __name__ == "__main__":
    main()

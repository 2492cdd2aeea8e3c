#!/usr/bin/env python3
"""Checks that includes run one way through the layers of docs/architecture.md.

Usage: check_layers.py [ROOT]   (default: the project root above this script)

Reports one line per offending include and exits 1 when there is any:
  - a file includes a project header from a folder its layer may not use;
  - a core file (no Qt allowed) includes a Qt header.
"""

import re
import sys
from pathlib import Path

CORE = {"platform", "device", "profile", "update", "rgbsdk"}
QT_FREE = CORE | {"sim", "tools", "sdk"}

# Folder -> the folders its files may include from. The order of the rows is
# the order of the layers, lowest first; a row may only name rows above it
# (or itself), so an arrow that runs up shows up as a missing name.
ALLOWED = {
    "platform": {"platform"},
    # One library: device kinds use the profile records and the profile
    # files know the product table.
    "device": CORE,
    "profile": CORE,
    "update": CORE,
    # The lighting network protocol and its server: core code that may use
    # the device tables, which the program's pages fill in.
    "rgbsdk": CORE,
    # The device's side: its own definitions, only the OS stand-ins below it.
    "sim": {"sim", "platform"},
    "tools": CORE | {"tools", "sim"},
    # The headset's audio library: a shared library of its own, which may
    # use the OS stand-ins and nothing else of ours.
    "sdk": {"sdk", "platform"},
    "ui": {"ui", "platform"},
    "controls": {"controls", "ui"} | CORE,
    "editors": {"editors", "controls", "ui"} | CORE,
    "pages": {"pages", "editors", "controls", "ui"} | CORE,
    "app": {"app", "pages", "editors", "controls", "ui", "sim"} | CORE,
}

# Quoted or angle-bracketed, with or without leading "../": a header of ours
# reached another way is still an arrow between layers.
PROJECT_INCLUDE = re.compile(r'^[ \t]*#[ \t]*include\s+["<](?:\.\./)*([^"<>/]+)/([^">]+)[">]', re.M)
QT_INCLUDE = re.compile(r"^[ \t]*#[ \t]*include\s+<(Q[A-Za-z]+|Qt[A-Za-z]*/[^>]+)>", re.M)


def layer_of(relative):
    return relative.parts[0] if len(relative.parts) > 1 else None


def check_file(root, path):
    relative = path.relative_to(root)
    layer = layer_of(relative)
    if layer not in ALLOWED:
        return []
    text = path.read_text(encoding="utf-8", errors="replace")
    problems = []
    for match in PROJECT_INCLUDE.finditer(text):
        folder = match.group(1)
        if folder in ALLOWED and folder not in ALLOWED[layer]:
            line = text.count("\n", 0, match.start()) + 1
            problems.append(f"{relative}:{line}: {layer}/ may not include {folder}/{match.group(2)}")
    if layer in QT_FREE:
        for match in QT_INCLUDE.finditer(text):
            line = text.count("\n", 0, match.start()) + 1
            problems.append(f"{relative}:{line}: {layer}/ is Qt-free but includes <{match.group(1)}>")
    return problems


def check_tree(root):
    problems = []
    for folder in sorted(ALLOWED):
        base = root / folder
        if not base.is_dir():
            continue
        for path in sorted(base.rglob("*")):
            if path.suffix in (".cpp", ".h") and path.is_file():
                problems.extend(check_file(root, path))
    return problems


def main(argv):
    root = Path(argv[1]) if len(argv) > 1 else Path(__file__).resolve().parent.parent
    problems = check_tree(root)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

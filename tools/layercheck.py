#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""Refuses an include that reaches a folder its own folder's target does not link.

Every folder of the plug-in and the hosts is built into one target, and all of them share one
include root, so the compiler alone would accept `#include "operations/..."` in filesystem/. The
build runs this check first; it fails naming the file, the include and the folders allowed.

Usage: layercheck.py SOURCE_ROOT RULES

RULES holds a line per folder, "FOLDER: USED_FOLDER ...": the folders of the targets that the
folder's own target links. A folder may include its own files and those of every folder it uses,
directly or through the folders those use. Includes found in no listed folder (Qt, the system)
are not its business.
"""
import re
import sys
from pathlib import Path

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_SUFFIXES = (".cpp", ".h")


def read_rules(path):
    """{folder: [folders its target links]}, in the order the file lists them."""
    rules = {}
    for line in Path(path).read_text(encoding="utf-8").splitlines():
        if not line.strip():
            continue
        folder, _, used = line.partition(":")
        rules[folder.strip()] = used.split()
    return rules


def allowed_folders(rules, folder):
    """The folder itself and every folder it uses, however far down."""
    allowed, pending = set(), [folder]
    while pending:
        current = pending.pop()
        if current not in allowed:
            allowed.add(current)
            pending.extend(rules.get(current, []))
    return allowed


def owning_folder(root, path, folders):
    """The listed folder a file lies in (the deepest, as folders nest), or None."""
    try:
        relative = path.relative_to(root).as_posix()
    except ValueError:
        return None
    owners = [folder for folder in folders if relative.startswith(folder + "/")]
    return max(owners, key=len) if owners else None


def resolutions(root, source, quote, name, folders):
    """Every file the include could name: beside the source (quoted includes), under the root,
    and under each listed folder, as their targets export their folders to bare names."""
    bases = ([source.parent] if quote == '"' else []) + [root] + [root / f for f in folders]
    found = []
    for base in bases:
        candidate = (base / name).resolve()
        if candidate.is_file() and candidate not in found:
            found.append(candidate)
    return found


def check_file(root, source, folder, rules):
    """The refusals for one source file, as lines for people."""
    allowed = allowed_folders(rules, folder)
    refusals = []
    text = source.read_text(encoding="utf-8", errors="replace")
    for number, line in enumerate(text.splitlines(), 1):
        match = INCLUDE.match(line)
        if not match:
            continue
        quote, name = match.groups()
        owners = [owning_folder(root, f, rules) for f in resolutions(root, source, quote, name, rules)]
        if not owners or any(owner is None or owner in allowed for owner in owners):
            continue
        closing = '"' if quote == '"' else ">"
        refusals.append(
            "%s:%d: #include %s%s%s reaches %s/, which %s/ may not use: %s/ may include only %s"
            % (source.relative_to(root).as_posix(), number, quote, name, closing, owners[0], folder,
               folder, ", ".join(f + "/" for f in sorted(allowed))))
    return refusals


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    root = Path(argv[1]).resolve()
    rules = read_rules(argv[2])
    refusals = []
    for folder in rules:
        for source in sorted((root / folder).iterdir()):
            if source.suffix in SOURCE_SUFFIXES and source.is_file():
                refusals.extend(check_file(root, source.resolve(), folder, rules))
    for refusal in refusals:
        print("layercheck: " + refusal, file=sys.stderr)
    if refusals:
        print("layercheck: a folder includes only from the folders its target links (README, Layout);"
              " move the code down, or link the layer in CMakeLists.txt if it belongs there",
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""Runs a command (a whole ctest run) and fails if it changed the user's ~/.config or
~/.local/share: a path added or removed, or one whose modification time or size changed.

Usage: untouchedhome.py COMMAND [ARGUMENT...]

The exit status is the command's own if it failed; otherwise 1 if the home folders changed, with
the list of what changed, and 0 if they did not.
"""
import os
import subprocess
import sys
from pathlib import Path

WATCHED = [".config", ".local/share"]


def snapshot(home):
    """{path relative to home: (kind, modification time, size)} for the watched folders, the
    folders themselves included, so a file made and removed again still shows in their time."""
    entries = {}
    for watched in WATCHED:
        top = home / watched
        if not top.is_dir():
            entries[watched] = ("absent", 0, 0)
            continue
        for folder, names, files in os.walk(top, onerror=lambda error: None):
            for path in [Path(folder)] + [Path(folder) / name for name in files]:
                try:
                    status = path.lstat()
                except OSError:
                    continue
                kind = "folder" if path.is_dir() and not path.is_symlink() else "file"
                entries[path.relative_to(home).as_posix()] = (kind, status.st_mtime_ns, status.st_size)
    return entries


def differences(before, after):
    """Lines for people: what was added, removed or changed, by path."""
    lines = []
    for path in sorted(set(before) | set(after)):
        if path not in before:
            lines.append("added    ~/" + path)
        elif path not in after:
            lines.append("removed  ~/" + path)
        elif before[path] != after[path]:
            lines.append("changed  ~/" + path)
    return lines


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    home = Path.home()
    before = snapshot(home)
    status = subprocess.call(argv[1:])
    changed = differences(before, snapshot(home))
    if changed:
        print("untouchedhome: %s changed %s while it ran (a test, or another program meanwhile):"
              % (" ".join(argv[1:]), " and ".join("~/" + w for w in WATCHED)), file=sys.stderr)
        for line in changed:
            print("    " + line, file=sys.stderr)
    else:
        print("untouchedhome: %s left %s untouched"
              % (os.path.basename(argv[1]), " and ".join("~/" + w for w in WATCHED)))
    if status != 0:
        return status
    return 1 if changed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

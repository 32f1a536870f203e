#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""Prints, for people, what a flow run changed in a folder: files copied, renamed, written or
removed (compared with the folder it was copied from), then the steps and their warnings from the
run's JSON report.

Usage: changes.py BEFORE_DIR AFTER_DIR REPORT.json
"""
import hashlib
import json
import sys
from pathlib import Path


def snapshot(root):
    """Every file under root by its relative path, with a digest of its bytes."""
    root = Path(root)
    return {
        str(path.relative_to(root)): hashlib.sha256(path.read_bytes()).hexdigest()
        for path in sorted(root.rglob("*"))
        if path.is_file()
    }


def changes(before, after):
    """(kind, path, detail) lines: copied and renamed files are told from new ones by content."""
    added = [path for path in after if path not in before]
    removed = [path for path in before if path not in after]
    lines = []
    for path in added:
        gone = next((old for old in removed if before[old] == after[path]), None)
        if gone:
            removed.remove(gone)
            lines.append(("renamed", gone, path))
            continue
        source = next((old for old, digest in before.items() if digest == after[path]), None)
        if source:
            lines.append(("copied", source, path))
        else:
            lines.append(("written", path, ""))
    lines += [("changed", path, "") for path in after if path in before and before[path] != after[path]]
    lines += [("removed", path, "") for path in removed]
    order = ["copied", "renamed", "written", "changed", "removed"]
    return sorted(lines, key=lambda line: order.index(line[0]))


def note(kind, path, detail, after_dir):
    """Why a copy got another name, or how long a new file is."""
    if kind == "copied" and Path(path).name != Path(detail).name:
        return "  (numbered: that name was taken)"
    if kind == "written":
        lines = len((Path(after_dir) / path).read_bytes().splitlines())
        return f"  ({lines} lines)"
    return ""


def main(before_dir, after_dir, report_file):
    report = json.loads(Path(report_file).read_text(encoding="utf-8"))
    print("Steps run:")
    for number, step in enumerate(report["steps"], 1):
        print(f"  {number}. {step['text']}")
    print(f"What changed in {after_dir}:")
    lines = changes(snapshot(before_dir), snapshot(after_dir))
    for kind, path, detail in lines:
        arrow = f"  ->  {detail}" if detail else ""
        print(f"  {kind:8} {path}{arrow}{note(kind, path, detail, after_dir)}")
    if not lines:
        print("  nothing")
    log = report["log"]
    print(f"Warnings: {len(log)}")
    for line in log:
        print(f"  {line}")
    print(f"Full report: {report_file}")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])

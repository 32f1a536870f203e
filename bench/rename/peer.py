# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""The Python peer: renames the flow's files the way method 5 does (hyphen, padded number after
the name) with one os.rename each."""
import json
import os
import sys

PAD = 5


def new_name(path, number):
    """data/f00001.txt, 2 -> data/f00001-00002.txt; the suffix is what follows the last dot."""
    folder, name = os.path.split(path)
    base, dot, suffix = name.rpartition(".")
    if not dot:
        base, suffix = name, ""
    return f"{folder}/{base}-{number:0{PAD}d}" + (f".{suffix}" if suffix else "")


if __name__ == "__main__":
    with open(sys.argv[1], encoding="utf-8") as f:
        paths = json.load(f)["variables"]["files"]["value"]
    for number, path in enumerate(paths, 1):
        os.rename(path, new_name(path, number))

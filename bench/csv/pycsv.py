#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""The Python peer of the CSV benchmark: csv.reader into a list of lists, and, given an output
path, csv.writer writing the rows back (UTF-8 with a mark, LF line ends)."""
import csv
import sys

with open(sys.argv[1], newline="", encoding="utf-8-sig") as source:
    rows = list(csv.reader(source))
if len(sys.argv) > 2:
    with open(sys.argv[2], "w", newline="", encoding="utf-8-sig") as target:
        csv.writer(target, lineterminator="\n").writerows(rows)
print(len(rows))

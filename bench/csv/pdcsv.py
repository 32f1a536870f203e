#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""The pandas peer of the CSV benchmark: its C reader with every cell kept as text, nothing
taken for a missing value and the first line read as data, as the reading step does."""
import sys

import pandas

frame = pandas.read_csv(sys.argv[1], dtype=str, keep_default_na=False, header=None)
print(len(frame))

#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""tools/layercheck.py on a small tree of three layers: which includes it lets through and which
it refuses, and that a refusal names the file, the line, the include and the folders allowed.

Usage: refusedincludes.py LAYERCHECK_PY
"""
import re
import subprocess
import sys
import tempfile
from pathlib import Path

# low/ links nothing, mid/ links low/, top/ links mid/; side/ links low/ only. low/ also exports
# its folder to bare names, as journal/ does.
RULES = "low:\nmid: low\ntop: mid\nside: low\n"
FILES = ["low/base.h", "mid/middle.h", "top/step.h", "side/other.h"]

# (name, file, include line, refused)
CASES = [
    ("own folder by root", "mid/a.cpp", '#include "mid/middle.h"', False),
    ("own folder beside", "mid/a.cpp", '#include "middle.h"', False),
    ("layer below", "mid/a.cpp", '#include "low/base.h"', False),
    ("two layers below", "top/a.cpp", '#include "low/base.h"', False),
    ("bare name of a layer below", "mid/a.cpp", "#include <base.h>", False),
    ("outside every layer", "mid/a.cpp", "#include <QString>", False),
    ("missing file", "mid/a.cpp", '#include "nowhere.h"', False),
    ("layer above", "low/a.cpp", '#include "mid/middle.h"', True),
    ("layer above from a header", "mid/b.h", '#include "top/step.h"', True),
    ("bare name of a layer above", "low/a.cpp", "#include <middle.h>", True),
    ("climbing out with ..", "low/a.cpp", '#include "../top/step.h"', True),
    ("spaced directive", "low/a.cpp", '  #  include "mid/middle.h"', True),
    ("sibling layer", "side/a.cpp", '#include "mid/middle.h"', True),
]


def run_case(checker, file, line):
    """The checker's exit code and standard error on a fresh tree holding the one include."""
    with tempfile.TemporaryDirectory() as scratch:
        root = Path(scratch)
        for name in FILES:
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text("#pragma once\n")
        (root / file).write_text("// first line\n" + line + "\n")
        (root / "rules.txt").write_text(RULES)
        done = subprocess.run([sys.executable, checker, str(root), str(root / "rules.txt")],
                              capture_output=True, text=True)
        return done.returncode, done.stderr


def main(argv):
    checker = argv[1]
    failures = []
    for name, file, line, refused in CASES:
        code, err = run_case(checker, file, line)
        if refused:
            include = re.search(r'[<"].*', line).group(0)
            folder = file.split("/")[0]
            expected = "%s:2: #include %s reaches" % (file, include)
            if code != 1 or expected not in err or ("%s/ may include only" % folder) not in err:
                failures.append("%s: not refused as expected (exit %d): %s" % (name, code, err))
        elif code != 0 or err:
            failures.append("%s: refused (exit %d): %s" % (name, code, err))
    for failure in failures:
        print("FAIL: " + failure)
    print("%d of %d cases passed" % (len(CASES) - len(failures), len(CASES)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

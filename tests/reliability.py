#!/usr/bin/env python3
"""Runs the fault and hostile-input cases one at a time and prints one line per area.

A case is one data row (or one function without data) of the reliability test programs, run as a
process of its own with a time limit, so that no case can take the others down with it: a process
ended by a signal counts as a crash, one over the limit as a hang. Cases that run stephost print
"RELIABILITY crash=C hang=H lost=L" about that run: whether stephost died by a signal or was
stopped after a minute, and how many files that were there before the run are gone or changed
although the case did not ask for it (the test compares checksums of the whole folder before and
after). A case passes when its test passes: exact exit code, exact warnings, exact changes.

usage: reliability.py TESTS_DIR
"""
import collections
import os
import re
import subprocess
import sys

# Test program, area of each of its functions, and the area of functions not named.
PROGRAMS = [
    ("tst_reliability", {
        "writeFaults": "write faults",
        "readFaults": "read faults",
        "hostileNames": "hostile file names",
        "links": "links",
        "vanishingSources": "vanishing sources",
        "bigData": "big data",
        "hostInput": "damaged flows, host output",
        "hostileSettings": "hostile settings",
    }, None),
    ("tst_deepnesting", {}, "deep nesting"),
    ("tst_concurrentflows", {}, "concurrent flows"),
]
CASE_TIMEOUT = 180
RUN_LINE = re.compile(r"RELIABILITY crash=(\d+) hang=(\d+) lost=(\d+)")


def cases(program):
    listing = subprocess.run([program, "-datatags"], capture_output=True, text=True, check=True)
    for line in listing.stdout.splitlines():
        parts = line.split(" ", 2)
        if len(parts) >= 2:
            yield parts[1], (parts[2] if len(parts) == 3 else None)


def run_case(program, function, tag):
    """Returns (outcome, lost): outcome is passed, failed, skipped, crash or hang."""
    argument = function if tag is None else f"{function}:{tag}"
    env = dict(os.environ, LC_ALL="C.UTF-8", QT_QPA_PLATFORM="offscreen")
    try:
        done = subprocess.run([program, argument], capture_output=True, text=True,
                              errors="replace", timeout=CASE_TIMEOUT, env=env)
    except subprocess.TimeoutExpired:
        return "hang", 0
    crash = hang = lost = 0
    for match in RUN_LINE.finditer(done.stdout):
        crash, hang, lost = (int(group) for group in match.groups())
    if done.returncode < 0 or crash:
        return "crash", lost
    if hang:
        return "hang", lost
    if done.returncode != 0:
        return "failed", lost
    return ("skipped" if "\nSKIP " in done.stdout else "passed"), lost


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    tests_dir = sys.argv[1]
    rows = collections.OrderedDict()
    problems = []
    for name, areas, default_area in PROGRAMS:
        program = os.path.join(tests_dir, name)
        for function, tag in cases(program):
            area = areas.get(function, default_area or function)
            row = rows.setdefault(area, collections.Counter())
            outcome, lost = run_case(program, function, tag)
            row["skipped" if outcome == "skipped" else "tried"] += 1
            row[outcome] += 1
            row["lost"] += lost
            if outcome != "passed" and outcome != "skipped" or lost:
                problems.append(f"{outcome:8} {name} {function}" + (f":{tag}" if tag else ""))

    columns = ["tried", "passed", "crash", "hang", "lost", "skipped"]
    titles = ["cases tried", "passed", "crashes", "hangs", "files lost", "skipped"]
    print(f"{'area':28}" + "".join(f"{title:>13}" for title in titles))
    total = collections.Counter()
    for area, row in rows.items():
        total.update(row)
        print(f"{area:28}" + "".join(f"{row[column]:>13}" for column in columns))
    print(f"{'all':28}" + "".join(f"{total[column]:>13}" for column in columns))
    for problem in problems:
        print(problem)
    return 0 if not problems else 1


if __name__ == "__main__":
    sys.exit(main())

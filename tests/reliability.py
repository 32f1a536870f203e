#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""Runs the fault and hostile-input cases one at a time and prints one line per area.

A case is one data row (or one function without data) of the reliability test programs, run as a
process of its own with a time limit, so that no case can take the others down with it: a process
ended by a signal counts as a crash, one over the limit as a hang. Cases that run stephost print
"RELIABILITY crash=C hang=H lost=L" about that run: whether stephost died by a signal or was
stopped after its time limit (150 s; 60 s for the 100 MB CSV line), and how many files that were
there before the run are gone or changed although the case did not ask for it (the test compares
checksums of the whole folder before and after). A case passes when its test passes: exact exit code, exact warnings, exact changes.

The area "killed overwrites" runs a flow that replaces a 50 MB text file and a large CSV file,
and kills it at random instants: afterwards each file must hold exactly its old or exactly its
new bytes, and nothing but hidden replacements of those two files may be left, which the next
whole run removes. A kill that leaves anything else counts as a file lost.
The area "killed runs" (killedruns.py) kills runs at random instants, with and without a journal;
"killed runs, edits after" has the user edit what a killed journaled run touched before undo.

usage: reliability.py TESTS_DIR
"""
import collections
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import killedruns

# Test program, area of each of its functions, and the area of functions not named (None: only
# the named ones run).
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
        "sizeLimits": "size limits",
        "overwritingCopies": "overwriting copies",
    }, None),
    ("tst_filerenameoperation", {"craftedNames": "crafted rename names"}, None),
    ("tst_filesizelimit", {}, "size limits"),
    ("tst_deepnesting", {}, "deep nesting"),
    ("tst_concurrentflows", {}, "concurrent flows"),
    ("tst_hostilejournals", {}, "hostile journals"),
]
CASE_TIMEOUT = 240
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


KILLS = 100
TEXT_MB = 50
CSV_ROWS = 400000
TARGETS = ("big.txt", "table.csv")
LEFTOVER = re.compile(r"^\.(big\.txt|table\.csv)\.fileoper-[A-Za-z0-9]{6}$")


def write_sources(work, tag):
    """Two versions of each file in the form the flow writes them back unchanged: UTF-8 with a
    mark; the CSV's cells need no quotes and its last row has no line break."""
    line = f"第{tag}版 text line, 内容 {tag} {tag * 40}\n".encode("utf-8")
    with open(os.path.join(work, f"src-{tag}.txt"), "wb") as out:
        out.write(b"\xef\xbb\xbf" + line * (TEXT_MB * 1000 * 1000 // len(line)))
    rows = "\n".join(f"{i},{tag}行{i},{i}.{tag}" for i in range(CSV_ROWS))
    with open(os.path.join(work, f"src-{tag}.csv"), "wb") as out:
        out.write(b"\xef\xbb\xbf" + rows.encode("utf-8"))
    flow = {"variables": {"text": {"type": "string"}, "table": {"type": "datatable"}},
            "steps": [
                {"type": "file.read", "settings": {"filePath": f"src-{tag}.txt",
                                                   "targetVarStr": "text"}},
                {"type": "file.write", "settings": {"filePath": "big.txt", "content": "$text",
                                                    "ifExist": 0}},
                {"type": "file.readcsv", "settings": {"filePath": f"src-{tag}.csv",
                                                      "targetVar": "table"}},
                {"type": "file.writecsv", "settings": {"sourceVar": "table",
                                                       "filePath": "table.csv"}}]}
    with open(os.path.join(work, f"flow-{tag}.json"), "w", encoding="utf-8") as out:
        json.dump(flow, out, ensure_ascii=False)


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha1(f.read()).hexdigest()


def killed_overwrites(stephost):
    """Returns the area's counts and its problems."""
    row, problems = collections.Counter(), []
    work = tempfile.mkdtemp(prefix="killed-overwrites-")
    try:
        for tag in (1, 2):
            write_sources(work, tag)
        versions = {tag: {name: digest(os.path.join(work, f"src-{tag}{os.path.splitext(name)[1]}"))
                          for name in TARGETS} for tag in (1, 2)}
        run = lambda tag: subprocess.Popen([stephost, "run", f"flow-{tag}.json", "--vars", ""],
                                           cwd=work, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL)
        # A whole run first, for the old content and for how long a run takes.
        start = time.monotonic()
        run(1).wait()
        duration = time.monotonic() - start
        held = dict(versions[1])
        rng = random.Random(20261207)
        for attempt in range(KILLS):
            tag = 2 if attempt % 2 == 0 else 1
            process = run(tag)
            time.sleep(rng.uniform(0, duration))
            process.send_signal(signal.SIGKILL)
            finished = process.wait() == 0
            row["tried"] += 1
            lost = 0
            for name in TARGETS:
                now = digest(os.path.join(work, name))
                if now not in (held[name], versions[tag][name]):
                    lost += 1
                held[name] = now
            strays = [entry for entry in os.listdir(work) if entry not in TARGETS
                      and not entry.startswith(("src-", "flow-"))
                      and (finished or not LEFTOVER.match(entry))]
            row["lost"] += lost
            if lost or strays:
                problems.append(f"killed   run {attempt}: {lost} files mixed, left {strays}")
            else:
                row["passed"] += 1
        # The next whole run removes what the killed ones left.
        run(1).wait()
        row["tried"] += 1
        strays = [entry for entry in os.listdir(work) if LEFTOVER.match(entry)]
        if strays:
            problems.append(f"failed   whole run after the kills left {strays}")
        else:
            row["passed"] += 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return row, problems


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    tests_dir = sys.argv[1]
    rows = collections.OrderedDict()
    problems = []
    for name, areas, default_area in PROGRAMS:
        program = os.path.join(tests_dir, name)
        for function, tag in cases(program):
            area = areas.get(function, default_area)
            if area is None:
                continue
            row = rows.setdefault(area, collections.Counter())
            outcome, lost = run_case(program, function, tag)
            row["skipped" if outcome == "skipped" else "tried"] += 1
            row[outcome] += 1
            row["lost"] += lost
            if outcome != "passed" and outcome != "skipped" or lost:
                problems.append(f"{outcome:8} {name} {function}" + (f":{tag}" if tag else ""))

    stephost = os.path.abspath(os.path.join(tests_dir, os.pardir, "bin", "stephost"))
    rows["killed overwrites"], killed_problems = killed_overwrites(stephost)
    problems += killed_problems
    rows["killed runs"], killed_problems = killedruns.killed_runs(stephost)
    problems += killed_problems
    rows["killed runs, edits after"], killed_problems = killedruns.killed_edited_runs(stephost)
    problems += killed_problems

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

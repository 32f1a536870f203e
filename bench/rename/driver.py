# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""Times stephost's rename step against a Python os.rename loop on the same files."""
import json
import os
import re
import shutil
import subprocess
import sys
import time

from peer import PAD, new_name

RUNS = 3


def make_files(work, paths):
    data = os.path.join(work, "data")
    shutil.rmtree(data, ignore_errors=True)
    os.mkdir(data)
    for path in paths:
        with open(os.path.join(work, path), "wb") as f:
            f.write(b"x")


def timed(command, work):
    """Wall time of one process, its processor time (user and system) and its peak resident set
    (kB), the last two measured by /usr/bin/time."""
    start = time.perf_counter()
    done = subprocess.run(["/usr/bin/time", "-v"] + command, cwd=work,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"bench rename: {command[0]} failed:\n{done.stderr}")

    def field(label):
        found = re.search(label + r": ([\d.]+)", done.stderr)
        return float(found.group(1)) if found else 0.0

    cpu = field(r"User time \(seconds\)") + field(r"System time \(seconds\)")
    return elapsed, cpu, int(field(r"Maximum resident set size \(kbytes\)"))


def check(work, expected):
    found = sorted("data/" + name for name in os.listdir(os.path.join(work, "data")))
    if found != expected:
        sys.exit("bench rename: the renamed files are not the expected ones")


def best_of_each(commands, work, paths, expected):
    """Best time and peak memory of each command; runs alternate so noise hits both alike."""
    results = [[] for _ in commands]
    for _ in range(RUNS):
        for index, command in enumerate(commands):
            make_files(work, paths)
            results[index].append(timed(command, work))
            check(work, expected)
    return [(min(r[0] for r in runs), min(r[1] for r in runs), max(r[2] for r in runs))
            for runs in results]


def main():
    stephost, work, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    paths = [f"data/f{i:05d}.txt" for i in range(count)]
    expected = sorted(new_name(p, n) for n, p in enumerate(paths, 1))
    flow = {
        "variables": {"files": {"type": "list", "value": paths}, "renamed": {"type": "list"}},
        "steps": [{"type": "file.rename",
                   "settings": {"files": "$files", "mode": 5, "sep": 1, "usePad": True,
                                "padLen": PAD, "newList": "renamed"}}],
    }
    flow_file = os.path.join(work, "flow.json")
    with open(flow_file, "w", encoding="utf-8") as f:
        json.dump(flow, f)
    peer_file = os.path.join(os.path.dirname(os.path.abspath(__file__)), "peer.py")
    rows = best_of_each(
        [[stephost, "run", flow_file, "--vars", ""], [sys.executable, peer_file, flow_file]],
        work, paths, expected)
    names = ["stephost file.rename", "python3 os.rename loop"]

    print(f"rename {count} files by numbering (method 5), best of {RUNS}")
    print(f"  {'program':<26}{'wall s':>9}{'cpu s':>9}{'peak RSS MB':>13}")
    for name, (wall, cpu, rss) in zip(names, rows):
        print(f"  {name:<26}{wall:>9.3f}{cpu:>9.2f}{rss / 1024:>13.1f}")
    # Wall time is the measure; processor time is steadier on a busy machine and shows whether
    # a poor wall ratio was the machine's doing.
    wall_ratio = rows[0][0] / rows[1][0]
    cpu_ratio = rows[0][1] / rows[1][1] if rows[1][1] else float("nan")
    print(f"RATIO rename\tstephost vs python os.rename, {count} files\t{wall_ratio:.2f}x\t1.5x")
    print(f"RATIO rename\tsame, processor time\t{cpu_ratio:.2f}x\t1.5x")


if __name__ == "__main__":
    main()

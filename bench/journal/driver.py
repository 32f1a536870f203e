# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""Times journaled runs of stephost against the same runs without a journal."""
import json
import os
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "rename"))
from driver import make_files  # noqa: E402  (the rename benchmark's files, made the same way)
from peer import PAD  # noqa: E402

RUNS = 5
GIB = 1 << 30


def timed(command, work):
    start = time.perf_counter()
    done = subprocess.run(command, cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"bench journal: {' '.join(command)} failed:\n{done.stderr.decode()}")
    return elapsed


def write_flow(work, name, steps, variables):
    path = os.path.join(work, f"{name}.json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump({"variables": variables, "steps": steps}, f)
    return path


def rename_case(work, count):
    paths = [f"data/f{i:05d}.txt" for i in range(count)]
    flow = write_flow(work, "rename", [{"type": "file.rename", "settings": {
        "files": "$files", "mode": 5, "sep": 1, "usePad": True, "padLen": PAD,
        "newList": "renamed"}}], {"files": {"type": "list", "value": paths},
                                  "renamed": {"type": "list"}})
    return flow, lambda: make_files(work, paths)


def copy_case(work, count):
    small = os.path.join(work, "small")
    os.mkdir(small)
    paths = []
    for i in range(count):
        paths.append(os.path.join(small, f"f{i:05d}.txt"))
        with open(paths[-1], "wb") as f:
            f.write(os.urandom(512 + (i * 37) % 3584))
    flow = write_flow(work, "copy", [{"type": "file.copy", "settings": {
        "files": "$sources", "destDir": "out", "ifExist": 2, "listVar": "copied"}}],
        {"sources": {"type": "list", "value": paths}, "copied": {"type": "list"}})
    return flow, lambda: shutil.rmtree(os.path.join(work, "out"), ignore_errors=True)


def delete_case(work):
    big = os.path.join(work, "big.bin")
    flow = write_flow(work, "delete", [{"type": "file.delete", "settings": {
        "files": big, "deletedList": "deleted"}}], {"deleted": {"type": "list"}})

    def fresh():
        with open(big, "wb") as f:
            os.posix_fallocate(f.fileno(), 0, GIB)
    return flow, fresh


def rounds_of(stephost, work, flow, fresh):
    """Wall times without and with a journal, a pair a round; the sides alternate so that the
    disk's moods (a copy syncs every file) hit both alike."""
    times = {"plain": [], "journaled": []}
    journal = os.path.join(work, "journal")
    for _ in range(RUNS):
        for side in times:
            fresh()
            shutil.rmtree(journal, ignore_errors=True)
            command = [stephost, "run", flow, "--vars", ""]
            if side == "journaled":
                command += ["--journal", journal]
            subprocess.run(["sync"])
            times[side].append(timed(command, work))
    shutil.rmtree(journal, ignore_errors=True)
    return times


def main():
    stephost, work, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    cases = [("rename", f"rename of {count} files by numbering", rename_case(work, count), "1.3x"),
             ("copy", f"copy of {count} small files", copy_case(work, count), "1.3x"),
             ("delete", "delete of a 1 GiB file", delete_case(work), "1.1x")]
    print(f"journaled runs against plain ones, median of {RUNS} rounds of per-round ratios, "
          "journal on the same file system")
    print(f"  {'case':<34}{'plain s':>9}{'journal s':>11}")
    ratios = []
    for name, label, (flow, fresh), target in cases:
        times = rounds_of(stephost, work, flow, fresh)
        per_round = [j / p for p, j in zip(times["plain"], times["journaled"])]
        print(f"  {label:<34}{statistics.median(times['plain']):>9.3f}"
              f"{statistics.median(times['journaled']):>11.3f}")
        ratios.append(f"RATIO journal\t{label}, with journal vs without\t"
                      f"{statistics.median(per_round):.2f}x\t{target}")
    print("\n".join(ratios))


if __name__ == "__main__":
    main()

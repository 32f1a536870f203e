# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""Times `stephost plan` of a 10,000-file numbering rename against `stephost run` of the same."""
import json
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "rename"))
from driver import make_files  # noqa: E402  (the rename benchmark's files, made the same way)

RUNS = 3


def timed(command, work):
    start = time.perf_counter()
    done = subprocess.run(command, cwd=work, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"bench plan: {command[1]} failed:\n{done.stderr.decode()}")
    return elapsed, done.stdout


def main():
    stephost, work, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    paths = [f"data/f{i:05d}.txt" for i in range(count)]
    flow = {
        "variables": {"files": {"type": "list", "value": paths}, "renamed": {"type": "list"}},
        "steps": [{"type": "file.rename",
                   "settings": {"files": "$files", "mode": 5, "sep": 1, "usePad": True,
                                "padLen": 5, "newList": "renamed"}}],
    }
    flow_file = os.path.join(work, "flow.json")
    with open(flow_file, "w", encoding="utf-8") as f:
        json.dump(flow, f)
    plan = [stephost, "plan", flow_file, "--json", "--vars", ""]
    run = [stephost, "run", flow_file, "--vars", ""]
    best = {"plan": float("inf"), "run": float("inf")}
    for _ in range(RUNS):
        make_files(work, paths)
        elapsed, out = timed(plan, work)
        best["plan"] = min(best["plan"], elapsed)
        if sorted(os.listdir(os.path.join(work, "data"))) != sorted(p[5:] for p in paths):
            sys.exit("bench plan: the plan changed the files")
        if len(json.loads(out)["changes"]) != count:
            sys.exit("bench plan: the plan does not list every rename")
        elapsed, _ = timed(run, work)
        best["run"] = min(best["run"], elapsed)

    print(f"plan of a rename of {count} files by numbering (method 5), best of {RUNS}")
    print(f"  {'program':<26}{'wall s':>9}")
    print(f"  {'stephost plan --json':<26}{best['plan']:>9.3f}")
    print(f"  {'stephost run':<26}{best['run']:>9.3f}")
    print(f"RATIO plan\tstephost plan vs run, {count} files\t{best['plan'] / best['run']:.2f}x\t1.5x")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""Compares what a Qt 5 and a Qt 6 build of stephost write, byte for byte:

- every example and test flow saved in the binary format (`stephost save`), and each build's
  binary flow read back by the other (`stephost dump`);
- the text files both builds write from malformed text (UTF-16 and UTF-32 files that end in an
  incomplete code unit, lone surrogates, invalid UTF-8; written anew as UTF-8 and appended to
  UTF-8, UTF-16 and UTF-32 files), and the run's report.

    samebytes.py QT5_STEPHOST QT6_STEPHOST SOURCE_DIR

Exit status 0 when everything agrees, 1 with the differences listed, 77 (a skip) when either
stephost is missing.
"""
import json
import os
import subprocess
import sys
import tempfile

ENV = dict(os.environ, LC_ALL="C.UTF-8")
for name in ("QT_PLUGIN_PATH", "LD_LIBRARY_PATH"):
    ENV.pop(name, None)


def flows(source):
    """Every example and test flow, relative to SOURCE."""
    found = []
    for top in ("examples", os.path.join("tests", "flows")):
        for folder, _, files in os.walk(os.path.join(source, top)):
            found += [os.path.relpath(os.path.join(folder, name), source)
                      for name in files if name.endswith(".json")]
    return sorted(found)


def run(stephost, arguments, cwd=None):
    return subprocess.run([stephost] + arguments, cwd=cwd, env=ENV, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=300)


def compare_saved_flows(builds, source, scratch, problems):
    saved = 0
    for flow in flows(source):
        outputs = {}
        for label, stephost in builds.items():
            out = os.path.join(scratch, "%s-%s.bin" % (label, flow.replace(os.sep, "_")))
            result = run(stephost, ["save", os.path.join(source, flow), out])
            outputs[label] = (result.returncode,
                              open(out, "rb").read() if result.returncode == 0 else None, out)
        (status5, bytes5, file5), (status6, bytes6, file6) = outputs["qt5"], outputs["qt6"]
        if status5 != status6:
            problems.append("%s: save exits %d with Qt 5, %d with Qt 6" % (flow, status5, status6))
            continue
        if status5 != 0:
            continue  # refused by both (a step of a plug-in not loaded here)
        saved += 1
        if bytes5 != bytes6:
            at = next(i for i, (a, b) in enumerate(zip(bytes5 + b"\0", bytes6 + b"\1")) if a != b)
            problems.append("%s: the binary flows differ from byte %d (%d and %d bytes)"
                            % (flow, at, len(bytes5), len(bytes6)))
            continue
        # Each build reads the other's file as its own.
        dumps = [run(builds[reader], ["dump", written]).stdout
                 for reader, written in (("qt5", file5), ("qt6", file5), ("qt5", file6),
                                         ("qt6", file6))]
        if len(set(dumps)) != 1:
            problems.append("%s: the builds dump the binary flow differently" % flow)
    return saved


# Inputs of the malformed-text flow: file name -> bytes.
MALFORMED_INPUTS = {
    "odd16.txt": b"\xff\xfea\x00b\x00c",                        # UTF-16LE, a lone last byte
    "odd16be.txt": b"\xfe\xff\x00a\x00b\x00",                   # UTF-16BE, a lone last byte
    "odd32.txt": b"\xff\xfe\x00\x00a\x00\x00\x00b\x00",         # UTF-32LE, two bytes over
    "lone16.txt": b"\xff\xfea\x00\x00\xd8b\x00\x00\xdcc\x00\x3d\xd8",  # lone surrogates, a high one last
    "bad8.txt": b"a\xed\xa0\x80b\xc0\xafc\xf4\x90\x80\x80d\xe4\xb8",
    "target8.txt": "已有\n".encode("utf-8"),
    "target16.txt": b"\xff\xfex\x00\n\x00",
    "target32.txt": b"\xff\xfe\x00\x00x\x00\x00\x00\n\x00\x00\x00",
}


def malformed_flow():
    steps = []
    for name, var in (("odd16", "a"), ("odd16be", "b"), ("odd32", "c"), ("lone16", "d"),
                      ("bad8", "e")):
        steps.append({"type": "file.read", "settings": {"filePath": name + ".txt",
                                                         "targetVarStr": var}})
        steps.append({"type": "file.write", "settings": {"filePath": "new-%s.txt" % var,
                                                          "content": "$" + var}})
    for target in ("target8", "target16", "target32"):
        for var in ("a", "c", "d", "e"):
            steps.append({"type": "file.write", "settings": {"filePath": target + ".txt",
                                                              "content": "$" + var,
                                                              "ifExist": 1}})
    variables = {var: {"type": "string"} for var in "abcde"}
    return {"variables": variables, "steps": steps}


def files_under(folder):
    contents = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                contents[os.path.relpath(path, folder)] = f.read()
    return contents


def compare_malformed_text(builds, scratch, problems):
    flow = os.path.join(scratch, "malformed.json")
    with open(flow, "w", encoding="utf-8") as f:
        json.dump(malformed_flow(), f, ensure_ascii=False)
    written, reports = {}, {}
    for label, stephost in builds.items():
        work = os.path.join(scratch, "text-" + label)
        os.makedirs(work)
        for name, data in MALFORMED_INPUTS.items():
            with open(os.path.join(work, name), "wb") as f:
                f.write(data)
        result = run(stephost, ["run", flow], cwd=work)
        if result.returncode != 0:
            problems.append("malformed text: %s run exits %d: %s"
                            % (label, result.returncode, result.stderr.decode(errors="replace")))
            return 0
        written[label] = files_under(work)
        reports[label] = result.stdout
    if reports["qt5"] != reports["qt6"]:
        problems.append("malformed text: the run reports differ")
    names = sorted(set(written["qt5"]) | set(written["qt6"]))
    for name in names:
        five, six = written["qt5"].get(name), written["qt6"].get(name)
        if five != six:
            problems.append("malformed text: %s is %s with Qt 5, %s with Qt 6"
                            % (name, five.hex(" ") if five is not None else "missing",
                               six.hex(" ") if six is not None else "missing"))
    return len(names)


def main():
    stephost5, stephost6, source = (os.path.abspath(arg) for arg in sys.argv[1:4])
    for stephost in (stephost5, stephost6):
        if not os.access(stephost, os.X_OK):
            print("SKIP: no %s (./dev test builds both)" % stephost)
            return 77
    builds = {"qt5": stephost5, "qt6": stephost6}
    problems = []
    with tempfile.TemporaryDirectory() as scratch:
        saved = compare_saved_flows(builds, source, scratch, problems)
        files = compare_malformed_text(builds, scratch, problems)
    for problem in problems:
        print("FAIL: " + problem)
    print("%d flows saved and read back, %d text files compared, %d differences"
          % (saved, files, len(problems)))
    if saved == 0:
        print("FAIL: no flow was saved")
        return 1
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

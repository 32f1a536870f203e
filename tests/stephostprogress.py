#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""stephost as a person at a terminal meets it: a progress line per step on a terminal and none
without one, and Ctrl+C (SIGINT) or SIGTERM stopping a run or a plan where it is, with a report of
what was done.

    stephostprogress.py STEPHOST
"""

import json
import os
import pty
import re
import select
import signal
import subprocess
import sys
import tempfile
import time

STEPHOST = sys.argv[1] if len(sys.argv) > 1 else "stephost"
# The host's own words in Chinese, whatever the machine's locale.
CHINESE = dict(os.environ, LANGUAGE="zh_CN", LC_ALL="zh_CN.UTF-8", LANG="zh_CN.UTF-8")
# Generous: machines that run tests are noisy. The stop itself is asked before each file.
STOP_BOUND_S = 5.0

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what, flush=True)


def make_sources(folder, count, size=16):
    """`count` files of `size` bytes: names of one file, which is made many times faster."""
    os.makedirs(os.path.join(folder, "src"))
    names = ["src/f%05d.bin" % i for i in range(count)]
    with open(os.path.join(folder, names[0]), "wb") as f:
        f.write(b"x" * size)
    for name in names[1:]:
        os.link(os.path.join(folder, names[0]), os.path.join(folder, name))
    return names


def copy_flow(folder, names, steps=1):
    flow = {"variables": {"files": {"type": "list", "value": names}, "copied": {"type": "list"}},
            "steps": [{"type": "file.copy",
                       "settings": {"files": "$files", "destDir": "out", "listVar": "copied"}}]
            * steps}
    path = os.path.join(folder, "flow.json")
    with open(path, "w") as f:
        json.dump(flow, f)
    return path


def visible_files(folder):
    if not os.path.isdir(folder):
        return []
    return sorted(n for n in os.listdir(folder) if not n.startswith("."))


def all_entries(folder):
    found = []
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            found.append(os.path.relpath(os.path.join(root, name), folder))
    return sorted(found)


def start(arguments, folder, stderr_on_terminal):
    """stephost with its report in a file and standard error on a pseudo-terminal or a pipe."""
    report = open(os.path.join(folder, "report.out"), "wb")
    if stderr_on_terminal:
        master, slave = pty.openpty()
        process = subprocess.Popen([STEPHOST] + arguments, cwd=folder, env=CHINESE,
                                   stdout=report, stderr=slave, stdin=subprocess.DEVNULL)
        os.close(slave)
        return process, master
    process = subprocess.Popen([STEPHOST] + arguments, cwd=folder, env=CHINESE, stdout=report,
                               stderr=subprocess.PIPE, stdin=subprocess.DEVNULL)
    return process, process.stderr.fileno()


def read_until(fd, pattern, timeout=60.0):
    """What the process wrote to fd, up to where `pattern` first matches (or its end)."""
    seen = b""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        ready, _, _ = select.select([fd], [], [], 0.1)
        if not ready:
            continue
        try:
            chunk = os.read(fd, 65536)
        except OSError:  # the terminal's other end closed
            break
        if not chunk:
            break
        seen += chunk
        if pattern and re.search(pattern, seen):
            break
    return seen


def wait_for_files(folder, timeout=60.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and not visible_files(folder):
        time.sleep(0.01)


def report_of(folder):
    with open(os.path.join(folder, "report.out"), "rb") as f:
        return f.read()


PROGRESS = re.compile(r"\r\[1/2\] 复制文件  [0-9,]+/3 个文件 · [0-9.]+/[0-9.]+ (B|KB|MB|GB)\x1b\[K")


def progress_on_terminal_only():
    reports = {}
    for on_terminal in (True, False):
        with tempfile.TemporaryDirectory() as folder:
            names = make_sources(folder, 3, size=5000)
            flow = copy_flow(folder, names, steps=2)
            process, fd = start(["run", flow], folder, on_terminal)
            err = read_until(fd, None)
            check(process.wait() == 0, "run ends with 0")
            text = err.decode("utf-8", "replace")
            if on_terminal:
                os.close(fd)
                check(PROGRESS.search(text) is not None,
                      "a terminal shows the progress line: %r" % text)
                check(re.search(r"\[2/2\] 复制文件 …(\x1b\[K)? [0-9.]+ (毫秒|秒)\r\n", text) is not None,
                      "each step's line ends with its time: %r" % text)
            else:
                check(text == "", "without a terminal nothing is written: %r" % text)
            reports[on_terminal] = report_of(folder)
    check(reports[True] == reports[False], "the report is the same with and without a terminal")
    check(b'"stopped"' not in reports[True], "a run not stopped says nothing of stopping")


def stopped_run(sig, expected_status, count):
    with tempfile.TemporaryDirectory() as folder:
        names = make_sources(folder, count)
        flow = copy_flow(folder, names)
        process, fd = start(["run", flow], folder, False)
        wait_for_files(os.path.join(folder, "out"))
        process.send_signal(sig)
        sent = time.monotonic()
        err = read_until(fd, None)
        status = process.wait()
        took = time.monotonic() - sent
        check(status == expected_status, "%s: exit %d, expected %d" % (sig, status,
                                                                         expected_status))
        check(took < STOP_BOUND_S, "%s: stopped %.2f s after the signal" % (sig, took))
        report = json.loads(report_of(folder))
        check(report.get("stopped") is True, "%s: the report says it stopped" % sig)
        listed = sorted(os.path.basename(p) for p in report["variables"]["copied"]["value"])
        on_disk = visible_files(os.path.join(folder, "out"))
        check(listed == on_disk, "%s: the list is what is on disk (%d listed, %d there)"
              % (sig, len(listed), len(on_disk)))
        check(0 < len(listed) < count, "%s: stopped part-way (%d of %d)" % (sig, len(listed),
                                                                          count))
        check(all(not n.startswith(".") for n in os.listdir(os.path.join(folder, "out"))),
              "%s: nothing half-made is left" % sig)
        warning = "[FileCopy] 已停止，还有 %d 个文件未处理" % (count - len(listed))
        check(report["log"] == [warning], "%s: one warning: %r" % (sig, report["log"]))
        check(warning in err.decode("utf-8", "replace"), "%s: the warning is shown" % sig)


def second_signal_ends_at_once():
    with tempfile.TemporaryDirectory() as folder:
        flow = copy_flow(folder, make_sources(folder, 2000))
        process, fd = start(["run", flow], folder, False)
        wait_for_files(os.path.join(folder, "out"))
        # Held still, so that both arrive before the first can end the run.
        process.send_signal(signal.SIGSTOP)
        process.send_signal(signal.SIGINT)
        process.send_signal(signal.SIGTERM)
        process.send_signal(signal.SIGCONT)
        read_until(fd, None)
        status = process.wait()
        check(status in (-signal.SIGINT, -signal.SIGTERM),
              "a second signal ends stephost by that signal (status %d)" % status)


def stopped_plan_writes_nothing(as_json):
    with tempfile.TemporaryDirectory() as folder:
        flow = copy_flow(folder, make_sources(folder, 2000), steps=20)
        before = all_entries(folder)
        arguments = ["plan", flow] + (["--json"] if as_json else [])
        process, fd = start(arguments, folder, True)
        # The first step's first figures: the plan is under way.
        read_until(fd, rb"\[1/20\] \S+  ")
        process.send_signal(signal.SIGINT)
        read_until(fd, None)
        os.close(fd)
        status = process.wait()
        check(status == 130, "plan: exit %d, expected 130" % status)
        after = [e for e in all_entries(folder) if e != "report.out"]
        check(after == before, "a stopped plan touches nothing")
        out = report_of(folder).decode("utf-8")
        if as_json:
            check(json.loads(out).get("stopped") is True, "the plan's report says it stopped")
        else:
            check(out.endswith("在流程结束前已停止\n"), "the plan's table says it stopped: %r"
                  % out[-200:])


for case, arguments in ((progress_on_terminal_only, ()),
                        (stopped_run, (signal.SIGINT, 130, 20000)),
                        (stopped_run, (signal.SIGTERM, 143, 2000)),
                        (second_signal_ends_at_once, ()),
                        (stopped_plan_writes_nothing, (False,)),
                        (stopped_plan_writes_nothing, (True,))):
    began = time.monotonic()
    case(*arguments)
    print("%s%r: %.1f s" % (case.__name__, arguments, time.monotonic() - began), flush=True)

if failures:
    print("%d check(s) failed" % len(failures))
    sys.exit(1)
print("all checks passed")

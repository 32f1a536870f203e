"""The reliability area "killed runs": flows of copies, moves, renames, deletes, writes, appends
and CSV writes over a small tree with a few big files, each run killed with SIGKILL at a random
instant.

With a journal, each killed run is followed by `stephost undo`, after which the tree must be what
it was before the run: every path, its type, bytes, link target and permission bits. Without one,
every file the flow copies, moves or renames must exist under its old or its new name with its
bytes intact, and no file may hold anything but bytes one of the files held before (a partly
written copy under a target's name counts as a file lost).
"""
import collections
import hashlib
import json
import os
import random
import re
import shutil
import signal
import stat
import subprocess
import tempfile
import time

JOURNALED_KILLS = 500
PLAIN_KILLS = 100
BIG_MB = 16
SMALL = ["a.txt", "b.txt", "c.md", "d/x.txt", "d/y.txt", "d/a.txt", "old.txt", "e/n.txt",
         "out/a.txt", "x-1.txt"]
# Hidden replacements that a killed overwrite may leave beside its target.
LEFTOVER = re.compile(r"^\..*\.fileoper-[A-Za-z0-9]{6}$")


def step(kind, **settings):
    return {"type": kind, "settings": settings}


def flows(big_source):
    """Each flow names the files of the tree and the big files; the journal test runs them all."""
    every = "\n".join(SMALL + ["big.bin"])
    table = {"table": {"type": "datatable", "value": [[str(i), f"行{i}", "x,y"] for i in range(30000)]},
             "text": {"type": "string"}, "list": {"type": "list"}}
    return {
        "copy": [step("file.copy", files=every, destDir="out", ifExist=policy, listVar="list")
                 for policy in (1, 2, 0)],
        "move": [step("file.move", files=every, destDir="e", ifExist=1, listVar="list"),
                 step("file.move", files="e/a.txt\ne/b.txt", destDir="d", ifExist=2,
                      listVar="list")],
        "rename": [step("file.rename", files="\n".join(SMALL), mode=mode, newName="r",
                        addText="-1", delText="a", oldText="x", newText="y", newExt="md",
                        ifNewExist=policy, newList="list")
                   for mode, policy in ((1, 1), (5, 0), (2, 1), (3, 1), (4, 0), (0, 1))],
        "delete": [step("file.delete", files="a.txt\nd/x.txt\nbig.bin\nlink", deletedList="list")],
        "write": [step("file.read", filePath=big_source, targetVarStr="text"),
                  step("file.write", filePath="bigout.txt", content="$text", ifExist=0),
                  step("file.write", filePath="old.txt", content="$text", ifExist=1),
                  step("file.write", filePath="new.txt", content="$text", ifExist=0)],
        "csv": [step("file.writecsv", sourceVar="table", filePath="old.txt", ifExist=0),
                step("file.writecsv", sourceVar="table", filePath="b.txt", ifExist=1),
                step("file.writecsv", sourceVar="table", filePath="t.csv", ifExist=0)],
    }, table


def plain_flows():
    """Copies, moves and renames that replace nothing the user had: without a journal, every
    file must then survive a kill under its old or its new name."""
    every = "\n".join(SMALL + ["big.bin"])
    return {
        "plain-copy": [step("file.copy", files=every, destDir="copies", ifExist=policy,
                            listVar="list") for policy in (1, 2, 0)],
        "plain-move": [step("file.move", files=every, destDir="e", ifExist=0, listVar="list")],
        "plain-rename": [step("file.rename", files="\n".join(SMALL), mode=mode, newName="r",
                              addText="-1", newExt="md", ifNewExist=0, newList="list")
                         for mode in (1, 2, 3, 4)],
    }


def build_tree(root, big_text):
    for path in SMALL:
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w") as out:
            out.write(path * 50)
    os.chmod(os.path.join(root, "c.md"), 0o755)
    os.chmod(os.path.join(root, "d/y.txt"), 0o600)
    os.symlink("a.txt", os.path.join(root, "link"))
    with open(os.path.join(root, "big.bin"), "wb") as out:
        out.write(random.Random(7).randbytes(BIG_MB * 1000 * 1000))
    shutil.copyfile(big_text, os.path.join(root, "bigout.txt"))


class Snapshot:
    """Hashes of file bytes, cached by what changes whenever the bytes may have."""

    def __init__(self):
        self.cache = {}

    def digest(self, path, info):
        key = (path, info.st_ino, info.st_size, info.st_mtime_ns, info.st_ctime_ns)
        if key not in self.cache:
            with open(path, "rb") as f:
                self.cache[key] = hashlib.sha1(f.read()).hexdigest()
        return self.cache[key]

    def state(self, root):
        entries = {}
        for folder, dirs, files in os.walk(root):
            for name in dirs + files:
                full = os.path.join(folder, name)
                info = os.lstat(full)
                if stat.S_ISLNK(info.st_mode):
                    what = "-> " + os.readlink(full)
                elif stat.S_ISDIR(info.st_mode):
                    what = "folder"
                else:
                    what = self.digest(full, info)
                entries[os.path.relpath(full, root)] = (oct(info.st_mode), what)
        return entries


def durations(stephost, work, names):
    """How long a whole journaled run of each flow takes, the tree taken back after it."""
    taken = {}
    for name in names:
        journal = os.path.join(work, "journal")
        start = time.monotonic()
        subprocess.run([stephost, "run", f"../{name}.json", "--vars", "", "--journal", journal],
                       cwd=os.path.join(work, "tree"), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        taken[name] = time.monotonic() - start
        subprocess.run([stephost, "undo", journal], stdout=subprocess.DEVNULL)
        shutil.rmtree(journal)
    return taken


def killed_journaled(stephost, work, names, rng, row, problems):
    tree = os.path.join(work, "tree")
    snapshot = Snapshot()
    before = snapshot.state(tree)
    taken = durations(stephost, work, names)
    journal = os.path.join(work, "journal")
    for attempt in range(JOURNALED_KILLS):
        name = names[attempt % len(names)]
        process = subprocess.Popen([stephost, "run", f"../{name}.json", "--vars", "",
                                    "--journal", journal], cwd=tree,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(rng.uniform(0, taken[name]))
        process.send_signal(signal.SIGKILL)
        process.wait()
        undo = subprocess.run([stephost, "undo", journal], capture_output=True, text=True)
        shutil.rmtree(journal, ignore_errors=True)
        after = snapshot.state(tree)
        row["tried"] += 1
        differing = sorted(path for path in set(before) | set(after)
                           if before.get(path) != after.get(path))
        row["lost"] += sum(1 for path in differing if path in before)
        # A run killed before its journal began leaves nothing to take back.
        never_began = "holds no journal" in undo.stderr
        if differing or (undo.returncode != 0 and not never_began):
            problems.append(f"killed   journaled {name} run {attempt}: undo exit "
                            f"{undo.returncode}, differs at {differing[:5]} {undo.stdout[-300:]}")
            shutil.rmtree(tree)
            os.mkdir(tree)
            build_tree(tree, os.path.join(work, "big.txt"))
            before = snapshot.state(tree)
        else:
            row["passed"] += 1


def killed_plain(stephost, work, rng, row, problems):
    """Copies, moves and renames killed without a journal; each run on a fresh tree."""
    tree = os.path.join(work, "tree")
    snapshot = Snapshot()
    plain = list(plain_flows())
    taken = durations(stephost, work, plain)
    for attempt in range(PLAIN_KILLS):
        name = plain[attempt % len(plain)]
        shutil.rmtree(tree)
        os.mkdir(tree)
        build_tree(tree, os.path.join(work, "big.txt"))
        before = snapshot.state(tree)
        process = subprocess.Popen([stephost, "run", f"../{name}.json", "--vars", ""], cwd=tree,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(rng.uniform(0, taken[name]))
        process.send_signal(signal.SIGKILL)
        process.wait()
        after = snapshot.state(tree)
        known = {what for _, what in before.values()}
        held = collections.Counter(what for _, what in after.values())
        # Every file's bytes are still somewhere; nothing holds bytes no file held before.
        lost = [path for path, (_, what) in before.items() if what not in held]
        strange = [path for path, (_, what) in after.items()
                   if what not in known and not LEFTOVER.match(os.path.basename(path))]
        row["tried"] += 1
        row["lost"] += len(lost) + len(strange)
        if lost or strange:
            problems.append(f"killed   plain {name} run {attempt}: lost {lost}, partial {strange}")
        else:
            row["passed"] += 1


def killed_runs(stephost):
    """Returns the area's counts and its problems."""
    row, problems = collections.Counter(), []
    work = tempfile.mkdtemp(prefix="killed-runs-")
    try:
        big_text = os.path.join(work, "big.txt")
        line = "第一版 text line, 内容 " + "x" * 60 + "\n"
        with open(big_text, "w", encoding="utf-8") as out:
            out.write(line * (BIG_MB * 1000 * 1000 // len(line.encode("utf-8"))))
        all_flows, variables = flows(big_text)
        for name, steps in {**all_flows, **plain_flows()}.items():
            with open(os.path.join(work, f"{name}.json"), "w", encoding="utf-8") as out:
                json.dump({"variables": variables, "steps": steps}, out, ensure_ascii=False)
        os.mkdir(os.path.join(work, "tree"))
        build_tree(os.path.join(work, "tree"), big_text)
        rng = random.Random(20261207)
        killed_journaled(stephost, work, list(all_flows), rng, row, problems)
        killed_plain(stephost, work, rng, row, problems)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return row, problems

# SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
# SPDX-License-Identifier: MIT

"""The reliability area "killed runs": flows of copies, moves, renames, deletes, writes, appends
and CSV writes over a small tree with a few big files, each run killed with SIGKILL at a random
instant.

With a journal, each killed run is followed by `stephost undo`, after which the tree must be what
it was before the run: every path, its type, bytes, link target and permission bits. Without one,
every file the flow copies, moves or renames must exist under its old or its new name with its
bytes intact, and no file may hold anything but bytes one of the files held before (a partly
written copy under a target's name counts as a file lost).

Copies and moves of many small files (MANY of them, made durable in batches) are killed at random
instants too, with and without a journal, judged as above: undo restores the tree, and without a
journal every file under a final name is complete and no source is gone whose copy is not.

The area "killed runs, edits after" kills journaled runs, at a random instant or (through the
test builds' FILEOPER_TEST_KILL_AFTER_CHANGE) right after a random change, then edits paths the
run touched as a user would (append, rewrite in place, rewrite by rename, delete, create), then
runs `stephost undo`: every edit must survive byte for byte, where it stands or set aside in the
journal and listed, everything else must be as before the run, and every file the run changed
and the user did not must still have its old bytes somewhere.
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
EDITED_KILLS = 300
BIG_MB = 16
MANY = 2000
MANY_KILLS = 40
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
        # A run killed before its journal began leaves nothing to take back; bytes written in
        # place whose end the journal lacks are set aside, the path restored all the same.
        never_began = "holds no journal" in undo.stderr
        all_aside = undo.returncode == 1 and all("aside" in entry
                                                 for entry in report_of(undo)["left"])
        if differing or (undo.returncode != 0 and not never_began and not all_aside):
            problems.append(f"killed   journaled {name} run {attempt}: undo exit "
                            f"{undo.returncode}, differs at {differing[:5]} {undo.stdout[-300:]}")
            shutil.rmtree(tree)
            os.mkdir(tree)
            build_tree(tree, os.path.join(work, "big.txt"))
            before = snapshot.state(tree)
        else:
            row["passed"] += 1


def report_of(undo):
    try:
        report = json.loads(undo.stdout)
    except ValueError:
        report = {}
    report.setdefault("left", [])
    return report


def changes_in(journal):
    """How many records the journal's log holds."""
    with open(os.path.join(journal, "journal.log"), "rb") as log:
        return sum(1 for line in log if line.startswith(b'{"op"'))


def edit_as_user(tree, rng, before, after_kill, attempt):
    """Edits one to three paths the killed run touched; returns {path: bytes, or None if gone}."""
    touched = sorted(path for path in set(before) | set(after_kill)
                     if before.get(path) != after_kill.get(path)
                     and not LEFTOVER.match(os.path.basename(path)))
    edits = {}
    for path in rng.sample(touched, min(len(touched), rng.randint(1, 3))):
        full = os.path.join(tree, path)
        mine = f"edit {attempt} of {path} by the user\n".encode()
        if os.path.islink(full) or os.path.isdir(full):
            continue
        if not os.path.exists(full):
            if not os.path.isdir(os.path.dirname(full)):
                continue
            with open(full, "wb") as out:
                out.write(mine)
            edits[path] = mine
            continue
        how = rng.choice(["append", "rewrite in place", "rewrite", "delete"])
        if how == "delete":
            os.remove(full)
            edits[path] = None
            continue
        if how == "rewrite":
            with open(full + ".new", "wb") as out:
                out.write(mine)
            os.replace(full + ".new", full)
        else:
            with open(full, "ab" if how == "append" else "r+b") as out:
                out.write(mine)
                if how != "append":
                    out.truncate()
        with open(full, "rb") as edited:
            edits[path] = edited.read()
    return edits


def digests_under(folder):
    found = set()
    for parent, _, files in os.walk(folder):
        for name in files:
            full = os.path.join(parent, name)
            if not os.path.islink(full):
                with open(full, "rb") as f:
                    found.add(hashlib.sha1(f.read()).hexdigest())
    return found


def edited_with_old_names(tree, journal, edits):
    """The edited paths, and the names the run renamed each from, all the way back."""
    renamed_from = {}
    with open(os.path.join(journal, "journal.log"), "rb") as log:
        for line in log:
            try:
                record = json.loads(line)
            except ValueError:
                continue
            if record.get("op") == "rename":
                renamed_from[os.path.relpath(record["path"], tree)] = \
                    os.path.relpath(record["from"], tree)
    names = set(edits)
    for path in list(names):
        while path in renamed_from and renamed_from[path] not in names:
            path = renamed_from[path]
            names.add(path)
    return names


def judge_edited(tree, journal, before, edits, undo, row, problems, label):
    """Counts what undo lost of the user's edits and of the files before the run."""
    report = report_of(undo)
    left = report["left"]
    wrong = []
    if undo.returncode not in (0, 1) or (undo.returncode == 0) != (not left):
        wrong.append(f"undo exit {undo.returncode} with {len(left)} left")
    named = set()
    aside = {}
    for entry in left:
        for key in ("path", "from"):
            if key in entry:
                named.add(os.path.relpath(entry[key], tree))
        if "aside" in entry:
            aside[os.path.relpath(entry["path"], tree)] = entry["aside"]
    lost = 0
    for path, mine in edits.items():
        full = os.path.join(tree, path)
        if mine is None:
            continue
        held = open(full, "rb").read() if os.path.isfile(full) else None
        kept = path in aside and os.path.isfile(aside[path]) and \
            open(aside[path], "rb").read() == mine
        if held != mine and not kept:
            lost += 1
            wrong.append(f"the user's edit of {path} is gone")
    after = Snapshot().state(tree)
    elsewhere = digests_under(journal) | {what for _, what in after.values()}
    edited_entries = edited_with_old_names(tree, journal, edits)

    def spoken_for(path):
        return any(path == name or path.startswith(name + "/") for name in set(edits) | named)

    for path in sorted(set(before) | set(after)):
        if before.get(path) == after.get(path):
            continue
        if not spoken_for(path):
            wrong.append(f"{path} differs")
        # An edit may itself end a file's old bytes (an appended file rewritten, a renamed file
        # deleted).
        if path in before and path not in edited_entries and before[path][1] not in elsewhere and \
                not before[path][1].startswith(("folder", "-> ")):
            lost += 1
            wrong.append(f"the old bytes of {path} are gone")
    row["tried"] += 1
    row["lost"] += lost
    if wrong:
        problems.append(f"killed   edited {label}: {wrong[:4]} {undo.stdout[-300:]}")
    else:
        row["passed"] += 1


def killed_edited(stephost, work, names, rng, row, problems):
    """Killed runs, the touched paths edited by the user, then undone; each on a fresh tree."""
    tree = os.path.join(work, "tree")
    journal = os.path.join(work, "journal")
    snapshot = Snapshot()
    taken = durations(stephost, work, names)
    records = {}
    for name in names:
        subprocess.run([stephost, "run", f"../{name}.json", "--vars", "", "--journal", journal],
                       cwd=tree, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        records[name] = changes_in(journal)
        subprocess.run([stephost, "undo", journal], stdout=subprocess.DEVNULL)
        shutil.rmtree(journal)
    # Copied for each run: quicker than building it again.
    pristine = os.path.join(work, "pristine")
    shutil.copytree(tree, pristine, symlinks=True)
    attempt = 0
    while row["tried"] < EDITED_KILLS and attempt < 3 * EDITED_KILLS:
        name = names[attempt % len(names)]
        attempt += 1
        shutil.rmtree(tree)
        shutil.copytree(pristine, tree, symlinks=True)
        before = snapshot.state(tree)
        environment = dict(os.environ)
        at_change = attempt % 2 == 0
        if at_change:
            environment["FILEOPER_TEST_KILL_AFTER_CHANGE"] = str(rng.randint(2, records[name]))
        process = subprocess.Popen([stephost, "run", f"../{name}.json", "--vars", "",
                                    "--journal", journal], cwd=tree, env=environment,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not at_change:
            time.sleep(rng.uniform(0, taken[name]))
            process.send_signal(signal.SIGKILL)
        process.wait()
        if not os.path.isdir(journal):
            continue
        edits = edit_as_user(tree, rng, before, snapshot.state(tree), attempt)
        if not edits:
            shutil.rmtree(journal)
            continue
        undo = subprocess.run([stephost, "undo", journal], capture_output=True, text=True)
        how = "at change " + environment["FILEOPER_TEST_KILL_AFTER_CHANGE"] if at_change \
            else "at an instant"
        judge_edited(tree, journal, before, edits, undo, row, problems,
                     f"{name} run {attempt} killed {how}, edits {sorted(edits)}")
        shutil.rmtree(journal, ignore_errors=True)


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


def many_flows():
    """A copy and a move of MANY small files, which wait in batches for their names."""
    every = "\n".join(f"many/m{i:04d}.txt" for i in range(MANY))
    return {
        "many-copy": [step("file.copy", files=every, destDir="copies", ifExist=2, listVar="list")],
        "many-move": [step("file.move", files=every, destDir="moved", ifExist=0, listVar="list")],
    }


def build_many(root):
    folder = os.path.join(root, "many")
    os.makedirs(folder)
    rng = random.Random(11)
    for i in range(MANY):
        with open(os.path.join(folder, f"m{i:04d}.txt"), "wb") as out:
            out.write(rng.randbytes(200 + (i * 37) % 3000))


def killed_many(stephost, rng, row, problems):
    """Copies and moves of MANY files killed at random instants, with a journal (then undone) and
    without; each run on a fresh tree."""
    work = tempfile.mkdtemp(prefix="killed-many-")
    try:
        for name, steps in many_flows().items():
            with open(os.path.join(work, f"{name}.json"), "w", encoding="utf-8") as out:
                json.dump({"variables": {"list": {"type": "list"}}, "steps": steps}, out)
        pristine = os.path.join(work, "pristine")
        build_many(pristine)
        tree = os.path.join(work, "tree")
        journal = os.path.join(work, "journal")
        shutil.copytree(pristine, tree)
        names = list(many_flows())
        journaled_taken = durations(stephost, work, names)
        shutil.rmtree(tree)
        snapshot = Snapshot()
        for attempt in range(MANY_KILLS):
            name = names[attempt % len(names)]
            journaled = attempt % 4 < 2
            shutil.copytree(pristine, tree)
            before = snapshot.state(tree)
            command = [stephost, "run", f"../{name}.json", "--vars", ""]
            if journaled:
                command += ["--journal", journal]
            process = subprocess.Popen(command, cwd=tree, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0, journaled_taken[name]))
            process.send_signal(signal.SIGKILL)
            process.wait()
            wrong = []
            if journaled:
                undo = subprocess.run([stephost, "undo", journal], capture_output=True,
                                      text=True)
                shutil.rmtree(journal, ignore_errors=True)
                after = snapshot.state(tree)
                differing = sorted(path for path in set(before) | set(after)
                                   if before.get(path) != after.get(path))
                lost = sum(1 for path in differing if path in before)
                if differing or (undo.returncode != 0 and "holds no journal" not in undo.stderr):
                    wrong = [f"undo exit {undo.returncode}, differs at {differing[:5]}"]
            else:
                after = snapshot.state(tree)
                known = {what for _, what in before.values()}
                held = {what for _, what in after.values()}
                gone = [path for path, (_, what) in before.items() if what not in held]
                partial = [path for path, (_, what) in after.items()
                           if what not in known and not LEFTOVER.match(os.path.basename(path))]
                lost = len(gone) + len(partial)
                if lost:
                    wrong = [f"lost {gone[:5]}, partial {partial[:5]}"]
            row["tried"] += 1
            row["lost"] += lost
            if wrong:
                how = "journaled" if journaled else "plain"
                problems.append(f"killed   {how} {name} run {attempt}: {wrong[0]}")
            else:
                row["passed"] += 1
            shutil.rmtree(tree)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def prepare(work):
    """The big text, the flows and the tree in `work`; returns the names of the journaled flows."""
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
    return list(all_flows)


def killed_edited_runs(stephost):
    """The area "killed runs, edits after": its counts and its problems."""
    row, problems = collections.Counter(), []
    work = tempfile.mkdtemp(prefix="killed-edited-")
    try:
        names = prepare(work)
        killed_edited(stephost, work, names, random.Random(20261208), row, problems)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return row, problems


def killed_runs(stephost):
    """Returns the area's counts and its problems."""
    row, problems = collections.Counter(), []
    work = tempfile.mkdtemp(prefix="killed-runs-")
    try:
        names = prepare(work)
        rng = random.Random(20261207)
        killed_journaled(stephost, work, names, rng, row, problems)
        killed_plain(stephost, work, rng, row, problems)
        killed_many(stephost, rng, row, problems)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return row, problems

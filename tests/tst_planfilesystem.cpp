// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filesystem/planfilesystem.h"
#include "filesystem/realfilesystem.h"
#include "filesystemcalls.h"
#include "filetree.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

// A script is a list of changes with "|" between them, played on a file system:
//   "step N", "copy A B", "copy! A B" (may replace), "rename A B", "rename! A B", "remove A",
//   "write A TEXT", "append A TEXT", "mkdir A", "read A".
class tst_PlanFileSystem : public QObject
{
    Q_OBJECT

private slots:
    void answersAsTheDiskWould_data();
    void answersAsTheDiskWould();
    void records_data();
    void records();
    void unwritableFolderFails();
};

namespace
{

struct Played {
    QStringList results; // one per change: "ok" or "failed"
    QStringList view;    // every known path as the file system shows it afterwards
};

bool playOne(FileSystem& files, PlanFileSystem* plan, const QStringList& words)
{
    if (words.value(0) == QLatin1String("step") && plan)
        plan->setStep(words.value(1).toInt());
    return playCall(files, words.value(0), words.value(1), words.mid(2).join(QLatin1Char(' ')));
}

// The files and folders at the candidate paths, as `files` shows them.
QStringList viewOf(FileSystem& files, const QStringList& candidates)
{
    QStringList view;
    for (const QString& path : candidates) {
        const EntryStatus status = files.status(path, Links::NoFollow);
        QByteArray bytes;
        if (status.isFolder())
            view << path + QLatin1Char('/');
        else if (status.isFile() && files.readAll(path, 1 << 20, &bytes, nullptr))
            view << path + QLatin1Char('=') + QString::fromUtf8(bytes);
        else if (status.exists())
            view << path + QLatin1String(" (other)");
    }
    view.removeDuplicates();
    view.sort();
    return view;
}

QStringList pathsIn(const QStringList& snapshot)
{
    QStringList paths;
    for (QString entry : snapshot) {
        entry = entry.section(QLatin1Char('='), 0, 0).section(QLatin1String("->"), 0, 0);
        if (entry.endsWith(QLatin1Char('/')))
            entry.chop(1);
        for (QString path = entry; !path.isEmpty() && path != QLatin1String(".");
             path = QFileInfo(path).path())
            paths << path;
    }
    return paths;
}

QStringList pathsIn(const QString& script)
{
    QStringList paths;
    for (const QString& change : entries(script)) {
        const QStringList words = change.split(QLatin1Char(' '));
        paths += words.mid(1, words.first().startsWith(QLatin1String("copy")) ||
                                      words.first().startsWith(QLatin1String("rename"))
                                  ? 2
                                  : 1);
    }
    return pathsIn(paths);
}

Played play(FileSystem& files, PlanFileSystem* plan, const QString& script,
            const QStringList& moreCandidates)
{
    Played played;
    for (const QString& change : entries(script)) {
        const QStringList words = change.split(QLatin1Char(' '));
        const bool ok = playOne(files, plan, words);
        if (words.first() != QLatin1String("step"))
            played.results << (ok ? QStringLiteral("ok") : QStringLiteral("failed"));
    }
    played.view = viewOf(files, pathsIn(script) + moreCandidates + pathsIn(treeSnapshot()));
    return played;
}

QString changeText(const PlannedChange& change)
{
    QString text = QString::number(change.step) + QLatin1Char(' ') + change.action +
                   QLatin1Char(' ') + change.path;
    if (!change.from.isEmpty())
        text += QLatin1String("<-") + change.from;
    if (change.replaces)
        text += QLatin1String(" replaces");
    if (change.fails)
        text += QLatin1String(" fails");
    if (!change.conflict.isEmpty())
        text += QLatin1String(": ") + change.conflict;
    return text;
}

QStringList planTexts(const FilePlan& plan)
{
    QStringList texts;
    for (const FilePlan::Entry& entry : plan.entries)
        texts << (entry.isSkip ? entry.skip.path + QLatin1String(" skipped")
                               : changeText(entry.change));
    return texts;
}

void addTextColumns(std::initializer_list<const char*> names)
{
    for (const char* name : names)
        QTest::addColumn<QString>(name);
}

template <typename... Texts> void addTextRow(const char* tag, Texts... texts)
{
    QTestData& row = QTest::newRow(tag);
    (row << ... << QString::fromUtf8(texts));
}

} // namespace

void tst_PlanFileSystem::answersAsTheDiskWould_data()
{
    addTextColumns({"tree", "script"});
    const auto add = addTextRow<const char*, const char*>;
    add("copy, then the copy is read", "a.txt", "copy a.txt b.txt|read b.txt");
    add("copy never replaces unless allowed", "a.txt|b.txt",
        "copy a.txt b.txt|copy! a.txt b.txt|copy! a.txt sub|copy a.txt missing/x.txt");
    add("rename frees the old name", "a.txt|c.txt", "rename a.txt b.txt|copy c.txt a.txt");
    add("rename onto a taken name", "a.txt|b.txt|d/",
        "rename a.txt b.txt|rename! a.txt b.txt|rename! b.txt d");
    add("remove files, not folders", "a.txt|d/|l->a.txt",
        "remove a.txt|remove d|remove l|"
        "remove a.txt");
    add("write and append", "a.txt|u16=x",
        "write n.txt 中文|append n.txt more|append a.txt tail|append new.txt x|write a.txt over");
    add("append to a copy and to a renamed file", "a.txt|b.txt",
        "copy a.txt c.txt|append c.txt +|rename b.txt e.txt|append e.txt ++|read e.txt");
    add("folders made and renamed", "d/f.txt|d/g/h.txt",
        "mkdir out/x/y|copy d/f.txt out/x/y/f.txt|rename d e|read e/g/h.txt|"
        "write e/new.txt n|rename e/g e/k|mkdir d|copy e/f.txt d/f.txt");
    add("a folder made then renamed keeps what was written into it", "",
        "mkdir m|write m/w.txt w|rename m n|read n/w.txt|read m/w.txt");
    add("nothing to read or write there", "a.txt|d/",
        "read missing|read d|write d x|write a.txt/x y|mkdir a.txt/x|copy d e");
    add("links are followed for copy, not for rename", "t.txt|l->t.txt|dl->gone",
        "copy l c.txt|rename l m|copy dl x|read m");
    add("links lead into the plan's changes", "t.txt|l->t.txt|k->u.txt",
        "append t.txt +|copy l c.txt|write k new|read u.txt|remove t.txt|read l|copy l x");
    // The kernel follows a link before it takes the ".." after it.
    const char* linkToSub = "d/sub/|d/report.txt|c/lnk->../d/sub|c/l2->lnk";
    add("a link, then ..", linkToSub,
        "read c/lnk/../report.txt|remove c/lnk/../report.txt|read d/report.txt");
    add("a link to a link, then ..", linkToSub,
        "read c/l2/../report.txt|copy c/l2/../report.txt c/l2/../copy.txt|read d/copy.txt");
    add("renames and writes through a link, then ..", linkToSub,
        "rename c/lnk/../report.txt c/lnk/../../moved.txt|read moved.txt|"
        "write c/lnk/../new.txt n|read d/new.txt|mkdir c/lnk/../made/x|read d/made/x");
    add("a link the plan moved, then ..", linkToSub,
        "rename c/lnk c/moved|read c/moved/../report.txt|remove c/moved/../report.txt");
    add("a folder the plan made, then ..", "", "mkdir m/n|write m/n/../w.txt w|read m/w.txt");
}

// The same script played on the disk and on a plan of an identical tree: every change succeeds
// or fails alike, afterwards the plan shows what the disk holds, and the planned tree is untouched.
void tst_PlanFileSystem::answersAsTheDiskWould()
{
    QFETCH(QString, tree);
    QFETCH(QString, script);
    Played run;
    {
        const ScratchCwd dir;
        QVERIFY(makeTree(tree));
        run = play(RealFileSystem::instance(), nullptr, script, pathsIn(entries(tree)));
    }
    const ScratchCwd dir;
    QVERIFY(makeTree(tree));
    const QStringList before = stampedTree();
    PlanFileSystem plan(RealFileSystem::instance());
    plan.setStep(1);
    const Played planned = play(plan, &plan, script, pathsIn(run.view) + pathsIn(entries(tree)));
    QCOMPARE(stampedTree(), before);
    QCOMPARE(planned.results, run.results);
    QCOMPARE(planned.view, run.view);
}

void tst_PlanFileSystem::records_data()
{
    addTextColumns({"tree", "script", "expected"});
    const auto add = addTextRow<const char*, const char*, const char*>;
    add("each folder made, outermost first", "", "mkdir out/sub", "1 mkdir out|1 mkdir out/sub");
    add("a copy and the removal of its source are a move", "a.txt", "copy a.txt b.txt|remove a.txt",
        "1 move b.txt<-a.txt");
    add("a removal and a copy onto the same path are a replacement", "a.txt|b.txt",
        "remove b.txt|copy a.txt b.txt", "1 copy b.txt<-a.txt replaces");
    add("not across steps", "a.txt|b.txt", "remove b.txt|step 2|copy a.txt b.txt",
        "1 delete b.txt|2 copy b.txt<-a.txt");
    add("writes replace, appends add", "a.txt", "write a.txt x|append a.txt y|write n.txt z",
        "1 write a.txt replaces|1 append a.txt|1 write n.txt");
    add("a read after a write is what the flow meant", "a.txt", "write a.txt x|step 2|read a.txt",
        "1 write a.txt replaces");
    add("numbering chain", "x.txt|x-1.txt", "rename! x.txt x-1.txt|rename x-1.txt x-1-2.txt",
        "1 rename x-1.txt<-x.txt replaces: replaces a file that step 1 later renames|"
        "1 rename x-1-2.txt<-x-1.txt");
    add("two names swapped by two renames", "a.txt|b.txt",
        "rename! a.txt b.txt|step 2|rename! b.txt a.txt",
        "1 rename b.txt<-a.txt replaces: replaces a file that step 2 later renames|"
        "2 rename a.txt<-b.txt");
    add("two sources onto one target", "d1/a.txt|d2/a.txt|out/",
        "copy d1/a.txt out/a.txt|remove out/a.txt|copy d2/a.txt out/a.txt",
        "1 copy out/a.txt<-d1/a.txt|1 copy out/a.txt<-d2/a.txt replaces: replaces what step 1 "
        "put here");
    add("a deleted file read later", "a.txt", "remove a.txt|step 2|read a.txt",
        "1 delete a.txt: deletes a file that step 2 later reads");
    add("a name too long (LONG is 256 bytes)", "a.txt", "copy a.txt LONG",
        "1 copy LONG<-a.txt fails: the name is too long for the file system");
    add("no folder to write into", "f", "write f/x.txt y|copy f nothere/f",
        "1 write f/x.txt fails: the folder does not exist|1 copy nothere/f<-f fails: the folder "
        "does not exist");
}

void tst_PlanFileSystem::records()
{
    QFETCH(QString, tree);
    QFETCH(QString, script);
    QFETCH(QString, expected);
    const QString longName = QString(252, QLatin1Char('n')) + QStringLiteral(".txt");
    script.replace(QLatin1String("LONG"), longName);
    expected.replace(QLatin1String("LONG"), longName);
    const ScratchCwd dir;
    QVERIFY(makeTree(tree));
    PlanFileSystem plan(RealFileSystem::instance());
    plan.setStep(1);
    play(plan, &plan, script, {});
    QCOMPARE(planTexts(plan.plan()), entries(expected));
}

// Run unprivileged: root may write anywhere.
void tst_PlanFileSystem::unwritableFolderFails()
{
    if (::geteuid() == 0)
        QSKIP("root may write anywhere");
    const ScratchCwd dir;
    QVERIFY(makeTree(QStringLiteral("ro/a.txt|b.txt")));
    QCOMPARE(::chmod("ro", 0555), 0);
    PlanFileSystem plan(RealFileSystem::instance());
    plan.setStep(1);
    const bool wrote = playOne(plan, &plan, {QStringLiteral("write"), QStringLiteral("ro/n")});
    QCOMPARE(::chmod("ro", 0755), 0);
    QVERIFY(!wrote);
    QCOMPARE(planTexts(plan.plan()),
             QStringList{QStringLiteral("1 write ro/n fails: the folder cannot be written")});
}

QTEST_GUILESS_MAIN(tst_PlanFileSystem)
#include "tst_planfilesystem.moc"

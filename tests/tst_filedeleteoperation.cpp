// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filetree.h"
#include "operations/filedeleteoperation.h"

#include <QJsonArray>
#include <QtTest>

class tst_FileDeleteOperation : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void flowThroughHost();
};

void tst_FileDeleteOperation::run_data()
{
    addStepColumns();
    addStepRow("files", "d/a.txt|d/b.txt|d/c.txt", "files=d/a.txt\nd/b.txt", "d/c.txt",
               "d/a.txt|d/b.txt");
    addStepRow("missing file", "d/a.txt", "files=d/missing.txt\nd/a.txt", "d/", "d/a.txt");
    addStepRow("same file twice", "d/a.txt", "files=d/a.txt\nd/a.txt", "d/", "d/a.txt");
    addStepRow("folders stay", "d/sub/in.txt|d/empty/", "files=d/sub\nd/empty",
               "d/empty/|d/sub/in.txt", "");
    addStepRow("link goes, target stays", "d/a.txt|d/link->a.txt", "files=d/link", "d/a.txt",
               "d/link");
    addStepRow("link to a folder goes, folder stays", "d/sub/in.txt|d/link->sub", "files=d/link",
               "d/sub/in.txt", "d/link");
    addStepRow("dangling link is missing", "d/link->gone", "files=d/link", "d/link->gone", "");
    addStepRow("listed as written", "d/a.txt|d/b.txt", "files= d/./a.txt \r\n\n  \n$files", "d/",
               "d/./a.txt|d//b.txt");
    addStepRow("list item not trimmed", "d/a.txt", "files=$padded", "d/a.txt", "");
    addStepRow("empty setting", "d/a.txt", "files=", "d/a.txt", "");
    addStepRow("result variable not a list", "d/a.txt", "files=d/a.txt|deletedList=text", "d/",
               "previous", "[OpVar] 目标变量 \"text\" 未声明为列表，已跳过");
    addStepRow("without a scope", "d/a.txt|d/b.txt", "files=d/a.txt\n$files|noscope", "d/b.txt",
               "previous");
}

void tst_FileDeleteOperation::run()
{
    checkStepRow<FileDeleteOperation>(QStringLiteral("deletedList=out"));
}

void tst_FileDeleteOperation::flowThroughHost()
{
    const ScratchCwd dir;
    QVERIFY(makeTree("a.txt|b.txt|c.txt|sub/in.txt|link->sub"));
    const StephostResult run =
        runStephost({"run", FLOWS_DIR "/delete-list.json", "--roundtrip"}, QDir::currentPath());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.log(), QStringList{"[OpVar] 目标变量 \"text\" 未声明为列表，已跳过"});
    QCOMPARE(run.value("deleted").toArray(), QJsonArray({"a.txt", "link", "b.txt"}));
    QCOMPARE(run.value("text").toString(), QStringLiteral("keep"));
    // The folder and the link's target stay; c.txt is deleted although its list is not stored.
    QCOMPARE(treeSnapshot(), QStringList{"sub/in.txt"});
}

QTEST_GUILESS_MAIN(tst_FileDeleteOperation)
#include "tst_filedeleteoperation.moc"

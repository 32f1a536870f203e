// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "modificationtimes.h"
#include "operations/filecopyoperation.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include <sys/stat.h>

class tst_FileCopyOperation : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void fifoSkipped();
    void placeholdersFilledOneAtATime();
    void flows_data();
    void flows();
    void keepsModificationTime_data();
    void keepsModificationTime();
};

void tst_FileCopyOperation::run_data()
{
    addStepColumns();
    const char* ab = "d/a.txt|d/b.txt";
    const char* copied = "d/a.txt|d/b.txt|out/a.txt=d/a.txt|out/b.txt=d/b.txt";
    addStepRow("list variable, reference destination", ab, "files=$files|destDir=$dest", copied,
               "out/a.txt|out/b.txt");
    addStepRow("missing sources skipped", ab, "files=d/none.txt\n$nothing\nd/b.txt",
               "d/a.txt|d/b.txt|out/b.txt=d/b.txt", "out/b.txt");
    addStepRow("nested folder made though nothing copied", ab, "files=d/none.txt|destDir=out/x/y",
               "d/a.txt|d/b.txt|out/x/y/", "");
    addStepRow("a folder source is not copied", "d/sub/", "files=d/sub", "d/sub/|out/", "");

    // Clash policies and numbered names.
    addStepRow("policy 0 leaves the target", "d/a.txt|d/b.txt|out/a.txt", "files=d/a.txt\nd/b.txt",
               "d/a.txt|d/b.txt|out/a.txt|out/b.txt=d/b.txt", "out/b.txt");
    addStepRow("policy 1 overwrites", "d/a.txt|out/a.txt", "files=d/a.txt|ifExist=1",
               "d/a.txt|out/a.txt=d/a.txt", "out/a.txt");
    addStepRow("policy 5 acts as 2", "d/a.txt|out/a.txt", "files=d/a.txt|ifExist=5",
               "d/a.txt|out/a.txt|out/a(1).txt=d/a.txt", "out/a(1).txt");
    addStepRow("numbered next to a folder in the way", "d/a.txt|out/a.txt/",
               "files=d/a.txt|ifExist=2", "d/a.txt|out/a.txt/|out/a(1).txt=d/a.txt",
               "out/a(1).txt");
    addStepRow("in place, policy 0", ab, "files=d/a.txt|destDir=d", ab, "");
    addStepRow("in place, policy 2", ab, "files=d/a.txt|destDir=d|ifExist=2",
               "d/a.txt|d/b.txt|d/a(1).txt=d/a.txt", "d/a(1).txt");
    addStepRow("twice, policy 0", ab, "files=d/a.txt\n$files", copied, "out/a.txt|out/b.txt");
    addStepRow("twice, policy 2", ab, "files=d/a.txt\nd/a.txt|ifExist=2",
               "d/a.txt|d/b.txt|out/a.txt=d/a.txt|out/a(1).txt=d/a.txt", "out/a.txt|out/a(1).txt");

    // No file is lost under overwrite.
    for (const char* spelling : {"d/a.txt", "./d/a.txt", "d/sub/../a.txt", "dlink/a.txt"}) {
        const QByteArray tag = QByteArray("onto itself as ") + spelling;
        const QByteArray settings = QByteArray("files=") + spelling + "|destDir=d|ifExist=1";
        addStepRow(tag.constData(), "d/a.txt|d/sub/|dlink->d", settings.constData(),
                   "d/a.txt|d/sub/|dlink->d", "");
    }
    addStepRow("onto itself through a linked destination", "d/a.txt|dlink->d",
               "files=d/a.txt|destDir=dlink/|ifExist=1", "d/a.txt|dlink->d", "");
    addStepRow("a folder in the way stays", "d/a.txt|out/a.txt/in", "files=d/a.txt|ifExist=1",
               "d/a.txt|out/a.txt/in", "");
    // A dangling link is not an existing target, but the copy does not replace it either.
    addStepRow("a dangling link in the way stays", "d/a.txt|out/a.txt->gone",
               "files=d/a.txt|ifExist=1", "d/a.txt|out/a.txt->gone", "");
    addStepRow("a link to a folder in the way stays", "d/a.txt|keep/in|out/a.txt->../keep",
               "files=d/a.txt|ifExist=1", "d/a.txt|keep/in|out/a.txt->../keep", "");
    addStepRow("a folder source does not clear the target", "d/sub/|out/sub",
               "files=d/sub|ifExist=1", "d/sub/|out/sub", "");
    // A copy replaces its own earlier copy: both are listed, the later source's bytes stay.
    addStepRow("two sources with one name", "d/a.txt|e/a.txt", "files=d/a.txt\ne/a.txt|ifExist=1",
               "d/a.txt|e/a.txt|out/a.txt=e/a.txt", "out/a.txt|out/a.txt");
    addStepRow("twice, policy 1", ab, "files=d/a.txt\n$files|ifExist=1", copied,
               "out/a.txt|out/a.txt|out/b.txt");
    addStepRow("twice spelled apart, policy 1", ab, "files=d/a.txt\n./d/a.txt|ifExist=1",
               "d/a.txt|d/b.txt|out/a.txt=d/a.txt", "out/a.txt|out/a.txt");

    // What killed runs left of replacements goes when the file they were for is replaced, for
    // each file of the step; those of other files, names that only look alike and a link stay.
    addStepRow(
        "leftovers of each replaced file go",
        "d/a.txt|d/b.txt|out/a.txt|out/b.txt|out/.a.txt.fileoper-Ab12yZ|"
        "out/.a.txt.fileoper-x9Y8z7|out/.b.txt.fileoper-Ab12yZ|out/.c.txt.fileoper-Ab12yZ|"
        "out/.a.txt.fileoper-Ab12y|out/a.txt.fileoper-Ab12yZ|out/.b.txt.fileoper-Lnk123->b.txt",
        "files=d/a.txt\nd/b.txt|ifExist=1",
        "d/a.txt|d/b.txt|out/a.txt=d/a.txt|out/b.txt=d/b.txt|out/.c.txt.fileoper-Ab12yZ|"
        "out/.a.txt.fileoper-Ab12y|out/a.txt.fileoper-Ab12yZ|out/.b.txt.fileoper-Lnk123->b.txt",
        "out/a.txt|out/b.txt");

    // Links: the target's bytes are copied, the target itself never touched.
    addStepRow("linked source", "data/real.txt|d/l.txt->../data/real.txt", "files=d/l.txt",
               "data/real.txt|d/l.txt->../data/real.txt|out/l.txt=data/real.txt", "out/l.txt");
    addStepRow("linked source that is the target", "out/l.txt|d/l.txt->../out/l.txt",
               "files=d/l.txt|ifExist=1", "out/l.txt|d/l.txt->../out/l.txt", "");
    addStepRow("dangling link does not exist", "d/l.txt->gone", "files=d/l.txt",
               "d/l.txt->gone|out/", "");

    // Nothing done without a destination; the list variable keeps its value.
    const char* noDest = "[FileCopy] 目标文件夹为空，已跳过";
    addStepRow("blank destination", ab, "files=d/a.txt|destDir= \t ", ab, "previous", noDest);
    addStepRow("destination variable missing", ab, "files=d/a.txt|destDir=$nothing", ab, "previous",
               noDest);
    addStepRow("no files, no destination", ab, "files=|destDir=", ab, "previous", noDest);
    addStepRow("list variable not a list", ab, "files=d/a.txt|listVar=text",
               "d/a.txt|d/b.txt|out/a.txt=d/a.txt", "previous",
               "[OpVar] 目标变量 \"text\" 未声明为列表，已跳过");
    addStepRow("without a scope", ab, "files=d/a.txt\n$files|noscope",
               "d/a.txt|d/b.txt|out/a.txt=d/a.txt", "previous");
}

void tst_FileCopyOperation::run()
{
    checkStepRow<FileCopyOperation>(QStringLiteral("destDir=out|listVar=out"));
}

void tst_FileCopyOperation::fifoSkipped()
{
    // Opening a FIFO for reading would wait for a writer that never comes.
    const ScratchCwd dir;
    QVERIFY(makeTree("d/a.txt"));
    QCOMPARE(mkfifo("d/pipe", 0600), 0);
    FileCopyOperation op;
    op.setFiles("d/pipe\nd/a.txt");
    op.setDestDir("out");
    op.doOperation();
    QCOMPARE(QDir("out").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"a.txt"});
}

void tst_FileCopyOperation::placeholdersFilledOneAtATime()
{
    // A "%1" in the first setting is taken up by the second.
    FileCopyOperation op;
    op.setFiles("%1");
    op.setDestDir("d");
    QCOMPARE(op.description(), QStringLiteral("复制 d 到 %2"));
}

void tst_FileCopyOperation::flows_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QJsonObject>("values"); // of some of the variables
    QTest::addColumn<QString>("log");

    // Every step saved and loaded again before it runs: the settings survive the trip too.
    QTest::newRow("copy and move, saved and loaded")
        << QStringList{"run", FLOWS_DIR "/copy-move.json", "--roundtrip"} << "in/a.txt|in/b.txt"
        << "archive/2024/b.txt=in/b.txt|in/a.txt|out/a(1).txt=in/a.txt|out/a.txt=in/a.txt|"
           "out/b(1).txt=in/b.txt|out/b.txt=in/b.txt"
        << QJsonObject{{"firstCopy", QJsonArray{"out/a.txt", "out/b.txt"}},
                       {"secondCopy", QJsonArray{"out/a(1).txt", "out/b(1).txt"}},
                       {"ontoItself", QJsonArray()},
                       {"notAList", "kept"},
                       {"untouched", QJsonArray{"kept"}}}
        << "[OpVar] 目标变量 \"notAList\" 未声明为列表，已跳过|[FileMove] "
           "目标文件夹为空，已跳过";
    QTest::newRow("example") << QStringList{"run", FLOWS_DIR "/../../examples/copy-numbered.json"}
                             << QString() << QString()
                             << QJsonObject{{"firstCopy", QJsonArray{"backup/inbox/notes.txt",
                                                                     "backup/inbox/budget.2024.csv",
                                                                     "backup/inbox/README"}},
                                            {"secondCopy",
                                             QJsonArray{"backup/inbox/notes(1).txt",
                                                        "backup/inbox/budget.2024(1).csv",
                                                        "backup/inbox/README(1)"}}}
                             << QString();
}

void tst_FileCopyOperation::flows()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QJsonObject, values);
    const ScratchCwd dir;
    if (before.isEmpty()) { // the example copies its own inbox
        const QDir inbox(QStringLiteral(FLOWS_DIR "/../../examples/copy-files/inbox"));
        for (const QString& name : inbox.entryList(QDir::Files))
            QVERIFY(writeFile("inbox/" + name, readFile(inbox.filePath(name))));
    }
    QVERIFY(makeTree(before));
    const StephostResult result = runStephost(arguments, QDir::currentPath());
    QCOMPARE(result.exitCode, 0);
    if (!after.isEmpty())
        QCOMPARE(treeSnapshot(), sortedEntries(after));
    for (auto it = values.begin(); it != values.end(); ++it)
        QCOMPARE(result.value(it.key()), it.value());
    QTEST(result.log().join('|'), "log");
}

void tst_FileCopyOperation::keepsModificationTime_data()
{
    addModificationTimeRows();
}

void tst_FileCopyOperation::keepsModificationTime()
{
    checkModificationTimeRow<FileCopyOperation>();
}

QTEST_GUILESS_MAIN(tst_FileCopyOperation)
#include "tst_filecopyoperation.moc"

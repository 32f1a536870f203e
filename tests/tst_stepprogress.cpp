// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Steps watched by a host tell how far they are, and stop when asked: before the next file, and
// part-way through a large copy, leaving nothing half-made and a result list that matches the
// disk. A journaled run that stops can be taken back; a planned one changes nothing.
#include "filetree.h"
#include "testsupport.h"

#include "journalrun.h"
#include "jsonflow.h"
#include "plan.h"
#include "pluginhost.h"
#include "runner.h"

#include <QtTest>

#include <atomic>

#include <unistd.h>

class tst_StepProgress : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void figuresReachTotals_data();
    void figuresReachTotals();
    void stopBetweenFiles_data();
    void stopBetweenFiles();
    void stopInsideLargeCopy_data();
    void stopInsideLargeCopy();
    void stopInsideLargeCopyKeepsSmallFilesBefore();
    void stoppedJournaledRunIsUndone_data();
    void stoppedJournaledRunIsUndone();
    void stoppedPlanChangesNothing();
    void stopInLastStepEndsRunStopped();

private:
    PluginHost m_host;
};

namespace
{

// Every figure a run reported, in order.
struct Reports {
    QList<FileProgress> all;
    RunOptions options()
    {
        RunOptions options;
        options.stepProgress = [this](int, int, const Operation&, const FileProgress& progress) {
            all.append(progress);
        };
        return options;
    }
};

QString figures(const FileProgress& p)
{
    return QStringLiteral("%1/%2 files, %3/%4 bytes")
        .arg(p.filesDone)
        .arg(p.filesTotal)
        .arg(p.bytesDone)
        .arg(p.bytesTotal);
}

// Done never shrinks, and never passes a known total.
bool steady(const QList<FileProgress>& reports)
{
    for (int i = 0; i < reports.size(); ++i) {
        const FileProgress& p = reports.at(i);
        if ((p.filesTotal > 0 && p.filesDone > p.filesTotal) ||
            (p.bytesTotal > 0 && p.bytesDone > p.bytesTotal))
            return false;
        if (i > 0 && (p.filesDone < reports.at(i - 1).filesDone ||
                      p.bytesDone < reports.at(i - 1).bytesDone))
            return false;
    }
    return true;
}

QStringList listed(const RunResult& result, const QString& name)
{
    QStringList paths = result.scope.get(name).toStringList();
    paths.sort();
    return paths;
}

QStringList filesIn(const QString& folder, const QString& filter = QStringLiteral("*"))
{
    QStringList names = QDir(folder).entryList({filter}, QDir::Files | QDir::Hidden);
    for (QString& name : names)
        name = folder + QLatin1Char('/') + name;
    names.sort();
    return names;
}

// A file of `size` bytes whose blocks take no room on disk.
bool makeSparseFile(const QString& path, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

// Larger than a copy goes in one piece when it is watched.
const qint64 kBig = qint64(80) << 20;

const char* const fiveSources = "src/a.txt|src/b.txt|src/c.txt|src/d.txt|src/e.txt";

QByteArray flowOf(const QByteArray& variables, const QByteArray& steps)
{
    return "{ \"variables\": {" + variables + "}, \"steps\": [" + steps + "] }";
}

} // namespace

void tst_StepProgress::initTestCase()
{
    QString error;
    QVERIFY2(m_host.load(QStringLiteral(PLUGIN_PATH), &error), qPrintable(error));
}

void tst_StepProgress::figuresReachTotals_data()
{
    QTest::addColumn<QByteArray>("flow");
    QTest::addColumn<QString>("last");      // the last figures reported
    QTest::addColumn<QString>("writtenTo"); // where the byte total is the size of the file written
    const QByteArray lists = R"("out": { "type": "list" }, "text": { "type": "string" },
                                "table": { "type": "datatable", "value": [["1", "2"], ["3", "4"]] })";
    const auto row = [&](const char* name, const char* step, const char* last,
                         const char* writtenTo = "") {
        QTest::newRow(name) << flowOf(lists, step) << QString::fromLatin1(last)
                            << QString::fromLatin1(writtenTo);
    };
    // src/a.txt holds its own path: 9 bytes; src/sub/b.txt 13; a missing file is done with 0.
    row("copy", R"({ "type": "file.copy", "settings": { "files": "src/a.txt\nsrc/sub/b.txt\nnone",
                    "destDir": "out", "listVar": "out" } })",
        "3/3 files, 22/22 bytes");
    row("copy with a clash left alone", R"({ "type": "file.copy", "settings": {
                    "files": "src/a.txt\nsrc/sub/b.txt", "destDir": "src/sub" } })",
        "2/2 files, 22/22 bytes");
    row("delete",
        R"({ "type": "file.delete", "settings": { "files": "src/a.txt\nnone\nsrc/sub/b.txt",
                    "deletedList": "out" } })",
        "3/3 files, 0/0 bytes");
    row("rename", R"({ "type": "file.rename", "settings": { "files": "src/a.txt\nsrc/sub/b.txt",
                    "mode": 1, "addText": "-new", "newList": "out" } })",
        "2/2 files, 0/0 bytes");
    row("read text", R"({ "type": "file.read", "settings": { "filePath": "src/sub/b.txt",
                    "targetVarStr": "text" } })",
        "0/0 files, 13/13 bytes");
    row("read csv", R"({ "type": "file.readcsv", "settings": { "filePath": "src/a.txt",
                    "targetVar": "table" } })",
        "0/0 files, 9/9 bytes");
    row("write text", R"({ "type": "file.write", "settings": { "filePath": "w.txt",
                    "content": "文字 and more" } })",
        "", "w.txt");
    row("write csv", R"({ "type": "file.writecsv", "settings": { "sourceVar": "table",
                    "filePath": "w.csv" } })",
        "", "w.csv");
}

void tst_StepProgress::figuresReachTotals()
{
    QFETCH(QByteArray, flow);
    QFETCH(QString, last);
    QFETCH(QString, writtenTo);
    const ScratchCwd dir;
    QVERIFY(makeTree(QStringLiteral("src/a.txt|src/sub/b.txt")));
    Reports reports;
    const RunResult result = runFlow(readJsonFlow(flow, m_host), m_host, reports.options());
    QVERIFY(!result.stopped);
    QVERIFY(!reports.all.isEmpty());
    if (!writtenTo.isEmpty())
        last = QStringLiteral("0/0 files, %1/%1 bytes").arg(QFileInfo(writtenTo).size());
    QCOMPARE(figures(reports.all.last()), last);
    QVERIFY(steady(reports.all));
    QCOMPARE(result.log, QStringList());
}

void tst_StepProgress::stopBetweenFiles_data()
{
    QTest::addColumn<QByteArray>("step");
    // The folder and names counted to decide the stop; a copy complete under its hidden name,
    // waiting for the others of its batch to be synced, counts.
    QTest::addColumn<QString>("watched");
    QTest::addColumn<int>("stopAt"); // stop once that many are there (fewer: at most)
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("results"); // the folder and names the list must equal
    QTest::newRow("copy") << QByteArray(R"({ "type": "file.copy", "settings": { "files": "$in",
                                          "destDir": "out", "listVar": "out" } })")
                          << "out/*" << 2 << "[FileCopy] 已停止，还有 3 个文件未处理"
                          << "out/*";
    QTest::newRow("delete") << QByteArray(R"({ "type": "file.delete", "settings": { "files": "$in",
                           "deletedList": "out" } })")
                            << "src/*.txt" << -4 << "[FileDelete] 已停止，还有 4 个文件未处理"
                            << "";
    QTest::newRow("rename")
        << QByteArray(R"({ "type": "file.rename", "settings": { "files": "$in", "mode": 1,
                           "addText": "-new", "newList": "out" } })")
        << "src/*-new.txt" << 2 << "[FileRename] 已停止，还有 3 个文件未处理"
        << "src/*-new.txt";
}

// The host asks to stop once the disk shows so many files done: the step stops before the next.
void tst_StepProgress::stopBetweenFiles()
{
    QFETCH(QByteArray, step);
    QFETCH(QString, watched);
    QFETCH(int, stopAt);
    QFETCH(QString, warning);
    QFETCH(QString, results);
    const ScratchCwd dir;
    QVERIFY(makeTree(QString::fromLatin1(fiveSources)));
    const QByteArray in = R"("in": { "type": "list", "value": ["src/a.txt", "src/b.txt",
                             "src/c.txt", "src/d.txt", "src/e.txt"] }, "out": { "type": "list" })";
    const QFileInfo counted(watched);
    RunOptions options;
    options.stopRequested = [&] {
        const int there = filesIn(counted.path(), counted.fileName()).size();
        return stopAt > 0 ? there >= stopAt : there <= -stopAt;
    };
    const RunResult result = runFlow(readJsonFlow(flowOf(in, step), m_host), m_host, options);
    QVERIFY(result.stopped);
    QCOMPARE(result.log, QStringList{warning});
    if (results.isEmpty()) { // deleted: the listed files are gone, the others stay
        const QStringList deleted = listed(result, QStringLiteral("out"));
        QCOMPARE(deleted, (QStringList{"src/a.txt"}));
        QCOMPARE(filesIn(QStringLiteral("src")),
                 (QStringList{"src/b.txt", "src/c.txt", "src/d.txt", "src/e.txt"}));
    } else {
        const QFileInfo resultFiles(results);
        QCOMPARE(listed(result, QStringLiteral("out")),
                 filesIn(resultFiles.path(), resultFiles.fileName()));
    }
    // Nothing half-made is left.
    for (const QString& entry : treeSnapshot())
        QVERIFY2(!entry.contains(QLatin1String(".fileoper-")), qPrintable(entry));
}

void tst_StepProgress::stopInsideLargeCopy_data()
{
    QTest::addColumn<QByteArray>("step");
    QTest::addColumn<QString>("warning");
    QTest::newRow("copy") << QByteArray(R"({ "type": "file.copy", "settings": {
                                          "files": "src/big.bin", "destDir": "out",
                                          "listVar": "out" } })")
                          << "[FileCopy] 已停止，还有 1 个文件未处理";
    QTest::newRow("copy replacing a file")
        << QByteArray(R"({ "type": "file.copy", "settings": { "files": "src/big.bin",
                           "destDir": "old", "ifExist": 1, "listVar": "out" } })")
        << "[FileCopy] 已停止，还有 1 个文件未处理";
    QTest::newRow("move") << QByteArray(R"({ "type": "file.move", "settings": {
                                          "files": "src/big.bin", "destDir": "out",
                                          "listVar": "out" } })")
                          << "[FileMove] 已停止，还有 1 个文件未处理";
}

// Asked again after the first piece of a copy of 80 MiB, the step stops in the middle of it: the
// partial copy goes, a file it would have replaced stays as it was, and nothing is listed.
void tst_StepProgress::stopInsideLargeCopy()
{
    QFETCH(QByteArray, step);
    QFETCH(QString, warning);
    const ScratchCwd dir;
    QVERIFY(makeTree(QStringLiteral("out/|src/")));
    QVERIFY(writeFile(QStringLiteral("old/big.bin"), "old"));
    QVERIFY(makeSparseFile(QStringLiteral("src/big.bin"), kBig));
    Reports reports;
    RunOptions options = reports.options();
    int questions = 0;
    options.stopRequested = [&] { return ++questions >= 2; };
    const RunResult result = runFlow(
        readJsonFlow(flowOf(R"("out": { "type": "list" })", step), m_host), m_host, options);
    QVERIFY(result.stopped);
    QCOMPARE(result.log, QStringList{warning});
    QCOMPARE(result.scope.get(QStringLiteral("out")).toList(), QVariantList());
    QCOMPARE(filesIn(QStringLiteral("out")), QStringList());
    QCOMPARE(filesIn(QStringLiteral("old")), QStringList{"old/big.bin"});
    QCOMPARE(readFile(QStringLiteral("old/big.bin")), QByteArray("old"));
    QCOMPARE(QFileInfo(QStringLiteral("src/big.bin")).size(), kBig);
    QCOMPARE(figures(reports.all.last()), QStringLiteral("0/1 files, 0/%1 bytes").arg(kBig));
}

// Small files wait for their names in a batch; a large one is copied on its own, so a stop heard in
// the middle of it ends the step there, and the small file before it is named and listed.
void tst_StepProgress::stopInsideLargeCopyKeepsSmallFilesBefore()
{
    const ScratchCwd dir;
    QVERIFY(makeTree(QStringLiteral("out/|src/a.txt|src/c.txt")));
    QVERIFY(makeSparseFile(QStringLiteral("src/big.bin"), kBig));
    RunOptions options;
    int questions = 0; // before a, before big.bin, then after its first piece
    options.stopRequested = [&] { return ++questions >= 3; };
    const RunResult result =
        runFlow(readJsonFlow(flowOf(R"("out": { "type": "list" })",
                                    R"({ "type": "file.copy", "settings": { "destDir": "out",
                                 "files": "src/a.txt\nsrc/big.bin\nsrc/c.txt",
                                 "listVar": "out" } })"),
                             m_host),
                m_host, options);
    QVERIFY(result.stopped);
    QCOMPARE(result.log, QStringList{"[FileCopy] 已停止，还有 2 个文件未处理"});
    QCOMPARE(listed(result, QStringLiteral("out")), QStringList{"out/a.txt"});
    QCOMPARE(filesIn(QStringLiteral("out")), QStringList{"out/a.txt"});
    QCOMPARE(readFile(QStringLiteral("out/a.txt")), readFile(QStringLiteral("src/a.txt")));
}

void tst_StepProgress::stoppedJournaledRunIsUndone_data()
{
    QTest::addColumn<QByteArray>("steps");
    QTest::addColumn<int>("stopAt"); // the question answered first with a stop
    QTest::addColumn<QString>("warning");
    const QByteArray copyOver = R"({ "type": "file.copy", "settings": { "files": "$in",
                                    "destDir": "old", "ifExist": 1, "listVar": "out" } })";
    const QByteArray deleteSources = R"({ "type": "file.delete", "settings": { "files": "$in" } })";
    // Before each file one question, and one after each piece of a copy made on its own (small
    // files are copied in batches); the runner asks after a step and before the next.
    QTest::newRow("between files of the second step")
        << copyOver + "," + deleteSources << 9 << "[FileDelete] 已停止，还有 4 个文件未处理";
    QTest::newRow("between files of the first step")
        << copyOver + "," + deleteSources << 3 << "[FileCopy] 已停止，还有 3 个文件未处理";
    QTest::newRow("inside a large copy replacing a file")
        << QByteArray(R"({ "type": "file.copy", "settings": { "files": "BIG",
                           "destDir": "old", "ifExist": 1 } })")
        << 2 << "[FileCopy] 已停止，还有 1 个文件未处理";
}

// What a stopped journaled run changed, undo takes back, to the last byte and permission bit.
void tst_StepProgress::stoppedJournaledRunIsUndone()
{
    QFETCH(QByteArray, steps);
    QFETCH(int, stopAt);
    QFETCH(QString, warning);
    const QTemporaryDir journalParent;
    const QString journal = journalParent.filePath(QStringLiteral("journal"));
    const ScratchCwd dir;
    QVERIFY(makeTree(QString::fromLatin1(fiveSources)));
    for (const char* old : {"old/a.txt", "old/b.txt", "old/big.bin"})
        QVERIFY(writeFile(QString::fromLatin1(old), "old"));
    // Outside the folder compared byte by byte before and after.
    const QString big = journalParent.filePath(QStringLiteral("big.bin"));
    QVERIFY(makeSparseFile(big, kBig));
    steps.replace("BIG", big.toUtf8());
    const QStringList before = fullTreeState();
    const QByteArray in = R"("in": { "type": "list", "value": ["src/a.txt", "src/b.txt",
                             "src/c.txt", "src/d.txt", "src/e.txt"] }, "out": { "type": "list" })";
    RunOptions options;
    int questions = 0;
    options.stopRequested = [&] { return ++questions >= stopAt; };
    const RunResult result =
        runJournaledFlow(readJsonFlow(flowOf(in, steps), m_host), m_host, journal, options);
    QVERIFY(result.stopped);
    QCOMPARE(result.log, QStringList{warning});
    QVERIFY(fullTreeState() != before || steps.contains(big.toUtf8()));
    const UndoResult undone = undoRun(journal);
    QVERIFY2(undone.complete, qPrintable(QJsonDocument(undone.report).toJson()));
    QCOMPARE(fullTreeState(), before);
}

// A plan stopped after two files lists those two and touches nothing.
void tst_StepProgress::stoppedPlanChangesNothing()
{
    const ScratchCwd dir;
    QVERIFY(makeTree(QString::fromLatin1(fiveSources)));
    const QStringList before = fullTreeState();
    const QByteArray flow = flowOf(
        R"("in": { "type": "list", "value": ["src/a.txt", "src/b.txt", "src/c.txt", "src/d.txt",
           "src/e.txt"] })",
        R"({ "type": "file.copy", "settings": { "files": "$in", "destDir": "out" } },
           { "type": "file.delete", "settings": { "files": "$in" } })");
    RunOptions options;
    int questions = 0;
    options.stopRequested = [&] { return ++questions >= 3; };
    const PlanResult planned = planFlow(readJsonFlow(flow, m_host), m_host, options);
    QVERIFY(planned.run.stopped);
    QCOMPARE(planned.run.steps.size(), 1);
    QCOMPARE(planned.run.log, QStringList{"[FileCopy] 已停止，还有 3 个文件未处理"});
    int changes = 0;
    for (const FilePlan::Entry& entry : planned.plan.entries)
        changes += entry.isSkip ? 0 : 1;
    QCOMPARE(changes, 3); // the folder made, and two copies
    QCOMPARE(fullTreeState(), before);
}

// A stop heard in the last step ends the run as stopped, though no step is left to skip.
void tst_StepProgress::stopInLastStepEndsRunStopped()
{
    const ScratchCwd dir;
    QVERIFY(makeTree(QString::fromLatin1(fiveSources)));
    RunOptions options;
    std::atomic<bool> stop{false};
    options.stopRequested = [&] { return stop.load(); };
    options.stepStarted = [&](int index, int, const Operation&) { stop = index == 1; };
    const QByteArray flow =
        flowOf("", R"({ "type": "file.exists", "settings": { "fileName": "src/a.txt" } },
               { "type": "file.delete", "settings": { "files": "src/a.txt\nsrc/b.txt" } })");
    const RunResult result = runFlow(readJsonFlow(flow, m_host), m_host, options);
    QVERIFY(result.stopped);
    QCOMPARE(result.steps.size(), 2);
    QCOMPARE(result.log, QStringList{"[FileDelete] 已停止，还有 2 个文件未处理"});
    QCOMPARE(filesIn(QStringLiteral("src")).size(), 5);
}

QTEST_GUILESS_MAIN(tst_StepProgress)
#include "tst_stepprogress.moc"

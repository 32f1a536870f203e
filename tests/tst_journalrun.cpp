// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// A journaled run whose journal can no longer be written refuses the changes it cannot record,
// and stops with an error instead of ending as if it had done all it was asked.
#include "journalfixtures.h"

#include "journalrun.h"
#include "jsonflow.h"
#include "pluginhost.h"
#include "runner.h"

#include <QtTest>

class tst_JournalRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void lostJournalStopsRun_data();
    void lostJournalStopsRun();
    void refusedChangeStopsRun_data();
    void refusedChangeStopsRun();

private:
    PluginHost m_host;
};

void tst_JournalRun::initTestCase()
{
    QString error;
    QVERIFY2(m_host.load(QStringLiteral(PLUGIN_PATH), &error), qPrintable(error));
}

void tst_JournalRun::lostJournalStopsRun_data()
{
    QTest::addColumn<int>("lostAfterStep"); // zero-based; -1 when the journal stays
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("tree");
    const QString stops = QStringLiteral("the journal in %1 could not be written (Not a "
                                         "directory), so 1 file change(s) were refused; the run "
                                         "stops");
    QTest::newRow("journal kept") << -1 << QString()
                                  << QStringList{"last.txt=文字", "new.txt=文字"};
    QTest::newRow("lost before a delete: the run stops there")
        << 0 << stops << QStringList{"new.txt=文字", "old.txt", "older.txt"};
    QTest::newRow("lost before the last step: the run ends with the error")
        << 2 << stops << QStringList{"last.txt=文字", "new.txt=文字", "older.txt"};
}

// The journal's folder is replaced by a file after a step: a delete, which keeps the deleted file
// in the journal, can then no longer be made, while a new file still could. The delete step only
// lists what it deleted, so the error is all the user would see.
void tst_JournalRun::lostJournalStopsRun()
{
    QFETCH(int, lostAfterStep);
    QFETCH(QString, error);
    QFETCH(QStringList, tree);
    const JournalScratch scratch;
    const QString& journal = scratch.journal;
    QVERIFY(makeTree(QStringLiteral("old.txt|older.txt")));
    const QByteArray flow = R"({ "steps": [
        { "type": "file.write", "settings": { "filePath": "new.txt", "content": "文字" } },
        { "type": "file.delete", "settings": { "files": "old.txt" } },
        { "type": "file.write", "settings": { "filePath": "last.txt", "content": "文字" } },
        { "type": "file.delete", "settings": { "files": "older.txt" } } ] })";
    RunOptions options;
    options.stepFinished = [&](int index, int, const Operation&, qint64) {
        if (index != lostAfterStep)
            return;
        QDir(journal).removeRecursively();
        writeFile(journal, "not a folder");
    };
    QString thrown;
    try {
        runJournaledFlow(readJsonFlow(flow, m_host), m_host, journal, options);
    } catch (const FlowError& flowError) {
        thrown = flowError.message;
    }
    QCOMPARE(thrown, error.isEmpty() ? QString() : error.arg(journal));
    QCOMPARE(treeSnapshot(), tree);
}

void tst_JournalRun::refusedChangeStopsRun_data()
{
    QTest::addColumn<QByteArray>("step");
    QTest::addColumn<QString>("op"); // the first record the change needs
    QTest::addColumn<int>("refused");
    const auto row = [](const char* kind, const char* type, const char* settings, const char* op,
                        int refused = 1) {
        QTest::newRow(kind) << QByteArray(R"({ "type": ")") + type + R"(", "settings": )" +
                                   settings + " }"
                            << QString::fromLatin1(op) << refused;
    };
    row("write", "file.write", R"({ "filePath": "new.txt", "content": "x" })", "create");
    row("overwrite", "file.write", R"({ "filePath": "old.txt", "content": "x" })", "beside");
    row("append", "file.write", R"({ "filePath": "old.txt", "content": "x", "ifExist": 1 })",
        "append");
    // The copy into the folder that could not be made is refused as well.
    row("mkdir", "file.copy", R"({ "files": "src.txt", "destDir": "made" })", "mkdir", 2);
    row("copy", "file.copy", R"({ "files": "src.txt", "destDir": "sub" })", "create");
    // On one file system as across two, a move copies first.
    row("move", "file.move", R"({ "files": "src.txt", "destDir": "sub" })", "create");
    row("rename", "file.rename", R"({ "files": "src.txt", "mode": 1, "addText": "-new" })",
        "rename");
    row("delete", "file.delete", R"({ "files": "old.txt" })", "remove");
}

// The journal's log may grow only to the middle of the record that the change needs (a file size
// limit, as `ulimit -f` sets one): the change is not made, it is counted, and the step after it
// never starts. Where that record lies is read from the log of the same run made in full.
void tst_JournalRun::refusedChangeStopsRun()
{
    QFETCH(QByteArray, step);
    QFETCH(QString, op);
    const QByteArray flow =
        R"({ "steps": [ { "type": "file.write", "settings": { "filePath": "first.txt", )"
        R"("content": "x" } }, )" +
        step +
        R"(, { "type": "file.write", "settings": { "filePath": "after.txt", )"
        R"("content": "x" } } ] })";
    JournalScratch scratch;
    const auto run = [&](const QString& journal, qint64 logLimit) {
        const ScratchCwd dir;
        makeTree(QStringLiteral("old.txt|src.txt|sub/"));
        StephostLimits limits;
        limits.fileSizeLimit = logLimit;
        const StephostResult result = scratch.run(flow, journal, limits);
        return qMakePair(result, treeSnapshot());
    };
    const QString fullJournal = scratch.parent.filePath(QStringLiteral("full"));
    QCOMPARE(run(fullJournal, 0).first.exitCode, 0);
    const QByteArray log = readFile(fullJournal + QStringLiteral("/journal.log"));
    const int record =
        log.indexOf(QByteArray("{\"op\":\"") + op.toLatin1() + '"', log.indexOf("first.txt\""));
    QVERIFY2(record > 0, log.constData());
    const int recordEnd = log.indexOf('\n', record);

    const auto limited = run(scratch.journal, (record + recordEnd) / 2);
    QCOMPARE(limited.first.exitCode, 1);
    QFETCH(int, refused);
    QVERIFY2(limited.first.err.contains(
                 QStringLiteral("the journal in %1 could not be written (File too large), so "
                                "%2 file change(s) were refused; the run stops")
                     .arg(scratch.journal)
                     .arg(refused)
                     .toUtf8()),
             limited.first.err.constData());
    QCOMPARE(limited.second, sortedEntries(QStringLiteral("first.txt=x|old.txt|src.txt|sub/")));
}

QTEST_GUILESS_MAIN(tst_JournalRun)
#include "tst_journalrun.moc"

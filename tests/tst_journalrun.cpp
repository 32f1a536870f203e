// A journaled run whose journal can no longer be written refuses the changes it cannot record,
// and stops with an error instead of ending as if it had done all it was asked.
#include "filetree.h"
#include "testsupport.h"

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
    const QString stops = QStringLiteral("the journal in %1 could not be written, so 1 file "
                                         "change(s) were refused; the run stops");
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
    const QTemporaryDir journalParent;
    const QString journal = journalParent.filePath(QStringLiteral("journal"));
    const ScratchCwd dir;
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

QTEST_GUILESS_MAIN(tst_JournalRun)
#include "tst_journalrun.moc"

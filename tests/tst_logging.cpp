// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filetree.h"
#include "operations/filecopyoperation.h"
#include "operations/filerenameoperation.h"

#include <QLoggingCategory>
#include <QtTest>

// The reasons behind silent skips: logged at debug level in the step's category once a rule
// enables it, and not at all by default.
class tst_Logging : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLoggingCategory::setFilterRules(QString()); }
    void skipReasons_data();
    void skipReasons();
};

void tst_Logging::skipReasons_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("reason");
    const struct {
        const char* tag;
        const char* step;
        const char* before;
        const char* settings;
        const char* reason;
    } rows[] = {
        {"copy clash left alone", "copy", "d/a.txt|out/a.txt", "files=d/a.txt|destDir=out",
         "fileoper.copy: d/a.txt: skipped, out/a.txt is there"},
        {"rename into a file's place", "rename", "d/a.txt", "files=d/a.txt|newName=a.txt/b",
         "fileoper.rename: d/a.txt: not renamed, d/a.txt/b.txt is in no folder: the folder part "
         "is missing or a file"},
        {"rename out of the folder", "rename", "d/a.txt", "files=d/a.txt|newName=../a",
         "fileoper.rename: d/a.txt: not renamed, d/../a.txt leads out of the file's folder"},
        {"rename onto the folder", "rename", "d/a", "files=d/a|mode=3|oldText=a|newText=..",
         "fileoper.rename: d/a: not renamed, d/.. names a folder, not an entry in one"},
    };
    for (const auto& row : rows) {
        for (const bool enabled : {true, false}) {
            QTest::addRow("%s, %s", row.tag, enabled ? "on" : "off")
                << QString::fromLatin1(row.step) << QString::fromLatin1(row.before)
                << QString::fromLatin1(row.settings)
                << (enabled ? QString::fromLatin1(row.reason) : QString());
        }
    }
}

void tst_Logging::skipReasons()
{
    QFETCH(QString, step);
    QFETCH(QString, before);
    QFETCH(QString, settings);
    QFETCH(QString, reason);
    if (!reason.isEmpty())
        QLoggingCategory::setFilterRules(QStringLiteral("fileoper.*.debug=true"));
    const MessageLog log(QtDebugMsg);
    const StepOutcome outcome = step == QLatin1String("copy")
                                    ? runStep<FileCopyOperation>(before, settings)
                                    : runStep<FileRenameOperation>(before, settings);
    QCOMPARE(outcome.tree, sortedEntries(before));
    QCOMPARE(outcome.warnings, QStringList());
    QCOMPARE(log.messages(), reason.isEmpty() ? QStringList() : QStringList{reason});
}

QTEST_GUILESS_MAIN(tst_Logging)
#include "tst_logging.moc"

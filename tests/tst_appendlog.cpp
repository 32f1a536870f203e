// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The journal's log file: what a reader finds while the writer runs (as a kill leaves it) and
// after it closes, across the room it reserves ahead.

#include "testsupport.h"

#include <appendlog.h>

#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

class tst_AppendLog : public QObject
{
    Q_OBJECT

private slots:
    void recordsAreThereBeforeClose_data();
    void recordsAreThereBeforeClose();
    void anExistingFileIsNotTaken();
};

void tst_AppendLog::recordsAreThereBeforeClose_data()
{
    QTest::addColumn<int>("recordSize");
    QTest::addColumn<int>("count");
    QTest::newRow("one record") << 40 << 1;
    QTest::newRow("many small") << 200 << 5000;
    QTest::newRow("past the room reserved") << 1000 << 9000;
    QTest::newRow("one larger than the room") << 9 * 1024 * 1024 << 2;
}

void tst_AppendLog::recordsAreThereBeforeClose()
{
    QFETCH(int, recordSize);
    QFETCH(int, count);
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.log"));
    QByteArray expected = "first\n";
    {
        std::unique_ptr<AppendLog> log = AppendLog::create(path, expected);
        QVERIFY(log);
        // Under its name only with its first record, private, nothing left beside it.
        QCOMPARE(readFile(path), expected);
        QCOMPARE(QFileInfo(path).permissions() & 0x7777,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                     QFileDevice::WriteUser);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"journal.log"});
        for (int i = 0; i < count; ++i) {
            QByteArray record(recordSize - 1, char('a' + i % 26));
            record += '\n';
            QVERIFY(log->append(record));
            expected += record;
        }
        // What a kill at this instant leaves: every record, then nothing but zeros.
        const QByteArray whileOpen = readFile(path);
        QVERIFY(whileOpen.startsWith(expected));
        QCOMPARE(whileOpen.mid(expected.size()).count('\0'), whileOpen.size() - expected.size());
    }
    QCOMPARE(readFile(path), expected);
}

void tst_AppendLog::anExistingFileIsNotTaken()
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.log"));
    QVERIFY(writeFile(path, "someone's"));
    QVERIFY(!AppendLog::create(path, "first\n"));
    QCOMPARE(errno, EEXIST);
    QCOMPARE(readFile(path), QByteArray("someone's"));
}

QTEST_GUILESS_MAIN(tst_AppendLog)
#include "tst_appendlog.moc"

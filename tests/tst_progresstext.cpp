// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// How far a step is, as the hosts show it: only the figures the step counts, speed and time left
// once they mean something.
#include "progresstext.h"

#include <QtTest>

class tst_ProgressText : public QObject
{
    Q_OBJECT

private slots:
    void text_data();
    void text();
};

void tst_ProgressText::text_data()
{
    QTest::addColumn<qint64>("filesDone");
    QTest::addColumn<qint64>("filesTotal");
    QTest::addColumn<qint64>("bytesDone");
    QTest::addColumn<qint64>("bytesTotal");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<QString>("expected");
    const qint64 gib = qint64(1) << 30;
    const qint64 mib = qint64(1) << 20;
    QTest::newRow("a copy under way")
        << qint64(1223) << qint64(5000) << qint64(1.2 * gib) << 4 * gib << qint64(35100)
        << "1,223/5,000 files · 1.2/4.0 GB · 35 MB/s · 1 min 22 s left";
    QTest::newRow("just begun: no speed yet") << qint64(0) << qint64(5000) << qint64(0) << 4 * gib
                                              << qint64(10) << "0/5,000 files · 0.0/4.0 GB";
    QTest::newRow("slow: one decimal below ten")
        << qint64(1) << qint64(2) << 3 * mib << 60 * mib << qint64(1000)
        << "1/2 files · 3.0/60.0 MB · 3.0 MB/s · 19 s left";
    QTest::newRow("a rename counts files only")
        << qint64(100) << qint64(10000) << qint64(0) << qint64(0) << qint64(2000)
        << "100/10,000 files · 3 min 18 s left";
    QTest::newRow("hours") << qint64(1) << qint64(10000) << qint64(0) << qint64(0) << qint64(2000)
                           << "1/10,000 files · 5 h 33 min left";
    QTest::newRow("a write: bytes without a total")
        << qint64(0) << qint64(0) << 5 * mib << qint64(0) << qint64(2000) << "5.0 MB · 2.5 MB/s";
    QTest::newRow("small figures in bytes")
        << qint64(0) << qint64(0) << qint64(13) << qint64(900) << qint64(0) << "13/900 B";
    QTest::newRow("nothing counted")
        << qint64(0) << qint64(0) << qint64(0) << qint64(0) << qint64(5000) << "";
}

void tst_ProgressText::text()
{
    QFETCH(qint64, filesDone);
    QFETCH(qint64, filesTotal);
    QFETCH(qint64, bytesDone);
    QFETCH(qint64, bytesTotal);
    QFETCH(qint64, elapsedMs);
    QFETCH(QString, expected);
    FileProgress progress;
    progress.filesDone = filesDone;
    progress.filesTotal = filesTotal;
    progress.bytesDone = bytesDone;
    progress.bytesTotal = bytesTotal;
    QCOMPARE(progressText(progress, elapsedMs), expected);
}

QTEST_GUILESS_MAIN(tst_ProgressText)
#include "tst_progresstext.moc"

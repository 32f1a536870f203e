// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// Copies keep the source's modification time (moves make their copy the same way).

#include "core/posixfile_unix.h"
#include "filetree.h"

// 2001-02-03 04:05:06.123456789 UTC, a time no file made by a test has by chance.
const qint64 kOldTime = Q_INT64_C(981173106123456789);

inline qint64 modifiedOf(const QString& path)
{
    FileStatus status;
    return statusOf(path, true, &status) ? status.modified : -1;
}

// The source is d/a.txt (through a link in one row), the target a file in the folder "out".
inline void addModificationTimeRows()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("ifExist");
    QTest::addColumn<bool>("otherFileSystem");
    QTest::addColumn<QString>("target");

    for (const bool other : {false, true}) {
        const char* where = other ? ", onto another file system" : "";
        QTest::addRow("new%s", where) << "d/a.txt" << 0 << other << "a.txt";
        QTest::addRow("replacing%s", where) << "d/a.txt|out/a.txt" << 1 << other << "a.txt";
        QTest::addRow("numbered%s", where) << "d/a.txt|out/a.txt" << 2 << other << "a(1).txt";
        QTest::addRow("through a link%s", where)
            << "data/a.txt|d/a.txt->../data/a.txt" << 0 << other << "a.txt";
    }
}

// Runs the current row with a step of class Op; the target's time must be the source's to the
// nanosecond, on the scratch folder's disk and on memory-backed /dev/shm alike.
template <typename Op> void checkModificationTimeRow()
{
    QFETCH(QString, before);
    QFETCH(int, ifExist);
    QFETCH(bool, otherFileSystem);
    QFETCH(QString, target);
    const ScratchCwd dir;
    QVERIFY(makeTree(before));
    QVERIFY(setModificationTime(QFileInfo("d/a.txt").canonicalFilePath(), kOldTime));
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/fileoper-test-XXXXXX"));
    QString destination = QStringLiteral("out");
    if (otherFileSystem) {
        FileStatus here, there;
        if (!elsewhere.isValid() || !statusOf(".", true, &here) ||
            !statusOf(elsewhere.path(), true, &there) || here.device == there.device)
            QSKIP("/dev/shm is not another file system here");
        destination = elsewhere.filePath(QStringLiteral("out"));
        if (QFile::exists("out/a.txt"))
            QVERIFY(writeFile(destination + "/a.txt", "out/a.txt"));
    }
    Op op;
    op.setFiles(QStringLiteral("d/a.txt"));
    op.setDestDir(destination);
    op.setIfExist(ifExist);
    QCOMPARE(warningsOf(op, nullptr), QStringList());
    QVERIFY(QFileInfo::exists("d/a.txt"));
    QCOMPARE(modifiedOf(destination + QLatin1Char('/') + target), kOldTime);
}

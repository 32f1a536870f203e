// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The copy of one regular file that copies and moves make: what the copy gets (bytes, permission
// bits, modification time) is what QFile::copy gives, and a copy that fails leaves nothing behind.

#include "filetree.h"

#include "core/posixfile_unix.h"
#include "filesystem/filecopy.h"

#include <QtTest>

#include <cerrno>
#include <sys/stat.h>

namespace
{

uint modeOf(const QString& path)
{
    FileStatus status;
    return statusOf(path, false, &status) ? status.mode : 07777;
}

// The names in the current folder, hidden ones included.
QStringList namesHere()
{
    return QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                            QDir::Name);
}

} // namespace

class tst_FileCopy : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { setCopyNamingHookForTesting({}); }
    void sameAsQFileCopy_data();
    void sameAsQFileCopy();
    void timeBeforeTheEpoch();
    void fileReadingAsEmpty();
    void targetMadeMeanwhile();
};

void tst_FileCopy::sameAsQFileCopy_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("replacing");
    for (const int mode : {0644, 0600, 0444, 0400, 0755, 0750, 0640, 0040, 0, 04755, 02750}) {
        QTest::addRow("%04o, new", mode) << mode << false;
        QTest::addRow("%04o, over a 0600 file", mode) << mode << true;
    }
}

// The copy's bytes and mode are those QFile::copy gives a new copy of the same source: its
// permission bits without set-user-ID and the like, the owner's completed by what the process
// may do with the source. A source the process may not read is copied by neither, and leaves
// nothing behind. Run by root and by an unprivileged user.
void tst_FileCopy::sameAsQFileCopy()
{
    QFETCH(int, mode);
    QFETCH(bool, replacing);
    const ScratchCwd dir;
    const QByteArray bytes = QByteArray("copied bytes ").repeated(5000);
    QVERIFY(writeFile(QStringLiteral("source"), bytes));
    QCOMPARE(::chmod("source", mode_t(mode)), 0);
    const bool copiedByQt = QFile::copy(QStringLiteral("source"), QStringLiteral("by-qt"));
    QStringList names = copiedByQt ? QStringList{"by-qt", "copy", "source"} : QStringList{"source"};
    if (replacing) {
        QVERIFY(writeFile(QStringLiteral("copy"), "old"));
        QCOMPARE(::chmod("copy", 0600), 0);
        names = QStringList{"copy", "source"};
    }
    QString error;
    const QFileInfo source(QStringLiteral("source"));
    const bool copied = replacing
                            ? copyFileReplacing(source, QStringLiteral("copy"), &error)
                            : copyFileWithoutReplacing(source, QStringLiteral("copy"), &error);
    QCOMPARE(copied, copiedByQt);
    if (copiedByQt) {
        QCOMPARE(QString::number(modeOf(QStringLiteral("copy")), 8),
                 QString::number(modeOf(QStringLiteral("by-qt")), 8));
        QCOMPARE(readFile(QStringLiteral("copy")), bytes);
    } else if (replacing) {
        QCOMPARE(readFile(QStringLiteral("copy")), QByteArray("old"));
    }
    if (copiedByQt && replacing)
        names.prepend(QStringLiteral("by-qt"));
    QCOMPARE(namesHere(), names);
}

// A time before 1970 is kept to the nanosecond, as any other.
void tst_FileCopy::timeBeforeTheEpoch()
{
    const ScratchCwd dir;
    QVERIFY(writeFile(QStringLiteral("source"), "old"));
    const qint64 time = -Q_INT64_C(1500000001); // 1969-12-31 23:59:58.499999999
    QVERIFY(setModificationTime(QStringLiteral("source"), time));
    QString error;
    QVERIFY2(copyFileWithoutReplacing(QFileInfo("source"), QStringLiteral("copy"), &error),
             qPrintable(error));
    FileStatus copy;
    QVERIFY(statusOf(QStringLiteral("copy"), false, &copy));
    QCOMPARE(copy.modified, time);
}

// A file under /proc says it is empty: its text is read to its end.
void tst_FileCopy::fileReadingAsEmpty()
{
    const ScratchCwd dir;
    QString error;
    QVERIFY2(copyFileWithoutReplacing(QFileInfo("/proc/self/status"), "status", &error),
             qPrintable(error));
    QVERIFY(readFile(QStringLiteral("status")).contains("Name:"));
}

// Something that appears at the target while the copy is made stays; the copy fails, saying so,
// and leaves no temporary file.
void tst_FileCopy::targetMadeMeanwhile()
{
    const ScratchCwd dir;
    QVERIFY(writeFile(QStringLiteral("source"), "source"));
    setCopyNamingHookForTesting([](const QString&) { writeFile(QStringLiteral("copy"), "mine"); });
    QString error;
    errno = 0;
    QVERIFY(!copyFileWithoutReplacing(QFileInfo("source"), QStringLiteral("copy"), &error));
    QCOMPARE(errno, EEXIST);
    QCOMPARE(error, qt_error_string(EEXIST));
    QCOMPARE(readFile(QStringLiteral("copy")), QByteArray("mine"));
    QCOMPARE(namesHere(), QStringList({"copy", "source"}));
}

QTEST_GUILESS_MAIN(tst_FileCopy)
#include "tst_filecopy.moc"

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The copy of one regular file that copies and moves make: what the copy gets (bytes, permission
// bits, modification time) is what QFile::copy gives, and a copy that fails leaves nothing behind.

#include "filetree.h"

#include "core/posixfile_unix.h"
#include "filesystem/filecopy.h"

#include <QtTest>

#include <cerrno>
#include <sys/resource.h>
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
    void copiesAfterARefusedClone_data();
    void copiesAfterARefusedClone();
    void growingSourceWithinSizeLimit();
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

void tst_FileCopy::copiesAfterARefusedClone_data()
{
    QTest::addColumn<QList<int>>("sizes");
    QTest::addRow("small files") << QList<int>{1, 5000, 4096, 3};
    QTest::addRow("an empty file among them") << QList<int>{0, 100, 0, 70000};
    QTest::addRow("larger files") << QList<int>{300000, 1, 2000000};
}

// The copies of one step share what the first learnt: a file system that refuses a clone is not
// asked again, and every later copy still gets all its bytes, mode and time.
void tst_FileCopy::copiesAfterARefusedClone()
{
    QFETCH(QList<int>, sizes);
    const ScratchCwd dir;
    QVERIFY(QDir().mkdir(QStringLiteral("out")));
    CopyConditions conditions;
    QStringList names;
    for (int index = 0; index < sizes.size(); ++index) {
        const QString source = QStringLiteral("f%1").arg(index);
        const QByteArray bytes =
            QByteArray::number(index).repeated(sizes.at(index)).left(sizes.at(index));
        QVERIFY(writeFile(source, bytes));
        QCOMPARE(::chmod(qPrintable(source), mode_t(index % 2 ? 0640 : 0755)), 0);
        const QString target = QStringLiteral("out/") + source;
        PreparedCopy copy;
        QString error;
        QVERIFY2(copy.make(source, target, PreparedCopy::Durability::Now, conditions, &error),
                 qPrintable(error));
        QVERIFY2(copy.nameWithoutReplacing(target, &error), qPrintable(error));
        QCOMPARE(readFile(target), bytes);
        QCOMPARE(modeOf(target), modeOf(source));
        FileStatus original, copied;
        QVERIFY(statusOf(source, false, &original) && statusOf(target, false, &copied));
        QCOMPARE(copied.modified, original.modified);
        names.append(source);
    }
    QCOMPARE(QDir(QStringLiteral("out")).entryList(QDir::Files | QDir::Hidden, QDir::Name), names);
}

// A source that grows while it is copied, under a file size limit that its size when the copy
// began just meets, with SIGXFSZ at its default as a user's shell leaves it: the copy takes the
// bytes the source had when it began, and never writes past the limit (which would end the
// process).
void tst_FileCopy::growingSourceWithinSizeLimit()
{
    const ScratchCwd dir;
    const QByteArray bytes = QByteArray("grown ").repeated((16 << 20) / 6 + 1000);
    QVERIFY(writeFile(QStringLiteral("source"), bytes));
    rlimit before;
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit limit = before;
    limit.rlim_cur = rlim_t(bytes.size());
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    bool grown = false;
    QString error;
    bool copied = false;
    {
        const CopyWatch watch([&](qint64) {
            // Another writer, whom the limit does not bind, appends.
            if (!grown && ::setrlimit(RLIMIT_FSIZE, &before) == 0) {
                QFile file(QStringLiteral("source"));
                grown = file.open(QIODevice::Append) && file.write(QByteArray(1 << 20, 'x')) > 0;
                file.close();
                grown = ::setrlimit(RLIMIT_FSIZE, &limit) == 0 && grown;
            }
            return true;
        });
        copied = copyFileWithoutReplacing(QFileInfo("source"), QStringLiteral("copy"), &error);
    }
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &before), 0);
    QVERIFY(grown);
    QVERIFY2(copied, qPrintable(error));
    QCOMPARE(readFile(QStringLiteral("copy")), bytes);
}

QTEST_GUILESS_MAIN(tst_FileCopy)
#include "tst_filecopy.moc"

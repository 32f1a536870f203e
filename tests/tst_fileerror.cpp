// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filesystem/journalfilesystem.h"
#include "filesystem/planfilesystem.h"
#include "filesystem/realfilesystem.h"
#include "filesystemcalls.h"
#include "testsupport.h"

#include <QtTest>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(FileError::Operation)

// Every call of a file system that fails says which operation failed, on which path and with
// which of the system's error numbers; a plan answers as the disk would. The failures chosen are
// ones root meets too.
class tst_FileError : public QObject
{
    Q_OBJECT

private slots:
    void failureSaysWhatWhereAndWhy_data();
    void failureSaysWhatWhereAndWhy();
    void successLeavesNoError();
    void journalRefusalsSayWhoRefused();
    void writeBeyondTheSizeLimitSaysWhy();
};

using Operation = FileError::Operation;

void tst_FileError::failureSaysWhatWhereAndWhy_data()
{
    QTest::addColumn<bool>("planned");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("path"); // "a" or "b": which of the two the error names
    QTest::addColumn<int>("code");
    // The tree: a file "file", another "other", a folder "dir"; "missing" is not there.
    const struct {
        const char* tag;
        const char* call;
        const char* a;
        const char* b;
        Operation operation;
        const char* path;
        int code;
    } rows[] = {
        {"copy of a missing file", "copy", "missing", "new", Operation::Copy, "a", ENOENT},
        {"copy of a folder", "copy", "dir", "new", Operation::Copy, "a", EISDIR},
        {"copy below a file", "copy", "file", "other/new", Operation::Copy, "b", ENOTDIR},
        {"copy onto a folder", "copy", "file", "dir", Operation::Copy, "b", EISDIR},
        {"copy replacing a folder", "copy!", "file", "dir", Operation::Copy, "b", EISDIR},
        {"copy onto a file", "copy", "file", "other", Operation::Copy, "b", EEXIST},
        {"rename of a missing file", "rename", "missing", "new", Operation::Rename, "a", ENOENT},
        {"rename below a file", "rename", "file", "other/new", Operation::Rename, "b", ENOTDIR},
        {"rename onto a file", "rename", "file", "other", Operation::Rename, "b", EEXIST},
        {"rename replacing a folder", "rename!", "file", "dir", Operation::Rename, "b", EISDIR},
        {"remove of a missing file", "remove", "missing", "", Operation::Remove, "a", ENOENT},
        {"remove below a file", "remove", "file/x", "", Operation::Remove, "a", ENOTDIR},
        {"remove of a folder", "remove", "dir", "", Operation::Remove, "a", EISDIR},
        {"folder below a file", "mkdir", "file/sub", "", Operation::MakeFolder, "a", ENOTDIR},
        {"folder in a file's place", "mkdir", "file", "", Operation::MakeFolder, "a", EEXIST},
        {"write below a file", "write", "file/x", "", Operation::Open, "a", ENOTDIR},
        {"write to a folder", "write", "dir", "", Operation::Open, "a", EISDIR},
        {"append to a folder", "append", "dir", "", Operation::Open, "a", EISDIR},
        {"read of a missing file", "read", "missing", "", Operation::Read, "a", ENOENT},
        {"read below a file", "read", "file/x", "", Operation::Read, "a", ENOTDIR},
        {"read of a folder", "read", "dir", "", Operation::Read, "a", EISDIR},
        {"part of a missing file", "readPart", "missing", "", Operation::Read, "a", ENOENT},
        {"part of a folder", "readPart", "dir", "", Operation::Read, "a", EISDIR},
    };
    for (const bool planned : {false, true}) {
        for (const auto& row : rows) {
            QTest::addRow("%s, %s", planned ? "plan" : "disk", row.tag)
                << planned << QString::fromLatin1(row.call) << QString::fromLatin1(row.a)
                << QString::fromLatin1(row.b) << row.operation << QString::fromLatin1(row.path)
                << row.code;
        }
    }
}

void tst_FileError::failureSaysWhatWhereAndWhy()
{
    QFETCH(bool, planned);
    QFETCH(QString, call);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(Operation, operation);
    QFETCH(QString, path);
    QFETCH(int, code);
    const QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path() + QLatin1Char('/');
    QVERIFY(writeFile(root + QLatin1String("file"), "file"));
    QVERIFY(writeFile(root + QLatin1String("other"), "other"));
    QVERIFY(QDir(root).mkdir(QStringLiteral("dir")));
    const QStringList before = QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    PlanFileSystem plan(RealFileSystem::instance());
    FileSystem* const files =
        planned ? static_cast<FileSystem*>(&plan) : &RealFileSystem::instance();
    FileError error;
    QVERIFY(!playCall(*files, call, root + a, b.isEmpty() ? QString() : root + b, &error));
    QCOMPARE(error.operation, operation);
    QCOMPARE(error.path, root + (path == QLatin1String("a") ? a : b));
    QCOMPARE(error.code, code);
    QVERIFY(!error.text.isEmpty());
    QVERIFY(!error.byJournal());
    QCOMPARE(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

// A failure before does not linger in the writer; a call that succeeds leaves the error as it
// found it.
void tst_FileError::successLeavesNoError()
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    FileError error;
    const std::unique_ptr<FileWriter> writer =
        RealFileSystem::instance().openForWriting(path, WriteMode::Replace, &error);
    QVERIFY(writer);
    QVERIFY(writer->write("a") && writer->commit());
    QVERIFY(!writer->error().isError());
    QVERIFY(!error.isError());
}

// A change the journal could not record is told apart from one the files refused: the first is
// the journal's (a folder gone from under it), the second the system's (a file in the way of its
// backup folder, whose error number comes through).
void tst_FileError::journalRefusalsSayWhoRefused()
{
    const QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    QVERIFY(writeFile(root + QLatin1String("a.txt"), "a"));
    QVERIFY(writeFile(root + QLatin1String("b.txt"), "b"));
    QString why;
    std::unique_ptr<Journal> journal = Journal::create(root + QLatin1String("journal"), &why);
    QVERIFY2(journal, qPrintable(why));
    JournalFileSystem files(RealFileSystem::instance(), std::move(journal));

    QVERIFY(QDir(root).rmdir(QStringLiteral("journal/backup")));
    QVERIFY(writeFile(root + QLatin1String("journal/backup"), "in the way"));
    FileError error;
    QVERIFY(!files.remove(root + QLatin1String("a.txt"), &error));
    QCOMPARE(error.operation, Operation::Remove);
    QCOMPARE(error.path, root + QLatin1String("a.txt"));
    QCOMPARE(error.code, ENOTDIR);
    QVERIFY(!error.byJournal());
    QCOMPARE(files.refusals(), 0);

    QVERIFY(QDir(root).rename(QStringLiteral("journal"), QStringLiteral("moved")));
    error = FileError();
    QVERIFY(!files.remove(root + QLatin1String("b.txt"), &error));
    QCOMPARE(error.operation, Operation::Remove);
    QCOMPARE(error.path, root + QLatin1String("b.txt"));
    QVERIFY(error.byJournal());
    QCOMPARE(
        error.text,
        QStringLiteral("the journal in %1 cannot be written").arg(root + QLatin1String("journal")));
    QCOMPARE(files.refusals(), 1);
    QCOMPARE(readFile(root + QLatin1String("a.txt")), QByteArray("a"));
    QCOMPARE(readFile(root + QLatin1String("b.txt")), QByteArray("b"));
}

// A write the size limit refuses (a shell's `ulimit -f`, SIGXFSZ ignored as our hosts do) says
// so through the writer, and the file keeps its old bytes.
void tst_FileError::writeBeyondTheSizeLimitSaysWhy()
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    QVERIFY(writeFile(path, "old"));
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit before;
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &before), 0);
    struct rlimit limit = before;
    limit.rlim_cur = 4096;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    FileError error;
    bool written = false;
    {
        const std::unique_ptr<FileWriter> writer =
            RealFileSystem::instance().openForWriting(path, WriteMode::Replace, &error);
        if (writer) {
            written = writer->write(QByteArray(8192, 'x')) && writer->commit();
            error = writer->error();
        }
    }
    ::setrlimit(RLIMIT_FSIZE, &before);
    ::signal(SIGXFSZ, oldHandler);
    QVERIFY(!written);
    QCOMPARE(error.operation, Operation::Write);
    QCOMPARE(error.path, path);
    QCOMPARE(error.code, EFBIG);
    QCOMPARE(readFile(path), QByteArray("old"));
}

QTEST_GUILESS_MAIN(tst_FileError)
#include "tst_fileerror.moc"

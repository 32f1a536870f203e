// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Writing a user's file: what a replaced file keeps, what a write that is not committed leaves
// behind, and how the leftovers of a killed run go.
#include "core/regularfile.h"
#include "filetree.h"

#include <sys/file.h>
#include <sys/stat.h>

namespace
{

// How the writer said it writes, as the data tables spell it.
QString wayOf(const RegularFileWriter& writer)
{
    if (writer.created())
        return QStringLiteral("created");
    return writer.replacing() ? QStringLiteral("replacement") : QStringLiteral("in place");
}

// Writes "new" to path, committed or not; false when a stage fails. *way: how the writer said,
// once open, it writes.
bool writeNew(const QString& path, WriteMode mode, bool commit, QString* way = nullptr)
{
    RegularFileWriter writer;
    if (!writer.open(path, mode))
        return false;
    if (way)
        *way = wayOf(writer);
    return writer.write("new") && (!commit || writer.commit());
}

struct stat statusOf(const QString& path)
{
    struct stat status = {};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status;
}

} // namespace

class tst_RegularFile : public QObject
{
    Q_OBJECT

private slots:
    void write_data();
    void write();
    void replaceKeepsModeAndOwner();
    void liveReplacementIsSpared();
    void withoutPermission_data();
    void withoutPermission();
};

void tst_RegularFile::write_data()
{
    QTest::addColumn<QString>("tree");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("append");
    QTest::addColumn<bool>("commit");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("inPlace"); // a.txt is still the file it was
    QTest::addColumn<QString>("way");  // as the writer tells it once open

    const auto row = [](const char* tag, const char* tree, const char* path, bool append,
                        bool commit, const char* after, bool inPlace, const char* way) {
        QTest::newRow(tag) << tree << path << append << commit << after << inPlace << way;
    };
    row("new file", "", "a.txt", false, true, "a.txt=new", false, "created");
    row("replaced beside", "a.txt", "a.txt", false, true, "a.txt=new", false, "replacement");
    row("hard link written in place", "a.txt|b.txt=>a.txt", "a.txt", false, true,
        "a.txt=new|b.txt=new", true, "in place");
    row("link followed and kept", "a.txt|l->a.txt", "l", false, true, "a.txt=new|l->a.txt", false,
        "replacement");
    row("link into another folder", "d/a.txt|l->d/a.txt", "l", false, true,
        "d/a.txt=new|l->d/a.txt", false, "replacement");
    // The open through the link makes its target, which the new bytes then replace.
    row("dangling link", "l->a.txt", "l", false, true, "a.txt=new|l->a.txt", false, "replacement");
    row("append", "a.txt", "a.txt", true, true, "a.txt=a.txtnew", true, "in place");
    row("uncommitted replace", "a.txt", "a.txt", false, false, "a.txt", true, "replacement");
    row("uncommitted new file", "", "a.txt", false, false, "", false, "created");
    row("uncommitted append", "a.txt", "a.txt", true, false, "a.txt", true, "in place");
    // Leftovers of killed runs replacing the same file go; names that only look alike stay.
    const char* alike = ".a.txt.fileoper-Ab12y|.b.txt.fileoper-Ab12yZ|a.txt.fileoper-Ab12yZ|"
                        ".a.txt.fileoper-Ab12y_|.a.txt.fileoper-Lnk123->a.txt";
    row("leftovers", (QByteArray("a.txt|.a.txt.fileoper-Ab12yZ|") + alike).constData(), "a.txt",
        false, true, (QByteArray("a.txt=new|") + alike).constData(), false, "replacement");
}

void tst_RegularFile::write()
{
    QFETCH(QString, tree);
    QFETCH(QString, path);
    QFETCH(bool, append);
    QFETCH(bool, commit);
    QFETCH(bool, inPlace);
    const ScratchCwd dir;
    QVERIFY(makeTree(tree));
    const QString file = QFileInfo(path).canonicalFilePath();
    const ino_t before = statusOf(file).st_ino;
    QString way;
    QVERIFY(writeNew(path, append ? WriteMode::Append : WriteMode::Replace, commit, &way));
    QTEST(way, "way");
    QFETCH(QString, after);
    QCOMPARE(treeSnapshot(), sortedEntries(after));
    if (before != 0)
        QCOMPARE(statusOf(file).st_ino == before, inPlace);
}

// The replacement takes the old file's mode, set-user-ID bit included, and its owner where the
// process may give it away (root may).
void tst_RegularFile::replaceKeepsModeAndOwner()
{
    const ScratchCwd dir;
    QVERIFY(makeTree("a.txt"));
    const bool root = ::geteuid() == 0;
    if (root)
        QCOMPARE(::chown("a.txt", 65534, 65534), 0);
    QCOMPARE(::chmod("a.txt", 04741), 0);
    QVERIFY(writeNew("a.txt", WriteMode::Replace, true));
    const struct stat status = statusOf("a.txt");
    QCOMPARE(status.st_mode & 07777, mode_t(04741));
    if (root)
        QCOMPARE(status.st_uid, uid_t(65534));
    QCOMPARE(readFile("a.txt"), QByteArray("new"));
}

// A replacement still being written is no leftover, even to a second writer of the same file.
void tst_RegularFile::liveReplacementIsSpared()
{
    const ScratchCwd dir;
    QVERIFY(makeTree("a.txt"));
    RegularFileWriter first;
    QVERIFY(first.open("a.txt", WriteMode::Replace));
    QVERIFY(writeNew("a.txt", WriteMode::Replace, true));
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden).size(), 2);
    QVERIFY(first.write("first") && first.commit());
    QCOMPARE(treeSnapshot(), QStringList{"a.txt=first"});
}

// Run unprivileged: root creates files in any folder and writes any file.
void tst_RegularFile::withoutPermission_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QByteArray>("after");
    // A folder that takes no new file: the file is written in place.
    QTest::newRow("read-only folder") << 0555 << 0644 << true << QByteArray("new");
    // A file the user may not write is not replaced either, though its folder would allow it.
    QTest::newRow("read-only file") << 0755 << 0444 << false << QByteArray("d/a.txt");
}

void tst_RegularFile::withoutPermission()
{
    if (::geteuid() == 0)
        QSKIP("root may write anywhere");
    QFETCH(int, folderMode);
    QFETCH(int, fileMode);
    const ScratchCwd dir;
    QVERIFY(makeTree("d/a.txt"));
    const ino_t before = statusOf("d/a.txt").st_ino;
    QCOMPARE(::chmod("d/a.txt", mode_t(fileMode)), 0);
    QCOMPARE(::chmod("d", mode_t(folderMode)), 0);
    QString way;
    const bool written = writeNew("d/a.txt", WriteMode::Replace, true, &way);
    QCOMPARE(::chmod("d", 0755), 0);
    QTEST(written, "written");
    if (written)
        QCOMPARE(way, QStringLiteral("in place"));
    QTEST(readFile("d/a.txt"), "after");
    QCOMPARE(statusOf("d/a.txt").st_ino, before);
    QCOMPARE(QDir("d").entryList(QDir::Files | QDir::Hidden).size(), 1);
}

QTEST_GUILESS_MAIN(tst_RegularFile)
#include "tst_regularfile.moc"

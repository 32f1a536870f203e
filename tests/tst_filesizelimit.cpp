// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The steps under a file size limit, in a process that keeps SIGXFSZ at its default as a host
// may: a write that would pass the limit must be refused before it starts (the system would end
// the process), and fail as on a full disk, leaving the old file as it was and nothing beside it.
// Also a file with other hard links, written in place, on a disk too full for its new content.
#include "filetree.h"
#include "operations/filecopyoperation.h"
#include "operations/filecsvwriteoperation.h"
#include "operations/filemoveoperation.h"
#include "operations/filewriteoperation.h"

#include <QProcess>
#include <QStorageInfo>

#include <csignal>
#include <memory>
#include <sys/mount.h>
#include <sys/resource.h>

namespace
{

const qint64 kLimit = 100;

// The process's file size limit for as long as it lives; the hard limit stays, so the old soft
// one can be put back.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        rlimit limit = m_before;
        limit.rlim_cur = rlim_t(bytes);
        m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &m_before); }
    bool isSet() const { return m_set; }

private:
    rlimit m_before{};
    bool m_set = false;
};

std::unique_ptr<Operation> makeStep(const QString& kind)
{
    if (kind == QLatin1String("write"))
        return std::make_unique<FileWriteOperation>();
    if (kind == QLatin1String("csv"))
        return std::make_unique<FileCsvWriteOperation>();
    if (kind == QLatin1String("copy"))
        return std::make_unique<FileCopyOperation>();
    return std::make_unique<FileMoveOperation>();
}

QString xs(int count)
{
    return QString(count, QLatin1Char('x'));
}

// A disk of 1 MB of its own, where the process may mount one (root): a tmpfs, which reserves room
// on request, or an ext2 file system in an image, which cannot. isMounted() false where none can
// be had.
class SmallDisk
{
public:
    explicit SmallDisk(const QString& type) : m_path(m_dir.filePath(QStringLiteral("disk")))
    {
        if (!m_dir.isValid() || !QDir().mkpath(m_path))
            return;
        if (type == QLatin1String("tmpfs")) {
            m_mounted =
                ::mount("tmpfs", QFile::encodeName(m_path).constData(), "tmpfs", 0, "size=1m") == 0;
            return;
        }
        const QString image = m_dir.filePath(QStringLiteral("disk.img"));
        QFile file(image);
        m_mounted = file.open(QIODevice::WriteOnly) && file.resize(1 << 20) &&
                    QProcess::execute(QStringLiteral("sh"),
                                      {"-c",
                                       "mkfs.ext2 -q -F -m 0 \"$0\" && mount -o loop \"$0\" "
                                       "\"$1\" 2>/dev/null",
                                       image, m_path}) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    bool isMounted() const { return m_mounted; }
    QString path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QString m_path;
    bool m_mounted = false;
};

} // namespace

class tst_FileSizeLimit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void steps_data();
    void steps();
    void inPlaceOnFullDisk_data();
    void inPlaceOnFullDisk();
};

void tst_FileSizeLimit::initTestCase()
{
    // The point of these tests: a write past the limit would end this process.
    QVERIFY(std::signal(SIGXFSZ, SIG_DFL) != SIG_ERR);
}

void tst_FileSizeLimit::steps_data()
{
    for (const char* column : {"step", "before", "settings", "after"})
        QTest::addColumn<QString>(column);
    QTest::addColumn<QStringList>("warnings");
    // A failed write warns with the step's own line; copies and moves leave the file unlisted.
    const auto row = [](const char* tag, const char* step, const char* before,
                        const QString& settings, const QString& after, bool fails) {
        const char* warning = qstrcmp(step, "csv") == 0 ? R"([CsvWrite] 写入失败： "t.txt")"
                                                        : R"([FileWrite] 写入失败： "t.txt")";
        QTest::newRow(tag) << step << before << settings << after
                           << (fails ? QStringList{QString::fromUtf8(warning)} : QStringList());
    };
    const QString write = "filePath=t.txt|content=" + xs(200);
    const QString fits = "filePath=t.txt|content=" + xs(97);
    const QString fitted = QString::fromUtf8("\xEF\xBB\xBF") + xs(97);
    const QString csv = QStringLiteral("sourceVar=table|filePath=t.txt");

    // Every tree also holds big.txt, 200 bytes; a file of the tree holds its own path.
    row("new file", "write", "", write, "", true);
    row("replace", "write", "t.txt", write, "t.txt", true);
    row("replace that fits", "write", "t.txt", fits, "t.txt=" + fitted, false);
    row("append", "write", "t.txt", write + "|ifExist=1", "t.txt", true);
    row("append that fits", "write", "t.txt", "filePath=t.txt|ifExist=1|content=" + xs(94),
        "t.txt=t.txt\n" + xs(94), false);
    row("in place", "write", "t.txt|h.txt=>t.txt", write, "t.txt|h.txt=t.txt", true);
    row("in place that fits", "write", "t.txt|h.txt=>t.txt", fits,
        "t.txt=" + fitted + "|h.txt=" + fitted, false);
    row("CSV write", "csv", "t.txt", csv, "t.txt", true);
    row("CSV append", "csv", "t.txt", csv + "|ifExist=1", "t.txt", true);
    row("CSV in place", "csv", "t.txt|h.txt=>t.txt", csv, "t.txt|h.txt=t.txt", true);
    row("copy", "copy", "", "files=big.txt|destDir=out", "out/", false);
    row("copy over a file", "copy", "out/big.txt", "files=big.txt|destDir=out|ifExist=1",
        "out/big.txt", false);
    row("copy a file that reads as empty", "copy", "", "files=/proc/self/smaps|destDir=out", "out/",
        false);
    row("move", "move", "", "files=big.txt|destDir=out", "out/", false);
    row("move over a file", "move", "out/big.txt", "files=big.txt|destDir=out|ifExist=1",
        "out/big.txt", false);
}

void tst_FileSizeLimit::steps()
{
    QFETCH(QString, step);
    QFETCH(QString, before);
    QFETCH(QString, settings);
    const ScratchCwd dir;
    QVERIFY(makeTree(before));
    const QString big = "big.txt=" + xs(200);
    QVERIFY(writeFile(QStringLiteral("big.txt"), xs(200).toUtf8()));
    VariableScope scope;
    scope.declare(QStringLiteral("out"), VarType::List, QVariantList());
    scope.declare(QStringLiteral("table"), VarType::DataTable,
                  QVariantList{QVariantList{xs(60)}, QVariantList{xs(60)}});
    const std::unique_ptr<Operation> op = makeStep(step);
    const bool transfer = step == QLatin1String("copy") || step == QLatin1String("move");
    QVERIFY(applySettings(op.get(), transfer ? settings + "|listVar=out" : settings));
    QStringList warnings;
    {
        const FileSizeLimit limit(kLimit);
        QVERIFY(limit.isSet());
        warnings = warningsOf(*op, &scope);
    }
    QFETCH(QString, after);
    QCOMPARE(treeSnapshot(), sortedEntries(after + '|' + big));
    QCOMPARE(scope.get(QStringLiteral("out")).toStringList(), QStringList());
    QTEST(warnings, "warnings");
}

void tst_FileSizeLimit::inPlaceOnFullDisk_data()
{
    QTest::addColumn<QString>("disk");
    QTest::addColumn<int>("newSize");
    QTest::addColumn<bool>("written");
    // 108 KB of old text and about 100 KB free: 258 KB of new text cannot fit; 200 KB can, but
    // only where the old bytes' room is used again rather than first taken twice.
    for (const char* disk : {"tmpfs", "ext2"}) {
        QTest::addRow("%s, does not fit", disk) << disk << 258000 << false;
        QTest::addRow("%s, fits", disk) << disk << 200000 << true;
    }
}

// The tmpfs takes the new size's room before a byte changes; ext2, which cannot reserve room,
// gets the part past the old end written first.
void tst_FileSizeLimit::inPlaceOnFullDisk()
{
    QFETCH(QString, disk);
    QFETCH(int, newSize);
    QFETCH(bool, written);
    const SmallDisk small(disk);
    // Where no tmpfs can be mounted, a size limit of the same effect. An ext2 image also needs a
    // loop device.
    if (!small.isMounted() && disk != QLatin1String("tmpfs"))
        QSKIP("no loop device to mount an ext2 image on");
    QTemporaryDir plain;
    const bool mounted = small.isMounted();
    const QString folder = mounted ? small.path() : plain.path();
    const QString path = folder + QStringLiteral("/a.txt");
    const QByteArray old = QByteArray("old ").repeated(27000);
    QVERIFY(writeFile(path, old));
    QCOMPARE(::link(QFile::encodeName(path).constData(),
                    QFile::encodeName(folder + QStringLiteral("/b.txt")).constData()),
             0);
    // The disk filled up to about 100 KB; where no disk of that size could be made, a size limit
    // of the same effect.
    const qint64 room = 100000;
    const qint64 free = QStorageInfo(folder).bytesAvailable();
    if (mounted)
        QVERIFY(writeFile(folder + QStringLiteral("/filler"), QByteArray(int(free - room), 'f')));
    std::unique_ptr<FileSizeLimit> limit;
    if (!mounted)
        limit = std::make_unique<FileSizeLimit>(qint64(old.size()) + room);

    FileWriteOperation op;
    op.setFilePath(path);
    op.setContent(QString(newSize - 3, QLatin1Char('n')));
    const QStringList warnings = warningsOf(op, nullptr);
    limit.reset();

    const QByteArray expected =
        written ? QByteArray("\xEF\xBB\xBF") + QByteArray(newSize - 3, 'n') : old;
    QCOMPARE(warnings, written ? QStringList()
                               : QStringList{QStringLiteral("[FileWrite] 写入失败： \"") + path +
                                             QLatin1Char('"')});
    QVERIFY(readFile(path) == expected);
    QVERIFY(readFile(folder + QStringLiteral("/b.txt")) == expected);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), mounted ? 3 : 2);
}

QTEST_GUILESS_MAIN(tst_FileSizeLimit)
#include "tst_filesizelimit.moc"

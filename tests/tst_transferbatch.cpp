// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filetree.h"

#include "filesystem/filecopy.h"
#include "filesystem/planfilesystem.h"
#include "filesystem/realfilesystem.h"
#include "filesystem/scopedfilesystems.h"
#include "operations/filecopyoperation.h"
#include "operations/filemoveoperation.h"
#include "operations/filetransfer.h"
#include "operations/transferbatch.h"

#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(TransferKind)

// Copies and moves of many files wait in batches for their names: what a step decides and
// leaves must be what it decides and leaves copying one file at a time, batch boundaries
// anywhere, and what its plan says.
class tst_TransferBatch : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void sameAsOneByOne_data();
    void sameAsOneByOne();
    void failureSkipsOnlyThatFile_data();
    void failureSkipsOnlyThatFile();
};

namespace
{

// The disk, one copy at a time: what a step did before copies waited in batches.
class OneByOne : public RealFileSystem
{
public:
    std::unique_ptr<CopyBatch> startCopyBatch() override { return nullptr; }
};

// A copy or move step of the files in the list "files" into "out", listing into "out".
std::unique_ptr<Operation> transferStep(TransferKind kind, int ifExist)
{
    std::unique_ptr<Operation> op;
    if (kind == TransferKind::Copy)
        op = std::make_unique<FileCopyOperation>();
    else
        op = std::make_unique<FileMoveOperation>();
    op->setProperty("files", QStringLiteral("$files"));
    op->setProperty("destDir", QStringLiteral("out"));
    op->setProperty("ifExist", ifExist);
    op->setProperty("listVar", QStringLiteral("out"));
    return op;
}

struct Outcome {
    QStringList tree;
    QStringList listed;
};

// Runs one copy or move step of `files` into "out" on the tree `before`, in `files` (the disk
// itself when null), and reads back what it left.
Outcome runTransfer(TransferKind kind, const QString& before, const QStringList& files, int ifExist,
                    std::shared_ptr<FileSystem> fileSystem)
{
    const ScratchCwd dir;
    if (!makeTree(before))
        return {{QStringLiteral("<could not build the tree>")}, {}};
    VariableScope scope;
    scope.declare(QStringLiteral("files"), VarType::List, QVariant(files).toList());
    scope.declare(QStringLiteral("out"), VarType::List, QVariantList());
    if (fileSystem)
        setScopedFileSystem(&scope, fileSystem);
    const std::unique_ptr<Operation> op = transferStep(kind, ifExist);
    const QStringList warnings = warningsOf(*op, &scope);
    if (fileSystem)
        takeScopedFileSystem(&scope);
    Outcome outcome{treeSnapshot(), scope.get(QStringLiteral("out")).toStringList()};
    if (!warnings.isEmpty())
        outcome.tree << QStringLiteral("<warned: %1>").arg(warnings.join('|'));
    return outcome;
}

} // namespace

void tst_TransferBatch::cleanup()
{
    setTransferBatchLimitsForTesting(0, 0);
    setCopyNamingHookForTesting(nullptr);
}

void tst_TransferBatch::sameAsOneByOne_data()
{
    QTest::addColumn<TransferKind>("kind");
    QTest::addColumn<int>("ifExist");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("listed");

    const QString four = QStringLiteral("a/r.txt|b/r.txt|c/r.txt|d/r(1).txt|out/r.txt");
    const QStringList fourFiles{"a/r.txt", "d/r(1).txt", "b/r.txt", "c/r.txt"};
    // r(1).txt is taken by a copy still waiting when b/r.txt looks for a free number.
    QTest::newRow("numbers skip names a waiting copy takes")
        << TransferKind::Copy << 2 << four << fourFiles
        << QStringList{"out/r(1).txt", "out/r(1)(1).txt", "out/r(2).txt", "out/r(3).txt"};
    QTest::newRow("move: numbers skip names a waiting copy takes")
        << TransferKind::Move << 2 << four << fourFiles
        << QStringList{"out/r(1).txt", "out/r(1)(1).txt", "out/r(2).txt", "out/r(3).txt"};
    const QString five = QStringLiteral("a/x.txt|b/x.txt|c/y.txt|d/x.txt|e/y.txt");
    const QStringList fiveFiles{"a/x.txt", "b/x.txt", "c/y.txt", "d/x.txt", "e/y.txt"};
    QTest::newRow("left alone across batches")
        << TransferKind::Copy << 0 << five << fiveFiles << QStringList{"out/x.txt", "out/y.txt"};
    QTest::newRow("move: left alone across batches")
        << TransferKind::Move << 0 << five << fiveFiles << QStringList{"out/x.txt", "out/y.txt"};
    // A copy replaces its own earlier copy; a move never replaces what it moved there.
    QTest::newRow("overwritten across batches")
        << TransferKind::Copy << 1 << five << fiveFiles
        << QStringList{"out/x.txt", "out/x.txt", "out/y.txt", "out/x.txt", "out/y.txt"};
    QTest::newRow("move: overwrite never takes what the step moved")
        << TransferKind::Move << 1 << five << fiveFiles << QStringList{"out/x.txt", "out/y.txt"};
    QTest::newRow("numbered across batches")
        << TransferKind::Copy << 2 << five << fiveFiles
        << QStringList{"out/x.txt", "out/x(1).txt", "out/y.txt", "out/x(2).txt", "out/y(1).txt"};
    // The second listing is decided on the files the first left.
    QTest::newRow("move: a source listed twice")
        << TransferKind::Move << 2 << "a/x.txt|b/y.txt"
        << QStringList{"a/x.txt", "a/x.txt", "b/y.txt"} << QStringList{"out/x.txt", "out/y.txt"};
    QTest::newRow("copy of a name a waiting copy takes")
        << TransferKind::Copy << 2 << "a/x.txt" << QStringList{"a/x.txt", "out/x.txt"}
        << QStringList{"out/x.txt", "out/x(1).txt"};
    QTest::newRow("move: a source the waiting copies moved")
        << TransferKind::Move << 2 << "a/x.txt|b/y.txt"
        << QStringList{"a/x.txt", "b/y.txt", "out/x.txt", "a/x.txt"}
        << QStringList{"out/x.txt", "out/y.txt"};
    // A file moved out of the destination frees its name for the sources after it.
    QTest::newRow("move: sources in the destination itself")
        << TransferKind::Move << 2 << "a/x.txt|b/x.txt|out/x.txt|out/y.txt"
        << QStringList{"a/x.txt", "out/x.txt", "b/x.txt", "out/y.txt"}
        << QStringList{"out/x(1).txt", "out/x(2).txt", "out/x.txt", "out/y(1).txt"};
    QTest::newRow("move: overwrite with sources in the destination")
        << TransferKind::Move << 1 << "a/x.txt|out/y.txt|b/y.txt"
        << QStringList{"a/x.txt", "out/y.txt", "b/y.txt"} << QStringList{"out/x.txt", "out/y.txt"};
}

// Every row with batches of one, two and three files, and with the default batch, against the
// same step copying one file at a time and against its plan.
void tst_TransferBatch::sameAsOneByOne()
{
    QFETCH(TransferKind, kind);
    QFETCH(int, ifExist);
    QFETCH(QString, before);
    QFETCH(QStringList, files);
    QFETCH(QStringList, listed);

    const Outcome oneByOne =
        runTransfer(kind, before, files, ifExist, std::make_shared<OneByOne>());
    QCOMPARE(oneByOne.listed, listed);
    for (const int batchFiles : {1, 2, 3, 0}) {
        setTransferBatchLimitsForTesting(batchFiles, 0);
        const Outcome batched = runTransfer(kind, before, files, ifExist, nullptr);
        QCOMPARE(batched.tree, oneByOne.tree);
        QCOMPARE(batched.listed, oneByOne.listed);
    }

    // The plan lists the same paths and leaves the disk as it was.
    const ScratchCwd dir;
    QVERIFY(makeTree(before));
    const QStringList untouched = treeSnapshot();
    VariableScope scope;
    scope.declare(QStringLiteral("files"), VarType::List, QVariant(files).toList());
    scope.declare(QStringLiteral("out"), VarType::List, QVariantList());
    setScopedFileSystem(&scope, std::make_shared<PlanFileSystem>(RealFileSystem::instance()));
    const std::unique_ptr<Operation> op = transferStep(kind, ifExist);
    QCOMPARE(warningsOf(*op, &scope), QStringList());
    takeScopedFileSystem(&scope);
    QCOMPARE(scope.get(QStringLiteral("out")).toStringList(), listed);
    QCOMPARE(treeSnapshot(), untouched);
}

void tst_TransferBatch::failureSkipsOnlyThatFile_data()
{
    QTest::addColumn<TransferKind>("kind");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("copy") << TransferKind::Copy
                          << "a.txt|b.txt|c.txt|out/a.txt=a.txt|out/b.txt=theirs|"
                             "out/c.txt=c.txt"
                          << QStringList{"out/a.txt", "out/c.txt"};
    QTest::newRow("move") << TransferKind::Move
                          << "b.txt|out/a.txt=a.txt|out/b.txt=theirs|out/c.txt=c.txt"
                          << QStringList{"out/a.txt", "out/c.txt"};
}

// Another program makes b.txt in the destination while the batch waits: that copy finds its name
// taken and goes, silently, its source staying; the batch's other copies take their names.
void tst_TransferBatch::failureSkipsOnlyThatFile()
{
    QFETCH(TransferKind, kind);
    QFETCH(QString, after);
    QFETCH(QStringList, listed);
    setCopyNamingHookForTesting([](const QString& temporary) {
        if (QFileInfo(temporary).fileName().startsWith(QLatin1String(".b.txt.fileoper-")))
            writeFile(QFileInfo(temporary).path() + QLatin1String("/b.txt"), "theirs");
    });
    const Outcome outcome = runTransfer(kind, QStringLiteral("a.txt|b.txt|c.txt|out/"),
                                        {"a.txt", "b.txt", "c.txt"}, 0, nullptr);
    QCOMPARE(outcome.tree, sortedEntries(after));
    QCOMPARE(outcome.listed, listed);
}

QTEST_GUILESS_MAIN(tst_TransferBatch)
#include "tst_transferbatch.moc"

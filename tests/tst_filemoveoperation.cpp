#include "operations/filemoveoperation.h"
#include "transferscenario.h"

#include <QtTest>

#include <unistd.h>

class tst_FileMoveOperation : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void emptyDestination();
    void sourceThatCannotBeRemovedStays();
    void texts();
    void cloneCarriesSettings();
};

// The tree every row starts from, plus the row's own entries, sorted as readTree gives them.
static QStringList tree(const QStringList& entries)
{
    QStringList sorted = entries;
    sorted.sort();
    return sorted;
}

static QStringList sources(const QStringList& more = QStringList())
{
    return tree(QStringList{"src/", "src/a.txt=A", "src/b.txt=B"} + more);
}

void tst_FileMoveOperation::run_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("files");
    QTest::addColumn<QString>("destDir");
    QTest::addColumn<int>("ifExist");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QStringList>("listed");

    const QStringList moved{"src/", "out/", "out/a.txt=A", "out/b.txt=B"};
    QTest::newRow("two files") << sources() << "src/a.txt\nsrc/b.txt"
                               << "out" << 0 << moved << QStringList{"out/a.txt", "out/b.txt"};
    QTest::newRow("list variable and reference destination")
        << sources() << "$srcs"
        << "$dest" << 0 << moved << QStringList{"out/a.txt", "out/b.txt"};
    QTest::newRow("missing source skipped")
        << sources() << "src/none.txt\nsrc/b.txt"
        << "out" << 0 << QStringList{"src/", "src/a.txt=A", "out/", "out/b.txt=B"}
        << QStringList{"out/b.txt"};

    // Clash policies.
    QTest::newRow("policy 0 leaves both")
        << sources({"out/a.txt=old"}) << "src/a.txt"
        << "out" << 0 << sources({"out/", "out/a.txt=old"}) << QStringList();
    QTest::newRow("policy 1 overwrites")
        << sources({"out/a.txt=old"}) << "src/a.txt"
        << "out" << 1 << QStringList{"src/", "src/b.txt=B", "out/", "out/a.txt=A"}
        << QStringList{"out/a.txt"};
    QTest::newRow("policy 2 numbers")
        << sources({"out/a.txt=old", "out/a(1).txt=1"}) << "src/a.txt"
        << "out" << 2 << QStringList{"src/",          "src/b.txt=B",    "out/",
                                     "out/a.txt=old", "out/a(1).txt=1", "out/a(2).txt=A"}
        << QStringList{"out/a(2).txt"};
    QTest::newRow("in place, policy 0") << sources() << "src/a.txt"
                                        << "src" << 0 << sources() << QStringList();
    QTest::newRow("in place, policy 2 renames")
        << sources() << "src/a.txt"
        << "src" << 2 << QStringList{"src/", "src/a(1).txt=A", "src/b.txt=B"}
        << QStringList{"src/a(1).txt"};

    // Listed twice, or listed again under the path it was just moved to.
    for (int policy : {0, 1, 2}) {
        QTest::addRow("twice, policy %d", policy)
            << sources() << "src/a.txt\nsrc/a.txt"
            << "out" << policy << QStringList{"src/", "src/b.txt=B", "out/", "out/a.txt=A"}
            << QStringList{"out/a.txt"};
        QTest::addRow("moved, then listed at its new place, policy %d", policy)
            << sources() << "src/a.txt\nout/a.txt"
            << "out" << policy << QStringList{"src/", "src/b.txt=B", "out/", "out/a.txt=A"}
            << QStringList{"out/a.txt"};
    }

    // No lost files.
    for (const char* spelling : {"src/a.txt", "./src/a.txt", "src/sub/../a.txt", "srclink/a.txt"}) {
        QTest::addRow("onto itself as %s", spelling)
            << sources({"src/sub/", "srclink->src"}) << QString::fromLatin1(spelling) << "src" << 1
            << sources({"src/sub/", "srclink->src"}) << QStringList();
    }
    QTest::newRow("a folder in the way stays")
        << sources({"out/a.txt/in=keep"}) << "src/a.txt"
        << "out" << 1 << sources({"out/", "out/a.txt/", "out/a.txt/in=keep"}) << QStringList();
    // A dangling link is not an existing target, but the copy will not replace it either.
    QTest::newRow("a dangling link in the way stays")
        << sources({"out/a.txt->gone"}) << "src/a.txt"
        << "out" << 1 << sources({"out/", "out/a.txt->gone"}) << QStringList();
    QTest::newRow("a link to a folder in the way stays")
        << sources({"keep/in=keep", "out/a.txt->keep"}) << "src/a.txt"
        << "out" << 1 << sources({"keep/", "keep/in=keep", "out/", "out/a.txt->keep"})
        << QStringList();
    QTest::newRow("a folder source stays")
        << sources({"src/sub/in=keep", "out/sub=keep"}) << "src/sub"
        << "out" << 1 << sources({"src/sub/", "src/sub/in=keep", "out/", "out/sub=keep"})
        << QStringList();
    QTest::newRow("two sources with one name, policy 1: the second stays")
        << sources({"other/a.txt=O"}) << "src/a.txt\nother/a.txt"
        << "out" << 1
        << QStringList{"src/", "src/b.txt=B", "other/", "other/a.txt=O", "out/", "out/a.txt=A"}
        << QStringList{"out/a.txt"};
    QTest::newRow("two sources with one name, policy 2: both numbered apart")
        << sources({"other/a.txt=O"}) << "src/a.txt\nother/a.txt"
        << "out" << 2
        << QStringList{"src/", "src/b.txt=B", "other/", "out/", "out/a.txt=A", "out/a(1).txt=O"}
        << QStringList{"out/a.txt", "out/a(1).txt"};

    // Moving a link moves the link: its target's bytes arrive, the target itself stays.
    QTest::newRow("linked source")
        << QStringList{"data/real.txt=R", "src/l.txt->data/real.txt"} << "src/l.txt"
        << "out" << 0 << QStringList{"data/", "data/real.txt=R", "src/", "out/", "out/l.txt=R"}
        << QStringList{"out/l.txt"};
    QTest::newRow("linked source that is the target, policy 1")
        << QStringList{"out/l.txt=T", "src/l.txt->out/l.txt"} << "src/l.txt"
        << "out" << 1 << QStringList{"out/", "out/l.txt=T", "src/", "src/l.txt->out/l.txt"}
        << QStringList();
    QTest::newRow("linked source that is the target, policy 2")
        << QStringList{"out/l.txt=T", "src/l.txt->out/l.txt"} << "src/l.txt"
        << "out" << 2 << QStringList{"out/", "out/l.txt=T", "out/l(1).txt=T", "src/"}
        << QStringList{"out/l(1).txt"};
}

void tst_FileMoveOperation::run()
{
    QFETCH(QStringList, before);
    QFETCH(QString, files);
    QFETCH(QString, destDir);
    QFETCH(int, ifExist);
    QFETCH(QStringList, after);
    QFETCH(QStringList, listed);

    const TransferOutcome outcome = runTransfer<FileMoveOperation>(before, files, destDir, ifExist);
    QVERIFY(outcome.ready);
    QCOMPARE(outcome.tree, tree(after));
    QCOMPARE(outcome.listed, listValue(listed));
    QCOMPARE(outcome.warnings, QStringList());
}

void tst_FileMoveOperation::emptyDestination()
{
    const TransferOutcome outcome = runTransfer<FileMoveOperation>(sources(), "$srcs", " ", 2);
    QVERIFY(outcome.ready);
    QCOMPARE(outcome.tree, sources());
    QCOMPARE(outcome.listed, listValue({"previous"}));
    QCOMPARE(outcome.warnings, QStringList{"[FileMove] 目标文件夹为空，已跳过"});
}

void tst_FileMoveOperation::sourceThatCannotBeRemovedStays()
{
    if (geteuid() == 0)
        QSKIP("root may remove files from a read-only folder");
    QTemporaryDir dir;
    QVERIFY(makeTree(dir.path(), sources()));
    const QString src = dir.filePath("src");
    QVERIFY(QFile::setPermissions(src, QFile::ReadOwner | QFile::ExeOwner));
    VariableScope scope;
    scope.declare("done", VarType::List, QVariantList{"previous"});
    FileMoveOperation op;
    op.setFiles(dir.filePath("src/a.txt"));
    op.setDestDir(dir.filePath("out"));
    op.setListVar("done");
    op.setVariableScope(&scope);
    op.doOperation();
    QFile::setPermissions(src, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The copy stays in the destination, the source where it was; nothing is listed.
    QCOMPARE(readTree(dir.path()), sources({"out/", "out/a.txt=A"}));
    QCOMPARE(scope.get("done"), listValue({}));
}

void tst_FileMoveOperation::texts()
{
    FileMoveOperation op;
    op.setFiles("$srcs");
    op.setDestDir("D:/out");
    QCOMPARE(op.toString(), QStringLiteral("移动文件: $srcs -> D:/out"));
    QCOMPARE(op.description(), QStringLiteral("移动 $srcs 到 D:/out"));
}

void tst_FileMoveOperation::cloneCarriesSettings()
{
    FileMoveOperation op;
    op.setFiles("a");
    op.setDestDir("b");
    op.setIfExist(2);
    op.setListVar("c");
    op.setCarriedState(5);
    QScopedPointer<Operation> copy(op.clone(nullptr));
    auto* clone = qobject_cast<FileMoveOperation*>(copy.data());
    QVERIFY(clone);
    QCOMPARE(clone->files(), QStringLiteral("a"));
    QCOMPARE(clone->destDir(), QStringLiteral("b"));
    QCOMPARE(clone->ifExist(), 2);
    QCOMPARE(clone->listVar(), QStringLiteral("c"));
    QCOMPARE(clone->carriedState(), 5u);
}

QTEST_GUILESS_MAIN(tst_FileMoveOperation)
#include "tst_filemoveoperation.moc"

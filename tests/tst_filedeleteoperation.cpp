#include "filetree.h"
#include "operations/filedeleteoperation.h"
#include "testsupport.h"

#include <variablescope.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

class tst_FileDeleteOperation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void remove_data();
    void remove();
    void resultVariable_data();
    void resultVariable();
    void withoutScope();
    void texts();
    void cloneCarriesSettings();
    void flowThroughHost();

private:
    QTemporaryDir* m_dir = nullptr;
    QString m_oldCwd;
};

void tst_FileDeleteOperation::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
}

void tst_FileDeleteOperation::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    delete m_dir;
    m_dir = nullptr;
}

void tst_FileDeleteOperation::remove_data()
{
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("files");
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("files") << QStringList{"d/a.txt", "d/b.txt", "d/c.txt"} << "d/a.txt\nd/b.txt"
                           << QStringList{"d/a.txt", "d/b.txt"}
                           << QStringList{"d/", "d/c.txt=d/c.txt"};
    QTest::newRow("missing file") << QStringList{"d/a.txt"} << "d/missing.txt\nd/a.txt"
                                  << QStringList{"d/a.txt"} << QStringList{"d/"};
    QTest::newRow("same file twice") << QStringList{"d/a.txt"} << "d/a.txt\nd/a.txt"
                                     << QStringList{"d/a.txt"} << QStringList{"d/"};
    QTest::newRow("folder stays") << QStringList{"d/sub/in.txt", "d/empty/"} << "d/sub\nd/empty"
                                  << QStringList()
                                  << QStringList{"d/", "d/empty/", "d/sub/",
                                                 "d/sub/in.txt=d/sub/in.txt"};
    QTest::newRow("missing folder")
        << QStringList{"d/"} << "d/gone/" << QStringList() << QStringList{"d/"};
    QTest::newRow("link goes, target stays")
        << QStringList{"d/a.txt", "d/link->a.txt"} << "d/link" << QStringList{"d/link"}
        << QStringList{"d/", "d/a.txt=d/a.txt"};
    QTest::newRow("link to folder goes, folder stays")
        << QStringList{"d/sub/in.txt", "d/link->sub"} << "d/link" << QStringList{"d/link"}
        << QStringList{"d/", "d/sub/", "d/sub/in.txt=d/sub/in.txt"};
    QTest::newRow("dangling link is missing") << QStringList{"d/link->gone"} << "d/link"
                                              << QStringList() << QStringList{"d/", "d/link->gone"};
    QTest::newRow("listed as written")
        << QStringList{"d/a.txt", "d/b.txt"} << " d/./a.txt \r\n\n  \n$files"
        << QStringList{"d/./a.txt", "d//b.txt"} << QStringList{"d/"};
    QTest::newRow("list item not trimmed") << QStringList{"d/a.txt"} << "$padded" << QStringList()
                                           << QStringList{"d/", "d/a.txt=d/a.txt"};
    QTest::newRow("empty setting")
        << QStringList{"d/a.txt"} << "" << QStringList() << QStringList{"d/", "d/a.txt=d/a.txt"};
}

void tst_FileDeleteOperation::remove()
{
    QFETCH(QStringList, tree);
    QFETCH(QString, files);
    QFETCH(QStringList, list);
    QFETCH(QStringList, after);
    QVERIFY(makeTree(tree));

    VariableScope scope;
    scope.declare("files", VarType::List, QVariantList{"d//b.txt"});
    scope.declare("padded", VarType::List, QStringList{" d/a.txt"});
    scope.declare("out", VarType::List, "unchanged");
    FileDeleteOperation op;
    op.setFiles(files);
    op.setDeletedList("out");
    op.setVariableScope(&scope);

    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList());
    QCOMPARE(scope.get("out").userType(), int(QMetaType::QVariantList));
    QCOMPARE(scope.get("out").toStringList(), list);
    QCOMPARE(treeSnapshot(), after);
}

void tst_FileDeleteOperation::resultVariable_data()
{
    QTest::addColumn<QString>("deletedList");
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("list") << "out" << QStringList() << QVariant(QVariantList{"a.txt"});
    QTest::newRow("string") << "text"
                            << QStringList{"[OpVar] 目标变量 \"text\" 未声明为列表，已跳过"}
                            << QVariant("keep");
    QTest::newRow("undeclared") << "loose"
                                << QStringList{"[OpVar] 目标变量 \"loose\" 未声明为列表，已跳过"}
                                << QVariant(12);
    QTest::newRow("quote in name")
        << "a\"b" << QStringList{"[OpVar] 目标变量 \"a\\\"b\" 未声明为列表，已跳过"} << QVariant();
    QTest::newRow("empty") << "" << QStringList() << QVariant();
}

void tst_FileDeleteOperation::resultVariable()
{
    QFETCH(QString, deletedList);
    QFETCH(QStringList, warnings);
    QFETCH(QVariant, value);
    QVERIFY(makeTree({"a.txt"}));

    VariableScope scope;
    scope.declare("out", VarType::List);
    scope.declare("text", VarType::String, "keep");
    scope.set("loose", 12);
    FileDeleteOperation op;
    op.setFiles("a.txt");
    op.setDeletedList(deletedList);
    op.setVariableScope(&scope);
    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), warnings);
    QVERIFY(!QFile::exists("a.txt"));
    QCOMPARE(scope.get(deletedList), value);
    QCOMPARE(scope.get("out"), deletedList == "out" ? value : QVariant());
}

void tst_FileDeleteOperation::withoutScope()
{
    QVERIFY(makeTree({"a.txt", "b.txt"}));
    FileDeleteOperation op;
    op.setFiles("a.txt\n$files");
    op.setDeletedList("out");
    WarningLog log;
    op.doOperation();
    QCOMPARE(log.messages(), QStringList());
    QCOMPARE(treeSnapshot(), QStringList({"b.txt=b.txt"}));
}

void tst_FileDeleteOperation::texts()
{
    FileDeleteOperation op;
    QCOMPARE(op.toString(), QStringLiteral("删除文件: "));
    QCOMPARE(op.description(), QStringLiteral("删除 "));
    op.setFiles("a.txt\n$files");
    op.setDeletedList("gone");
    QCOMPARE(op.toString(), QStringLiteral("删除文件: a.txt\n$files"));
    QCOMPARE(op.description(), QStringLiteral("删除 a.txt\n$files"));
    QCOMPARE(op.typeId(), QStringLiteral("file.delete"));
    QCOMPARE(op.icon(), QStringLiteral(":/images/file_delete.svg"));
}

void tst_FileDeleteOperation::cloneCarriesSettings()
{
    QObject parent;
    FileDeleteOperation op;
    op.setFiles("x");
    op.setDeletedList("y");
    op.setCarriedState(7);
    QScopedPointer<Operation> copy(op.clone(&parent));
    auto* deleted = qobject_cast<FileDeleteOperation*>(copy.data());
    QVERIFY(deleted);
    QCOMPARE(deleted->parent(), &parent);
    QCOMPARE(deleted->files(), QStringLiteral("x"));
    QCOMPARE(deleted->deletedList(), QStringLiteral("y"));
    QCOMPARE(deleted->carriedState(), 7u);
}

void tst_FileDeleteOperation::flowThroughHost()
{
    if (!QFile::exists(STEPHOST_PATH))
        QSKIP("stephost is not built");
    QVERIFY(makeTree({"a.txt", "b.txt", "c.txt", "sub/in.txt", "link->sub"}));
    const StephostResult run =
        runStephost({"run", FLOWS_DIR "/delete-list.json", "--roundtrip"}, QDir::currentPath());
    QCOMPARE(run.exitCode, 0);
    const QJsonObject report = run.report();
    QCOMPARE(report.value("log").toArray(),
             QJsonArray({"[OpVar] 目标变量 \"text\" 未声明为列表，已跳过"}));
    const QJsonObject vars = report.value("variables").toObject();
    QCOMPARE(vars.value("deleted").toObject().value("value").toArray(),
             QJsonArray({"a.txt", "link", "b.txt"}));
    QCOMPARE(vars.value("text").toObject().value("value").toString(), QStringLiteral("keep"));
    // The folder and the link's target stay; c.txt is deleted although its list is not stored.
    QCOMPARE(treeSnapshot(), QStringList({"sub/", "sub/in.txt=sub/in.txt"}));
}

QTEST_GUILESS_MAIN(tst_FileDeleteOperation)
#include "tst_filedeleteoperation.moc"

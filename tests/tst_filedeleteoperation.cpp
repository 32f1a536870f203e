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

static void addRow(const char* tag, const char* tree, const char* files, const char* list,
                   const char* after)
{
    QTest::newRow(tag) << entries(tree) << QString::fromUtf8(files) << entries(list)
                       << entries(after);
}

void tst_FileDeleteOperation::remove_data()
{
    // Trees and lists as texts with "|" between entries (filetree.h).
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("files");
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QStringList>("after");

    addRow("files", "d/a.txt|d/b.txt|d/c.txt", "d/a.txt\nd/b.txt", "d/a.txt|d/b.txt",
           "d/c.txt=d/c.txt");
    addRow("missing file", "d/a.txt", "d/missing.txt\nd/a.txt", "d/a.txt", "d/");
    addRow("same file twice", "d/a.txt", "d/a.txt\nd/a.txt", "d/a.txt", "d/");
    addRow("folders stay", "d/sub/in.txt|d/empty/", "d/sub\nd/empty", "",
           "d/empty/|d/sub/in.txt=d/sub/in.txt");
    addRow("missing folder", "d/", "d/gone/", "", "d/");
    addRow("link goes, target stays", "d/a.txt|d/link->a.txt", "d/link", "d/link",
           "d/a.txt=d/a.txt");
    addRow("link to folder goes, folder stays", "d/sub/in.txt|d/link->sub", "d/link", "d/link",
           "d/sub/in.txt=d/sub/in.txt");
    addRow("dangling link is missing", "d/link->gone", "d/link", "", "d/link->gone");
    addRow("listed as written", "d/a.txt|d/b.txt", " d/./a.txt \r\n\n  \n$files",
           "d/./a.txt|d//b.txt", "d/");
    addRow("list item not trimmed", "d/a.txt", "$padded", "", "d/a.txt=d/a.txt");
    addRow("empty setting", "d/a.txt", "", "", "d/a.txt=d/a.txt");
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
    QCOMPARE(treeSnapshot(), QStringList{"sub/in.txt=sub/in.txt"});
}

QTEST_GUILESS_MAIN(tst_FileDeleteOperation)
#include "tst_filedeleteoperation.moc"

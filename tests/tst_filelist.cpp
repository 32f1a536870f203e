#include "operations/filelist.h"
#include "testsupport.h"

#include <variablescope.h>

#include <QtTest>

class tst_FileList : public QObject
{
    Q_OBJECT

private slots:
    void expand_data();
    void expand();
    void expandWithoutScope();
    void store_data();
    void store();
};

static VariableScope* sampleScope()
{
    auto* scope = new VariableScope;
    scope->declare(QStringLiteral("list"), VarType::List,
                   QVariantList{QStringLiteral("x"), QStringLiteral(" y "), QString()});
    scope->declare(QStringLiteral("names"), VarType::List,
                   QStringList{QStringLiteral("p.txt"), QStringLiteral("q.txt")});
    scope->declare(QStringLiteral("text"), VarType::String, QStringLiteral("  dir/a b.txt \t"));
    scope->declare(QStringLiteral("multi"), VarType::String, QStringLiteral("one\ntwo"));
    scope->declare(QStringLiteral("table"), VarType::DataTable,
                   QVariantList{QVariantList{1, 2}, QVariantList{3}});
    scope->declare(QStringLiteral("empty"), VarType::List, QVariantList());
    return scope;
}

void tst_FileList::expand_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("empty setting") << QString() << QStringList();
    QTest::newRow("blank and empty lines dropped")
        << QStringLiteral("a.txt\n\n   \n b.txt\r\n") << QStringList{"a.txt", "b.txt"};
    QTest::newRow("leading and trailing line feeds")
        << QStringLiteral("\n\na.txt\n") << QStringList{"a.txt"};
    QTest::newRow("list items as they come")
        << QStringLiteral("$list") << QStringList{"x", " y ", ""};
    QTest::newRow("string list items") << QStringLiteral("$names") << QStringList{"p.txt", "q.txt"};
    QTest::newRow("string variable trimmed")
        << QStringLiteral("$text") << QStringList{"dir/a b.txt"};
    QTest::newRow("line feeds inside a variable stay one entry")
        << QStringLiteral("$multi") << QStringList{"one\ntwo"};
    QTest::newRow("data table rows have no text")
        << QStringLiteral("$table") << QStringList{"", ""};
    QTest::newRow("empty list contributes nothing") << QStringLiteral("$empty") << QStringList();
    QTest::newRow("missing variable") << QStringLiteral("$nothing") << QStringList();
    QTest::newRow("numbers in shortest form")
        << QStringLiteral("007\n1.50") << QStringList{"7", "1.5"};
    QTest::newRow("duplicates stay, order kept") << QStringLiteral("p.txt\n$names\n p.txt")
                                                 << QStringList{"p.txt", "p.txt", "q.txt", "p.txt"};
    QTest::newRow("lone dollar is a literal") << QStringLiteral("$") << QStringList{"$"};
    QTest::newRow("count member is a number") << QStringLiteral("$list.Count") << QStringList{"3"};
    QTest::newRow("items member is the list")
        << QStringLiteral("$names.Items") << QStringList{"p.txt", "q.txt"};
}

void tst_FileList::expand()
{
    QFETCH(QString, setting);
    QScopedPointer<VariableScope> scope(sampleScope());
    WarningLog log;
    QTEST(expandFileList(scope.data(), setting), "expected");
    QVERIFY(log.messages().isEmpty());
}

void tst_FileList::expandWithoutScope()
{
    QCOMPARE(expandFileList(nullptr, QStringLiteral("a.txt\n$list\n$text.Count\nb.txt")),
             (QStringList{"a.txt", "b.txt"}));
}

void tst_FileList::store_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QVariant>("value"); // of the variable afterwards
    QTest::addColumn<QStringList>("warnings");

    const QStringList paths{"out/a.txt", "out/b(1).txt"};
    const QVariant old = QStringLiteral("old");
    QTest::newRow("list") << "list" << paths << true
                          << QVariant(QVariantList{"out/a.txt", "out/b(1).txt"}) << QStringList();
    QTest::newRow("list, no paths")
        << "list" << QStringList() << true << QVariant(QVariantList()) << QStringList();
    QTest::newRow("empty name") << QString() << paths << false << QVariant() << QStringList();
    QTest::newRow("string variable")
        << "text" << paths << false << old
        << QStringList{QStringLiteral("[OpVar] 目标变量 \"text\" 未声明为列表，已跳过")};
    QTest::newRow("undeclared variable")
        << "loose" << paths << false << old
        << QStringList{QStringLiteral("[OpVar] 目标变量 \"loose\" 未声明为列表，已跳过")};
    QTest::newRow("unknown variable")
        << "nothing" << paths << false << QVariant()
        << QStringList{QStringLiteral("[OpVar] 目标变量 \"nothing\" 未声明为列表，已跳过")};
    // The name is used as typed: "$list" is not the variable "list".
    QTest::newRow("name written as reference")
        << "$list" << paths << false << QVariant()
        << QStringList{QStringLiteral("[OpVar] 目标变量 \"$list\" 未声明为列表，已跳过")};
    QTest::newRow("name not trimmed")
        << " list" << paths << false << QVariant()
        << QStringList{QStringLiteral("[OpVar] 目标变量 \" list\" 未声明为列表，已跳过")};
    QTest::newRow("quotes escaped in the warning")
        << "a\"b" << paths << false << QVariant()
        << QStringList{QStringLiteral("[OpVar] 目标变量 \"a\\\"b\" 未声明为列表，已跳过")};
}

void tst_FileList::store()
{
    QFETCH(QString, name);
    QFETCH(QStringList, paths);
    QFETCH(QVariant, value);

    VariableScope scope;
    scope.declare(QStringLiteral("list"), VarType::List, QVariantList{QStringLiteral("previous")});
    scope.declare(QStringLiteral("text"), VarType::String, QStringLiteral("old"));
    scope.set(QStringLiteral("loose"), QStringLiteral("old"));

    WarningLog log;
    QTEST(storeListVariable(&scope, name, paths), "stored");
    QTEST(log.messages(), "warnings");
    if (!name.isEmpty()) {
        const QVariant stored = scope.get(name);
        QCOMPARE(stored, value);
        // Always a list of QString values, never a QStringList.
        if (stored.userType() == QMetaType::QVariantList) {
            for (const QVariant& item : stored.toList())
                QCOMPARE(item.userType(), int(QMetaType::QString));
        }
    }
    // Without a scope nothing is stored and nothing is logged.
    QVERIFY(!storeListVariable(nullptr, name, paths));
    QTEST(log.messages(), "warnings");
}

QTEST_GUILESS_MAIN(tst_FileList)
#include "tst_filelist.moc"

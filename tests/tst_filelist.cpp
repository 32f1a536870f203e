// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

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
    void store_data();
    void store();
};

void tst_FileList::expand_data()
{
    // The expanded entries are compared as one text with "|" between them.
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("withoutScope");
    const auto add = [](const char* tag, const char* setting, const char* expected,
                        const char* withoutScope) {
        QTest::newRow(tag) << QString::fromUtf8(setting) << QString::fromUtf8(expected)
                           << QString::fromUtf8(withoutScope);
    };
    add("empty setting", "", "", "");
    add("blank and empty lines dropped", "a.txt\n\n   \n b.txt\r\n", "a.txt|b.txt", "a.txt|b.txt");
    add("list items as they come", "$list", "x| y |", "");
    add("string list items", "$names", "p.txt|q.txt", "");
    add("string variable trimmed", "$text", "dir/a b.txt", "");
    add("line feeds inside a variable stay one entry", "$multi", "one\ntwo", "");
    add("data table rows have no text", "$table", "|", "");
    add("empty list contributes nothing", "$empty", "", "");
    add("missing variable", "$nothing", "", "");
    add("numbers in shortest form", "007\n1.50", "7|1.5", "7|1.5");
    add("duplicates stay, order kept", "p.txt\n$names\n p.txt", "p.txt|p.txt|q.txt|p.txt",
        "p.txt|p.txt");
    add("lone dollar is a literal", "$", "$", "$");
    add("count member is a number", "$list.Count", "3", "");
    add("items member is the list", "$names.Items", "p.txt|q.txt", "");
}

void tst_FileList::expand()
{
    QFETCH(QString, setting);
    VariableScope scope;
    scope.declare("list", VarType::List, QVariantList{"x", " y ", QString()});
    scope.declare("names", VarType::List, QStringList{"p.txt", "q.txt"});
    scope.declare("text", VarType::String, "  dir/a b.txt \t");
    scope.declare("multi", VarType::String, "one\ntwo");
    scope.declare("table", VarType::DataTable, QVariantList{QVariantList{1, 2}, QVariantList{3}});
    scope.declare("empty", VarType::List, QVariantList());
    const WarningLog log;
    QTEST(expandFileList(&scope, setting).join('|'), "expected");
    QTEST(expandFileList(nullptr, setting).join('|'), "withoutScope");
    QCOMPARE(log.messages(), QStringList());
}

void tst_FileList::store_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QVariant>("value"); // of the variable afterwards; stored when it is a list
    QTest::addColumn<QString>("warning");

    const QStringList paths{"out/a.txt", "out/b(1).txt"};
    const QVariant old = QStringLiteral("old");
    const auto warning = [](const char* name) {
        return QStringLiteral("[OpVar] 目标变量 \"%1\" 未声明为列表，已跳过").arg(name);
    };
    QTest::newRow("list") << "list" << paths << QVariant(QVariantList{"out/a.txt", "out/b(1).txt"})
                          << QString();
    QTest::newRow("list, no paths")
        << "list" << QStringList() << QVariant(QVariantList()) << QString();
    QTest::newRow("empty name") << QString() << paths << QVariant() << QString();
    QTest::newRow("string variable") << "text" << paths << old << warning("text");
    QTest::newRow("undeclared variable") << "loose" << paths << old << warning("loose");
    QTest::newRow("unknown variable") << "nothing" << paths << QVariant() << warning("nothing");
    // The name is used as typed: "$list" is not the variable "list".
    QTest::newRow("name written as reference")
        << "$list" << paths << QVariant() << warning("$list");
    QTest::newRow("name not trimmed") << " list" << paths << QVariant() << warning(" list");
    QTest::newRow("quotes escaped in the warning")
        << "a\"b" << paths << QVariant() << warning("a\\\"b");
}

void tst_FileList::store()
{
    QFETCH(QString, name);
    QFETCH(QStringList, paths);
    QFETCH(QVariant, value);
    QFETCH(QString, warning);
    VariableScope scope;
    scope.declare("list", VarType::List, QVariantList{"previous"});
    scope.declare("text", VarType::String, "old");
    scope.set("loose", "old");

    const WarningLog log;
    const bool stored = value.userType() == QMetaType::QVariantList;
    QCOMPARE(storeListVariable(&scope, name, paths), stored);
    QCOMPARE(log.messages().join('|'), warning);
    if (!name.isEmpty())
        QCOMPARE(scope.get(name), value);
    // Always a list of QString values, never a QStringList.
    for (const QVariant& item : stored ? scope.get(name).toList() : QVariantList())
        QCOMPARE(item.userType(), int(QMetaType::QString));
    // Without a scope nothing is stored and nothing is logged.
    QVERIFY(!storeListVariable(nullptr, name, paths));
    QCOMPARE(log.messages().join('|'), warning);
}

QTEST_GUILESS_MAIN(tst_FileList)
#include "tst_filelist.moc"

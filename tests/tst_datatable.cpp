// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Data tables in every shape a variable may hold; the row and column selection of the CSV steps.
#include "core/valueref.h"
#include "csv/datatable.h"

#include <variablescope.h>

#include <QtTest>

Q_DECLARE_METATYPE(QList<int>)

class tst_DataTable : public QObject
{
    Q_OBJECT

private slots:
    void toDataTable_data();
    void toDataTable();
    void listOfRowsPassesUnchanged();
    void resolveIntSetting_data();
    void resolveIntSetting();
    void resolveRowRange_data();
    void resolveRowRange();
    void resolveColumnList_data();
    void resolveColumnList();
    void pickColumns_data();
    void pickColumns();
};

static QVariantList row(const QStringList& texts)
{
    return QVariantList(texts.begin(), texts.end());
}

static QVariant table(std::initializer_list<QStringList> rows)
{
    QVariantList list;
    for (const QStringList& texts : rows)
        list << QVariant(row(texts));
    return list;
}

// Variables the selection settings refer to.
static void declareVariables(VariableScope& scope)
{
    scope.declare("r", VarType::List, QVariantList{"3", "x"});
    scope.declare("e", VarType::List, QVariantList{});
    scope.declare("x", VarType::List, QVariantList{"x", "3"});
    scope.declare("n", VarType::Number, 2.0);
    scope.declare("f", VarType::Number, 2.5);
    scope.declare("s", VarType::String, " 4 ");
    scope.declare("c", VarType::List, QVariantList{"1", 3.0, "x"});
    scope.declare("cs", VarType::String, "1，0");
    scope.declare("t", VarType::DataTable, table({{"a"}, {"b"}, {"c"}}));
}

void tst_DataTable::toDataTable_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("table");

    const QVariant empty = QVariantList();
    const QVariant twoRows = table({{"a", "b"}, {"c"}});
    const QVariant rowThenText = QVariantList{QVariant(row({"a"})), "b"};
    QTest::newRow("list of rows") << twoRows << twoRows;
    QTest::newRow("later items taken as rows") << rowThenText << rowThenText;
    QTest::newRow("flat list is one row") << QVariant(row({"x", "y"})) << table({{"x", "y"}});
    QTest::newRow("first item decides") << QVariant(QVariantList{"a", QVariant(row({"b"}))})
                                        << QVariant(QVariantList{QVariantList{"a", row({"b"})}});
    QTest::newRow("empty list is one row without cells") << empty << table({{}});
    QTest::newRow("invalid") << QVariant() << empty;
    QTest::newRow("empty string") << QVariant("") << empty;
    QTest::newRow("number") << QVariant(5) << empty;
    QTest::newRow("string list") << QVariant(QStringList{"a", "b"}) << empty;
    QTest::newRow("json") << QVariant(R"([["a","b"],["c"]])") << twoRows;
    QTest::newRow("json, blanks around") << QVariant(" \n[[\"a\",\"b\"],[\"c\"]] ") << twoRows;
    QTest::newRow("json, non-string cells")
        << QVariant(R"([["x",1,true,null,{},[]]])") << table({{"x", "", "", "", "", ""}});
    QTest::newRow("json, chinese") << QVariant(R"([["名称"]])") << table({{"名称"}});
    QTest::newRow("json, empty array") << QVariant("[]") << empty;
    QTest::newRow("json, one empty row") << QVariant("[[]]") << table({{}});
    QTest::newRow("json, row not an array") << QVariant(R"([["a"],"b"])") << empty;
    QTest::newRow("json object") << QVariant(R"({"a":1})") << empty;
    QTest::newRow("not json") << QVariant("abc") << empty;
    QTest::newRow("blanks") << QVariant("   ") << empty;
}

void tst_DataTable::toDataTable()
{
    QFETCH(QVariant, value);
    const QVariant result = ::toDataTable(value);
    QCOMPARE(result.userType(), int(QMetaType::QVariantList));
    QTEST(result, "table");
}

void tst_DataTable::listOfRowsPassesUnchanged()
{
    // A big table must not be copied on its way through.
    const QVariantList rows{QVariant(row({"a"})), QVariant(row({"b"}))};
    QVERIFY(&toVariantList(::toDataTable(QVariant(rows))).at(0) == &rows.at(0));
}

void tst_DataTable::resolveIntSetting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number"); // -1: not a number
    const char* rows[][2] = {{"-2", "-2"},     {" 5 ", "5"},      {"1e2", "100"}, {"7.5", "-1"},
                             {"abc", "-1"},    {"   ", "-1"},     {"$r", "3"},    {"$x", "-1"},
                             {"$e", "-1"},     {"$n", "2"},       {"$f", "-1"},   {"$s", "4"},
                             {"$t.Rows", "3"}, {"$missing", "-1"}};
    for (const auto& row : rows)
        QTest::addRow("%s", row[0]) << QString(row[0]) << QString(row[1]).toInt();
}

void tst_DataTable::resolveIntSetting()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    VariableScope scope;
    declareVariables(scope);
    bool ok = number == -1;
    const int resolved = ::resolveIntSetting(&scope, text, &ok);
    QCOMPARE(ok, number != -1);
    QCOMPARE(resolved, ok ? number : 0);
    QCOMPARE(::resolveIntSetting(&scope, text, nullptr), resolved);
}

void tst_DataTable::resolveRowRange_data()
{
    QTest::addColumn<int>("scopeChoice");
    QTest::addColumn<QString>("startRow");
    QTest::addColumn<QString>("endRow");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");

    const auto add = [](const char* tag, int choice, const char* start, const char* end, int count,
                        bool ok, int first, int last) {
        QTest::newRow(tag) << choice << QString(start) << QString(end) << count << ok << first
                           << last;
    };
    add("all rows ignore settings", 0, "5", "2", 10, true, 0, 9);
    add("other choice reads all", 2, "5", "2", 10, true, 0, 9);
    add("all rows of an empty table", 0, "", "", 0, true, 0, -1);
    add("both empty", 1, "", "", 10, true, 0, 9);
    add("block", 1, "2", "4", 10, true, 2, 4);
    add("one row", 1, "0", "0", 10, true, 0, 0);
    add("negative start", 1, "-3", "", 10, true, 0, 9);
    add("text start", 1, "abc", "", 10, true, 0, 9);
    add("end past the table", 1, "", "100", 10, true, 0, 9);
    add("fractional end", 1, "", "2.5", 10, true, 0, 9);
    add("negative end", 1, "", "-1", 10, false, 0, -1);
    add("reversed", 1, "5", "2", 10, false, 5, 2);
    add("start past the table", 1, "12", "", 10, false, 12, 9);
    add("empty table", 1, "", "", 0, false, 0, -1);
    add("start from list", 1, "$r", "", 10, true, 3, 9);
    add("number variables", 1, "$n", "$t.Rows", 10, true, 2, 3);
}

void tst_DataTable::resolveRowRange()
{
    QFETCH(int, scopeChoice);
    QFETCH(QString, startRow);
    QFETCH(QString, endRow);
    QFETCH(int, rowCount);
    VariableScope scope;
    declareVariables(scope);
    int first = -100;
    int last = -100;
    QTEST(::resolveRowRange(TableScope(scopeChoice), startRow, endRow, &scope, rowCount, &first,
                            &last),
          "ok");
    QTEST(first, "first");
    QTEST(last, "last");
}

void tst_DataTable::resolveColumnList_data()
{
    QTest::addColumn<int>("scopeChoice");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("columns");

    QTest::newRow("full-width comma") << 1 << "0，2, 5" << QList<int>{0, 2, 5};
    QTest::newRow("repeated") << 1 << "2,0,2" << QList<int>{2, 0, 2};
    QTest::newRow("not numbers") << 1 << "a,b" << QList<int>{};
    QTest::newRow("blank parts") << 1 << " , " << QList<int>{};
    QTest::newRow("empty parts dropped") << 1 << "1,,2," << QList<int>{1, 2};
    QTest::newRow("negative") << 1 << "-1" << QList<int>{-1};
    QTest::newRow("fraction skipped") << 1 << "1.5,2" << QList<int>{2};
    QTest::newRow("list variable") << 1 << "$c" << QList<int>{1, 3};
    QTest::newRow("string variable") << 1 << "$cs" << QList<int>{1, 0};
    QTest::newRow("missing variable") << 1 << "$missing" << QList<int>{};
    QTest::newRow("scope choice 0 takes all") << 0 << "1,2" << QList<int>{};
    QTest::newRow("scope choice 2 takes all") << 2 << "1,2" << QList<int>{};
}

void tst_DataTable::resolveColumnList()
{
    QFETCH(int, scopeChoice);
    QFETCH(QString, text);
    VariableScope scope;
    declareVariables(scope);
    QTEST(selectedColumns(TableScope(scopeChoice), text, &scope), "columns");
    if (scopeChoice == 1)
        QTEST(::resolveColumnList(&scope, text), "columns");
}

void tst_DataTable::pickColumns_data()
{
    QTest::addColumn<QVariantList>("cells");
    QTest::addColumn<QList<int>>("columns");
    QTest::addColumn<QVariantList>("picked");

    const QVariantList ab = row({"a", "b"});
    QTest::newRow("missing column") << ab << QList<int>{0, 5, 1} << row({"a", "", "b"});
    QTest::newRow("negative column") << ab << QList<int>{-1} << row({""});
    QTest::newRow("row without cells") << QVariantList() << QList<int>{0, 1} << row({"", ""});
    QTest::newRow("non-text cell kept")
        << QVariantList{1.5, "x"} << QList<int>{0} << QVariantList{1.5};
}

void tst_DataTable::pickColumns()
{
    QFETCH(QVariantList, cells);
    QFETCH(QList<int>, columns);
    QTEST(::pickColumns(cells, columns), "picked");
}

QTEST_GUILESS_MAIN(tst_DataTable)
#include "tst_datatable.moc"

// The data table value in every shape a variable may hold, and the row and column selection the
// two CSV steps share.
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
    void membersOfATable();
    void resolveIntSetting_data();
    void resolveIntSetting();
    void resolveRowRange_data();
    void resolveRowRange();
    void resolveColumnList_data();
    void resolveColumnList();
    void selectedColumnsNeedScopeChoice1();
    void pickColumns_data();
    void pickColumns();
};

static QVariantList row(const QStringList& texts)
{
    QVariantList cells;
    for (const QString& text : texts)
        cells << text;
    return cells;
}

// Variables the selection settings refer to.
static void declareVariables(VariableScope& scope)
{
    scope.declare(QStringLiteral("r"), VarType::List, QVariantList{"3", "x"});
    scope.declare(QStringLiteral("e"), VarType::List, QVariantList{});
    scope.declare(QStringLiteral("x"), VarType::List, QVariantList{"x", "3"});
    scope.declare(QStringLiteral("n"), VarType::Number, 2.0);
    scope.declare(QStringLiteral("f"), VarType::Number, 2.5);
    scope.declare(QStringLiteral("s"), VarType::String, QStringLiteral(" 4 "));
    scope.declare(QStringLiteral("c"), VarType::List, QVariantList{"1", 3.0, "x"});
    scope.declare(QStringLiteral("cs"), VarType::String, QStringLiteral("1，0"));
    scope.declare(QStringLiteral("t"), VarType::DataTable,
                  QVariantList{QVariant(row({"a"})), QVariant(row({"b"})), QVariant(row({"c"}))});
}

void tst_DataTable::toDataTable_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("table");

    const QVariant empty = QVariantList();
    const QVariant twoRows = QVariantList{QVariant(row({"a", "b"})), QVariant(row({"c"}))};
    QTest::newRow("list of rows") << twoRows << twoRows;
    QTest::newRow("later items taken as rows") << QVariant(QVariantList{QVariant(row({"a"})), "b"})
                                               << QVariant(QVariantList{QVariant(row({"a"})), "b"});
    QTest::newRow("flat list is one row")
        << QVariant(row({"x", "y"})) << QVariant(QVariantList{QVariant(row({"x", "y"}))});
    QTest::newRow("first item decides")
        << QVariant(QVariantList{"a", QVariant(row({"b"}))})
        << QVariant(QVariantList{QVariant(QVariantList{"a", QVariant(row({"b"}))})});
    QTest::newRow("empty list is one row without cells")
        << QVariant(QVariantList()) << QVariant(QVariantList{QVariant(QVariantList())});
    QTest::newRow("invalid") << QVariant() << empty;
    QTest::newRow("null string") << QVariant(QString()) << empty;
    QTest::newRow("empty string") << QVariant(QStringLiteral("")) << empty;
    QTest::newRow("number") << QVariant(5) << empty;
    QTest::newRow("string list") << QVariant(QStringList{"a", "b"}) << empty;
    QTest::newRow("map") << QVariant(QVariantMap{{"a", 1}}) << empty;
    QTest::newRow("json") << QVariant(QStringLiteral("[[\"a\",\"b\"],[\"c\"]]")) << twoRows;
    QTest::newRow("json, blanks around")
        << QVariant(QStringLiteral(" \n[[\"a\",\"b\"],[\"c\"]] ")) << twoRows;
    QTest::newRow("json, non-string cells")
        << QVariant(QStringLiteral("[[\"x\",1,true,null,{},[]]]"))
        << QVariant(QVariantList{QVariant(row({"x", "", "", "", "", ""}))});
    QTest::newRow("json, chinese")
        << QVariant(QString::fromUtf8("[[\"名称\",\"数量\"]]"))
        << QVariant(
               QVariantList{QVariant(row({QString::fromUtf8("名称"), QString::fromUtf8("数量")}))});
    QTest::newRow("json, empty array") << QVariant(QStringLiteral("[]")) << empty;
    QTest::newRow("json, one empty row")
        << QVariant(QStringLiteral("[[]]")) << QVariant(QVariantList{QVariant(QVariantList())});
    QTest::newRow("json, row not an array") << QVariant(QStringLiteral("[[\"a\"],\"b\"]")) << empty;
    QTest::newRow("json object") << QVariant(QStringLiteral("{\"a\":1}")) << empty;
    QTest::newRow("not json") << QVariant(QStringLiteral("abc")) << empty;
    QTest::newRow("blanks") << QVariant(QStringLiteral("   ")) << empty;
    QTest::newRow("broken json") << QVariant(QStringLiteral("[[\"a\"]")) << empty;
}

void tst_DataTable::toDataTable()
{
    QFETCH(QVariant, value);
    QFETCH(QVariant, table);
    const QVariant result = ::toDataTable(value);
    QCOMPARE(result.userType(), int(QMetaType::QVariantList));
    QCOMPARE(result, table);
}

void tst_DataTable::listOfRowsPassesUnchanged()
{
    // A big table must not be copied on its way through.
    const QVariantList rows{QVariant(row({"a"})), QVariant(row({"b"}))};
    const QVariant table = ::toDataTable(QVariant(rows));
    QVERIFY(&toVariantList(table).at(0) == &rows.at(0));
}

void tst_DataTable::membersOfATable()
{
    VariableScope scope;
    scope.declare(QStringLiteral("t"), VarType::DataTable,
                  ::toDataTable(QStringLiteral("[[\"a\",\"b\"],[\"c\"]]")));
    scope.declare(QStringLiteral("j"), VarType::DataTable,
                  QStringLiteral("[[\"a\",\"b\"],[\"c\"]]"));
    const auto member = [&](const char* text) {
        return resolveValueRef(parseValueRef(QString::fromLatin1(text)), &scope);
    };
    QCOMPARE(member("$t.Rows"), QVariant(2));
    QCOMPARE(member("$t.Columns"), QVariant(2));
    // Members read the value as held: JSON text has none.
    QVERIFY(!member("$j.Rows").isValid());
}

void tst_DataTable::resolveIntSetting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("ok");

    QTest::newRow("digits") << "7" << 7 << true;
    QTest::newRow("negative") << "-2" << -2 << true;
    QTest::newRow("blanks around") << " 5 " << 5 << true;
    QTest::newRow("exponent is a number") << "1e2" << 100 << true;
    QTest::newRow("fraction") << "7.5" << 0 << false;
    QTest::newRow("text") << "abc" << 0 << false;
    QTest::newRow("empty") << "" << 0 << false;
    QTest::newRow("blanks") << "   " << 0 << false;
    QTest::newRow("list, first item") << "$r" << 3 << true;
    QTest::newRow("list, first item not a number") << "$x" << 0 << false;
    QTest::newRow("empty list") << "$e" << 0 << false;
    QTest::newRow("number variable") << "$n" << 2 << true;
    QTest::newRow("fractional number variable") << "$f" << 0 << false;
    QTest::newRow("string variable, blanks trimmed") << "$s" << 4 << true;
    QTest::newRow("row count member") << "$t.Rows" << 3 << true;
    QTest::newRow("missing variable") << "$missing" << 0 << false;
}

void tst_DataTable::resolveIntSetting()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    VariableScope scope;
    declareVariables(scope);
    bool found = !ok;
    const int number = ::resolveIntSetting(&scope, text, &found);
    QTEST(number, "number");
    QCOMPARE(found, ok);
    QCOMPARE(::resolveIntSetting(&scope, text, nullptr), number);
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

    QTest::newRow("all rows ignore settings") << 0 << "5"
                                              << "2" << 10 << true << 0 << 9;
    QTest::newRow("other choice reads all") << 2 << "5"
                                            << "2" << 10 << true << 0 << 9;
    QTest::newRow("all rows of an empty table") << 0 << ""
                                                << "" << 0 << true << 0 << -1;
    QTest::newRow("both empty") << 1 << ""
                                << "" << 10 << true << 0 << 9;
    QTest::newRow("block") << 1 << "2"
                           << "4" << 10 << true << 2 << 4;
    QTest::newRow("one row") << 1 << "0"
                             << "0" << 10 << true << 0 << 0;
    QTest::newRow("negative start") << 1 << "-3"
                                    << "" << 10 << true << 0 << 9;
    QTest::newRow("text start") << 1 << "abc"
                                << "" << 10 << true << 0 << 9;
    QTest::newRow("end past the table") << 1 << ""
                                        << "100" << 10 << true << 0 << 9;
    QTest::newRow("fractional end") << 1 << ""
                                    << "2.5" << 10 << true << 0 << 9;
    QTest::newRow("negative end") << 1 << ""
                                  << "-1" << 10 << false << 0 << -1;
    QTest::newRow("reversed") << 1 << "5"
                              << "2" << 10 << false << 5 << 2;
    QTest::newRow("start past the table") << 1 << "12"
                                          << "" << 10 << false << 12 << 9;
    QTest::newRow("empty table") << 1 << ""
                                 << "" << 0 << false << 0 << -1;
    QTest::newRow("start from list") << 1 << "$r"
                                     << "" << 10 << true << 3 << 9;
    QTest::newRow("start from empty list") << 1 << "$e"
                                           << "" << 10 << true << 0 << 9;
    QTest::newRow("number variables") << 1 << "$n"
                                      << "$t.Rows" << 10 << true << 2 << 3;
    QTest::newRow("end from fractional number") << 1 << ""
                                                << "$f" << 10 << true << 0 << 9;
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
    QTEST(::resolveRowRange(scopeChoice, startRow, endRow, &scope, rowCount, &first, &last), "ok");
    QTEST(first, "first");
    QTEST(last, "last");
}

void tst_DataTable::resolveColumnList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("columns");

    QTest::newRow("full-width comma") << QString::fromUtf8("0，2, 5") << QList<int>{0, 2, 5};
    QTest::newRow("repeated") << "2,0,2" << QList<int>{2, 0, 2};
    QTest::newRow("not numbers") << "a,b" << QList<int>{};
    QTest::newRow("blank parts") << " , " << QList<int>{};
    QTest::newRow("empty parts dropped") << "1,,2," << QList<int>{1, 2};
    QTest::newRow("negative") << "-1" << QList<int>{-1};
    QTest::newRow("single number literal") << "3" << QList<int>{3};
    QTest::newRow("fraction skipped") << "1.5,2" << QList<int>{2};
    QTest::newRow("list variable") << "$c" << QList<int>{1, 3};
    QTest::newRow("string variable") << "$cs" << QList<int>{1, 0};
    QTest::newRow("missing variable") << "$missing" << QList<int>{};
}

void tst_DataTable::resolveColumnList()
{
    QFETCH(QString, text);
    VariableScope scope;
    declareVariables(scope);
    QTEST(::resolveColumnList(&scope, text), "columns");
}

void tst_DataTable::selectedColumnsNeedScopeChoice1()
{
    VariableScope scope;
    QCOMPARE(selectedColumns(0, QStringLiteral("1,2"), &scope), QList<int>());
    QCOMPARE(selectedColumns(2, QStringLiteral("1,2"), &scope), QList<int>());
    QCOMPARE(selectedColumns(1, QStringLiteral("  "), &scope), QList<int>());
    QCOMPARE(selectedColumns(1, QStringLiteral("1,2"), &scope), (QList<int>{1, 2}));
}

void tst_DataTable::pickColumns_data()
{
    QTest::addColumn<QVariantList>("cells");
    QTest::addColumn<QList<int>>("columns");
    QTest::addColumn<QVariantList>("picked");

    const QVariantList ab = row({"a", "b"});
    QTest::newRow("missing column") << ab << QList<int>{0, 5, 1} << row({"a", "", "b"});
    QTest::newRow("negative column") << ab << QList<int>{-1} << row({""});
    QTest::newRow("repeated") << ab << QList<int>{1, 1} << row({"b", "b"});
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

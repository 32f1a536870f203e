// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The variables model: typed text into the QVariant a flow declares, unedited variables unchanged,
// text that does not fit refused with the reason.
#include "variablesmodel.h"

#include <QtTest>

class tst_GuiVariablesModel : public QObject
{
    Q_OBJECT

private slots:
    void valueFromText_data();
    void valueFromText();
    void editingKeepsNamesUniqueAndValuesAsRead();
    void textThatDoesNotFitIsRefused_data();
    void textThatDoesNotFitIsRefused();
};

void tst_GuiVariablesModel::valueFromText_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("shown"); // what the value column shows for the value
    // clang-format off
    QTest::newRow("string as typed") << "string" << " [1] \"x\" " << QVariant(" [1] \"x\" ") << " [1] \"x\" ";
    QTest::newRow("empty is no value") << "string" << "" << QVariant() << "";
    QTest::newRow("list") << "list" << "[\"a.txt\", \"文件.txt\"]"
                          << QVariant(QVariantList{"a.txt", "文件.txt"}) << "[\"a.txt\",\"文件.txt\"]";
    QTest::newRow("table") << "datatable" << "[[\"1\", 2], []]"
                           << QVariant(QVariantList{QVariantList{"1", 2.0}, QVariantList{}}) << "[[\"1\",2],[]]";
    QTest::newRow("bool") << "bool" << "true" << QVariant(true) << "true";
    QTest::newRow("object") << "object" << "{\"k\": null}" << QVariant(QVariantMap{{"k", {}}}) << "{\"k\":null}";
    QTest::newRow("not JSON stays text") << "list" << "a.txt" << QVariant("a.txt") << "\"a.txt\"";
    QTest::newRow("two values are not one") << "number" << "1, 2" << QVariant("1, 2") << "\"1, 2\"";
    QTest::newRow("undeclared JSON") << "undeclared" << "\"x\"" << QVariant("x") << "\"x\"";
    // clang-format on
}

void tst_GuiVariablesModel::valueFromText()
{
    QFETCH(QString, type);
    QFETCH(QString, text);
    QFETCH(QVariant, value);
    QFETCH(QString, shown);
    VarType varType;
    QVERIFY(varTypeFromWord(type, &varType));
    const QVariant read = VariablesModel::valueFromText(varType, text);
    QCOMPARE(read, value);
    QCOMPARE(read.userType(), value.userType());
    QCOMPARE(VariablesModel::textFromValue(varType, read), shown);
    QCOMPARE(VariablesModel::valueFromText(varType, shown), value); // what is shown reads back
}

void tst_GuiVariablesModel::editingKeepsNamesUniqueAndValuesAsRead()
{
    VariablesModel model;
    model.setVariables({{QStringLiteral("names"), VarType::List, QStringList{"x", "y"}},
                        {QStringLiteral("count"), VarType::Undeclared, 3}});
    QCOMPARE(model.variables().at(0).value.userType(), int(QMetaType::QStringList));
    QCOMPARE(model.index(0, VariablesModel::ValueColumn).data().toString(), "[\"x\",\"y\"]");
    QCOMPARE(model.variables().at(1).value, QVariant(3));
    // New names are the first free "var<n>"; a name taken, empty, or an unknown type is refused.
    QCOMPARE(model.addVariable(), 2);
    QVERIFY(model.setData(model.index(2, VariablesModel::NameColumn), "var2"));
    QCOMPARE(model.addVariable(), 3);
    QCOMPARE(model.variables().at(3).name, QStringLiteral("var1"));
    QVERIFY(!model.setData(model.index(3, VariablesModel::NameColumn), "names"));
    QVERIFY(!model.setData(model.index(3, VariablesModel::NameColumn), ""));
    QVERIFY(!model.setData(model.index(3, VariablesModel::TypeColumn), "float"));
    QCOMPARE(model.names(VariablesModel::typeWords()),
             (QStringList{"names", "count", "var2", "var1"}));
    // A new type reads the text shown again.
    QVERIFY(model.setData(model.index(3, VariablesModel::ValueColumn), "[\"a\"]"));
    QCOMPARE(model.variables().at(3).value, QVariant("[\"a\"]"));
    QVERIFY(model.setData(model.index(3, VariablesModel::TypeColumn), "list"));
    QCOMPARE(model.variables().at(3).value, QVariant(QVariantList{"a"}));
    QVERIFY(model.setData(model.index(3, VariablesModel::TypeColumn), "string"));
    QCOMPARE(model.variables().at(3).value, QVariant("[\"a\"]"));
}

void tst_GuiVariablesModel::textThatDoesNotFitIsRefused_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason"); // empty: taken
    const int name = VariablesModel::NameColumn;
    const int type = VariablesModel::TypeColumn;
    const int value = VariablesModel::ValueColumn;
    // clang-format off
    QTest::newRow("list not JSON") << 0 << value << "[\"a.txt\"" << "not a list, for example [\"a.txt\", \"b.txt\"]";
    QTest::newRow("list given a string") << 0 << value << "\"a.txt\"" << "not a list, for example [\"a.txt\", \"b.txt\"]";
    QTest::newRow("list") << 0 << value << "[\"a.txt\"]" << "";
    QTest::newRow("number in words") << 1 << value << "十二" << "not a number, for example 12 or 0.5";
    QTest::newRow("number") << 1 << value << "12" << "";
    QTest::newRow("bool") << 2 << value << "yes" << "write true or false";
    QTest::newRow("table of plain values") << 3 << value << "[1, 2]" << "not a table of rows, for example [[\"id\", \"name\"], [\"1\", \"Ann\"]]";
    QTest::newRow("empty is no value") << 3 << value << "" << "";
    QTest::newRow("text to number") << 4 << type << "number" << "not a number, for example 12 or 0.5";
    QTest::newRow("empty name") << 0 << name << "" << "a variable needs a name";
    QTest::newRow("blank") << 0 << name << "my var" << "a name cannot contain blanks";
    QTest::newRow("dollar") << 0 << name << "$x" << "a name cannot contain \"$\"";
    QTest::newRow("taken") << 0 << name << "n" << "there is already a variable \"n\"";
    QTest::newRow("own name") << 0 << name << "names" << "";
    QTest::newRow("Chinese") << 0 << name << "文件" << "";
    // clang-format on
}

void tst_GuiVariablesModel::textThatDoesNotFitIsRefused()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QString, reason);
    VariablesModel model;
    model.setVariables({{"names", VarType::List, QVariantList{"x"}},
                        {"n", VarType::Number, 1.0},
                        {"ok", VarType::Bool, true},
                        {"t", VarType::DataTable, QVariant()},
                        {"s", VarType::String, "twelve"}});
    const QList<FlowVariable> before = model.variables();
    QSignalSpy refused(&model, &VariablesModel::editRefused);
    QCOMPARE(model.setData(model.index(row, column), text), reason.isEmpty());
    if (reason.isEmpty()) {
        QCOMPARE(refused.count(), 0);
        return;
    }
    QCOMPARE(refused.count(), 1);
    QCOMPARE(refused.first().first().toString(), reason);
    const FlowVariable& kept = model.variables().at(row);
    QCOMPARE(kept.name, before.at(row).name);
    QCOMPARE(kept.type, before.at(row).type);
    QCOMPARE(kept.value, before.at(row).value);
}

QTEST_MAIN(tst_GuiVariablesModel)
#include "tst_gui_variablesmodel.moc"

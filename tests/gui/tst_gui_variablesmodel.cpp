// The variables model: typed text into the QVariant a flow declares, unedited variables unchanged.
#include "variablesmodel.h"

#include <QtTest>

class tst_GuiVariablesModel : public QObject
{
    Q_OBJECT

private slots:
    void valueFromText_data();
    void valueFromText();
    void editingKeepsNamesUniqueAndValuesAsRead();
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

QTEST_MAIN(tst_GuiVariablesModel)
#include "tst_gui_variablesmodel.moc"

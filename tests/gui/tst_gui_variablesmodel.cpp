// The variables panel's model: how a typed value becomes the QVariant a flow declares, and how a
// flow's variables come back unchanged when they are not edited.
#include "variablesmodel.h"

#include <QtTest>

class tst_GuiVariablesModel : public QObject
{
    Q_OBJECT

private slots:
    void valueFromText_data();
    void valueFromText();
    void untouchedValuesStayAsRead();
    void namesStayUniqueAndNonEmpty();
    void typeChangeReadsTheShownTextAgain();
};

void tst_GuiVariablesModel::valueFromText_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("shown"); // what the value column shows for the value

    QTest::newRow("string as typed")
        << "string"
        << "  [1] \"x\" " << QVariant("  [1] \"x\" ") << "  [1] \"x\" ";
    QTest::newRow("empty string is no value") << "string"
                                              << "" << QVariant() << "";
    QTest::newRow("list") << "list"
                          << "[\"a.txt\", \"文件.txt\"]"
                          << QVariant(QVariantList{"a.txt", "文件.txt"})
                          << "[\"a.txt\",\"文件.txt\"]";
    QTest::newRow("table") << "datatable"
                           << "[[\"1\", 2], []]"
                           << QVariant(QVariantList{QVariantList{"1", 2.0}, QVariantList{}})
                           << "[[\"1\",2],[]]";
    QTest::newRow("number") << "number"
                            << "12.5" << QVariant(12.5) << "12.5";
    QTest::newRow("bool") << "bool"
                          << "true" << QVariant(true) << "true";
    QTest::newRow("object") << "object"
                            << "{\"k\": null}" << QVariant(QVariantMap{{"k", {}}})
                            << "{\"k\":null}";
    QTest::newRow("not JSON stays text") << "list"
                                         << "a.txt" << QVariant("a.txt") << "\"a.txt\"";
    QTest::newRow("two values are not one") << "number"
                                            << "1, 2" << QVariant("1, 2") << "\"1, 2\"";
    QTest::newRow("undeclared JSON string") << "undeclared"
                                            << "\"x\"" << QVariant("x") << "\"x\"";
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
    // What is shown reads back as the same value.
    QCOMPARE(VariablesModel::valueFromText(varType, shown), value);
}

void tst_GuiVariablesModel::untouchedValuesStayAsRead()
{
    const QList<FlowVariable> read = {
        {QStringLiteral("names"), VarType::List, QStringList{"x", "y"}},
        {QStringLiteral("count"), VarType::Undeclared, 3},
        {QStringLiteral("text"), VarType::String, QVariant()},
    };
    VariablesModel model;
    model.setVariables(read);
    QCOMPARE(model.variables().at(0).value.userType(), int(QMetaType::QStringList));
    QCOMPARE(model.index(0, VariablesModel::ValueColumn).data().toString(),
             QStringLiteral("[\"x\",\"y\"]"));
    QCOMPARE(model.variables().at(1).value, QVariant(3));
    QVERIFY(!model.variables().at(2).value.isValid());
}

void tst_GuiVariablesModel::namesStayUniqueAndNonEmpty()
{
    VariablesModel model;
    QCOMPARE(model.addVariable(), 0);
    QCOMPARE(model.addVariable(), 1);
    QCOMPARE(model.names(VariablesModel::typeWords()), (QStringList{"var1", "var2"}));
    QVERIFY(model.setData(model.index(0, VariablesModel::NameColumn), "var3"));
    QCOMPARE(model.addVariable(), 2);
    QCOMPARE(model.variables().at(2).name, QStringLiteral("var1"));
    QVERIFY(!model.setData(model.index(0, VariablesModel::NameColumn), "var2"));
    QVERIFY(!model.setData(model.index(0, VariablesModel::NameColumn), ""));
    QVERIFY(model.setData(model.index(0, VariablesModel::NameColumn), "var3"));
    QCOMPARE(model.names(VariablesModel::typeWords()), (QStringList{"var3", "var2", "var1"}));
    QVERIFY(!model.setData(model.index(0, VariablesModel::TypeColumn), "float"));
}

void tst_GuiVariablesModel::typeChangeReadsTheShownTextAgain()
{
    VariablesModel model;
    const int row = model.addVariable(VarType::String);
    QVERIFY(model.setData(model.index(row, VariablesModel::ValueColumn), "[\"a\"]"));
    QCOMPARE(model.variables().at(row).value, QVariant("[\"a\"]"));
    QVERIFY(model.setData(model.index(row, VariablesModel::TypeColumn), "list"));
    QCOMPARE(model.variables().at(row).type, VarType::List);
    QCOMPARE(model.variables().at(row).value, QVariant(QVariantList{"a"}));
    QVERIFY(model.setData(model.index(row, VariablesModel::TypeColumn), "string"));
    QCOMPARE(model.variables().at(row).value, QVariant("[\"a\"]"));
}

QTEST_MAIN(tst_GuiVariablesModel)
#include "tst_gui_variablesmodel.moc"

// The property panel builds every step type's rows from its meta-object alone: these tests walk
// whatever prototypes the plug-in hands out, and hold the editors of the ten known types to a
// table of their own, so a step that changes its annotations shows up here.
#include "operationprops.h"
#include "pluginhost.h"
#include "propertypanel.h"
#include "variablesmodel.h"

#include <operation.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QMetaClassInfo>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QtTest>

#include <memory>

class tst_GuiPropertyPanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rowsFollowTheClassInfo_data();
    void rowsFollowTheClassInfo();
    void editorsOfTheTenTypes_data();
    void editorsOfTheTenTypes();
    void showWhenFollowsTheControllingSetting_data();
    void showWhenFollowsTheControllingSetting();
    void renameModeShowsItsRows_data();
    void renameModeShowsItsRows();
    void editsGoThroughTheSetters_data();
    void editsGoThroughTheSetters();
    void completionsOfferVariablesOfTheMatchingType_data();
    void completionsOfferVariablesOfTheMatchingType();
    void completionsFollowTheVariables();
    void storedValueOutsideTheChoicesIsKept();

private:
    void addPrototypeRows();
    std::unique_ptr<Operation> cloneOf(const QString& type) const;
    PluginHost m_host;
};

namespace
{

QString classInfo(const Operation& op, const QString& prefix, const QString& name)
{
    const QMetaObject* meta = op.metaObject();
    const int index = meta->indexOfClassInfo((prefix + name).toLatin1().constData());
    return index < 0 ? QString() : QString::fromUtf8(meta->classInfo(index).value());
}

// The rows whose "show_when_" condition holds for the step's settings as they are now.
QStringList rowsWhoseConditionHolds(const Operation& op)
{
    QStringList names;
    for (const QMetaProperty& property : settingProperties(op)) {
        const QString name = QString::fromLatin1(property.name());
        const QStringList condition =
            classInfo(op, QStringLiteral("show_when_"), name).split(QLatin1Char('='));
        if (condition.size() == 2 &&
            op.property(condition.at(0).toLatin1().constData()).toInt() != condition.at(1).toInt())
            continue;
        names.append(name);
    }
    return names;
}

} // namespace

void tst_GuiPropertyPanel::initTestCase()
{
    QString error;
    QVERIFY2(m_host.load(QStringLiteral(PLUGIN_PATH), &error), qPrintable(error));
    QVERIFY(!m_host.plugins().isEmpty());
}

void tst_GuiPropertyPanel::addPrototypeRows()
{
    QTest::addColumn<QString>("type");
    for (const LoadedPlugin& plugin : m_host.plugins()) {
        for (const Operation* prototype : plugin.prototypes)
            QTest::newRow(qPrintable(prototype->typeId())) << prototype->typeId();
    }
}

std::unique_ptr<Operation> tst_GuiPropertyPanel::cloneOf(const QString& type) const
{
    const Operation* prototype = m_host.prototype(type);
    return std::unique_ptr<Operation>(prototype ? prototype->clone(nullptr) : nullptr);
}

void tst_GuiPropertyPanel::rowsFollowTheClassInfo_data()
{
    addPrototypeRows();
}

void tst_GuiPropertyPanel::rowsFollowTheClassInfo()
{
    QFETCH(QString, type);
    const auto op = cloneOf(type);
    PropertyPanel panel;
    panel.setOperation(op.get());
    const QList<QMetaProperty> properties = settingProperties(*op);
    QCOMPARE(panel.rowCount(), properties.size());
    for (int row = 0; row < panel.rowCount(); ++row) {
        const QString name = QString::fromLatin1(properties.at(row).name());
        QCOMPARE(panel.spec(row).name, name);
        QCOMPARE(panel.label(row)->text(), classInfo(*op, QStringLiteral("prop_"), name));
        const QString word = classInfo(*op, QStringLiteral("editor_"), name);
        QWidget* editor = panel.editor(row);
        const QVariant value = op->property(properties.at(row).name());
        const bool isPath =
            word == QLatin1String("FILEPATH") || word == QLatin1String("FOLDERPATH");
        QCOMPARE(panel.browseButton(row) != nullptr, isPath || word == QLatin1String("MULTIFILE"));
        if (properties.at(row).userType() == QMetaType::Bool) {
            auto* check = qobject_cast<QCheckBox*>(editor);
            QVERIFY2(check, qPrintable(name));
            QCOMPARE(check->isChecked(), value.toBool());
        } else if (word == QLatin1String("MULTIFILE")) {
            auto* lines = qobject_cast<QPlainTextEdit*>(editor);
            QVERIFY2(lines, qPrintable(name));
            QCOMPARE(lines->toPlainText(), value.toString());
        } else if (word == QLatin1String("COMBO")) {
            auto* combo = qobject_cast<QComboBox*>(editor);
            QVERIFY2(combo, qPrintable(name));
            QStringList items;
            for (int i = 0; i < combo->count(); ++i)
                items.append(combo->itemText(i));
            QCOMPARE(items, classInfo(*op, QStringLiteral("choices_"), name).split('|'));
            QCOMPARE(combo->currentIndex(), value.toInt());
        } else if (word == QLatin1String("SPINBOX")) {
            auto* spin = qobject_cast<QSpinBox*>(editor);
            QVERIFY2(spin, qPrintable(name));
            const QStringList range = classInfo(*op, QStringLiteral("range_"), name).split('-');
            QCOMPARE(spin->minimum(), range.at(0).toInt());
            QCOMPARE(spin->maximum(), range.at(1).toInt());
            QCOMPARE(spin->value(), value.toInt());
        } else {
            auto* line = qobject_cast<QLineEdit*>(editor);
            QVERIFY2(line, qPrintable(name));
            QCOMPARE(line->text(), value.toString());
            QCOMPARE(line->completer() != nullptr, !isPath);
        }
    }
}

void tst_GuiPropertyPanel::editorsOfTheTenTypes_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("rows"); // name=EDITOR, in property order; "bool" for a check box
    QTest::newRow("exists") << "file.exists"
                            << "fileName=FILEPATH resultVar=VARNAME";
    QTest::newRow("copy") << "file.copy"
                          << "files=MULTIFILE destDir=FOLDERPATH ifExist=COMBO listVar=VARNAME";
    QTest::newRow("move") << "file.move"
                          << "files=MULTIFILE destDir=FOLDERPATH ifExist=COMBO listVar=VARNAME";
    QTest::newRow("delete") << "file.delete"
                            << "files=MULTIFILE deletedList=VARNAME";
    QTest::newRow("rename") << "file.rename"
                            << "files=MULTIFILE mode=COMBO newName=VARREF addText=VARREF "
                               "addPos=COMBO delText=VARREF oldText=VARREF newText=VARREF "
                               "newExt=VARREF startNum=SPINBOX step=SPINBOX sep=COMBO "
                               "usePad=bool padLen=SPINBOX ifNewExist=COMBO newList=VARNAME";
    QTest::newRow("read") << "file.read"
                          << "filePath=FILEPATH storeAs=COMBO targetVarStr=VARNAME "
                             "targetVarList=VARNAME";
    QTest::newRow("write") << "file.write"
                           << "filePath=FILEPATH content=VARREF ifExist=COMBO "
                              "appendNoNewline=bool";
    QTest::newRow("parse") << "file.parse"
                           << "filePath=FILEPATH diskVar=VARNAME dirVar=VARNAME nameVar=VARNAME "
                              "extVar=VARNAME fullNameVar=VARNAME";
    QTest::newRow("readcsv") << "file.readcsv"
                             << "filePath=FILEPATH trim=COMBO readScope=COMBO "
                                "startRow=NUMVAR:INT endRow=NUMVAR:INT columns=VARREF "
                                "delimType=COMBO delimChar=VARREF fixedWidth=NUMVAR:INT "
                                "targetVar=VARNAME";
    QTest::newRow("writecsv") << "file.writecsv"
                              << "sourceVar=VARNAME filePath=FILEPATH writeScope=COMBO "
                                 "startRow=NUMVAR:INT endRow=NUMVAR:INT columns=VARREF "
                                 "delimiter=VARREF ifExist=COMBO appendNoNewline=bool";
}

void tst_GuiPropertyPanel::editorsOfTheTenTypes()
{
    QFETCH(QString, type);
    QFETCH(QString, rows);
    const auto op = cloneOf(type);
    if (!op)
        QSKIP("the plug-in does not provide this step type yet");
    PropertyPanel panel;
    panel.setOperation(op.get());
    QStringList shown;
    for (int row = 0; row < panel.rowCount(); ++row)
        shown.append(panel.spec(row).name + QLatin1Char('=') + editorWord(panel.spec(row).editor));
    QCOMPARE(shown.join(QLatin1Char(' ')), rows);
}

void tst_GuiPropertyPanel::showWhenFollowsTheControllingSetting_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("controller");
    // Every COMBO setting that another setting's "show_when_" names.
    for (const LoadedPlugin& plugin : m_host.plugins()) {
        for (const Operation* prototype : plugin.prototypes) {
            QStringList controllers;
            for (const QMetaProperty& property : settingProperties(*prototype)) {
                const QString condition = classInfo(*prototype, QStringLiteral("show_when_"),
                                                    QString::fromLatin1(property.name()));
                const QString controller = condition.section(QLatin1Char('='), 0, 0);
                if (!condition.isEmpty() && !controllers.contains(controller))
                    controllers.append(controller);
            }
            for (const QString& controller : controllers)
                QTest::addRow("%s %s", qPrintable(prototype->typeId()), qPrintable(controller))
                    << prototype->typeId() << controller;
        }
    }
}

void tst_GuiPropertyPanel::showWhenFollowsTheControllingSetting()
{
    if (!QTest::currentDataTag())
        QSKIP("no step type loaded yet has a setting shown on condition");
    QFETCH(QString, type);
    QFETCH(QString, controller);
    const auto op = cloneOf(type);
    PropertyPanel panel;
    panel.setOperation(op.get());
    auto* combo = qobject_cast<QComboBox*>(panel.editor(panel.rowOf(controller)));
    QVERIFY(combo);
    // Every choice, then back to the first, so a row that was shown is hidden again.
    QList<int> choices;
    for (int i = 1; i < combo->count(); ++i)
        choices.append(i);
    choices.append(0);
    for (int choice : choices) {
        combo->setCurrentIndex(choice);
        QCOMPARE(op->property(controller.toLatin1().constData()).toInt(), choice);
        QCOMPARE(panel.shownProperties(), rowsWhoseConditionHolds(*op));
    }
}

void tst_GuiPropertyPanel::renameModeShowsItsRows_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("shown");
    QTest::newRow("new name") << 0 << "files mode newName ifNewExist newList";
    QTest::newRow("add text") << 1 << "files mode addText addPos ifNewExist newList";
    QTest::newRow("delete text") << 2 << "files mode delText ifNewExist newList";
    QTest::newRow("replace text") << 3 << "files mode oldText newText ifNewExist newList";
    QTest::newRow("extension") << 4 << "files mode newExt ifNewExist newList";
    QTest::newRow("numbering") << 5
                               << "files mode startNum step sep usePad padLen ifNewExist newList";
}

void tst_GuiPropertyPanel::renameModeShowsItsRows()
{
    QFETCH(int, mode);
    QFETCH(QString, shown);
    const auto op = cloneOf(QStringLiteral("file.rename"));
    if (!op)
        QSKIP("the plug-in does not provide the rename step yet");
    PropertyPanel panel;
    panel.setOperation(op.get());
    auto* combo = qobject_cast<QComboBox*>(panel.editor(panel.rowOf(QStringLiteral("mode"))));
    QVERIFY(combo);
    // From another mode, so the rows of the one before are hidden again.
    combo->setCurrentIndex(mode == 5 ? 0 : 5);
    combo->setCurrentIndex(mode);
    QCOMPARE(op->property("mode").toInt(), mode);
    QCOMPARE(panel.shownProperties().join(QLatin1Char(' ')), shown);
    for (int row = 0; row < panel.rowCount(); ++row)
        QCOMPARE(!panel.label(row)->isHidden(), panel.isRowShown(row));
}

void tst_GuiPropertyPanel::editsGoThroughTheSetters_data()
{
    addPrototypeRows();
}

void tst_GuiPropertyPanel::editsGoThroughTheSetters()
{
    QFETCH(QString, type);
    const auto op = cloneOf(type);
    PropertyPanel panel;
    panel.setOperation(op.get());
    QSignalSpy changes(&panel, &PropertyPanel::settingChanged);
    for (int row = 0; row < panel.rowCount(); ++row) {
        const QString name = panel.spec(row).name;
        const QByteArray key = name.toLatin1();
        QWidget* editor = panel.editor(row);
        QVariant expected;
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->clear();
            QTest::keyClicks(line, QStringLiteral("$path ") + name);
            line->insert(QStringLiteral("路径")); // keyClicks types ASCII only
            expected = QStringLiteral("$path ") + name + QStringLiteral("路径");
        } else if (auto* lines = qobject_cast<QPlainTextEdit*>(editor)) {
            lines->setPlainText(QStringLiteral("a.txt\n$list\n"));
            expected = QStringLiteral("a.txt\n$list\n");
        } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            // Another choice than the one shown, so the edit is one.
            const int last = combo->count() - 1;
            expected = combo->currentIndex() == last ? 0 : last;
            combo->setCurrentIndex(expected.toInt());
        } else if (auto* spin = qobject_cast<QSpinBox*>(editor)) {
            expected = spin->value() == spin->maximum() ? spin->minimum() : spin->maximum();
            spin->setValue(expected.toInt());
        } else if (auto* check = qobject_cast<QCheckBox*>(editor)) {
            check->setChecked(!check->isChecked());
            expected = check->isChecked();
        } else {
            QFAIL(qPrintable(QStringLiteral("no editor for ") + name));
        }
        QCOMPARE(op->property(key.constData()), expected);
        QVERIFY(!changes.isEmpty());
        QCOMPARE(changes.last().at(0).toString(), name);
    }
}

void tst_GuiPropertyPanel::completionsOfferVariablesOfTheMatchingType_data()
{
    addPrototypeRows();
}

void tst_GuiPropertyPanel::completionsOfferVariablesOfTheMatchingType()
{
    QFETCH(QString, type);
    // One variable per type word, and one of no type that nothing offers.
    const QList<QPair<QString, QString>> declared = {{"text", "string"},
                                                     {"flag", "bool"},
                                                     {"count", "number"},
                                                     {"files", "list"},
                                                     {"table", "datatable"}};
    QList<FlowVariable> flowVariables;
    for (const auto& variable : declared) {
        VarType varType;
        QVERIFY(varTypeFromWord(variable.second, &varType));
        flowVariables.append({variable.first, varType, QVariant()});
    }
    flowVariables.append({QStringLiteral("loose"), VarType::Undeclared, 1.0});
    VariablesModel variables;
    variables.setVariables(flowVariables);

    const auto op = cloneOf(type);
    PropertyPanel panel;
    panel.setVariables(&variables);
    panel.setOperation(op.get());
    for (int row = 0; row < panel.rowCount(); ++row) {
        const QString name = panel.spec(row).name;
        const QString word = classInfo(*op, QStringLiteral("editor_"), name);
        QStringList types;
        QString prefix = QStringLiteral("$");
        if (word == QLatin1String("VARNAME")) {
            types = classInfo(*op, QStringLiteral("varname_type_"), name).split(',');
            prefix.clear(); // a name, used as typed
        } else if (word == QLatin1String("VARREF")) {
            types = classInfo(*op, QStringLiteral("varref_type_"), name).split(',');
        } else if (word == QLatin1String("NUMVAR:INT")) {
            types = QStringList{QStringLiteral("number")};
        }
        QStringList expected;
        for (const auto& variable : declared) {
            if (types.contains(variable.second))
                expected.append(prefix + variable.first);
        }
        QCOMPARE(panel.completions(row), expected);
    }
}

void tst_GuiPropertyPanel::completionsFollowTheVariables()
{
    VariablesModel variables;
    const auto op = cloneOf(QStringLiteral("file.exists"));
    PropertyPanel panel;
    panel.setVariables(&variables);
    panel.setOperation(op.get());
    const int row = panel.rowOf(QStringLiteral("resultVar"));
    QCOMPARE(panel.completions(row), QStringList());

    const int added = variables.addVariable(VarType::Bool);
    QCOMPARE(panel.completions(row), QStringList{"var1"});
    variables.setData(variables.index(added, VariablesModel::NameColumn), "found");
    QCOMPARE(panel.completions(row), QStringList{"found"});
    variables.setData(variables.index(added, VariablesModel::TypeColumn), "string");
    QCOMPARE(panel.completions(row), QStringList());

    // What the line edit's completer offers is the same list.
    variables.setData(variables.index(added, VariablesModel::TypeColumn), "bool");
    auto* line = qobject_cast<QLineEdit*>(panel.editor(row));
    QCOMPARE(line->completer()->model()->rowCount(), 1);
    QCOMPARE(line->completer()->model()->index(0, 0).data().toString(), QStringLiteral("found"));
}

void tst_GuiPropertyPanel::storedValueOutsideTheChoicesIsKept()
{
    for (const LoadedPlugin& plugin : m_host.plugins()) {
        for (const Operation* prototype : plugin.prototypes) {
            std::unique_ptr<Operation> op(prototype->clone(nullptr));
            PropertyPanel panel;
            for (const PropertySpec& spec : propertySpecs(*op)) {
                if (spec.editor == EditorKind::Combo || spec.editor == EditorKind::SpinBox)
                    spec.property.write(op.get(), 123456);
            }
            panel.setOperation(op.get());
            for (const PropertySpec& spec : propertySpecs(*op)) {
                if (spec.editor == EditorKind::Combo || spec.editor == EditorKind::SpinBox)
                    QCOMPARE(spec.property.read(op.get()).toInt(), 123456);
                if (spec.editor == EditorKind::Combo)
                    QCOMPARE(qobject_cast<QComboBox*>(panel.editor(panel.rowOf(spec.name)))
                                 ->currentIndex(),
                             -1);
            }
        }
    }
}

QTEST_MAIN(tst_GuiPropertyPanel)
#include "tst_gui_propertypanel.moc"

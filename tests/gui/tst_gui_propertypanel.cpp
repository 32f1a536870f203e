// The property panel builds every step type's rows from its meta-object alone. The expectations
// here are read from the same class-info, for whatever prototypes the plug-in hands out; the exact
// annotations of the ten types are pinned by the golden schema of the main tests.
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
    void rowsShowTheSettingsAndEditThroughTheSetters_data() { addPrototypeRows(); }
    void rowsShowTheSettingsAndEditThroughTheSetters();
    void shownRowsFollowTheControllingChoice_data();
    void shownRowsFollowTheControllingChoice();
    void completionsOfferVariablesOfTheMatchingType_data() { addPrototypeRows(); }
    void completionsOfferVariablesOfTheMatchingType();
    void completionsFollowTheVariables();
    void storedValueOutsideTheChoicesIsKept_data() { addPrototypeRows(); }
    void storedValueOutsideTheChoicesIsKept();

private:
    void addPrototypeRows();
    std::unique_ptr<Operation> cloneOf(const QString& type) const
    {
        return std::unique_ptr<Operation>(m_host.prototype(type)->clone(nullptr));
    }
    PluginHost m_host;
};

namespace
{

QString classInfo(const Operation& op, const char* prefix, const QString& name)
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
        const QStringList condition = classInfo(op, "show_when_", name).split(QLatin1Char('='));
        if (condition.size() != 2 ||
            op.property(condition.at(0).toLatin1().constData()).toInt() == condition.at(1).toInt())
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

// One row per property with its label and the editor its class-info asks for, showing the stored
// value; then an edit in each editor that must reach the property through its setter.
void tst_GuiPropertyPanel::rowsShowTheSettingsAndEditThroughTheSetters()
{
    QFETCH(QString, type);
    const auto op = cloneOf(type);
    PropertyPanel panel;
    panel.setOperation(op.get());
    QSignalSpy changes(&panel, &PropertyPanel::settingChanged);
    const QList<QMetaProperty> properties = settingProperties(*op);
    QCOMPARE(panel.rowCount(), properties.size());
    for (int row = 0; row < panel.rowCount(); ++row) {
        const QString name = QString::fromLatin1(properties.at(row).name());
        const QByteArray key = name.toLatin1();
        QCOMPARE(panel.spec(row).name, name);
        QCOMPARE(panel.label(row)->text(), classInfo(*op, "prop_", name));
        const QString word = classInfo(*op, "editor_", name);
        const bool isPath = word == "FILEPATH" || word == "FOLDERPATH";
        QCOMPARE(panel.browseButton(row) != nullptr, isPath || word == "MULTIFILE");
        QWidget* editor = panel.editor(row);
        const QVariant value = op->property(key.constData());
        QVariant expected;
        if (properties.at(row).userType() == QMetaType::Bool) {
            auto* check = qobject_cast<QCheckBox*>(editor);
            QVERIFY2(check, qPrintable(name));
            QCOMPARE(check->isChecked(), value.toBool());
            check->setChecked(!check->isChecked());
            expected = check->isChecked();
        } else if (word == "MULTIFILE") {
            auto* lines = qobject_cast<QPlainTextEdit*>(editor);
            QVERIFY2(lines, qPrintable(name));
            QCOMPARE(lines->toPlainText(), value.toString());
            expected = QStringLiteral("a.txt\n$list\n");
            lines->setPlainText(expected.toString());
        } else if (word == "COMBO") {
            auto* combo = qobject_cast<QComboBox*>(editor);
            QVERIFY2(combo, qPrintable(name));
            QStringList items;
            for (int i = 0; i < combo->count(); ++i)
                items.append(combo->itemText(i));
            QCOMPARE(items, classInfo(*op, "choices_", name).split('|'));
            QCOMPARE(combo->currentIndex(), value.toInt());
            // Another choice than the one shown, so the edit is one.
            expected = combo->currentIndex() == combo->count() - 1 ? 0 : combo->count() - 1;
            combo->setCurrentIndex(expected.toInt());
        } else if (word == "SPINBOX") {
            auto* spin = qobject_cast<QSpinBox*>(editor);
            QVERIFY2(spin, qPrintable(name));
            const QStringList range = classInfo(*op, "range_", name).split('-');
            QCOMPARE(spin->minimum(), range.at(0).toInt());
            QCOMPARE(spin->maximum(), range.at(1).toInt());
            QCOMPARE(spin->value(), value.toInt());
            expected = spin->value() == spin->maximum() ? spin->minimum() : spin->maximum();
            spin->setValue(expected.toInt());
        } else {
            auto* line = qobject_cast<QLineEdit*>(editor);
            QVERIFY2(line, qPrintable(name));
            QCOMPARE(line->text(), value.toString());
            QCOMPARE(line->completer() != nullptr, !isPath);
            line->clear();
            QTest::keyClicks(line, QStringLiteral("$path ") + name);
            line->insert(QStringLiteral("路径")); // keyClicks types ASCII only
            expected = QStringLiteral("$path ") + name + QStringLiteral("路径");
        }
        QCOMPARE(op->property(key.constData()), expected);
        QVERIFY(!changes.isEmpty());
        QCOMPARE(changes.last().at(0).toString(), name);
    }
}

void tst_GuiPropertyPanel::shownRowsFollowTheControllingChoice_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("controller");
    // Every setting that another setting's "show_when_" names, such as the rename step's mode.
    bool renameMode = false;
    for (const LoadedPlugin& plugin : m_host.plugins()) {
        for (const Operation* prototype : plugin.prototypes) {
            QStringList controllers;
            for (const PropertySpec& spec : propertySpecs(*prototype)) {
                if (spec.hasShowWhen() && !controllers.contains(spec.showWhenName))
                    controllers.append(spec.showWhenName);
            }
            for (const QString& controller : controllers) {
                QTest::addRow("%s %s", qPrintable(prototype->typeId()), qPrintable(controller))
                    << prototype->typeId() << controller;
                renameMode |= prototype->typeId() == "file.rename" && controller == "mode";
            }
        }
    }
    QVERIFY(renameMode);
}

void tst_GuiPropertyPanel::shownRowsFollowTheControllingChoice()
{
    QFETCH(QString, type);
    QFETCH(QString, controller);
    const auto op = cloneOf(type);
    PropertyPanel panel;
    panel.setOperation(op.get());
    auto* combo = qobject_cast<QComboBox*>(panel.editor(panel.rowOf(controller)));
    QVERIFY(combo);
    // Every choice, then back to the first, so a row that was shown is hidden again.
    for (int i = 1; i <= combo->count(); ++i) {
        const int choice = i % combo->count();
        combo->setCurrentIndex(choice);
        QCOMPARE(op->property(controller.toLatin1().constData()).toInt(), choice);
        QCOMPARE(panel.shownProperties(), rowsWhoseConditionHolds(*op));
        for (int row = 0; row < panel.rowCount(); ++row)
            QCOMPARE(!panel.label(row)->isHidden(), panel.isRowShown(row));
    }
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
    QList<FlowVariable> flowVariables{{QStringLiteral("loose"), VarType::Undeclared, 1.0}};
    for (const auto& variable : declared) {
        VarType varType;
        QVERIFY(varTypeFromWord(variable.second, &varType));
        flowVariables.append({variable.first, varType, QVariant()});
    }
    VariablesModel variables;
    variables.setVariables(flowVariables);
    const auto op = cloneOf(type);
    PropertyPanel panel;
    panel.setVariables(&variables);
    panel.setOperation(op.get());
    for (int row = 0; row < panel.rowCount(); ++row) {
        const QString name = panel.spec(row).name;
        const QString word = classInfo(*op, "editor_", name);
        QStringList types;
        QString prefix = QStringLiteral("$");
        if (word == "VARNAME") {
            types = classInfo(*op, "varname_type_", name).split(',');
            prefix.clear(); // a name, used as typed
        } else if (word == "VARREF") {
            types = classInfo(*op, "varref_type_", name).split(',');
        } else if (word == "NUMVAR:INT") {
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

// A stored index or number the editor cannot show (from a newer or hand-edited flow) stays as it
// is: showing the step must not write the editor's clamped value back.
void tst_GuiPropertyPanel::storedValueOutsideTheChoicesIsKept()
{
    QFETCH(QString, type);
    const auto op = cloneOf(type);
    const QList<PropertySpec> specs = propertySpecs(*op);
    auto isNumbered = [](const PropertySpec& spec) {
        return spec.editor == EditorKind::Combo || spec.editor == EditorKind::SpinBox;
    };
    for (const PropertySpec& spec : specs) {
        if (isNumbered(spec))
            spec.property.write(op.get(), 123456);
    }
    PropertyPanel panel;
    panel.setOperation(op.get());
    for (const PropertySpec& spec : specs) {
        if (isNumbered(spec))
            QCOMPARE(spec.property.read(op.get()).toInt(), 123456);
        if (spec.editor == EditorKind::Combo)
            QCOMPARE(qobject_cast<QComboBox*>(panel.editor(panel.rowOf(spec.name)))->currentIndex(),
                     -1);
    }
}

QTEST_MAIN(tst_GuiPropertyPanel)
#include "tst_gui_propertypanel.moc"

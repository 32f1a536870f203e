// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The panel builds every step type's rows from its meta-object alone, so the expectations are read
// from the same class-info; the exact annotations are pinned by tests/data/schema.json.
#include "operationprops.h"
#include "propertypanel.h"
#include "windowtest.h"

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
    void initTestCase() { loadPlugin(m_host); }
    void init();
    void rowsShowTheSettingsAndEditThroughTheSetters_data() { addPrototypeRows(); }
    void rowsShowTheSettingsAndEditThroughTheSetters();
    void shownRowsFollowTheControllingChoice_data() { addPrototypeRows(); }
    void shownRowsFollowTheControllingChoice();
    void storedValueOutsideTheChoicesIsKept_data() { addPrototypeRows(); }
    void storedValueOutsideTheChoicesIsKept();
    void browsedPathIsRelativeUnderTheWorkingFolder_data();
    void browsedPathIsRelativeUnderTheWorkingFolder();

private:
    void addPrototypeRows();
    PluginHost m_host;
    // A fresh copy of the data row's step type, shown in a panel of its own.
    std::unique_ptr<Operation> m_op;
    std::unique_ptr<PropertyPanel> m_panel;
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

void tst_GuiPropertyPanel::init()
{
    const Operation* prototype = m_host.prototype(QString::fromLatin1(QTest::currentDataTag()));
    if (!prototype)
        return; // a test whose rows are not step types
    m_op.reset(prototype->clone(nullptr));
    m_panel = std::make_unique<PropertyPanel>();
    m_panel->setOperation(m_op.get());
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
    QSignalSpy changes(m_panel.get(), &PropertyPanel::settingChanged);
    const QList<QMetaProperty> properties = settingProperties(*m_op);
    QCOMPARE(m_panel->rowCount(), properties.size());
    for (int row = 0; row < m_panel->rowCount(); ++row) {
        const QString name = QString::fromLatin1(properties.at(row).name());
        const QByteArray key = name.toLatin1();
        QCOMPARE(m_panel->desc(row).name, name);
        QCOMPARE(m_panel->label(row)->text(), classInfo(*m_op, "prop_", name));
        const QString word = classInfo(*m_op, "editor_", name);
        const bool isPath = word == "FILEPATH" || word == "FOLDERPATH";
        QCOMPARE(m_panel->browseButton(row) != nullptr, isPath || word == "MULTIFILE");
        QWidget* editor = m_panel->editor(row);
        const QVariant value = m_op->property(key.constData());
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
            QCOMPARE(items, classInfo(*m_op, "choices_", name).split('|'));
            QCOMPARE(combo->currentIndex(), value.toInt());
            // Another choice than the one shown, so the edit is one.
            expected = combo->currentIndex() == combo->count() - 1 ? 0 : combo->count() - 1;
            combo->setCurrentIndex(expected.toInt());
        } else if (word == "SPINBOX") {
            auto* spin = qobject_cast<QSpinBox*>(editor);
            QVERIFY2(spin, qPrintable(name));
            const QStringList range = classInfo(*m_op, "range_", name).split('-');
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
        QCOMPARE(m_op->property(key.constData()), expected);
        QVERIFY(!changes.isEmpty());
        QCOMPARE(changes.last().at(0).toString(), name);
    }
}

// Walks every choice of every setting another one's "show_when_" names (such as the rename step's
// mode), then back to the first, so a row that was shown is hidden again.
void tst_GuiPropertyPanel::shownRowsFollowTheControllingChoice()
{
    QStringList controllers;
    for (const QMetaProperty& property : settingProperties(*m_op)) {
        const QString condition =
            classInfo(*m_op, "show_when_", QString::fromLatin1(property.name()));
        if (!condition.isEmpty() && !controllers.contains(condition.section('=', 0, 0)))
            controllers.append(condition.section('=', 0, 0));
    }
    for (const QString& controller : controllers) {
        auto* combo = qobject_cast<QComboBox*>(m_panel->editor(m_panel->rowOf(controller)));
        QVERIFY2(combo, qPrintable(controller));
        for (int i = 1; i <= combo->count(); ++i) {
            combo->setCurrentIndex(i % combo->count());
            QCOMPARE(m_op->property(controller.toLatin1().constData()).toInt(), i % combo->count());
            QCOMPARE(m_panel->shownProperties(), rowsWhoseConditionHolds(*m_op));
            for (int row = 0; row < m_panel->rowCount(); ++row)
                QCOMPARE(!m_panel->label(row)->isHidden(), m_panel->isRowShown(row));
        }
    }
}

// A stored index or number the editor cannot show (from a newer or hand-edited flow) stays as it
// is: showing the step must not write the editor's clamped value back.
void tst_GuiPropertyPanel::storedValueOutsideTheChoicesIsKept()
{
    QList<PropertySpec> numbered;
    for (const PropertySpec& desc : propertySpecs(*m_op)) {
        if (desc.editor == EditorKind::Combo || desc.editor == EditorKind::SpinBox)
            numbered.append(desc);
    }
    for (const PropertySpec& desc : numbered)
        desc.property.write(m_op.get(), 123456);
    m_panel->setOperation(m_op.get());
    for (const PropertySpec& desc : numbered) {
        QCOMPARE(desc.property.read(m_op.get()).toInt(), 123456);
        if (desc.editor == EditorKind::Combo)
            QCOMPARE(qobject_cast<QComboBox*>(m_panel->editor(m_panel->rowOf(desc.name)))
                         ->currentIndex(),
                     -1);
    }
}

void tst_GuiPropertyPanel::browsedPathIsRelativeUnderTheWorkingFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("setting");
    // clang-format off
    QTest::newRow("under") << "/home/u/work" << "/home/u/work/报告/a.txt" << "报告/a.txt";
    QTest::newRow("the folder") << "/home/u/work" << "/home/u/work" << ".";
    QTest::newRow("beside") << "/home/u/work" << "/home/u/work2/a.txt" << "/home/u/work2/a.txt";
    QTest::newRow("above") << "/home/u/work" << "/home/u/a.txt" << "/home/u/a.txt";
    QTest::newRow("dots in a name") << "/w" << "/w/..a/b" << "..a/b";
    QTest::newRow("no folder") << "" << "/w/a.txt" << "/w/a.txt";
    // clang-format on
}

void tst_GuiPropertyPanel::browsedPathIsRelativeUnderTheWorkingFolder()
{
    QFETCH(QString, folder);
    QFETCH(QString, chosen);
    QFETCH(QString, setting);
    QCOMPARE(PropertyPanel::pathUnder(folder, chosen), setting);
}

QTEST_MAIN(tst_GuiPropertyPanel)
#include "tst_gui_propertypanel.moc"

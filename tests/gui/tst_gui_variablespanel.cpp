// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "variablesmodel.h"
#include "variablespanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

class tst_GuiVariablesPanel : public QObject
{
    Q_OBJECT

private slots:
    void refusedTextStaysForCorrection_data();
    void refusedTextStaysForCorrection();
};

namespace
{

// The editor open now: closed ones linger hidden until their deferred deletion.
QLineEdit* openEditor(QTableView* view)
{
    for (QLineEdit* line : view->viewport()->findChildren<QLineEdit*>()) {
        if (line->isVisible())
            return line;
    }
    return nullptr;
}

// Return commits through a queued call, and a refused text opens the cell again through another.
void pressReturn(QLineEdit* line)
{
    QTest::keyClick(line, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// The cell's editor opened, `text` typed into it and Return pressed.
void typeInto(QTableView* view, const QModelIndex& cell, const QString& text)
{
    view->setCurrentIndex(cell);
    view->edit(cell);
    QLineEdit* line = openEditor(view);
    QVERIFY(line);
    line->selectAll();
    QTest::keyClicks(line, text);
    pressReturn(line);
}

} // namespace

void tst_GuiVariablesPanel::refusedTextStaysForCorrection_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("fixed"); // typed over the refused text; empty: Escape pressed

    const int value = VariablesModel::ValueColumn;
    const QString notAList = QStringLiteral("not a list, for example [\"a.txt\", \"b.txt\"]");
    QTest::newRow("list value") << value << "[\"a.txt\", \"b.txt\"" << notAList << "[\"a.txt\"]";
    QTest::newRow("name") << int(VariablesModel::NameColumn) << "my files"
                          << "a name cannot contain blanks"
                          << "my_files";
    // Escape leaves the value as it was, and a later edit starts from it, not from the refused
    // text.
    QTest::newRow("escape") << value << "[1," << notAList << "";
}

void tst_GuiVariablesPanel::refusedTextStaysForCorrection()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, reason);
    QFETCH(QString, fixed);

    VariablesModel model;
    model.setVariables({{QStringLiteral("files"), VarType::List, QStringList{"x.txt"}}});
    VariablesPanel panel(&model);
    panel.show();
    QTableView* view = panel.view();
    const QModelIndex cell = model.index(0, column);
    const QString before = cell.data(Qt::EditRole).toString();

    typeInto(view, cell, typed);
    QCOMPARE(cell.data(Qt::EditRole).toString(), before);
    QCOMPARE(panel.refusal()->text(), QStringLiteral("Not taken: ") + reason);
    QVERIFY(panel.refusal()->isVisibleTo(&panel));
    // The same cell is open again with the text as typed, marked with the reason.
    QLineEdit* line = openEditor(view);
    QVERIFY(line);
    QCOMPARE(view->currentIndex(), cell);
    QCOMPARE(line->text(), typed);
    QCOMPARE(line->toolTip(), reason);

    if (fixed.isEmpty()) {
        QTest::keyClick(line, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QCOMPARE(cell.data(Qt::EditRole).toString(), before);
        view->edit(cell);
        QVERIFY(openEditor(view));
        QCOMPARE(openEditor(view)->text(), before);
        return;
    }
    // Corrected, it is taken.
    line->selectAll();
    QTest::keyClicks(line, fixed);
    pressReturn(line);
    QCOMPARE(cell.data(Qt::EditRole).toString(), fixed);
    QVERIFY(!panel.refusal()->isVisibleTo(&panel));
    QVERIFY(!openEditor(view));
}

QTEST_MAIN(tst_GuiVariablesPanel)
#include "tst_gui_variablespanel.moc"

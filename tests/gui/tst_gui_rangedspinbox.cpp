// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "rangedspinbox.h"

#include <QLineEdit>
#include <QtTest>

class tst_GuiRangedSpinBox : public QObject
{
    Q_OBJECT

private slots:
    void typedNumberIsTakenOrRefusedInSight_data();
    void typedNumberIsTakenOrRefusedInSight();
    void numberInRangeEndsTheRefusal();
};

namespace
{

// A box from `low` to `high` holding 3, with `text` typed over it.
void typeOver(RangedSpinBox& box, int low, int high, const QString& text)
{
    box.setRange(low, high);
    box.setValue(3);
    box.selectAll();
    QTest::keyClicks(&box, text);
}

} // namespace

void tst_GuiRangedSpinBox::typedNumberIsTakenOrRefusedInSight_data()
{
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("kept");
    QTest::addColumn<QString>("problem");

    QTest::newRow("in range") << 0 << 99 << "42" << 42 << "";
    QTest::newRow("negative") << 0 << 99999 << "-5" << 3
                              << "-5 is not taken: the number must be from 0 to 99999; "
                                 "the step keeps 3";
    // "1" is taken as it is typed; "15" is not.
    QTest::newRow("above") << 1 << 10 << "150" << 1
                           << "150 is not taken: the number must be from 1 to 10; "
                              "the step keeps 1";
    QTest::newRow("lone minus") << 0 << 99 << "-" << 3
                                << "- is not taken: the number must be from 0 to 99; "
                                   "the step keeps 3";
}

void tst_GuiRangedSpinBox::typedNumberIsTakenOrRefusedInSight()
{
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(QString, typed);
    QFETCH(int, kept);
    QFETCH(QString, problem);

    RangedSpinBox box;
    typeOver(box, low, high, typed);
    // While it is edited the box shows what was typed, never a changed number.
    QCOMPARE(box.text(), typed);
    QCOMPARE(box.value(), kept);
    QCOMPARE(box.problem(), problem);
    QCOMPARE(box.toolTip(), problem);
    QCOMPARE(box.styleSheet().isEmpty(), problem.isEmpty());

    // Ending the edit shows the number the step keeps; the reason stays in sight.
    QTest::keyClick(&box, Qt::Key_Return);
    QCOMPARE(box.value(), kept);
    QCOMPARE(box.text(), QString::number(kept));
    QCOMPARE(box.toolTip(), problem);
    QCOMPARE(box.styleSheet().isEmpty(), problem.isEmpty());
}

void tst_GuiRangedSpinBox::numberInRangeEndsTheRefusal()
{
    RangedSpinBox box;
    typeOver(box, 0, 99, "-5");
    QTest::keyClick(&box, Qt::Key_Return);
    QVERIFY(!box.problem().isEmpty());

    box.selectAll();
    QTest::keyClicks(&box, "7");
    QCOMPARE(box.value(), 7);
    QCOMPARE(box.problem(), QString());
    QCOMPARE(box.toolTip(), QString());
    QVERIFY(box.styleSheet().isEmpty());

    // Arrows stay within the range.
    typeOver(box, 0, 99, "-5");
    QTest::keyClick(&box, Qt::Key_Return);
    box.setValue(0);
    box.stepDown();
    QCOMPARE(box.value(), 0);
    box.stepUp();
    QCOMPARE(box.value(), 1);
    QCOMPARE(box.toolTip(), QString());
}

QTEST_MAIN(tst_GuiRangedSpinBox)
#include "tst_gui_rangedspinbox.moc"

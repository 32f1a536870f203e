// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Settings that will not work as meant are marked while the flow is edited, before Run: paths
// left empty, numbers the step does not take, and steps whose plan shows conflicts or sends many
// files onto one name, each with its reason in the flow row's tool tip. A row stays one line
// however many files its step lists.
#include "filetree.h"
#include "flowcheck.h"
#include "flowmodel.h"
#include "mainwindow.h"
#include "previewpanel.h"
#include "propertypanel.h"
#include "windowtest.h"

#include <operation.h>

#include <QStyle>
#include <QtTest>

#include <memory>

class tst_GuiFlowCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { loadPlugin(m_host); }
    void settingsMarked_data();
    void settingsMarked();
    void planTroubleMarked_data();
    void planTroubleMarked();
    void longListsAreElided_data();
    void longListsAreElided();

private:
    PluginHost m_host;
};

void tst_GuiFlowCheck::settingsMarked_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("settings"); // "name=value" entries
    QTest::addColumn<QStringList>("problems");
    const QString empty = QStringLiteral(": empty: the step has no path to work on");
    QTest::newRow("copy with nothing filled in")
        << "file.copy"
        << "" << QStringList{"要复制的文件" + empty, "目标文件夹" + empty};
    QTest::newRow("copy filled in") << "file.copy"
                                    << "files=a.txt|destDir=备份" << QStringList{};
    QTest::newRow("blanks are no path") << "file.delete"
                                        << "files= \n " << QStringList{"要删除的文件" + empty};
    QTest::newRow("CSV rows below 0 and in words")
        << "file.readcsv"
        << "filePath=a.csv|readScope=1|startRow=-1|endRow=十二"
        << QStringList{"起始行(0=首行): -1 is below 0, which the step does not take",
                       "结束行(0=首行): not a whole number, for example 0 or 12"};
    QTest::newRow("CSV rows hidden while all rows are read")
        << "file.readcsv"
        << "filePath=a.csv|readScope=0|startRow=-1" << QStringList{};
    QTest::newRow("CSV rows as numbers")
        << "file.readcsv"
        << "filePath=a.csv|readScope=1|startRow=0|endRow= 12 " << QStringList{};
}

void tst_GuiFlowCheck::settingsMarked()
{
    QFETCH(QString, type);
    QFETCH(QString, settings);
    QFETCH(QStringList, problems);
    const std::unique_ptr<Operation> step(m_host.createStep({type, {}}));
    QVERIFY(step);
    QVERIFY(applySettings(step.get(), settings));
    QCOMPARE(FlowCheck::stepProblems(*step, {}), problems);
}

void tst_GuiFlowCheck::planTroubleMarked_data()
{
    QTest::addColumn<QString>("files");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QStringList>("marks");
    // A new rename step's defaults: an empty new name, and 覆盖.
    QTest::newRow("three files onto one name")
        << "a.txt|b.txt|c.txt"
        << "files=a.txt\nb.txt\nc.txt"
        << QStringList{"the plan shows 2 conflict(s) in this step",
                       "sends 3 files onto one name, ./.txt"};
    QTest::newRow("one file renamed") << "a.txt"
                                      << "files=a.txt|newName=b" << QStringList{};
}

void tst_GuiFlowCheck::planTroubleMarked()
{
    QFETCH(QString, files);
    QFETCH(QString, settings);
    QFETCH(QStringList, marks);
    const ScratchCwd dir;
    QVERIFY(makeTree(files));
    MainWindow window(m_host);
    window.setWorkingFolder(dir.path());
    QCOMPARE(window.addStep(QStringLiteral("file.rename")), 0);
    QVERIFY(applySettings(window.flowModel()->step(0), settings));
    window.flowModel()->stepsChanged();
    QVERIFY(window.previewPanel()->awaitCurrentPlan());
    window.previewPanel()->updateNow();
    QVERIFY(window.previewPanel()->awaitCurrentPlan());
    FlowModel* flow = window.flowModel();
    QCOMPARE(flow->planProblems(0), marks);
    const QString tip = flow->data(flow->index(0), Qt::ToolTipRole).toString();
    for (const QString& mark : marks)
        QVERIFY2(tip.contains(mark), qPrintable(tip));
    // The warning sign stands in for the step's icon.
    const QIcon icon = flow->data(flow->index(0), Qt::DecorationRole).value<QIcon>();
    const QIcon warning = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    QCOMPARE(icon.pixmap(16).toImage() == warning.pixmap(16).toImage(), !marks.isEmpty());
}

void tst_GuiFlowCheck::longListsAreElided_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("panel"); // the description above the settings
    QTest::newRow("one stays") << 1 << "1. 删除文件 — 删除 f0.txt"
                               << "删除 f0.txt";
    QTest::newRow("two on one line") << 2 << "1. 删除文件 — 删除 f0.txt, f1.txt"
                                     << "删除 f0.txt\nf1.txt";
    QTest::newRow("three are counted") << 3 << "1. 删除文件 — 删除 3 files: f0.txt, f1.txt, …"
                                       << "删除 f0.txt\nf1.txt\nf2.txt";
    QTest::newRow("5,000") << 5000 << "1. 删除文件 — 删除 5,000 files: f0.txt, f1.txt, …"
                           << "删除 f0.txt\n… 4998 more line(s) …\nf4999.txt";
}

void tst_GuiFlowCheck::longListsAreElided()
{
    QFETCH(int, count);
    QFETCH(QString, shown);
    QFETCH(QString, panel);
    QStringList files;
    for (int i = 0; i < count; ++i)
        files << QStringLiteral("f%1.txt").arg(i);
    MainWindow window(m_host);
    QCOMPARE(window.addStep(QStringLiteral("file.delete")), 0);
    FlowModel* flow = window.flowModel();
    QVERIFY(flow->step(0)->setProperty("files", files.join(QLatin1Char('\n'))));
    flow->stepsChanged();
    const QString row = flow->data(flow->index(0)).toString();
    QCOMPARE(row, shown);
    QCOMPARE(PropertyPanel::shownDescription(flow->step(0)->description()), panel);
    // The step itself keeps every name.
    QCOMPARE(flow->step(0)->property("files").toString().count(QLatin1Char('\n')), count - 1);
}

QTEST_MAIN(tst_GuiFlowCheck)
#include "tst_gui_flowcheck.moc"

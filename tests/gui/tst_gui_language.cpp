// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The window in the language the host chose: its actions, tabs, run outcome and reasons for
// refusing a value read in Chinese under zh_CN and in English, the source language, otherwise.
#include "chinesefortest.h"
#include "hostlanguage.h"
#include "mainwindow.h"
#include "pluginhost.h"
#include "runtoend.h"
#include "variablesmodel.h"

#include <QAction>
#include <QApplication>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

class tst_GuiLanguage : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { removeTranslators(); }
    void windowTexts_data();
    void windowTexts();
};

void tst_GuiLanguage::windowTexts_data()
{
    QTest::addColumn<QString>("preference");
    QTest::addColumn<bool>("translated");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QStringList>("tabs");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("zh_CN") << "zh_CN" << true
                           << QStringList{"新建", "打开…", "保存", "运行", "预览", "停止"}
                           << QStringList{"变量", "上次运行", "预览"} << "完成，0 条警告"
                           << "不是数字，例如 12 或 0.5";
    QTest::newRow("en") << "en" << false
                        << QStringList{"New", "Open…", "Save", "Run", "Preview", "Stop"}
                        << QStringList{"Variables", "Last run", "Preview"}
                        << "Finished, 0 warning(s)"
                        << "not a number, for example 12 or 0.5";
}

void tst_GuiLanguage::windowTexts()
{
    QFETCH(QString, preference);
    QFETCH(bool, translated);
    QFETCH(QStringList, actions);
    QFETCH(QStringList, tabs);
    QCOMPARE(HostLanguage::install(*qApp, HostLanguage::chosen(preference)), translated);
    PluginHost host;
    MainWindow window(host);
    QStringList actionTexts;
    for (const QAction* action : window.findChildren<QAction*>())
        actionTexts.append(action->text());
    for (const QString& text : actions)
        QVERIFY2(actionTexts.contains(text), qPrintable(text));
    const QTabWidget* tabWidget = window.findChild<QTabWidget*>();
    QVERIFY(tabWidget);
    QStringList tabTexts;
    for (int i = 0; i < tabWidget->count(); ++i)
        tabTexts.append(tabWidget->tabText(i));
    QCOMPARE(tabTexts, tabs);
    QFETCH(QString, outcome);
    QFETCH(QString, refusal);
    window.setWorkingFolder(QDir::tempPath()); // an empty flow touches nothing there
    QVERIFY(runToEnd(window));
    QCOMPARE(window.statusBar()->currentMessage(), outcome);
    VariablesModel* variables = window.variablesModel();
    const int row = variables->addVariable(VarType::Number);
    QCOMPARE(variables->editProblem(variables->index(row, VariablesModel::ValueColumn), "十二"),
             refusal);
}

QTEST_MAIN(tst_GuiLanguage)
#include "tst_gui_language.moc"

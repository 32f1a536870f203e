// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The window in Chinese once the host chose it: its actions, tabs, run outcome and reasons for
// refusing a value. In English, the source language, the other window tests read them.
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
    void windowTexts();
};

// Each text is one the .ts files must translate (tst_hostlanguage); this shows the window reading
// them through the translator, from its actions to the variables' refusals.
void tst_GuiLanguage::windowTexts()
{
    QVERIFY(HostLanguage::install(*qApp, HostLanguage::chosen(QStringLiteral("zh_CN"))));
    PluginHost host;
    MainWindow window(host);
    QStringList actionTexts;
    for (const QAction* action : window.findChildren<QAction*>())
        actionTexts.append(action->text());
    for (const char* text : {"新建", "打开…", "保存", "运行", "预览", "停止"})
        QVERIFY2(actionTexts.contains(QString::fromUtf8(text)), text);
    const QTabWidget* tabWidget = window.findChild<QTabWidget*>();
    QVERIFY(tabWidget);
    QStringList tabTexts;
    for (int i = 0; i < tabWidget->count(); ++i)
        tabTexts.append(tabWidget->tabText(i));
    QCOMPARE(tabTexts, (QStringList{"变量", "上次运行", "预览"}));
    window.setWorkingFolder(QDir::tempPath()); // an empty flow touches nothing there
    QVERIFY(runToEnd(window));
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("完成，0 条警告"));
    VariablesModel* variables = window.variablesModel();
    const int row = variables->addVariable(VarType::Number);
    QCOMPARE(variables->editProblem(variables->index(row, VariablesModel::ValueColumn), "十二"),
             QStringLiteral("不是数字，例如 12 或 0.5"));
}

QTEST_MAIN(tst_GuiLanguage)
#include "tst_gui_language.moc"

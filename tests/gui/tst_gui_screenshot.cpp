// Renders the window offscreen with a copy step selected, for the README: the palette with every
// icon, the flow, the copy step's property panel and a declared list variable.
#include "flowmodel.h"
#include "mainwindow.h"
#include "pluginhost.h"
#include "propertypanel.h"
#include "variablesmodel.h"

#include <operation.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

class tst_GuiScreenshot : public QObject
{
    Q_OBJECT

private slots:
    void windowWithACopyStep();
};

void tst_GuiScreenshot::windowWithACopyStep()
{
    PluginHost host;
    QString error;
    QVERIFY2(host.load(QStringLiteral(PLUGIN_PATH), &error), qPrintable(error));
    if (!host.prototype(QStringLiteral("file.copy")))
        QSKIP("the plug-in does not provide the copy step yet");

    MainWindow window(host);
    window.resize(1280, 820);
    window.variablesModel()->setVariables(
        {{QStringLiteral("copied"), VarType::List, QVariant()},
         {QStringLiteral("reports"), VarType::List,
          QVariantList{QStringLiteral("月报.txt"), QStringLiteral("周报.txt")}},
         {QStringLiteral("found"), VarType::Bool, QVariant()}});

    window.addStep(QStringLiteral("file.exists"));
    PropertyPanel* panel = window.propertyPanel();
    auto line = [&](const char* name) {
        return qobject_cast<QLineEdit*>(panel->editor(panel->rowOf(QLatin1String(name))));
    };
    line("fileName")->setText(QStringLiteral("报告/月报.txt"));
    line("resultVar")->setText(QStringLiteral("found"));

    window.addStep(QStringLiteral("file.copy"));
    qobject_cast<QPlainTextEdit*>(panel->editor(panel->rowOf(QStringLiteral("files"))))
        ->setPlainText(QStringLiteral("报告/月报.txt\n$reports"));
    line("destDir")->setText(QStringLiteral("备份"));
    qobject_cast<QComboBox*>(panel->editor(panel->rowOf(QStringLiteral("ifExist"))))
        ->setCurrentIndex(2);
    line("listVar")->setText(QStringLiteral("copied"));
    if (host.prototype(QStringLiteral("file.delete")))
        window.addStep(QStringLiteral("file.delete"));
    window.selectStep(1);
    QCOMPARE(panel->operation()->typeId(), QStringLiteral("file.copy"));

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage image = window.grab().toImage();
    QVERIFY(!image.isNull());
    QVERIFY(QDir().mkpath(QStringLiteral(SCREENSHOT_DIR)));
    const QString path = QStringLiteral(SCREENSHOT_DIR "/stephost-gui.png");
    QVERIFY(image.save(path));
    qInfo("screenshot: %s", qPrintable(path));
}

QTEST_MAIN(tst_GuiScreenshot)
#include "tst_gui_screenshot.moc"

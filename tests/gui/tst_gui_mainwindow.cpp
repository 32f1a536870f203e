// The window: editing the flow list; a flow built, saved and opened again runs to the report
// `stephost run` gives for the file; and the README screenshot, written under the build folder.
#include "flowmodel.h"
#include "mainwindow.h"
#include "palettemodel.h"
#include "pluginhost.h"
#include "propertypanel.h"
#include "testsupport.h"
#include "variablesmodel.h"

#include <operation.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(FlowFormat)

class tst_GuiMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { QDir::setCurrent(m_previousDir); }
    void flowListAddsRemovesAndReorders();
    void savedFlowRunsAsStephostRunsIt_data();
    void savedFlowRunsAsStephostRunsIt();
    void screenshotWithACopyStep();

private:
    void typeInto(MainWindow& window, const char* property, const QString& text);
    PluginHost m_host;
    QTemporaryDir m_dir;
    QString m_previousDir;
};

void tst_GuiMainWindow::initTestCase()
{
    QString error;
    QVERIFY2(m_host.load(QStringLiteral(PLUGIN_PATH), &error), qPrintable(error));
    // Relative paths resolve against the working directory, in the window as in stephost.
    m_previousDir = QDir::currentPath();
    QVERIFY(m_dir.isValid() && QDir::setCurrent(m_dir.path()));
}

void tst_GuiMainWindow::typeInto(MainWindow& window, const char* property, const QString& text)
{
    PropertyPanel* panel = window.propertyPanel();
    auto* line = qobject_cast<QLineEdit*>(panel->editor(panel->rowOf(property)));
    QVERIFY2(line, property);
    line->clear();
    line->insert(text); // as typing does; keyClicks types ASCII only
}

void tst_GuiMainWindow::flowListAddsRemovesAndReorders()
{
    MainWindow window(m_host);
    FlowModel* flow = window.flowModel();
    QCOMPARE(window.addStep(QStringLiteral("file.none")), -1);
    for (const char* name : {"a", "b", "报告.txt"}) {
        window.addStep(QStringLiteral("file.exists"));
        typeInto(window, "fileName", QString::fromUtf8(name));
    }
    auto names = [&]() {
        QStringList result;
        for (int row = 0; row < flow->rowCount(); ++row)
            result.append(flow->step(row)->property("fileName").toString());
        return result.join(' ');
    };
    QCOMPARE(names(), QStringLiteral("a b 报告.txt"));
    // A row shows the step's text, and its description as the tool tip.
    QCOMPARE(flow->index(2).data().toString(), flow->step(2)->toString());
    QCOMPARE(flow->index(2).data(Qt::ToolTipRole).toString(), flow->step(2)->description());
    // A new step goes after the selected one and becomes the selected one.
    window.selectStep(0);
    QCOMPARE(window.addStep(QStringLiteral("file.exists")), 1);
    QCOMPARE(window.propertyPanel()->operation(), flow->step(1));
    flow->removeStep(1);
    QVERIFY(flow->moveStep(0, 2));
    QCOMPARE(names(), QStringLiteral("b 报告.txt a"));
    QVERIFY(!flow->moveStep(2, 3));
    // The panel lets go of the step on show before it is deleted, and shows the next one.
    window.selectStep(1);
    flow->removeStep(1);
    QCOMPARE(window.propertyPanel()->operation(), flow->step(window.selectedStep()));
    QCOMPARE(names(), QStringLiteral("b a"));
    QCOMPARE(flow->flowSteps().size(), 2);
}

void tst_GuiMainWindow::savedFlowRunsAsStephostRunsIt_data()
{
    QTest::addColumn<FlowFormat>("format");
    QTest::addColumn<QString>("file");
    QTest::newRow("json") << FlowFormat::Json << "flow.json";
    QTest::newRow("binary") << FlowFormat::Binary << "flow.stepflow";
}

void tst_GuiMainWindow::savedFlowRunsAsStephostRunsIt()
{
    QFETCH(FlowFormat, format);
    QFETCH(QString, file);
    QVERIFY(writeFile(QStringLiteral("present.txt"), "here"));
    MainWindow window(m_host);
    // One step of every palette type, named and drawn from its SVG icon (opaque in the middle).
    const QStandardItem* category = window.palette()->item(0);
    QCOMPARE(category->rowCount(), m_host.plugins().first().prototypes.size());
    for (int row = 0; row < category->rowCount(); ++row) {
        const QStandardItem* item = category->child(row);
        const Operation* prototype = m_host.prototype(PaletteModel::typeId(item->index()));
        QCOMPARE(item->text(), prototype->typeName());
        QCOMPARE(QColor(item->icon().pixmap(48, 48).toImage().pixel(24, 24)).alpha(), 255);
        QVERIFY(window.addStep(prototype->typeId()) >= 0);
    }
    // Then two existence checks with settings typed into the panel, and typed variables.
    for (const auto& [fileName, resultVar] :
         {std::pair{"present.txt", "found"}, {"$missing", "lost"}}) {
        window.addStep(QStringLiteral("file.exists"));
        typeInto(window, "fileName", QString::fromLatin1(fileName));
        typeInto(window, "resultVar", QString::fromLatin1(resultVar));
    }
    VariablesModel* variables = window.variablesModel();
    for (const QStringList& variable : QList<QStringList>{{"found", "bool", ""},
                                                          {"missing", "string", "nowhere.txt"},
                                                          {"files", "list", "[\"a\", \"b\"]"},
                                                          {"table", "datatable", "[[\"1\", 2]]"}}) {
        const int row = variables->addVariable();
        for (int column :
             {VariablesModel::NameColumn, VariablesModel::TypeColumn, VariablesModel::ValueColumn})
            QVERIFY(variables->setData(variables->index(row, column), variable.at(column)));
    }
    const Flow built = window.currentFlow();

    const QString path = m_dir.filePath(file);
    QCOMPARE(window.saveFlow(path, format), QString());
    QVERIFY(!window.isWindowModified());
    MainWindow reopened(m_host);
    QCOMPARE(reopened.openFlow(path), QString());
    const Flow read = reopened.currentFlow();
    QCOMPARE(read.steps.size(), built.steps.size());
    for (int i = 0; i < read.steps.size(); ++i) {
        QCOMPARE(read.steps.at(i).type, built.steps.at(i).type);
        QCOMPARE(read.steps.at(i).settings, built.steps.at(i).settings);
    }
    // The steps run on their own thread while the status bar names each in turn.
    QSignalSpy status(reopened.statusBar(), &QStatusBar::messageChanged);
    QVERIFY(reopened.runFlow());
    QStringList shown;
    for (const QList<QVariant>& message : qAsConst(status))
        shown.append(message.first().toString());
    QCOMPARE(shown.size(), read.steps.size() + 1);
    QVERIFY2(
        shown.first().startsWith(QStringLiteral("Running step 1 of %1: ").arg(read.steps.size())),
        qPrintable(shown.first()));
    QCOMPARE(shown.last(), QStringLiteral("Run finished"));
    const StephostResult stephost = runStephost(
        {QStringLiteral("--plugin"), QStringLiteral(PLUGIN_PATH), QStringLiteral("run"), path},
        m_dir.path());
    QCOMPARE(stephost.exitCode, 0);
    QCOMPARE(reopened.lastReport(), QString::fromUtf8(stephost.out));
    QCOMPARE(stephost.value("found"), QJsonValue(true));

    // A file that cannot be read names itself and the fault, and leaves the flow being edited.
    QVERIFY(writeFile(QStringLiteral("bad.json"),
                      R"({"steps": [{"type": "file.exists", "settings": {"nope": 1}}]})"));
    const QString error = reopened.openFlow(QStringLiteral("bad.json"));
    QVERIFY2(error.contains("bad.json") && error.contains("nope"), qPrintable(error));
    QCOMPARE(reopened.flowModel()->rowCount(), built.steps.size());
}

// The window offscreen with a copy step selected, its settings and list variables filled in.
void tst_GuiMainWindow::screenshotWithACopyStep()
{
    MainWindow window(m_host);
    window.resize(1280, 820);
    window.variablesModel()->setVariables(
        {{QStringLiteral("copied"), VarType::List, QVariant()},
         {QStringLiteral("reports"), VarType::List, QStringList{"月报.txt", "周报.txt"}}});
    for (const char* type : {"file.exists", "file.copy", "file.delete"})
        window.addStep(QString::fromLatin1(type));
    window.selectStep(1);
    PropertyPanel* panel = window.propertyPanel();
    QCOMPARE(panel->operation()->typeId(), QStringLiteral("file.copy"));
    qobject_cast<QPlainTextEdit*>(panel->editor(panel->rowOf("files")))
        ->setPlainText(QStringLiteral("报告/月报.txt\n$reports"));
    qobject_cast<QComboBox*>(panel->editor(panel->rowOf("ifExist")))->setCurrentIndex(2);
    typeInto(window, "destDir", QStringLiteral("备份"));
    typeInto(window, "listVar", QStringLiteral("copied"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage image = window.grab().toImage();
    QVERIFY(QDir().mkpath(QStringLiteral(SCREENSHOT_DIR)));
    const QString path = QStringLiteral(SCREENSHOT_DIR "/stephost-gui.png");
    QVERIFY(!image.isNull() && image.save(path));
    qInfo("screenshot: %s", qPrintable(path));
}

QTEST_MAIN(tst_GuiMainWindow)
#include "tst_gui_mainwindow.moc"

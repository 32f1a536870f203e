// The window as a whole: the palette, editing the flow list, and a flow built in the window that,
// saved and opened again, runs to the same report as `stephost run` gives for the same file.
#include "flowmodel.h"
#include "mainwindow.h"
#include "operationprops.h"
#include "palettemodel.h"
#include "pluginhost.h"
#include "propertypanel.h"
#include "testsupport.h"
#include "variablesmodel.h"

#include <ioperationplugin.h>
#include <operation.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(FlowFormat)

class tst_GuiMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { QDir::setCurrent(m_previousDir); }
    void paletteShowsEveryTypeInManifestOrderWithItsIcon();
    void flowListAddsRemovesAndReorders();
    void savedFlowRunsAsStephostRunsIt_data();
    void savedFlowRunsAsStephostRunsIt();
    void unreadableFlowKeepsTheFlowBeingEdited();

private:
    void typeInto(MainWindow& window, const QString& property, const QString& text);
    PluginHost m_host;
    QTemporaryDir m_dir;
    QString m_previousDir;
};

void tst_GuiMainWindow::initTestCase()
{
    QString error;
    QVERIFY2(m_host.load(QStringLiteral(PLUGIN_PATH), &error), qPrintable(error));
    // Relative paths in settings resolve against the working directory, in the window as in
    // stephost: the cases work in a folder of their own, with files of distinct names.
    m_previousDir = QDir::currentPath();
    QVERIFY(m_dir.isValid() && QDir::setCurrent(m_dir.path()));
}

void tst_GuiMainWindow::typeInto(MainWindow& window, const QString& property, const QString& text)
{
    PropertyPanel* panel = window.propertyPanel();
    const int row = panel->rowOf(property);
    QVERIFY2(row >= 0, qPrintable(property));
    auto* line = qobject_cast<QLineEdit*>(panel->editor(row));
    QVERIFY2(line, qPrintable(property));
    line->clear();
    line->insert(text); // as typing does; keyClicks types ASCII only
}

void tst_GuiMainWindow::paletteShowsEveryTypeInManifestOrderWithItsIcon()
{
    const PluginManifest manifest = m_host.plugins().first().plugin->manifest();
    QStringList expected;
    for (const Operation* prototype : m_host.plugins().first().prototypes)
        expected.append(prototype->typeId());
    std::stable_sort(expected.begin(), expected.end(), [&](const QString& a, const QString& b) {
        return manifest.typeOrder.value(a, INT_MAX) < manifest.typeOrder.value(b, INT_MAX);
    });
    PaletteModel palette(m_host);
    QCOMPARE(palette.typeIds(), expected);
    // One category, the one the manifest orders, holding every type.
    QCOMPARE(palette.rowCount(), 1);
    const QStandardItem* category = palette.item(0);
    QCOMPARE(category->text(), manifest.categoryOrder.firstKey());
    QCOMPARE(category->rowCount(), expected.size());
    for (int row = 0; row < category->rowCount(); ++row) {
        const QStandardItem* item = category->child(row);
        const Operation* prototype = m_host.prototype(expected.at(row));
        QCOMPARE(PaletteModel::typeId(item->index()), prototype->typeId());
        QCOMPARE(item->text(), prototype->typeName());
        // Drawn from the SVG: the page's light-blue fill shows in the middle of the icon.
        const QImage image = item->icon().pixmap(48, 48).toImage();
        QVERIFY2(!image.isNull(), qPrintable(prototype->icon()));
        QCOMPARE(QColor(image.pixel(24, 24)).alpha(), 255);
    }
}

void tst_GuiMainWindow::flowListAddsRemovesAndReorders()
{
    MainWindow window(m_host);
    FlowModel* flow = window.flowModel();
    const QString type = QStringLiteral("file.exists");
    QCOMPARE(window.addStep(QStringLiteral("file.none")), -1);
    for (const char* name : {"a", "b", "报告.txt"}) {
        window.addStep(type);
        typeInto(window, QStringLiteral("fileName"), QString::fromUtf8(name));
    }
    auto names = [&]() {
        QStringList result;
        for (int row = 0; row < flow->rowCount(); ++row)
            result.append(flow->step(row)->property("fileName").toString());
        return result.join(' ');
    };
    QCOMPARE(names(), QStringLiteral("a b 报告.txt"));
    // A row shows the step's text, and its description as the tool tip.
    const QModelIndex index = flow->index(2);
    QCOMPARE(index.data().toString(), flow->step(2)->toString());
    QCOMPARE(index.data(Qt::ToolTipRole).toString(), flow->step(2)->description());
    QVERIFY(flow->step(2)->toString().contains(QStringLiteral("报告.txt")));
    // A new step goes after the selected one and becomes the selected one.
    window.selectStep(0);
    QCOMPARE(window.addStep(type), 1);
    QCOMPARE(window.propertyPanel()->operation(), flow->step(1));
    flow->removeStep(1);
    QVERIFY(flow->moveStep(0, 2));
    QCOMPARE(names(), QStringLiteral("b 报告.txt a"));
    QVERIFY(flow->moveStep(2, 0));
    QCOMPARE(names(), QStringLiteral("a b 报告.txt"));
    QVERIFY(!flow->moveStep(2, 3));
    // The panel lets go of the step on show before it is deleted, and shows the next one.
    window.selectStep(1);
    flow->removeStep(1);
    QCOMPARE(window.propertyPanel()->operation(), flow->step(window.selectedStep()));
    QCOMPARE(names(), QStringLiteral("a 报告.txt"));
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
    // One step of every type as the palette adds it (their empty settings log warnings), then
    // two existence checks with settings typed into the panel.
    for (const QString& type : window.palette()->typeIds())
        QVERIFY(window.addStep(type) >= 0);
    for (const auto& [fileName, resultVar] :
         {std::pair{"present.txt", "found"}, {"$missing", "lost"}}) {
        window.addStep(QStringLiteral("file.exists"));
        typeInto(window, QStringLiteral("fileName"), QString::fromLatin1(fileName));
        typeInto(window, QStringLiteral("resultVar"), QString::fromLatin1(resultVar));
    }
    VariablesModel* variables = window.variablesModel();
    const QList<QStringList> declared = {{"found", "bool", ""},
                                         {"missing", "string", "nowhere.txt"},
                                         {"files", "list", "[\"a\", \"b\"]"},
                                         {"table", "datatable", "[[\"1\", 2]]"}};
    for (const QStringList& variable : declared) {
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
    QVERIFY(reopened.runFlow());

    const StephostResult stephost = runStephost(
        {QStringLiteral("--plugin"), QStringLiteral(PLUGIN_PATH), QStringLiteral("run"), path},
        m_dir.path());
    QCOMPARE(stephost.exitCode, 0);
    QCOMPARE(reopened.lastReport(), QString::fromUtf8(stephost.out));

    // The panels show what the report holds.
    const QJsonObject report = stephost.report();
    QStringList log;
    for (const QJsonValue& line : report.value(QStringLiteral("log")).toArray())
        log.append(line.toString());
    QCOMPARE(reopened.logView()->toPlainText(), log.join(QLatin1Char('\n')));
    const QJsonObject reported = report.value(QStringLiteral("variables")).toObject();
    QTableWidget* results = reopened.resultView();
    QCOMPARE(results->rowCount(), reported.size());
    for (int row = 0; row < results->rowCount(); ++row) {
        const QJsonObject entry = reported.value(results->item(row, 0)->text()).toObject();
        QCOMPARE(results->item(row, 1)->text(), entry.value(QStringLiteral("type")).toString());
        QCOMPARE(results->item(row, 2)->text(), entry.value(QStringLiteral("qt")).toString());
    }
    QCOMPARE(reported.value(QStringLiteral("found")).toObject().value("value"), QJsonValue(true));
}

void tst_GuiMainWindow::unreadableFlowKeepsTheFlowBeingEdited()
{
    MainWindow window(m_host);
    window.addStep(QStringLiteral("file.exists"));
    QVERIFY(writeFile(QStringLiteral("bad.json"),
                      R"({"steps": [{"type": "file.exists", "settings": {"nope": 1}}]})"));
    const QString error = window.openFlow(QStringLiteral("bad.json"));
    QVERIFY2(error.contains(QStringLiteral("bad.json")), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("nope")), qPrintable(error));
    QCOMPARE(window.flowModel()->rowCount(), 1);
    QVERIFY(window.isWindowModified());
}

QTEST_MAIN(tst_GuiMainWindow)
#include "tst_gui_mainwindow.moc"

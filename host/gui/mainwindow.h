#pragma once

#include "flow.h"
#include "flowio.h"

#include <QMainWindow>

#include <string>

class FlowModel;
class PaletteModel;
class PluginHost;
class PropertyPanel;
class QListView;
class QPlainTextEdit;
class QTableWidget;
class QTreeView;
class VariablesModel;
struct RunResult;

// The desktop host: the palette of step types, the flow's steps, the selected step's settings,
// the flow's variables, and the log and variables of the last run. The flow code is stephost's.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(const PluginHost& host, QWidget* parent = nullptr);
    ~MainWindow() override;

    PaletteModel* palette() const { return m_palette; }
    FlowModel* flowModel() const { return m_flow; }
    VariablesModel* variablesModel() const { return m_variables; }
    PropertyPanel* propertyPanel() const { return m_properties; }
    QTreeView* paletteView() const { return m_paletteView; }
    QListView* flowView() const { return m_flowView; }
    QPlainTextEdit* logView() const { return m_log; }
    QTableWidget* resultView() const { return m_results; }

    // Adds a step of the type after the selected one (at the end when none is) and selects it;
    // returns its row, or -1 for an unknown type.
    int addStep(const QString& type);
    void selectStep(int row);
    int selectedStep() const;

    // The flow as it stands: the declared variables and the steps.
    Flow currentFlow() const;
    // Replaces the flow being edited by the one in the file; an error message, empty on success
    // (the flow being edited is kept on error).
    QString openFlow(const QString& path);
    // An error message, empty on success.
    QString saveFlow(const QString& path, FlowFormat format);
    // Runs the flow with stephost's runner on a thread of its own, showing the running step in
    // the status bar, then shows its log and variables; false when the flow could not run (the
    // reason is in the log) or a run is already going on.
    bool runFlow();
    // The report of the last run as `stephost run` prints it; empty before a run.
    QString lastReport() const { return m_lastReport; }
    // Lines the host adds to the log panel (plug-ins left out, flow errors).
    void appendLogLine(const QString& line);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildActions();
    QWidget* buildPalettePane();
    QWidget* buildFlowPane();
    QWidget* buildBottomPane();
    void showRunResult(const RunResult& result);
    void newFlow();
    void openFlowFromDialog();
    bool saveFlowToCurrentFile();
    bool saveFlowFromDialog();
    bool confirmDiscard();
    void addSelectedPaletteType();
    void removeSelectedStep();
    void moveSelectedStep(int offset);
    void showSelectedStep();
    void setModified(bool modified);
    void updateTitle();

    const PluginHost& m_host;
    PaletteModel* m_palette;
    FlowModel* m_flow;
    VariablesModel* m_variables;
    PropertyPanel* m_properties = nullptr;
    QTreeView* m_paletteView = nullptr;
    QListView* m_flowView = nullptr;
    QPlainTextEdit* m_log = nullptr;
    QTableWidget* m_results = nullptr;
    QString m_path;
    bool m_modified = false;
    bool m_running = false;
    QString m_lastReport;
};

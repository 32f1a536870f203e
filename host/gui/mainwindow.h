// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "flow.h"
#include "flowhistory.h"
#include "flowio.h"
#include "planscheduler.h"
#include "runjournals.h"

#include <QMainWindow>
#include <QMessageBox>

#include <functional>
#include <string>

class FlowModel;
class FlowView;
class PaletteModel;
class PluginHost;
class PreviewPanel;
class PropertyPanel;
class RunJob;
class RunProgress;
class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class RunOutcome;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QTableWidget;
class QTreeView;
class QUndoStack;
class VariablesModel;
class WorkingFolderBar;
class VariablesPanel;
struct RunChange;
struct RunResult;

// The desktop host: the palette of step types, the flow's steps, the selected step's settings,
// the flow's variables, and the log and variables of the last run. The flow code is stephost's.
// Every edit can be undone; relative paths resolve in the working folder shown in the status bar.
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
    FlowView* flowView() const { return m_flowView; }
    QPlainTextEdit* logView() const { return m_log; }
    QTableWidget* resultView() const { return m_results; }
    WorkingFolderBar* workingFolderBar() const { return m_folderBar; }
    // The flow's name at the top of the flow: its file's name, or that of an untitled flow.
    QLabel* flowNameLabel() const { return m_flowName; }
    // The flow's note, under its name, kept in its file.
    QLineEdit* commentEdit() const { return m_comment; }
    // What the last run changed, one line per change.
    QListWidget* changesView() const { return m_changes; }
    QTabWidget* bottomTabs() const { return m_bottomTabs; }
    PreviewPanel* previewPanel() const { return m_preview; }
    QUndoStack* history() const { return m_history; }
    QAction* stopAction() const { return m_stop; }
    RunProgress* runProgress() const { return m_progress; }
    // The run going on; null when none is.
    RunJob* runJob() const { return m_job; }
    QAction* undoRunAction() const { return m_undoRun; }
    QAction* journalingAction() const { return m_journaling; }
    const RunJournals& runJournals() const { return m_journals; }

    // Adds a step of the type after the selected one (at the end when none is) and selects it;
    // returns its row, or -1 for an unknown type.
    int addStep(const QString& type);
    // Inserts a step of the type at row (the row count appends) and selects it; -1 for an
    // unknown type.
    int insertStep(const QString& type, int row);
    void removeStep(int row);
    void selectStep(int row);
    int selectedStep() const;

    // Where the window's runs resolve relative paths and where browsing starts: the folder of
    // the flow file once it is opened or saved, the folder the window was started from for a new
    // flow (the home folder when that is the root), or the folder the user chose. Shown at the
    // top of the flow, with a notice when the files the flow starts from are not in it.
    QString workingFolder() const { return m_workingFolder; }
    void setWorkingFolder(const QString& folder);

    // The flow as it stands: the declared variables and the steps.
    Flow currentFlow() const;
    // Replaces the flow being edited by the one in the file; an error message, empty on success
    // (the flow being edited is kept on error).
    QString openFlow(const QString& path);
    // An error message, empty on success.
    QString saveFlow(const QString& path, FlowFormat format);
    // Starts a run of the flow with stephost's runner on a thread of its own in the working
    // folder and returns: the status bar shows the running step and how far it is, the flow, log,
    // variables and preview can be looked at meanwhile, editing waits; at the end the window
    // shows the run's log and variables and emits runFinished. False when no run started: the
    // user chose not to run a flow with marked settings, whose plan shows conflicts or that
    // replaces files with no journal kept, the working folder cannot be entered (the reason is in
    // the log), or a run is going on.
    bool startRun();
    // The step under way stops as soon as it can and no other starts; the status bar says so at
    // once.
    void stopRun();
    // The report of the last run as `stephost run` prints it; empty before a run.
    QString lastReport() const { return m_lastReport; }
    // Takes back the newest run of this flow file in this working folder that is not taken back
    // yet, once the user has seen whose run it is, what it will restore and what it will leave;
    // false when there is none, a run is going on or the user chose not to.
    bool undoLastRun();
    // Lines the host adds to the log panel (plug-ins left out, flow errors).
    void appendLogLine(const QString& line);

signals:
    // A run starts: `job` is about to start.
    void runStarted(RunJob* job);
    // The run is over and shown; `ran` is false when the flow could not run.
    void runFinished(bool ran);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildActions();
    QWidget* buildFlowHeader();
    void showStartFilesNotice();
    bool confirmWorkingFolder();
    void chooseWorkingFolder();
    void useFolderOf(const QString& path);
    // Yes or No to a question before a run; No unless said otherwise.
    bool askBeforeRun(const QString& question,
                      QMessageBox::StandardButton byDefault = QMessageBox::No);
    bool confirmRunWithMarks();
    bool confirmRunWithConflicts();
    bool confirmRunReplacing();
    void showRunStep(int index, int count, const QString& typeName);
    void finishRun(bool ran);
    void showRunRefused(const QString& reason);
    bool confirmStopAndClose();
    QList<RunChange> runChanges(const RunJob& job) const;
    void setRunning(bool running);
    void lockEditing(bool locked);
    void buildRunJournalActions(QMenu* editMenu, QMenu* runMenu);
    QString journalFolderFor(const Flow& flow);
    void finishJournal(const QString& folder);
    void updateUndoRunAction();
    RunOwner runOwner() const;
    void giveUndoKeyTo(QWidget* focused);
    void whileBusy(const std::function<void()>& work);
    void showRunFeedback(const RunResult& result, const RunOutcome& outcome);
    void clearLastRun();
    FlowSnapshot snapshot() const;
    void recordChange(const QString& text, const QString& mergeKey = QString());
    void recordStepEdit(const QString& text, int selectedBefore);
    void restore(const FlowSnapshot& state);
    void showFlow(const Flow& flow);
    void startHistory();
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
    void moveSelectedStep(int offset);
    void showSelectedStep();
    void updateTitle();

    const PluginHost& m_host;
    PaletteModel* m_palette;
    FlowModel* m_flow;
    VariablesModel* m_variables;
    PropertyPanel* m_properties = nullptr;
    QTreeView* m_paletteView = nullptr;
    QWidget* m_palettePane = nullptr;
    QList<QWidget*> m_flowButtons;
    VariablesPanel* m_variablesPanel = nullptr;
    FlowView* m_flowView = nullptr;
    QPlainTextEdit* m_log = nullptr;
    QTableWidget* m_results = nullptr;
    QListWidget* m_changes = nullptr;
    QTabWidget* m_bottomTabs = nullptr;
    PreviewPanel* m_preview = nullptr;
    WorkingFolderBar* m_folderBar = nullptr;
    PlanOutcome m_runPlanned; // the plan the run under way started from
    QString m_undoableBefore; // the flow's last run to undo before it
    QLineEdit* m_comment = nullptr;
    QLabel* m_flowName = nullptr;
    QMenu* m_runMenu = nullptr;
    QUndoStack* m_history;
    FlowSnapshot m_shown;     // the flow as the last change left it
    bool m_restoring = false; // an undo or redo is putting a snapshot back
    QAction* m_stop = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    RunJournals m_journals;
    QAction* m_undoRun = nullptr;
    QAction* m_journaling = nullptr;
    QList<QAction*> m_editActions; // what a run locks
    QString m_path;
    QString m_workingFolder;
    bool m_folderChosen = false; // the user picked it; saving does not move it
    bool m_running = false;
    RunJob* m_job = nullptr;
    bool m_closeAfterRun = false; // the user chose to stop the run and close
    QString m_runJournal;         // where the run going on keeps its journal; empty for none
    RunProgress* m_progress = nullptr;
    QString m_lastReport;
};

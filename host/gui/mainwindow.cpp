// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "mainwindow.h"

#include "enterablefolder.h"
#include "flowcheck.h"
#include "flowfile.h"
#include "flowmodel.h"
#include "flowview.h"
#include "journalrun.h"
#include "offthread.h"
#include "palettemodel.h"
#include "pluginhost.h"
#include "previewpanel.h"
#include "propertypanel.h"
#include "report.h"
#include "runjob.h"
#include "runner.h"
#include "runoutcome.h"
#include "runprogress.h"
#include "shownreason.h"
#include "steplog.h"
#include "undorundialog.h"
#include "variablesmodel.h"
#include "variablespanel.h"
#include "workingfolderbar.h"

#include <operation.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUndoStack>
#include <QVBoxLayout>

#include <memory>

namespace
{

const char jsonFilter[] = QT_TRANSLATE_NOOP("MainWindow", "JSON flow (*.json)");
const char binaryFilter[] = QT_TRANSLATE_NOOP("MainWindow", "Binary flow (*.stepflow)");

// A big table would make the results table crawl; the whole value is in the report.
const int shownValueLength = 2000;

// The folder a new flow's relative paths resolve in: the one the window was started from, which
// exists; the root, where a desktop starts programs, is nobody's working folder.
QString& launchFolder()
{
    static QString folder;
    return folder;
}

void rememberLaunchFolder()
{
    launchFolder() = QDir::currentPath();
}
// Taken as the application starts, before anything can change the current folder.
// cppcheck-suppress unknownMacro ; Qt's own, run by QCoreApplication's constructor
Q_COREAPP_STARTUP_FUNCTION(rememberLaunchFolder)

QString startFolder()
{
    const QString& folder = launchFolder();
    return folder.isEmpty() || QDir(folder).isRoot() ? QDir::homePath() : folder;
}

QWidget* titledPane(const QString& title, QWidget* content, QLayout* buttons = nullptr)
{
    auto* pane = new QWidget;
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* label = new QLabel(title, pane);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    layout->addWidget(label);
    layout->addWidget(content, 1);
    if (buttons)
        layout->addLayout(buttons);
    return pane;
}

} // namespace

MainWindow::MainWindow(const PluginHost& host, QWidget* parent)
    : QMainWindow(parent), m_host(host), m_palette(new PaletteModel(host, this)),
      m_flow(new FlowModel(host, this)), m_variables(new VariablesModel(this)),
      m_history(new QUndoStack(this))
{
    m_properties = new PropertyPanel;
    m_properties->setVariables(m_variables);
    m_flow->setVariables(m_variables);
    auto* propertyScroll = new QScrollArea;
    propertyScroll->setObjectName(QStringLiteral("propertyScroll"));
    propertyScroll->setWidget(m_properties);
    propertyScroll->setWidgetResizable(true);
    propertyScroll->setFrameShape(QFrame::NoFrame);

    auto* top = new QSplitter(Qt::Horizontal);
    top->addWidget(buildPalettePane());
    top->addWidget(buildFlowPane());
    top->addWidget(titledPane(tr("Properties"), propertyScroll));
    top->setStretchFactor(0, 2);
    top->setStretchFactor(1, 3);
    top->setStretchFactor(2, 4);
    // The step names are short; the flow's one-line summaries are long, in every language.
    top->setSizes({240, 580, 460});

    auto* main = new QSplitter(Qt::Vertical);
    main->addWidget(top);
    main->addWidget(buildBottomPane());
    main->setStretchFactor(0, 3);
    main->setStretchFactor(1, 1);
    setCentralWidget(main);
    buildActions();
    m_progress = new RunProgress;
    m_progress->hide();
    statusBar()->addPermanentWidget(m_progress);

    connect(m_properties, &PropertyPanel::settingChanged, this, [this](const QString& name) {
        const int row = m_flow->rowOf(m_properties->operation());
        m_flow->stepsChanged();
        recordChange(tr("Change setting"), QStringLiteral("%1 %2").arg(row).arg(name));
    });
    // The panel lets go of a step before the model deletes it.
    connect(m_flow, &QAbstractItemModel::modelAboutToBeReset, this,
            [this]() { m_properties->setOperation(nullptr); });
    connect(m_flow, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                const int row = m_flow->rowOf(m_properties->operation());
                if (row >= first && row <= last)
                    m_properties->setOperation(nullptr);
            });
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_variables, signal, this, [this]() {
            m_flow->stepsChanged();
            recordChange(tr("Edit variables"));
        });
    connect(m_variables, &QAbstractItemModel::dataChanged, this, [this]() {
        m_flow->stepsChanged();
        recordChange(tr("Edit variables"));
    });
    connect(m_history, &QUndoStack::cleanChanged, this, &MainWindow::updateTitle);
    // Every edit, undo and flow opened moves the history.
    connect(m_history, &QUndoStack::indexChanged, m_preview, &PreviewPanel::scheduleUpdate);
    connect(m_history, &QUndoStack::indexChanged, this, &MainWindow::showStartFilesNotice);
    // What the plan shows of a step is marked on it while the flow is edited.
    connect(m_preview->scheduler(), &PlanScheduler::planned, m_flow,
            [this](const PlanOutcome& outcome) {
                m_flow->setPlanProblems(FlowCheck::planProblems(outcome.plan));
            });

    resize(1280, 800);
    setWorkingFolder(startFolder());
    startHistory();
}

MainWindow::~MainWindow()
{
    // The panel holds a step the flow model deletes.
    m_properties->setOperation(nullptr);
    // A stack going away with its commands says it is clean; the window must not hear that
    // once it is only a QWidget being taken down.
    m_history->disconnect(this);
}

QWidget* MainWindow::buildPalettePane()
{
    m_paletteView = new QTreeView;
    m_paletteView->setModel(m_palette);
    m_paletteView->setHeaderHidden(true);
    m_paletteView->setIconSize(QSize(24, 24));
    m_paletteView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_paletteView->setDragDropMode(QAbstractItemView::DragOnly);
    m_paletteView->expandAll();
    // The first type is ready to be added, not its category.
    m_paletteView->setCurrentIndex(m_palette->index(0, 0, m_palette->index(0, 0)));
    connect(m_paletteView, &QTreeView::activated, this, &MainWindow::addSelectedPaletteType);

    auto* add = new QPushButton(tr("Add to flow"));
    connect(add, &QPushButton::clicked, this, &MainWindow::addSelectedPaletteType);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addStretch();
    m_palettePane = titledPane(tr("Steps"), m_paletteView, buttons);
    return m_palettePane;
}

QWidget* MainWindow::buildFlowPane()
{
    m_flowView = new FlowView;
    m_flowView->setModel(m_flow);
    m_flowView->setIconSize(QSize(20, 20));
    m_flowView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_flowView->setTextElideMode(Qt::ElideMiddle);
    connect(m_flowView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MainWindow::showSelectedStep);
    connect(m_flowView, &FlowView::typeDropped, this, &MainWindow::insertStep);
    connect(m_flowView, &FlowView::stepDropped, this, [this](int from, int row) {
        // The step leaves its row first: dropping below it lands one row higher.
        const int to = row > from ? row - 1 : row;
        if (!m_running && m_flow->moveStep(from, to)) {
            selectStep(to);
            recordStepEdit(tr("Move step"), from);
        }
    });

    auto* remove = new QPushButton(tr("Remove"));
    auto* up = new QPushButton(tr("Up"));
    auto* down = new QPushButton(tr("Down"));
    remove->setShortcut(QKeySequence::Delete);
    connect(remove, &QPushButton::clicked, this, [this]() { removeStep(selectedStep()); });
    connect(up, &QPushButton::clicked, this, [this]() { moveSelectedStep(-1); });
    connect(down, &QPushButton::clicked, this, [this]() { moveSelectedStep(1); });
    m_flowButtons = {remove, up, down};
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(remove);
    buttons->addWidget(up);
    buttons->addWidget(down);
    buttons->addStretch();
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buildFlowHeader());
    layout->addWidget(m_flowView, 1);
    return titledPane(tr("Flow"), content, buttons);
}

QWidget* MainWindow::buildBottomPane()
{
    m_log = new QPlainTextEdit;
    m_log->setReadOnly(true);
    m_log->setPlaceholderText(tr("Warnings of the last run"));
    m_results = new QTableWidget(0, 3);
    m_results->setHorizontalHeaderLabels({tr("Name"), tr("Type"), tr("Value")});
    m_results->horizontalHeader()->setStretchLastSection(true);
    m_results->verticalHeader()->hide();
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_changes = new QListWidget;
    m_changes->setUniformItemSizes(true);
    m_changes->setTextElideMode(Qt::ElideMiddle);

    auto* run = new QSplitter(Qt::Horizontal);
    run->addWidget(titledPane(tr("Result of this run"), m_changes));
    run->addWidget(titledPane(tr("Log"), m_log));
    run->addWidget(titledPane(tr("Variables after the run"), m_results));

    m_bottomTabs = new QTabWidget;
    m_variablesPanel = new VariablesPanel(m_variables);
    m_bottomTabs->addTab(m_variablesPanel, tr("Variables"));
    m_bottomTabs->addTab(run, tr("Last run"));
    m_preview = new PreviewPanel(m_host, [this]() { return currentFlow(); });
    m_bottomTabs->addTab(m_preview, tr("Preview"));
    return m_bottomTabs;
}

QWidget* MainWindow::buildFlowHeader()
{
    m_folderBar = new WorkingFolderBar;
    connect(m_folderBar, &WorkingFolderBar::changeRequested, this,
            &MainWindow::chooseWorkingFolder);
    m_comment = new QLineEdit;
    m_comment->setPlaceholderText(tr("A note on the flow: what it does, where to run it"));
    m_comment->setToolTip(tr("Kept in the flow file"));
    connect(m_comment, &QLineEdit::textEdited, this,
            [this]() { recordChange(tr("Edit note"), QStringLiteral("comment")); });
    // The flow's name, and under it what its author says of it, above the folder it acts on.
    m_flowName = new QLabel;
    m_flowName->setObjectName(QStringLiteral("flowName"));
    m_flowName->setTextFormat(Qt::PlainText);
    m_flowName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont font = m_flowName->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.15);
    m_flowName->setFont(font);
    m_flowName->setBuddy(m_comment);
    auto* header = new QWidget;
    auto* layout = new QVBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_flowName);
    layout->addWidget(m_comment);
    layout->addWidget(m_folderBar);
    return header;
}

void MainWindow::buildActions()
{
    QToolBar* toolbar = addToolBar(tr("Flow"));
    toolbar->setObjectName(QStringLiteral("flowToolBar"));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QMenu* fileMenu = menuBar()->addMenu(tr("&File"));
    QMenu* editMenu = menuBar()->addMenu(tr("&Edit"));
    QMenu* runMenu = m_runMenu = menuBar()->addMenu(tr("&Run"));
    struct ActionSpec {
        QMenu* menu;
        QStyle::StandardPixmap icon;
        QString text;
        QKeySequence keys;
        std::function<void()> slot;
    };
    const ActionSpec actions[] = {
        {fileMenu, QStyle::SP_FileIcon, tr("New"), QKeySequence::New, [this]() { newFlow(); }},
        {fileMenu, QStyle::SP_DialogOpenButton, tr("Open…"), QKeySequence::Open,
         [this]() { openFlowFromDialog(); }},
        {fileMenu, QStyle::SP_DialogSaveButton, tr("Save"), QKeySequence::Save,
         [this]() { saveFlowToCurrentFile(); }},
        {fileMenu, QStyle::SP_DialogSaveButton, tr("Save as…"), QKeySequence::SaveAs,
         [this]() { saveFlowFromDialog(); }},
        {runMenu, QStyle::SP_MediaPlay, tr("Run"), QKeySequence(Qt::Key_F5),
         [this]() { startRun(); }},
        {runMenu, QStyle::SP_FileDialogContentsView, tr("Preview"), QKeySequence(Qt::Key_F6),
         [this]() {
             m_bottomTabs->setCurrentWidget(m_preview);
             m_preview->updateNow();
         }},
        {runMenu, QStyle::SP_MediaStop, tr("Stop"), QKeySequence(Qt::SHIFT | Qt::Key_F5),
         [this]() { stopRun(); }},
    };
    for (const ActionSpec& desc : actions) {
        QAction* action = toolbar->addAction(style()->standardIcon(desc.icon), desc.text);
        action->setShortcut(desc.keys);
        desc.menu->addAction(action);
        connect(action, &QAction::triggered, this, desc.slot);
        m_editActions.append(action);
    }
    m_stop = m_editActions.takeLast();
    m_stop->setToolTip(tr("Stop the run: the step under way stops as soon as it can"));
    m_stop->setEnabled(false);

    m_undo = m_history->createUndoAction(this, tr("Undo"));
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo = m_history->createRedoAction(this, tr("Redo"));
    m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence::Redo});
    editMenu->addAction(m_undo);
    editMenu->addAction(m_redo);
    buildRunJournalActions(editMenu, runMenu);
}

int MainWindow::addStep(const QString& type)
{
    const int selected = selectedStep();
    return insertStep(type, selected < 0 ? -1 : selected + 1);
}

int MainWindow::insertStep(const QString& type, int row)
{
    if (m_running)
        return -1;
    const int selected = selectedStep();
    row = m_flow->addStep(type, row);
    if (row < 0)
        return row;
    selectStep(row);
    recordStepEdit(tr("Add %1").arg(m_flow->step(row)->typeName()), selected);
    return row;
}

void MainWindow::removeStep(int row)
{
    const Operation* step = m_flow->step(row);
    if (!step)
        return;
    const QString text = tr("Remove %1").arg(step->typeName());
    m_flow->removeStep(row);
    if (m_flow->rowCount() > 0)
        selectStep(qMin(row, m_flow->rowCount() - 1));
    recordStepEdit(text, row);
}

void MainWindow::selectStep(int row)
{
    m_flowView->setCurrentIndex(m_flow->index(row));
}

int MainWindow::selectedStep() const
{
    const QModelIndex current = m_flowView->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void MainWindow::setWorkingFolder(const QString& folder)
{
    m_workingFolder = QDir::cleanPath(QDir(folder).absolutePath());
    m_properties->setWorkingFolder(m_workingFolder);
    m_preview->setWorkingFolder(m_workingFolder);
    m_folderBar->setFolder(m_workingFolder);
    showStartFilesNotice();
    updateUndoRunAction();
}

void MainWindow::chooseWorkingFolder()
{
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Working folder"), m_workingFolder);
    if (folder.isEmpty())
        return;
    setWorkingFolder(folder);
    m_folderChosen = true;
}

void MainWindow::useFolderOf(const QString& path)
{
    setWorkingFolder(QFileInfo(path).absolutePath());
    m_folderChosen = false;
}

Flow MainWindow::currentFlow() const
{
    return {m_variables->variables(), m_flow->flowSteps(), m_comment->text()};
}

void MainWindow::showStartFilesNotice()
{
    QList<const Operation*> steps;
    for (int row = 0; row < m_flow->rowCount(); ++row)
        steps.append(m_flow->step(row));
    m_folderBar->setMissingPaths(FlowCheck::missingStartFiles(steps, m_workingFolder));
}

bool MainWindow::confirmWorkingFolder()
{
    if (QFileInfo(m_workingFolder).isDir())
        return true;
    if (!askBeforeRun(tr("The working folder %1 does not exist. Make it and run the flow there?")
                          .arg(QDir::toNativeSeparators(m_workingFolder)),
                      QMessageBox::Yes))
        return false;
    if (QDir().mkpath(m_workingFolder))
        return true;
    QMessageBox::warning(
        this, tr("Run flow"),
        tr("The working folder %1 cannot be made.").arg(QDir::toNativeSeparators(m_workingFolder)));
    return false;
}

FlowSnapshot MainWindow::snapshot() const
{
    return {currentFlow(), selectedStep()};
}

void MainWindow::recordChange(const QString& text, const QString& mergeKey)
{
    if (m_restoring)
        return;
    FlowSnapshot now = snapshot();
    m_history->push(new FlowChange(
        text, m_shown, now, [this](const FlowSnapshot& state) { restore(state); }, mergeKey));
    m_shown = std::move(now);
}

void MainWindow::recordStepEdit(const QString& text, int selectedBefore)
{
    // The selection moved with the edit; undoing it selects what was selected before.
    m_shown.selectedStep = selectedBefore;
    recordChange(text);
}

void MainWindow::restore(const FlowSnapshot& state)
{
    showFlow(state.flow);
    m_restoring = true;
    selectStep(state.selectedStep);
    m_restoring = false;
    m_shown = state;
}

void MainWindow::showFlow(const Flow& flow)
{
    // Replacing the flow is no edit of it.
    m_restoring = true;
    m_flow->setFlowSteps(flow.steps);
    m_variables->setVariables(flow.variables);
    if (m_comment->text() != flow.comment)
        m_comment->setText(flow.comment);
    m_restoring = false;
}

void MainWindow::startHistory()
{
    m_history->clear();
    m_shown = snapshot();
    updateTitle();
}

QString MainWindow::openFlow(const QString& path)
{
    Flow flow;
    try {
        flow = readFlowFile(path, m_host);
    } catch (const FlowError& error) {
        return QStringLiteral("%1: %2").arg(path).arg(error.message);
    }
    showFlow(flow);
    // Whole, so that it names the same file wherever the current folder is.
    m_path = QFileInfo(path).absoluteFilePath();
    useFolderOf(path);
    clearLastRun();
    if (!flow.steps.isEmpty())
        selectStep(0);
    startHistory();
    return QString();
}

QString MainWindow::saveFlow(const QString& path, FlowFormat format)
{
    try {
        saveFlowFile(path, currentFlow(), format, m_host);
    } catch (const FlowError& error) {
        return error.message;
    }
    // Whole, so that it names the same file wherever the current folder is.
    m_path = QFileInfo(path).absoluteFilePath();
    if (!m_folderChosen)
        useFolderOf(path);
    m_history->setClean();
    updateTitle();
    return QString();
}

bool MainWindow::askBeforeRun(const QString& question, QMessageBox::StandardButton byDefault)
{
    return QMessageBox::question(this, tr("Run flow"), question, QMessageBox::Yes | QMessageBox::No,
                                 byDefault) == QMessageBox::Yes;
}

bool MainWindow::confirmRunWithMarks()
{
    int marked = 0;
    for (int row = 0; row < m_flow->rowCount(); ++row)
        marked += m_flow->problems(row).isEmpty() ? 0 : 1;
    if (marked == 0)
        return true;
    return askBeforeRun(tr("%n step(s) have settings marked as not working as meant. Run anyway?",
                           nullptr, marked));
}

bool MainWindow::confirmRunWithConflicts()
{
    if (!m_preview->awaitCurrentPlan())
        return false;
    const int conflicts = m_preview->conflictCount();
    if (conflicts == 0)
        return true;
    m_bottomTabs->setCurrentWidget(m_preview);
    return askBeforeRun(
        tr("The plan shows %n conflict(s): changes that replace files the flow still uses, or "
           "that will fail. Run anyway?",
           nullptr, conflicts));
}

bool MainWindow::confirmRunReplacing()
{
    const int replaces = m_preview->replaceCount();
    if (replaces == 0 || m_journaling->isChecked())
        return true;
    m_bottomTabs->setCurrentWidget(m_preview);
    return askBeforeRun(
        tr("The flow replaces %n file(s) that are there now, and no journal is kept to undo the "
           "run. Run anyway?",
           nullptr, replaces));
}

bool MainWindow::startRun()
{
    if (m_running || !confirmWorkingFolder() || !confirmRunWithMarks() ||
        !confirmRunWithConflicts() || !confirmRunReplacing() || !m_preview->holdPlans())
        return false;
    m_runPlanned = m_preview->outcome();
    m_undoableBefore = m_journals.lastUndoable(runOwner());
    clearLastRun();
    const QString folderError = folderEntryError(m_workingFolder);
    if (!folderError.isEmpty()) {
        m_preview->releasePlans();
        showRunRefused(folderError);
        return false;
    }
    const Flow flow = currentFlow();
    m_runJournal = journalFolderFor(flow);
    m_job = new RunJob(RunJob::flowRun(m_host, flow, m_workingFolder, m_runJournal), this);
    m_job->setJournalFolder(m_runJournal);
    connect(m_job, &RunJob::stepStarted, this, &MainWindow::showRunStep);
    connect(m_job, &RunJob::progress, m_progress,
            [this](int, int, const FileProgress& progress, qint64 elapsedMs) {
                m_progress->showProgress(progress, elapsedMs);
            });
    connect(m_job, &RunJob::stopping, this, [this] {
        statusBar()->showMessage(tr("Stopping…"));
        m_stop->setEnabled(false);
    });
    connect(m_job, &RunJob::finished, this, &MainWindow::finishRun);
    setRunning(true);
    emit runStarted(m_job);
    m_job->start();
    return true;
}

void MainWindow::showRunStep(int index, int count, const QString& typeName)
{
    m_progress->startStep();
    // "Stopping…" stays until the run is over.
    if (m_job->isStopRequested())
        return;
    statusBar()->showMessage(
        tr("Running step %1 of %2: %3").arg(index + 1).arg(count).arg(typeName));
}

void MainWindow::finishRun(bool ran)
{
    RunJob* job = m_job;
    setRunning(false);
    m_job = nullptr;
    finishJournal(m_runJournal);
    // The run changed the files: the preview plans again.
    m_preview->releasePlans();
    if (ran) {
        showRunResult(job->result());
        const bool journaled = m_journals.lastUndoable(runOwner()) != m_undoableBefore;
        for (const RunJob::WriteFailure& failure : job->writeFailures())
            appendLogLine(tr("Step %1 could not write %2: %3")
                              .arg(failure.step)
                              .arg(failure.path, shownReason(m_host, failure.reason)));
        showRunFeedback(job->result(),
                        RunOutcome(job->result(), currentFlow().steps.size(), m_runPlanned,
                                   runChanges(*job), job->stepTraces(), journaled));
        m_lastReport = QString::fromStdString(reportText(job->result()));
    } else {
        showRunRefused(shownReason(m_host, job->error()));
    }
    m_runJournal.clear();
    job->deleteLater();
    emit runFinished(ran);
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        close();
    }
}

QList<RunChange> MainWindow::runChanges(const RunJob& job) const
{
    if (!m_runJournal.isEmpty())
        return journaledChanges(m_runJournal, job.stepTraces(), m_workingFolder, m_runPlanned.plan);
    QList<int> warnings;
    for (const StepRecord& step : job.result().steps)
        warnings.append(step.logLines);
    QStringList failed;
    for (const RunJob::WriteFailure& failure : job.writeFailures())
        failed.append(failure.path);
    return listedChanges(job.stepTraces(), warnings, m_workingFolder, m_runPlanned.plan, failed);
}

void MainWindow::showRunRefused(const QString& reason)
{
    appendLogLine(tr("The flow did not run: %1").arg(reason));
    statusBar()->showMessage(tr("The flow did not run"));
    m_bottomTabs->setCurrentIndex(1);
}

void MainWindow::setRunning(bool running)
{
    m_running = running;
    lockEditing(running);
    for (QAction* action : qAsConst(m_editActions))
        action->setEnabled(!running);
    // Menus others add (preferences that steps read) wait too; the Run menu holds Stop.
    for (QAction* menu : menuBar()->actions()) {
        if (menu->menu() != m_runMenu)
            menu->setEnabled(!running);
    }
    m_undo->setEnabled(!running && m_history->canUndo());
    m_redo->setEnabled(!running && m_history->canRedo());
    m_stop->setEnabled(running);
    m_progress->setVisible(running);
    m_progress->startStep();
    updateUndoRunAction();
    if (running)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void MainWindow::lockEditing(bool locked)
{
    // What the run uses may be looked at, scrolled and selected, not changed: the flow list, the
    // selected step's settings (greyed, in a scroll area that still scrolls), the variables,
    // the log and the preview. Picking step types and the working folder wait.
    m_palettePane->setEnabled(!locked);
    m_flowView->setDragDropMode(locked ? QAbstractItemView::NoDragDrop
                                       : QAbstractItemView::DragDrop);
    for (QWidget* button : qAsConst(m_flowButtons))
        button->setEnabled(!locked);
    m_properties->setEnabled(!locked);
    m_comment->setReadOnly(locked);
    m_variablesPanel->setEditable(!locked);
    m_folderBar->setEnabled(!locked);
}

void MainWindow::stopRun()
{
    if (m_job)
        m_job->stop();
}

void MainWindow::showRunFeedback(const RunResult& result, const RunOutcome& outcome)
{
    if (result.stopped && outcome.filesLeftByStop() >= 0) {
        appendLogLine(tr("Step %1 of %2 was stopped part-way with %3 file(s) left; the steps "
                         "after it did not run")
                          .arg(result.steps.size())
                          .arg(currentFlow().steps.size())
                          .arg(outcome.filesLeftByStop()));
    } else if (result.stopped) {
        appendLogLine(tr("Stopped after step %1 of %2; the steps after it did not run")
                          .arg(result.steps.size())
                          .arg(currentFlow().steps.size()));
    }
    statusBar()->showMessage(outcome.statusText());
    m_changes->addItems(outcome.changeLines());
    m_preview->setAfterRun(true);
    if (outcome.deservesAttention())
        m_bottomTabs->setCurrentIndex(1);
}

void MainWindow::buildRunJournalActions(QMenu* editMenu, QMenu* runMenu)
{
    m_undoRun = new QAction(tr("Undo last run…"), this);
    connect(m_undoRun, &QAction::triggered, this, &MainWindow::undoLastRun);
    editMenu->addSeparator();
    editMenu->addAction(m_undoRun);
    m_journaling = new QAction(tr("Keep a journal to undo runs"), this);
    m_journaling->setCheckable(true);
    m_journaling->setChecked(RunJournals::enabled());
    connect(m_journaling, &QAction::toggled, this, &RunJournals::setEnabled);
    runMenu->addSeparator();
    runMenu->addAction(m_journaling);
    // Ctrl+Z undoes the last edit of the flow while the flow list has the focus and the last run
    // elsewhere; two actions holding one key at once would both be ambiguous and do nothing.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && isAncestorOf(now))
            giveUndoKeyTo(now);
    });
    giveUndoKeyTo(focusWidget());
    updateUndoRunAction();
}

void MainWindow::giveUndoKeyTo(QWidget* focused)
{
    // Where the flow is edited (its steps, their settings, its variables), Ctrl+Z takes back the
    // edit; elsewhere it takes back the last run.
    const auto within = [focused](const QWidget* area) {
        return focused && area && (focused == area || area->isAncestorOf(focused));
    };
    const bool editing = within(m_flowView) || within(m_properties) || within(m_variablesPanel);
    m_undo->setShortcut(editing ? QKeySequence(QKeySequence::Undo) : QKeySequence());
    m_undoRun->setShortcut(editing ? QKeySequence() : QKeySequence(QKeySequence::Undo));
}

QString MainWindow::journalFolderFor(const Flow& flow)
{
    if (!m_journaling->isChecked())
        return QString();
    try {
        stepJournalers(flow, m_host);
    } catch (const FlowError& error) {
        appendLogLine(tr("This run keeps no journal and cannot be undone: %1").arg(error.message));
        return QString();
    }
    return m_journals.newFolder(runOwner());
}

void MainWindow::finishJournal(const QString& folder)
{
    if (folder.isEmpty())
        return;
    m_journals.finish(folder);
    updateUndoRunAction();
}

void MainWindow::updateUndoRunAction()
{
    if (!m_undoRun)
        return;
    const QString last = m_running ? QString() : m_journals.lastUndoable(runOwner());
    m_undoRun->setEnabled(!last.isEmpty());
    m_undoRun->setToolTip(last.isEmpty()
                              ? tr("No run of this flow in this folder to undo")
                              : tr("Take back the run of %1")
                                    .arg(UndoRunDialog::shownTime(RunJournals::startTime(last))));
}

void MainWindow::whileBusy(const std::function<void()>& work)
{
    m_running = true;
    updateUndoRunAction();
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    waitOffThread(work);
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    m_running = false;
    updateUndoRunAction();
}

bool MainWindow::undoLastRun()
{
    const QString journal = m_running ? QString() : m_journals.lastUndoable(runOwner());
    if (journal.isEmpty())
        return false;
    // Both the check and the undo look at every path, and hash files: off the window's thread.
    UndoResult result;
    whileBusy([&] { result = undoRun(journal, UndoMode::DryRun); });
    if (!result.refusal.isEmpty()) {
        statusBar()->showMessage(
            UndoRunDialog::summary(UndoRunDialog::shownReport(result.report, m_host)));
        return false;
    }
    UndoRunDialog dialog(UndoRunDialog::shownReport(result.report, m_host),
                         RunJournals::startTime(journal), RunJournals::ownerOf(journal), this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    whileBusy([&] { result = undoRun(journal); });
    clearLastRun();
    const QJsonObject shown = UndoRunDialog::shownReport(result.report, m_host);
    for (const QString& line : UndoRunDialog::reportLines(shown))
        appendLogLine(line);
    statusBar()->showMessage(UndoRunDialog::summary(shown));
    m_bottomTabs->setCurrentIndex(1);
    return true;
}

void MainWindow::appendLogLine(const QString& line)
{
    m_log->appendPlainText(line);
}

void MainWindow::showRunResult(const RunResult& result)
{
    for (const QString& line : StepLog::lines(result.log, result.steps, m_host))
        appendLogLine(line);
    const QStringList names = result.scope.names();
    QStringList undecoded;
    m_results->setRowCount(names.size());
    for (int row = 0; row < names.size(); ++row) {
        const QString& name = names.at(row);
        const VarType type = result.scope.typeOf(name);
        const QString text = VariablesModel::textFromValue(type, result.scope.get(name));
        const QString shown = VariablesModel::elided(text, shownValueLength);
        const QStringList cells = {name, VariablesModel::typeLabel(type), shown};
        for (int column = 0; column < cells.size(); ++column)
            m_results->setItem(row, column, new QTableWidgetItem(cells.at(column)));
        m_results->item(row, 2)->setToolTip(shown);
        if (text.contains(QChar::ReplacementCharacter))
            undecoded.append(QStringLiteral("\"%1\"").arg(name));
    }
    m_results->resizeColumnsToContents();
    // Text in an older code page read as UTF-8 comes out as "�" with no word from the step: the
    // window says so, and where the code page is chosen.
    if (!undecoded.isEmpty())
        appendLogLine(
            tr("%1 holds text with bytes that are not UTF-8, shown as �; a Chinese file "
               "from an older system reads right with %2 → %3")
                .arg(undecoded.join(QStringLiteral(", ")),
                     QCoreApplication::translate("LegacyEncodingMenu", "Legacy code page"),
                     QCoreApplication::translate("LegacyEncodingMenu",
                                                 "Chinese, simplified (GB18030, GBK)")));
}

void MainWindow::clearLastRun()
{
    m_log->clear();
    m_changes->clear();
    m_preview->setAfterRun(false);
    m_results->setRowCount(0);
    m_lastReport.clear();
    statusBar()->clearMessage();
}

void MainWindow::newFlow()
{
    if (!confirmDiscard())
        return;
    showFlow({});
    m_path.clear();
    setWorkingFolder(startFolder());
    m_folderChosen = false;
    clearLastRun();
    startHistory();
}

void MainWindow::openFlowFromDialog()
{
    if (!confirmDiscard())
        return;
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Open flow"), m_workingFolder, tr("Flows (*.json *.stepflow);;All files (*)"));
    if (path.isEmpty())
        return;
    const QString error = openFlow(path);
    if (!error.isEmpty())
        QMessageBox::warning(this, tr("Open flow"), error);
}

bool MainWindow::saveFlowToCurrentFile()
{
    if (m_path.isEmpty())
        return saveFlowFromDialog();
    const QString error = saveFlow(m_path, flowFormatForPath(m_path));
    if (!error.isEmpty())
        QMessageBox::warning(this, tr("Save flow"), error);
    return error.isEmpty();
}

bool MainWindow::saveFlowFromDialog()
{
    const QString json = tr(jsonFilter);
    const QString binary = tr(binaryFilter);
    QString filter =
        m_path.isEmpty() || flowFormatForPath(m_path) == FlowFormat::Json ? json : binary;
    const QString start = m_path.isEmpty() ? m_workingFolder : m_path;
    QString path = QFileDialog::getSaveFileName(this, tr("Save flow"), start,
                                                json + QStringLiteral(";;") + binary, &filter);
    if (path.isEmpty())
        return false;
    const FlowFormat format = filter == binary ? FlowFormat::Binary : FlowFormat::Json;
    if (QFileInfo(path).suffix().isEmpty())
        path += format == FlowFormat::Json ? QStringLiteral(".json") : QStringLiteral(".stepflow");
    const QString error = saveFlow(path, format);
    if (!error.isEmpty())
        QMessageBox::warning(this, tr("Save flow"), error);
    return error.isEmpty();
}

bool MainWindow::confirmDiscard()
{
    if (m_history->isClean())
        return true;
    const auto answer = QMessageBox::question(
        this, tr("Unsaved flow"), tr("The flow has changes that are not saved. Save them?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return saveFlowToCurrentFile();
    return answer == QMessageBox::Discard;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The running steps use the flow and the plug-ins: the window stays until they are done, and
    // closes once they are if the user chooses to stop them.
    if (m_job) {
        event->ignore();
        if (!m_closeAfterRun && confirmStopAndClose()) {
            m_closeAfterRun = true;
            stopRun();
            statusBar()->showMessage(tr("Stopping… the window closes once the run has stopped"));
        }
        return;
    }
    if (m_running) {
        event->ignore();
        return;
    }
    if (confirmDiscard())
        event->accept();
    else
        event->ignore();
}

bool MainWindow::confirmStopAndClose()
{
    QMessageBox box(QMessageBox::Question, tr("Close"),
                    tr("A run of the flow is going on. Stop it and close the window? What it has "
                       "done so far stays done."),
                    QMessageBox::NoButton, this);
    QPushButton* stop = box.addButton(tr("Stop and close"), QMessageBox::DestructiveRole);
    box.setDefaultButton(box.addButton(tr("Keep running"), QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == stop;
}

void MainWindow::addSelectedPaletteType()
{
    const QString type = PaletteModel::typeId(m_paletteView->currentIndex());
    if (!type.isEmpty())
        addStep(type);
}

void MainWindow::moveSelectedStep(int offset)
{
    const int row = selectedStep();
    if (!m_flow->moveStep(row, row + offset))
        return;
    selectStep(row + offset);
    recordStepEdit(tr("Move step"), row);
}

void MainWindow::showSelectedStep()
{
    m_properties->setOperation(m_flow->step(selectedStep()));
    // An undo puts back the selection of the moment before the change.
    if (!m_restoring)
        m_shown.selectedStep = selectedStep();
}

RunOwner MainWindow::runOwner() const
{
    return {m_path, m_workingFolder};
}

void MainWindow::updateTitle()
{
    updateUndoRunAction();
    const QString name = m_path.isEmpty() ? tr("Untitled flow") : QFileInfo(m_path).fileName();
    m_flowName->setText(name);
    m_flowName->setToolTip(QDir::toNativeSeparators(m_path));
    setWindowTitle(QStringLiteral("%1[*] — stephost-gui").arg(name));
    setWindowModified(!m_history->isClean());
}

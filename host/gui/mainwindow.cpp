#include "mainwindow.h"

#include "flowfile.h"
#include "flowmodel.h"
#include "palettemodel.h"
#include "pluginhost.h"
#include "propertypanel.h"
#include "report.h"
#include "runner.h"
#include "variablesmodel.h"
#include "variablespanel.h"

#include <operation.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <memory>

namespace
{

const char jsonFilter[] = QT_TRANSLATE_NOOP("MainWindow", "JSON flow (*.json)");
const char binaryFilter[] = QT_TRANSLATE_NOOP("MainWindow", "Binary flow (*.stepflow)");

// A big table would make the results table crawl; the whole value is in the report.
const int shownValueLength = 2000;

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
      m_flow(new FlowModel(host, this)), m_variables(new VariablesModel(this))
{
    m_properties = new PropertyPanel;
    m_properties->setVariables(m_variables);
    auto* propertyScroll = new QScrollArea;
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

    auto* main = new QSplitter(Qt::Vertical);
    main->addWidget(top);
    main->addWidget(buildBottomPane());
    main->setStretchFactor(0, 3);
    main->setStretchFactor(1, 1);
    setCentralWidget(main);
    buildActions();

    connect(m_properties, &PropertyPanel::settingChanged, this, [this]() {
        m_flow->stepChanged(m_flow->rowOf(m_properties->operation()));
        setModified(true);
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
        connect(m_variables, signal, this, [this]() { setModified(true); });
    connect(m_variables, &QAbstractItemModel::dataChanged, this, [this]() { setModified(true); });

    resize(1200, 800);
    updateTitle();
}

MainWindow::~MainWindow()
{
    // The panel holds a step the flow model deletes.
    m_properties->setOperation(nullptr);
}

QWidget* MainWindow::buildPalettePane()
{
    m_paletteView = new QTreeView;
    m_paletteView->setModel(m_palette);
    m_paletteView->setHeaderHidden(true);
    m_paletteView->setIconSize(QSize(24, 24));
    m_paletteView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_paletteView->expandAll();
    // The first type is ready to be added, not its category.
    m_paletteView->setCurrentIndex(m_palette->index(0, 0, m_palette->index(0, 0)));
    connect(m_paletteView, &QTreeView::activated, this, &MainWindow::addSelectedPaletteType);

    auto* add = new QPushButton(tr("Add to flow"));
    connect(add, &QPushButton::clicked, this, &MainWindow::addSelectedPaletteType);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addStretch();
    return titledPane(tr("Steps"), m_paletteView, buttons);
}

QWidget* MainWindow::buildFlowPane()
{
    m_flowView = new QListView;
    m_flowView->setModel(m_flow);
    m_flowView->setIconSize(QSize(20, 20));
    m_flowView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_flowView->setTextElideMode(Qt::ElideMiddle);
    connect(m_flowView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MainWindow::showSelectedStep);

    auto* remove = new QPushButton(tr("Remove"));
    auto* up = new QPushButton(tr("Up"));
    auto* down = new QPushButton(tr("Down"));
    remove->setShortcut(QKeySequence::Delete);
    connect(remove, &QPushButton::clicked, this, &MainWindow::removeSelectedStep);
    connect(up, &QPushButton::clicked, this, [this]() { moveSelectedStep(-1); });
    connect(down, &QPushButton::clicked, this, [this]() { moveSelectedStep(1); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(remove);
    buttons->addWidget(up);
    buttons->addWidget(down);
    buttons->addStretch();
    return titledPane(tr("Flow"), m_flowView, buttons);
}

QWidget* MainWindow::buildBottomPane()
{
    m_log = new QPlainTextEdit;
    m_log->setReadOnly(true);
    m_log->setPlaceholderText(tr("Warnings of the last run"));
    m_results = new QTableWidget(0, 4);
    m_results->setHorizontalHeaderLabels({tr("Name"), tr("Type"), tr("Qt type"), tr("Value")});
    m_results->horizontalHeader()->setStretchLastSection(true);
    m_results->verticalHeader()->hide();
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* run = new QSplitter(Qt::Horizontal);
    run->addWidget(titledPane(tr("Log"), m_log));
    run->addWidget(titledPane(tr("Variables after the run"), m_results));

    auto* tabs = new QTabWidget;
    tabs->addTab(new VariablesPanel(m_variables), tr("Variables"));
    tabs->addTab(run, tr("Last run"));
    return tabs;
}

void MainWindow::buildActions()
{
    QToolBar* toolbar = addToolBar(tr("Flow"));
    toolbar->setObjectName(QStringLiteral("flowToolBar"));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    struct ActionSpec {
        QStyle::StandardPixmap icon;
        QString text;
        QKeySequence keys;
        std::function<void()> slot;
    };
    const ActionSpec actions[] = {
        {QStyle::SP_FileIcon, tr("New"), QKeySequence::New, [this]() { newFlow(); }},
        {QStyle::SP_DialogOpenButton, tr("Open…"), QKeySequence::Open,
         [this]() { openFlowFromDialog(); }},
        {QStyle::SP_DialogSaveButton, tr("Save"), QKeySequence::Save,
         [this]() { saveFlowToCurrentFile(); }},
        {QStyle::SP_DialogSaveButton, tr("Save as…"), QKeySequence::SaveAs,
         [this]() { saveFlowFromDialog(); }},
        {QStyle::SP_MediaPlay, tr("Run"), QKeySequence(Qt::Key_F5), [this]() { runFlow(); }},
    };
    for (const ActionSpec& desc : actions) {
        QAction* action = toolbar->addAction(style()->standardIcon(desc.icon), desc.text);
        action->setShortcut(desc.keys);
        connect(action, &QAction::triggered, this, desc.slot);
    }
}

int MainWindow::addStep(const QString& type)
{
    const int selected = selectedStep();
    const int row = m_flow->addStep(type, selected < 0 ? -1 : selected + 1);
    if (row < 0)
        return row;
    selectStep(row);
    setModified(true);
    return row;
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

Flow MainWindow::currentFlow() const
{
    return {m_variables->variables(), m_flow->flowSteps()};
}

QString MainWindow::openFlow(const QString& path)
{
    Flow flow;
    try {
        flow = readFlowFile(path, m_host);
    } catch (const FlowError& error) {
        return QStringLiteral("%1: %2").arg(path).arg(error.message);
    }
    m_flow->setFlowSteps(flow.steps);
    m_variables->setVariables(flow.variables);
    m_path = path;
    setModified(false);
    if (!flow.steps.isEmpty())
        selectStep(0);
    return QString();
}

QString MainWindow::saveFlow(const QString& path, FlowFormat format)
{
    try {
        saveFlowFile(path, currentFlow(), format, m_host);
    } catch (const FlowError& error) {
        return error.message;
    }
    m_path = path;
    setModified(false);
    return QString();
}

bool MainWindow::runFlow()
{
    if (m_running)
        return false;
    const Flow flow = currentFlow();
    m_log->clear();
    m_results->setRowCount(0);
    m_lastReport.clear();

    // The steps run on a thread of their own, so that the window keeps drawing itself and shows
    // which step is running. It is disabled until the run ends: clicks and keys meanwhile are
    // dropped, not replayed afterwards.
    RunOptions options;
    options.stepStarted = [this](int index, int count, const Operation& step) {
        const QString text =
            tr("Running step %1 of %2: %3").arg(index + 1).arg(count).arg(step.toString());
        QMetaObject::invokeMethod(
            this, [this, text] { statusBar()->showMessage(text); }, Qt::QueuedConnection);
    };
    std::unique_ptr<RunResult> result;
    QString error;
    QEventLoop waiting;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            result = std::make_unique<RunResult>(::runFlow(flow, m_host, options));
        } catch (const FlowError& flowError) {
            error = flowError.message;
        }
    }));
    connect(worker.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    m_running = true;
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    worker->start();
    waiting.exec();
    worker->wait();
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    m_running = false;

    if (!result) {
        appendLogLine(tr("The flow did not run: %1").arg(error));
        statusBar()->clearMessage();
        return false;
    }
    showRunResult(*result);
    m_lastReport = QString::fromStdString(reportText(*result));
    statusBar()->showMessage(tr("Run finished"), 5000);
    return true;
}

void MainWindow::appendLogLine(const QString& line)
{
    m_log->appendPlainText(line);
}

void MainWindow::showRunResult(const RunResult& result)
{
    for (const QString& line : result.log)
        appendLogLine(line);
    const QStringList names = result.scope.names();
    m_results->setRowCount(names.size());
    for (int row = 0; row < names.size(); ++row) {
        const QString& name = names.at(row);
        const VarType type = result.scope.typeOf(name);
        const QVariant value = result.scope.get(name);
        const QString text = VariablesModel::textFromValue(type, value);
        const QStringList cells = {
            name, varTypeWord(type),
            value.isValid() ? QString::fromLatin1(value.typeName()) : QStringLiteral("null"),
            text.size() > shownValueLength ? text.left(shownValueLength) + QStringLiteral("…")
                                           : text};
        for (int column = 0; column < cells.size(); ++column)
            m_results->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
    m_results->resizeColumnsToContents();
}

void MainWindow::newFlow()
{
    if (!confirmDiscard())
        return;
    m_flow->setFlowSteps({});
    m_variables->setVariables({});
    m_path.clear();
    setModified(false);
}

void MainWindow::openFlowFromDialog()
{
    if (!confirmDiscard())
        return;
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open flow"), QFileInfo(m_path).absolutePath(),
                                     tr("Flows (*.json *.stepflow);;All files (*)"));
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
    QString path = QFileDialog::getSaveFileName(this, tr("Save flow"), m_path,
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
    if (!m_modified)
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
    // The running steps use the flow and the plug-ins: the window stays until they are done.
    if (m_running) {
        event->ignore();
        return;
    }
    if (confirmDiscard())
        event->accept();
    else
        event->ignore();
}

void MainWindow::addSelectedPaletteType()
{
    const QString type = PaletteModel::typeId(m_paletteView->currentIndex());
    if (!type.isEmpty())
        addStep(type);
}

void MainWindow::removeSelectedStep()
{
    const int row = selectedStep();
    if (row < 0)
        return;
    m_flow->removeStep(row);
    if (m_flow->rowCount() > 0)
        selectStep(qMin(row, m_flow->rowCount() - 1));
    setModified(true);
}

void MainWindow::moveSelectedStep(int offset)
{
    const int row = selectedStep();
    if (!m_flow->moveStep(row, row + offset))
        return;
    selectStep(row + offset);
    setModified(true);
}

void MainWindow::showSelectedStep()
{
    m_properties->setOperation(m_flow->step(selectedStep()));
}

void MainWindow::setModified(bool modified)
{
    m_modified = modified;
    updateTitle();
}

void MainWindow::updateTitle()
{
    const QString name = m_path.isEmpty() ? tr("Untitled flow") : QFileInfo(m_path).fileName();
    setWindowTitle(QStringLiteral("%1[*] — stephost-gui").arg(name));
    setWindowModified(m_modified);
}

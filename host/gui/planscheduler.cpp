// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "planscheduler.h"

#include "plan.h"
#include "pluginhost.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QThread>

#include <memory>

namespace
{

// Who uses the process's current folder: a plan under way or a run. Main thread only.
bool folderTaken = false;

QList<PlanScheduler*>& schedulers()
{
    static QList<PlanScheduler*> all;
    return all;
}

} // namespace

PlanScheduler::PlanScheduler(const PluginHost& host, QObject* parent)
    : QObject(parent), m_host(host)
{
    qRegisterMetaType<PlanOutcome>();
    schedulers().append(this);
}

PlanScheduler::~PlanScheduler()
{
    schedulers().removeOne(this);
    const bool usesFolder = m_worker || m_holding;
    if (m_worker) {
        m_stopRequested = true;
        m_worker->wait();
        delete m_worker;
        QDir::setCurrent(m_folderBefore);
    }
    if (usesFolder)
        handFolderOn();
}

void PlanScheduler::request(const Flow& flow, const QString& folder)
{
    m_request = Request{flow, folder};
    m_stopRequested = true; // the plan under way, if any, is of an older request
    startNext();
}

bool PlanScheduler::hold()
{
    if (m_holding)
        return false;
    m_holding = true;
    // The plan under way is of the files before the run: it is stopped, and made again after.
    m_stopRequested = true;
    if (m_worker && !m_request)
        m_request = m_planning;
    if (!folderTaken) {
        folderTaken = true;
        return true;
    }
    QEventLoop waiting;
    m_waitingForFolder = true;
    bool handed = false;
    connect(this, &PlanScheduler::folderHanded, &waiting, [&] {
        handed = true;
        waiting.quit();
    });
    waiting.exec();
    m_waitingForFolder = false;
    m_holding = handed;
    return handed;
}

void PlanScheduler::release()
{
    m_holding = false;
    handFolderOn();
}

void PlanScheduler::changeBetweenPlans(const std::function<void()>& change)
{
    const QList<PlanScheduler*> all = schedulers();
    for (PlanScheduler* scheduler : all) {
        if (scheduler->m_worker) {
            scheduler->m_stopRequested = true;
            scheduler->m_worker->wait();
        }
    }
    change();
    for (PlanScheduler* scheduler : all) {
        if (scheduler->m_hasPlanned && !scheduler->m_request)
            scheduler->m_request = scheduler->m_planning;
        scheduler->startNext();
    }
}

void PlanScheduler::handFolderOn()
{
    folderTaken = false;
    const QList<PlanScheduler*> all = schedulers();
    // A run waiting for the folder goes before plans.
    for (PlanScheduler* scheduler : all) {
        if (scheduler->m_waitingForFolder) {
            folderTaken = true;
            emit scheduler->folderHanded();
            return;
        }
    }
    for (PlanScheduler* scheduler : all)
        scheduler->startNext();
}

void PlanScheduler::startNext()
{
    if (m_worker || m_holding || !m_request || folderTaken)
        return;
    m_planning = std::move(*m_request);
    m_request.reset();
    m_hasPlanned = true;
    m_folderBefore = QDir::currentPath();
    if (!QDir::setCurrent(m_planning.folder)) {
        PlanOutcome failed;
        failed.error =
            QCoreApplication::translate("MainWindow", "the working folder %1 cannot be entered")
                .arg(m_planning.folder);
        emit planned(failed);
        return;
    }
    folderTaken = true;
    m_stopRequested = false;
    auto outcome = std::make_shared<PlanOutcome>();
    m_worker = QThread::create([this, flow = m_planning.flow, outcome] {
        RunOptions options;
        options.stopRequested = [this] { return m_stopRequested.load(); };
        try {
            PlanResult result = planFlow(flow, m_host, options);
            outcome->plan = std::move(result.plan);
            outcome->log = result.run.log;
            outcome->steps = result.run.steps;
            outcome->planned = true;
        } catch (const FlowError& error) {
            outcome->error = error.message;
        }
    });
    connect(m_worker, &QThread::finished, this, [this, outcome] {
        m_worker->wait();
        delete m_worker;
        m_worker = nullptr;
        QDir::setCurrent(m_folderBefore);
        // A newer request, or a run, made this plan stale: its outcome is dropped.
        const bool latest = !m_request;
        // The folder is handed on first: whoever hears of the plan may want to run.
        handFolderOn();
        if (latest)
            emit planned(*outcome);
    });
    m_worker->start();
}

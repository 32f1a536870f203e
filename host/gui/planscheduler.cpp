// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "planscheduler.h"

#include "enterablefolder.h"
#include "plan.h"
#include "pluginhost.h"

#include <QThread>

#include <memory>

namespace
{

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
    if (m_worker) {
        m_stopRequested = true;
        m_worker->wait();
        delete m_worker;
    }
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
    stopPlanUnderWay();
    return true;
}

void PlanScheduler::release()
{
    m_holding = false;
    startNext();
}

void PlanScheduler::stopPlanUnderWay()
{
    if (!m_worker)
        return;
    m_stopRequested = true;
    // Its outcome is dropped when it ends; the same plan is made again.
    if (!m_request)
        m_request = m_planning;
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

void PlanScheduler::startNext()
{
    if (m_worker || m_holding || !m_request)
        return;
    m_planning = std::move(*m_request);
    m_request.reset();
    m_hasPlanned = true;
    const QString folderError = folderEntryError(m_planning.folder);
    if (!folderError.isEmpty()) {
        PlanOutcome failed;
        failed.error = folderError;
        emit planned(failed);
        return;
    }
    m_stopRequested = false;
    auto outcome = std::make_shared<PlanOutcome>();
    m_worker = QThread::create([this, flow = m_planning.flow, folder = m_planning.folder, outcome] {
        RunOptions options;
        options.workingFolder = folder;
        // Shown in the Preview; a plan stopped because it went stale has nothing to tell anyone.
        options.echoWarnings = false;
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
        // A newer request, or a run, made this plan stale: its outcome is dropped.
        const bool latest = !m_request;
        startNext();
        if (latest)
            emit planned(*outcome);
    });
    m_worker->start();
}

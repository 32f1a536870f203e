// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "runjob.h"

#include "journallog.h"
#include "journalrun.h"
#include "operationprops.h"
#include "pluginhost.h"

#include <operation.h>
#include <variablescope.h>

#include <QThread>

namespace
{

// The list variable a step names for the files it dealt with; empty for none.
QString resultListOf(const Operation& step)
{
    static const QString prefix = QStringLiteral("varname_type_");
    for (const auto& info : ownClassInfo(step)) {
        if (info.first.startsWith(prefix) && info.second == QLatin1String("list"))
            return settingValues(step).value(info.first.mid(prefix.size())).toString();
    }
    return QString();
}

QStringList listItems(const Operation& step, const QString& name)
{
    const VariableScope* scope = step.variableScope();
    return scope ? scope->get(name).toStringList() : QStringList();
}

} // namespace

RunJob::RunJob(RunFunction run, QObject* parent) : QObject(parent), m_run(std::move(run))
{
    qRegisterMetaType<FileProgress>();
}

RunJob::RunFunction RunJob::flowRun(const PluginHost& host, const Flow& flow,
                                    const QString& workingFolder, const QString& journalFolder)
{
    return [&host, flow, workingFolder, journalFolder](RunOptions options) {
        options.workingFolder = workingFolder;
        return journalFolder.isEmpty() ? runFlow(flow, host, options)
                                       : runJournaledFlow(flow, host, journalFolder, options);
    };
}

RunJob::~RunJob()
{
    if (!m_thread)
        return;
    m_stopRequested = true;
    m_thread->wait();
}

void RunJob::start()
{
    if (m_running || m_thread)
        return;
    m_running = true;
    m_thread = QThread::create([this] { work(); });
    m_thread->setParent(this);
    // Queued: the signals the steps sent are all delivered before this one.
    connect(m_thread, &QThread::finished, this, [this] {
        m_thread->wait();
        m_running = false;
        emit finished(m_ran);
    });
    m_thread->start();
}

void RunJob::stop()
{
    if (m_stopRequested.exchange(true))
        return;
    if (m_running)
        emit stopping();
}

QList<RunJob::WriteFailure> RunJob::writeFailures() const
{
    const QMutexLocker locked(&m_failuresLock);
    return m_writeFailures;
}

RunOptions RunJob::options()
{
    RunOptions options;
    options.stopRequested = [this] { return m_stopRequested.load(); };
    options.stepStarted = [this](int index, int count, const Operation& step) {
        StepTrace trace;
        if (!m_journalFolder.isEmpty())
            trace.journalRecords = journalRecordCount(m_journalFolder);
        const QString list = resultListOf(step);
        trace.listed = !list.isEmpty();
        if (trace.listed)
            trace.listBefore = listItems(step, list);
        m_traces.append(trace);
        m_stepClock.start();
        m_lastReportMs = -progressIntervalMs;
        emit stepStarted(index, count, step.typeName());
    };
    options.stepProgress = [this](int index, int count, const Operation&,
                                  const FileProgress& progress) {
        reportProgress(index, count, progress);
    };
    options.writeFailed = [this](int index, const QString& path, const QString& reason) {
        const QMutexLocker locked(&m_failuresLock);
        m_writeFailures.append({index + 1, path, reason});
    };
    options.stepFinished = [this](int index, int count, const Operation& step, qint64) {
        if (!m_traces.isEmpty() && m_traces.last().listed)
            m_traces.last().listAfter = listItems(step, resultListOf(step));
        emit stepFinished(index, count);
    };
    return options;
}

void RunJob::work()
{
    try {
        m_result = m_run(options());
        m_ran = true;
    } catch (const FlowError& error) {
        m_error = error.message;
    }
}

void RunJob::reportProgress(int index, int count, const FileProgress& figures)
{
    // Kept before the window's pace is applied: a Stop's count of files left is the last report.
    if (!m_traces.isEmpty()) {
        m_traces.last().figures = figures;
        m_traces.last().counted = true;
    }
    const qint64 now = m_stepClock.elapsed();
    const bool complete =
        figures.filesDone == figures.filesTotal && figures.bytesDone == figures.bytesTotal;
    // The step's final figures always go out; the others at most every interval.
    if (!complete && now - m_lastReportMs < progressIntervalMs)
        return;
    m_lastReportMs = now;
    emit progress(index, count, figures, now);
}

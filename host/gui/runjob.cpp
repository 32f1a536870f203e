// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "runjob.h"

#include "journalrun.h"
#include "pluginhost.h"

#include <operation.h>

#include <QThread>

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

QStringList RunJob::writeFailures() const
{
    const QMutexLocker locked(&m_failuresLock);
    return m_writeFailures;
}

RunOptions RunJob::options()
{
    RunOptions options;
    options.stopRequested = [this] { return m_stopRequested.load(); };
    options.stepStarted = [this](int index, int count, const Operation& step) {
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
        m_writeFailures.append(
            tr("Step %1 could not write %2: %3").arg(index + 1).arg(path, reason));
    };
    options.stepFinished = [this](int index, int count, const Operation&, qint64) {
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
    const qint64 now = m_stepClock.elapsed();
    const bool complete =
        figures.filesDone == figures.filesTotal && figures.bytesDone == figures.bytesTotal;
    // The step's final figures always go out; the others at most every interval.
    if (!complete && now - m_lastReportMs < progressIntervalMs)
        return;
    m_lastReportMs = now;
    emit progress(index, count, figures, now);
}

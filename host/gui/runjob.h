// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "runchanges.h"
#include "runner.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class PluginHost;
class QThread;

// One run of a flow on a thread of its own, told about as it goes: start() returns at once, the
// signals follow in order (stepStarted, progress now and then, stepFinished, for each step, then
// finished once), and stop() may be called at any time from any thread. The step signals come
// from the run's thread: queued to the window, which never holds the steps up, or called there
// before the step goes on when connected directly. finished comes on the job's own thread, after
// every step signal.
class RunJob : public QObject
{
    Q_OBJECT

public:
    // Runs the steps with the options it is given, on the job's thread; throws FlowError.
    using RunFunction = std::function<RunResult(const RunOptions& options)>;
    // At most this often a step's figures are passed on, however often the step reports them.
    static const int progressIntervalMs = 100;

    explicit RunJob(RunFunction run, QObject* parent = nullptr);
    // Runs `flow` in `workingFolder`, journaled into `journalFolder` unless it is empty.
    static RunFunction flowRun(const PluginHost& host, const Flow& flow,
                               const QString& workingFolder,
                               const QString& journalFolder = QString());
    // Asks the run to stop and waits for it, handling no events.
    ~RunJob() override;

    // The journal folder the run function keeps its journal in, if any: each step's records are
    // told apart in it. Before start().
    void setJournalFolder(const QString& folder) { m_journalFolder = folder; }
    void start();
    // The step under way stops as soon as it can and no other starts; returns at once. The
    // first call while the run goes emits stopping().
    void stop();
    bool isRunning() const { return m_running; }
    bool isStopRequested() const { return m_stopRequested.load(); }

    // Once finished: whether the flow ran (it may have been stopped; see result().stopped), its
    // result, or why it could not run.
    bool ran() const { return m_ran; }
    const RunResult& result() const { return m_result; }
    // A file a step could not write, with the system's reason the steps' log leaves out.
    struct WriteFailure {
        int step; // 1-based
        QString path;
        QString reason;
    };
    // Once finished: the files the steps could not write, in order.
    QList<WriteFailure> writeFailures() const;
    QString error() const { return m_error; }
    // Once finished: what the run's thread saw of each step that ran, in order.
    const QList<StepTrace>& stepTraces() const { return m_traces; }

signals:
    void stepStarted(int index, int count, const QString& typeName);
    // The step's figures so far, `elapsedMs` after it started.
    void progress(int index, int count, const FileProgress& progress, qint64 elapsedMs);
    void stepFinished(int index, int count);
    void stopping();
    void finished(bool ran);

private:
    RunOptions options();
    void work();
    void reportProgress(int index, int count, const FileProgress& figures);

    RunFunction m_run;
    QThread* m_thread = nullptr;
    bool m_running = false;
    std::atomic<bool> m_stopRequested{false};
    bool m_ran = false;
    RunResult m_result;
    mutable QMutex m_failuresLock; // the steps tell them on their own threads
    QList<WriteFailure> m_writeFailures;
    QString m_error;
    QString m_journalFolder;
    QList<StepTrace> m_traces; // the run's thread's until finished
    // The run's thread only.
    QElapsedTimer m_stepClock;
    qint64 m_lastReportMs = 0;
};

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "flow.h"
#include "runner.h"

#include <fileplanning.h>

#include <QMetaType>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

class PluginHost;
class QThread;

// What planning a flow came to: the plan, or why there is none.
struct PlanOutcome {
    bool planned = false;
    FilePlan plan;
    QStringList log;         // the warnings the steps logged while planned
    QList<StepRecord> steps; // which step logged which of them
    QString error;           // when not planned
};
Q_DECLARE_METATYPE(PlanOutcome)

// Plans flows on a thread of its own, so that the window never waits for one. Only the latest
// request counts: a plan under way for an earlier one is stopped after its step under way and its
// outcome dropped. The steps resolve relative paths against the process's current folder, which a
// plan sets to its working folder for its length; since there is one such folder per process,
// one plan or run at a time uses it, whichever window asks.
class PlanScheduler : public QObject
{
    Q_OBJECT

public:
    explicit PlanScheduler(const PluginHost& host, QObject* parent = nullptr);
    ~PlanScheduler() override;

    // Plans `flow` in `folder` as soon as the current folder is free.
    void request(const Flow& flow, const QString& folder);
    // Whether the outcome of the latest request is still to come.
    bool isPending() const { return m_request.has_value() || m_worker; }
    // Takes the current folder for a run: no plan starts until release(), the one under way is
    // stopped, and the call returns (handling events meanwhile) once no plan uses the folder.
    // False, and nothing to release, when already held or the wait was cut short.
    bool hold();
    void release();
    // Makes `change` while no plan of the process is under way, then plans each scheduler's
    // latest request again: for what steps read on a plan's thread, such as the legacy code page.
    static void changeBetweenPlans(const std::function<void()>& change);

signals:
    // The outcome of the latest request.
    void planned(const PlanOutcome& outcome);
    // The current folder is this scheduler's, as hold() waited for.
    void folderHanded();

private:
    struct Request {
        Flow flow;
        QString folder;
    };
    void startNext();
    static void handFolderOn();

    const PluginHost& m_host;
    std::optional<Request> m_request; // waiting for the folder
    Request m_planning;               // the plan under way, or the last one made
    bool m_hasPlanned = false;
    QThread* m_worker = nullptr;
    std::atomic<bool> m_stopRequested{false};
    QString m_folderBefore;
    bool m_holding = false;
    bool m_waitingForFolder = false; // in hold()
};

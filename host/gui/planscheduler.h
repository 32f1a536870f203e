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
// outcome dropped. Each plan resolves relative paths in its own folder, so plans of any number of
// schedulers and the window's runs go on side by side.
class PlanScheduler : public QObject
{
    Q_OBJECT

public:
    explicit PlanScheduler(const PluginHost& host, QObject* parent = nullptr);
    ~PlanScheduler() override;

    // Plans `flow` in `folder`, once a hold is released if there is one.
    void request(const Flow& flow, const QString& folder);
    // Whether the outcome of the latest request is still to come.
    bool isPending() const { return m_request.has_value() || m_worker; }
    // Around a run of the files these plans look at: no plan starts until release(), and the one
    // under way, of the files before the run, is stopped and made again after it. False, and
    // nothing to release, when already held.
    bool hold();
    void release();
    // Makes `change` while no plan of the process is under way, then plans each scheduler's
    // latest request again: for what steps read on a plan's thread, such as the legacy code page.
    static void changeBetweenPlans(const std::function<void()>& change);

signals:
    // The outcome of the latest request.
    void planned(const PlanOutcome& outcome);

private:
    struct Request {
        Flow flow;
        QString folder;
    };
    void startNext();
    void stopPlanUnderWay();

    const PluginHost& m_host;
    std::optional<Request> m_request; // waiting for the plan under way or a hold to end
    Request m_planning;               // the plan under way, or the last one made
    bool m_hasPlanned = false;
    QThread* m_worker = nullptr;
    std::atomic<bool> m_stopRequested{false};
    bool m_holding = false;
};

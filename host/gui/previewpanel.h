// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "flow.h"
#include "planscheduler.h"

#include <QWidget>

#include <functional>

class PluginHost;
class QLabel;
class QListWidget;
class QStackedWidget;
class QTableWidget;
class QTimer;

// What the flow would do to the files if it ran now, one row per change or file left alone,
// conflicts marked. Made again by itself, off the window's thread, a moment after the flow, a
// setting or the working folder changes.
class PreviewPanel : public QWidget
{
    Q_OBJECT

public:
    enum Column { StepColumn, ActionColumn, PathColumn, FromColumn, StateColumn };
    // How long after the last change the plan is made, so that typing plans once.
    static const int settleMs = 300;

    // `currentFlow` gives the flow as it stands each time a plan is made.
    PreviewPanel(const PluginHost& host, std::function<Flow()> currentFlow,
                 QWidget* parent = nullptr);

    // The flow, a setting or the files changed: a new plan follows after a moment.
    void scheduleUpdate();
    // Where relative paths resolve.
    void setWorkingFolder(const QString& folder);
    // Plans the flow as it stands now.
    void updateNow();
    // Makes sure the plan shown is of the flow as it stands, handling events while it is made;
    // false when it did not come (the wait was cut short, or another wait is going on).
    bool awaitCurrentPlan();
    // Conflicts in the plan shown; none when the flow could not be planned.
    int conflictCount() const;
    // Changes that replace a file already there without a conflict, in the plan shown.
    int replaceCount() const;
    // The plan shown, as it came.
    const PlanOutcome& outcome() const { return m_shown; }
    // After a run the plan is of the run that would come next, not the run's result: a heading
    // says so until the run's result is cleared.
    void setAfterRun(bool afterRun);
    bool isAfterRun() const;
    QString heading() const;
    // The plan's warnings, each named by its step, then each file left alone with the reason.
    QStringList notes() const;
    // Around a run: no plan is made meanwhile, and the one under way is dropped; false when
    // already held. Since the run changes files, a new plan follows it.
    bool holdPlans();
    void releasePlans();

    PlanScheduler* scheduler() const { return m_scheduler; }
    QTableWidget* table() const { return m_table; }
    QString summary() const;
    // Why the flow could not be planned; empty when the table shows its plan.
    QString failure() const;

private:
    void showOutcome(const PlanOutcome& outcome);
    void showNotes(const PlanOutcome& outcome);
    void showPlan(const FilePlan& plan);
    void showUpdating();
    bool isUpToDate() const;

    const PluginHost& m_host;
    std::function<Flow()> m_currentFlow;
    PlanScheduler* m_scheduler;
    QTimer* m_settle;
    QString m_folder;
    QLabel* m_heading;
    QLabel* m_summary;
    QListWidget* m_notes;
    QStackedWidget* m_pages;
    QTableWidget* m_table;
    QLabel* m_failure;
    PlanOutcome m_shown;
    bool m_hasOutcome = false;
    bool m_awaiting = false;
};

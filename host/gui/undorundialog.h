// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "runjournals.h"

#include <QDateTime>
#include <QDialog>
#include <QJsonObject>
#include <QStringList>

class PluginHost;
class QTreeWidget;

// Asks before the window takes a run back, from a dry check of its journal: whose run it is (flow,
// folder, time), what the undo will restore, and what it will leave because it was changed since
// the run, with the reason.
class UndoRunDialog : public QDialog
{
    Q_OBJECT

public:
    UndoRunDialog(const QJsonObject& foretold, const QDateTime& runStarted,
                  const RunOwner& owner = RunOwner(), QWidget* parent = nullptr);

    // The line that names the run's flow and working folder.
    static QString ownerText(const RunOwner& owner);

    QTreeWidget* restoredList() const { return m_restored; }
    QTreeWidget* leftList() const { return m_left; }

    // A run's start time as the user's locale writes it.
    static QString shownTime(const QDateTime& time);
    // The lines the log shows after the undo: a summary, then each path restored or left.
    static QStringList reportLines(const QJsonObject& report);
    // The status bar's line after the undo.
    static QString summary(const QJsonObject& report);
    // The report with each reason, and a refusal, as shownReason() gives it: what the dialog and
    // the log show.
    static QJsonObject shownReport(const QJsonObject& report, const PluginHost& host);

private:
    QTreeWidget* m_restored;
    QTreeWidget* m_left;
};

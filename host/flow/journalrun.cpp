// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "journalrun.h"

#include "pluginhost.h"
#include "stepinterfaces.h"

#include <filejournaling.h>
#include <journalfolder.h>

#include <QCoreApplication>
#include <QDir>
#include <QVector>

namespace
{
class JournalRun
{
    Q_DECLARE_TR_FUNCTIONS(JournalRun)
};
} // namespace

QVector<IFileJournaling*> stepJournalers(const Flow& flow, const PluginHost& host)
{
    const QVector<IFileJournaling*> journalers =
        stepInterfaces<IFileJournaling>(flow, host, JournalRun::tr("cannot journal file changes"));
    // Each plug-in keeps its own journal, and one folder holds one: a second plug-in would find
    // the folder taken half-way through the run, so such a flow is refused before it starts.
    QVector<IFileJournaling*> distinct;
    for (IFileJournaling* journaler : journalers) {
        if (journaler && !distinct.contains(journaler))
            distinct.append(journaler);
    }
    if (distinct.size() > 1)
        throw FlowError{JournalRun::tr("the steps of this flow come from %1 plug-ins; a journal "
                                       "records the steps of one plug-in")
                            .arg(distinct.size())};
    return journalers;
}

RunResult runJournaledFlow(const Flow& flow, const PluginHost& host, const QString& journalFolder,
                           RunOptions options)
{
    const QVector<IFileJournaling*> journalers = stepJournalers(flow, host);
    // A relative journal folder is the run's, as its steps' relative paths are.
    const QString folder = QDir::isRelativePath(journalFolder) && !options.workingFolder.isEmpty()
                               ? QDir(options.workingFolder).filePath(journalFolder)
                               : journalFolder;
    const QString refusal = journalFolderRefusal(folder);
    if (!refusal.isEmpty())
        throw JournalFolderRefused{{refusal}};
    QVector<IFileJournaling*> started;
    // Every journal started is ended, its records on disk, however the run ends.
    const auto finishJournals = [&](VariableScope& scope, QString* error) {
        bool finished = true;
        for (IFileJournaling* journaler : qAsConst(started))
            finished = journaler->finishJournal(&scope, error) && finished;
        started.clear();
        return finished;
    };
    options.beforeStep = [&](VariableScope& scope, int index) {
        IFileJournaling* journaler = journalers.at(index);
        QString error;
        if (!journaler->journalStep(&scope, index + 1, folder, &error)) {
            finishJournals(scope, nullptr);
            throw FlowError{error};
        }
        if (!started.contains(journaler))
            started.append(journaler);
    };
    options.afterSteps = [&](VariableScope& scope) {
        QString error;
        if (!finishJournals(scope, &error))
            throw FlowError{error};
    };
    return runFlow(flow, host, options);
}

UndoResult undoRun(const QString& folder, UndoMode mode)
{
    UndoResult result;
    result.report = undoJournal(folder, mode);
    const QString status = result.report.value(QLatin1String("status")).toString();
    result.found = status != QLatin1String("no journal");
    if (status == QLatin1String("refused"))
        result.refusal = result.report.value(QLatin1String("message")).toString();
    result.complete =
        status == QLatin1String("undone") || status == QLatin1String("already undone");
    return result;
}

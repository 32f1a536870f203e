#include "journalrun.h"

#include "pluginhost.h"

#include <filejournaling.h>
#include <undo.h>

#include <QVector>

namespace
{

// The journaling interface of each step's plug-in, in step order.
QVector<IFileJournaling*> journalersOf(const Flow& flow, const PluginHost& host)
{
    QVector<IFileJournaling*> journalers;
    for (int i = 0; i < flow.steps.size(); ++i) {
        const QString& type = flow.steps.at(i).type;
        auto* journaler = qobject_cast<IFileJournaling*>(host.pluginInstance(type));
        // An unknown type is left to the runner, which names it.
        if (!journaler && host.prototype(type))
            throw FlowError{QStringLiteral("step %1 (%2): its plug-in cannot journal file changes")
                                .arg(i + 1)
                                .arg(type)};
        journalers.append(journaler);
    }
    return journalers;
}

} // namespace

RunResult runJournaledFlow(const Flow& flow, const PluginHost& host, const QString& folder,
                           RunOptions options)
{
    const QVector<IFileJournaling*> journalers = journalersOf(flow, host);
    QVector<IFileJournaling*> started;
    options.beforeStep = [&](VariableScope& scope, int index) {
        IFileJournaling* journaler = journalers.at(index);
        QString error;
        if (!journaler->journalStep(&scope, index + 1, folder, &error))
            throw FlowError{error};
        if (!started.contains(journaler))
            started.append(journaler);
    };
    options.afterSteps = [&](VariableScope& scope) {
        for (IFileJournaling* journaler : qAsConst(started))
            journaler->finishJournal(&scope);
    };
    return runFlow(flow, host, options);
}

UndoResult undoRun(const QString& folder)
{
    UndoResult result;
    result.report = undoJournal(folder);
    const QString status = result.report.value(QLatin1String("status")).toString();
    result.found = status != QLatin1String("no journal");
    result.complete =
        status == QLatin1String("undone") || status == QLatin1String("already undone");
    return result;
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "runner.h"

#include "console.h"
#include "flowscope.h"
#include "operationprops.h"
#include "pluginhost.h"

#include <operation.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QElapsedTimer>
#include <QIODevice>

#include <memory>
#include <vector>

namespace
{

using StepPointer = std::unique_ptr<Operation>;

class Runner
{
    Q_DECLARE_TR_FUNCTIONS(Runner)
};

QString stepName(int index, const QString& type)
{
    return Runner::tr("step %1 (%2)").arg(index + 1).arg(type);
}

// The step as loadOperation reads it back from what saveOperation wrote.
StepPointer roundTrip(const Operation& step, const Operation& prototype, const QString& where)
{
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_5_15);
        step.saveOperation(out);
    }
    StepPointer loaded(prototype.clone(nullptr));
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_5_15);
    loaded->loadOperation(in);
    if (in.status() != QDataStream::Ok)
        throw FlowError{
            Runner::tr("%1: loadOperation read past what saveOperation wrote").arg(where)};
    if (!in.atEnd())
        throw FlowError{Runner::tr("%1: loadOperation left %2 of the %3 saved bytes unread")
                            .arg(where)
                            .arg(bytes.size() - in.device()->pos())
                            .arg(bytes.size())};
    const QStringList differing = differingSettings(step, *loaded);
    if (!differing.isEmpty())
        throw FlowError{Runner::tr("%1: settings changed by save and load: %2")
                            .arg(where)
                            .arg(differing.join(QStringLiteral(", ")))};
    return loaded;
}

std::vector<StepPointer> buildSteps(const Flow& flow, const PluginHost& host, bool roundtrip)
{
    std::vector<StepPointer> steps;
    steps.reserve(size_t(flow.steps.size()));
    for (int i = 0; i < flow.steps.size(); ++i) {
        const FlowStep& step = flow.steps.at(i);
        StepPointer op(host.createStep(step));
        if (!op)
            throw FlowError{Runner::tr("%1: unknown step type").arg(stepName(i, step.type))};
        if (roundtrip)
            op = roundTrip(*op, *host.prototype(step.type), stepName(i, step.type));
        steps.push_back(std::move(op));
    }
    return steps;
}

// While it lives, the plug-in of a step tells the run's options how far the step is and hears
// when it is to stop; it stops watching however the step ends.
class StepWatch
{
public:
    StepWatch(QObject* plugin, const RunOptions& options, const VariableScope* scope, int index,
              int count, const Operation& step)
        : m_scope(scope)
    {
        if (!options.stepProgress && !options.stopRequested && !options.writeFailed)
            return;
        m_plugin = qobject_cast<IFileProgress*>(plugin);
        if (!m_plugin)
            return;
        FileStepWatcher watcher;
        if (options.stepProgress)
            watcher.progress = [&options, index, count, &step](const FileProgress& progress) {
                options.stepProgress(index, count, step, progress);
            };
        watcher.stopRequested = options.stopRequested;
        if (options.writeFailed)
            watcher.writeFailed = [&options, index](const QString& path, const QString& reason) {
                options.writeFailed(index, path, reason);
            };
        m_plugin->watchSteps(scope, watcher);
    }
    ~StepWatch()
    {
        if (m_plugin)
            m_plugin->unwatchSteps(m_scope);
    }
    StepWatch(const StepWatch&) = delete;
    StepWatch& operator=(const StepWatch&) = delete;

    // Whether the step could hear a stop asked while it ran.
    bool watched() const { return m_plugin != nullptr; }

private:
    const VariableScope* const m_scope;
    IFileProgress* m_plugin = nullptr;
};

} // namespace

RunResult runFlow(const Flow& flow, const PluginHost& host, const RunOptions& options)
{
    std::vector<StepPointer> steps = buildSteps(flow, host, options.roundtrip);

    RunResult result;
    for (const FlowVariable& variable : flow.variables)
        result.scope.declare(variable.name, variable.type, variable.value);
    const FlowScope flowScope(flow, host, &result.scope, options.workingFolder);

    WarningCapture capture;
    capture.setEchoing(options.echoWarnings);
    const int count = int(steps.size());
    for (int i = 0; i < count; ++i) {
        if (i > 0 && options.stopRequested && options.stopRequested()) {
            result.stopped = true;
            break;
        }
        Operation& op = *steps[size_t(i)];
        op.setVariableScope(&result.scope);
        if (options.stepStarted)
            options.stepStarted(i, count, op);
        if (options.beforeStep)
            options.beforeStep(result.scope, i);
        QElapsedTimer timer;
        timer.start();
        const int logBefore = capture.messages().size();
        bool stoppedInside = false;
        {
            const StepWatch watch(host.pluginInstance(flow.steps.at(i).type), options,
                                  &result.scope, i, count, op);
            capture.setRecording(true);
            op.doOperation();
            capture.setRecording(false);
            stoppedInside = watch.watched() && options.stopRequested && options.stopRequested();
        }
        const qint64 elapsed = timer.nsecsElapsed();
        if (options.stepFinished)
            options.stepFinished(i, count, op, elapsed);
        op.setVariableScope(nullptr);
        result.steps.append({op.typeId(), op.toString(), op.description(),
                             int(capture.messages().size()) - logBefore});
        // The step stopped where it was; the steps after it do not run.
        if (stoppedInside) {
            result.stopped = true;
            break;
        }
    }
    if (options.afterSteps)
        options.afterSteps(result.scope);
    result.log = capture.messages();
    return result;
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// stephost: the command-line stand-in host. Loads operation plug-ins through QPluginLoader and
// lists, inspects, converts and runs flows.

#include "binaryflow.h"
#include "catalog.h"
#include "commandline.h"
#include "console.h"
#include "flowfile.h"
#include "hostlanguage.h"
#include "journalrun.h"
#include "jsonflow.h"
#include "jsonvalue.h"
#include "legacyencoding.h"
#include "plan.h"
#include "pluginhost.h"
#include "progresstext.h"
#include "report.h"
#include "runner.h"
#include "stopsignals.h"

#include <operation.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <memory>

namespace
{

enum ExitCode { Success = 0, FlowFailure = 1, UsageFailure = 2 };

// A run or plan stopped by a signal ends as the shell reports one the signal ended.
int stoppedBy(int signal)
{
    return 128 + signal;
}

void writeOut(const char* data, size_t size)
{
    std::fwrite(data, 1, size, stdout);
}

void writeOut(const QByteArray& bytes)
{
    writeOut(bytes.constData(), size_t(bytes.size()));
}

void writeOut(const QString& text)
{
    writeOut(text.toUtf8());
}

void printError(const QString& message)
{
    Console::writeLine(QStringLiteral("stephost: ") + message);
}

int flowFailure(const QString& path, const FlowError& error)
{
    printError(Stephost::tr("%1: %2").arg(path, error.message));
    return FlowFailure;
}

void loadPlugins(PluginHost& host, const QStringList& files)
{
    for (const QString& line : host.loadNamedOrDefault(files))
        printError(line);
    if (files.isEmpty() && host.plugins().isEmpty())
        printError(Stephost::tr("no plug-in found in %1 (use --plugin FILE)")
                       .arg(PluginHost::defaultPluginDirectory()));
}

QString durationText(qint64 nanoseconds)
{
    if (nanoseconds < 1000000000)
        return Stephost::tr("%1 ms").arg(double(nanoseconds) / 1e6, 0, 'f', 1);
    return Stephost::tr("%1 s").arg(double(nanoseconds) / 1e9, 0, 'f', 1);
}

QString progressPrefix(int index, int count, const Operation& step)
{
    return Stephost::tr("[%1/%2] %3 …").arg(index + 1).arg(count).arg(step.typeName());
}

int listCommand(const PluginHost& host, const CommandLine&)
{
    writeOut(toJsonText(pluginListValue(host)));
    return Success;
}

int schemaCommand(const PluginHost& host, const CommandLine& commandLine)
{
    if (commandLine.operands().isEmpty()) {
        writeOut(toJsonText(schemaListValue(host)));
        return Success;
    }
    const QString type = commandLine.operands().at(0);
    const Operation* prototype = host.prototype(type);
    if (!prototype) {
        printError(Stephost::tr("no loaded plug-in provides the step type \"%1\"").arg(type));
        return UsageFailure;
    }
    writeOut(toJsonText(QVariantList{operationSchemaValue(*prototype)}));
    return Success;
}

// The line of the step under way, shown anew at most four times a second.
class ProgressLine
{
public:
    void start(int index, int count, const Operation& step)
    {
        m_prefix = progressPrefix(index, count, step);
        m_shown = false;
        m_sinceStart.start();
        m_sinceShown.invalidate();
        Console::beginLine(m_prefix);
    }

    void show(int index, int count, const Operation& step, const FileProgress& progress)
    {
        if (m_sinceShown.isValid() && m_sinceShown.elapsed() < kShowEveryMs)
            return;
        const QString figures = progressText(progress, m_sinceStart.elapsed());
        if (figures.isEmpty())
            return;
        m_sinceShown.start();
        m_shown = true;
        Console::redrawLine(QStringLiteral("[%1/%2] %3  %4")
                                .arg(index + 1)
                                .arg(count)
                                .arg(step.typeName(), figures));
    }

    // The step's line as it was before its figures came, with how long it took.
    void finish(qint64 nanoseconds)
    {
        if (m_shown)
            Console::redrawLine(m_prefix);
        Console::endLine(QLatin1Char(' ') + durationText(nanoseconds));
    }

private:
    static const qint64 kShowEveryMs = 250;
    QString m_prefix;
    bool m_shown = false;
    QElapsedTimer m_sinceStart;
    QElapsedTimer m_sinceShown;
};

RunOptions runOptions(const CommandLine& commandLine)
{
    RunOptions options;
    options.roundtrip = commandLine.isSet(QStringLiteral("roundtrip"));
    options.stopRequested = [] { return StopSignals::received() != 0; };
    if (Console::isTerminal()) {
        const auto line = std::make_shared<ProgressLine>();
        options.stepStarted = [line](int index, int count, const Operation& step) {
            line->start(index, count, step);
        };
        options.stepProgress = [line](int index, int count, const Operation& step,
                                      const FileProgress& progress) {
            line->show(index, count, step, progress);
        };
        options.stepFinished = [line](int, int, const Operation&, qint64 nanoseconds) {
            line->finish(nanoseconds);
        };
    }
    return options;
}

int runCommand(const PluginHost& host, const CommandLine& commandLine)
{
    const QString path = commandLine.operands().at(0);
    const QString vars = QStringLiteral("vars");
    const bool hasVars = commandLine.isSet(vars);
    QStringList filter;
    if (hasVars && !commandLine.value(vars).isEmpty())
        filter = commandLine.value(vars).split(QLatin1Char(','));

    std::string report;
    bool stopped = false;
    StopSignals::install();
    try {
        const Flow flow = readFlowFile(path, host);
        const QStringList* variables = hasVars ? &filter : nullptr;
        const QString journal = QStringLiteral("journal");
        if (commandLine.command().name == QLatin1String("plan")) {
            const PlanResult planned = planFlow(flow, host, runOptions(commandLine));
            stopped = planned.run.stopped;
            report = planOutputText(planned, commandLine.isSet(QStringLiteral("json")), variables,
                                    &host);
        } else {
            const RunResult result = commandLine.isSet(journal)
                                         ? runJournaledFlow(flow, host, commandLine.value(journal),
                                                            runOptions(commandLine))
                                         : runFlow(flow, host, runOptions(commandLine));
            stopped = result.stopped;
            report = reportText(result, variables);
        }
    } catch (const JournalFolderRefused& refusal) {
        printError(refusal.message);
        return UsageFailure;
    } catch (const FlowError& error) {
        return flowFailure(path, error);
    }
    writeOut(report.data(), report.size());
    std::fflush(stdout);
    const QString reportOption = QStringLiteral("report");
    if (commandLine.isSet(reportOption)) {
        try {
            writeWholeFile(commandLine.value(reportOption), report.data(), qint64(report.size()));
        } catch (const FlowError& error) {
            printError(error.message);
            return FlowFailure;
        }
    }
    return stopped ? stoppedBy(StopSignals::received()) : Success;
}

int undoCommand(const PluginHost&, const CommandLine& commandLine)
{
    const QString folder = commandLine.operands().at(0);
    const UndoResult result = undoRun(folder);
    if (!result.found) {
        printError(Stephost::tr("%1 holds no journal of a run").arg(folder));
        return FlowFailure;
    }
    if (!result.refusal.isEmpty())
        printError(Stephost::tr("%1: %2").arg(folder, result.refusal));
    writeOut(QJsonDocument(result.report).toJson(QJsonDocument::Indented));
    return result.complete ? Success : FlowFailure;
}

int saveCommand(const PluginHost& host, const CommandLine& commandLine)
{
    const QString path = commandLine.operands().at(0);
    try {
        const QByteArray bytes = writeBinaryFlow(readFlowFile(path, host), host);
        writeWholeFile(commandLine.operands().at(1), bytes.constData(), bytes.size());
    } catch (const FlowError& error) {
        return flowFailure(path, error);
    }
    return Success;
}

int dumpCommand(const PluginHost& host, const CommandLine& commandLine)
{
    const QString path = commandLine.operands().at(0);
    try {
        writeOut(toJsonText(jsonFlowValue(readFlowFile(path, host))));
    } catch (const FlowError& error) {
        return flowFailure(path, error);
    }
    return Success;
}

// Value names and operands (FILE, FLOW) stay as they are in every language, like the option names:
// the help's texts refer to them.
QList<QCommandLineOption> runOptionList()
{
    return {
        QCommandLineOption(QStringLiteral("roundtrip"),
                           Stephost::tr("save and load every step before it runs; a setting\n"
                                        "that changes on the way is an error")),
        QCommandLineOption(QStringLiteral("report"), Stephost::tr("also write the report to FILE"),
                           QStringLiteral("FILE")),
        QCommandLineOption(QStringLiteral("vars"),
                           Stephost::tr("report only these variables (comma-separated);\n"
                                        "--vars \"\" reports none"),
                           QStringLiteral("NAMES")),
    };
}

QList<QCommandLineOption> journaledRunOptionList()
{
    return runOptionList() << QCommandLineOption(
               QStringLiteral("journal"),
               Stephost::tr("record every file change in DIR, before it is made,\n"
                            "so that \"stephost undo DIR\" can take the run back"),
               QStringLiteral("DIR"));
}

const QString pluginOption = QStringLiteral("plugin");
const QString legacyEncodingOption = QStringLiteral("legacy-encoding");

QString legacyEncodingOptionProblem(const CommandLine& commandLine)
{
    if (!commandLine.isSet(legacyEncodingOption))
        return QString();
    return legacyEncodingProblem(commandLine.value(legacyEncodingOption));
}

Usage stephostUsage()
{
    Usage usage;
    usage.synopsis =
        Stephost::tr("Usage: stephost [--plugin FILE]... [--legacy-encoding NAME] COMMAND ...");
    usage.description =
        Stephost::tr("Loads operation plug-ins and lists, inspects, converts and runs flows.");
    usage.globalOptions = {
        QCommandLineOption(
            pluginOption,
            Stephost::tr("load this plug-in library (repeatable); without it, every\n"
                         "library in the plug-ins folder is tried:\n%1")
                .arg(PluginHost::defaultPluginDirectory()),
            QStringLiteral("FILE")),
        QCommandLineOption(legacyEncodingOption,
                           Stephost::tr("the code page of text files without a mark that are not\n"
                                        "UTF-8 (such as GB18030); without it GB18030 in a Chinese\n"
                                        "locale, else the locale's codec"),
                           QStringLiteral("NAME")),
    };
    usage.valueProblem = legacyEncodingOptionProblem;
    usage.commands = {
        {QStringLiteral("list"),
         QString(),
         0,
         0,
         Stephost::tr("the loaded plug-ins and their prototypes, as JSON"),
         listCommand,
         {}},
        {QStringLiteral("schema"),
         QStringLiteral("[TYPE]"),
         0,
         1,
         Stephost::tr("the property schema of every prototype (or of TYPE), as JSON"),
         schemaCommand,
         {}},
        {QStringLiteral("run"), QStringLiteral("FLOW"), 1, 1,
         Stephost::tr("run a flow (JSON or binary) and print its report as JSON"), runCommand,
         journaledRunOptionList()},
        {QStringLiteral("plan"), QStringLiteral("FLOW"), 1, 1,
         Stephost::tr("every file change the flow would make, nothing touched: a table,\n"
                      "or with --json the run report plus \"changes\" and \"skipped\""),
         runCommand,
         runOptionList() << QCommandLineOption(QStringLiteral("json"),
                                               Stephost::tr("print the plan as JSON"))},
        {QStringLiteral("undo"),
         QStringLiteral("DIR"),
         1,
         1,
         Stephost::tr("take back the run recorded in DIR and print what was restored and\n"
                      "what was left, as JSON; exit 1 when something was left"),
         undoCommand,
         {}},
        {QStringLiteral("save"),
         QStringLiteral("FLOW.json OUT"),
         2,
         2,
         Stephost::tr("convert a flow into the binary flow format"),
         saveCommand,
         {}},
        {QStringLiteral("dump"),
         QStringLiteral("OUT"),
         1,
         1,
         Stephost::tr("print a binary flow as a JSON flow"),
         dumpCommand,
         {}},
    };
    usage.epilogue = Stephost::tr(
        "A JSON flow:\n"
        "  {\"variables\": {\"found\": {\"type\": \"bool\"},\n"
        "                 \"files\": {\"type\": \"list\", \"value\": [\"a.txt\"]}},\n"
        "   \"steps\": [{\"type\": \"file.exists\",\n"
        "              \"settings\": {\"fileName\": \"a.txt\", \"resultVar\": \"found\"}}]}\n"
        "Variable types: string, list, datatable, bool, number, object (none: undeclared).\n"
        "Relative paths resolve against the current directory.\n"
        "\n"
        "Exit status: 0 the command did its job (steps may have logged warnings), 1 a flow that\n"
        "cannot be read or a host error, 2 a bad command line, 130 or 143 a run or plan stopped\n"
        "by Ctrl+C (SIGINT) or SIGTERM: the step under way stops, the report says what was "
        "done.\n");
    return usage;
}

} // namespace

int main(int argc, char* argv[])
{
    // A file size limit (ulimit -f) makes a write that passes it fail as on a full disk, instead
    // of ending the host with the flow half done and no report.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    HostLanguage::install(app, HostLanguage::chosen());
    const Usage usage = stephostUsage();
    CommandLine commandLine(usage);
    try {
        commandLine.read(QCoreApplication::arguments());
    } catch (const UsageError& error) {
        printError(Stephost::tr("%1 (stephost --help shows the usage)").arg(error.message));
        return UsageFailure;
    }
    if (commandLine.helpRequested()) {
        writeOut(commandLine.helpText());
        return Success;
    }

    useLegacyEncoding(commandLine.value(legacyEncodingOption));
    PluginHost host;
    loadPlugins(host, commandLine.values(pluginOption));
    const int status = commandLine.command().run(host, commandLine);
    // Output that never arrived (a full disk, a closed pipe) is no job done.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        printError(Stephost::tr("cannot write to standard output"));
        return FlowFailure;
    }
    return status;
}

// stephost: the command-line stand-in host. Loads operation plug-ins through QPluginLoader and
// lists, inspects, converts and runs flows.

#include "binaryflow.h"
#include "catalog.h"
#include "console.h"
#include "flowfile.h"
#include "hostlanguage.h"
#include "jsonflow.h"
#include "jsonvalue.h"
#include "legacyencoding.h"
#include "pluginhost.h"
#include "report.h"
#include "runner.h"

#include <operation.h>

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace
{

enum ExitCode { Success = 0, FlowFailure = 1, UsageFailure = 2 };

const char usageText[] =
    "Usage: stephost [--plugin FILE]... [--legacy-encoding NAME] COMMAND ...\n"
    "\n"
    "Loads operation plug-ins and lists, inspects, converts and runs flows.\n"
    "\n"
    "Commands:\n"
    "  list                      the loaded plug-ins and their prototypes, as JSON\n"
    "  schema [TYPE]             the property schema of every prototype (or of TYPE), as JSON\n"
    "  run FLOW [--roundtrip] [--report FILE] [--vars NAMES]\n"
    "                            run a flow (JSON or binary) and print its report as JSON\n"
    "  save FLOW.json OUT        convert a flow into the binary flow format\n"
    "  dump OUT                  print a binary flow as a JSON flow\n"
    "\n"
    "Options:\n"
    "  --plugin FILE             load this plug-in library (repeatable); without it, every\n"
    "                            library in ../plugins/ next to stephost is tried\n"
    "  --legacy-encoding NAME    the code page of text files without a mark that are not\n"
    "                            UTF-8 (such as GB18030); without it GB18030 in a Chinese\n"
    "                            locale, else the locale's codec\n"
    "  --roundtrip               (run) save and load every step before it runs; a setting\n"
    "                            that changes on the way is an error\n"
    "  --report FILE             (run) also write the report to FILE\n"
    "  --vars NAMES              (run) report only these variables (comma-separated);\n"
    "                            --vars \"\" reports none\n"
    "  -h, --help                show this help\n"
    "\n"
    "A JSON flow:\n"
    "  {\"variables\": {\"found\": {\"type\": \"bool\"},\n"
    "                 \"files\": {\"type\": \"list\", \"value\": [\"a.txt\"]}},\n"
    "   \"steps\": [{\"type\": \"file.exists\",\n"
    "              \"settings\": {\"fileName\": \"a.txt\", \"resultVar\": \"found\"}}]}\n"
    "Variable types: string, list, datatable, bool, number, object (none: undeclared).\n"
    "Relative paths resolve against the current directory.\n"
    "\n"
    "Exit status: 0 the command did its job (steps may have logged warnings), 1 a flow that\n"
    "cannot be read or a host error, 2 a bad command line.\n";

struct Arguments {
    QStringList plugins;
    QString command;
    QStringList operands;
    bool roundtrip = false;
    bool hasReport = false;
    QString reportFile;
    bool hasVars = false;
    QString vars;
    QString legacyEncoding;
    bool help = false;
};

struct UsageError {
    QString message;
};

void writeOut(const char* data, size_t size)
{
    std::fwrite(data, 1, size, stdout);
}

void writeOut(const QByteArray& bytes)
{
    writeOut(bytes.constData(), size_t(bytes.size()));
}

void printError(const QString& message)
{
    Console::writeLine(QStringLiteral("stephost: ") + message);
}

// Options may come anywhere; "--name VALUE" and "--name=VALUE" both work, "--" ends options.
Arguments parseArguments(const QStringList& args)
{
    Arguments parsed;
    QStringList positional;
    bool optionsEnded = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString arg = args.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            positional.append(arg);
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString name = arg;
        QString value;
        bool hasInlineValue = false;
        const int equals = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && equals > 0) {
            name = arg.left(equals);
            value = arg.mid(equals + 1);
            hasInlineValue = true;
        }
        auto takeValue = [&]() {
            if (hasInlineValue)
                return value;
            if (i + 1 >= args.size())
                throw UsageError{QStringLiteral("%1 needs a value").arg(name)};
            return args.at(++i);
        };
        auto noValue = [&]() {
            if (hasInlineValue)
                throw UsageError{QStringLiteral("%1 takes no value").arg(name)};
        };
        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            noValue();
            parsed.help = true;
        } else if (name == QLatin1String("--plugin")) {
            parsed.plugins.append(takeValue());
        } else if (name == QLatin1String("--legacy-encoding")) {
            parsed.legacyEncoding = takeValue();
            const QString problem = legacyEncodingProblem(parsed.legacyEncoding);
            if (!problem.isEmpty())
                throw UsageError{problem};
        } else if (name == QLatin1String("--roundtrip")) {
            noValue();
            parsed.roundtrip = true;
        } else if (name == QLatin1String("--report")) {
            parsed.reportFile = takeValue();
            parsed.hasReport = true;
        } else if (name == QLatin1String("--vars")) {
            parsed.vars = takeValue();
            parsed.hasVars = true;
        } else {
            throw UsageError{QStringLiteral("unknown option %1").arg(arg)};
        }
    }
    if (parsed.help)
        return parsed;
    if (positional.isEmpty())
        throw UsageError{QStringLiteral("no command given")};
    parsed.command = positional.takeFirst();
    parsed.operands = positional;
    return parsed;
}

void checkArguments(const Arguments& args)
{
    struct Shape {
        const char* command;
        int minOperands;
        int maxOperands;
        const char* usage;
    };
    static const Shape shapes[] = {
        {"list", 0, 0, "list"},
        {"schema", 0, 1, "schema [TYPE]"},
        {"run", 1, 1, "run FLOW [--roundtrip] [--report FILE] [--vars NAMES]"},
        {"save", 2, 2, "save FLOW.json OUT"},
        {"dump", 1, 1, "dump OUT"},
    };
    const Shape* shape = nullptr;
    for (const Shape& candidate : shapes) {
        if (args.command == QLatin1String(candidate.command))
            shape = &candidate;
    }
    if (!shape)
        throw UsageError{QStringLiteral("unknown command \"%1\"").arg(args.command)};
    if (args.operands.size() < shape->minOperands || args.operands.size() > shape->maxOperands)
        throw UsageError{QStringLiteral("usage: stephost %1").arg(QLatin1String(shape->usage))};
    if (args.command != QLatin1String("run") && (args.roundtrip || args.hasReport || args.hasVars))
        throw UsageError{
            QStringLiteral("--roundtrip, --report and --vars only go with the run command")};
}

void loadPlugins(PluginHost& host, const QStringList& files)
{
    for (const QString& line : host.loadNamedOrDefault(files))
        printError(line);
    if (files.isEmpty() && host.plugins().isEmpty())
        printError(QStringLiteral("no plug-in found in %1 (use --plugin FILE)")
                       .arg(PluginHost::defaultPluginDirectory()));
}

QString durationText(qint64 nanoseconds)
{
    if (nanoseconds < 1000000000)
        return QStringLiteral("%1 ms").arg(double(nanoseconds) / 1e6, 0, 'f', 1);
    return QStringLiteral("%1 s").arg(double(nanoseconds) / 1e9, 0, 'f', 1);
}

QString progressPrefix(int index, int count, const Operation& step)
{
    return QStringLiteral("[%1/%2] %3 …").arg(index + 1).arg(count).arg(step.typeName());
}

int runCommand(const PluginHost& host, const Arguments& args)
{
    const QString path = args.operands.at(0);
    RunOptions options;
    options.roundtrip = args.roundtrip;
    if (Console::isTerminal()) {
        options.stepStarted = [](int index, int count, const Operation& step) {
            Console::beginLine(progressPrefix(index, count, step));
        };
        options.stepFinished = [](int, int, const Operation&, qint64 nanoseconds) {
            Console::endLine(QLatin1Char(' ') + durationText(nanoseconds));
        };
    }
    QStringList filter;
    if (args.hasVars && !args.vars.isEmpty())
        filter = args.vars.split(QLatin1Char(','));

    std::string report;
    try {
        const Flow flow = readFlowFile(path, host);
        const RunResult result = runFlow(flow, host, options);
        report = reportText(result, args.hasVars ? &filter : nullptr);
    } catch (const FlowError& error) {
        printError(QStringLiteral("%1: %2").arg(path).arg(error.message));
        return FlowFailure;
    }
    writeOut(report.data(), report.size());
    std::fflush(stdout);
    if (args.hasReport) {
        try {
            writeWholeFile(args.reportFile, report.data(), qint64(report.size()));
        } catch (const FlowError& error) {
            printError(error.message);
            return FlowFailure;
        }
    }
    return Success;
}

int saveCommand(const PluginHost& host, const Arguments& args)
{
    const QString path = args.operands.at(0);
    try {
        const QByteArray bytes = writeBinaryFlow(readFlowFile(path, host), host);
        writeWholeFile(args.operands.at(1), bytes.constData(), bytes.size());
    } catch (const FlowError& error) {
        printError(QStringLiteral("%1: %2").arg(path).arg(error.message));
        return FlowFailure;
    }
    return Success;
}

int dumpCommand(const PluginHost& host, const Arguments& args)
{
    const QString path = args.operands.at(0);
    try {
        writeOut(toJsonText(jsonFlowValue(readFlowFile(path, host))));
    } catch (const FlowError& error) {
        printError(QStringLiteral("%1: %2").arg(path).arg(error.message));
        return FlowFailure;
    }
    return Success;
}

int schemaCommand(const PluginHost& host, const Arguments& args)
{
    if (args.operands.isEmpty()) {
        writeOut(toJsonText(schemaListValue(host)));
        return Success;
    }
    const Operation* prototype = host.prototype(args.operands.at(0));
    if (!prototype) {
        printError(QStringLiteral("no loaded plug-in provides the step type \"%1\"")
                       .arg(args.operands.at(0)));
        return UsageFailure;
    }
    writeOut(toJsonText(QVariantList{operationSchemaValue(*prototype)}));
    return Success;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    HostLanguage::install(app, HostLanguage::chosen());
    Arguments args;
    try {
        args = parseArguments(QCoreApplication::arguments());
        if (!args.help)
            checkArguments(args);
    } catch (const UsageError& error) {
        printError(error.message + QStringLiteral(" (stephost --help shows the usage)"));
        return UsageFailure;
    }
    if (args.help) {
        writeOut(usageText, sizeof usageText - 1);
        return Success;
    }

    useLegacyEncoding(args.legacyEncoding);
    PluginHost host;
    loadPlugins(host, args.plugins);
    int status = Success;
    if (args.command == QLatin1String("list"))
        writeOut(toJsonText(pluginListValue(host)));
    else if (args.command == QLatin1String("schema"))
        status = schemaCommand(host, args);
    else if (args.command == QLatin1String("run"))
        status = runCommand(host, args);
    else if (args.command == QLatin1String("save"))
        status = saveCommand(host, args);
    else if (args.command == QLatin1String("dump"))
        status = dumpCommand(host, args);
    // Output that never arrived (a full disk, a closed pipe) is no job done.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        printError(QStringLiteral("cannot write to standard output"));
        return FlowFailure;
    }
    return status;
}

// stephost-gui: the desktop host. Loads operation plug-ins as stephost does and lets a person
// build, edit, save, open and run a flow in a window.

#include "mainwindow.h"
#include "pluginhost.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace
{

// As stephost: the libraries named with --plugin, else every one in ../plugins/ next to the
// program. Returns one line per library left out.
QStringList loadPlugins(PluginHost& host, const QStringList& files)
{
    QStringList errors;
    if (files.isEmpty()) {
        host.loadDirectory(PluginHost::defaultPluginDirectory(), &errors);
    } else {
        for (const QString& file : files) {
            QString error;
            if (!host.load(file, &error))
                errors.append(QStringLiteral("%1: %2").arg(file).arg(error));
        }
    }
    QStringList lines;
    for (const QString& error : qAsConst(errors))
        lines.append(QStringLiteral("skipping plug-in %1").arg(error));
    return lines + host.clashes();
}

void printError(const QString& line)
{
    std::fprintf(stderr, "stephost-gui: %s\n", line.toUtf8().constData());
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("stephost-gui"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Builds, edits, saves and runs flows of operation plug-ins in a window."));
    parser.addHelpOption();
    const QCommandLineOption pluginOption(
        QStringLiteral("plugin"),
        QStringLiteral("Load this plug-in library (repeatable); without it, every library in "
                       "../plugins/ next to the program is tried."),
        QStringLiteral("FILE"));
    parser.addOption(pluginOption);
    parser.addPositionalArgument(QStringLiteral("FLOW"),
                                 QStringLiteral("A flow to open, JSON or binary."), "[FLOW]");
    parser.process(app);
    if (parser.positionalArguments().size() > 1) {
        printError(QStringLiteral("at most one flow can be opened (--help shows the usage)"));
        return 2;
    }

    // The host outlives the window: the window's steps run code of the plug-ins.
    PluginHost host;
    const QStringList loadErrors = loadPlugins(host, parser.values(pluginOption));
    MainWindow window(host);
    for (const QString& line : loadErrors) {
        printError(line);
        window.appendLogLine(line);
    }
    if (!parser.positionalArguments().isEmpty()) {
        const QString error = window.openFlow(parser.positionalArguments().first());
        if (!error.isEmpty()) {
            printError(error);
            window.appendLogLine(error);
        }
    }
    window.show();
    return app.exec();
}

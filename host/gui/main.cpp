// stephost-gui: the desktop host. Loads operation plug-ins as stephost does and lets a person
// build, edit, save, open and run a flow in a window.

#include "hostlanguage.h"
#include "legacyencodingmenu.h"
#include "mainwindow.h"
#include "pluginhost.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMenuBar>
#include <QSettings>

#include <cstdio>
#include <cstdlib>

namespace
{

void printError(const QString& line)
{
    std::fprintf(stderr, "stephost-gui: %s\n", line.toUtf8().constData());
}

struct Options {
    QStringList plugins;
    QString flow;
};

// Reads the command line of the running application (Qt's own options, such as -platform, are
// already taken out by QApplication). Exits for --help and errors.
Options readOptions(const QCoreApplication& app)
{
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
        std::exit(2);
    }
    return {parser.values(pluginOption), parser.positionalArguments().value(0)};
}

bool asksForHelp(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-?")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (asksForHelp(argc, argv)) {
        // Help needs no display.
        QCoreApplication app(argc, argv);
        readOptions(app);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("stephost-gui"));
    QSettings settings(QStringLiteral("stephost"), QStringLiteral("stephost-gui"));
    // A language chosen in the window wins over the user's locale.
    HostLanguage::install(
        app, HostLanguage::chosen(settings.value(QStringLiteral("language")).toString()));
    const Options options = readOptions(app);

    // The host outlives the window: the window's steps run code of the plug-ins.
    PluginHost host;
    const QStringList loadErrors = host.loadNamedOrDefault(options.plugins);
    MainWindow window(host);
    window.menuBar()->addMenu(new LegacyEncodingMenu(&settings, &window));
    for (const QString& line : loadErrors) {
        printError(line);
        window.appendLogLine(line);
    }
    if (!options.flow.isEmpty()) {
        const QString error = window.openFlow(options.flow);
        if (!error.isEmpty()) {
            printError(error);
            window.appendLogLine(error);
        }
    }
    window.show();
    return app.exec();
}

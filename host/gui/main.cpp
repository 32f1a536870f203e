// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

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
#include <QTimer>
#include <QWindow>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace
{

// The translation context of the program's own texts (help, errors).
class StephostGui
{
    Q_DECLARE_TR_FUNCTIONS(StephostGui)
};

void printError(const QString& line)
{
    std::fprintf(stderr, "stephost-gui: %s\n", line.toUtf8().constData());
}

struct Options {
    QStringList plugins;
    QString flow;
    bool run = false;
    QString screenshot;
};

// Reads the command line of the running application (Qt's own options, such as -platform, are
// already taken out by QApplication). Exits for --help and errors.
Options readOptions(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        StephostGui::tr("Builds, edits, saves and runs flows of operation plug-ins in a window."));
    parser.addHelpOption();
    const QCommandLineOption pluginOption(
        QStringLiteral("plugin"),
        StephostGui::tr("Load this plug-in library (repeatable); without it, every library in the "
                        "plug-ins folder is tried:\n%1")
            .arg(PluginHost::defaultPluginDirectory()),
        QStringLiteral("FILE"));
    const QCommandLineOption runOption(
        QStringLiteral("run"),
        StephostGui::tr("Run the flow as soon as the window is shown, as Run (F5) does."));
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"),
        StephostGui::tr(
            "Once the window is shown and a run asked for with --run is over, save a picture of "
            "the window to FILE (PNG) and close the window."),
        QStringLiteral("FILE"));
    parser.addOptions({pluginOption, runOption, screenshotOption});
    parser.addPositionalArgument(QStringLiteral("FLOW"),
                                 StephostGui::tr("A flow to open, JSON or binary."),
                                 QStringLiteral("[FLOW]"));
    parser.process(app);
    if (parser.positionalArguments().size() > 1) {
        printError(StephostGui::tr("at most one flow can be opened (--help shows the usage)"));
        std::exit(2);
    }
    return {parser.values(pluginOption), parser.positionalArguments().value(0),
            parser.isSet(runOption), parser.value(screenshotOption)};
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

// A language chosen in the window wins over the user's locale.
void installLanguage(QCoreApplication& app, const QSettings& settings)
{
    HostLanguage::install(
        app, HostLanguage::chosen(settings.value(QStringLiteral("language")).toString()));
}

// The picture --screenshot asks for, after which the window closes.
void takeScreenshot(MainWindow& window, const Options& options)
{
    if (options.screenshot.isEmpty())
        return;
    if (!window.grab().save(options.screenshot, "PNG")) {
        printError(
            StephostGui::tr("cannot save the picture of the window to %1").arg(options.screenshot));
        QCoreApplication::exit(1);
        return;
    }
    window.close();
}

// What --run and --screenshot ask for, done once the window is on the screen: unattended use,
// such as trying the window under an X server without a person.
void runUnattended(MainWindow& window, const Options& options)
{
    // The picture shows the run's outcome; without a run, or when none starts, the window as is.
    if (options.run) {
        QObject::connect(&window, &MainWindow::runFinished, &window,
                         [&window, options] { takeScreenshot(window, options); });
        if (window.startRun())
            return;
    }
    takeScreenshot(window, options);
}

// Calls back once, when the window is first exposed on the screen.
class FirstExposure : public QObject
{
public:
    FirstExposure(QWindow* window, std::function<void()> callback)
        : QObject(window), m_callback(std::move(callback))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            // After the expose event is handled, so the window has painted itself.
            QTimer::singleShot(0, this, [this] {
                m_callback();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> m_callback;
};

} // namespace

int main(int argc, char* argv[])
{
    // A file size limit (ulimit -f) makes a write that passes it fail as on a full disk, instead
    // of ending the host with the flow half done and no report.
    std::signal(SIGXFSZ, SIG_IGN);
    if (asksForHelp(argc, argv)) {
        // Help needs no display.
        QCoreApplication app(argc, argv);
        installLanguage(app, QSettings(QStringLiteral("stephost"), QStringLiteral("stephost-gui")));
        readOptions(app);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("stephost-gui"));
    QSettings settings(QStringLiteral("stephost"), QStringLiteral("stephost-gui"));
    installLanguage(app, settings);
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
    if (options.run || !options.screenshot.isEmpty())
        new FirstExposure(window.windowHandle(), [&] { runUnattended(window, options); });
    return app.exec();
}

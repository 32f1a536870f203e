// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Linked into every test program (tests/CMakeLists.txt), so no test reads or writes the user's own
// settings, data or journals, whether or not its author thought of it.

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace
{

// Runs as the application object is made, before the test object exists. QSettings and
// QStandardPaths in the test answer under ~/.qttest, as in Qt's own tests; HOME and the XDG
// folders, pointed into a folder that lives as long as the program, keep ~/.qttest and every
// program a test starts (stephost, stephost-gui) away from the user's home as well.
void useScratchHome()
{
    QStandardPaths::setTestModeEnabled(true);
    static QTemporaryDir home;
    if (!home.isValid())
        qFatal("tests: no scratch home folder: %s", qPrintable(home.errorString()));
    const QByteArray path = QFile::encodeName(home.path());
    qputenv("HOME", path);
    qputenv("XDG_CONFIG_HOME", path + "/.config");
    qputenv("XDG_DATA_HOME", path + "/.local/share");
    qputenv("XDG_CACHE_HOME", path + "/.cache");
    qputenv("XDG_STATE_HOME", path + "/.local/state");
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(useScratchHome)

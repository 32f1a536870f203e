// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// What the window tests share: the built plug-in loaded into their host, and for a test that runs
// flows a data folder and a current folder of its own.

#include "pluginhost.h"
#include "runjournals.h"
#include "testsupport.h"

#include <QFile>
#include <QtTest>

// Loads the built plug-in into `host`; called from initTestCase, so a failure ends the test.
inline void loadPlugin(PluginHost& host)
{
    QString error;
    QVERIFY2(host.load(QStringLiteral(PLUGIN_PATH), &error), qPrintable(error));
}

// The user's data folder, where the window keeps its journals and settings under Qt's test mode,
// made HOME; a scratch current folder for the files the runs change; and runs journaled, as they
// are until the user turns it off.
struct WindowScratch {
    WindowScratch()
    {
        qputenv("HOME", QFile::encodeName(data.path()));
        RunJournals::setEnabled(true);
    }
    QTemporaryDir data;
    ScratchCwd work;
};

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// A test runs the window's flow as Run (F5) does and waits for its end, handling events (the
// questions Run asks are answered meanwhile, see modalanswers.h).

#include "mainwindow.h"

#include <QSignalSpy>

// True when the flow ran, in full or until stopped; false when no run started (the user said No,
// the folder cannot be entered) or the flow could not run.
inline bool runToEnd(MainWindow& window)
{
    QSignalSpy finished(&window, &MainWindow::runFinished);
    if (!window.startRun())
        return false;
    // Only a hung run meets this bound; the test then fails instead of hanging.
    const int hungAfterMs = 300000;
    return finished.wait(hungAfterMs) && finished.first().first().toBool();
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QStringList>

// Standard error as people watch it: whole lines, plus one progress line that may stay open
// while a step runs and is closed before anything else is written.
class Console
{
public:
    static bool isTerminal();
    static void writeLine(const QString& text);
    // Starts a line that endLine() finishes; if something else is written in between, the
    // line is shown again in full when it ends.
    static void beginLine(const QString& text);
    // Shows the open line anew as `text`, in place; where something else was written since it
    // began, on a line of its own.
    static void redrawLine(const QString& text);
    static void endLine(const QString& tail);
};

// While it lives, warning-level messages logged on its own thread go to the recorded log (when
// recording is on); every message is echoed to standard error as it happens, and messages of other
// levels go to standard error only. Each thread records into its own capture, so flows run at the
// same time on different threads each get their own log.
class WarningCapture
{
public:
    WarningCapture();
    ~WarningCapture();
    WarningCapture(const WarningCapture&) = delete;
    WarningCapture& operator=(const WarningCapture&) = delete;

    void setRecording(bool recording);
    // Off: this thread's warnings are only recorded, not written to standard error.
    void setEchoing(bool echoing);
    bool echoes() const;
    // Adds one warning line when recording is on; the message handler calls it.
    void record(const QString& text);
    QStringList messages() const;

private:
    QStringList m_messages;
    bool m_recording = false;
    bool m_echoing = true;
    WarningCapture* m_outer; // the capture this one hides on its thread, if any
};

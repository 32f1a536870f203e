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
    static void endLine(const QString& tail);
};

// While it lives, warning-level messages go to the recorded log (when recording is on) and are
// echoed to standard error as they happen; messages of other levels go to standard error only.
class WarningCapture
{
public:
    WarningCapture();
    ~WarningCapture();
    WarningCapture(const WarningCapture&) = delete;
    WarningCapture& operator=(const WarningCapture&) = delete;

    void setRecording(bool recording);
    QStringList messages() const;
};

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Every test program also links scratchhome.cpp: Qt's test mode and a scratch HOME, for the test
// and every program it starts, are set before the test object is made.

// Collects the messages of one level logged while it lives, so a test can check the exact lines
// a step wrote (and that it wrote nothing else). Debug lines are kept as "category: text". Logs may
// nest: a message goes to the latest log of its level, and to the test's handler when none is.
class MessageLog
{
public:
    explicit MessageLog(QtMsgType type);
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    QStringList messages() const;

private:
    static void collect(QtMsgType type, const QMessageLogContext& context, const QString& text);

    const QtMsgType m_type;
    QStringList m_messages;
    MessageLog* m_outer; // a log made earlier that still lives
    QtMessageHandler m_previousHandler;
};

class WarningLog : public MessageLog
{
public:
    WarningLog() : MessageLog(QtWarningMsg) {}
};

// A scratch folder that is the current folder while it lives, so relative paths land in it.
class ScratchCwd
{
public:
    ScratchCwd();
    ~ScratchCwd();
    ScratchCwd(const ScratchCwd&) = delete;
    ScratchCwd& operator=(const ScratchCwd&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// One run of the stephost program. A run that ended by a signal (crashed) or was stopped for
// running too long (timedOut) has an exitCode of -1.
struct StephostResult {
    int exitCode = -1;
    bool crashed = false;
    bool timedOut = false;
    QByteArray out;
    QByteArray err;
    QJsonObject report() const;                      // stdout parsed as the run report
    QStringList log() const;                         // the report's warning lines
    QJsonValue value(const QString& variable) const; // a reported variable's value
};

// How a run is bounded: its time, and the largest file it may write (0: no limit), set as
// `ulimit -f` sets it, with SIGXFSZ at its default: the host must not die of a write past it.
struct StephostLimits {
    int timeoutMs = 300000;
    qint64 fileSizeLimit = 0;
    QString standardOutputFile; // empty: captured in StephostResult::out
    bool unprivileged = false;  // run as user nobody when the test runs as root
    qint64 memoryLimit = 0;     // bytes of address space (RLIMIT_AS); 0: no limit
};

StephostResult runStephost(const QStringList& arguments, const QString& workingDir = QString(),
                           const StephostLimits& limits = StephostLimits());

// Whether a child may be given an address-space limit: a build under AddressSanitizer reserves
// terabytes of shadow memory as it starts and cannot run under one.
constexpr bool addressSpaceLimitsWork()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#else
    return true;
#endif
}

// Writes bytes to a file, creating its folders; returns false on failure.
bool writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// Bytes written as hex digits, blanks allowed between them: hexBytes("fffe 6100").
inline QByteArray hexBytes(const char* digits)
{
    return QByteArray::fromHex(digits);
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QMutex>
#include <QProcess>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

static QMutex logMutex;
static MessageLog* latestLog = nullptr;

void MessageLog::collect(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    QtMessageHandler testHandler = nullptr;
    {
        QMutexLocker lock(&logMutex);
        for (MessageLog* log = latestLog; log; log = log->m_outer) {
            if (log->m_type == type) {
                log->m_messages.append(type == QtDebugMsg ? QLatin1String(context.category) +
                                                                QLatin1String(": ") + text
                                                          : text);
                return;
            }
            testHandler = log->m_previousHandler;
        }
    }
    if (testHandler)
        testHandler(type, context, text);
}

MessageLog::MessageLog(QtMsgType type) : m_type(type)
{
    QMutexLocker lock(&logMutex);
    m_outer = latestLog;
    latestLog = this;
    m_previousHandler = qInstallMessageHandler(collect);
}

MessageLog::~MessageLog()
{
    qInstallMessageHandler(m_previousHandler);
    QMutexLocker lock(&logMutex);
    latestLog = m_outer;
}

QStringList MessageLog::messages() const
{
    QMutexLocker lock(&logMutex);
    return m_messages;
}

ScratchCwd::ScratchCwd() : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

ScratchCwd::~ScratchCwd()
{
    QDir::setCurrent(m_previous);
}

QJsonObject StephostResult::report() const
{
    return QJsonDocument::fromJson(out).object();
}

QStringList StephostResult::log() const
{
    return report().value(QLatin1String("log")).toVariant().toStringList();
}

QJsonValue StephostResult::value(const QString& variable) const
{
    const QJsonObject variables = report().value(QLatin1String("variables")).toObject();
    return variables.value(variable).toObject().value(QLatin1String("value"));
}

namespace
{

// Applies the limits in the child, between fork and exec.
class LimitedProcess : public QProcess
{
public:
    explicit LimitedProcess(const StephostLimits& limits)
        : m_fileSizeLimit(limits.fileSizeLimit), m_memoryLimit(limits.memoryLimit),
          m_unprivileged(limits.unprivileged)
    {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        setChildProcessModifier([this] { applyLimits(); });
#endif
    }

protected:
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    void setupChildProcess() override
    {
        applyLimits();
    }
#endif

private:
    void applyLimits() const
    {
        // Root writes where the folder's permissions say no; nobody does not.
        if (m_unprivileged && ::getuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(127);
        if (m_memoryLimit > 0) {
            const rlimit memory{rlim_t(m_memoryLimit), rlim_t(m_memoryLimit)};
            ::setrlimit(RLIMIT_AS, &memory);
        }
        // As a user's shell starts it: SIGXFSZ at its default, which ends a process that writes
        // past the limit unless the process itself ignores the signal.
        ::signal(SIGXFSZ, SIG_DFL);
        if (m_fileSizeLimit <= 0)
            return;
        const rlimit limit{rlim_t(m_fileSizeLimit), rlim_t(m_fileSizeLimit)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }

    qint64 m_fileSizeLimit;
    qint64 m_memoryLimit;
    bool m_unprivileged;
};

} // namespace

StephostResult runStephost(const QStringList& arguments, const QString& workingDir,
                           const StephostLimits& limits)
{
    LimitedProcess process(limits);
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    if (!limits.standardOutputFile.isEmpty())
        process.setStandardOutputFile(limits.standardOutputFile);
    process.start(QStringLiteral(STEPHOST_PATH), arguments);
    StephostResult result;
    if (!process.waitForFinished(limits.timeoutMs)) {
        if (process.error() == QProcess::FailedToStart) {
            result.err = "stephost did not start";
            return result;
        }
        process.kill();
        process.waitForFinished();
        result.timedOut = true;
        result.err = "stephost did not finish";
        return result;
    }
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = result.crashed ? -1 : process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

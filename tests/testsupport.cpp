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
static QStringList* currentLog = nullptr;
static QtMessageHandler previousHandler = nullptr;

static void collectWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    {
        QMutexLocker lock(&logMutex);
        if (currentLog && type == QtWarningMsg) {
            currentLog->append(text);
            return;
        }
    }
    if (previousHandler)
        previousHandler(type, context, text);
}

WarningLog::WarningLog()
{
    QMutexLocker lock(&logMutex);
    currentLog = new QStringList;
    previousHandler = qInstallMessageHandler(collectWarnings);
}

WarningLog::~WarningLog()
{
    qInstallMessageHandler(previousHandler);
    QMutexLocker lock(&logMutex);
    delete currentLog;
    currentLog = nullptr;
}

QStringList WarningLog::messages() const
{
    QMutexLocker lock(&logMutex);
    return *currentLog;
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

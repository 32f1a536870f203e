#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QMutex>
#include <QProcess>

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

StephostResult runStephost(const QStringList& arguments, const QString& workingDir)
{
    QProcess process;
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    process.start(QStringLiteral(STEPHOST_PATH), arguments);
    StephostResult result;
    if (!process.waitForFinished(300000)) {
        process.kill();
        process.waitForFinished();
        result.err = "stephost did not finish";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
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

#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// Collects the warning-level messages logged while it lives, so a test can check the exact
// lines a step wrote (and that it wrote nothing else).
class WarningLog
{
public:
    WarningLog();
    ~WarningLog();
    WarningLog(const WarningLog&) = delete;
    WarningLog& operator=(const WarningLog&) = delete;

    QStringList messages() const;
};

// One run of the stephost program.
struct StephostResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject report() const; // stdout parsed as the run report
};

StephostResult runStephost(const QStringList& arguments, const QString& workingDir = QString());

// Writes bytes to a file, creating its folders; returns false on failure.
bool writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

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

// Bytes written as hex digits, blanks allowed between them: hexBytes("fffe 6100").
inline QByteArray hexBytes(const char* digits)
{
    return QByteArray::fromHex(digits);
}

#include "flowfile.h"

#include "binaryflow.h"
#include "jsonflow.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

Flow readFlowFile(const QString& path, const PluginHost& host)
{
    QFile file(path);
    if (QFileInfo(path).isDir())
        throw FlowError{QStringLiteral("is a folder, not a flow file")};
    if (!file.open(QIODevice::ReadOnly))
        throw FlowError{QStringLiteral("cannot open: %1").arg(file.errorString())};
    const QByteArray data = file.readAll();
    if (isBinaryFlow(data))
        return readBinaryFlow(data, host);
    return readJsonFlow(data, host);
}

void writeWholeFile(const QString& path, const char* data, qint64 size)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(data, size) != size || !file.commit())
        throw FlowError{QStringLiteral("cannot write %1: %2").arg(path).arg(file.errorString())};
}

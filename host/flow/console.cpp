#include "console.h"

#include <QMutex>

#include <cstdio>
#include <unistd.h>

namespace
{

QMutex consoleMutex;
QString openLine;
bool lineIsOpen = false;

void put(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

void closeOpenLine()
{
    if (lineIsOpen) {
        put(QStringLiteral("\n"));
        lineIsOpen = false;
    }
}

struct CaptureState {
    QStringList messages;
    bool recording = false;
    QtMessageHandler previous = nullptr;
};
CaptureState* capture = nullptr;

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    {
        QMutexLocker lock(&consoleMutex);
        if (capture && type == QtWarningMsg && capture->recording)
            capture->messages.append(text);
    }
    if (type == QtWarningMsg)
        Console::writeLine(text);
    else
        Console::writeLine(qFormatLogMessage(type, context, text));
}

} // namespace

bool Console::isTerminal()
{
    return isatty(fileno(stderr));
}

void Console::writeLine(const QString& text)
{
    QMutexLocker lock(&consoleMutex);
    closeOpenLine();
    put(text + QLatin1Char('\n'));
    std::fflush(stderr);
}

void Console::beginLine(const QString& text)
{
    QMutexLocker lock(&consoleMutex);
    closeOpenLine();
    put(text);
    std::fflush(stderr);
    openLine = text;
    lineIsOpen = true;
}

void Console::endLine(const QString& tail)
{
    QMutexLocker lock(&consoleMutex);
    put(lineIsOpen ? tail + QLatin1Char('\n') : openLine + tail + QLatin1Char('\n'));
    std::fflush(stderr);
    lineIsOpen = false;
}

WarningCapture::WarningCapture()
{
    QMutexLocker lock(&consoleMutex);
    capture = new CaptureState;
    capture->previous = qInstallMessageHandler(handleMessage);
}

WarningCapture::~WarningCapture()
{
    qInstallMessageHandler(capture->previous);
    QMutexLocker lock(&consoleMutex);
    delete capture;
    capture = nullptr;
}

void WarningCapture::setRecording(bool recording)
{
    QMutexLocker lock(&consoleMutex);
    capture->recording = recording;
}

QStringList WarningCapture::messages() const
{
    QMutexLocker lock(&consoleMutex);
    return capture->messages;
}

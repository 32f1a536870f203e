// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

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

// The capture that records the messages of the current thread. The handler is installed while at
// least one capture lives on any thread.
thread_local WarningCapture* threadCapture = nullptr;
QMutex handlerMutex;
int handlerUsers = 0;
QtMessageHandler previousHandler = nullptr;

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtWarningMsg) {
        if (threadCapture)
            threadCapture->record(text);
        if (!threadCapture || threadCapture->echoes())
            Console::writeLine(text);
    } else {
        Console::writeLine(qFormatLogMessage(type, context, text));
    }
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

void Console::redrawLine(const QString& text)
{
    QMutexLocker lock(&consoleMutex);
    // Back to the line's start, the new text, and the rest of the old one cleared.
    put(lineIsOpen ? QStringLiteral("\r") + text + QStringLiteral("\x1b[K") : text);
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

WarningCapture::WarningCapture() : m_outer(threadCapture)
{
    threadCapture = this;
    QMutexLocker lock(&handlerMutex);
    if (handlerUsers++ == 0)
        previousHandler = qInstallMessageHandler(handleMessage);
}

WarningCapture::~WarningCapture()
{
    threadCapture = m_outer;
    QMutexLocker lock(&handlerMutex);
    if (--handlerUsers == 0)
        qInstallMessageHandler(previousHandler);
}

void WarningCapture::setRecording(bool recording)
{
    m_recording = recording;
}

void WarningCapture::setEchoing(bool echoing)
{
    m_echoing = echoing;
}

bool WarningCapture::echoes() const
{
    return m_echoing;
}

void WarningCapture::record(const QString& text)
{
    if (m_recording)
        m_messages.append(text);
}

QStringList WarningCapture::messages() const
{
    return m_messages;
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "flowfile.h"

#include "binaryflow.h"
#include "jsonflow.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

class FlowFile
{
    Q_DECLARE_TR_FUNCTIONS(FlowFile)
};

// Far more than any flow holds, and far less than would exhaust memory: a flow read from an
// endless pipe ends in a clear error.
const qint64 maxFlowSize = qint64(1) << 30;

[[noreturn]] void failToRead(const QString& reason)
{
    throw FlowError{FlowFile::tr("cannot open: %1").arg(reason)};
}

[[noreturn]] void tooLarge()
{
    throw FlowError{FlowFile::tr("is larger than 1 GiB, not a flow file")};
}

// Regular files, and pipes or FIFOs (`run <(make-flow)`) up to their end. Devices never end
// (/dev/zero) and are refused; a FIFO nobody writes to reads as empty instead of waiting forever.
QByteArray readFlowBytes(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        throw FlowError{FlowFile::tr("is a folder, not a flow file")};
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        failToRead(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat status;
    if (::fstat(fd, &status) != 0 || !(S_ISREG(status.st_mode) || S_ISFIFO(status.st_mode))) {
        ::close(fd);
        throw FlowError{FlowFile::tr("is not a file or a pipe, not a flow file")};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        failToRead(file.errorString());
    }
    if (status.st_size > maxFlowSize)
        tooLarge();
    // A pipe, and a file whose size reads as 0 (as under /proc), are read in chunks to their end.
    QByteArray data = status.st_size > 0 ? file.readAll() : QByteArray();
    char chunk[65536];
    for (qint64 got; (got = file.read(chunk, sizeof chunk)) > 0;) {
        if (data.size() + got > maxFlowSize)
            tooLarge();
        data.append(chunk, int(got));
    }
    if (file.error() != QFileDevice::NoError)
        failToRead(file.errorString());
    return data;
}

[[noreturn]] void failToWrite(const QString& path, const QString& reason)
{
    throw FlowError{FlowFile::tr("cannot write %1: %2").arg(path).arg(reason)};
}

// Writes all of data to an unbuffered file; where a write stops short (a disk that fills, a file
// size limit), the next one tells why in the file's errorString().
bool writeAll(QFileDevice& file, const char* data, qint64 size)
{
    for (qint64 written = 0, last = 0; written < size; written += last) {
        last = file.write(data + written, size - written);
        if (last <= 0)
            return false;
    }
    return true;
}

// A device, FIFO or socket is written to as it is: replacing it with a regular file, as a save
// through a temporary file would, could remove a device node when run as root. The open does not
// wait for a FIFO's reader to come.
void writeToSpecialFile(const QString& path, const char* data, qint64 size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        failToWrite(path, QString::fromLocal8Bit(std::strerror(errno)));
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                   QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        failToWrite(path, file.errorString());
    }
    if (!writeAll(file, data, size))
        failToWrite(path, file.errorString());
}

} // namespace

Flow readFlowFile(const QString& path, const PluginHost& host)
{
    const QByteArray data = readFlowBytes(path);
    if (isBinaryFlow(data))
        return readBinaryFlow(data, host);
    return readJsonFlow(data, host);
}

void writeWholeFile(const QString& path, const char* data, qint64 size)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        writeToSpecialFile(path, data, size);
        return;
    }
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    // Unbuffered: a write that fails (a full disk, a file size limit) fails here with its reason;
    // buffered, it would fail only in the commit's flush, which passes the empty file for done.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !writeAll(file, data, size) ||
        !file.commit())
        failToWrite(path, file.errorString());
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filecopy.h"

#include "core/posixfile_unix.h"
#include "core/regularfile.h"
#include "core/replacementfile.h"

#include <QFile>

#include <cerrno>

namespace
{

// Files under /proc say they are empty and are not; QFile::copy believes their size and would make
// an empty copy. Their text is read to its end and written to a file made new for it.
bool copyWithQFile(const QString& source, const QString& target, QString* error)
{
    QFile file(source);
    if (file.copy(target))
        return true;
    *error = file.errorString();
    return false;
}

// A file that says it is empty is trusted to end within this many bytes, as much as a step reads
// of a file: /proc/self/pagemap, which reads as hundreds of gigabytes, fails instead of filling
// the disk. Read in pieces that are a multiple of its 8-byte entries.
const qint64 kMaxUnsizedCopy = qint64(1) << 30;
const int kUnsizedPiece = 1 << 16;

// Copies what the source gives, from the piece already read up to its end; false, *error saying
// why, where a read or a write fails or the copy would pass the limit above or the process's file
// size limit.
bool copyToEnd(QFile& in, QByteArray piece, QFile& out, QString* error)
{
    for (qint64 copied = 0; !piece.isEmpty(); piece = in.read(kUnsizedPiece)) {
        copied += piece.size();
        if (copied > kMaxUnsizedCopy || !withinFileSizeLimit(copied)) {
            *error = qt_error_string(EFBIG);
            return false;
        }
        if (out.write(piece) != piece.size()) {
            *error = out.errorString();
            return false;
        }
    }
    if (in.error() == QFileDevice::NoError)
        return true;
    *error = in.errorString();
    return false;
}

bool copyFileThatReadsAsEmpty(const QString& source, const QString& target, QString* error)
{
    QFile in;
    if (!openRegularFileForReading(source, &in)) {
        *error = QStringLiteral("cannot open the source for reading");
        return false;
    }
    const QByteArray first = in.read(kUnsizedPiece);
    if (in.error() != QFileDevice::NoError) {
        *error = in.errorString();
        return false;
    }
    if (first.isEmpty())
        return copyWithQFile(source, target, error);
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        *error = out.errorString();
        return false;
    }
    if (copyToEnd(in, first, out, error)) {
        if (syncData(out.handle()))
            return true;
        *error = qt_error_string(errno);
    }
    out.remove();
    return false;
}

bool copyBytes(const QFileInfo& source, const QString& target, QString* error)
{
    // Refused before it starts where the copy would pass the size limit, as a write is.
    if (!withinFileSizeLimit(source.size())) {
        *error = qt_error_string(EFBIG);
        return false;
    }
    if (source.size() == 0)
        return copyFileThatReadsAsEmpty(source.filePath(), target, error);
    return copyWithQFile(source.filePath(), target, error);
}

} // namespace

// The copy takes the time the source was last changed when its copy began: a file that changed
// while it was copied then looks older than it is, never newer, and is taken again by whoever
// compares times. The time is kept as exactly as the target's file system keeps times; where it
// cannot be set at all, the copy stands without it.
bool copyFileWithoutReplacing(const QFileInfo& source, const QString& target, QString* error)
{
    FileStatus before;
    const bool known = statusOf(source.filePath(), true, &before);
    if (!copyBytes(source, target, error))
        return false;
    if (known)
        setModificationTime(target, before.modified);
    return true;
}

bool copyFileReplacing(const QFileInfo& source, const QString& target, QString* error)
{
    removeLeftoverReplacements(target);
    const QString temp = unusedReplacementPath(target);
    if (!copyFileWithoutReplacing(source, temp, error))
        return false;
    if (renameReplacing(temp, target))
        return true;
    *error = qt_error_string(errno);
    QFile::remove(temp);
    return false;
}

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

bool copyFileThatReadsAsEmpty(const QString& source, const QString& target, QString* error)
{
    QFile in;
    if (!openRegularFileForReading(source, &in)) {
        *error = QStringLiteral("cannot open the source for reading");
        return false;
    }
    const QByteArray content = in.readAll();
    if (content.isEmpty())
        return copyWithQFile(source, target, error);
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *error = out.errorString();
        return false;
    }
    const bool written = out.write(content) == content.size() && out.flush();
    if (written && syncData(out.handle()))
        return true;
    *error = written ? qt_error_string(errno) : out.errorString();
    out.remove();
    return false;
}

bool copyBytes(const QFileInfo& source, const QString& target, QString* error)
{
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

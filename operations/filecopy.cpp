#include "filecopy.h"

#include "core/regularfile.h"

#include <QFile>

#include <unistd.h>

namespace
{

// Files under /proc say they are empty and are not; QFile::copy believes their size and would make
// an empty copy. Their text is read to its end and written to a file made new for it.
bool copyFileThatReadsAsEmpty(const QString& source, const QString& target)
{
    QFile in;
    if (!openRegularFileForReading(source, &in))
        return false;
    const QByteArray content = in.readAll();
    if (content.isEmpty())
        return QFile::copy(source, target);
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    if (out.write(content) == content.size() && out.flush() && ::fdatasync(out.handle()) == 0)
        return true;
    out.remove();
    return false;
}

} // namespace

bool copyFileWithoutReplacing(const QFileInfo& source, const QString& target)
{
    if (source.size() == 0)
        return copyFileThatReadsAsEmpty(source.filePath(), target);
    return QFile::copy(source.filePath(), target);
}

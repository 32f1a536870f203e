#include "filetransfer.h"

#include "core/settings.h"
#include "operations/filelist.h"
#include "operations/uniquepath.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

namespace
{

// Indexes into "不执行任何操作|覆盖|文件名称后加序号"; every other value adds a number.
const int kLeaveAlone = 0;
const int kOverwrite = 1;

bool isSameFile(const QFileInfo& source, const QString& target)
{
    // Only asked when the target exists, so the cost of resolving links is paid on clashes only.
    // Comparing resolved paths catches "./a.txt", "sub/../a.txt" and links to the folder alike.
    const QString canonicalSource = source.canonicalFilePath();
    return !canonicalSource.isEmpty() && canonicalSource == QFileInfo(target).canonicalFilePath();
}

class Transfer
{
public:
    Transfer(TransferKind kind, int ifExist) : m_kind(kind), m_ifExist(ifExist) {}

    // Copies (or moves) one source into the folder; true when the target is to be listed.
    bool put(const QString& source, const QDir& folder)
    {
        const QFileInfo sourceInfo(source);
        if (!sourceInfo.exists())
            return false;
        m_target = folder.filePath(sourceInfo.fileName());
        if (QFile::exists(m_target) && !settleClash(sourceInfo))
            return false;
        // QFile::copy never replaces an existing file, and the source is removed only once its
        // copy is complete under its final name.
        if (!QFile::copy(source, m_target))
            return false;
        if (m_kind == TransferKind::Move && !QFile::remove(source))
            return false;
        m_produced.insert(m_target);
        return true;
    }

    QString target() const { return m_target; }

private:
    // Decides what happens when the target name is taken; false skips the source.
    bool settleClash(const QFileInfo& source)
    {
        if (m_ifExist == kLeaveAlone)
            return false;
        if (m_ifExist == kOverwrite)
            return makeRoomForOverwrite(source);
        // A file this move has already put here is not moved a second time: the path listed for
        // it must still exist after the step.
        if (m_kind == TransferKind::Move && m_produced.contains(m_target) &&
            isSameFile(source, m_target))
            return false;
        m_target = makeUniquePath(m_target);
        return true;
    }

    // Removes the clashing target, unless that could lose a file the user keeps.
    bool makeRoomForOverwrite(const QFileInfo& source)
    {
        // A folder in the way stays, with everything in it; the source stays too.
        if (QFileInfo(m_target).isDir())
            return false;
        // The target is the source itself (written another way, or reached through a link):
        // removing it would remove the only copy. The file is left as it is and not listed.
        if (isSameFile(source, m_target))
            return false;
        // A file this step put here a moment ago (two sources with one name) is not replaced:
        // for a move it is the only copy of the earlier source, and a listed path must exist.
        if (m_produced.contains(m_target))
            return false;
        // A source that is not a regular file (a folder) cannot be copied; the target would be
        // removed for nothing.
        if (!source.isFile())
            return false;
        QFile::remove(m_target);
        return true;
    }

    const TransferKind m_kind;
    const int m_ifExist;
    QString m_target;
    QSet<QString> m_produced;
};

void warnEmptyDestination(TransferKind kind)
{
    if (kind == TransferKind::Copy)
        qWarning() << "[FileCopy] 目标文件夹为空，已跳过";
    else
        qWarning() << "[FileMove] 目标文件夹为空，已跳过";
}

} // namespace

void transferFiles(TransferKind kind, const TransferSettings& settings, VariableScope* scope)
{
    const QStringList sources = expandFileList(scope, settings.files);
    const QString destination = resolvePath(settings.destDir, scope);
    if (destination.isEmpty()) {
        warnEmptyDestination(kind);
        return;
    }
    // Not checked: if the folder cannot be made, each copy below fails on its own.
    QDir().mkpath(destination);
    const QDir folder(destination);

    Transfer transfer(kind, settings.ifExist);
    QStringList produced;
    for (const QString& source : sources) {
        if (transfer.put(source, folder))
            produced.append(transfer.target());
    }
    storeListVariable(scope, settings.listVar, produced);
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filetransfer.h"

#include "core/logging.h"
#include "core/replacementfile.h"
#include "core/settings.h"
#include "filesystem/fileplans.h"
#include "operations/filelist.h"
#include "operations/stepfiles.h"
#include "operations/uniquepath.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

namespace
{

class Transfer
{
public:
    Transfer(TransferKind kind, TransferClash ifExist, FileSystem& files)
        : m_kind(kind), m_ifExist(ifExist), m_files(files),
          m_category(kind == TransferKind::Copy ? lcCopy : lcMove),
          m_action(kind == TransferKind::Copy ? QStringLiteral("copy") : QStringLiteral("move"))
    {
    }

    // Copies (or moves) one source into the folder. Returns the path it produced, or an empty
    // string when the source was skipped or its copy failed.
    QString put(const QString& source, const QDir& folder)
    {
        // Only regular files (or links to them) are copied. A folder cannot be; a FIFO or a
        // device could block the flow or never end. They are skipped like missing files.
        const EntryStatus status = m_files.status(source);
        if (!status.isFile()) {
            skip(source, source,
                 status.exists() ? QStringLiteral("not a regular file")
                                 : QStringLiteral("no such file"));
            return QString();
        }
        QString target = folder.filePath(QFileInfo(source).fileName());
        const bool clash = m_files.exists(target);
        if (clash && !settleClash(source, target))
            return QString();
        // An existing target is replaced only by a complete copy, and the source is removed only
        // once its copy is complete under its final name.
        const bool replace = clash && m_ifExist == TransferClash::Overwrite;
        FileError error;
        const Overwrite overwrite = replace ? Overwrite::Yes : Overwrite::No;
        if (!m_files.copyFile(source, target, overwrite, &error)) {
            explainSkip(m_category, source,
                        QStringLiteral("not copied to %1, %2").arg(target, error.text));
            return QString();
        }
        if (m_kind == TransferKind::Move && !removeMovedSource(source, target, status))
            return QString();
        m_produced.insert(target);
        return target;
    }

private:
    // Only asked when the target exists, so the cost of resolving links is paid on clashes only.
    // Comparing resolved paths catches "./a.txt", "sub/../a.txt" and links to the folder alike.
    bool isSameFile(const QString& source, const QString& target) const
    {
        const QString canonicalSource = m_files.canonicalPath(source);
        return !canonicalSource.isEmpty() && canonicalSource == m_files.canonicalPath(target);
    }

    // Decides what happens when the target name is taken: false skips the source; a numbered
    // name replaces the target path.
    bool settleClash(const QString& source, QString& target) const
    {
        if (m_ifExist == TransferClash::LeaveAlone)
            return skipClash(source, target, "is there");
        if (m_ifExist == TransferClash::Overwrite)
            return mayOverwrite(source, target);
        // A file this move has already put here is not moved a second time: the path listed for
        // it must still exist after the step.
        if (m_kind == TransferKind::Move && m_produced.contains(target) &&
            isSameFile(source, target))
            return skipClash(source, target, "is the file itself, moved there already");
        target = makeUniquePath(m_files, target);
        return true;
    }

    // Whether the clashing target may be replaced, which could not lose a file the user keeps.
    bool mayOverwrite(const QString& source, const QString& target) const
    {
        // A folder in the way stays, with everything in it; the source stays too.
        if (m_files.isFolder(target))
            return skipClash(source, target, "is a folder");
        // The target is the source itself (written another way, or reached through a link):
        // replacing it would lose the only copy. The file is left as it is and not listed.
        if (isSameFile(source, target))
            return skipClash(source, target, "is the file itself");
        // A file this move put here a moment ago (two sources with one name) is the only copy of
        // the earlier source, so it stays and the later source stays where it was. A copy may
        // replace its own earlier copy: the sources keep their bytes, and both are listed.
        if (m_kind == TransferKind::Move && m_produced.contains(target))
            return skipClash(source, target, "was moved there by this step");
        return true;
    }

    // The source goes only if it is still the file that was copied: one that another program
    // wrote to (or put in its place) meanwhile holds what the copy lacks. It then stays, as
    // after a removal that fails.
    bool removeMovedSource(const QString& source, const QString& target,
                           const EntryStatus& copied) const
    {
        FileError error;
        if (!isUnchanged(copied, m_files.status(source)))
            error.text = QStringLiteral("it changed while it was copied");
        else if (m_files.remove(source, &error))
            return true;
        explainSkip(m_category, source,
                    QStringLiteral("copied to %1 but not removed, %2").arg(target, error.text));
        return false;
    }

    static bool isUnchanged(const EntryStatus& before, const EntryStatus& now)
    {
        return now.isFile() && now.id == before.id && now.size == before.size &&
               now.modified == before.modified;
    }

    // A source left alone: why, for a user who asks, and in a plan.
    void skip(const QString& source, const QString& path, const QString& why) const
    {
        explainSkip(m_category, source, QStringLiteral("skipped, ") + why);
        m_files.noteSkipped(m_action, path, source, why);
    }

    // Always false: the source is skipped because of what is at the target.
    bool skipClash(const QString& source, const QString& target, const char* what) const
    {
        skip(source, target, target + QLatin1Char(' ') + QLatin1String(what));
        return false;
    }

    const TransferKind m_kind;
    const TransferClash m_ifExist;
    FileSystem& m_files;
    const LoggingCategory m_category;
    const QString m_action;
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
    StepFiles step(scope, kind == TransferKind::Copy ? "[FileCopy]" : "[FileMove]");
    FileSystem& files = step.files();
    files.makeFolderPath(destination, nullptr);
    const QDir folder(destination);

    // Replacing many files of the folder lists it for leftovers of killed runs once, not once
    // for each file.
    const LeftoverSearchOncePerFolder leftoverSearch;
    Transfer transfer(kind, settings.ifExist, files);
    QStringList produced;
    step.expectFiles(sources, StepFiles::Bytes::Counted);
    for (const QString& source : sources) {
        if (!step.goOn())
            break;
        const QString target = transfer.put(source, folder);
        if (!target.isEmpty())
            produced.append(target);
    }
    storeListVariable(scope, settings.listVar, produced);
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filetransfer.h"

#include "core/logging.h"
#include "core/replacementfile.h"
#include "core/settings.h"
#include "filesystem/fileplans.h"
#include "operations/filelist.h"
#include "operations/stepfiles.h"
#include "operations/transferbatch.h"
#include "operations/uniquepath.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringList>

namespace
{

class Transfer
{
public:
    Transfer(TransferKind kind, TransferClash ifExist, FileSystem& files, const QString& folder)
        : m_kind(kind), m_ifExist(ifExist), m_files(files),
          m_category(kind == TransferKind::Copy ? lcCopy : lcMove),
          m_action(kind == TransferKind::Copy ? QStringLiteral("copy") : QStringLiteral("move")),
          m_folder(folder), m_canonicalFolder(files.canonicalPath(folder))
    {
        std::unique_ptr<CopyBatch> batch = files.startCopyBatch();
        if (batch)
            m_batch = std::make_unique<TransferBatch>(
                std::move(batch), [this](const TransferBatch::Copy& copy, const FileError* error) {
                    finish(copy, error);
                });
    }

    // Copies (or moves) one source into the folder. What it produced is listed once its copy
    // has its name, which may wait for the batch it joins.
    void put(const QString& source)
    {
        // A source missing now may be a name a waiting copy is about to take, and a source
        // waiting already is moved only once: both are decided on the files as they will be.
        EntryStatus status = m_files.status(source);
        if (m_batch && !m_batch->isEmpty() &&
            (!status.isFile() ||
             (m_kind == TransferKind::Move && m_batch->holdsSource(status.id)))) {
            m_batch->flush();
            status = m_files.status(source);
        }
        // Only regular files (or links to them) are copied. A folder cannot be; a FIFO or a
        // device could block the flow or never end. They are skipped like missing files.
        if (!status.isFile()) {
            skip(source, source,
                 status.exists() ? QStringLiteral("not a regular file")
                                 : QStringLiteral("no such file"));
            return;
        }
        QString target = m_folder.filePath(QFileInfo(source).fileName());
        // Replacing a name that a waiting copy takes replaces that copy, once it is there.
        if (m_batch && m_ifExist == TransferClash::Overwrite && m_batch->reserves(target))
            m_batch->flush();
        const bool clash = isTaken(target);
        if (clash && !settleClash(source, target))
            return;
        // An existing target is replaced only by a complete copy, and the source is removed only
        // once its copy is complete under its final name.
        const bool replace = clash && m_ifExist == TransferClash::Overwrite;
        const TransferBatch::Copy copy{source, target, replace ? Overwrite::Yes : Overwrite::No,
                                       status};
        if (mayWait(source, status)) {
            FileError error;
            if (!m_batch->add(copy, &error))
                finish(copy, &error);
            return;
        }
        if (m_batch)
            m_batch->flush();
        FileError error;
        const bool copied = m_files.copyFile(source, target, copy.overwrite, &error);
        finish(copy, copied ? nullptr : &error);
    }

    // The paths produced, in the order of their sources, once every copy has its name.
    QStringList finishAll()
    {
        if (m_batch)
            m_batch->flush();
        return m_results;
    }

private:
    bool isTaken(const QString& path) const
    {
        return (m_batch && m_batch->reserves(path)) || m_files.exists(path);
    }

    // A move from the destination folder itself removes a name that later sources may clash
    // with: it is made on its own, and what follows is decided on the files it leaves. So is a
    // large file.
    bool mayWait(const QString& source, const EntryStatus& status)
    {
        if (!m_batch || copiedAlone(status.size))
            return false;
        if (m_kind == TransferKind::Copy)
            return true;
        const QString sourceFolder = QFileInfo(source).path();
        auto known = m_sourceFolderIsTarget.constFind(sourceFolder);
        if (known == m_sourceFolderIsTarget.constEnd())
            known = m_sourceFolderIsTarget.insert(
                sourceFolder, m_files.canonicalPath(sourceFolder) == m_canonicalFolder);
        return !known.value();
    }

    // A copy made or failed: a move then removes its source, and what stands is listed.
    void finish(const TransferBatch::Copy& copy, const FileError* error)
    {
        if (error) {
            explainSkip(m_category, copy.source,
                        QStringLiteral("not copied to %1, %2").arg(copy.target, error->text));
            return;
        }
        if (m_kind == TransferKind::Move &&
            !removeMovedSource(copy.source, copy.target, copy.sourceStatus))
            return;
        m_produced.insert(copy.target);
        m_results.append(copy.target);
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
        target = makeUniquePath([this](const QString& path) { return isTaken(path); }, target);
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
    const QDir m_folder;
    const QString m_canonicalFolder;
    QSet<QString> m_produced;
    QStringList m_results;
    std::unique_ptr<TransferBatch> m_batch;
    QHash<QString, bool> m_sourceFolderIsTarget;
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

    // Replacing many files of the folder lists it for leftovers of killed runs once, not once
    // for each file.
    const LeftoverSearchOncePerFolder leftoverSearch;
    Transfer transfer(kind, settings.ifExist, files, destination);
    step.expectFiles(sources, StepFiles::Bytes::Counted);
    for (const QString& source : sources) {
        if (!step.goOn())
            break;
        transfer.put(source);
    }
    const QStringList produced = transfer.finishAll();
    storeListVariable(scope, settings.listVar, produced);
}

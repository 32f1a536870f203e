// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filedeleteoperation.h"

#include "core/logging.h"
#include "core/persistence.h"
#include "filesystem/fileplans.h"
#include "operations/filelist.h"
#include "operations/stepfiles.h"

FileDeleteOperation::FileDeleteOperation(QObject* parent) : Operation(parent)
{
}

FileDeleteOperation::~FileDeleteOperation() = default;

QString FileDeleteOperation::root() const
{
    return tr("文件");
}

QString FileDeleteOperation::typeId() const
{
    return QStringLiteral("file.delete");
}

QString FileDeleteOperation::typeName() const
{
    return tr("删除文件");
}

QString FileDeleteOperation::icon() const
{
    return QStringLiteral(":/images/file_delete.svg");
}

// Logs why a listed path stays; one the step leaves alone by design (nothing there, a folder) is
// also shown in a plan.
static void notDeleted(FileSystem& files, const QString& path, const QString& why, bool byDesign)
{
    explainSkip(lcDelete, path, QStringLiteral("not deleted, ") + why);
    if (byDesign)
        files.noteSkipped(QStringLiteral("delete"), path, QString(), why);
}

void FileDeleteOperation::doOperation() const
{
    const QStringList paths = expandFileList(variableScope(), m_files);
    StepFiles step(variableScope(), "[FileDelete]");
    FileSystem& files = step.files();
    QStringList deleted;
    step.expectFiles(paths, StepFiles::Bytes::NotCounted);
    for (const QString& path : paths) {
        if (!step.goOn())
            break;
        // Existence follows links, so a dangling link counts as missing. The removal unlinks the
        // path itself: a link goes, its target stays, and a folder refuses.
        const EntryStatus status = files.status(path);
        if (!status.exists()) {
            notDeleted(files, path, QStringLiteral("no such file"), true);
            continue;
        }
        FileError error;
        if (files.remove(path, &error))
            deleted.append(path);
        else
            notDeleted(files, path, error.text, status.isFolder());
    }
    storeListVariable(variableScope(), m_deletedList, deleted);
}

void FileDeleteOperation::saveOperation(QDataStream& out) const
{
    Operation::saveOperation(out);
    saveOwnProperties(*this, out);
}

void FileDeleteOperation::loadOperation(QDataStream& in)
{
    Operation::loadOperation(in);
    loadOwnProperties(*this, in);
}

QString FileDeleteOperation::toString() const
{
    return QStringLiteral("%1: %2").arg(typeName()).arg(m_files);
}

QString FileDeleteOperation::description() const
{
    return tr("删除 %1").arg(m_files);
}

Operation* FileDeleteOperation::clone(QObject* parent) const
{
    return cloneOperation(*this, parent);
}

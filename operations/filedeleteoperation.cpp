#include "filedeleteoperation.h"

#include "core/logging.h"
#include "core/persistence.h"
#include "operations/filelist.h"

#include <QFile>

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

void FileDeleteOperation::doOperation() const
{
    const QStringList paths = expandFileList(variableScope(), m_files);
    QStringList deleted;
    for (const QString& path : paths) {
        // QFile::exists follows links, so a dangling link counts as missing. QFile::remove
        // unlinks the path itself: a link goes, its target stays, and a folder refuses.
        if (!QFile::exists(path)) {
            explainSkip(lcDelete, path, QStringLiteral("not deleted, no such file"));
            continue;
        }
        QFile file(path);
        if (file.remove())
            deleted.append(path);
        else
            explainSkip(lcDelete, path, QStringLiteral("not deleted, ") + file.errorString());
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

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filecopyoperation.h"

#include "core/persistence.h"
#include "operations/filetransfer.h"

FileCopyOperation::FileCopyOperation(QObject* parent) : Operation(parent)
{
}

FileCopyOperation::~FileCopyOperation() = default;

QString FileCopyOperation::root() const
{
    return tr("文件");
}

QString FileCopyOperation::typeId() const
{
    return QStringLiteral("file.copy");
}

QString FileCopyOperation::typeName() const
{
    return tr("复制文件");
}

QString FileCopyOperation::icon() const
{
    return QStringLiteral(":/images/file_copy.svg");
}

void FileCopyOperation::doOperation() const
{
    transferFiles(TransferKind::Copy, {m_files, m_destDir, m_ifExist, m_listVar}, variableScope());
}

void FileCopyOperation::saveOperation(QDataStream& out) const
{
    Operation::saveOperation(out);
    saveOwnProperties(*this, out);
}

void FileCopyOperation::loadOperation(QDataStream& in)
{
    Operation::loadOperation(in);
    loadOwnProperties(*this, in);
}

QString FileCopyOperation::toString() const
{
    return QStringLiteral("%1: %2 -> %3").arg(typeName()).arg(m_files).arg(m_destDir);
}

QString FileCopyOperation::description() const
{
    return tr("复制 %1 到 %2").arg(m_files).arg(m_destDir);
}

Operation* FileCopyOperation::clone(QObject* parent) const
{
    return cloneOperation(*this, parent);
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filemoveoperation.h"

#include "core/persistence.h"
#include "operations/filetransfer.h"

FileMoveOperation::FileMoveOperation(QObject* parent) : Operation(parent)
{
}

FileMoveOperation::~FileMoveOperation() = default;

QString FileMoveOperation::root() const
{
    return tr("文件");
}

QString FileMoveOperation::typeId() const
{
    return QStringLiteral("file.move");
}

QString FileMoveOperation::typeName() const
{
    return tr("移动文件");
}

QString FileMoveOperation::icon() const
{
    return QStringLiteral(":/images/file_move.svg");
}

void FileMoveOperation::doOperation() const
{
    transferFiles(TransferKind::Move, {m_files, m_destDir, m_ifExist, m_listVar}, variableScope());
}

void FileMoveOperation::saveOperation(QDataStream& out) const
{
    Operation::saveOperation(out);
    saveOwnProperties(*this, out);
}

void FileMoveOperation::loadOperation(QDataStream& in)
{
    Operation::loadOperation(in);
    loadOwnProperties(*this, in);
}

QString FileMoveOperation::toString() const
{
    return QStringLiteral("%1: %2 -> %3").arg(typeName()).arg(m_files).arg(m_destDir);
}

QString FileMoveOperation::description() const
{
    return tr("移动 %1 到 %2").arg(m_files).arg(m_destDir);
}

Operation* FileMoveOperation::clone(QObject* parent) const
{
    return cloneOperation(*this, parent);
}

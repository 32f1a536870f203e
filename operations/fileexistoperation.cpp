// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "fileexistoperation.h"

#include "core/persistence.h"
#include "core/settings.h"
#include "core/variables.h"
#include "filesystem/fileplans.h"

#include <variablescope.h>

FileExistOperation::FileExistOperation(QObject* parent) : Operation(parent)
{
}

FileExistOperation::~FileExistOperation() = default;

QString FileExistOperation::root() const
{
    return tr("文件");
}

QString FileExistOperation::typeId() const
{
    return QStringLiteral("file.exists");
}

QString FileExistOperation::typeName() const
{
    return tr("判断文件是否存在");
}

QString FileExistOperation::icon() const
{
    return QStringLiteral(":/images/file_exist.svg");
}

void FileExistOperation::doOperation() const
{
    VariableScope* scope = variableScope();
    const QString path = resolvePath(m_fileName, scope);
    const bool exists = !path.isEmpty() && fileSystemFor(scope)->exists(path);
    // Without a scope there is nowhere to put the answer; the host always gives one.
    if (scope && !m_resultVar.isEmpty())
        setVariable(scope, m_resultVar, exists);
}

void FileExistOperation::saveOperation(QDataStream& out) const
{
    Operation::saveOperation(out);
    saveOwnProperties(*this, out);
}

void FileExistOperation::loadOperation(QDataStream& in)
{
    Operation::loadOperation(in);
    loadOwnProperties(*this, in);
}

QString FileExistOperation::toString() const
{
    return QStringLiteral("%1: %2 -> %3")
        .arg(typeName())
        .arg(m_fileName)
        .arg(displayVarName(m_resultVar));
}

QString FileExistOperation::description() const
{
    return tr("判断文件 %1 是否存在，结果存入 %2").arg(m_fileName).arg(displayVarName(m_resultVar));
}

Operation* FileExistOperation::clone(QObject* parent) const
{
    return cloneOperation(*this, parent);
}

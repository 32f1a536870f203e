// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filepathparseoperation.h"

#include "core/persistence.h"
#include "core/settings.h"
#include "core/variables.h"
#include "filesystem/scopedfilesystems.h"

#include <variablescope.h>

#include <QDebug>
#include <QDir>
#include <QFileInfo>

FilePathParseOperation::FilePathParseOperation(QObject* parent) : Operation(parent)
{
}

FilePathParseOperation::~FilePathParseOperation() = default;

QString FilePathParseOperation::root() const
{
    return tr("文件");
}

QString FilePathParseOperation::typeId() const
{
    return QStringLiteral("file.parse");
}

QString FilePathParseOperation::typeName() const
{
    return tr("解析文件路径信息");
}

QString FilePathParseOperation::icon() const
{
    return QStringLiteral(":/images/file_parse.svg");
}

QString driveOfAbsolutePath(const QString& absolutePath)
{
    if (absolutePath.indexOf(QLatin1Char(':')) == 1)
        return absolutePath.left(2);
    return QString();
}

static void storeStringPiece(VariableScope* scope, const QString& name, const QString& piece)
{
    if (name.isEmpty())
        return;
    if (scope->typeOf(name) != VarType::String) {
        qWarning() << "[FilePathParse] 目标变量" << name << "未声明为字符串，已跳过";
        return;
    }
    setVariable(scope, name, QVariant(piece));
}

void FilePathParseOperation::doOperation() const
{
    VariableScope* scope = variableScope();
    const QString path = resolvePath(m_filePath, scope);
    if (path.isEmpty()) {
        qWarning() << "[FilePathParse] 文件路径为空，已跳过";
        return;
    }
    // Without a scope every reference resolves to nothing and there is nowhere to store a piece;
    // the host always gives one, so this stays quiet like the other steps.
    if (!scope)
        return;

    // A relative path is made absolute against the flow's folder, as the file steps take it.
    const QString base = fileSystemFor(scope)->baseFolder();
    const QFileInfo info = base.isEmpty() ? QFileInfo(path) : QFileInfo(QDir(base), path);
    const QString drive = driveOfAbsolutePath(info.absoluteFilePath());
    const QString folder = info.absolutePath();
    const QString name = info.completeBaseName();
    const QString extension = info.suffix();
    const QString fullName = info.fileName();
    storeStringPiece(scope, m_diskVar, drive);
    storeStringPiece(scope, m_dirVar, folder);
    storeStringPiece(scope, m_nameVar, name);
    storeStringPiece(scope, m_extVar, extension);
    storeStringPiece(scope, m_fullNameVar, fullName);
}

void FilePathParseOperation::saveOperation(QDataStream& out) const
{
    Operation::saveOperation(out);
    saveOwnProperties(*this, out);
}

void FilePathParseOperation::loadOperation(QDataStream& in)
{
    Operation::loadOperation(in);
    loadOwnProperties(*this, in);
}

QString FilePathParseOperation::toString() const
{
    return QStringLiteral("%1: %2").arg(typeName()).arg(m_filePath);
}

QString FilePathParseOperation::description() const
{
    return tr("解析 %1 的磁盘/目录/名称/扩展名").arg(m_filePath);
}

Operation* FilePathParseOperation::clone(QObject* parent) const
{
    return cloneOperation(*this, parent);
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filereadoperation.h"

#include "core/persistence.h"
#include "core/settings.h"
#include "core/variables.h"
#include "filesystem/fileplans.h"
#include "operations/stepfiles.h"
#include "text/textfile.h"

#include <variablescope.h>

#include <QDebug>
#include <QVariantList>

// A step run without a scope has nowhere to store: its target counts as not declared.
static VarType declaredType(VariableScope* scope, const QString& name)
{
    return scope ? scope->typeOf(name) : VarType::Undeclared;
}

// One item per LF-separated piece, CRs kept; a final LF ends the last line rather than starting
// an empty one.
static QVariantList splitIntoLines(const QString& text)
{
    QVariantList lines;
    int start = 0;
    for (;;) {
        const int end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            break;
        lines.append(text.mid(start, end - start));
        start = end + 1;
    }
    if (start < text.size() || lines.isEmpty())
        lines.append(text.mid(start));
    return lines;
}

FileReadOperation::FileReadOperation(QObject* parent) : Operation(parent)
{
}

FileReadOperation::~FileReadOperation() = default;

QString FileReadOperation::root() const
{
    return tr("文件");
}

QString FileReadOperation::typeId() const
{
    return QStringLiteral("file.read");
}

QString FileReadOperation::typeName() const
{
    return tr("从文件读取文本");
}

QString FileReadOperation::icon() const
{
    return QStringLiteral(":/images/file_read.svg");
}

bool FileReadOperation::storesList() const
{
    return m_storeAs == StoreAs::Lines;
}

QString FileReadOperation::chosenTarget() const
{
    return storesList() ? m_targetVarList : m_targetVarStr;
}

void FileReadOperation::doOperation() const
{
    const QString path = resolvePath(m_filePath, variableScope());
    if (path.isEmpty()) {
        qWarning() << "[FileRead] 文件路径为空，已跳过";
        return;
    }
    StepFiles step(variableScope(), "[FileRead]");
    FileSystem& files = step.files();
    if (!files.exists(path)) {
        qWarning() << "[FileRead] 文件不存在：" << path;
        return;
    }
    step.expectReading(path);
    bool ok = false;
    const QString text = readTextFile(files, path, &ok);
    if (!ok) {
        qWarning() << "[FileRead] 读取失败：" << path;
        return;
    }
    if (storesList())
        storeAsLines(text);
    else
        storeAsText(text);
}

void FileReadOperation::storeAsText(const QString& text) const
{
    if (m_targetVarStr.isEmpty()) {
        qWarning() << "[FileRead] 未指定字符串目标变量，已跳过";
        return;
    }
    VariableScope* scope = variableScope();
    if (declaredType(scope, m_targetVarStr) != VarType::String) {
        qWarning() << "[FileRead] 目标变量" << m_targetVarStr << "未声明为字符串，已跳过";
        return;
    }
    setVariable(scope, m_targetVarStr, QVariant(text));
}

void FileReadOperation::storeAsLines(const QString& text) const
{
    if (m_targetVarList.isEmpty()) {
        qWarning() << "[FileRead] 未指定列表目标变量，已跳过";
        return;
    }
    VariableScope* scope = variableScope();
    if (declaredType(scope, m_targetVarList) != VarType::List) {
        qWarning() << "[FileRead] 目标变量" << m_targetVarList << "未声明为列表，已跳过";
        return;
    }
    setVariable(scope, m_targetVarList, QVariant(splitIntoLines(text)));
}

void FileReadOperation::saveOperation(QDataStream& out) const
{
    Operation::saveOperation(out);
    saveOwnProperties(*this, out);
}

void FileReadOperation::loadOperation(QDataStream& in)
{
    Operation::loadOperation(in);
    loadOwnProperties(*this, in);
}

QString FileReadOperation::toString() const
{
    return QStringLiteral("%1: %2 -> %3")
        .arg(typeName())
        .arg(m_filePath)
        .arg(displayVarName(chosenTarget()));
}

QString FileReadOperation::description() const
{
    return tr("读取 %1 的内容存入 %2").arg(m_filePath).arg(displayVarName(chosenTarget()));
}

Operation* FileReadOperation::clone(QObject* parent) const
{
    return cloneOperation(*this, parent);
}

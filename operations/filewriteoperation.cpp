// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filewriteoperation.h"

#include "core/persistence.h"
#include "core/settings.h"
#include "core/valueref.h"
#include "filesystem/fileplans.h"
#include "operations/stepfiles.h"
#include "text/textfile.h"

#include <QDebug>
#include <QStringList>

#include <vector>

// A list's items joined by `separator`, and the items of lists inside it by ", " at any depth.
// The nesting is walked with a stack of its own: a value may be nested deeper than the call stack
// could follow.
static QString joinedText(const QVariant& value, const QString& separator)
{
    if (!isListValue(value))
        return value.toString();
    struct OpenList {
        QVariantList items;
        int next;
    };
    const QString innerSeparator = QStringLiteral(", ");
    QString text;
    std::vector<OpenList> open{{toVariantList(value), 0}};
    while (!open.empty()) {
        OpenList& list = open.back();
        if (list.next == list.items.size()) {
            open.pop_back();
            continue;
        }
        if (list.next > 0)
            text += open.size() == 1 ? separator : innerSeparator;
        const QVariant item = list.items.at(list.next++);
        if (isListValue(item))
            open.push_back({toVariantList(item), 0}); // `list` may move
        else
            text += item.toString();
    }
    return text;
}

QString valueText(const QVariant& value)
{
    return joinedText(value, QStringLiteral(", "));
}

// A list becomes one line per item; a data table one line per row, its cells joined by ", ".
static QString contentText(const QVariant& value)
{
    return joinedText(value, QStringLiteral("\n"));
}

FileWriteOperation::FileWriteOperation(QObject* parent) : Operation(parent)
{
}

FileWriteOperation::~FileWriteOperation() = default;

QString FileWriteOperation::root() const
{
    return tr("文件");
}

QString FileWriteOperation::typeId() const
{
    return QStringLiteral("file.write");
}

QString FileWriteOperation::typeName() const
{
    return tr("将文本写入文件");
}

QString FileWriteOperation::icon() const
{
    return QStringLiteral(":/images/file_write.svg");
}

void FileWriteOperation::doOperation() const
{
    VariableScope* scope = variableScope();
    const QString path = resolvePath(m_filePath, scope);
    if (path.isEmpty()) {
        qWarning() << "[FileWrite] 文件路径为空，已跳过";
        return;
    }
    // Content is text as entered: resolved, never trimmed.
    const QString text = contentText(resolveSetting(m_content, scope));
    const WriteMode mode = m_ifExist == IfExist::Append ? WriteMode::Append : WriteMode::Replace;
    const AppendStart start = m_appendNoNewline ? AppendStart::SameLine : AppendStart::NewLine;
    StepFiles step(scope, "[FileWrite]");
    step.expectWriting();
    if (!writeTextFile(step.files(), path, text, mode, start))
        qWarning() << "[FileWrite] 写入失败：" << path;
}

void FileWriteOperation::saveOperation(QDataStream& out) const
{
    Operation::saveOperation(out);
    saveOwnProperties(*this, out);
}

void FileWriteOperation::loadOperation(QDataStream& in)
{
    Operation::loadOperation(in);
    loadOwnProperties(*this, in);
}

QString FileWriteOperation::toString() const
{
    return QStringLiteral("%1: -> %2").arg(typeName()).arg(m_filePath);
}

QString FileWriteOperation::description() const
{
    const QString mode = m_ifExist == IfExist::Append ? tr("追加") : tr("覆盖");
    return tr("将文本%1写入 %2（%3）").arg(m_content).arg(m_filePath).arg(mode);
}

Operation* FileWriteOperation::clone(QObject* parent) const
{
    return cloneOperation(*this, parent);
}

#include "filewriteoperation.h"

#include "core/persistence.h"
#include "core/settings.h"
#include "core/valueref.h"
#include "text/textfile.h"

#include <QDebug>
#include <QStringList>

static const int kAppend = 1;

static QString joinItems(const QVariant& list, const QString& separator)
{
    const QVariantList items = toVariantList(list);
    QStringList texts;
    texts.reserve(items.size());
    for (const QVariant& item : items)
        texts.append(valueText(item));
    return texts.join(separator);
}

QString valueText(const QVariant& value)
{
    if (value.canConvert<QVariantList>())
        return joinItems(value, QStringLiteral(", "));
    return value.toString();
}

// A list becomes one line per item; a data table one line per row, its cells joined by ", ".
static QString contentText(const QVariant& value)
{
    if (value.canConvert<QVariantList>())
        return joinItems(value, QStringLiteral("\n"));
    return value.toString();
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
    if (!writeTextFile(path, text, m_ifExist == kAppend, !m_appendNoNewline))
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
    const QString mode = m_ifExist == kAppend ? tr("追加") : tr("覆盖");
    return tr("将文本%1写入 %2（%3）").arg(m_content).arg(m_filePath).arg(mode);
}

Operation* FileWriteOperation::clone(QObject* parent) const
{
    return cloneOperation(*this, parent);
}

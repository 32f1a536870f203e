// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filecsvwriteoperation.h"

#include "core/logging.h"
#include "core/parallel.h"
#include "core/persistence.h"
#include "core/settings.h"
#include "core/valueref.h"
#include "csv/csvformat.h"
#include "csv/csvsplit.h"
#include "csv/datatable.h"
#include "filesystem/fileplans.h"
#include "operations/stepfiles.h"
#include "text/textfile.h"

#include <variablescope.h>

#include <QDebug>
#include <QStringList>

#include <vector>

FileCsvWriteOperation::FileCsvWriteOperation(QObject* parent) : Operation(parent)
{
}

FileCsvWriteOperation::~FileCsvWriteOperation() = default;

QString FileCsvWriteOperation::root() const
{
    return tr("文件");
}

QString FileCsvWriteOperation::typeId() const
{
    return QStringLiteral("file.writecsv");
}

QString FileCsvWriteOperation::typeName() const
{
    return tr("写入 CSV 文件");
}

QString FileCsvWriteOperation::icon() const
{
    return QStringLiteral(":/images/file_write.svg");
}

// Formatted text is encoded once it holds this many characters, so the buffer stays small and the
// encoder reads it while it is still in the cache.
const int kFormatChunk = 1 << 20;

// How far ahead of the row being formatted its cells' texts are asked for.
const int kPrefetchRows = 4;

// Writes the chosen rows as CSV lines joined by LF, without a line break after the last one. A
// large table is formatted and encoded in parts on threads of their own: the first part writes as
// it goes, the others keep their bytes until the parts before them are written. A chunk is
// encoded only after a line feed or at the end, as a trailing high surrogate would be held back.
static bool writeCsvRows(TextFileWriter& writer, const QVariantList& rows, int first, int last,
                         const QList<int>& columns, QChar delimiter)
{
    const int total = last - first + 1;
    const int parts = partsFor(total, kRowsPerThread);
    std::vector<QByteArray> held(static_cast<size_t>(parts));
    bool firstPartOk = true;
    runParts(parts, [&](int part) {
        QString text;
        text.reserve(kFormatChunk + kFormatChunk / 4);
        const auto flush = [&] {
            const QByteArray bytes = writer.encode(text);
            text.resize(0);
            if (part > 0)
                held[size_t(part)].append(bytes);
            else if (firstPartOk)
                firstPartOk = writer.write(bytes);
        };
        const int end = first + partBegin(total, parts, part + 1);
        for (int row = first + partBegin(total, parts, part); row < end; ++row) {
            if (row + kPrefetchRows < end)
                prefetchCellTexts(rows.at(row + kPrefetchRows));
            const QVariantList cells = toVariantList(rows.at(row));
            appendCsvLine(text, columns.isEmpty() ? cells : pickColumns(cells, columns), delimiter);
            if (row < last)
                text.append(QLatin1Char('\n'));
            if (text.size() >= kFormatChunk)
                flush();
        }
        flush();
    });
    if (!firstPartOk)
        return false;
    for (size_t part = 1; part < held.size(); ++part) {
        if (!writer.write(held[part]))
            return false;
        held[part] = QByteArray();
    }
    return true;
}

void FileCsvWriteOperation::doOperation() const
{
    VariableScope* scope = variableScope();
    if (!scope)
        return;
    if (m_sourceVar.isEmpty()) {
        qWarning() << "[CsvWrite] 未指定数据表变量，已跳过";
        return;
    }
    if (scope->typeOf(m_sourceVar) != VarType::DataTable) {
        qWarning() << "[CsvWrite] 变量" << m_sourceVar << "未声明为数据表，已跳过";
        return;
    }
    const QVariantList rows = toVariantList(toDataTable(scope->get(m_sourceVar)));
    int first = 0;
    int last = 0;
    if (!resolveRowRange(m_writeScope, m_startRow, m_endRow, scope, rows.size(), &first, &last)) {
        qWarning() << "[CsvWrite] 起始行大于结束行，已跳过";
        return;
    }
    // "放弃写入" never writes, whether or not a file exists, and warns of nothing; the text it
    // would have written is not even built.
    if (m_ifExist == IfExist::GiveUp) {
        explainSkip(lcCsv, resolvePath(m_filePath, scope),
                    QStringLiteral("not written, set to give up"));
        return;
    }

    const QString path = resolvePath(m_filePath, scope);
    if (path.isEmpty()) {
        qWarning() << "[CsvWrite] 文件路径为空，已跳过";
        return;
    }
    const QList<int> columns = selectedColumns(m_writeScope, m_columns, scope);
    // Outlives the writer, which undoes an unfinished write through it when it goes.
    StepFiles step(scope, "[CsvWrite]");
    step.expectWriting();
    TextFileWriter writer;
    const WriteMode mode = m_ifExist == IfExist::Append ? WriteMode::Append : WriteMode::Replace;
    const AppendStart start = m_appendNoNewline ? AppendStart::SameLine : AppendStart::NewLine;
    if (!writer.open(step.files(), path, mode, start) ||
        !writeCsvRows(writer, rows, first, last, columns, resolveDelimiter(m_delimiter, scope)) ||
        !writer.commit())
        qWarning() << "[CsvWrite] 写入失败：" << path;
}

void FileCsvWriteOperation::saveOperation(QDataStream& out) const
{
    Operation::saveOperation(out);
    saveOwnProperties(*this, out);
}

void FileCsvWriteOperation::loadOperation(QDataStream& in)
{
    Operation::loadOperation(in);
    loadOwnProperties(*this, in);
}

QString FileCsvWriteOperation::toString() const
{
    return QStringLiteral("%1: %2 <- %3")
        .arg(typeName())
        .arg(m_filePath)
        .arg(displayVarName(m_sourceVar));
}

QString FileCsvWriteOperation::description() const
{
    QString mode = tr("覆盖");
    if (m_ifExist == IfExist::Append)
        mode = tr("追加");
    else if (m_ifExist == IfExist::GiveUp)
        mode = tr("放弃");
    return tr("将数据表 %1 写入 %2（%3）")
        .arg(displayVarName(m_sourceVar))
        .arg(m_filePath)
        .arg(mode);
}

Operation* FileCsvWriteOperation::clone(QObject* parent) const
{
    return cloneOperation(*this, parent);
}

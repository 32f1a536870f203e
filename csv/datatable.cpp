// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "datatable.h"

#include "core/textheader.h"
#include "core/valueref.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>
#include <algorithm>

static bool holdsList(const QVariant& value)
{
    return value.userType() == QMetaType::QVariantList;
}

static bool holdsText(const QVariant& value)
{
    return value.userType() == QMetaType::QString;
}

QVariant toDataTable(const QVariant& value)
{
    if (value.isNull() || (holdsText(value) && value.toString().isEmpty()))
        return QVariantList();
    if (holdsList(value)) {
        const QVariantList items = toVariantList(value);
        // A list of rows is recognised by its first item alone.
        if (!items.isEmpty() && holdsList(items.first()))
            return value;
        return QVariantList{value};
    }
    if (holdsText(value))
        return parseDataTableJson(value.toString());
    return QVariantList();
}

QVariantList parseDataTableJson(const QString& text)
{
    const QString json = text.trimmed();
    if (json.isEmpty())
        return QVariantList();
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8());
    if (!document.isArray())
        return QVariantList();

    const QJsonArray array = document.array();
    QVariantList rows;
    rows.reserve(array.size());
    for (const QJsonValue& element : array) {
        if (!element.isArray())
            return QVariantList();
        const QJsonArray inner = element.toArray();
        QVariantList cells;
        cells.reserve(inner.size());
        for (const QJsonValue& cell : inner)
            cells.append(cell.toString());
        rows.append(QVariant(cells));
    }
    return rows;
}

int resolveIntSetting(VariableScope* scope, const QString& text, bool* ok)
{
    if (ok)
        *ok = false;
    if (text.trimmed().isEmpty())
        return 0;
    const QVariant value = resolveValueRef(parseValueRef(text), scope);
    bool found = false;
    int number = 0;
    if (isListValue(value)) {
        const QVariantList items = toVariantList(value);
        if (!items.isEmpty())
            number = items.first().toInt(&found);
    } else {
        number = value.toString().trimmed().toInt(&found, 10);
    }
    if (ok)
        *ok = found;
    return found ? number : 0;
}

QList<int> resolveColumnList(VariableScope* scope, const QString& text)
{
    const QVariant value = resolveValueRef(parseValueRef(text), scope);
    QList<int> columns;
    if (isListValue(value)) {
        for (const QVariant& item : toVariantList(value)) {
            bool ok = false;
            const int column = item.toInt(&ok);
            if (ok)
                columns.append(column);
        }
        return columns;
    }
    QString list = value.toString();
    list.replace(QChar(0xFF0C), QLatin1Char(','));
    const QStringList parts = list.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        bool ok = false;
        const int column = part.trimmed().toInt(&ok, 10);
        if (ok)
            columns.append(column);
    }
    return columns;
}

bool resolveRowRange(TableScope tableScope, const QString& startRow, const QString& endRow,
                     VariableScope* scope, int rowCount, int* first, int* last)
{
    *first = 0;
    *last = rowCount - 1;
    if (tableScope != TableScope::ChosenRowsAndColumns)
        return true;
    bool ok = false;
    if (!startRow.trimmed().isEmpty()) {
        const int start = resolveIntSetting(scope, startRow, &ok);
        if (ok && start > 0)
            *first = start;
    }
    if (!endRow.trimmed().isEmpty()) {
        const int end = resolveIntSetting(scope, endRow, &ok);
        if (ok)
            *last = std::min(rowCount - 1, end);
    }
    return *first <= *last;
}

QList<int> selectedColumns(TableScope tableScope, const QString& columns, VariableScope* scope)
{
    if (tableScope != TableScope::ChosenRowsAndColumns || columns.trimmed().isEmpty())
        return QList<int>();
    return resolveColumnList(scope, columns);
}

QVariantList pickColumns(const QVariantList& cells, const QList<int>& columns)
{
    QVariantList picked;
    picked.reserve(columns.size());
    for (const int column : columns) {
        if (column >= 0 && column < cells.size())
            picked.append(cells.at(column));
        else
            picked.append(QString(QLatin1String("")));
    }
    return picked;
}

void prefetchCellTexts(const QVariant& row)
{
    if (!holdsList(row))
        return;
    for (const QVariant& cell : *static_cast<const QVariantList*>(row.constData())) {
        // The string's header and first characters share a cache line.
        if (cell.userType() == QMetaType::QString)
            __builtin_prefetch(textHeader(*static_cast<const QString*>(cell.constData())));
    }
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

class VariableScope;

// A data table value is a QVariantList of rows, each a QVariant holding a QVariantList of cells
// (read through QVariant::toString()). Rows may differ in length; there is no header row.

// Whatever a data table variable holds, as a table: a list of rows passes unchanged, a flat list
// is one row, non-empty text is read as JSON, anything else is the empty table.
QVariant toDataTable(const QVariant& value);

// JSON text of the form [["a","b"],["c"]]; non-string cells become empty text. Anything that is
// not an array of arrays gives the empty table.
QVariantList parseDataTableJson(const QString& text);

// An integer setting given as digits or as a reference; a reference to a list takes its first
// item. *ok (when given) tells whether a number was found; 0 otherwise.
int resolveIntSetting(VariableScope* scope, const QString& text, bool* ok = nullptr);

// Zero-based column indexes in the order given, repeats and out-of-range values kept: from a list
// variable, or from text separated by "," or "，". Empty means every column.
QList<int> resolveColumnList(VariableScope* scope, const QString& text);

// How much of a table a CSV step reads or writes: the choices of "读取范围" and "写入范围"
// ("所有行和列|指定行和列") by their stored index. Any other index takes everything.
enum class TableScope { AllRowsAndColumns = 0, ChosenRowsAndColumns = 1 };

// The inclusive row range [*first, *last] chosen by a CSV step's scope and its start and end row
// settings. False when the start lies past the end (the step then warns and stops).
bool resolveRowRange(TableScope tableScope, const QString& startRow, const QString& endRow,
                     VariableScope* scope, int rowCount, int* first, int* last);

// The column list a CSV step applies: only for chosen rows and columns and a non-blank setting.
QList<int> selectedColumns(TableScope tableScope, const QString& columns, VariableScope* scope);

// The cells at the given columns, in order; an empty cell where the row has none.
QVariantList pickColumns(const QVariantList& cells, const QList<int>& columns);

// Asks the processor for the texts of a row's cells ahead of their use. Cells repeating a text of
// their column share the string first read, anywhere in the table, so walking the rows in order
// no longer walks their texts in order; the wait for memory then overlaps earlier rows' work.
void prefetchCellTexts(const QVariant& row);

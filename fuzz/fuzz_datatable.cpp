// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Data table values from arbitrary text: JSON text read as a table, and the row, column and
// number settings the CSV steps resolve. Every table must come out as rows of text cells, and a
// row range that is accepted must lie inside the table.
#include "csv/datatable.h"
#include "fuzzcheck.h"
#include "jsonleak.h"

namespace
{

void checkTable(const QVariantList& rows)
{
    for (const QVariant& row : rows) {
        fuzzCheck(row.userType() == QMetaType::QVariantList, "a row is a list");
        for (const QVariant& cell : row.toList())
            fuzzCheck(cell.userType() == QMetaType::QString, "a cell is text");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const int rowCount = input.take();
    const QString text = input.restAsText(false);

    const QVariantList rows = parseDataTableJson(text);
    checkTable(rows);
    const QVariant table = toDataTable(text);
    fuzzCheck(table.userType() == QMetaType::QVariantList, "toDataTable gives a list");
    fuzzCheck(table.toList() == rows || text.isEmpty(), "text is read as JSON");
    if (!rows.isEmpty())
        fuzzCheck(toDataTable(QVariant(rows)).toList() == rows, "a list of rows passes unchanged");

    // The text split in two serves as start and end row settings.
    const int middle = text.size() / 2;
    int first = -1;
    int last = -1;
    if (resolveRowRange(TableScope::ChosenRowsAndColumns, text.left(middle), text.mid(middle),
                        nullptr, rowCount, &first, &last))
        fuzzCheck(first >= 0 && first <= last && last < rowCount, "an accepted range is inside");
    const QList<int> columns = resolveColumnList(nullptr, text);
    fuzzCheck(pickColumns(QVariantList{QStringLiteral("a")}, columns).size() == columns.size(),
              "one cell per chosen column");
    bool ok = false;
    const int number = resolveIntSetting(nullptr, text, &ok);
    fuzzCheck(ok || number == 0, "no number found gives 0");
    return 0;
}

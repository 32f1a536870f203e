// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "tablesize.h"

#include "csvsplit.h"

#include <QStringView>

namespace
{

// A cell: its slot in the row (8 bytes), its variant (16, allocated apart with the allocator's
// own 16) and its text's header (24, with the allocator's 8 and rounding), the characters aside.
const qint64 kCellBytes = 88;
// A row: its slot in the table, its variant and its list's header, each allocated apart.
const qint64 kRowBytes = 96;
const qint64 kCharacterBytes = 2;

qint64 cellsOfLine(QStringView line, const CellSplitter& splitter)
{
    if (!splitter.fixedWidth) {
        const ushort delimiter = splitter.delimiter.unicode();
        const ushort* data = reinterpret_cast<const ushort*>(line.data());
        qint64 delimiters = 0;
        for (qsizetype i = 0; i < line.size(); ++i)
            delimiters += data[i] == delimiter;
        return delimiters + 1;
    }
    if (splitter.width <= 0)
        return 1;
    return (line.size() + splitter.width - 1) / splitter.width;
}

} // namespace

qint64 worstTableBytes(qint64 characters, qint64 rows)
{
    return (characters + rows) * kCellBytes + characters * kCharacterBytes + rows * kRowBytes;
}

qint64 estimatedTableBytes(TextLines lines, int rows, const CellSplitter& splitter)
{
    qint64 cells = 0;
    qint64 characters = 0;
    QStringView line;
    for (int row = 0; row < rows && lines.next(&line); ++row) {
        cells += cellsOfLine(line, splitter);
        characters += line.size();
    }
    return cells * kCellBytes + characters * kCharacterBytes + qint64(rows) * kRowBytes;
}

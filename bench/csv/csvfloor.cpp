// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The floor of the CSV benchmark: the least a program must do to turn a CSV file into a data
// table value (read, decode, split at commas and LF into QVariantList rows of QString cells),
// with no quotes, no trimming and no checks. Also measures how many heap bytes a table holds
// per cell, for the floor's table and for the one the reading step stores.
#include "operations/filecsvreadoperation.h"

#include <variablescope.h>

#include <QFile>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <cstdio>
#include <cstring>
#include <malloc.h>

static QString readDecoded(const char* path)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll();
    return QString::fromUtf8(bytes);
}

static QVariantList floorTable(const QString& text)
{
    QVariantList table;
    QVariantList row;
    const QChar* data = text.constData();
    const int size = text.size();
    int start = 0;
    for (int i = 0; i < size; ++i) {
        const QChar ch = data[i];
        if (ch == QLatin1Char(',')) {
            row.append(QVariant(QString(data + start, i - start)));
            start = i + 1;
        } else if (ch == QLatin1Char('\n')) {
            row.append(QVariant(QString(data + start, i - start)));
            table.append(QVariant(row));
            row = QVariantList();
            start = i + 1;
        }
    }
    if (start < size) {
        row.append(QVariant(QString(data + start, size - start)));
        table.append(QVariant(row));
    }
    return table;
}

static qint64 cellCount(const QVariantList& table)
{
    qint64 cells = 0;
    for (const QVariant& row : table)
        cells += row.toList().size();
    return cells;
}

static size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Heap bytes per cell held by a table, measured by building it with the text already gone.
static int tableSize(const char* mode, const char* path)
{
    const size_t before = heapInUse();
    QVariantList table;
    if (std::strcmp(mode, "floor-size") == 0) {
        const QString text = readDecoded(path);
        table = floorTable(text);
    } else {
        VariableScope scope;
        scope.declare(QStringLiteral("t"), VarType::DataTable);
        FileCsvReadOperation op;
        op.setFilePath(QString::fromLocal8Bit(path));
        op.setTargetVar(QStringLiteral("t"));
        op.setVariableScope(&scope);
        op.doOperation();
        table = scope.get(QStringLiteral("t")).toList();
    }
    const size_t after = heapInUse();
    const qint64 cells = cellCount(table);
    std::printf("rows %d cells %lld bytes %zu bytes_per_cell %.1f\n", int(table.size()),
                static_cast<long long>(cells), after - before,
                cells ? double(after - before) / double(cells) : 0.0);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "floor") == 0) {
        const QString text = readDecoded(argv[2]);
        const QVariantList table = floorTable(text);
        std::printf("rows %d\n", int(table.size()));
        return 0;
    }
    if (argc == 3 &&
        (std::strcmp(argv[1], "floor-size") == 0 || std::strcmp(argv[1], "step-size") == 0))
        return tableSize(argv[1], argv[2]);
    std::fprintf(stderr, "usage: csvfloor floor|floor-size|step-size FILE.csv\n");
    return 2;
}

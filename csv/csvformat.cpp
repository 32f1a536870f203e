// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "csvformat.h"

#include "csvchars.h"

static const QChar kQuote = QLatin1Char('"');

static bool needsQuotes(const QString& text, const CsvChars& special)
{
    for (const QChar ch : text) {
        if (special.contains(ch))
            return true;
    }
    return false;
}

static void appendQuoted(QString& out, const QString& text)
{
    out.append(kQuote);
    int from = 0;
    for (int quote = text.indexOf(kQuote); quote >= 0; quote = text.indexOf(kQuote, from)) {
        out.append(QStringView(text).mid(from, quote + 1 - from));
        out.append(kQuote);
        from = quote + 1;
    }
    out.append(QStringView(text).mid(from));
    out.append(kQuote);
}

static void appendCsvCell(QString& out, const QString& text, const CsvChars& special)
{
    if (needsQuotes(text, special))
        appendQuoted(out, text);
    else
        out.append(text);
}

void appendCsvLine(QString& out, const QVariantList& cells, QChar delimiter)
{
    // A cell is quoted when it holds the delimiter, a quote, LF or CR.
    const CsvChars special(delimiter, true);
    for (int i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out.append(delimiter);
        const QVariant& cell = cells.at(i);
        // Cells this module makes hold a QString: it is read in place instead of copied out.
        if (cell.userType() == QMetaType::QString)
            appendCsvCell(out, *static_cast<const QString*>(cell.constData()), special);
        else
            appendCsvCell(out, cell.toString(), special);
    }
}

QString formatCsvLine(const QVariantList& cells, const QString& delimiter)
{
    QString line;
    appendCsvLine(line, cells, delimiter.isEmpty() ? QLatin1Char(',') : delimiter.at(0));
    return line;
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// The CSV line splitters on arbitrary text with every kind of delimiter and any width: the
// one-scan splitter that reads a whole file, with and without shared cell texts, must agree with
// the line splitter on every line, a written line must read back to its cells, and fixed-width
// pieces must rebuild their line.
#include "csv/celltexts.h"
#include "csv/csvformat.h"
#include "csv/csvsplit.h"
#include "fuzzcheck.h"

#include <QStringList>

namespace
{

const QChar delimiters[] = {
    QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t'), QLatin1Char(' '),
    QLatin1Char('"'), QLatin1Char('|'), QLatin1Char('\n'), QLatin1Char('\r'),
    QChar(0xFF0C),    QLatin1Char('a'), QChar(0),          QChar(0xD800),
};
const int delimiterKinds = int(sizeof delimiters / sizeof delimiters[0]);

// The lines as the reading step defines them, spelled out the slow way.
QStringList referenceLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    while (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// `setting` is the delimiter as a step holds it: one character, or empty for the comma.
void checkDelimited(const QString& text, const QString& setting, bool trim)
{
    const QStringList lines = referenceLines(text);
    CellSplitter splitter;
    splitter.delimiter = setting.isEmpty() ? QLatin1Char(',') : setting.at(0);
    splitter.trim = trim;
    TextLines walker(text);
    TextLines sharingWalker(text);
    CellTexts texts;
    fuzzCheck(walker.count() == lines.size(), "TextLines::count agrees with the line split");
    for (const QString& line : lines) {
        const QVariantList cells = splitDelimitedLine(line, setting, trim);
        fuzzCheck(!cells.isEmpty(), "a delimited line has a cell");
        QVariantList scanned;
        walker.skipLine(splitter.splitLine(walker.remaining(), scanned));
        fuzzCheck(scanned == cells, "the one-scan splitter agrees with splitDelimitedLine");
        QVariantList shared;
        sharingWalker.skipLine(splitter.splitLine(sharingWalker.remaining(), shared, &texts));
        fuzzCheck(shared == cells, "cells sharing their column's texts read the same");
        for (const QVariant& cell : cells)
            fuzzCheck(!trim || cell.toString() == cell.toString().trimmed(), "trimmed cells");
    }
    fuzzCheck(walker.atEnd(), "TextLines ends with the last line");
}

// Cells without line breaks, written with a delimiter that is not the quote, read back exactly.
void checkRoundTrip(const QString& text, const QString& setting)
{
    const QChar delimiter = setting.isEmpty() ? QLatin1Char(',') : setting.at(0);
    if (delimiter == QLatin1Char('"') || delimiter == QLatin1Char('\n') ||
        delimiter == QLatin1Char('\r'))
        return;
    QVariantList cells;
    for (const QString& cell : text.split(QChar(0x1F)))
        cells.append(cell);
    for (const QVariant& cell : cells) {
        if (hasLineBreak(cell.toString()))
            return;
    }
    const QString line = formatCsvLine(cells, setting);
    fuzzCheck(splitDelimitedLine(line, setting, false) == cells,
              "a written line reads back to its cells");
}

void checkFixedWidth(const QString& text, int width, bool trim)
{
    for (const QString& line : referenceLines(text)) {
        const QVariantList cells = splitFixedWidthLine(line, width, trim);
        if (width <= 0) {
            fuzzCheck(cells.size() == 1, "width 0 or less gives the whole line");
            fuzzCheck(trim || cells.first().toString() == line, "the whole line unchanged");
            continue;
        }
        fuzzCheck(cells.size() == (line.size() + width - 1) / width, "one cell per width");
        if (trim)
            continue;
        QString joined;
        for (const QVariant& cell : cells)
            joined += cell.toString();
        fuzzCheck(joined == line, "fixed-width cells rebuild their line");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const uchar mode = input.take();
    const int width = qint8(input.take());
    const bool trim = mode & 0x40;
    const QString text = input.restAsText(mode & 0x80);
    const int kind = (mode & 0x3F) % (delimiterKinds + 1);
    const QString delimiter = kind < delimiterKinds ? QString(delimiters[kind]) : QString();
    checkDelimited(text, delimiter, trim);
    checkRoundTrip(text, delimiter);
    checkFixedWidth(text, width, trim);
    return 0;
}

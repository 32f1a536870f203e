// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "csvsplit.h"

#include "celltexts.h"
#include "core/settings.h"
#include "csvchars.h"

#include <algorithm>

static const QChar kQuote = QLatin1Char('"');
static const ushort kLf = '\n';
static const ushort kCr = '\r';

static bool isLineBreak(QChar ch)
{
    return ch.unicode() == kLf || ch.unicode() == kCr;
}

// What ends a run of plain cell text: the quote, the delimiter and, when a whole text is split,
// the line breaks.
struct Stops {
    Stops(QChar delimiter, bool breaksLines)
        : chars(delimiter, breaksLines), delimiter(delimiter), breaksLines(breaksLines)
    {
    }

    bool contains(QChar ch) const { return chars.contains(ch); }
    bool endsLine(QChar ch) const { return breaksLines && isLineBreak(ch); }

    CsvChars chars;
    QChar delimiter;
    bool breaksLines;
};

// A cell holding `text`; empty cells share Qt's empty string instead of allocating one each.
static void appendCell(QVariantList& cells, const QString& text)
{
    appendText(cells, text.isEmpty() ? QString(QLatin1String("")) : text);
}

// A cell from a run of characters, trimmed by moving its ends (as QString::trimmed does), so the
// cell costs a single allocation, or none when `texts` already holds its text.
static void appendTextCell(QVariantList& cells, const QChar* data, int length, bool trim,
                           CellTexts* texts)
{
    if (trim) {
        while (length > 0 && data->isSpace()) {
            ++data;
            --length;
        }
        while (length > 0 && data[length - 1].isSpace())
            --length;
    }
    if (length == 0)
        appendCell(cells, QString());
    else if (texts && texts->sharing(cells.size()))
        texts->append(cells, QStringView(data, length));
    else
        appendText(cells, QString(data, length));
}

// Walks a cell that holds at least one quote, from `start` to the delimiter outside quotes or the
// line break that ends it (or the end of the text), and returns that position. The cell's
// characters, quotes removed and doubled quotes made single, are counted in *length and written
// to `out` when given, so the caller can size the cell exactly before filling it.
static int walkQuotedCell(const QChar* text, int size, int start, const Stops& stops, QChar* out,
                          int* length)
{
    bool quoted = false;
    int written = 0;
    int i = start;
    for (; i < size; ++i) {
        const QChar ch = text[i];
        if (stops.endsLine(ch))
            break;
        if (ch == kQuote) {
            if (quoted && i + 1 < size && text[i + 1] == kQuote) {
                if (out)
                    out[written] = kQuote;
                ++written;
                ++i;
            } else {
                quoted = !quoted;
            }
            continue;
        }
        if (!quoted && ch == stops.delimiter)
            break;
        if (out)
            out[written] = ch;
        ++written;
    }
    *length = written;
    return i;
}

static int appendQuotedCell(const QChar* text, int size, int start, const Stops& stops, bool trim,
                            CellTexts* texts, QVariantList& cells)
{
    int length = 0;
    const int end = walkQuotedCell(text, size, start, stops, nullptr, &length);
    QString cell;
    if (length > 0) {
        cell = QString(length, Qt::Uninitialized);
        walkQuotedCell(text, size, start, stops, cell.data(), &length);
        if (trim)
            cell = std::move(cell).trimmed(); // in place: the text is not shared
    }
    if (texts && !cell.isEmpty() && texts->sharing(cells.size()))
        texts->append(cells, std::move(cell));
    else
        appendCell(cells, cell);
    return end;
}

// Splits the line at the start of `text` and returns where it ends: at the first line break
// when `stops` break lines, else at the end of the text.
static int splitDelimited(QStringView text, const Stops& stops, bool trim, CellTexts* texts,
                          QVariantList& cells)
{
    const QChar* data = text.data();
    const int size = int(text.size());
    int i = 0;
    for (;;) {
        const int start = i;
        // Most cells hold no quote: scan for the end and copy the run in one piece.
        while (i < size && !stops.contains(data[i]))
            ++i;
        if (i < size && data[i] == kQuote)
            i = appendQuotedCell(data, size, start, stops, trim, texts, cells);
        else
            appendTextCell(cells, data + start, i - start, trim, texts);
        if (i >= size || stops.endsLine(data[i]))
            return i;
        ++i; // the delimiter
    }
}

static void splitFixedWidth(QStringView line, int width, bool trim, CellTexts* texts,
                            QVariantList& cells)
{
    const int size = int(line.size());
    if (width <= 0) {
        appendTextCell(cells, line.data(), size, trim, texts);
        return;
    }
    for (int pos = 0; pos < size; pos += width)
        appendTextCell(cells, line.data() + pos, std::min(width, size - pos), trim, texts);
}

// The length of the line at the start of `text`.
static int lineLength(QStringView text)
{
    const QChar* data = text.data();
    const int size = int(text.size());
    int i = 0;
    while (i < size && !isLineBreak(data[i]))
        ++i;
    return i;
}

QVariantList splitDelimitedLine(const QString& line, const QString& delimiter, bool trim)
{
    QVariantList cells;
    const QChar d = delimiter.isEmpty() ? QLatin1Char(',') : delimiter.at(0);
    splitDelimited(line, Stops(d, false), trim, nullptr, cells);
    return cells;
}

QVariantList splitFixedWidthLine(const QString& line, int width, bool trim)
{
    QVariantList cells;
    if (width > 0)
        cells.reserve((line.size() + width - 1) / width);
    splitFixedWidth(line, width, trim, nullptr, cells);
    return cells;
}

QChar resolveDelimiter(const QString& setting, VariableScope* scope)
{
    const QString text = resolveSetting(setting, scope).toString();
    return text.isEmpty() ? QLatin1Char(',') : text.at(0);
}

int CellSplitter::splitLine(QStringView text, QVariantList& cells, CellTexts* texts) const
{
    int length = 0;
    if (fixedWidth) {
        length = lineLength(text);
        splitFixedWidth(text.left(length), width, trim, texts, cells);
    } else {
        length = splitDelimited(text, Stops(delimiter, true), trim, texts, cells);
    }
    if (texts)
        texts->finishRow(cells);
    return length;
}

TextLines::TextLines(const QString& text) : TextLines(QStringList{text})
{
}

TextLines::TextLines(const QStringList& pieces)
{
    for (int i = 0; i < pieces.size(); ++i) {
        const QString& piece = pieces.at(i);
        const QChar* data = piece.constData();
        int end = piece.size();
        if (i + 1 < pieces.size()) {
            // The piece's last break ends its last line; breaks before it end lines of their own.
            Q_ASSERT(end > 0 && data[end - 1].unicode() == kLf);
            end -= end > 1 && data[end - 2].unicode() == kCr ? 2 : 1;
        } else {
            // Trailing line breaks only end empty lines, which are dropped.
            while (end > 0 && isLineBreak(data[end - 1]))
                --end;
        }
        m_pieces.append({data, end});
    }
    if (m_pieces.isEmpty())
        m_pieces.append({nullptr, 0});
    enterPiece(0);
}

void TextLines::enterPiece(int index)
{
    m_piece = index;
    m_data = m_pieces.at(index).data;
    m_end = m_pieces.at(index).end;
    m_pos = 0;
}

int TextLines::count() const
{
    // Every LF ends a line, and so does a CR that is not the first half of CR LF. Each test looks
    // one character ahead, so the loop has no branch and the compiler vectorises it; the last
    // character, which only a piece but the last may end with, is a lone break if a break at all.
    int lines = 0;
    for (const Piece& piece : m_pieces) {
        const ushort* data = reinterpret_cast<const ushort*>(piece.data);
        int breaks = 0;
        for (int i = 0; i + 1 < piece.end; ++i)
            breaks += int(data[i] == kLf) | (int(data[i] == kCr) & int(data[i + 1] != kLf));
        if (piece.end > 0 && isLineBreak(piece.data[piece.end - 1]))
            ++breaks;
        lines += breaks + 1;
    }
    return lines;
}

QStringView TextLines::remaining() const
{
    return QStringView(m_data + m_pos, m_end - m_pos);
}

void TextLines::skipLine(int length)
{
    const int end = m_pos + length;
    if (end >= m_end) {
        if (m_piece + 1 < m_pieces.size())
            enterPiece(m_piece + 1);
        else
            m_pos = m_end + 1;
        return;
    }
    // CR LF is one break; the character after a CR exists, as a piece's lines end before its
    // last break.
    m_pos = end + (m_data[end].unicode() == kCr && m_data[end + 1].unicode() == kLf ? 2 : 1);
}

bool TextLines::next(QStringView* line)
{
    if (atEnd())
        return false;
    const int length = lineLength(remaining());
    *line = remaining().left(length);
    skipLine(length);
    return true;
}

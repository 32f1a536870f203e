#include "csvsplit.h"

#include "core/settings.h"

static const QChar kQuote = QLatin1Char('"');

// Empty cells share Qt's empty string instead of allocating one each.
static QVariant emptyCell()
{
    return QVariant(QString(QLatin1String("")));
}

static bool isLineBreak(QChar ch)
{
    return ch == QLatin1Char('\n') || ch == QLatin1Char('\r');
}

// One text cell from a run of characters, trimmed by moving its ends (as QString::trimmed does),
// so the cell costs a single allocation.
static QVariant textCell(const QChar* data, int length, bool trim)
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
        return emptyCell();
    return QVariant(QString(data, length));
}

// Walks a cell that holds at least one quote, from `start` to the delimiter outside quotes that
// ends it (or the end of the line), and returns that position. The cell's characters, quotes
// removed and doubled quotes made single, are counted in *length and written to `out` when given,
// so the caller can size the cell exactly before filling it.
static int walkQuotedCell(const QChar* line, int size, int start, QChar delimiter, QChar* out,
                          int* length)
{
    bool quoted = false;
    int written = 0;
    int i = start;
    for (; i < size; ++i) {
        const QChar ch = line[i];
        if (quoted) {
            if (ch == kQuote) {
                if (i + 1 < size && line[i + 1] == kQuote) {
                    if (out)
                        out[written] = kQuote;
                    ++written;
                    ++i;
                } else {
                    quoted = false;
                }
                continue;
            }
        } else if (ch == kQuote) {
            quoted = true;
            continue;
        } else if (ch == delimiter) {
            break;
        }
        if (out)
            out[written] = ch;
        ++written;
    }
    *length = written;
    return i;
}

static int appendQuotedCell(const QChar* line, int size, int start, QChar delimiter, bool trim,
                            QVariantList& cells)
{
    int length = 0;
    const int end = walkQuotedCell(line, size, start, delimiter, nullptr, &length);
    if (length == 0) {
        cells.append(emptyCell());
        return end;
    }
    QString text(length, Qt::Uninitialized);
    walkQuotedCell(line, size, start, delimiter, text.data(), &length);
    if (trim)
        text = std::move(text).trimmed(); // in place: the text is not shared
    cells.append(text.isEmpty() ? emptyCell() : QVariant(text));
    return end;
}

static void splitDelimited(QStringView line, QChar delimiter, bool trim, QVariantList& cells)
{
    const QChar* data = line.data();
    const int size = int(line.size());
    int i = 0;
    for (;;) {
        const int start = i;
        // Most cells hold no quote: scan for the end and copy the run in one piece.
        while (i < size && data[i] != delimiter && data[i] != kQuote)
            ++i;
        if (i < size && data[i] == kQuote)
            i = appendQuotedCell(data, size, start, delimiter, trim, cells);
        else
            cells.append(textCell(data + start, i - start, trim));
        if (i >= size)
            return;
        ++i; // the delimiter
    }
}

static void splitFixedWidth(QStringView line, int width, bool trim, QVariantList& cells)
{
    const int size = int(line.size());
    if (width <= 0) {
        cells.append(textCell(line.data(), size, trim));
        return;
    }
    for (int pos = 0; pos < size; pos += width)
        cells.append(textCell(line.data() + pos, std::min(width, size - pos), trim));
}

QVariantList splitDelimitedLine(const QString& line, const QString& delimiter, bool trim)
{
    QVariantList cells;
    splitDelimited(line, delimiter.isEmpty() ? QLatin1Char(',') : delimiter.at(0), trim, cells);
    return cells;
}

QVariantList splitFixedWidthLine(const QString& line, int width, bool trim)
{
    QVariantList cells;
    if (width > 0)
        cells.reserve((line.size() + width - 1) / width);
    splitFixedWidth(line, width, trim, cells);
    return cells;
}

QChar resolveDelimiter(const QString& setting, VariableScope* scope)
{
    const QString text = resolveSetting(setting, scope).toString();
    return text.isEmpty() ? QLatin1Char(',') : text.at(0);
}

void CellSplitter::split(QStringView line, QVariantList& cells) const
{
    if (fixedWidth)
        splitFixedWidth(line, width, trim, cells);
    else
        splitDelimited(line, delimiter, trim, cells);
}

TextLines::TextLines(const QString& text) : m_data(text.constData()), m_end(text.size())
{
    // Trailing line breaks only end empty lines, which are dropped.
    while (m_end > 0 && isLineBreak(m_data[m_end - 1]))
        --m_end;
}

int TextLines::count() const
{
    int lines = 1;
    for (int i = 0; i < m_end; ++i) {
        const QChar ch = m_data[i];
        if (ch == QLatin1Char('\n'))
            ++lines;
        else if (ch == QLatin1Char('\r') && !(i + 1 < m_end && m_data[i + 1] == QLatin1Char('\n')))
            ++lines;
    }
    return lines;
}

bool TextLines::next(QStringView* line)
{
    if (m_pos > m_end)
        return false;
    int i = m_pos;
    while (i < m_end && !isLineBreak(m_data[i]))
        ++i;
    *line = QStringView(m_data + m_pos, i - m_pos);
    if (i == m_end) {
        m_pos = m_end + 1;
    } else {
        // CR LF is one break; the walk never passes m_end, whose previous character is no break.
        m_pos = i + (m_data[i] == QLatin1Char('\r') && m_data[i + 1] == QLatin1Char('\n') ? 2 : 1);
    }
    return true;
}

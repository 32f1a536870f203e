#include "csvformat.h"

static const QChar kQuote = QLatin1Char('"');

static bool needsQuotes(const QString& text, QChar delimiter)
{
    for (const QChar ch : text) {
        if (ch == delimiter || ch == kQuote || ch == QLatin1Char('\n') || ch == QLatin1Char('\r'))
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

static void appendCsvCell(QString& out, const QString& text, QChar delimiter)
{
    if (needsQuotes(text, delimiter))
        appendQuoted(out, text);
    else
        out.append(text);
}

void appendCsvLine(QString& out, const QVariantList& cells, QChar delimiter)
{
    for (int i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out.append(delimiter);
        const QVariant& cell = cells.at(i);
        // Cells this module makes hold a QString: it is read in place instead of copied out.
        if (cell.userType() == QMetaType::QString)
            appendCsvCell(out, *static_cast<const QString*>(cell.constData()), delimiter);
        else
            appendCsvCell(out, cell.toString(), delimiter);
    }
}

QString formatCsvLine(const QVariantList& cells, const QString& delimiter)
{
    QString line;
    appendCsvLine(line, cells, delimiter.isEmpty() ? QLatin1Char(',') : delimiter.at(0));
    return line;
}

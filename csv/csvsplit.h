// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariantList>
#include <QVector>

class CellTexts;
class VariableScope;

// The cells of one line split at the first character of `delimiter` ("," when empty). A double
// quote opens a section, anywhere in a cell, in which the delimiter is ordinary text and "" stands
// for one quote; an unterminated section ends with the line. Always at least one cell.
QVariantList splitDelimitedLine(const QString& line, const QString& delimiter, bool trim);

// The cells of one line cut into pieces of `width` characters, the last one possibly shorter; an
// empty line gives no cells. A width of 0 or less makes the whole line one cell.
QVariantList splitFixedWidthLine(const QString& line, int width, bool trim);

// The delimiter a CSV step uses: the first character of the setting's resolved text, or ",".
QChar resolveDelimiter(const QString& setting, VariableScope* scope);

// The reading step's choice of splitter, made once per run and applied to every line.
struct CellSplitter {
    bool fixedWidth = false;
    int width = 0;
    QChar delimiter = QLatin1Char(',');
    bool trim = false;

    // Appends the cells of the line at the start of `text` to `cells` and returns the line's
    // length: the line ends at the first LF or CR, or with the text. Splitting and finding the
    // line's end are one scan. With `texts`, a cell whose text its column has held before shares
    // that text; `cells` must then start empty, as the column is the cell's position.
    int splitLine(QStringView text, QVariantList& cells, CellTexts* texts = nullptr) const;
};

// The lines of a decoded text, walked in place: LF, CR LF and a lone CR each end a line, and
// trailing empty lines are dropped (an empty text still has one empty line). A large text may come
// in pieces decoded apart (see readTextFileInPieces): each piece but the last then ends with a line
// break and the last holds more than line breaks, so no line spans two pieces. The text must
// outlive the walker.
class TextLines
{
public:
    explicit TextLines(const QString& text);
    explicit TextLines(const QStringList& pieces);

    int count() const;
    bool atEnd() const { return m_pos > m_end; }
    // The text from the start of the current line to the end of the last line of its piece.
    QStringView remaining() const;
    // Moves past the current line, `length` characters long, and its line break.
    void skipLine(int length);
    // The current line, moving past it; false when all lines have been given.
    bool next(QStringView* line);
    // The index of the piece holding the current line.
    int piece() const { return m_piece; }

private:
    // A piece's lines end at `end`: before the piece's last line break, or before the trailing
    // line breaks of the last piece.
    struct Piece {
        const QChar* data;
        int end;
    };

    void enterPiece(int index);

    QVector<Piece> m_pieces;
    int m_piece = 0;
    const QChar* m_data = nullptr;
    int m_end = 0;
    int m_pos = 0;
};

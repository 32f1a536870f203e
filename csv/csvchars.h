// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QChar>
#include <QtGlobal>

// The characters that matter to CSV in one line of text: the quote, the delimiter and, where
// asked for, the line breaks LF and CR. Tested one character at a time in long scans, so the test
// is cheap: a bit mask covers the controls and punctuation below 64, and above them only the
// delimiter can be a member. Letters, digits and Chinese text pass with one comparison each.
class CsvChars
{
public:
    CsvChars(QChar delimiter, bool lineBreaks) : m_delimiter(delimiter.unicode())
    {
        add(u'"');
        add(m_delimiter);
        if (lineBreaks) {
            add(u'\n');
            add(u'\r');
        }
    }

    bool contains(QChar ch) const
    {
        const ushort c = ch.unicode();
        return c < 64 ? (m_low >> c) & 1 : c == m_delimiter;
    }

private:
    void add(ushort c)
    {
        if (c < 64)
            m_low |= quint64(1) << c;
    }

    ushort m_delimiter;
    quint64 m_low = 0;
};

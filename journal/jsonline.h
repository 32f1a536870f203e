// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#ifndef FILEOPER_JSONLINE_H
#define FILEOPER_JSONLINE_H

#include <QByteArray>
#include <QString>

// One flat JSON object written straight into bytes, for the records a journal writes once per
// change: QJsonDocument builds a tree and converts every value on the way, which cost more than
// the change being recorded. Keys are plain ASCII given by the caller; texts are escaped.
class JsonLine
{
public:
    JsonLine();
    JsonLine& add(const char* key, const QString& text);
    // A name of the journal's own (an operation, a kind): ASCII, written as it is.
    JsonLine& add(const char* key, QLatin1String ascii);
    // Numbers past 2^53 do not survive a JSON double: identities and times go as text.
    JsonLine& addAsText(const char* key, quint64 number);
    JsonLine& addAsText(const char* key, qint64 number);
    JsonLine& add(const char* key, qint64 number);
    // A value that is JSON already (an object written by another JsonLine).
    JsonLine& addJson(const char* key, const QByteArray& json);
    // The object, closed; a line of the journal once '\n' follows.
    QByteArray object() const { return m_bytes + '}'; }

private:
    void startValue(const char* key);
    // Text that needs no escaping.
    JsonLine& addQuoted(const char* key, const QByteArray& plain);

    QByteArray m_bytes;
};

#endif

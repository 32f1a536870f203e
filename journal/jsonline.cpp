// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "jsonline.h"

namespace
{

// Plain runs are copied whole: paths seldom hold anything to escape.
void appendEscaped(QByteArray& out, const char* begin, const char* end)
{
    static const char hex[] = "0123456789abcdef";
    out += '"';
    const char* run = begin;
    for (const char* at = begin; at != end; ++at) {
        const auto byte = static_cast<unsigned char>(*at);
        if (byte >= 0x20 && *at != '"' && *at != '\\')
            continue; // UTF-8 as it is, which JSON allows
        out.append(run, int(at - run));
        run = at + 1;
        if (byte < 0x20) {
            const char escaped[] = {'\\', 'u', '0', '0', hex[byte >> 4], hex[byte & 0xf]};
            out.append(escaped, int(sizeof escaped));
        } else {
            const char escaped[] = {'\\', *at};
            out.append(escaped, int(sizeof escaped));
        }
    }
    out.append(run, int(end - run));
    out += '"';
}

} // namespace

void JsonLine::startValue(const char* key)
{
    if (m_bytes.size() > 1)
        m_bytes += ',';
    m_bytes += '"';
    m_bytes += key;
    m_bytes += "\":";
}

JsonLine::JsonLine()
{
    // A record with a path or two and a state: one allocation.
    m_bytes.reserve(384);
    m_bytes += '{';
}

JsonLine& JsonLine::add(const char* key, const QString& text)
{
    startValue(key);
    const QByteArray utf8 = text.toUtf8();
    appendEscaped(m_bytes, utf8.constData(), utf8.constData() + utf8.size());
    return *this;
}

JsonLine& JsonLine::add(const char* key, QLatin1String ascii)
{
    startValue(key);
    appendEscaped(m_bytes, ascii.data(), ascii.data() + ascii.size());
    return *this;
}

JsonLine& JsonLine::addAsText(const char* key, quint64 number)
{
    return addQuoted(key, QByteArray::number(number));
}

JsonLine& JsonLine::addAsText(const char* key, qint64 number)
{
    return addQuoted(key, QByteArray::number(number));
}

JsonLine& JsonLine::addQuoted(const char* key, const QByteArray& plain)
{
    startValue(key);
    m_bytes += '"';
    m_bytes += plain;
    m_bytes += '"';
    return *this;
}

JsonLine& JsonLine::add(const char* key, qint64 number)
{
    startValue(key);
    m_bytes += QByteArray::number(number);
    return *this;
}

JsonLine& JsonLine::addJson(const char* key, const QByteArray& json)
{
    startValue(key);
    m_bytes += json;
    return *this;
}

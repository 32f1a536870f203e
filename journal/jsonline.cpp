#include "jsonline.h"

namespace
{

void appendEscaped(QByteArray& out, const QByteArray& utf8)
{
    static const char hex[] = "0123456789abcdef";
    out.reserve(out.size() + utf8.size() + 2);
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 0xf];
        } else {
            out += c; // UTF-8 as it is, which JSON allows
        }
    }
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

JsonLine& JsonLine::add(const char* key, const QString& text)
{
    startValue(key);
    appendEscaped(m_bytes, text.toUtf8());
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

#include "jsonvalue.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>
#include <QSequentialIterable>
#include <QStringList>

#include <cmath>

QVariant jsonToVariant(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double:
        return value.toDouble();
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Array: {
        const QJsonArray array = value.toArray();
        QVariantList list;
        list.reserve(array.size());
        for (const QJsonValue& item : array)
            list.append(jsonToVariant(item));
        return list;
    }
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        QVariantMap map;
        for (auto it = object.begin(); it != object.end(); ++it)
            map.insert(it.key(), jsonToVariant(it.value()));
        return map;
    }
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        break;
    }
    return QVariant();
}

namespace
{

void appendHex4(std::string& out, unsigned value)
{
    static const char digits[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += digits[(value >> shift) & 0xf];
}

// UTF-16 straight to escaped UTF-8, one pass: the hot path of big table reports.
void appendString(std::string& out, const QString& text)
{
    out += '"';
    const ushort* p = text.utf16();
    const ushort* end = p + text.size();
    while (p < end) {
        const ushort c = *p++;
        if (c < 0x80) {
            switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (c < 0x20)
                    appendHex4(out, c);
                else
                    out += char(c);
            }
        } else if (c < 0x800) {
            out += char(0xc0 | (c >> 6));
            out += char(0x80 | (c & 0x3f));
        } else if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p)) {
            const uint code = QChar::surrogateToUcs4(c, *p++);
            out += char(0xf0 | (code >> 18));
            out += char(0x80 | ((code >> 12) & 0x3f));
            out += char(0x80 | ((code >> 6) & 0x3f));
            out += char(0x80 | (code & 0x3f));
        } else if (QChar::isSurrogate(c)) {
            // A lone surrogate has no UTF-8 form; the escape keeps it visible and the JSON valid.
            appendHex4(out, c);
        } else {
            out += char(0xe0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3f));
            out += char(0x80 | (c & 0x3f));
        }
    }
    out += '"';
}

void appendDouble(std::string& out, double value)
{
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    const QByteArray text = QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    out.append(text.constData(), size_t(text.size()));
}

void newline(std::string& out, int indent)
{
    out += '\n';
    out.append(size_t(indent) * 4, ' ');
}

bool isMap(int type)
{
    return type == QMetaType::QVariantMap || type == QMetaType::QVariantHash;
}

bool isList(const QVariant& value)
{
    const int type = value.userType();
    if (type == QMetaType::QVariantList || type == QMetaType::QStringList)
        return true;
    if (type == QMetaType::QString || type == QMetaType::QByteArray || isMap(type))
        return false;
    return type >= QMetaType::User && value.canConvert<QVariantList>();
}

bool isContainer(const QVariant& value)
{
    return isMap(value.userType()) || isList(value);
}

void appendStringList(std::string& out, const QStringList& items)
{
    out += '[';
    for (int i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ", ";
        appendString(out, items.at(i));
    }
    out += ']';
}

void appendVariantList(std::string& out, const QVariantList& items, int indent)
{
    if (items.isEmpty()) {
        out += "[]";
        return;
    }
    bool nested = false;
    for (const QVariant& item : items) {
        if (isContainer(item)) {
            nested = true;
            break;
        }
    }
    out += '[';
    bool first = true;
    for (const QVariant& item : items) {
        if (!first)
            out += nested ? "," : ", ";
        first = false;
        if (nested)
            newline(out, indent + 1);
        appendJson(out, item, indent + 1);
    }
    if (nested)
        newline(out, indent);
    out += ']';
}

template <typename Map> void appendObject(std::string& out, const Map& map, int indent)
{
    if (map.isEmpty()) {
        out += "{}";
        return;
    }
    out += '{';
    bool first = true;
    for (auto it = map.begin(); it != map.end(); ++it) {
        if (!first)
            out += ',';
        first = false;
        newline(out, indent + 1);
        appendString(out, it.key());
        out += ": ";
        appendJson(out, it.value(), indent + 1);
    }
    newline(out, indent);
    out += '}';
}

} // namespace

void appendJson(std::string& out, const QVariant& value, int indent)
{
    switch (value.userType()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        out += "null";
        return;
    case QMetaType::Bool:
        out += value.toBool() ? "true" : "false";
        return;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::SChar:
        out += std::to_string(value.toLongLong());
        return;
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        out += std::to_string(value.toULongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        appendDouble(out, value.toDouble());
        return;
    case QMetaType::QString:
        appendString(out, *static_cast<const QString*>(value.constData()));
        return;
    case QMetaType::QVariantList:
        appendVariantList(out, *static_cast<const QVariantList*>(value.constData()), indent);
        return;
    case QMetaType::QStringList:
        appendStringList(out, *static_cast<const QStringList*>(value.constData()));
        return;
    case QMetaType::QVariantMap:
        appendObject(out, *static_cast<const QVariantMap*>(value.constData()), indent);
        return;
    case QMetaType::QVariantHash: {
        // Sorted like a map, so the output does not depend on hashing.
        const QVariantHash hash = value.toHash();
        QVariantMap map;
        for (auto it = hash.begin(); it != hash.end(); ++it)
            map.insert(it.key(), it.value());
        appendObject(out, map, indent);
        return;
    }
    default:
        break;
    }
    if (isList(value)) {
        QVariantList items;
        const QSequentialIterable iterable = value.value<QSequentialIterable>();
        for (const QVariant& item : iterable)
            items.append(item);
        appendVariantList(out, items, indent);
    } else if (value.canConvert<QString>()) {
        appendString(out, value.toString());
    } else {
        out += "null";
    }
}

QByteArray toJsonText(const QVariant& value)
{
    std::string out;
    appendJson(out, value);
    out += '\n';
    return QByteArray(out.data(), int(out.size()));
}

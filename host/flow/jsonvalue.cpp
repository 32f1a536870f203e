// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "jsonvalue.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>
#include <QSequentialIterable>
#include <QStringList>

#include <cmath>
#include <vector>

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

// Lists and maps deeper than this are written on one line: the layout stays readable where people
// look, and the text stays linear in the size of the value however deeply it nests.
const int maxLayoutDepth = 32;

enum class Kind { Plain, List, Map };

bool isMap(int type)
{
    return type == QMetaType::QVariantMap || type == QMetaType::QVariantHash;
}

bool isSequence(const QVariant& value)
{
    const int type = value.userType();
    if (type == QMetaType::QVariantList || type == QMetaType::QStringList)
        return true;
    if (type == QMetaType::QString || type == QMetaType::QByteArray || isMap(type))
        return false;
    return type >= QMetaType::User && value.canConvert<QVariantList>();
}

// A string list has no nesting and is written in one go, like a plain value.
Kind kindOf(const QVariant& value)
{
    if (isMap(value.userType()))
        return Kind::Map;
    if (value.userType() != QMetaType::QStringList && isSequence(value))
        return Kind::List;
    return Kind::Plain;
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

void appendPlain(std::string& out, const QVariant& value)
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
    case QMetaType::QStringList:
        appendStringList(out, *static_cast<const QStringList*>(value.constData()));
        return;
    default:
        break;
    }
    if (value.canConvert<QString>())
        appendString(out, value.toString());
    else
        out += "null";
}

QVariantList listItems(const QVariant& value)
{
    if (value.userType() == QMetaType::QVariantList)
        return *static_cast<const QVariantList*>(value.constData());
    QVariantList items;
    const QSequentialIterable iterable = value.value<QSequentialIterable>();
    for (const QVariant& item : iterable)
        items.append(item);
    return items;
}

// Sorted like a QVariantMap, so the output does not depend on hashing.
QVariantMap mapItems(const QVariant& value)
{
    if (value.userType() == QMetaType::QVariantMap)
        return *static_cast<const QVariantMap*>(value.constData());
    const QVariantHash hash = value.toHash();
    QVariantMap map;
    for (auto it = hash.begin(); it != hash.end(); ++it)
        map.insert(it.key(), it.value());
    return map;
}

// A list or map whose items are being written.
struct OpenContainer {
    bool isMap = false;
    bool multiline = false;
    int indent = 0;
    QVariantList list;
    int next = 0;
    QVariantMap map;
    QVariantMap::const_iterator position;

    bool atFirst() const { return isMap ? position == map.constBegin() : next == 0; }
    bool atEnd() const { return isMap ? position == map.constEnd() : next == list.size(); }
};

// A list spreads over several lines when it holds lists or maps, so a data table prints one row
// per line; a map always does. Below the layout depth everything stays on one line.
bool holdsContainers(const QVariantList& items)
{
    for (const QVariant& item : items) {
        if (isMap(item.userType()) || isSequence(item))
            return true;
    }
    return false;
}

// Writes a plain value, an empty container, or the opening of a container that `open` then
// holds until its items are written.
void beginValue(std::string& out, const QVariant& value, int indent,
                std::vector<OpenContainer>& open)
{
    const Kind kind = kindOf(value);
    if (kind == Kind::Plain) {
        appendPlain(out, value);
        return;
    }
    OpenContainer container;
    container.indent = indent;
    if (kind == Kind::Map) {
        container.isMap = true;
        container.map = mapItems(value);
        if (container.map.isEmpty()) {
            out += "{}";
            return;
        }
        container.position = container.map.constBegin();
        container.multiline = indent < maxLayoutDepth;
        out += '{';
    } else {
        container.list = listItems(value);
        if (container.list.isEmpty()) {
            out += "[]";
            return;
        }
        container.multiline = indent < maxLayoutDepth && holdsContainers(container.list);
        out += '[';
    }
    open.push_back(std::move(container));
}

} // namespace

// Walks the value with its own stack rather than by recursion: a value may nest deeper than the
// call stack could follow.
void appendJson(std::string& out, const QVariant& value, int indent)
{
    std::vector<OpenContainer> open;
    beginValue(out, value, indent, open);
    while (!open.empty()) {
        OpenContainer& container = open.back();
        if (container.atEnd()) {
            if (container.multiline)
                newline(out, container.indent);
            out += container.isMap ? '}' : ']';
            open.pop_back();
            continue;
        }
        if (!container.atFirst())
            out += container.multiline ? "," : ", ";
        if (container.multiline)
            newline(out, container.indent + 1);
        QVariant item;
        if (container.isMap) {
            appendString(out, container.position.key());
            out += ": ";
            item = container.position.value();
            ++container.position;
        } else {
            item = container.list.at(container.next++);
        }
        const int itemIndent = container.indent + 1;
        beginValue(out, item, itemIndent, open); // may move `container`
    }
}

QByteArray toJsonText(const QVariant& value)
{
    std::string out;
    appendJson(out, value);
    out += '\n';
    return QByteArray(out.data(), int(out.size()));
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "binaryflow.h"

#include "operationprops.h"
#include "pluginhost.h"

#include <operation.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QScopedPointer>
#include <QtEndian>

#include <cstring>

const char binaryFlowMagic[8] = {'S', 'T', 'E', 'P', 'F', 'L', 'O', 'W'};

namespace
{
class BinaryFlow
{
    Q_DECLARE_TR_FUNCTIONS(BinaryFlow)
};
} // namespace

bool isBinaryFlow(const QByteArray& data)
{
    return data.size() >= int(sizeof binaryFlowMagic) &&
           std::memcmp(data.constData(), binaryFlowMagic, sizeof binaryFlowMagic) == 0;
}

namespace
{

// A value in QVariant's stream form, written by our own hand where Qt's majors part: a map's
// entries go from the greatest key down, as Qt 5 writes them (Qt 6 goes up). The rest is Qt's.
void writeVariant(QDataStream& out, const QVariant& value)
{
    const int type = value.userType();
    if (type == QMetaType::QVariantMap) {
        const QVariantMap map = value.toMap();
        out << quint32(type) << qint8(value.isNull()) << quint32(map.size());
        for (auto entry = map.constEnd(); entry != map.constBegin();) {
            --entry;
            out << entry.key();
            writeVariant(out, entry.value());
        }
    } else if (type == QMetaType::QVariantList) {
        const QVariantList list = value.toList();
        out << quint32(type) << qint8(value.isNull()) << quint32(list.size());
        for (const QVariant& item : list)
            writeVariant(out, item);
    } else {
        out << value;
    }
}

} // namespace

QByteArray writeBinaryFlow(const Flow& flow, const PluginHost& host)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out.writeRawData(binaryFlowMagic, sizeof binaryFlowMagic);
    if (flow.comment.isEmpty())
        out << binaryFlowVersion;
    else
        out << binaryFlowVersionWithComment << flow.comment;
    out << quint32(flow.variables.size());
    for (const FlowVariable& variable : flow.variables) {
        // Qt writes a value by recursion, and the reader would refuse it anyway.
        if (nestedDeeperThan(variable.value, maxValueNesting))
            throw FlowError{BinaryFlow::tr("variable \"%1\": the value is nested more than %2 "
                                           "levels deep")
                                .arg(variable.name)
                                .arg(maxValueNesting)};
        out << variable.name << varTypeWord(variable.type);
        writeVariant(out, variable.value);
    }
    out << quint32(flow.steps.size());
    for (int i = 0; i < flow.steps.size(); ++i) {
        const FlowStep& step = flow.steps.at(i);
        QScopedPointer<Operation> op(host.createStep(step));
        if (!op)
            throw FlowError{
                BinaryFlow::tr("step %1 (%2): unknown step type").arg(i + 1).arg(step.type)};
        out << step.type;
        op->saveOperation(out);
    }
    return bytes;
}

namespace
{

// The smallest encoded sizes, used to bound counts read from the data.
const qint64 minStringSize = 4;
const qint64 minVariantSize = 5; // type id and null flag

class BinaryReader
{
public:
    explicit BinaryReader(const QByteArray& data) : m_stream(data)
    {
        m_stream.setVersion(QDataStream::Qt_5_15);
        m_size = data.size();
    }

    QDataStream& stream() { return m_stream; }
    qint64 remaining() const { return m_size - m_stream.device()->pos(); }
    bool atEnd() const { return remaining() == 0; }

    void setContext(const QString& context) { m_context = context; }

    [[noreturn]] void fail(const QString& problem) const
    {
        if (m_context.isEmpty())
            throw FlowError{BinaryFlow::tr("damaged binary flow: %1").arg(problem)};
        throw FlowError{BinaryFlow::tr("damaged binary flow: %1: %2").arg(m_context, problem)};
    }

    void check()
    {
        if (m_stream.status() == QDataStream::ReadPastEnd)
            fail(BinaryFlow::tr("the data ends early"));
        if (m_stream.status() != QDataStream::Ok)
            fail(BinaryFlow::tr("the data is corrupt"));
    }

    template <typename T> T read()
    {
        T value{};
        m_stream >> value;
        check();
        return value;
    }

    // tooMany: the problem of a count the data cannot hold, with %1 for the count.
    quint32 readCount(qint64 minItemSize, const char* tooMany)
    {
        const quint32 count = read<quint32>();
        if (qint64(count) * minItemSize > remaining())
            fail(BinaryFlow::tr(tooMany).arg(count));
        return count;
    }

    QString readString()
    {
        const quint32 bytes = read<quint32>();
        if (bytes == 0xffffffffu)
            return QString();
        if (bytes % 2 != 0)
            fail(BinaryFlow::tr("a text has an odd byte length"));
        if (qint64(bytes) > remaining())
            fail(BinaryFlow::tr("the data ends early"));
        QString text(int(bytes / 2), Qt::Uninitialized);
        ushort* chars = reinterpret_cast<ushort*>(text.data());
        if (m_stream.readRawData(reinterpret_cast<char*>(chars), int(bytes)) != int(bytes))
            fail(BinaryFlow::tr("the data ends early"));
        qFromBigEndian<ushort>(chars, text.size(), chars);
        return text;
    }

    QByteArray readBytes()
    {
        const quint32 size = read<quint32>();
        if (size == 0xffffffffu)
            return QByteArray();
        if (qint64(size) > remaining())
            fail(BinaryFlow::tr("the data ends early"));
        QByteArray bytes(int(size), Qt::Uninitialized);
        if (m_stream.readRawData(bytes.data(), int(size)) != int(size))
            fail(BinaryFlow::tr("the data ends early"));
        return bytes;
    }

    // The QVariant stream form of the value types flows hold; anything else is refused rather
    // than handed to Qt's own reader, which trusts the counts it reads. The recursion is bounded
    // by the nesting a JSON flow can carry.
    QVariant readVariant(int depth = 0)
    {
        const quint32 type = read<quint32>();
        read<qint8>(); // the null flag: the value itself says all flows need
        switch (type) {
        case QMetaType::UnknownType:
            return QVariant();
        case QMetaType::Bool:
            return read<bool>();
        case QMetaType::Int:
            return read<qint32>();
        case QMetaType::UInt:
            return read<quint32>();
        case QMetaType::LongLong:
            return read<qint64>();
        case QMetaType::ULongLong:
            return read<quint64>();
        case QMetaType::Double:
            return read<double>();
        case QMetaType::QString:
            return readString();
        case QMetaType::QByteArray:
            return readBytes();
        case QMetaType::QStringList: {
            const quint32 count =
                readCount(minStringSize,
                          QT_TRANSLATE_NOOP("BinaryFlow",
                                            "a text list of %1 is more than the data can hold"));
            QStringList list;
            list.reserve(int(count));
            for (quint32 i = 0; i < count; ++i)
                list.append(readString());
            return list;
        }
        case QMetaType::QVariantList: {
            checkNesting(depth);
            const quint32 count = readCount(
                minVariantSize,
                QT_TRANSLATE_NOOP("BinaryFlow", "a list of %1 is more than the data can hold"));
            QVariantList list;
            list.reserve(int(count));
            for (quint32 i = 0; i < count; ++i)
                list.append(readVariant(depth + 1));
            return list;
        }
        case QMetaType::QVariantMap: {
            checkNesting(depth);
            const quint32 count = readCount(
                minStringSize + minVariantSize,
                QT_TRANSLATE_NOOP("BinaryFlow", "a map of %1 is more than the data can hold"));
            QVariantMap map;
            for (quint32 i = 0; i < count; ++i) {
                const QString key = readString();
                map.insert(key, readVariant(depth + 1));
            }
            return map;
        }
        default:
            fail(BinaryFlow::tr("a value has the unsupported type id %1").arg(type));
        }
    }

private:
    // A list or map read at `depth` (the outermost value at 0) nests depth + 1 levels.
    void checkNesting(int depth) const
    {
        if (depth >= maxValueNesting)
            fail(BinaryFlow::tr("a value is nested more than %1 levels deep").arg(maxValueNesting));
    }

    QDataStream m_stream;
    qint64 m_size = 0;
    QString m_context;
};

} // namespace

Flow readBinaryFlow(const QByteArray& data, const PluginHost& host)
{
    BinaryReader reader(data);
    if (!isBinaryFlow(data))
        reader.fail(BinaryFlow::tr("it does not start with STEPFLOW"));
    reader.setContext(BinaryFlow::tr("header"));
    reader.stream().skipRawData(sizeof binaryFlowMagic);
    const quint32 version = reader.read<quint32>();
    if (version != binaryFlowVersion && version != binaryFlowVersionWithComment)
        reader.fail(BinaryFlow::tr("unknown format version %1 (this host reads %2)")
                        .arg(version)
                        .arg(QStringLiteral("%1, %2")
                                 .arg(binaryFlowVersion)
                                 .arg(binaryFlowVersionWithComment)));

    Flow flow;
    if (version == binaryFlowVersionWithComment)
        flow.comment = reader.readString();
    const quint32 variableCount = reader.readCount(
        2 * minStringSize + minVariantSize,
        QT_TRANSLATE_NOOP("BinaryFlow", "the variable count %1 is more than the data can hold"));
    for (quint32 i = 0; i < variableCount; ++i) {
        reader.setContext(BinaryFlow::tr("variable %1").arg(i + 1));
        FlowVariable variable;
        variable.name = reader.readString();
        reader.setContext(BinaryFlow::tr("variable %1 \"%2\"").arg(i + 1).arg(variable.name));
        const QString word = reader.readString();
        if (!varTypeFromWord(word, &variable.type))
            reader.fail(BinaryFlow::tr("unknown type word \"%1\"").arg(word));
        variable.value = reader.readVariant();
        flow.variables.append(variable);
    }

    reader.setContext(BinaryFlow::tr("step list"));
    const quint32 stepCount = reader.readCount(
        minStringSize,
        QT_TRANSLATE_NOOP("BinaryFlow", "the step count %1 is more than the data can hold"));
    for (quint32 i = 0; i < stepCount; ++i) {
        reader.setContext(BinaryFlow::tr("step %1").arg(i + 1));
        FlowStep step;
        step.type = reader.readString();
        reader.setContext(BinaryFlow::tr("step %1 (%2)").arg(i + 1).arg(step.type));
        const Operation* prototype = host.prototype(step.type);
        if (!prototype)
            reader.fail(BinaryFlow::tr("unknown step type (no loaded plug-in provides it)"));
        QScopedPointer<Operation> op(prototype->clone(nullptr));
        op->loadOperation(reader.stream());
        reader.check();
        step.carriedState = op->carriedState();
        step.settings = settingValues(*op);
        flow.steps.append(step);
    }
    reader.setContext(QString());
    if (!reader.atEnd())
        reader.fail(
            BinaryFlow::tr("%1 unexpected bytes after the last step").arg(reader.remaining()));
    return flow;
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "jsonflow.h"

#include "jsonvalue.h"
#include "operationprops.h"
#include "pluginhost.h"

#include <operation.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cmath>
#include <limits>

namespace
{

class JsonFlow
{
    Q_DECLARE_TR_FUNCTIONS(JsonFlow)
};

QString jsonTypeName(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return JsonFlow::tr("a boolean");
    case QJsonValue::Double:
        return JsonFlow::tr("a number");
    case QJsonValue::String:
        return JsonFlow::tr("a string");
    case QJsonValue::Array:
        return JsonFlow::tr("an array");
    case QJsonValue::Object:
        return JsonFlow::tr("an object");
    default:
        return JsonFlow::tr("null");
    }
}

[[noreturn]] void fail(const QString& message)
{
    throw FlowError{message};
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

void checkKeys(const QJsonObject& object, const QSet<QString>& allowed, const QString& where)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!allowed.contains(it.key()))
            fail(JsonFlow::tr("%1: unknown key %2").arg(where).arg(quoted(it.key())));
    }
}

// A JSON number that is a whole number within [low, high].
bool wholeNumber(const QJsonValue& value, double low, double high, double* number)
{
    if (!value.isDouble())
        return false;
    const double d = value.toDouble();
    if (std::floor(d) != d || d < low || d > high)
        return false;
    *number = d;
    return true;
}

QString positionOf(const QByteArray& text, int offset)
{
    const QByteArray before = text.left(offset);
    const int line = before.count('\n') + 1;
    const int column = offset - (before.lastIndexOf('\n') + 1) + 1;
    return JsonFlow::tr("line %1, column %2").arg(line).arg(column);
}

FlowVariable readVariable(const QString& name, const QJsonValue& entry)
{
    const QString where = JsonFlow::tr("variable %1").arg(quoted(name));
    if (name.isEmpty())
        fail(JsonFlow::tr("a variable has an empty name"));
    if (!entry.isObject())
        fail(JsonFlow::tr("%1: needs an object, got %2").arg(where).arg(jsonTypeName(entry)));
    const QJsonObject object = entry.toObject();
    checkKeys(object,
              {QStringLiteral("type"), QStringLiteral("value"), QStringLiteral("qt"),
               QStringLiteral("comment")},
              where);

    FlowVariable variable;
    variable.name = name;
    const QJsonValue type = object.value(QStringLiteral("type"));
    if (!type.isUndefined()) {
        if (!type.isString() || type.toString().isEmpty() ||
            !varTypeFromWord(type.toString(), &variable.type))
            fail(JsonFlow::tr("%1: unknown type %2 (string, list, datatable, bool, number, "
                              "object)")
                     .arg(where)
                     .arg(type.isString() ? quoted(type.toString()) : jsonTypeName(type)));
    }
    const QJsonValue value = object.value(QStringLiteral("value"));
    variable.value = jsonToVariant(value);

    const QJsonValue qt = object.value(QStringLiteral("qt"));
    if (qt.isUndefined() || qt.toString() == QLatin1String("QVariantList"))
        return variable;
    if (qt.toString() != QLatin1String("QStringList"))
        fail(JsonFlow::tr("%1: \"qt\" may only be \"QStringList\"").arg(where));
    if (!value.isArray())
        fail(JsonFlow::tr("%1: a QStringList value needs an array of strings").arg(where));
    QStringList strings;
    const QJsonArray items = value.toArray();
    for (const QJsonValue& item : items) {
        if (!item.isString())
            fail(JsonFlow::tr("%1: a QStringList value needs an array of strings, it holds %2")
                     .arg(where)
                     .arg(jsonTypeName(item)));
        strings.append(item.toString());
    }
    variable.value = strings;
    return variable;
}

QVariant settingValue(const QMetaProperty& property, const QJsonValue& value, const QString& where)
{
    const QString name = QString::fromLatin1(property.name());
    auto mismatch = [&](const QString& wanted) {
        fail(JsonFlow::tr("%1: setting %2 needs %3, got %4")
                 .arg(where)
                 .arg(quoted(name))
                 .arg(wanted)
                 .arg(jsonTypeName(value)));
    };
    double number = 0;
    switch (property.userType()) {
    case QMetaType::QString:
        if (!value.isString())
            mismatch(JsonFlow::tr("a string"));
        return value.toString();
    case QMetaType::Int:
        if (!wholeNumber(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                         &number))
            mismatch(JsonFlow::tr("a whole number within the int range"));
        return int(number);
    case QMetaType::Bool:
        if (!value.isBool())
            mismatch(JsonFlow::tr("true or false"));
        return value.toBool();
    case QMetaType::Double:
        if (!value.isDouble())
            mismatch(JsonFlow::tr("a number"));
        return value.toDouble();
    default:
        fail(JsonFlow::tr("%1: setting %2 has the type %3, which flows cannot set")
                 .arg(where)
                 .arg(quoted(name))
                 .arg(QLatin1String(property.typeName())));
    }
}

FlowStep readStep(int index, const QJsonValue& entry, const PluginHost& host)
{
    QString where = JsonFlow::tr("step %1").arg(index + 1);
    if (!entry.isObject())
        fail(JsonFlow::tr("%1: needs an object, got %2").arg(where).arg(jsonTypeName(entry)));
    const QJsonObject object = entry.toObject();
    const QJsonValue type = object.value(QStringLiteral("type"));
    if (!type.isString())
        fail(JsonFlow::tr("%1: needs a \"type\" string").arg(where));
    FlowStep step;
    step.type = type.toString();
    where = JsonFlow::tr("step %1 (%2)").arg(index + 1).arg(step.type);
    checkKeys(object,
              {QStringLiteral("type"), QStringLiteral("settings"), QStringLiteral("carriedState"),
               QStringLiteral("comment")},
              where);
    const Operation* prototype = host.prototype(step.type);
    if (!prototype)
        fail(JsonFlow::tr("%1: unknown step type (no loaded plug-in provides it)").arg(where));

    const QJsonValue carried = object.value(QStringLiteral("carriedState"));
    if (!carried.isUndefined()) {
        double number = 0;
        if (!wholeNumber(carried, 0, std::numeric_limits<quint32>::max(), &number))
            fail(JsonFlow::tr("%1: \"carriedState\" needs a whole number from 0 to 4294967295")
                     .arg(where));
        step.carriedState = quint32(number);
    }

    const QJsonValue settings = object.value(QStringLiteral("settings"));
    if (settings.isUndefined())
        return step;
    if (!settings.isObject())
        fail(JsonFlow::tr("%1: \"settings\" needs an object, got %2")
                 .arg(where)
                 .arg(jsonTypeName(settings)));
    QHash<QString, QMetaProperty> properties;
    for (const QMetaProperty& property : settingProperties(*prototype))
        properties.insert(QString::fromLatin1(property.name()), property);
    const QJsonObject values = settings.toObject();
    for (auto it = values.begin(); it != values.end(); ++it) {
        const auto property = properties.constFind(it.key());
        if (property == properties.constEnd())
            fail(JsonFlow::tr("%1: unknown setting %2").arg(where).arg(quoted(it.key())));
        step.settings.insert(it.key(), settingValue(*property, it.value(), where));
    }
    return step;
}

} // namespace

Flow readJsonFlow(const QByteArray& text, const PluginHost& host)
{
    if (text.trimmed().isEmpty())
        fail(JsonFlow::tr("the file is empty"));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        fail(JsonFlow::tr("not valid JSON: %1 at %2")
                 .arg(error.errorString())
                 .arg(positionOf(text, error.offset)));
    if (!document.isObject())
        fail(JsonFlow::tr("a flow is a JSON object with \"variables\" and \"steps\""));
    const QJsonObject root = document.object();
    checkKeys(root,
              {QStringLiteral("variables"), QStringLiteral("steps"), QStringLiteral("comment")},
              JsonFlow::tr("flow"));

    Flow flow;
    // A comment of another kind than text was never read; it stays that way.
    flow.comment = root.value(QStringLiteral("comment")).toString();
    const QJsonValue variables = root.value(QStringLiteral("variables"));
    if (!variables.isUndefined() && !variables.isObject())
        fail(JsonFlow::tr("\"variables\" needs an object, got %1").arg(jsonTypeName(variables)));
    const QJsonObject variableObject = variables.toObject();
    for (auto it = variableObject.begin(); it != variableObject.end(); ++it)
        flow.variables.append(readVariable(it.key(), it.value()));

    const QJsonValue steps = root.value(QStringLiteral("steps"));
    if (!steps.isUndefined() && !steps.isArray())
        fail(JsonFlow::tr("\"steps\" needs an array, got %1").arg(jsonTypeName(steps)));
    const QJsonArray stepArray = steps.toArray();
    for (int i = 0; i < stepArray.size(); ++i)
        flow.steps.append(readStep(i, stepArray.at(i), host));
    return flow;
}

QVariant jsonFlowValue(const Flow& flow)
{
    QVariantMap variables;
    for (const FlowVariable& variable : flow.variables) {
        QVariantMap entry;
        if (variable.type != VarType::Undeclared)
            entry.insert(QStringLiteral("type"), varTypeWord(variable.type));
        if (variable.value.isValid())
            entry.insert(QStringLiteral("value"), variable.value);
        if (variable.value.userType() == QMetaType::QStringList)
            entry.insert(QStringLiteral("qt"), QStringLiteral("QStringList"));
        variables.insert(variable.name, entry);
    }
    QVariantList steps;
    for (const FlowStep& step : flow.steps) {
        QVariantMap entry;
        entry.insert(QStringLiteral("type"), step.type);
        entry.insert(QStringLiteral("settings"), step.settings);
        if (step.carriedState != 0)
            entry.insert(QStringLiteral("carriedState"), step.carriedState);
        steps.append(entry);
    }
    QVariantMap root;
    if (!flow.comment.isEmpty())
        root.insert(QStringLiteral("comment"), flow.comment);
    root.insert(QStringLiteral("variables"), variables);
    root.insert(QStringLiteral("steps"), steps);
    return root;
}

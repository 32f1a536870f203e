// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "report.h"

#include "jsonvalue.h"
#include "runner.h"

namespace
{

QVariant variableValue(const VariableScope& scope, const QString& name)
{
    const QVariant value = scope.get(name);
    QVariantMap entry;
    entry.insert(QStringLiteral("type"), varTypeWord(scope.typeOf(name)));
    entry.insert(QStringLiteral("qt"),
                 value.isValid() ? QString::fromLatin1(value.typeName()) : QVariant());
    // The value is shared, not copied: a big table costs nothing until it is written.
    entry.insert(QStringLiteral("value"), value);
    return entry;
}

} // namespace

QVariantMap reportValue(const RunResult& result, const QStringList* variableFilter)
{
    QVariantList steps;
    for (const StepRecord& step : result.steps) {
        QVariantMap entry;
        entry.insert(QStringLiteral("type"), step.type);
        entry.insert(QStringLiteral("text"), step.text);
        entry.insert(QStringLiteral("description"), step.description);
        steps.append(entry);
    }
    QVariantMap variables;
    const QStringList names = variableFilter ? *variableFilter : result.scope.names();
    for (const QString& name : names) {
        if (result.scope.contains(name))
            variables.insert(name, variableValue(result.scope, name));
    }
    QVariantMap report;
    report.insert(QStringLiteral("log"), result.log);
    report.insert(QStringLiteral("steps"), steps);
    report.insert(QStringLiteral("variables"), variables);
    if (result.stopped)
        report.insert(QStringLiteral("stopped"), true);
    return report;
}

std::string reportText(const QVariantMap& report)
{
    std::string text;
    appendJson(text, report);
    text += '\n';
    return text;
}

std::string reportText(const RunResult& result, const QStringList* variableFilter)
{
    return reportText(reportValue(result, variableFilter));
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "flowcheck.h"

#include "variablesmodel.h"

#include <operation.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <QWidget>
#include <algorithm>

namespace
{

const FlowVariable* findVariable(const QList<FlowVariable>& variables, const QString& name)
{
    for (const FlowVariable& variable : variables) {
        if (variable.name == name)
            return &variable;
    }
    return nullptr;
}

// The variable names a setting's text refers to: the whole text, or each line of a file list,
// when it starts with "$" ("$name.member" refers to name).
QStringList referencedNames(const PropertySpec& desc, const QString& text)
{
    const QStringList parts =
        desc.editor == EditorKind::MultiFile ? text.split(QLatin1Char('\n')) : QStringList{text};
    QStringList names;
    for (const QString& part : parts) {
        const QString trimmed = part.trimmed();
        if (!trimmed.startsWith(QLatin1Char('$')) || trimmed.size() < 2)
            continue;
        const int dot = trimmed.indexOf(QLatin1Char('.'), 2);
        names.append(trimmed.mid(1, dot < 0 ? -1 : dot - 1));
    }
    return names;
}

QString typeProblem(const FlowVariable& variable, const QStringList& types)
{
    if (types.isEmpty() || types.contains(varTypeWord(variable.type)))
        return QString();
    QStringList labels;
    for (const QString& word : types) {
        VarType type;
        labels.append(varTypeFromWord(word, &type) ? VariablesModel::typeLabel(type) : word);
    }
    return FlowCheck::tr("variable \"%1\" is not declared as %2")
        .arg(variable.name, labels.join(FlowCheck::tr(" or ")));
}

bool isPathEditor(EditorKind editor)
{
    return editor == EditorKind::FilePath || editor == EditorKind::FolderPath ||
           editor == EditorKind::MultiFile;
}

// A NUMVAR:INT setting holds a row, a column or a width: a whole number from 0 up, or a variable.
QString wholeNumberProblem(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('$')))
        return QString();
    bool ok = false;
    const int number = trimmed.toInt(&ok);
    if (!ok)
        return FlowCheck::tr("not a whole number, for example 0 or 12");
    if (number < 0)
        return FlowCheck::tr("%1 is below 0, which the step does not take").arg(number);
    return QString();
}

const int shownCrowdedTargets = 3;

// The changes of one step, by the path they put something at.
QHash<QString, int> changesByTarget(const FilePlan& plan, int step)
{
    QHash<QString, int> counts;
    for (const FilePlan::Entry& entry : plan.entries) {
        if (entry.isSkip || entry.change.step != step || entry.change.from.isEmpty())
            continue;
        ++counts[entry.change.path];
    }
    return counts;
}

} // namespace

QString FlowCheck::nameProblem(const QString& name, const QStringList& others)
{
    if (name.isEmpty())
        return tr("a variable needs a name");
    if (name.contains(QLatin1Char('$')))
        return tr("a name cannot contain \"$\"");
    for (const QChar c : name) {
        if (c.isSpace())
            return tr("a name cannot contain blanks");
    }
    if (others.contains(name))
        return tr("there is already a variable \"%1\"").arg(name);
    return QString();
}

QString FlowCheck::valueProblem(VarType type, const QString& text)
{
    if (text.isEmpty() || type == VarType::String || type == VarType::Undeclared)
        return QString();
    // Wrapped in an array so a bare number or true/false reads as JSON too.
    QJsonParseError error;
    const QJsonArray wrapped = QJsonDocument::fromJson("[" + text.toUtf8() + "]", &error).array();
    const bool one = error.error == QJsonParseError::NoError && wrapped.size() == 1;
    const QJsonValue value = wrapped.at(0);
    switch (type) {
    case VarType::Number:
        return one && value.isDouble() ? QString() : tr("not a number, for example 12 or 0.5");
    case VarType::Bool:
        return one && value.isBool() ? QString() : tr("write true or false");
    case VarType::List:
        return one && value.isArray() ? QString()
                                      : tr("not a list, for example [\"a.txt\", \"b.txt\"]");
    case VarType::DataTable: {
        bool rows = one && value.isArray();
        for (const QJsonValue& row : value.toArray())
            rows = rows && row.isArray();
        return rows ? QString()
                    : tr("not a table of rows, for example [[\"id\", \"name\"], [\"1\", \"Ann\"]]");
    }
    default:
        return one && value.isObject() ? QString() : tr("not an object, for example {\"a\": 1}");
    }
}

QString FlowCheck::settingProblem(const PropertySpec& desc, const QString& text,
                                  const QList<FlowVariable>& variables)
{
    // Every path a step takes is one it needs: left empty, the step does nothing or works on
    // what an earlier step left, such as the user's originals.
    if (isPathEditor(desc.editor) && text.trimmed().isEmpty())
        return tr("empty: the step has no path to work on");
    if (desc.editor == EditorKind::NumVarInt) {
        const QString problem = wholeNumberProblem(text);
        if (!problem.isEmpty())
            return problem;
    }
    if (desc.editor == EditorKind::VarName) {
        const QString name = text.trimmed();
        if (name.isEmpty())
            return QString();
        const FlowVariable* variable = findVariable(variables, name);
        return variable ? typeProblem(*variable, desc.variableTypes)
                        : tr("variable \"%1\" is not declared").arg(name);
    }
    for (const QString& name : referencedNames(desc, text)) {
        const FlowVariable* variable = findVariable(variables, name);
        if (!variable)
            return tr("variable \"%1\" is not declared").arg(name);
        // A member ("$t.Rows") is a value of its own kind; a number field reads numbers in text.
        if (desc.editor == EditorKind::VarRef && text.trimmed() == QLatin1Char('$') + name) {
            const QString problem = typeProblem(*variable, desc.variableTypes);
            if (!problem.isEmpty())
                return problem;
        }
    }
    return QString();
}

QStringList FlowCheck::stepProblems(const Operation& op, const QList<FlowVariable>& variables)
{
    QStringList problems;
    for (const PropertySpec& desc : propertySpecs(op)) {
        if (desc.property.userType() != QMetaType::QString || !settingShown(op, desc))
            continue;
        const QString problem = settingProblem(desc, desc.property.read(&op).toString(), variables);
        if (!problem.isEmpty())
            problems.append(QStringLiteral("%1: %2").arg(desc.label, problem));
    }
    return problems;
}

QHash<int, QStringList> FlowCheck::planProblems(const FilePlan& plan)
{
    QHash<int, int> conflicts;
    for (const FilePlan::Entry& entry : plan.entries) {
        if (!entry.isSkip && !entry.change.conflict.isEmpty())
            ++conflicts[entry.change.step];
    }
    QHash<int, QStringList> problems;
    for (auto step = conflicts.cbegin(); step != conflicts.cend(); ++step)
        problems[step.key()].append(
            tr("the plan shows %n conflict(s) in this step", nullptr, step.value()));
    QSet<int> steps;
    for (const FilePlan::Entry& entry : plan.entries) {
        if (!entry.isSkip)
            steps.insert(entry.change.step);
    }
    for (const int step : qAsConst(steps)) {
        const QHash<QString, int> targets = changesByTarget(plan, step);
        QList<QPair<int, QString>> crowded;
        for (auto target = targets.cbegin(); target != targets.cend(); ++target) {
            if (target.value() > 1)
                crowded.append({target.value(), target.key()});
        }
        // The most crowded first, and only a few: a tool tip is no list of thousands.
        std::sort(crowded.begin(), crowded.end(), [](const auto& a, const auto& b) {
            return a.first != b.first ? a.first > b.first : a.second < b.second;
        });
        for (const auto& target : crowded.mid(0, shownCrowdedTargets))
            problems[step].append(
                tr("sends %n files onto one name, %1", nullptr, target.first).arg(target.second));
    }
    return problems;
}

QStringList FlowCheck::missingStartFiles(const QList<const Operation*>& steps,
                                         const QString& folder)
{
    for (const Operation* op : steps) {
        for (const PropertySpec& desc : propertySpecs(*op)) {
            if (desc.editor != EditorKind::MultiFile || !settingShown(*op, desc))
                continue;
            QStringList relative;
            for (const QString& line : desc.property.read(op).toString().split(QLatin1Char('\n'))) {
                const QString path = line.trimmed();
                if (!path.isEmpty() && !path.startsWith(QLatin1Char('$')) &&
                    QDir::isRelativePath(path))
                    relative.append(path);
            }
            if (relative.isEmpty())
                continue;
            for (const QString& path : qAsConst(relative)) {
                if (QFileInfo::exists(QDir(folder).filePath(path)))
                    return {};
            }
            return relative;
        }
    }
    return {};
}

bool settingShown(const Operation& op, const PropertySpec& desc)
{
    if (!desc.hasShowWhen())
        return true;
    const QVariant value = op.property(desc.showWhenName.toLatin1().constData());
    // A condition on a setting the class lacks cannot hide the row for good.
    return !value.isValid() || value.toInt() == desc.showWhenValue;
}

void markProblem(QWidget* field, const QString& problem)
{
    field->setStyleSheet(problem.isEmpty() ? QString()
                                           : QStringLiteral("background-color: #ffd7d7;"));
    field->setToolTip(problem);
}

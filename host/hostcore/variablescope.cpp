// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "variablescope.h"

void VariableScope::declare(const QString& name, VarType type, const QVariant& value)
{
    m_variables.insert(name, Variable{type, value});
}

QVariant VariableScope::get(const QString& name) const
{
    const auto it = m_variables.constFind(name);
    return it == m_variables.constEnd() ? QVariant() : it->value;
}

void VariableScope::set(const QString& name, const QVariant& value)
{
    m_variables[name].value = value;
}

VarType VariableScope::typeOf(const QString& name) const
{
    const auto it = m_variables.constFind(name);
    return it == m_variables.constEnd() ? VarType::Undeclared : it->type;
}

bool VariableScope::contains(const QString& name) const
{
    return m_variables.contains(name);
}

QStringList VariableScope::names() const
{
    return m_variables.keys();
}

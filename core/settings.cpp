// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "settings.h"
#include "valueref.h"

QString displayVarName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('$')))
        return name;
    return QLatin1Char('$') + name;
}

QVariant resolveSetting(const QString& setting, VariableScope* scope)
{
    return resolveValueRef(parseValueRef(setting), scope);
}

QString resolvePath(const QString& setting, VariableScope* scope)
{
    return resolveSetting(setting, scope).toString().trimmed();
}

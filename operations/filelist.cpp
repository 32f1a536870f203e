// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "filelist.h"

#include "core/valueref.h"
#include "core/variables.h"

#include <variablescope.h>

#include <QDebug>

QStringList expandFileList(VariableScope* scope, const QString& setting)
{
    QStringList paths;
    // Lines are split before they are resolved: a string variable holding line feeds stays one
    // entry.
    const QStringList lines = setting.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QVariant value = resolveValueRef(parseValueRef(line.trimmed()), scope);
        if (isListValue(value)) {
            const QVariantList items = toVariantList(value);
            for (const QVariant& item : items)
                paths.append(item.toString());
            continue;
        }
        const QString path = value.toString().trimmed();
        if (!path.isEmpty())
            paths.append(path);
    }
    return paths;
}

bool storeListVariable(VariableScope* scope, const QString& name, const QStringList& paths)
{
    if (name.isEmpty() || !scope)
        return false;
    if (scope->typeOf(name) != VarType::List) {
        qWarning() << "[OpVar] 目标变量" << name << "未声明为列表，已跳过";
        return false;
    }
    QVariantList items;
    items.reserve(paths.size());
    for (const QString& path : paths)
        items.append(path);
    setVariable(scope, name, items);
    return true;
}

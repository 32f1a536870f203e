// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "planwords.h"

#include <QCoreApplication>

namespace
{

const char* const actionWords[] = {
    QT_TRANSLATE_NOOP("PreviewPanel", "mkdir"),  QT_TRANSLATE_NOOP("PreviewPanel", "copy"),
    QT_TRANSLATE_NOOP("PreviewPanel", "move"),   QT_TRANSLATE_NOOP("PreviewPanel", "rename"),
    QT_TRANSLATE_NOOP("PreviewPanel", "delete"), QT_TRANSLATE_NOOP("PreviewPanel", "write"),
    QT_TRANSLATE_NOOP("PreviewPanel", "append"),
};

} // namespace

QString PlanWords::action(const QString& action)
{
    for (const char* word : actionWords) {
        if (action == QLatin1String(word))
            return QCoreApplication::translate("PreviewPanel", word);
    }
    return action;
}

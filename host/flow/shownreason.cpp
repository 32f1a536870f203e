// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "shownreason.h"

#include "hostlanguage.h"
#include "pluginhost.h"

#include <reasontexts.h>

QString shownReason(const PluginHost& host, const QString& reason)
{
    const QString language = HostLanguage::installed();
    if (language.isEmpty() || reason.isEmpty())
        return reason;
    for (const LoadedPlugin& plugin : host.plugins()) {
        const auto* texts = qobject_cast<IReasonTexts*>(plugin.instance);
        const QString shown = texts ? texts->reasonText(reason, language) : QString();
        if (!shown.isEmpty())
            return shown;
    }
    return reason;
}

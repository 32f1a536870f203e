// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "steplog.h"

#include "pluginhost.h"

#include <operation.h>

#include <QRegularExpression>

namespace
{

// A step's warning without the bracketed tag the plug-in starts it with: the window names the
// step itself.
QString withoutTag(const QString& line)
{
    static const QRegularExpression tag(QStringLiteral("^\\[[^\\]]*\\]\\s*"));
    return QString(line).remove(tag);
}

} // namespace

QStringList StepLog::lines(const QStringList& log, const QList<StepRecord>& steps,
                           const PluginHost& host)
{
    QStringList lines;
    int line = 0;
    for (int step = 0; step < steps.size(); ++step) {
        const StepRecord& record = steps.at(step);
        const Operation* prototype = host.prototype(record.type);
        const QString name = prototype ? prototype->typeName() : record.type;
        for (int i = 0; i < record.logLines && line < log.size(); ++i, ++line)
            lines.append(tr("Step %1 %2: %3").arg(step + 1).arg(name, withoutTag(log.at(line))));
    }
    return lines;
}

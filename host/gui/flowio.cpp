// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "flowio.h"

#include "binaryflow.h"
#include "flowfile.h"
#include "jsonflow.h"
#include "jsonvalue.h"

#include <QFileInfo>

FlowFormat flowFormatForPath(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0
               ? FlowFormat::Json
               : FlowFormat::Binary;
}

void saveFlowFile(const QString& path, const Flow& flow, FlowFormat format, const PluginHost& host)
{
    const QByteArray bytes =
        format == FlowFormat::Json ? toJsonText(jsonFlowValue(flow)) : writeBinaryFlow(flow, host);
    writeWholeFile(path, bytes.constData(), bytes.size());
}

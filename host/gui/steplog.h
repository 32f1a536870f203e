// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "runner.h"

#include <QCoreApplication>
#include <QStringList>

class PluginHost;

// The warnings of a run or a plan, each named by the step that logged it ("Step 2 复制文件: …"),
// in the order they came.
class StepLog
{
    Q_DECLARE_TR_FUNCTIONS(StepLog)

public:
    static QStringList lines(const QStringList& log, const QList<StepRecord>& steps,
                             const PluginHost& host);
};

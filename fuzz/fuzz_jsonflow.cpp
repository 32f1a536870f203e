// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// JSON flows of arbitrary text: reading one must end in a flow or a FlowError. A flow that reads
// must come out of every conversion the host offers (dump, save, report) as the same flow.
#include "binaryflow.h"
#include "fuzzcheck.h"
#include "hostfuzz.h"
#include "jsonflow.h"
#include "jsonleak.h"
#include "jsonvalue.h"
#include "operationprops.h"
#include "report.h"
#include "runner.h"

#include <operation.h>

#include <QJsonDocument>
#include <QScopedPointer>

static PluginHost* host = nullptr;

// The flow with every setting of every step spelled out, defaults included, as a binary flow
// holds it: flows that differ only in settings left at their defaults have the same full form.
static QVariant fullForm(Flow flow)
{
    for (FlowStep& step : flow.steps) {
        QScopedPointer<Operation> op(host->createStep(step));
        step.settings = settingValues(*op);
    }
    return jsonFlowValue(flow);
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    host = loadFuzzHost(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), int(size));
    Flow flow;
    try {
        flow = readJsonFlow(text, *host);
    } catch (const FlowError&) {
        return 0;
    }
    try {
        // What `dump` prints reads back as the same flow, and so does what `save` writes.
        const QVariant value = fullForm(flow);
        fuzzCheck(fullForm(readJsonFlow(toJsonText(jsonFlowValue(flow)), *host)) == value,
                  "a dumped flow reads back");
        fuzzCheck(fullForm(readBinaryFlow(writeBinaryFlow(flow, *host), *host)) == value,
                  "a saved flow reads back");
    } catch (const FlowError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message));
        fuzzCheck(false, "a flow that reads converts without error");
    }
    // The report of the flow's variables is JSON.
    RunResult result;
    for (const FlowVariable& variable : qAsConst(flow.variables))
        result.scope.declare(variable.name, variable.type, variable.value);
    const std::string report = reportText(result);
    QJsonParseError error;
    QJsonDocument::fromJson(QByteArray::fromStdString(report), &error);
    fuzzCheck(error.error == QJsonParseError::NoError, "the report is JSON");
    return 0;
}

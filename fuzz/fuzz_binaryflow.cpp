// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Binary flows of arbitrary bytes: reading one must end in a flow or a FlowError, never in a
// crash or an allocation the data cannot back. A flow that reads is saved again as the same bytes.
#include "binaryflow.h"
#include "fuzzcheck.h"
#include "hostfuzz.h"

#include <QDataStream>
#include <QIODevice>

static PluginHost* host = nullptr;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    host = loadFuzzHost(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    // Most inputs get a valid header, so the fuzzer spends its time on what follows it.
    QByteArray bytes;
    if (input.take() & 1) {
        QDataStream header(&bytes, QIODevice::WriteOnly);
        header.writeRawData(binaryFlowMagic, sizeof binaryFlowMagic);
        header << binaryFlowVersion;
    }
    bytes += input.rest();
    Flow flow;
    try {
        flow = readBinaryFlow(bytes, *host);
    } catch (const FlowError&) {
        return 0;
    }
    try {
        const QByteArray saved = writeBinaryFlow(flow, *host);
        fuzzCheck(writeBinaryFlow(readBinaryFlow(saved, *host), *host) == saved,
                  "a saved flow saves again the same");
    } catch (const FlowError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message));
        fuzzCheck(false, "a flow that reads is saved and read again");
    }
    return 0;
}

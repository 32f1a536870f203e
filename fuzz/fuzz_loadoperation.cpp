// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

// Arbitrary bytes loaded as the payload of each of the ten step types, then saved and described
// again: a damaged flow file must never crash the host, and what a step saves after any load
// loads back to the same settings.
#include "fuzzcheck.h"
#include "plugin/fileoperplugin.h"

#include <operation.h>

#include <QDataStream>
#include <QIODevice>
#include <QScopedPointer>

// Kept for the whole run: destroying them at exit would only make the leak checker noisy.
static const QList<Operation*>* prototypes = nullptr;

static QByteArray saved(const Operation& op)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    op.saveOperation(out);
    return bytes;
}

static Operation* loaded(const Operation& prototype, const QByteArray& payload,
                         QDataStream::Status* status)
{
    Operation* op = prototype.clone(nullptr);
    QDataStream in(payload);
    in.setVersion(QDataStream::Qt_5_15);
    op->loadOperation(in);
    *status = in.status();
    return op;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FileOperPlugin plugin;
    prototypes = new QList<Operation*>(plugin.createPrototypes());
    fuzzCheck(prototypes->size() == 10, "the plug-in offers ten step types");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    // The first byte picks the step type, the rest is its payload.
    const Operation* prototype = prototypes->at(input.take() % prototypes->size());
    QDataStream::Status status;
    QScopedPointer<Operation> op(loaded(*prototype, input.rest(), &status));
    const QByteArray once = saved(*op);
    (void)op->toString();
    (void)op->description();

    QScopedPointer<Operation> again(loaded(*prototype, once, &status));
    fuzzCheck(status == QDataStream::Ok, "a saved payload loads completely");
    fuzzCheck(saved(*again) == once, "saving after a load is stable");
    return 0;
}

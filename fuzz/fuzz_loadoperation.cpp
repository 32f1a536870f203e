// Arbitrary bytes loaded as the payload of each step type, then saved and described again:
// a damaged flow file must never crash the host.
#include "plugin/fileoperplugin.h"

#include <operation.h>

#include <QBuffer>
#include <QDataStream>

// Kept for the whole run: destroying them at exit would only make the leak checker noisy.
static const QList<Operation*>* prototypes = nullptr;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FileOperPlugin plugin;
    prototypes = new QList<Operation*>(plugin.createPrototypes());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || prototypes->isEmpty())
        return 0;
    // The first byte picks the step type, the rest is its payload.
    const Operation* prototype = prototypes->at(data[0] % prototypes->size());
    const QByteArray payload =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    QScopedPointer<Operation> op(prototype->clone(nullptr));
    QDataStream in(payload);
    in.setVersion(QDataStream::Qt_5_15);
    op->loadOperation(in);

    QByteArray saved;
    QDataStream out(&saved, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    op->saveOperation(out);
    (void)op->toString();
    (void)op->description();
    return 0;
}

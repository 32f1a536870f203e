// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "filesystem/filesystem.h"

#include <QSet>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

// The copies of a copy or move step that wait in a batch for their names. The batch is named
// (flushed) when it is full, and whenever the step is to decide something the waiting copies
// would change; the step sees the names they will take as taken already. Bounded by files and by
// bytes, so that a kill or a failure leaves at most one batch of hidden files behind.
class TransferBatch
{
public:
    struct Copy {
        QString source;
        QString target;
        Overwrite overwrite = Overwrite::No;
        EntryStatus sourceStatus; // as the copy began
    };
    // Called for every copy, in the order they were added: error is null where it took its name.
    using Finished = std::function<void(const Copy& copy, const FileError* error)>;

    TransferBatch(std::unique_ptr<CopyBatch> batch, Finished finished);
    ~TransferBatch();
    TransferBatch(const TransferBatch&) = delete;
    TransferBatch& operator=(const TransferBatch&) = delete;

    bool isEmpty() const { return m_waiting.isEmpty(); }
    // Whether a copy waiting will take this name.
    bool reserves(const QString& target) const { return m_targets.contains(target); }
    // Whether a copy waiting is of this file.
    bool holdsSource(const FileId& id) const;

    // Starts the copy; false, *error saying why, where it failed at once (nothing waits then).
    bool add(const Copy& copy, FileError* error);
    // Makes the copies waiting durable, names them and hands each to `finished`.
    void flush();

private:
    bool isFull() const;

    std::unique_ptr<CopyBatch> m_batch;
    Finished m_finished;
    QVector<Copy> m_waiting;
    QSet<QString> m_targets;
};

// Whether a file of `bytes` is copied on its own rather than in a batch: a batch would add nothing
// to it, and its own copy can be watched and stopped part-way.
bool copiedAlone(qint64 bytes);

// For tests: batches of at most this many files and bytes; 0 for the defaults.
void setTransferBatchLimitsForTesting(int files, qint64 bytes);

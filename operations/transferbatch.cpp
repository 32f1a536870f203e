// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "transferbatch.h"

#include <QtGlobal>

#include <cerrno>

#include <sys/resource.h>

namespace
{

// Syncing 256 files together costs little more than syncing one; more gain little and hold more
// files open and more hidden files for a kill to leave behind. Large files fill a batch by bytes
// first, and one over 64 MiB is copied and synced on its own, as it always was.
const int kDefaultFiles = 256;
const qint64 kDefaultBytes = qint64(64) << 20;

int g_maxFiles = 0; // 0: kDefaultFiles, or fewer where few files may be open
qint64 g_maxBytes = kDefaultBytes;

// Each waiting copy holds a file open: a batch takes at most a quarter of what the process may
// open, so that the host's own files never find the limit reached.
int defaultMaxFiles()
{
    rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return kDefaultFiles;
    return int(qBound(rlim_t(1), limit.rlim_cur / 4, rlim_t(kDefaultFiles)));
}

int maxFiles()
{
    static const int byDefault = defaultMaxFiles();
    return g_maxFiles > 0 ? g_maxFiles : byDefault;
}

// Where the process runs out of open files all the same, the batch is named first and the copy
// tried again.
bool outOfOpenFiles(const FileError& error)
{
    return error.code == EMFILE || error.code == ENFILE;
}

} // namespace

bool copiedAlone(qint64 bytes)
{
    return bytes > kDefaultBytes;
}

void setTransferBatchLimitsForTesting(int files, qint64 bytes)
{
    g_maxFiles = qMax(files, 0);
    g_maxBytes = bytes > 0 ? bytes : kDefaultBytes;
}

TransferBatch::TransferBatch(std::unique_ptr<CopyBatch> batch, Finished finished)
    : m_batch(std::move(batch)), m_finished(std::move(finished))
{
}

// A batch not flushed (the step ended early) leaves no hidden file: the copies go unnamed.
TransferBatch::~TransferBatch() = default;

bool TransferBatch::holdsSource(const FileId& id) const
{
    for (const Copy& copy : m_waiting) {
        if (copy.sourceStatus.id == id)
            return true;
    }
    return false;
}

bool TransferBatch::add(const Copy& copy, FileError* error)
{
    FileError failure;
    bool added = m_batch->add(copy.source, copy.target, &failure);
    if (!added && outOfOpenFiles(failure) && !isEmpty()) {
        flush();
        failure = FileError();
        added = m_batch->add(copy.source, copy.target, &failure);
    }
    if (!added)
        return failWith(error, failure);
    m_waiting.append(copy);
    m_targets.insert(copy.target);
    if (isFull())
        flush();
    return true;
}

bool TransferBatch::isFull() const
{
    return m_batch->count() >= maxFiles() || m_batch->bytes() >= g_maxBytes;
}

// Every copy takes its name before any is handed on: a move removes the sources of a batch only
// once the whole batch is under its names.
void TransferBatch::flush()
{
    if (isEmpty())
        return;
    m_batch->makeDurable();
    const QVector<Copy> waiting = std::move(m_waiting);
    m_waiting.clear();
    m_targets.clear();
    QVector<FileError> errors(waiting.size());
    QVector<bool> named(waiting.size());
    for (int index = 0; index < waiting.size(); ++index)
        named[index] = m_batch->name(index, waiting.at(index).overwrite, &errors[index]);
    m_batch->clear();
    for (int index = 0; index < waiting.size(); ++index)
        m_finished(waiting.at(index), named.at(index) ? nullptr : &errors.at(index));
}

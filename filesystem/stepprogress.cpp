// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "stepprogress.h"

#include "core/fileerror.h"

#include <utility>

// Often enough for a display that changes four times a second.
static const qint64 kReportEveryMs = 100;
// Less than takes a tenth of a second on any disk.
static const int kItemsBetweenClocks = 16;
static const qint64 kBytesBetweenClocks = qint64(1) << 20;

StepProgress::StepProgress(std::shared_ptr<const FileStepWatcher> watcher)
    : m_watcher(std::move(watcher))
{
}

void StepProgress::setTotals(qint64 files, qint64 bytes)
{
    m_done.filesTotal = files;
    m_done.bytesTotal = bytes;
    report();
}

void StepProgress::beginItem(qint64 bytes)
{
    m_itemExpected = bytes;
    m_itemMoved = 0;
}

void StepProgress::moved(qint64 bytes)
{
    m_itemMoved += bytes;
    m_bytesUnclocked += bytes;
    reportWhenDue();
}

void StepProgress::endItem()
{
    m_done.bytesDone += m_itemExpected >= 0 ? m_itemExpected : m_itemMoved;
    if (m_done.filesTotal > 0)
        ++m_done.filesDone;
    m_itemExpected = -1;
    m_itemMoved = 0;
    ++m_itemsUnclocked;
    reportWhenDue();
}

void StepProgress::dropItem()
{
    m_itemExpected = -1;
    m_itemMoved = 0;
}

bool StepProgress::stopRequested()
{
    if (!m_stopped && m_watcher->stopRequested)
        m_stopped = m_watcher->stopRequested();
    return m_stopped;
}

void StepProgress::writeFailed(const QString& path, const FileError& error)
{
    if (m_watcher && m_watcher->writeFailed && error.isError())
        m_watcher->writeFailed(path, error.text);
}

void StepProgress::finish()
{
    if (m_done.bytesTotal == 0)
        m_done.bytesTotal = m_done.bytesDone;
    report();
}

FileProgress StepProgress::figures() const
{
    FileProgress figures = m_done;
    figures.bytesDone += m_itemExpected >= 0 ? qMin(m_itemMoved, m_itemExpected) : m_itemMoved;
    return figures;
}

void StepProgress::reportWhenDue()
{
    if (m_itemsUnclocked < kItemsBetweenClocks && m_bytesUnclocked < kBytesBetweenClocks)
        return;
    m_itemsUnclocked = 0;
    m_bytesUnclocked = 0;
    if (m_sinceReport.isValid() && m_sinceReport.elapsed() < kReportEveryMs)
        return;
    report();
}

void StepProgress::report()
{
    m_sinceReport.start();
    if (m_watcher->progress)
        m_watcher->progress(figures());
}

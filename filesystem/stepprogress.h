// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <fileprogress.h>

#include <QElapsedTimer>

#include <memory>

struct FileError;

// How far one watched step is, told to its watcher now and then and once at its end, and whether
// it was asked to stop. A step goes through items (its files, or the one text it reads or
// writes); the bytes an item moves count up to what it was expected to move, and a finished item
// counts all of those, so the figures reach the totals whatever was skipped on the way.
class StepProgress
{
public:
    explicit StepProgress(std::shared_ptr<const FileStepWatcher> watcher);

    // What the step has to do; 0 for a unit it does not count.
    void setTotals(qint64 files, qint64 bytes);
    // An item begins that should move `bytes`, or an unknown number of bytes when negative.
    void beginItem(qint64 bytes);
    // The current item moved `bytes` more.
    void moved(qint64 bytes);
    void endItem();
    // The current item was not done: what it moved is gone with it.
    void dropItem();
    // The file at `path` could not be written: the watcher hears why (the error may name the
    // temporary file the bytes went to first).
    void writeFailed(const QString& path, const FileError& error);
    // Whether the host asked the step to stop; once it has, true from then on.
    bool stopRequested();
    bool stopped() const { return m_stopped; }
    // The last report: a byte total that was not known is then what was done.
    void finish();

    FileProgress figures() const;

private:
    void reportWhenDue();
    void report();

    const std::shared_ptr<const FileStepWatcher> m_watcher;
    FileProgress m_done; // bytesDone: the bytes of the items ended
    qint64 m_itemExpected = -1;
    qint64 m_itemMoved = 0;
    bool m_stopped = false;
    QElapsedTimer m_sinceReport;
    // What was done since the clock was last looked at: a rename of many files looks at it now
    // and then, not for each file.
    int m_itemsUnclocked = 0;
    qint64 m_bytesUnclocked = 0;
};

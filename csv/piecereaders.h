// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QStringList>

#include <atomic>
#include <memory>
#include <vector>

// The decoded pieces of a large file whose lines are read in runs, on several threads: each piece
// is dropped as soon as the last run reading it is done, so that the text shrinks while the table
// built from it grows, and the two are never held whole at once.
class PieceReaders
{
public:
    // `pieces` must outlive this object and not change size meanwhile.
    explicit PieceReaders(QStringList& pieces);

    // Declares a run reading pieces `first` to `last`. Every run is declared before any is done.
    void addRun(int first, int last);
    // Drops the pieces no run reads (lines before the first chosen row or after the last).
    void dropUnread();
    // Called by the thread reading the run when it moves on to `piece`: the pieces before it are
    // done with as far as this run goes, so the text shrinks while a long run is still read.
    void runAt(int run, int piece);
    // Called by the thread that read the run, in the order the runs were declared or any other.
    void runDone(int run);

private:
    void release(int piece);

    std::vector<QString*> m_pieces;
    std::unique_ptr<std::atomic<int>[]> m_readers;
    // The pieces each run still reads; only the run's own thread moves its first one on.
    std::vector<std::pair<int, int>> m_runs;
};

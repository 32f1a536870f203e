// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "piecereaders.h"

#include <QtGlobal>

PieceReaders::PieceReaders(QStringList& pieces)
    : m_readers(new std::atomic<int>[size_t(pieces.size())])
{
    for (QString& piece : pieces)
        m_pieces.push_back(&piece);
    for (size_t i = 0; i < m_pieces.size(); ++i)
        m_readers[i] = 0;
}

void PieceReaders::addRun(int first, int last)
{
    const int lastPiece = int(m_pieces.size()) - 1;
    if (lastPiece < 0) {
        m_runs.emplace_back(0, -1);
        return;
    }
    first = qBound(0, first, lastPiece);
    last = qBound(first, last, lastPiece);
    m_runs.emplace_back(first, last);
    for (int piece = first; piece <= last; ++piece)
        ++m_readers[size_t(piece)];
}

void PieceReaders::dropUnread()
{
    for (size_t piece = 0; piece < m_pieces.size(); ++piece) {
        if (m_readers[piece] == 0)
            release(int(piece));
    }
}

void PieceReaders::runAt(int run, int piece)
{
    std::pair<int, int>& span = m_runs.at(size_t(run));
    const int last = qMin(piece - 1, span.second);
    for (; span.first <= last; ++span.first) {
        if (--m_readers[size_t(span.first)] == 0)
            release(span.first);
    }
}

void PieceReaders::runDone(int run)
{
    runAt(run, m_runs.at(size_t(run)).second + 1);
}

// Each piece is dropped by one thread only, the one that took its count to zero; the list itself
// is not touched.
void PieceReaders::release(int piece)
{
    *m_pieces[size_t(piece)] = QString();
}

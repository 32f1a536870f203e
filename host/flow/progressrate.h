// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <fileprogress.h>

#include <QMetaType>
#include <QtGlobal>

#include <deque>

// How fast a step goes and how long it has left, as a host shows it next to the figures.
struct ProgressEstimate {
    double bytesPerSecond = 0; // 0 until known
    double filesPerSecond = 0;
    qint64 secondsLeft = -1; // -1 until known
};
Q_DECLARE_METATYPE(ProgressEstimate)

// Works out a step's speed from the figures it reports now and then, over the last few seconds so
// that a slow start or a pause long ago does not weigh on the time left. Bytes count before files
// where the step counts both: one large file is most of the time of a copy.
class ProgressRate
{
public:
    // How far back the speed looks.
    static const qint64 spanMs = 5000;
    // How long figures must have been coming before a speed is given at all.
    static const qint64 settleMs = 500;

    // A new step: what was seen of the one before counts no more.
    void restart();
    // The step's figures, `msecs` after some fixed moment (a monotonic clock).
    void add(qint64 msecs, const FileProgress& progress);
    ProgressEstimate estimate() const;

private:
    struct Sample {
        qint64 msecs;
        FileProgress progress;
    };
    static qint64 secondsLeft(qint64 done, qint64 total, double perSecond);

    std::deque<Sample> m_samples;
};

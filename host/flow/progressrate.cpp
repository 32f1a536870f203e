// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "progressrate.h"

#include <cmath>

void ProgressRate::restart()
{
    m_samples.clear();
}

void ProgressRate::add(qint64 msecs, const FileProgress& progress)
{
    m_samples.push_back({msecs, progress});
    // The oldest sample kept is the last one at least a span back, so that the speed always
    // covers a whole span once there is one.
    while (m_samples.size() > 2 && msecs - m_samples[1].msecs >= spanMs)
        m_samples.pop_front();
}

ProgressEstimate ProgressRate::estimate() const
{
    ProgressEstimate estimate;
    if (m_samples.size() < 2)
        return estimate;
    const Sample& first = m_samples.front();
    const Sample& last = m_samples.back();
    const qint64 elapsed = last.msecs - first.msecs;
    if (elapsed < settleMs)
        return estimate;
    const double seconds = double(elapsed) / 1000;
    estimate.bytesPerSecond =
        double(qMax<qint64>(0, last.progress.bytesDone - first.progress.bytesDone)) / seconds;
    estimate.filesPerSecond =
        double(qMax<qint64>(0, last.progress.filesDone - first.progress.filesDone)) / seconds;
    const FileProgress& now = last.progress;
    estimate.secondsLeft =
        now.bytesTotal > 0 ? secondsLeft(now.bytesDone, now.bytesTotal, estimate.bytesPerSecond)
                           : secondsLeft(now.filesDone, now.filesTotal, estimate.filesPerSecond);
    return estimate;
}

qint64 ProgressRate::secondsLeft(qint64 done, qint64 total, double perSecond)
{
    if (total <= 0)
        return -1;
    if (done >= total)
        return 0;
    if (perSecond <= 0)
        return -1;
    return qint64(std::ceil(double(total - done) / perSecond));
}

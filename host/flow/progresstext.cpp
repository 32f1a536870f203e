// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "progresstext.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>

namespace
{

class ProgressText
{
    Q_DECLARE_TR_FUNCTIONS(ProgressText)
};

// Before this, speed and time left jump about too much to be worth showing.
const qint64 kSettledMs = 1000;

// Thousands grouped the same way in every language the hosts speak.
QString countText(qint64 count)
{
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(count);
}

struct Unit {
    qint64 bytes;
    const char* name;
};

Unit unitFor(qint64 scale)
{
    static const Unit units[] = {{qint64(1) << 40, "TB"},
                                 {qint64(1) << 30, "GB"},
                                 {qint64(1) << 20, "MB"},
                                 {qint64(1) << 10, "KB"}};
    for (const Unit& unit : units) {
        if (scale >= unit.bytes)
            return unit;
    }
    return {1, "B"};
}

// One decimal where it tells something: "1.2 GB", but "35 MB".
QString inUnit(qint64 bytes, const Unit& unit, bool wholeFromTen = false)
{
    const double value = double(bytes) / double(unit.bytes);
    const bool whole = unit.bytes == 1 || (wholeFromTen && value >= 10);
    return QString::number(value, 'f', whole ? 0 : 1);
}

QString timeLeftText(qint64 seconds)
{
    if (seconds < 60)
        return ProgressText::tr("%1 s left").arg(seconds);
    if (seconds < 3600)
        return ProgressText::tr("%1 min %2 s left").arg(seconds / 60).arg(seconds % 60);
    return ProgressText::tr("%1 h %2 min left").arg(seconds / 3600).arg(seconds / 60 % 60);
}

// From the pace so far: bytes where the step counts them, else files.
qint64 secondsLeft(const FileProgress& progress, qint64 elapsedMs)
{
    const bool byBytes = progress.bytesTotal > 0 && progress.bytesDone > 0;
    const qint64 done = byBytes ? progress.bytesDone : progress.filesDone;
    const qint64 total = byBytes ? progress.bytesTotal : progress.filesTotal;
    if (done <= 0 || total <= 0 || done > total)
        return -1;
    return qint64(double(total - done) * double(elapsedMs) / double(done) / 1000.0 + 0.5);
}

} // namespace

QString sizeText(qint64 bytes, qint64 scale)
{
    const Unit unit = unitFor(scale);
    return inUnit(bytes, unit) + QLatin1Char(' ') + QLatin1String(unit.name);
}

QString progressText(const FileProgress& progress, qint64 elapsedMs)
{
    QStringList parts;
    if (progress.filesTotal > 0)
        parts << ProgressText::tr("%1/%2 files")
                     .arg(countText(progress.filesDone), countText(progress.filesTotal));
    if (progress.bytesTotal > 0) {
        const Unit unit = unitFor(progress.bytesTotal);
        parts << inUnit(progress.bytesDone, unit) + QLatin1Char('/') +
                     sizeText(progress.bytesTotal, progress.bytesTotal);
    } else if (progress.bytesDone > 0) {
        parts << sizeText(progress.bytesDone, progress.bytesDone);
    }
    if (elapsedMs >= kSettledMs) {
        if (progress.bytesDone > 0) {
            const qint64 perSecond = progress.bytesDone * 1000 / elapsedMs;
            const Unit unit = unitFor(perSecond);
            parts << ProgressText::tr("%1/s").arg(inUnit(perSecond, unit, true) + QLatin1Char(' ') +
                                                  QLatin1String(unit.name));
        }
        const qint64 left = secondsLeft(progress, elapsedMs);
        if (left >= 0)
            parts << timeLeftText(left);
    }
    return parts.join(QStringLiteral(" · "));
}

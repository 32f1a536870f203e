// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "runprogress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>

namespace
{

// The bar's range: fine enough for a smooth bar, small enough for an int however large the total.
const int barSteps = 1000;

QString sizeText(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

int barValue(qint64 done, qint64 total)
{
    return int(double(qBound<qint64>(0, done, total)) * barSteps / double(total));
}

} // namespace

RunProgress::RunProgress(QWidget* parent)
    : QWidget(parent), m_bar(new QProgressBar(this)), m_figures(new QLabel(this))
{
    m_bar->setTextVisible(false);
    m_bar->setFixedWidth(160);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_bar);
    layout->addWidget(m_figures);
    startStep();
}

void RunProgress::startStep()
{
    m_bar->setRange(0, 0);
    m_figures->clear();
}

void RunProgress::showProgress(const FileProgress& progress, const ProgressEstimate& estimate)
{
    // Bytes tell how far a copy is better than files do: one file may be most of it.
    if (progress.bytesTotal > 0) {
        m_bar->setRange(0, barSteps);
        m_bar->setValue(barValue(progress.bytesDone, progress.bytesTotal));
    } else if (progress.filesTotal > 0) {
        m_bar->setRange(0, barSteps);
        m_bar->setValue(barValue(progress.filesDone, progress.filesTotal));
    } else {
        m_bar->setRange(0, 0);
    }
    m_figures->setText(figuresText(progress, estimate));
}

QString RunProgress::figuresText(const FileProgress& progress, const ProgressEstimate& estimate)
{
    const QLocale locale;
    QStringList parts;
    if (progress.filesTotal > 0)
        parts.append(tr("%1/%2 files")
                         .arg(locale.toString(progress.filesDone))
                         .arg(locale.toString(progress.filesTotal)));
    if (progress.bytesTotal > 0)
        parts.append(QStringLiteral("%1/%2")
                         .arg(sizeText(progress.bytesDone))
                         .arg(sizeText(progress.bytesTotal)));
    if (estimate.bytesPerSecond > 0)
        parts.append(tr("%1/s").arg(sizeText(qint64(estimate.bytesPerSecond))));
    else if (progress.bytesTotal == 0 && estimate.filesPerSecond > 0)
        parts.append(tr("%1 files/s").arg(locale.toString(estimate.filesPerSecond, 'f', 0)));
    if (estimate.secondsLeft >= 0)
        parts.append(tr("%1 left").arg(durationText(estimate.secondsLeft)));
    return parts.join(QStringLiteral(" · "));
}

QString RunProgress::durationText(qint64 seconds)
{
    if (seconds < 60)
        return tr("%1 s").arg(seconds);
    if (seconds < 3600)
        return tr("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    return tr("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60);
}

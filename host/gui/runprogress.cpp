// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "runprogress.h"

#include "progresstext.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

namespace
{

// The bar's range: fine enough for a smooth bar, small enough for an int however large the total.
const int barSteps = 1000;

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

void RunProgress::showProgress(const FileProgress& progress, qint64 elapsedMs)
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
    m_figures->setText(progressText(progress, elapsedMs));
}

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "progressrate.h"

#include <QWidget>

class QLabel;
class QProgressBar;

// How far the step under way is, for the status bar while a run goes: a bar, and files and bytes
// done of the total, speed and time left as far as the step reports them. A step that reports
// nothing shows a busy bar.
class RunProgress : public QWidget
{
    Q_OBJECT

public:
    explicit RunProgress(QWidget* parent = nullptr);

    // A new step: nothing is known of it yet.
    void startStep();
    void showProgress(const FileProgress& progress, const ProgressEstimate& estimate);

    QProgressBar* bar() const { return m_bar; }
    QLabel* figures() const { return m_figures; }
    // What the label shows for these figures, in the user's language.
    static QString figuresText(const FileProgress& progress, const ProgressEstimate& estimate);
    static QString durationText(qint64 seconds);

private:
    QProgressBar* m_bar;
    QLabel* m_figures;
};

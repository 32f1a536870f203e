// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <fileprogress.h>

#include <QWidget>

class QLabel;
class QProgressBar;

// How far the step under way is, for the status bar while a run goes: a bar, and files and bytes
// done of the total, speed and time left as far as the step reports them, in the words of
// stephost's progress line. A step that reports nothing shows a busy bar.
class RunProgress : public QWidget
{
    Q_OBJECT

public:
    explicit RunProgress(QWidget* parent = nullptr);

    // A new step: nothing is known of it yet.
    void startStep();
    // The step's figures, `elapsedMs` after it started.
    void showProgress(const FileProgress& progress, qint64 elapsedMs);

    QProgressBar* bar() const { return m_bar; }
    QLabel* figures() const { return m_figures; }

private:
    QProgressBar* m_bar;
    QLabel* m_figures;
};

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QSpinBox>

// A number box that refuses a number outside its range in sight: a plain QSpinBox drops a
// typed "-" when its least is 0, so "-5" silently becomes 5. Here the typed text stays while it
// is edited and the box is marked with the reason; when editing ends the box shows the number the
// step keeps, and the mark stays until a number in range is set.
class RangedSpinBox : public QSpinBox
{
    Q_OBJECT

public:
    explicit RangedSpinBox(QWidget* parent = nullptr);

    // Why the last typed number was refused; empty when it was taken.
    QString problem() const;

protected:
    QValidator::State validate(QString& text, int& pos) const override;

private:
    void typed(const QString& text);
    bool parse(const QString& text, qlonglong* number) const;
    QString m_problem;
    int m_keptAtRefusal = 0;
};

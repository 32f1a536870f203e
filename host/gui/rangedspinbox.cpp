// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "rangedspinbox.h"

#include "flowcheck.h"

#include <QLineEdit>

RangedSpinBox::RangedSpinBox(QWidget* parent) : QSpinBox(parent)
{
    connect(lineEdit(), &QLineEdit::textEdited, this, &RangedSpinBox::typed);
    // A number taken by any means (typed, arrows, set by the window) ends the refusal; ending
    // an edit announces the kept number again, which does not.
    connect(this, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int number) {
        if (!m_problem.isEmpty() && number != m_keptAtRefusal) {
            m_problem.clear();
            markProblem(this, m_problem);
        }
    });
}

QString RangedSpinBox::problem() const
{
    return m_problem;
}

QValidator::State RangedSpinBox::validate(QString& text, int& pos) const
{
    const QValidator::State state = QSpinBox::validate(text, pos);
    if (state != QValidator::Invalid)
        return state;
    // A lone minus or a whole number out of range stays in the box, to be seen and corrected.
    QString bare = text;
    if (bare.startsWith(prefix()))
        bare.remove(0, prefix().size());
    if (!suffix().isEmpty() && bare.endsWith(suffix()))
        bare.chop(suffix().size());
    bare = bare.trimmed();
    if (bare == QLatin1String("-"))
        return QValidator::Intermediate;
    bool whole = false;
    locale().toLongLong(bare, &whole);
    return whole ? QValidator::Intermediate : QValidator::Invalid;
}

bool RangedSpinBox::parse(const QString& text, qlonglong* number) const
{
    bool whole = false;
    const qlonglong value = locale().toLongLong(text.trimmed(), &whole);
    if (number)
        *number = value;
    return whole && value >= minimum() && value <= maximum();
}

void RangedSpinBox::typed(const QString&)
{
    const QString text = cleanText().trimmed();
    qlonglong number = 0;
    if (text.isEmpty() || parse(text, &number)) {
        m_problem.clear();
    } else {
        m_keptAtRefusal = value();
        m_problem = tr("%1 is not taken: the number must be from %2 to %3; the step keeps %4")
                        .arg(text)
                        .arg(minimum())
                        .arg(maximum())
                        .arg(value());
    }
    markProblem(this, m_problem);
}

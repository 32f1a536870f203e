// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "legacyencodingmenu.h"

#include "legacyencoding.h"
#include "planscheduler.h"

#include <QActionGroup>
#include <QSettings>

namespace
{

const char settingsKey[] = "legacyEncoding";

struct Choice {
    const char* encoding; // empty: automatic
    const char* label;
};

const Choice choices[] = {
    {"", QT_TRANSLATE_NOOP("LegacyEncodingMenu", "Automatic (GB18030 in a Chinese locale)")},
    {"GB18030", QT_TRANSLATE_NOOP("LegacyEncodingMenu", "Chinese, simplified (GB18030, GBK)")},
    {"Big5", QT_TRANSLATE_NOOP("LegacyEncodingMenu", "Chinese, traditional (Big5)")},
    {"Shift_JIS", QT_TRANSLATE_NOOP("LegacyEncodingMenu", "Japanese (Shift_JIS)")},
    {"EUC-KR", QT_TRANSLATE_NOOP("LegacyEncodingMenu", "Korean (EUC-KR)")},
    {"windows-1252", QT_TRANSLATE_NOOP("LegacyEncodingMenu", "Western European (windows-1252)")},
    {"UTF-8", QT_TRANSLATE_NOOP("LegacyEncodingMenu", "None: read as UTF-8")},
};

} // namespace

LegacyEncodingMenu::LegacyEncodingMenu(QSettings* settings, QWidget* parent)
    : QMenu(tr("Legacy code page"), parent), m_settings(settings), m_group(new QActionGroup(this))
{
    setToolTipsVisible(true);
    for (const Choice& entry : choices) {
        QAction* action = addAction(tr(entry.label));
        action->setCheckable(true);
        action->setData(QString::fromLatin1(entry.encoding));
        action->setToolTip(tr("Reads text files without a mark that are not UTF-8, and appends "
                              "to them, in this code page"));
        m_group->addAction(action);
    }
    connect(m_group, &QActionGroup::triggered, this,
            [this](QAction* action) { choose(action->data().toString()); });
    choose(m_settings->value(QLatin1String(settingsKey)).toString());
}

QString LegacyEncodingMenu::choice() const
{
    return m_group->checkedAction()->data().toString();
}

void LegacyEncodingMenu::choose(const QString& encoding)
{
    // A kept name this menu does not offer (or no longer knows) counts as automatic.
    QAction* chosen = m_group->actions().constFirst();
    for (QAction* action : m_group->actions()) {
        if (action->data().toString() == encoding && legacyEncodingProblem(encoding).isEmpty())
            chosen = action;
    }
    chosen->setChecked(true);
    m_settings->setValue(QLatin1String(settingsKey), chosen->data().toString());
    // Steps on a plan's thread read it too: it changes between plans, which are then made again.
    PlanScheduler::changeBetweenPlans([chosen] { useLegacyEncoding(chosen->data().toString()); });
}

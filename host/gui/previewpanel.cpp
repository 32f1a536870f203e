// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "previewpanel.h"

#include "plan.h"
#include "planwords.h"
#include "shownreason.h"
#include "steplog.h"

#include <QApplication>
#include <QEventLoop>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

bool hasConflict(const FilePlan::Entry& entry)
{
    return !entry.isSkip && !entry.change.conflict.isEmpty();
}

// A tint of the view's own background: light on a light theme, dark on a dark one, so the
// theme's text colour reads on it either way.
QColor tinted(const QPalette& palette, const QColor& tint)
{
    const QColor base = palette.color(QPalette::Base);
    const qreal share = 0.3;
    const auto mix = [share](qreal from, qreal to) { return from * (1 - share) + to * share; };
    return QColor::fromRgbF(mix(base.redF(), tint.redF()), mix(base.greenF(), tint.greenF()),
                            mix(base.blueF(), tint.blueF()));
}

// Red for a conflict, amber for a file replaced: both call for a look, a conflict more.
QColor conflictBackground(const QPalette& palette)
{
    return tinted(palette, Qt::red);
}

QColor replaceBackground(const QPalette& palette)
{
    return tinted(palette, QColor(255, 170, 0));
}

const int maxNoteLines = 5;

bool changesNothing(const FilePlan& plan)
{
    return std::none_of(plan.entries.cbegin(), plan.entries.cend(),
                        [](const FilePlan::Entry& entry) { return !entry.isSkip; });
}

} // namespace

PreviewPanel::PreviewPanel(const PluginHost& host, std::function<Flow()> currentFlow,
                           QWidget* parent)
    : QWidget(parent), m_host(host), m_currentFlow(std::move(currentFlow)),
      m_scheduler(new PlanScheduler(host, this)), m_settle(new QTimer(this)), m_heading(new QLabel),
      m_summary(new QLabel), m_notes(new QListWidget), m_pages(new QStackedWidget),
      m_table(new QTableWidget(0, 5)), m_failure(new QLabel)
{
    m_table->setHorizontalHeaderLabels(
        {tr("Step"), tr("Action"), tr("Path"), tr("From"), tr("State")});
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Sizing the columns looks at this many rows, so that a plan of thousands shows at once.
    m_table->horizontalHeader()->setResizeContentsPrecision(200);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_failure->setWordWrap(true);
    m_failure->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_failure->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pages->addWidget(m_table);
    m_pages->addWidget(m_failure);

    // The warnings and the files left alone come first: they are what a run would not say.
    m_notes->setTextElideMode(Qt::ElideMiddle);
    m_notes->setUniformItemSizes(true);
    m_notes->hide();
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_heading->setText(tr("Next run preview: what running the flow again would do. The result "
                          "of the run is under Last run."));
    m_heading->setWordWrap(true);
    m_heading->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_heading);
    layout->addWidget(m_summary);
    layout->addWidget(m_notes);
    layout->addWidget(m_pages, 1);

    m_settle->setSingleShot(true);
    m_settle->setInterval(settleMs);
    connect(m_settle, &QTimer::timeout, this, &PreviewPanel::updateNow);
    connect(m_scheduler, &PlanScheduler::planned, this, &PreviewPanel::showOutcome);
    showUpdating();
}

void PreviewPanel::scheduleUpdate()
{
    m_settle->start();
}

void PreviewPanel::setWorkingFolder(const QString& folder)
{
    if (folder == m_folder)
        return;
    m_folder = folder;
    scheduleUpdate();
}

void PreviewPanel::updateNow()
{
    m_settle->stop();
    showUpdating();
    m_scheduler->request(m_currentFlow(), m_folder);
}

bool PreviewPanel::isUpToDate() const
{
    return m_hasOutcome && !m_settle->isActive() && !m_scheduler->isPending();
}

bool PreviewPanel::awaitCurrentPlan()
{
    if (m_awaiting)
        return false;
    m_awaiting = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    bool cutShort = false;
    while (!isUpToDate() && !cutShort) {
        if (!m_scheduler->isPending())
            updateNow();
        if (!m_scheduler->isPending())
            break; // the outcome came at once
        // Edits meanwhile ask for a newer plan, which is then awaited in turn.
        QEventLoop waiting;
        bool heard = false;
        connect(m_scheduler, &PlanScheduler::planned, &waiting, [&] {
            heard = true;
            waiting.quit();
        });
        waiting.exec();
        cutShort = !heard;
    }
    QApplication::restoreOverrideCursor();
    m_awaiting = false;
    return isUpToDate();
}

int PreviewPanel::conflictCount() const
{
    return m_shown.planned ? planCounts(m_shown.plan).conflicts : 0;
}

int PreviewPanel::replaceCount() const
{
    return m_shown.planned ? planCounts(m_shown.plan).replaces : 0;
}

void PreviewPanel::setAfterRun(bool afterRun)
{
    m_heading->setVisible(afterRun);
}

bool PreviewPanel::isAfterRun() const
{
    return !m_heading->isHidden();
}

QString PreviewPanel::heading() const
{
    return m_heading->text();
}

QStringList PreviewPanel::notes() const
{
    QStringList texts;
    for (int row = 0; row < m_notes->count(); ++row)
        texts.append(m_notes->item(row)->text());
    return texts;
}

bool PreviewPanel::holdPlans()
{
    m_settle->stop();
    return m_scheduler->hold();
}

void PreviewPanel::releasePlans()
{
    m_scheduler->release();
    scheduleUpdate();
}

QString PreviewPanel::summary() const
{
    if (!m_hasOutcome || !m_shown.planned)
        return QString();
    const PlanCounts counts = planCounts(m_shown.plan);
    if (changesNothing(m_shown.plan))
        return tr("The flow would change no file, %n skipped", nullptr, counts.skipped);
    return tr("%1, %2, %3, %4")
        .arg(tr("%n change(s)", nullptr, counts.changes),
             tr("%n replacing existing file(s)", nullptr, counts.replaces),
             tr("%n conflict(s)", nullptr, counts.conflicts),
             tr("%n skipped", nullptr, counts.skipped));
}

QString PreviewPanel::failure() const
{
    return m_hasOutcome && !m_shown.planned ? m_shown.error : QString();
}

void PreviewPanel::showUpdating()
{
    if (!m_hasOutcome)
        m_summary->setText(tr("Working out what the flow will do…"));
    else if (m_shown.planned)
        m_summary->setText(tr("%1 (updating…)").arg(summary()));
}

void PreviewPanel::showOutcome(const PlanOutcome& outcome)
{
    m_shown = outcome;
    m_hasOutcome = true;
    if (!outcome.planned) {
        m_summary->setText(tr("What the flow will do cannot be worked out:"));
        m_failure->setText(outcome.error);
        m_pages->setCurrentWidget(m_failure);
        m_table->setRowCount(0);
        m_notes->clear();
        m_notes->hide();
        return;
    }
    m_summary->setText(summary());
    showNotes(outcome);
    showPlan(outcome.plan);
    m_pages->setCurrentWidget(m_table);
}

void PreviewPanel::showNotes(const PlanOutcome& outcome)
{
    m_notes->clear();
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const QIcon skipped = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    for (const QString& line : StepLog::lines(outcome.log, outcome.steps, m_host))
        new QListWidgetItem(warning, line, m_notes);
    for (const FilePlan::Entry& entry : outcome.plan.entries) {
        if (!entry.isSkip)
            continue;
        const QString text = tr("Step %1 leaves %2 alone: %3")
                                 .arg(entry.skip.step)
                                 .arg(entry.skip.from.isEmpty() ? entry.skip.path : entry.skip.from,
                                      shownReason(m_host, entry.skip.reason));
        auto* item = new QListWidgetItem(skipped, text, m_notes);
        item->setToolTip(text);
    }
    // As tall as its lines, up to a few: the changes below keep the room.
    const int shownLines = qMin(m_notes->count(), maxNoteLines);
    if (shownLines > 0)
        m_notes->setFixedHeight(shownLines * m_notes->sizeHintForRow(0) +
                                2 * m_notes->frameWidth());
    m_notes->setVisible(shownLines > 0);
}

void PreviewPanel::showPlan(const FilePlan& plan)
{
    const QColor background = conflictBackground(m_table->palette());
    const QColor replaced = replaceBackground(m_table->palette());
    const QColor muted = m_table->palette().color(QPalette::Disabled, QPalette::Text);
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const QIcon replacing = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    m_table->setUpdatesEnabled(false);
    m_table->setRowCount(plan.entries.size());
    for (int row = 0; row < plan.entries.size(); ++row) {
        const FilePlan::Entry& entry = plan.entries.at(row);
        const PlanRow cells = planRow(entry);
        const QStringList texts = {QString::number(cells.step), PlanWords::action(cells.action),
                                   cells.path, cells.from, planStateText(entry, &m_host)};
        for (int column = 0; column < texts.size(); ++column) {
            auto* item = new QTableWidgetItem(texts.at(column));
            if (hasConflict(entry)) {
                item->setBackground(background);
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
            } else if (replacesQuietly(entry)) {
                item->setBackground(replaced);
            } else if (entry.isSkip) {
                item->setForeground(muted);
            }
            m_table->setItem(row, column, item);
        }
        if (hasConflict(entry))
            m_table->item(row, StateColumn)->setIcon(warning);
        else if (replacesQuietly(entry))
            m_table->item(row, StateColumn)->setIcon(replacing);
        m_table->item(row, StateColumn)->setToolTip(texts.last());
    }
    // The state column takes the rest of the width.
    for (int column = StepColumn; column < StateColumn; ++column)
        m_table->resizeColumnToContents(column);
    m_table->setUpdatesEnabled(true);
}

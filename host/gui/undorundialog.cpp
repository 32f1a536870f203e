// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "undorundialog.h"

#include "shownreason.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QJsonArray>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

struct ActionName {
    const char* action; // as the undo's report names it
    const char* label;
};

const ActionName actionNames[] = {
    {"removed", QT_TRANSLATE_NOOP("UndoRunDialog", "Remove")},
    {"removed folder", QT_TRANSLATE_NOOP("UndoRunDialog", "Remove folder")},
    {"removed leftover", QT_TRANSLATE_NOOP("UndoRunDialog", "Remove unfinished file")},
    {"renamed back", QT_TRANSLATE_NOOP("UndoRunDialog", "Rename back")},
    {"put back", QT_TRANSLATE_NOOP("UndoRunDialog", "Put back")},
    {"rewritten", QT_TRANSLATE_NOOP("UndoRunDialog", "Write back")},
    {"cut back", QT_TRANSLATE_NOOP("UndoRunDialog", "Cut back")},
};

QString actionLabel(const QString& action)
{
    for (const ActionName& name : actionNames) {
        if (action == QLatin1String(name.action))
            return UndoRunDialog::tr(name.label);
    }
    return action;
}

QString shownPath(const QJsonObject& entry, const char* key)
{
    return QDir::toNativeSeparators(entry.value(QLatin1String(key)).toString());
}

// A restored entry as "change: path", with the name it had when it was renamed back.
QStringList restoredCells(const QJsonObject& entry)
{
    QString path = shownPath(entry, "path");
    if (entry.contains(QLatin1String("from")))
        path = UndoRunDialog::tr("%1 (from %2)").arg(path, shownPath(entry, "from"));
    return {actionLabel(entry.value(QLatin1String("action")).toString()), path};
}

QStringList leftCells(const QJsonObject& entry)
{
    return {shownPath(entry, "path"), entry.value(QLatin1String("reason")).toString()};
}

QTreeWidget* listOf(const QJsonArray& entries, QStringList (*cells)(const QJsonObject&),
                    const QStringList& headers)
{
    auto* list = new QTreeWidget;
    list->setRootIsDecorated(false);
    list->setHeaderLabels(headers);
    list->setUniformRowHeights(true);
    list->setTextElideMode(Qt::ElideMiddle);
    for (const QJsonValue& entry : entries) {
        auto* item = new QTreeWidgetItem(cells(entry.toObject()));
        for (int column = 0; column < item->columnCount(); ++column)
            item->setToolTip(column, item->text(column));
        list->addTopLevelItem(item);
    }
    list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    return list;
}

QJsonArray listed(const QJsonObject& report, const char* key)
{
    return report.value(QLatin1String(key)).toArray();
}

} // namespace

UndoRunDialog::UndoRunDialog(const QJsonObject& foretold, const QDateTime& runStarted,
                             const RunOwner& owner, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Undo last run"));
    const QJsonArray restored = listed(foretold, "restored");
    const QJsonArray left = listed(foretold, "left");
    m_restored = listOf(restored, restoredCells, {tr("Change"), tr("Path")});
    m_left = listOf(left, leftCells, {tr("Path"), tr("Reason")});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Take back the run of %1?").arg(shownTime(runStarted))));
    if (!owner.workingFolder.isEmpty())
        layout->addWidget(new QLabel(ownerText(owner)));
    layout->addWidget(new QLabel(tr("Will be restored: %n path(s)", nullptr, restored.size())));
    layout->addWidget(m_restored, 2);
    auto* leftLabel =
        new QLabel(tr("Changed since the run, left as they are: %n path(s)", nullptr, left.size()));
    layout->addWidget(leftLabel);
    layout->addWidget(m_left, 1);
    leftLabel->setVisible(!left.isEmpty());
    m_left->setVisible(!left.isEmpty());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    buttons->addButton(tr("Undo run"), QDialogButtonBox::AcceptRole)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(900, 520);
}

QString UndoRunDialog::ownerText(const RunOwner& owner)
{
    const QString flow =
        owner.flow.isEmpty() ? tr("an unsaved flow") : QDir::toNativeSeparators(owner.flow);
    return tr("Flow: %1, working folder: %2")
        .arg(flow, QDir::toNativeSeparators(owner.workingFolder));
}

QString UndoRunDialog::shownTime(const QDateTime& time)
{
    return QLocale().toString(time.toLocalTime(), QLocale::ShortFormat);
}

QStringList UndoRunDialog::reportLines(const QJsonObject& report)
{
    QStringList lines{summary(report)};
    for (const QJsonValue& entry : listed(report, "restored")) {
        const QStringList cells = restoredCells(entry.toObject());
        lines.append(tr("%1: %2").arg(cells.at(0), cells.at(1)));
    }
    for (const QJsonValue& entry : listed(report, "left")) {
        const QStringList cells = leftCells(entry.toObject());
        lines.append(tr("Left: %1 (%2)").arg(cells.at(0), cells.at(1)));
    }
    return lines;
}

QString UndoRunDialog::summary(const QJsonObject& report)
{
    // Refused (the run is still going, the journal cannot be read): nothing was changed.
    const QString refusal = report.value(QLatin1String("message")).toString();
    if (!refusal.isEmpty())
        return tr("Not undone: %1").arg(refusal);
    const int restored = listed(report, "restored").size();
    const int left = listed(report, "left").size();
    if (left == 0)
        return tr("Run undone, %n path(s) restored", nullptr, restored);
    return tr("Run partly undone, %1 restored, %n left as they were changed since", nullptr, left)
        .arg(restored);
}

QJsonObject UndoRunDialog::shownReport(const QJsonObject& report, const PluginHost& host)
{
    QJsonObject shown = report;
    const QString message = report.value(QLatin1String("message")).toString();
    if (!message.isEmpty())
        shown.insert(QLatin1String("message"), shownReason(host, message));
    for (const char* key : {"left", "damaged"}) {
        QJsonArray entries;
        for (const QJsonValue& value : listed(report, key)) {
            QJsonObject entry = value.toObject();
            const QString reason = entry.value(QLatin1String("reason")).toString();
            entry.insert(QLatin1String("reason"), shownReason(host, reason));
            entries.append(entry);
        }
        if (report.contains(QLatin1String(key)))
            shown.insert(QLatin1String(key), entries);
    }
    return shown;
}

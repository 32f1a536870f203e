// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "workingfolderbar.h"

#include "variablesmodel.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

const int noticeLength = 120;

} // namespace

WorkingFolderBar::WorkingFolderBar(QWidget* parent)
    : QWidget(parent), m_folder(new QLabel), m_notice(new QLabel), m_change(new QToolButton)
{
    m_folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_change->setText(tr("Change…"));
    m_change->setToolTip(tr("Choose the folder relative paths resolve in"));
    connect(m_change, &QToolButton::clicked, this, &WorkingFolderBar::changeRequested);
    m_notice->setWordWrap(true);
    m_notice->hide();

    auto* folderLine = new QHBoxLayout;
    folderLine->setContentsMargins(0, 0, 0, 0);
    folderLine->addWidget(m_folder, 1);
    folderLine->addWidget(m_change);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(folderLine);
    layout->addWidget(m_notice);
}

void WorkingFolderBar::setFolder(const QString& folder)
{
    m_folder->setText(tr("Working folder: %1").arg(QDir::toNativeSeparators(folder)));
    m_folder->setToolTip(QDir::toNativeSeparators(folder));
}

void WorkingFolderBar::setMissingPaths(const QStringList& missing)
{
    if (missing.isEmpty()) {
        m_notice->clear();
        m_notice->hide();
        return;
    }
    const QString names = VariablesModel::elided(missing.join(tr(", ")), noticeLength);
    m_notice->setText(
        tr("⚠ The files the flow starts from are not in this folder (%1): choose the folder "
           "with Change….")
            .arg(names));
    m_notice->show();
}

QString WorkingFolderBar::folderText() const
{
    return m_folder->text();
}

QString WorkingFolderBar::noticeText() const
{
    return m_notice->isHidden() ? QString() : m_notice->text();
}

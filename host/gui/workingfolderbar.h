// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QToolButton;

// The folder a flow acts on, at the top of the flow: where relative paths resolve, with
// "Change…", and a notice when the files the flow starts from are not there.
class WorkingFolderBar : public QWidget
{
    Q_OBJECT

public:
    explicit WorkingFolderBar(QWidget* parent = nullptr);

    void setFolder(const QString& folder);
    // The first step's paths that are not in the folder; none hides the notice.
    void setMissingPaths(const QStringList& missing);

    QString folderText() const;
    // Empty while hidden.
    QString noticeText() const;
    QToolButton* changeButton() const { return m_change; }

signals:
    void changeRequested();

private:
    QLabel* m_folder;
    QLabel* m_notice;
    QToolButton* m_change;
};

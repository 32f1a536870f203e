// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QMenu>

class QActionGroup;
class QSettings;

// The preference for the legacy code page: which codec reads text files that carry no mark and
// are not UTF-8, and continues them on append. The choice is kept in the settings and applies to
// the whole application at once; "automatic" follows the user's locale.
class LegacyEncodingMenu : public QMenu
{
    Q_OBJECT

public:
    // Applies the choice kept in `settings`, which must outlive the menu.
    explicit LegacyEncodingMenu(QSettings* settings, QWidget* parent = nullptr);

    // The codec name chosen, empty for automatic.
    QString choice() const;
    void choose(const QString& encoding);

private:
    QSettings* m_settings;
    QActionGroup* m_group;
};

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QStandardItemModel>

class PluginHost;

// The step types of every loaded plug-in as a tree: one row per category (an operation's
// root()), its types below. Categories follow the manifests' categoryOrder and types their
// typeOrder; anything a manifest does not order comes after, in the order the plug-ins list it.
// A type shows its name, icon and, as its tool tip, its description.
class PaletteModel : public QStandardItemModel
{
    Q_OBJECT

public:
    enum Role { TypeIdRole = Qt::UserRole + 1 };

    explicit PaletteModel(const PluginHost& host, QObject* parent = nullptr);

    // The type id of a type row; empty for a category row.
    static QString typeId(const QModelIndex& index);
    // Every type id, category by category, in the order shown.
    QStringList typeIds() const;
    // A type row drags its type id into the flow.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
};

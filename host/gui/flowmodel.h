#pragma once

#include "flow.h"

#include <QAbstractListModel>

class Operation;
class PluginHost;

// The steps of the flow being edited, in run order. Each row is a step the model owns, a clone of
// its type's prototype; it shows toString() with description() as its tool tip.
class FlowModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { TypeIdRole = Qt::UserRole + 1 };

    explicit FlowModel(const PluginHost& host, QObject* parent = nullptr);
    ~FlowModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    Operation* step(int row) const;
    int rowOf(const Operation* step) const;
    // Inserts a clone of the type's prototype at row (appends for -1); returns its row, or -1
    // for a type no plug-in provides.
    int addStep(const QString& type, int row = -1);
    void removeStep(int row);
    // Moves the step at from so that it ends up at row to.
    bool moveStep(int from, int to);
    // A setting of the step changed: its texts are shown again.
    void stepChanged(int row);

    // The steps as a flow keeps them (type, every setting, carriedState).
    QList<FlowStep> flowSteps() const;
    // Replaces every step; the flow was checked against the plug-ins when it was read.
    void setFlowSteps(const QList<FlowStep>& steps);

private:
    const PluginHost& m_host;
    QList<Operation*> m_steps;
};

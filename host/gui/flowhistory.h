// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include "flow.h"

#include <QUndoCommand>

#include <functional>

// The flow being edited at one moment, with the step that was selected.
struct FlowSnapshot {
    Flow flow;
    int selectedStep = -1;
};

// One change to the flow, kept as the flow before and after it: every kind of edit (steps added,
// removed, moved or dropped, settings typed, variables edited) is undone the same way. Typing into
// one setting makes one change, not one per key.
class FlowChange : public QUndoCommand
{
public:
    using Apply = std::function<void(const FlowSnapshot&)>;

    // The change has been made already: the first redo() does nothing. Changes with the same
    // non-empty mergeKey that follow each other merge into one.
    FlowChange(const QString& text, FlowSnapshot before, FlowSnapshot after, Apply apply,
               QString mergeKey = QString());

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    FlowSnapshot m_before;
    FlowSnapshot m_after;
    Apply m_apply;
    QString m_mergeKey;
    bool m_made = true;
};

// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "flowhistory.h"

#include <utility>

FlowChange::FlowChange(const QString& text, FlowSnapshot before, FlowSnapshot after, Apply apply,
                       QString mergeKey)
    : QUndoCommand(text), m_before(std::move(before)), m_after(std::move(after)),
      m_apply(std::move(apply)), m_mergeKey(std::move(mergeKey))
{
}

void FlowChange::undo()
{
    m_apply(m_before);
}

void FlowChange::redo()
{
    if (m_made) {
        m_made = false;
        return;
    }
    m_apply(m_after);
}

int FlowChange::id() const
{
    // One id for all: mergeWith compares the keys.
    return m_mergeKey.isEmpty() ? -1 : 1;
}

bool FlowChange::mergeWith(const QUndoCommand* other)
{
    const auto* change = static_cast<const FlowChange*>(other);
    if (change->m_mergeKey != m_mergeKey)
        return false;
    m_after = change->m_after;
    return true;
}

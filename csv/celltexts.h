// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QStringView>
#include <QVariantList>

#include <memory>
#include <vector>

// Appends a cell holding `text` to `cells`. The variant is built in place, so the text's count of
// holders changes once rather than for each temporary a plain append would make.
inline void appendText(QVariantList& cells, const QString& text)
{
    cells.append(QVariant());
    cells.last() = QVariant(text);
}

// The short texts met so far in one column of a table being read, so that a text met again is
// handed out as the same implicitly shared QString instead of a new copy: a repeated date, city or
// customer then costs its cell and no text of its own. Cells holding one buffer still compare
// equal, and a later change to one of them detaches it. A column whose texts turn out distinct
// (ids, amounts) soon stops looking them up, and its table is given back.
class ColumnTexts
{
public:
    ColumnTexts();
    ~ColumnTexts();
    ColumnTexts(ColumnTexts&&) noexcept;
    ColumnTexts& operator=(ColumnTexts&&) noexcept;

    // Whether `text` is looked up at all: empty and long texts are not. Longer texts rarely
    // repeat (notes, addresses), and cost the most to hash and compare.
    bool looksUp(QStringView text) const
    {
        return m_sharing && !text.isEmpty() && text.size() <= kLongestShared;
    }
    static uint hashOf(QStringView text);

    // A table of thousands of texts lies far from the processor. A row's lookups are made in
    // rounds, so that the memory each needs is fetched for all of them at once: first the slot a
    // text's hash leads to, then the text that slot holds.
    bool isNear() const;
    void fetchSlot(uint hash) const;
    void fetchHeld(uint hash) const;

    // The text held equal to `text` (whose hash is `hash`), or null when there is none: the
    // caller then makes the text and hands it to remember().
    const QString* find(QStringView text, uint hash);
    // The text to store after find() gave null: `made` itself, moved into the table while the
    // column shares and has room.
    const QString& remember(QString& made);

    bool sharing() const { return m_sharing; }

private:
    struct Slot;

    static constexpr int kLongestShared = 32;

    void countLookup(bool found);
    Slot* grown(Slot* follow);
    void stopSharing();

    // Open addressing, at most half full; an empty slot holds a null text.
    std::unique_ptr<Slot[]> m_slots;
    uint m_mask = 0;
    int m_filled = 0;
    // The slot the last text not found belongs in, or null when it is not to be remembered.
    Slot* m_vacant = nullptr;
    uint m_vacantHash = 0;
    int m_lookups = 0;
    int m_found = 0;
    bool m_sharing = true;
};

// The column caches of one thread's rows, by column position. Not shared between threads.
class CellTexts
{
public:
    // Appends a cell for the non-empty `text` to `cells`, as the cell of column cells.size(): the
    // text that column holds equal to it when there is one. The cell is settled by finishRow(),
    // and `text` must stay valid until then.
    void append(QVariantList& cells, QStringView text);
    // The same for a text already made.
    void append(QVariantList& cells, QString&& made);
    // Settles the cells appended since the row began.
    void finishRow(QVariantList& cells);
    // Whether the column at `index` still looks its texts up: when not, a caller spares the calls.
    bool sharing(int index) const
    {
        if (index >= kMostColumns)
            return false;
        return size_t(index) >= m_columns.size() || m_columns[size_t(index)].sharing();
    }

    ColumnTexts& column(int index)
    {
        if (size_t(index) >= m_columns.size())
            m_columns.resize(size_t(index) + 1);
        return m_columns[size_t(index)];
    }

private:
    // Each column that shares costs a table of its own, worth it only over many rows. A row of
    // more cells than this (one very long line) would pay a table for each of its cells, many
    // times what the cells cost; the columns beyond share nothing.
    static constexpr int kMostColumns = 1024;

    struct Pending {
        int cell;
        uint hash;
        QStringView text;
        QString made;
    };

    void settle(QVariantList& cells, Pending& pending);

    std::vector<ColumnTexts> m_columns;
    std::vector<Pending> m_pending;
};

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

// The short texts lately met in one column of a table being read, so that a text met again is
// handed out as the same implicitly shared QString instead of a new copy: a repeated date or city
// then costs its cell and no text of its own. Cells holding one buffer still compare equal, and a
// later change to one of them detaches it. The texts sit in a small cache, one text per slot, a
// new text taking the place of the one before: a lookup costs a hash and one comparison. Sharing
// pays only while a column repeats few enough texts to stay in the processor's caches; a column of
// more (names, products, ids, amounts) soon stops looking them up, and its cache is given back.
class ColumnTexts
{
public:
    ColumnTexts();
    ~ColumnTexts();
    ColumnTexts(ColumnTexts&&) noexcept;
    ColumnTexts& operator=(ColumnTexts&&) noexcept;

    // The text held for `text`, or null when there is none: the caller then makes the text and
    // hands it to remember(). Empty texts are not looked up.
    const QString* find(QStringView text);
    // The text to store after find() gave null: `made` itself, moved into the cache when the
    // column shares.
    const QString& remember(QString& made);

    bool sharing() const { return m_sharing; }

private:
    struct Slot;

    void countLookup(bool found);
    void stopSharing();

    std::unique_ptr<Slot[]> m_slots;
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
    // Appends a cell holding the non-empty `text` to `cells`, as the cell of column cells.size():
    // the text that column holds equal to it when there is one.
    void append(QVariantList& cells, QStringView text);
    // The same for a text already made.
    void append(QVariantList& cells, QString&& made);
    // Whether the column at `index` still looks its texts up: when not, a caller spares the calls.
    bool sharing(int index) const
    {
        return size_t(index) >= m_columns.size() || m_columns[size_t(index)].sharing();
    }

    ColumnTexts& column(int index);

private:
    std::vector<ColumnTexts> m_columns;
};

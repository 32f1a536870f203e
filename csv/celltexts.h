#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// The texts already seen in one column of a table being read, so that a text met again is handed
// out as the same implicitly shared QString instead of a new copy: a repeated city or date then
// costs its cell and no text of its own. Cells holding one buffer still compare equal, and a later
// change to one of them detaches it. A column whose texts turn out nearly all distinct (ids,
// amounts) soon stops looking them up, and its table is given back.
class ColumnTexts
{
public:
    // The shared text equal to `text`, remembered when new.
    QString text(QStringView text);
    // The same for a text already made: `made` itself is remembered when new.
    QString text(QString&& made);

    bool sharing() const { return m_sharing; }

private:
    template <typename Make> QString share(QStringView text, Make make);
    int find(QStringView text, uint hash) const;
    QString remember(int slot, uint hash, QString&& made);
    void countLookup(bool found);
    void stopSharing();
    void grow();

    // Open addressing: an empty slot holds a null QString. The hash sits beside its text, so a
    // lookup in a large column touches one place of the table.
    struct Slot {
        QString text;
        uint hash = 0;
    };
    std::vector<Slot> m_slots;
    int m_count = 0;
    int m_lookups = 0;
    int m_found = 0;
    bool m_sharing = true;
};

// The column tables of one thread's rows, by column position. Not shared between threads.
class CellTexts
{
public:
    ColumnTexts& column(int index);

private:
    std::vector<ColumnTexts> m_columns;
};

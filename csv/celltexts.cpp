#include "celltexts.h"

#include <utility>

namespace
{
// A column is judged on each run of this many lookups: when too few of them found their text
// (fewer than one in kFewFound), its texts are taken as distinct and it stops sharing. A column
// of 20,000 names drawn at random still finds about one in ten in its first run; ids and amounts
// find next to none.
const int kLookupsJudged = 4096;
const int kFewFound = 32;
const size_t kFirstCapacity = 64;
// A column of more texts than this is no small set of repeated values: its table would outgrow
// the processor's caches, and each lookup would cost more than the memory it saves.
const int kMostTexts = 4096;

// FNV-1a over the UTF-16 units, with the high bits folded down since the table uses the low ones.
uint hashOf(QStringView text)
{
    uint hash = 2166136261u;
    for (const QChar ch : text)
        hash = (hash ^ ch.unicode()) * 16777619u;
    return hash ^ (hash >> 15);
}
} // namespace

QString ColumnTexts::text(QStringView text)
{
    return share(text, [text] { return text.toString(); });
}

QString ColumnTexts::text(QString&& made)
{
    return share(made, [&made] { return std::move(made); });
}

template <typename Make> QString ColumnTexts::share(QStringView text, Make make)
{
    if (!m_sharing || text.isEmpty())
        return make();
    if (m_slots.empty())
        grow();
    const uint hash = hashOf(text);
    const int slot = find(text, hash);
    const bool found = !m_slots[size_t(slot)].text.isNull();
    QString shared = found ? m_slots[size_t(slot)].text : remember(slot, hash, make());
    countLookup(found);
    return shared;
}

// The slot holding `text`, or the empty slot where it belongs.
int ColumnTexts::find(QStringView text, uint hash) const
{
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& held = m_slots[i];
        if (held.text.isNull() || (held.hash == hash && QStringView(held.text) == text))
            return int(i);
    }
}

QString ColumnTexts::remember(int slot, uint hash, QString&& made)
{
    QString shared = made;
    if (m_count >= kMostTexts) {
        stopSharing();
        return shared;
    }
    m_slots[size_t(slot)] = {std::move(made), hash};
    if (++m_count * 2 > int(m_slots.size()))
        grow();
    return shared;
}

void ColumnTexts::countLookup(bool found)
{
    m_found += found ? 1 : 0;
    if (++m_lookups < kLookupsJudged)
        return;
    if (m_found * kFewFound < m_lookups)
        stopSharing();
    m_lookups = 0;
    m_found = 0;
}

void ColumnTexts::stopSharing()
{
    m_sharing = false;
    std::vector<Slot>().swap(m_slots);
    m_count = 0;
}

void ColumnTexts::grow()
{
    std::vector<Slot> slots(m_slots.empty() ? kFirstCapacity : m_slots.size() * 2);
    const size_t mask = slots.size() - 1;
    for (Slot& slot : m_slots) {
        if (slot.text.isNull())
            continue;
        size_t to = slot.hash & mask;
        while (!slots[to].text.isNull())
            to = (to + 1) & mask;
        slots[to] = std::move(slot);
    }
    m_slots.swap(slots);
}

ColumnTexts& CellTexts::column(int index)
{
    if (size_t(index) >= m_columns.size())
        m_columns.resize(size_t(index) + 1);
    return m_columns[size_t(index)];
}

#include "celltexts.h"

#include <cstring>

namespace
{
// Longer texts rarely repeat (notes, addresses), and cost the most to hash and compare.
const int kLongestShared = 32;
// A power of two: 16 KB per column, so that the caches of a table's columns stay close to the
// processor while rows stream past.
const uint kSlots = 1024;
// Sharing pays only while the texts a column repeats are few enough to stay in the processor's
// caches: a hit on a text last used thousands of rows ago fetches it from main memory, which costs
// more than making a new one. Dates, cities, states and quantities are few; names, products, ids
// and amounts are not. A column stops sharing once texts fill this many slots, about 700 texts
// met, or when fewer than half the lookups of a run of kLookupsJudged found their text.
const int kMostFilled = int(kSlots / 2);
const int kLookupsJudged = 4096;

const quint64 kMultiplier = 0x9E3779B97F4A7C15ull;

quint64 mix(quint64 hash, quint64 word)
{
    return (hash ^ word) * kMultiplier;
}

quint64 wordAt(const char* bytes)
{
    quint64 word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// A hash of a short text read eight bytes at a time, the last word overlapping the one before.
// The high bits, which the multiplications fill from every byte, pick the slot.
uint hashOf(QStringView text)
{
    const char* bytes = reinterpret_cast<const char*>(text.data());
    const size_t size = size_t(text.size()) * sizeof(QChar);
    quint64 hash = size;
    if (size < 8) {
        quint64 word = 0;
        std::memcpy(&word, bytes, size);
        hash = mix(hash, word);
    } else {
        size_t i = 0;
        for (; i + 8 < size; i += 8)
            hash = mix(hash, wordAt(bytes + i));
        hash = mix(hash, wordAt(bytes + size - 8));
    }
    hash = (hash ^ (hash >> 32)) * kMultiplier;
    return uint(hash >> 32);
}

bool holds(const QString& held, QStringView text)
{
    return held.size() == text.size() &&
           std::memcmp(held.constData(), text.data(), size_t(text.size()) * sizeof(QChar)) == 0;
}
} // namespace

// An empty slot holds a null text, which no looked-up text equals.
struct ColumnTexts::Slot {
    QString text;
    uint hash = 0;
};

ColumnTexts::ColumnTexts() = default;
ColumnTexts::~ColumnTexts() = default;
ColumnTexts::ColumnTexts(ColumnTexts&&) noexcept = default;
ColumnTexts& ColumnTexts::operator=(ColumnTexts&&) noexcept = default;

const QString* ColumnTexts::find(QStringView text)
{
    m_vacant = nullptr;
    if (!m_sharing || text.size() > kLongestShared || text.isEmpty())
        return nullptr;
    if (!m_slots)
        m_slots.reset(new Slot[kSlots]);
    const uint hash = hashOf(text);
    Slot& slot = m_slots[hash & (kSlots - 1)];
    const bool found = slot.hash == hash && holds(slot.text, text);
    countLookup(found);
    if (!m_sharing)
        return nullptr; // the cache has just been given back
    if (found)
        return &slot.text;
    // The text the slot gives up is met again only to be released, long after it was made: its
    // header is fetched while the caller makes the new text.
    __builtin_prefetch(slot.text.data_ptr(), 1);
    m_vacant = &slot;
    m_vacantHash = hash;
    return nullptr;
}

const QString& ColumnTexts::remember(QString& made)
{
    if (!m_vacant)
        return made;
    Slot& slot = *m_vacant;
    m_vacant = nullptr;
    if (slot.text.isNull() && ++m_filled > kMostFilled) {
        stopSharing();
        return made;
    }
    slot.text = std::move(made);
    slot.hash = m_vacantHash;
    return slot.text;
}

void ColumnTexts::countLookup(bool found)
{
    m_found += found ? 1 : 0;
    if (++m_lookups < kLookupsJudged)
        return;
    if (m_found * 2 < m_lookups)
        stopSharing();
    m_lookups = 0;
    m_found = 0;
}

void ColumnTexts::stopSharing()
{
    m_sharing = false;
    m_slots.reset();
    m_vacant = nullptr;
}

void CellTexts::append(QVariantList& cells, QStringView text)
{
    ColumnTexts& texts = column(cells.size());
    if (const QString* held = texts.find(text)) {
        appendText(cells, *held);
        return;
    }
    QString made = text.toString();
    appendText(cells, texts.remember(made));
}

void CellTexts::append(QVariantList& cells, QString&& made)
{
    ColumnTexts& texts = column(cells.size());
    if (const QString* held = texts.find(made))
        appendText(cells, *held);
    else
        appendText(cells, texts.remember(made));
}

ColumnTexts& CellTexts::column(int index)
{
    if (size_t(index) >= m_columns.size())
        m_columns.resize(size_t(index) + 1);
    return m_columns[size_t(index)];
}

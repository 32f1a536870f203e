// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "celltexts.h"

#include "core/textheader.h"

#include <cstring>

namespace
{
const uint kFirstSlots = 256;
// A column of more texts than this is no small set of repeated values; the texts already held are
// still handed out, but no more are added. 32,768 texts take 1 MB of slots at most.
const int kMostTexts = 32768;
// A column is judged on each run of this many lookups: a run that finds fewer than one text in
// kFewFound tells distinct texts (ids, amounts, or a column that turns distinct) from a set of
// thousands drawn at random (names, products: about one in ten found in the very first run). Once
// the table is full, a run that finds fewer than half its texts ends the sharing too.
const int kLookupsJudged = 4096;
const int kFewFound = 32;
// A table of up to this many slots (64 KB) stays close to the processor: its lookups are made at
// once, with no rounds.
const uint kNearSlots = 4096;

const quint64 kMultiplier = 0x9E3779B97F4A7C15ull;

quint64 mix(quint64 hash, quint64 word)
{
    return (hash ^ word) * kMultiplier;
}

template <typename Word> Word wordAt(const char* bytes)
{
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// The bytes of a text shorter than eight bytes (two, four or six: whole UTF-16 units) as one
// word, read without a call: two four-byte reads that overlap where they must.
quint64 shortWord(const char* bytes, size_t size)
{
    if (size < 4)
        return size == 0 ? 0 : wordAt<quint16>(bytes);
    return wordAt<quint32>(bytes) | quint64(wordAt<quint32>(bytes + size - 4)) << 32;
}

// A hash of a short text read eight bytes at a time, the last word overlapping the one before.
// The high half of the last product, which the multiplications fill from every byte.
uint hashText(QStringView text)
{
    const char* bytes = reinterpret_cast<const char*>(text.data());
    const size_t size = size_t(text.size()) * sizeof(QChar);
    quint64 hash = size;
    if (size < 8) {
        hash = mix(hash, shortWord(bytes, size));
    } else {
        size_t i = 0;
        for (; i + 8 < size; i += 8)
            hash = mix(hash, wordAt<quint64>(bytes + i));
        hash = mix(hash, wordAt<quint64>(bytes + size - 8));
    }
    hash = (hash ^ (hash >> 32)) * kMultiplier;
    return uint(hash >> 32);
}

// Compared a word at a time like the hash, the last word overlapping: the texts are short.
bool holds(const QString& held, QStringView text)
{
    if (held.size() != text.size())
        return false;
    const char* a = reinterpret_cast<const char*>(held.constData());
    const char* b = reinterpret_cast<const char*>(text.data());
    const size_t size = size_t(text.size()) * sizeof(QChar);
    if (size < 8)
        return shortWord(a, size) == shortWord(b, size);
    for (size_t i = 0; i + 8 < size; i += 8) {
        if (wordAt<quint64>(a + i) != wordAt<quint64>(b + i))
            return false;
    }
    return wordAt<quint64>(a + size - 8) == wordAt<quint64>(b + size - 8);
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

uint ColumnTexts::hashOf(QStringView text)
{
    return hashText(text);
}

bool ColumnTexts::isNear() const
{
    return m_mask < kNearSlots;
}

void ColumnTexts::fetchSlot(uint hash) const
{
    if (m_slots)
        __builtin_prefetch(&m_slots[hash & m_mask]);
}

// The text's header is what a lookup reads first, and what a found text's new holder changes.
void ColumnTexts::fetchHeld(uint hash) const
{
    if (!m_slots)
        return;
    Slot& slot = m_slots[hash & m_mask];
    if (slot.hash == hash)
        __builtin_prefetch(textHeader(slot.text), 1);
}

const QString* ColumnTexts::find(QStringView text, uint hash)
{
    m_vacant = nullptr;
    if (!looksUp(text))
        return nullptr;
    if (!m_slots)
        grown(nullptr);
    for (uint i = hash & m_mask;; i = (i + 1) & m_mask) {
        Slot& slot = m_slots[i];
        if (slot.text.isNull()) {
            m_vacant = &slot;
            m_vacantHash = hash;
            break;
        }
        if (slot.hash == hash && holds(slot.text, text)) {
            countLookup(true);
            return m_sharing ? &slot.text : nullptr;
        }
    }
    countLookup(false);
    return nullptr;
}

const QString& ColumnTexts::remember(QString& made)
{
    if (!m_vacant || m_filled >= kMostTexts)
        return made;
    Slot* slot = m_vacant;
    m_vacant = nullptr;
    slot->text = std::move(made);
    slot->hash = m_vacantHash;
    if (++m_filled * 2 > int(m_mask + 1))
        slot = grown(slot);
    return slot->text;
}

void ColumnTexts::countLookup(bool found)
{
    m_found += found ? 1 : 0;
    if (++m_lookups < kLookupsJudged)
        return;
    if (m_found * kFewFound < m_lookups || (m_filled >= kMostTexts && m_found * 2 < m_lookups))
        stopSharing();
    m_lookups = 0;
    m_found = 0;
}

// Doubles the table (or makes the first) and returns where the text of `follow` has moved to.
ColumnTexts::Slot* ColumnTexts::grown(Slot* follow)
{
    const uint size = m_slots ? (m_mask + 1) * 2 : kFirstSlots;
    std::unique_ptr<Slot[]> table(new Slot[size]);
    const uint mask = size - 1;
    Slot* followed = nullptr;
    for (uint i = 0; m_slots && i <= m_mask; ++i) {
        Slot& slot = m_slots[i];
        if (slot.text.isNull())
            continue;
        uint to = slot.hash & mask;
        while (!table[to].text.isNull())
            to = (to + 1) & mask;
        if (&slot == follow)
            followed = &table[to];
        table[to] = std::move(slot);
    }
    m_slots = std::move(table);
    m_mask = mask;
    m_vacant = nullptr;
    return followed;
}

void ColumnTexts::stopSharing()
{
    m_sharing = false;
    m_slots.reset();
    m_filled = 0;
    m_vacant = nullptr;
}

void CellTexts::append(QVariantList& cells, QStringView text)
{
    ColumnTexts& texts = column(cells.size());
    if (!texts.looksUp(text)) {
        appendText(cells, text.toString());
        return;
    }
    const uint hash = ColumnTexts::hashOf(text);
    if (texts.isNear()) {
        if (const QString* held = texts.find(text, hash)) {
            appendText(cells, *held);
            return;
        }
        QString made = text.toString();
        appendText(cells, texts.remember(made));
        return;
    }
    texts.fetchSlot(hash);
    m_pending.push_back({int(cells.size()), hash, text, QString()});
    cells.append(QVariant());
}

void CellTexts::append(QVariantList& cells, QString&& made)
{
    ColumnTexts& texts = column(cells.size());
    if (!texts.looksUp(made)) {
        appendText(cells, made);
        return;
    }
    const uint hash = ColumnTexts::hashOf(made);
    if (texts.isNear()) {
        const QString* held = texts.find(made, hash);
        appendText(cells, held ? *held : texts.remember(made));
        return;
    }
    texts.fetchSlot(hash);
    m_pending.push_back({int(cells.size()), hash, QStringView(), std::move(made)});
    cells.append(QVariant());
}

void CellTexts::finishRow(QVariantList& cells)
{
    if (m_pending.empty())
        return;
    for (const Pending& pending : m_pending)
        m_columns[size_t(pending.cell)].fetchHeld(pending.hash);
    for (Pending& pending : m_pending)
        settle(cells, pending);
    m_pending.clear();
}

void CellTexts::settle(QVariantList& cells, Pending& pending)
{
    ColumnTexts& texts = m_columns[size_t(pending.cell)];
    QVariant& cell = cells[pending.cell];
    const bool made = !pending.made.isNull();
    const QStringView text = made ? QStringView(pending.made) : pending.text;
    if (const QString* held = texts.find(text, pending.hash)) {
        cell = QVariant(*held);
        return;
    }
    QString own = made ? std::move(pending.made) : text.toString();
    cell = QVariant(texts.remember(own));
}

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
    if (m_texts.empty())
        grow();
    const uint hash = hashOf(text);
    const int slot = find(text, hash);
    const bool found = !m_texts[size_t(slot)].isNull();
    QString shared = found ? m_texts[size_t(slot)] : remember(slot, hash, make());
    countLookup(found);
    return shared;
}

// The slot holding `text`, or the empty slot where it belongs.
int ColumnTexts::find(QStringView text, uint hash) const
{
    const size_t mask = m_texts.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const QString& held = m_texts[i];
        if (held.isNull() || (m_hashes[i] == hash && QStringView(held) == text))
            return int(i);
    }
}

QString ColumnTexts::remember(int slot, uint hash, QString&& made)
{
    QString shared = made;
    m_texts[size_t(slot)] = std::move(made);
    m_hashes[size_t(slot)] = hash;
    if (++m_count * 2 > int(m_texts.size()))
        grow();
    return shared;
}

void ColumnTexts::countLookup(bool found)
{
    m_found += found ? 1 : 0;
    if (++m_lookups < kLookupsJudged)
        return;
    if (m_found * kFewFound < m_lookups) {
        m_sharing = false;
        std::vector<QString>().swap(m_texts);
        std::vector<uint>().swap(m_hashes);
        m_count = 0;
    }
    m_lookups = 0;
    m_found = 0;
}

void ColumnTexts::grow()
{
    std::vector<QString> texts(m_texts.empty() ? kFirstCapacity : m_texts.size() * 2);
    std::vector<uint> hashes(texts.size());
    const size_t mask = texts.size() - 1;
    for (size_t from = 0; from < m_texts.size(); ++from) {
        if (m_texts[from].isNull())
            continue;
        size_t to = m_hashes[from] & mask;
        while (!texts[to].isNull())
            to = (to + 1) & mask;
        texts[to] = std::move(m_texts[from]);
        hashes[to] = m_hashes[from];
    }
    m_texts.swap(texts);
    m_hashes.swap(hashes);
}

ColumnTexts& CellTexts::column(int index)
{
    if (size_t(index) >= m_columns.size())
        m_columns.resize(size_t(index) + 1);
    return m_columns[size_t(index)];
}

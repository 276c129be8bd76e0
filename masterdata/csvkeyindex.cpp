#include "masterdata/csvkeyindex.h"

namespace csvimport {

namespace {

constexpr int kEmpty = -1;
constexpr int kGone = -2;

size_t capacityFor(size_t entries)
{
    size_t cap = 64;
    while (cap < entries * 2 + 2)
        cap <<= 1;
    return cap;
}

} // namespace

KeyIndex::KeyIndex(const zdb::RecordSet &rows, int keyField)
    : m_rows(rows)
    , m_field(keyField)
    , m_loaded(rows.recordCount())
{
    m_rowids.reserve(size_t(m_loaded));
    m_slots.assign(capacityFor(size_t(m_loaded)), kEmpty);
    m_hashes.assign(m_slots.size(), 0);
    for (int row = 0; row < m_loaded; ++row) {
        m_rowids.push_back(qint64(rows.bookmarkAt(row)));
        const QString key = keyOf(row);
        if (find(key) < 0)
            put(row, qHash(key));
    }
}

QString KeyIndex::keyOf(int entry) const
{
    if (entry >= m_loaded)
        return m_added[size_t(entry - m_loaded)];
    if (!m_rewritten.isEmpty()) {
        const auto it = m_rewritten.constFind(entry);
        if (it != m_rewritten.constEnd())
            return *it;
    }
    return m_rows.textAt(entry, m_field);
}

int KeyIndex::find(const QString &key) const
{
    const size_t hash = qHash(key);
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const int entry = m_slots[i];
        if (entry == kEmpty)
            return -1;
        if (entry >= 0 && m_hashes[i] == hash && keyOf(entry) == key)
            return entry;
    }
}

void KeyIndex::put(int entry, size_t hash)
{
    if ((m_used + 1) * 2 > m_slots.size())
        grow();
    const size_t mask = m_slots.size() - 1;
    size_t i = hash & mask;
    while (m_slots[i] != kEmpty)
        i = (i + 1) & mask;
    m_slots[i] = entry;
    m_hashes[i] = hash;
    ++m_used;
}

void KeyIndex::grow()
{
    std::vector<int> slots;
    std::vector<size_t> hashes;
    slots.swap(m_slots);
    hashes.swap(m_hashes);
    size_t live = 0;
    for (int e : slots)
        live += e >= 0 ? 1 : 0;
    m_slots.assign(capacityFor(live + 1) * 2, kEmpty);
    m_hashes.assign(m_slots.size(), 0);
    m_used = 0;
    const size_t mask = m_slots.size() - 1;
    for (size_t s = 0; s < slots.size(); ++s) {
        if (slots[s] < 0)
            continue;
        size_t i = hashes[s] & mask;
        while (m_slots[i] != kEmpty)
            i = (i + 1) & mask;
        m_slots[i] = slots[s];
        m_hashes[i] = hashes[s];
        ++m_used;
    }
}

void KeyIndex::addNew(const QString &key, qint64 rowid)
{
    const int entry = int(m_rowids.size());
    m_rowids.push_back(rowid);
    m_added.push_back(key);
    if (find(key) < 0)
        put(entry, qHash(key));
}

void KeyIndex::rekey(int entry, const QString &oldKey, const QString &newKey)
{
    const size_t oldHash = qHash(oldKey);
    const size_t mask = m_slots.size() - 1;
    for (size_t i = oldHash & mask; m_slots[i] != kEmpty; i = (i + 1) & mask) {
        if (m_slots[i] == entry) {
            m_slots[i] = kGone;
            break;
        }
    }
    if (entry >= m_loaded)
        m_added[size_t(entry - m_loaded)] = newKey;
    else
        m_rewritten.insert(entry, newKey);
    const int holder = find(newKey);
    if (holder < 0) {
        put(entry, qHash(newKey));
    } else if (holder > entry) {
        // This row comes first in the record set's order.
        const size_t newHash = qHash(newKey);
        for (size_t i = newHash & mask; m_slots[i] != kEmpty; i = (i + 1) & mask)
            if (m_slots[i] == holder) {
                m_slots[i] = entry;
                break;
            }
    }
}

} // namespace csvimport

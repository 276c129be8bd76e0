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

KeyIndex::KeyIndex(const zdb::RecordSet &rows, int keyField, Normalise normalise)
    : m_rows(rows)
    , m_field(keyField)
    , m_normalise(std::move(normalise))
    , m_loaded(rows.recordCount())
{
    m_slots.assign(capacityFor(size_t(m_loaded)), kEmpty);
    m_hashes.assign(m_slots.size(), 0);
    for (int row = 0; row < m_loaded; ++row) {
        const QString key = keyOf(row);
        if (findNormal(key) < 0)
            put(row, quint32(qHash(key)));
    }
}

QString KeyIndex::keyOf(int entry) const
{
    return norm(m_rows.textAt(entry, m_field));
}

int KeyIndex::find(const QString &key) const
{
    return findNormal(norm(key));
}

int KeyIndex::findNormal(const QString &key) const
{
    const quint32 hash = quint32(qHash(key));
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const int entry = m_slots[i];
        if (entry == kEmpty)
            return -1;
        if (entry >= 0 && m_hashes[i] == hash && keyOf(entry) == key)
            return entry;
    }
}

void KeyIndex::put(int entry, quint32 hash)
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
    std::vector<quint32> hashes;
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

void KeyIndex::addNew(const QString &given)
{
    const QString key = norm(given);
    const int entry = m_loaded + m_added++;
    if (findNormal(key) < 0)
        put(entry, quint32(qHash(key)));
}

void KeyIndex::rekey(int entry, const QString &oldGiven, const QString &newGiven)
{
    const QString oldKey = norm(oldGiven);
    const QString newKey = norm(newGiven);
    if (oldKey == newKey)
        return;
    const quint32 oldHash = quint32(qHash(oldKey));
    const size_t mask = m_slots.size() - 1;
    for (size_t i = oldHash & mask; m_slots[i] != kEmpty; i = (i + 1) & mask) {
        if (m_slots[i] == entry) {
            m_slots[i] = kGone;
            break;
        }
    }
    const int holder = findNormal(newKey);
    if (holder < 0) {
        put(entry, quint32(qHash(newKey)));
    } else if (holder > entry) {
        // This row comes first in the record set's order.
        const quint32 newHash = quint32(qHash(newKey));
        for (size_t i = newHash & mask; m_slots[i] != kEmpty; i = (i + 1) & mask)
            if (m_slots[i] == holder) {
                m_slots[i] = entry;
                break;
            }
    }
}

} // namespace csvimport

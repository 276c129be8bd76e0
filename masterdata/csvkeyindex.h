#pragma once

// The codes of a record set's rows, hashed once for the import: finding a
// line's row costs one probe instead of a walk over every row. A key matches
// exactly the rows a locate on the key field would find (the same text form,
// case and spaces kept, an empty code for a null one), unless a normaliser
// says otherwise, and the first row in
// the record set's order wins. The record set's rows are read in place;
// the rows the import adds are read there too, as it appends them.

#include "db/recordset.h"

#include <QString>

#include <functional>
#include <vector>

namespace csvimport {

class KeyIndex
{
public:
    // How a key is compared: the file's and the rows' keys both pass through
    // it (none: the text as it stands).
    using Normalise = std::function<QString(const QString &)>;

    KeyIndex(const zdb::RecordSet &rows, int keyField, Normalise normalise = {});

    // The first row whose key reads `key`; -1 when none does. Rows the
    // import added count on after the loaded ones, as the record set holds them.
    int find(const QString &key) const;

    // The next row the import added, under the key it was stored with (an
    // earlier row with that key keeps winning).
    void addNew(const QString &key);
    // A row whose key the import rewrote.
    void rekey(int entry, const QString &oldKey, const QString &newKey);

private:
    QString keyOf(int entry) const;
    QString norm(const QString &key) const { return m_normalise ? m_normalise(key) : key; }
    int findNormal(const QString &key) const;
    void put(int entry, quint32 hash);
    void grow();

    const zdb::RecordSet &m_rows;
    int m_field;
    Normalise m_normalise;
    int m_loaded;                        // entries below this are the record set's rows
    int m_added = 0;                     // rows the import added
    std::vector<int> m_slots;            // entry, kEmpty or kGone
    std::vector<quint32> m_hashes;       // per slot (the low bits of the hash)
    size_t m_used = 0;                   // live and gone slots
};

} // namespace csvimport

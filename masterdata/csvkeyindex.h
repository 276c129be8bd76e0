#pragma once

// The codes of a record set's rows, hashed once for the import: finding a
// line's row costs one probe instead of a walk over every row. A key matches
// exactly the rows a locate on the key field would find (the same text form,
// case and spaces kept, an empty code for a null one), and the first row in
// the record set's order wins. The record set's rows are read in place;
// only the rows the import adds keep a key of their own.

#include "db/recordset.h"

#include <QHash>
#include <QString>

#include <vector>

namespace csvimport {

class KeyIndex
{
public:
    KeyIndex(const zdb::RecordSet &rows, int keyField);

    // The entry of the first row whose key reads `key`; -1 when none does.
    int find(const QString &key) const;
    qint64 rowid(int entry) const { return m_rowids[size_t(entry)]; }

    // A row the import added, under the key it was stored with (an earlier
    // row with that key keeps winning).
    void addNew(const QString &key, qint64 rowid);
    // A row whose key the import rewrote.
    void rekey(int entry, const QString &oldKey, const QString &newKey);

private:
    QString keyOf(int entry) const;
    void put(int entry, size_t hash);
    void grow();

    const zdb::RecordSet &m_rows;
    int m_field;
    int m_loaded;                        // entries below this are the record set's rows
    std::vector<qint64> m_rowids;        // per entry
    std::vector<QString> m_added;        // keys of the added rows
    QHash<int, QString> m_rewritten;     // keys of loaded rows the import changed
    std::vector<int> m_slots;            // entry, kEmpty or kGone
    std::vector<size_t> m_hashes;        // per slot
    size_t m_used = 0;                   // live and gone slots
};

} // namespace csvimport

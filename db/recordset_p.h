#pragma once

// Internals shared by the record set's source files: the compact row store,
// the edit buffer and the fast readers of stored texts.

#include "db/recordset.h"
#include "db/codec.h"

#include <QHash>
#include <QVariant>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace zdb {

// A prepared statement, finalized with its owner.
class Statement
{
public:
    explicit Statement(sqlite3_stmt *s = nullptr) : m_stmt(s) {}
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    sqlite3_stmt *get() const { return m_stmt; }
    sqlite3_stmt **out() { return &m_stmt; }   // for sqlite3_prepare_v2
    int finish();                              // finalizes now; its result code
private:
    sqlite3_stmt *m_stmt;
};

// Bump allocator for row blocks. Rows are never freed one by one: a reopen
// drops the whole arena, so an edited or deleted row's old block simply stays
// until then.
class Arena
{
public:
    char *alloc(size_t size);
    void clear();
    void swap(Arena &other) noexcept;

private:
    static constexpr size_t kChunk = size_t(1) << 20;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char *m_cur = nullptr;
    char *m_end = nullptr;
};

// One loaded row: a block of `slotCount` end offsets (bit 31 = null) followed
// by every cell's bytes as SQLite gave them (still encoded). `cells` is null
// for the pending row of an insert, whose values live in the edit buffer.
struct Row
{
    quint32 *cells = nullptr;
    qint64 key = 0;   // rowid for tables; load ordinal when the result has none
};

constexpr quint32 kNullBit = 0x80000000u;
constexpr quint32 kOffsetMask = 0x7fffffffu;

struct CellRef
{
    const char *data = nullptr;
    qsizetype size = 0;
    bool null = true;
};

inline CellRef cellOf(const Row &row, int slot, int slotCount)
{
    const quint32 *h = row.cells;
    const quint32 end = h[slot];
    const quint32 start = slot ? (h[slot - 1] & kOffsetMask) : 0;
    CellRef c;
    c.null = (end & kNullBit) != 0;
    c.data = reinterpret_cast<const char *>(h + slotCount) + start;
    c.size = qsizetype((end & kOffsetMask) - start);
    return c;
}

// Builds a row block from byte ranges (data == nullptr with null = true for a null cell).
quint32 *buildRowBlock(Arena &arena, const CellRef *cells, int slotCount);
// The bytes of a row block holding `cells`.
size_t rowBlockSize(const CellRef *cells, int slotCount);
// Writes the block into `mem`, which holds rowBlockSize() bytes; the cells
// must not point into `mem`.
quint32 *writeRowBlock(char *mem, const CellRef *cells, int slotCount);
// The bytes a row block takes.
inline size_t rowBlockSize(const quint32 *block, int slotCount)
{
    const size_t data = slotCount ? size_t(block[slotCount - 1] & kOffsetMask) : 0;
    return std::max<size_t>(size_t(slotCount) * sizeof(quint32) + data, 4);
}

// A field value as a row block stores it (a post's form: integers in digits,
// dates as "yyyy-mm-dd", texts encoded); false for a null value.
bool cellBytes(FieldKind kind, const QVariant &value, Encoding encoding, QByteArray &out);

// A field's buffer value in the form a post stores: integers as numbers,
// dates as dates, everything else as its text. An update writes a field
// only where this differs from the stored value's.
QVariant postValue(const FieldDef &def, const QVariant &value);

// A post or delete that found no row: another program or record set deleted
// it (or gave its rowid to a newer row) since it was read.
void checkRowChanged(Connection *connection);

struct RecordSet::Impl
{
    QVector<FieldDef> fields;
    QHash<QString, int> byName;       // lower-case name -> field index
    bool autoFields = false;          // made from the result columns at open

    // Binding of the open result.
    std::vector<int> slotOf;          // per field: storage slot, -1 when calculated
    int slotCount = 0;
    std::vector<int> slotCut;         // per slot: characters a load keeps of a text; 0 keeps all
    Encoding encoding = Encoding::Standard;
    Arena arena;
    std::vector<Row> rows;

    // Edit and insert.
    QVector<QVariant> buffer;         // per field; calculated fields unused
    bool modified = false;

    // Query: where the "?" of each named parameter stands in the parsed text.
    std::vector<qsizetype> paramPos;
    std::vector<int> paramOf;

    void rebuildIndex();
    int slotOfField(int field) const { return field >= 0 && field < int(slotOf.size()) ? slotOf[size_t(field)] : -1; }
    QVariant storedValue(const Row &row, int field) const;
    QString storedText(const Row &row, int field) const;
    // The block a posted row leaves: the buffer's values; after an update
    // (`old` given), the fields not written keep the very bytes they were
    // read with.
    quint32 *blockFromBuffer(const Row *old = nullptr);

    // Steps shared by the operations (nested, so they reach the set's state).
    static void emitCurrent(RecordSet &rs);              // unless controls are held
    static void moveTo(RecordSet &rs, int row);
    static void checkActive(const RecordSet &rs);         // throws on a closed set
    static void checkBrowseMode(RecordSet &rs);           // posts a changed buffer, drops an unchanged one
};

// Stored-text readers used in the load loop and on access.
enum class DateRead { Ok, Blank, Invalid };
DateRead readDate(const char *p, qsizetype n, int &y, int &m, int &d);
// A decimal integer in 32 bits (blanks around allowed); false otherwise.
bool readInt(const char *p, qsizetype n, int &value);

// Text form of a value: integers in digits, dates in the short form, text as is.
QString textForm(const QVariant &value);
// Display format of a field applied to a value (zero padding of codes, dates).
QString formatWith(const QVariant &value, const QString &format);

// Bytes of the first `chars` characters of an encoded text.
qsizetype cutToChars(const char *p, qsizetype n, int chars, Encoding encoding);

inline char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

// Runs the GUI's busy-pointer hook, when one is set.
void showBusy(bool on);

QString msgNotFound(const QString &name);
QString msgClosed();
QString msgNotEditing();

} // namespace zdb

#pragma once

// Writing many rows of an open table record set in one go (an import). The
// statements are prepared once, and each written row takes its new values in
// the loaded rows the way a post leaves it, so the list needs no reload of
// every row afterwards. finish() puts the rows in the record set's order as a
// reload would; where the order or the filter is more than plain fields, it
// reloads instead.

#include "db/recordset.h"

#include <QVariant>
#include <QVector>

#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace zdb {

class RowWriter
{
public:
    // `target` must be open and browsing; its fields are the table's columns
    // (calculated ones aside), at most 64 of them.
    explicit RowWriter(Table &target);
    ~RowWriter();
    RowWriter(const RowWriter &) = delete;
    RowWriter &operator=(const RowWriter &) = delete;

    // The values of loaded row `row` as value() reads them. `clean[f]` is
    // false where the stored cell does not read back as it is (an integer
    // field holding a text another program wrote); such a cell is best left
    // unwritten.
    void read(int row, QVector<QVariant> &values, std::vector<bool> &clean) const;

    // Stores the fields whose bit is set in `mask` (bit f = field f) of row
    // `row`; the other cells keep what they hold. Throws when another program
    // deleted the row or gave its rowid to a newer row since it was read.
    void update(int row, const QVector<QVariant> &values, quint64 mask);

    // Adds a row with every stored field; returns its row number (after every
    // row loaded or added before).
    int append(const QVector<QVariant> &values);

    // Room for `more` rows: a load that knows its size grows the list once
    // instead of doubling it.
    void reserve(int more);

    // The rows in the record set's order, the grids told once; the current
    // row stays current where it can. Only after the writes are kept: when
    // they are undone, refresh() the record set instead.
    void finish();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace zdb

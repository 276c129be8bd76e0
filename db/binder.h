#pragma once

// The one place where values meet statements. Every value a statement takes
// (a posted row, a filter's operand, a query's parameter) is bound to a "?"
// of the prepared text, never written into the text itself, so a quote or a
// "?" inside a value is only ever data.

#include "db/codec.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

struct sqlite3_stmt;

namespace zdb {

// An SQL text with the values of its parameters: `values` go to its
// anonymous "?" in order, `named` to its ":name" parameters.
struct BoundSql
{
    QString sql;
    QVariantList values;
    QList<std::pair<QString, QVariant>> named;   // name with its ":"
};

// Binds one value: null or invalid as NULL; integers and booleans as
// integers; dates as "yyyy-mm-dd"; a QByteArray as already encoded text;
// anything else as its text, encoded (empty text stays empty text).
void BindValue(sqlite3_stmt *stmt, int index, const QVariant &value, Encoding encoding);

// Binds `bound`'s values to a statement prepared from its text. Throws
// Error when more values are given than the text has places for.
void BindAll(sqlite3_stmt *stmt, const BoundSql &bound, Encoding encoding);

// The bytes a value is bound as, in the same reading as BindValue (a
// server takes every parameter as text); false for a null value.
bool ValueBytes(const QVariant &value, Encoding encoding, QByteArray &out);

// The literal a value would have in SQL text, as BindValue binds it. Only
// for showing a statement to a person or a benchmark, never for running it.
QString LiteralOf(const QVariant &value);

// The text with each anonymous "?" outside quotes and comments shown as its
// value's literal (for showing, never for running).
QString ShowBound(const BoundSql &bound);

} // namespace zdb

#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <initializer_list>
#include <utility>

struct sqlite3;
struct sqlite3_stmt;

namespace mkdb {

using Column = std::pair<const char *, QVariant>;

// Writes rows the way the program stores them: texts as Windows-1250 bytes,
// dates as yyyy-mm-dd, empty texts and invalid dates as null, and every
// sort-key column filled from its marked column (the table catalogue). Failures throw zdb::Error.
class Writer
{
public:
    explicit Writer(sqlite3 *db);
    ~Writer();
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    // Runs every statement of the text; the text is sent in Windows-1250.
    void execute(const QString &sql);

    // One row. Texts longer than their column or with characters outside the
    // code page are refused: the program would show them cut or as "?".
    void insert(const QString &table, std::initializer_list<Column> values);

private:
    sqlite3_stmt *statement(const QByteArray &sql);
    void bind(sqlite3_stmt *stmt, int index, const QString &table, const QString &column,
              const QVariant &value);
    [[noreturn]] void fail(const QString &what) const;

    sqlite3 *m_db;
    QHash<QByteArray, sqlite3_stmt *> m_statements;
};

} // namespace mkdb

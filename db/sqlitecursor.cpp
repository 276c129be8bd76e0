// The file engine's cursor: a prepared SQLite statement stepped row by row.

#include "db/connection.h"
#include "db/cursor.h"
#include "db/dberror.h"

#include <sqlite3.h>

#include <cstring>

namespace zdb {

namespace {

class SqliteCursor final : public Cursor
{
public:
    SqliteCursor(Connection *connection, sqlite3_stmt *stmt) : m_connection(connection), m_stmt(stmt) {}
    ~SqliteCursor() override { sqlite3_finalize(m_stmt); }
    SqliteCursor(const SqliteCursor &) = delete;
    SqliteCursor &operator=(const SqliteCursor &) = delete;

    int columnCount() const override { return m_stmt ? sqlite3_column_count(m_stmt) : 0; }
    QByteArray columnName(int column) const override { return QByteArray(sqlite3_column_name(m_stmt, column)); }
    QString declaredType(int column) const override
    {
        const char *decl = sqlite3_column_decltype(m_stmt, column);
        return decl ? QString::fromLatin1(decl) : QString();
    }
    bool next() override
    {
        if (!m_stmt || m_done)
            return false;
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        m_done = true;
        if (rc != SQLITE_DONE)
            throw Error(m_connection->lastErrorMessage());   // an error, a misuse, or a locked database
        const int frc = sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        if (frc != SQLITE_OK)
            throw Error(QStringLiteral("SQLiteExecute error: %1").arg(frc));
        return false;
    }
    bool isNull(int column) const override { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }
    const char *data(int column) const override
    {
        // Text for every kind but a blob, so numbers come as their digits.
        if (sqlite3_column_type(m_stmt, column) == SQLITE_BLOB)
            return static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
        return reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    }
    qsizetype size(int column) const override { return sqlite3_column_bytes(m_stmt, column); }
    qint64 integer(int column) const override { return sqlite3_column_int64(m_stmt, column); }

private:
    Connection *m_connection;
    sqlite3_stmt *m_stmt;
    bool m_done = false;
};

} // namespace

std::unique_ptr<Cursor> openSqliteCursor(Connection *connection, const BoundSql &statement)
{
    const QByteArray text = connection->encode(statement.sql);
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(connection->handle(), text.constData(), int(text.size()), &raw, nullptr) != SQLITE_OK) {
        const QString message = connection->lastErrorMessage();
        sqlite3_finalize(raw);
        throw Error(message);
    }
    // Only the first statement of the text was prepared.
    auto cursor = std::make_unique<SqliteCursor>(connection, raw);
    BindAll(raw, statement, connection->encoding);
    return cursor;
}

} // namespace zdb

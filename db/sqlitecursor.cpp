// The file engine's cursor: a prepared SQLite statement stepped row by row.

#include "db/connection.h"
#include "db/cursor.h"
#include "db/dberror.h"

#include <sqlite3.h>

#include <cstring>
#include <utility>

namespace zdb {

namespace {

class SqliteCursor final : public Cursor
{
public:
    SqliteCursor(Connection *connection, sqlite3_stmt *stmt) : m_connection(connection), m_stmt(stmt) {}
    ~SqliteCursor() override { m_connection->releaseStatement(m_stmt, m_failed); }
    SqliteCursor(const SqliteCursor &) = delete;
    SqliteCursor &operator=(const SqliteCursor &) = delete;

    int columnCount() const override { return m_stmt ? sqlite3_column_count(m_stmt) : 0; }
    QByteArray columnName(int column) const override { return QByteArray(sqlite3_column_name(m_stmt, column)); }
    QString declaredType(int column) const override
    {
        const char *decl = sqlite3_column_decltype(m_stmt, column);
        return decl ? QString::fromLatin1(decl) : QString();
    }
    // A statement compiled before may stand on an older schema: its first
    // step compiles it again, so its columns are read after that step.
    void stepAhead()
    {
        m_ahead = true;
        m_aheadRc = step();
    }
    bool next() override
    {
        if (!m_stmt || m_done)
            return false;
        const int rc = m_ahead ? m_aheadRc : step();
        m_ahead = false;
        if (rc == SQLITE_ROW)
            return true;
        m_done = true;
        if (rc != SQLITE_DONE)
            throw Error(m_error);   // an error, a misuse, or a locked database
        // Done: the statement lets go of the file now, not when the cursor goes.
        m_connection->releaseStatement(std::exchange(m_stmt, nullptr));
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
    int step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            // The message before anything else runs on the connection.
            m_failed = true;
            m_error = m_connection->lastErrorMessage();
        }
        return rc;
    }
    Connection *m_connection;
    sqlite3_stmt *m_stmt;
    bool m_done = false;
    bool m_failed = false;
    bool m_ahead = false;
    int m_aheadRc = SQLITE_OK;
    QString m_error;
};

} // namespace

std::unique_ptr<Cursor> openSqliteCursor(Connection *connection, const BoundSql &statement)
{
    bool reused = false;
    // Only the first statement of the text is prepared.
    sqlite3_stmt *raw = connection->acquireStatement(statement.sql, false, reused);
    auto cursor = std::make_unique<SqliteCursor>(connection, raw);
    if (!raw)
        return cursor;
    BindAll(raw, statement, connection->encoding);
    if (reused)
        cursor->stepAhead();
    return cursor;
}

} // namespace zdb

// The connection's engine-neutral statement calls: each goes to the file
// engine or to the server session, whichever the connection opened.

#include "db/connection.h"

#include "db/catalog.h"
#include "db/cursor.h"
#include "db/dberror.h"
#include "db/pgsession.h"

#include <QFileInfo>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace zdb {

std::unique_ptr<Cursor> openSqliteCursor(Connection *connection, const BoundSql &statement);

namespace {
std::function<QString(const QString &)> &passwordPrompt()
{
    static std::function<QString(const QString &)> prompt;
    return prompt;
}
} // namespace

void Connection::setPasswordPrompt(std::function<QString(const QString &address)> prompt)
{
    passwordPrompt() = std::move(prompt);
}

std::function<QString()> passwordAsker(const QString &address)
{
    if (!passwordPrompt())
        return {};
    return [address] { return passwordPrompt()(address); };
}

bool Connection::isServer() const
{
    // Open, the engine answers without reading the address again (row
    // writers ask for every row).
    if (m_pg)
        return true;
    if (m_db)
        return false;
    return isServerAddress(database);
}

QString Connection::dialect() const
{
    return isServer() ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite");
}

QString Connection::databaseName() const
{
    if (m_pg)
        return QString::fromUtf8(PQdb(m_pg->handle()));
    return QFileInfo(fullPath()).completeBaseName();
}

std::unique_ptr<Cursor> Connection::query(const BoundSql &statement)
{
    if (!isConnected())
        open();
    if (m_pg)
        return m_pg->query(statement);
    return openSqliteCursor(this, statement);
}

void Connection::watchServer()
{
    // Another desk's commit reaches every window showing the table, as one
    // of this program's own free statements does.
    m_pg->watch([](const QStringList &tables) {
        for (const QString &table : tables)
            TableChanges::notify(table);
    });
}

qint64 Connection::changes() const
{
    if (m_pg)
        return m_pg->changes();
    return m_db ? sqlite3_changes64(m_db) : 0;
}

qint64 Connection::lastInsertId() const
{
    if (m_pg)
        return m_pg->lastInsertId();
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

} // namespace zdb

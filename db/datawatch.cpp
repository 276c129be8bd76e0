#include "db/datawatch.h"

#include "db/catalog.h"
#include "db/connection.h"

#include <sqlite3.h>

#include <exception>

namespace zdb {

DataWatcher::DataWatcher(Connection *connection, QObject *parent) : QObject(parent), m_connection(connection)
{
    // Once a second, on a coarse timer that wakes together with others: an
    // idle program then costs next to nothing more.
    m_timer.setInterval(1000);
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { check(); });
    if (m_connection)
        connect(m_connection, &Connection::connectedChanged, this, [this] { restart(); });
    restart();
}

DataWatcher::~DataWatcher()
{
    forget();
}

void DataWatcher::setEnabled(bool on)
{
    m_enabled = on;
    restart();
}

void DataWatcher::restart()
{
    forget();
    if (m_enabled && m_connection && m_connection->isConnected()) {
        qint64 version = -1;
        if (readVersion(version))
            m_version = version;
        m_timer.start();
    } else {
        m_timer.stop();
    }
}

void DataWatcher::forget()
{
    // A statement of a closed connection is finalized all the same: SQLite
    // keeps the handle until its last statement goes.
    if (m_stmt)
        sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    m_version = -1;
}

bool DataWatcher::readVersion(qint64 &version)
{
    sqlite3 *db = m_connection ? m_connection->handle() : nullptr;
    if (!db)
        return false;
    // Inside a statement or a transaction of the program's own, a refresh
    // would read half of its work or run within its loop.
    if (!sqlite3_get_autocommit(db))
        return false;
    for (sqlite3_stmt *st = sqlite3_next_stmt(db, nullptr); st; st = sqlite3_next_stmt(db, st))
        if (st != m_stmt && sqlite3_stmt_busy(st))
            return false;
    if (!m_stmt && sqlite3_prepare_v2(db, "PRAGMA data_version", -1, &m_stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        return false;
    }
    // A desk holding the file locked must not make the window wait: the
    // look is simply tried again next time.
    sqlite3_busy_timeout(db, 0);
    const bool ok = sqlite3_step(m_stmt) == SQLITE_ROW;
    if (ok)
        version = sqlite3_column_int64(m_stmt, 0);
    sqlite3_reset(m_stmt);
    sqlite3_busy_timeout(db, m_connection->timeOut > 0 ? m_connection->timeOut : 0);
    return ok;
}

bool DataWatcher::check()
{
    if (!m_enabled)
        return false;
    qint64 version = -1;
    if (!readVersion(version))
        return false;
    if (m_version < 0 || version == m_version) {
        m_version = version;
        return false;
    }
    m_version = version;
    QStringList tables;
    for (const TableDecl &t : Catalogue())
        tables << t.name;
    // Called from the event loop: a listener's failure must not end the
    // program; the next change is announced again.
    try {
        TableChanges::notifyMany(tables);
    } catch (const std::exception &) {
    }
    return true;
}

} // namespace zdb

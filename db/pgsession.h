#pragma once

// The server engine: one libpq session and the statements the layer runs on
// it. The layer's SQL (anonymous "?" and ":name" parameters, SQLite's
// case-blind LIKE, "IS ?") is turned into the server's dialect here, so the
// record sets and windows send the same texts to both engines.

#include "db/binder.h"
#include "db/cursor.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class QObject;
class QSocketNotifier;
struct pg_conn;
struct pg_result;

namespace zdb {

// True for a PostgreSQL connection string: a "postgresql://" or
// "postgres://" URI, or key=value pairs ("host=... dbname=...").
bool isServerAddress(const QString &database);

// The connection string without any password in it (key=value "password",
// a URI's "user:password@" or "?password="), for writing to the ini file.
QString addressWithoutPassword(const QString &address);

// A statement in the server's dialect: "$n" parameters with their values in order.
struct ServerSql
{
    QString text;
    QVariantList values;
    bool lockForWrite = false;   // a BEGIN IMMEDIATE: the transaction writes
};
ServerSql toServerSql(const BoundSql &statement);

// The password question for a server at `address`, as the program set it; empty when none is set.
std::function<QString()> passwordAsker(const QString &address);

class PgSession
{
public:
    // Connects; throws Error with the user's message for an unreachable
    // server, a refused password or a missing database.
    // A server that asks for a password not found in ~/.pgpass or
    // PGPASSFILE gets the one `askPassword` returns, once; an empty answer
    // gives up.
    explicit PgSession(const QString &conninfo, const std::function<QString()> &askPassword = {});
    ~PgSession();
    PgSession(const PgSession &) = delete;
    PgSession &operator=(const PgSession &) = delete;

    // One statement; rows are ignored. Throws Error.
    void execute(const BoundSql &statement);
    // Every statement of a text without values. Throws Error.
    void executeScript(const QString &sql);
    std::unique_ptr<Cursor> query(const BoundSql &statement);

    qint64 changes() const { return m_changes; }
    qint64 lastInsertId();
    bool inTransaction() const;
    QString version() const;
    pg_conn *handle() const { return m_conn; }

    // Listens for the change notices of the database's triggers: `changed`
    // gets the tables other sessions wrote, from the event loop, as soon as
    // their transactions commit. This session's own writes are left out.
    void watch(std::function<void(const QStringList &)> changed);

    // While set, a statement runs without holding the caller up: `poll` is
    // called about fifty times a second while the server works, and true
    // from it sends the server a cancel request. The statement then fails,
    // and a transaction it was part of is rolled back whole.
    void setProgressPoll(std::function<bool()> poll);
    // How long a statement waits for a lock another session holds; past it
    // the statement fails as busy (0: waits without end).
    void setLockTimeout(int ms);
    // Asked, with the server's message, when a statement met another desk's
    // lock past the time-out: true runs it again, false fails it with
    // BusyDeclined (see Connection::busyPrompt, which this points to).
    // Inside a transaction the server has given the transaction up by then:
    // only a BEGIN IMMEDIATE's write lock is tried again, with a new BEGIN.
    void setBusyPrompt(const std::function<bool(const QString &)> *prompt) { m_busyPrompt = prompt; }

private:
    pg_result *execPolled(const char *text, int n, const char *const *values, const int *lengths);
    void run(const ServerSql &sql, bool keepRows, void **result);
    // The name of the session's prepared statement for `text`, prepared now
    // when it has none; throws the server's message when it cannot be.
    QByteArray preparedName(const QByteArray &text, int params);
    void forgetPrepared();
    void collectNotices();
    void deliverNotices();
    pg_conn *m_conn = nullptr;
    qint64 m_changes = 0;
    std::function<void(const QStringList &)> m_changed;
    QStringList m_pending;
    bool m_deliveryQueued = false;
    std::unique_ptr<QObject> m_context;   // queued deliveries die with the session
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct Prepared
    {
        QByteArray text;
        QByteArray name;
        quint64 lastUse;
    };
    std::vector<Prepared> m_prepared;
    quint64 m_preparedUse = 0;
    quint64 m_preparedCount = 0;
    std::function<bool()> m_poll;
    const std::function<bool(const QString &)> *m_busyPrompt = nullptr;
    bool m_polling = false;   // a statement is on its way; the poll may let other callers in
};

} // namespace zdb

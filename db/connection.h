#pragma once

#include "db/binder.h"
#include "db/codec.h"

#include <QObject>
#include <QString>
#include <QList>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zdb {

class Cursor;
class PgSession;
class RecordSet;

// One database: an SQLite file, or a PostgreSQL server when `database` is a
// connection string ("postgresql://..." or "host=... dbname=..."). The
// program owns exactly one (Db1), opened at start and closed at exit; record
// sets run their SQL through it and never learn which engine answers.
class Connection : public QObject
{
    Q_OBJECT
public:
    explicit Connection(QObject *parent = nullptr);
    ~Connection() override;

    // Properties. SQLite is linked in, so driverDll is kept for the record only.
    QString driverDll;
    QString defaultDir;               // folder of the file; a missing final separator is added
    QString database;                 // file name; trimmed; gets defaultExt when it has none
    QString defaultExt = QStringLiteral(".sqb");
    bool mustExist = false;
    Encoding encoding = Encoding::Standard;
    int timeOut = 0;                  // busy time-out in ms; 0 sets none
    // Asked, with SQLite's message, when a statement still meets the file
    // locked by another desk after the time-out: true runs the statement
    // again, false makes it fail with BusyDeclined. Unset, it fails at once
    // with SQLite's message. The program sets it to ask the user.
    std::function<bool(const QString &message)> busyPrompt;

    // Convenience: split a full path into defaultDir and database.
    void setPath(const QString &fullPath);
    QString fullPath() const;

    void open();                      // throws Error
    void close();
    bool isConnected() const { return m_db != nullptr || m_pg != nullptr; }
    // True when `database` names a server rather than a file.
    bool isServer() const;
    // "SQLite" or "PostgreSQL": whose SQL the console runs.
    QString dialect() const;
    QString version() const { return m_version; }
    // The database's own name: the server's database, or the file's base name.
    QString databaseName() const;

    // Runs every statement of the text in turn; rows are ignored. Throws Error.
    void executeDirect(const QString &sql);

    // Runs one statement with its values bound (the text may end in ";").
    // Throws Error, also for a text holding a second statement.
    void execute(const BoundSql &statement);

    // The rows of the first statement of the text, its values bound. Throws Error.
    std::unique_ptr<Cursor> query(const BoundSql &statement);
    // Rows the last INSERT, UPDATE or DELETE wrote, and the rowid of the last insert.
    qint64 changes() const;
    qint64 lastInsertId() const;

    // Bulk work: one transaction around many posts (not used by single edits).
    void beginTransaction();
    void commit();
    void rollback();
    // True while a transaction is open (BEGIN without COMMIT or ROLLBACK yet).
    bool inTransaction() const;

    // The tables the first statement of `sql` would write (INSERT, UPDATE,
    // DELETE, its triggers included), lower case, without running it; empty
    // for a statement that writes no rows or does not compile.
    QStringList tablesWrittenBy(const QString &sql) const;

    // While set, `poll` runs every `steps` engine steps of any statement, so a
    // long one can keep the window alive; true from it stops the statement,
    // which then fails as interrupted. An empty function removes it.
    void setProgressPoll(std::function<bool()> poll, int steps = 1000);

    sqlite3 *handle() const { return m_db; }   // null on a server
    PgSession *server() const { return m_pg.get(); }   // null on a file
    QByteArray encode(QStringView text) const { return encodeText(text, encoding); }
    QString decode(const char *data, qsizetype length) const { return decodeText(data, length, encoding); }
    QString lastErrorMessage() const;
    // Steps a prepared statement to its end and finalizes it; throws the
    // engine's message when it fails.
    void runToEnd(sqlite3_stmt *stmt);

    // The file engine's prepared statement for the first statement of
    // `text`, kept per text so that a statement run again and again (a post
    // for every row) is compiled once. `reused` tells that it was compiled
    // before: it may need compiling again, which its first step does.
    // `single` refuses a text holding a second statement. Null for a text
    // without a statement. Throws Error. Give it back with releaseStatement.
    sqlite3_stmt *acquireStatement(const QString &text, bool single, bool &reused);
    // Back to the cache, reset and its values cleared; `failed` drops it,
    // as does a statement compiled when the cached one was in use.
    void releaseStatement(sqlite3_stmt *stmt, bool failed = false);

    // Asks the user for a server's password when ~/.pgpass or PGPASSFILE
    // holds none (the program's own dialog); unset, such a start fails.
    static void setPasswordPrompt(std::function<QString(const QString &address)> prompt);

    // Record sets register themselves so that close() can close them.
    void attach(RecordSet *rs);
    void detach(RecordSet *rs);

Q_SIGNALS:
    void connectedChanged(bool connected);

private:
    void watchServer();   // other desks' commits reach TableChanges
    void runCached(sqlite3_stmt *stmt);
    // Steps to the end, asking the busy prompt; `giveBack` finalizes or
    // returns the statement (failed: after an error) and says if that went well.
    void stepToEnd(sqlite3_stmt *stmt, const std::function<bool(bool failed)> &giveBack);
    void dropStatements();
    struct CachedStatement;
    std::vector<CachedStatement> m_statements;
    quint64 m_statementUse = 0;
    sqlite3 *m_db = nullptr;
    std::unique_ptr<PgSession> m_pg;
    QString m_version;
    QList<RecordSet *> m_recordSets;
    std::function<bool()> m_poll;
};

} // namespace zdb

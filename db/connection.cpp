#include "db/connection.h"

#include "db/dberror.h"
#include "db/pgsession.h"
#include "db/catalog.h"
#include "db/recordset.h"
#include "db/textmatch.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <sqlite3.h>

#include <cctype>

#include <cstring>

namespace zdb {

namespace {

const QString kMemory = QStringLiteral(":memory:");

// "systemnocase": only the letters A to Z fold; other bytes compare as they are.
int compareNoCase(void *, int n1, const void *p1, int n2, const void *p2)
{
    const auto *a = static_cast<const unsigned char *>(p1);
    const auto *b = static_cast<const unsigned char *>(p2);
    const int n = n1 < n2 ? n1 : n2;
    for (int i = 0; i < n; ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y + 32);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return n1 == n2 ? 0 : (n1 < n2 ? -1 : 1);
}

int compareBytes(void *, int n1, const void *p1, int n2, const void *p2)
{
    const int n = n1 < n2 ? n1 : n2;
    const int c = n > 0 ? std::memcmp(p1, p2, size_t(n)) : 0;
    if (c != 0)
        return c < 0 ? -1 : 1;
    return n1 == n2 ? 0 : (n1 < n2 ? -1 : 1);
}

// SQLite's answer when another connection holds the lock it needs.
bool isBusy(int rc)
{
    return (rc & 0xff) == SQLITE_BUSY;
}

bool hasExtension(const QString &name)
{
    const qsizetype sep = name.lastIndexOf(QDir::separator());
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > sep;
}

// Statements kept compiled per connection: enough for every statement a
// window posts or looks up, few enough to hold little memory.
constexpr size_t kCachedStatements = 64;

} // namespace

struct Connection::CachedStatement
{
    size_t hash;
    QString text;
    Encoding encoding;
    sqlite3_stmt *stmt;
    bool inUse;
    quint64 lastUse;
};

Connection::Connection(QObject *parent) : QObject(parent) {}

Connection::~Connection()
{
    close();
    // Record sets may outlive the connection; they must not call back into it.
    const QList<RecordSet *> sets = m_recordSets;
    for (RecordSet *rs : sets)
        rs->setConnection(nullptr);
}

void Connection::setPath(const QString &path)
{
    if (isServerAddress(path)) {
        defaultDir.clear();
        database = path.trimmed();
        return;
    }
    const QString native = QDir::toNativeSeparators(path.trimmed());
    const qsizetype sep = native.lastIndexOf(QDir::separator());
    if (sep < 0) {
        defaultDir.clear();
        database = native;
    } else {
        defaultDir = native.left(sep + 1);
        database = native.mid(sep + 1);
    }
}

QString Connection::fullPath() const
{
    QString name = database.trimmed();
    if (name.isEmpty())
        return QString();
    if (name == kMemory || isServerAddress(name))
        return name;
    if (!hasExtension(name)) {
        QString ext = defaultExt;
        if (!ext.isEmpty() && !ext.startsWith(QLatin1Char('.')))
            ext.prepend(QLatin1Char('.'));
        name += ext;
    }
    if (defaultDir.isEmpty())
        return name;   // a full path, or relative to the working folder
    QString dir = defaultDir;
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir + name;
}

void Connection::open()
{
    if (m_db)
        return;
    if (database.trimmed().isEmpty())
        throw Error(QStringLiteral("Missing database property"));
    if (isServerAddress(database)) {
        m_pg = std::make_unique<PgSession>(database, passwordAsker(database));
        // Another desk's lock is waited for as long as a file's, then the
        // same busy question is asked.
        m_pg->setBusyPrompt(&busyPrompt);
        if (timeOut > 0)
            m_pg->setLockTimeout(timeOut);
        if (m_poll)
            m_pg->setProgressPoll(m_poll);
        // The server keeps its texts in UTF-8 whatever the file databases use.
        encoding = Encoding::Utf8;
        m_version = m_pg->version();
        watchServer();
        Q_EMIT connectedChanged(true);
        return;
    }
    const QString path = fullPath();
    if (mustExist && path != kMemory && !QFileInfo::exists(path))
        throw Error(QStringLiteral("Database %1 does not exist").arg(path));

    m_version = QString::fromLatin1(sqlite3_libversion());

    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (!db || rc != SQLITE_OK) {
        // A handle that comes with an error is of no use; report the failure now
        // rather than at the first statement.
        if (db)
            sqlite3_close_v2(db);
        throw Error(QStringLiteral("Cannot open database"));
    }
    sqlite3_create_collation_v2(db, "systemnocase", SQLITE_UTF8, nullptr, compareNoCase, nullptr);
    sqlite3_create_collation_v2(db, "system", SQLITE_UTF8, nullptr, compareBytes, nullptr);
    registerTextMatch(db, &encoding);
    if (timeOut > 0)
        sqlite3_busy_timeout(db, timeOut);
    m_db = db;
    Q_EMIT connectedChanged(true);
}

void Connection::close()
{
    const QList<RecordSet *> sets = m_recordSets;
    for (RecordSet *rs : sets)
        rs->close();
    if (m_pg) {
        m_pg.reset();
        Q_EMIT connectedChanged(false);
        return;
    }
    if (!m_db)
        return;
    dropStatements();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    Q_EMIT connectedChanged(false);
}

void Connection::executeDirect(const QString &sql)
{
    if (!isConnected())
        open();
    if (m_pg) {
        m_pg->executeScript(sql);
        return;
    }
    // SQLite reads a text only up to a NUL: whatever stands behind one would
    // silently not run. NULs padding the end of a script file are harmless.
    const qsizetype nul = sql.indexOf(QChar(0));
    if (nul >= 0) {
        for (qsizetype i = nul; i < sql.size(); ++i)
            if (!sql[i].isNull() && !sql[i].isSpace())
                throw Error(QStringLiteral("Az SQL szöveg %1. karaktere 0 kódú; a szöveg nem futott le.").arg(nul + 1));
    }
    const QByteArray text = encode(sql);
    const char *p = text.constData();
    const char *end = p + text.size();
    while (p < end) {
        sqlite3_stmt *stmt = nullptr;
        const char *tail = nullptr;
        // -1: the text is NUL-terminated; a byte count would make SQLite copy
        // the whole remaining text for every statement (quadratic on scripts).
        if (sqlite3_prepare_v2(m_db, p, -1, &stmt, &tail) != SQLITE_OK) {
            const QString message = lastErrorMessage();
            sqlite3_finalize(stmt);
            throw Error(message);
        }
        // SQLite reads the text up to a NUL byte; when nothing was consumed the
        // rest lies behind one and would be retried without end.
        if (!tail || tail <= p)
            tail = end;
        p = tail;
        if (!stmt)
            continue;   // blanks or a comment
        runToEnd(stmt);
    }
}

void Connection::runToEnd(sqlite3_stmt *stmt)
{
    stepToEnd(stmt, [stmt](bool) { return sqlite3_finalize(stmt) == SQLITE_OK; });
}

void Connection::stepToEnd(sqlite3_stmt *stmt, const std::function<bool(bool failed)> &giveBack)
{
    int rc;
    for (;;) {
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        // A busy database has already been waited for up to the time-out; the
        // statement fails then instead of waiting without end, unless the
        // user asks for another try.
        if (!isBusy(rc) || !busyPrompt)
            break;
        const QString message = lastErrorMessage();
        if (!busyPrompt(message)) {
            giveBack(true);
            throw BusyDeclined(message);
        }
        sqlite3_reset(stmt);
    }
    if (rc != SQLITE_DONE) {
        const QString message = lastErrorMessage();
        giveBack(true);
        throw Error(message);
    }
    if (!giveBack(false))
        throw Error(lastErrorMessage());
}

void Connection::execute(const BoundSql &statement)
{
    if (!isConnected())
        open();
    if (m_pg) {
        m_pg->execute(statement);
        return;
    }
    bool reused = false;
    sqlite3_stmt *stmt = acquireStatement(statement.sql, true, reused);
    if (!stmt)
        throw Error(QStringLiteral("no statement to run"));
    try {
        BindAll(stmt, statement, encoding);
    } catch (...) {
        releaseStatement(stmt, true);
        throw;
    }
    runCached(stmt);
}

sqlite3_stmt *Connection::acquireStatement(const QString &sql, bool single, bool &reused)
{
    reused = false;
    // Looked up by the program's text: a statement run again is not encoded again.
    const size_t hash = qHash(sql);
    for (CachedStatement &c : m_statements) {
        if (c.hash == hash && !c.inUse && c.encoding == encoding && c.text == sql) {
            c.inUse = true;
            c.lastUse = ++m_statementUse;
            reused = true;
            return c.stmt;
        }
    }
    const QByteArray text = encode(sql);
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    // Kept compiled: SQLite is told so, and it compiles the statement again
    // by itself when the schema changed meanwhile.
    if (sqlite3_prepare_v3(m_db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &stmt, &tail)
        != SQLITE_OK) {
        const QString message = lastErrorMessage();
        sqlite3_finalize(stmt);
        throw Error(message);
    }
    if (!stmt)
        return nullptr;
    if (single) {
        for (const char *p = tail; p && p < text.constData() + text.size(); ++p) {
            if (*p != ';' && !std::isspace(static_cast<unsigned char>(*p))) {
                sqlite3_finalize(stmt);
                throw Error(QStringLiteral("Only one statement runs with bound values"));
            }
        }
    }
    if (m_statements.size() >= kCachedStatements) {
        // The longest unused makes room; with every one in use the new one
        // is not kept.
        auto oldest = m_statements.end();
        for (auto it = m_statements.begin(); it != m_statements.end(); ++it)
            if (!it->inUse && (oldest == m_statements.end() || it->lastUse < oldest->lastUse))
                oldest = it;
        if (oldest == m_statements.end())
            return stmt;
        sqlite3_finalize(oldest->stmt);
        m_statements.erase(oldest);
    }
    m_statements.push_back({hash, sql, encoding, stmt, true, ++m_statementUse});
    return stmt;
}

void Connection::releaseStatement(sqlite3_stmt *stmt, bool failed)
{
    if (!stmt)
        return;
    for (auto it = m_statements.begin(); it != m_statements.end(); ++it) {
        if (it->stmt != stmt)
            continue;
        if (failed) {
            m_statements.erase(it);
            break;
        }
        // Reset ends its read of the file; bound texts are not kept alive.
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        it->inUse = false;
        return;
    }
    sqlite3_finalize(stmt);
}

void Connection::dropStatements()
{
    // One still stepped by a cursor is finalized when the cursor gives it back.
    for (const CachedStatement &c : m_statements)
        if (!c.inUse)
            sqlite3_finalize(c.stmt);
    m_statements.clear();
}

void Connection::runCached(sqlite3_stmt *stmt)
{
    stepToEnd(stmt, [this, stmt](bool failed) {
        releaseStatement(stmt, failed);
        return true;
    });
}

void Connection::beginTransaction()
{
    executeDirect(QStringLiteral("begin transaction"));
}

void Connection::commit()
{
    executeDirect(QStringLiteral("commit"));
}

void Connection::rollback()
{
    executeDirect(QStringLiteral("rollback"));
}

namespace {

struct WrittenTables
{
    const Connection *connection;
    QStringList tables;
};

int collectWritten(void *user, int action, const char *table, const char *, const char *, const char *)
{
    if ((action == SQLITE_INSERT || action == SQLITE_UPDATE || action == SQLITE_DELETE) && table) {
        auto *w = static_cast<WrittenTables *>(user);
        const QString name = w->connection->decode(table, qsizetype(std::strlen(table))).toLower();
        // SQLite's own bookkeeping (sqlite_sequence, sqlite_master) is no table of ours.
        if (!name.startsWith(QLatin1String("sqlite_")) && !w->tables.contains(name))
            w->tables.append(name);
    }
    return SQLITE_OK;
}

int pollProgress(void *user)
{
    const auto *poll = static_cast<const std::function<bool()> *>(user);
    return (*poll)() ? 1 : 0;
}

} // namespace

QStringList Connection::tablesWrittenBy(const QString &sql) const
{
    if (m_pg) {
        const QString table = TableWrittenBy(sql).toLower();
        return table.isEmpty() ? QStringList() : QStringList{table};
    }
    if (!m_db)
        return {};
    WrittenTables written{this, {}};
    const QByteArray bytes = encode(sql);
    // The authorizer is told of every table the compiled program writes;
    // nothing is run.
    sqlite3_set_authorizer(m_db, collectWritten, &written);
    sqlite3_stmt *stmt = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, bytes.constData(), int(bytes.size()), &stmt, nullptr);
    sqlite3_finalize(stmt);
    sqlite3_set_authorizer(m_db, nullptr, nullptr);
    return rc == SQLITE_OK ? written.tables : QStringList();
}

void Connection::setProgressPoll(std::function<bool()> poll, int steps)
{
    m_poll = std::move(poll);
    if (m_pg) {
        m_pg->setProgressPoll(m_poll);
        return;
    }
    if (!m_db)
        return;
    if (m_poll)
        sqlite3_progress_handler(m_db, steps, pollProgress, &m_poll);
    else
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
}

bool Connection::inTransaction() const
{
    if (m_pg)
        return m_pg->inTransaction();
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}

QString Connection::lastErrorMessage() const
{
    if (!m_db)
        return QString();
    const char *msg = sqlite3_errmsg(m_db);
    // Every SQLite failure of the layer is reported through here.
    return sqliteErrorText(sqlite3_extended_errcode(m_db), decode(msg, qsizetype(std::strlen(msg))));
}

void Connection::attach(RecordSet *rs)
{
    if (rs && !m_recordSets.contains(rs))
        m_recordSets.append(rs);
}

void Connection::detach(RecordSet *rs)
{
    m_recordSets.removeAll(rs);
}

} // namespace zdb

#pragma once

// A throw-away program folder with a database made from the schema file, for
// the GUI and start-up tests.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>

#include <libpq-fe.h>
#include <sqlite3.h>

#include "db/codec.h"

namespace testenv {

// The window tests run on a file, or, registered a second time with
// ZENTAVO_TEST_ENGINE=server, on the test run's server: their "database
// path" is then its connection string, and what they read and write beside
// the program goes through libpq itself.
inline bool onServer()
{
    return qgetenv("ZENTAVO_TEST_ENGINE") == "server" && !qgetenv("ZENTAVO_TEST_PG").isEmpty();
}

inline bool isServerDatabase(const QString &db)
{
    return db.startsWith(QLatin1String("host=")) || db.startsWith(QLatin1String("postgres"));
}

// Every row of a query on a server: integers as int, texts as QString, NULL
// as an invalid QVariant; a failure is a test failure (rows empty).
inline QList<QVariantList> serverRows(const QString &address, const QString &sql, QString *error = nullptr)
{
    QList<QVariantList> rows;
    PGconn *c = PQconnectdb(address.toUtf8().constData());
    PQsetClientEncoding(c, "UTF8");
    PGresult *r = PQexec(c, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(r);
    if (status == PGRES_TUPLES_OK) {
        for (int i = 0; i < PQntuples(r); ++i) {
            QVariantList row;
            for (int j = 0; j < PQnfields(r); ++j) {
                const Oid type = PQftype(r, j);
                if (PQgetisnull(r, i, j))
                    row << QVariant();
                else if (type == 20 || type == 21 || type == 23)   // int8, int2, int4
                    row << QVariant(QByteArray(PQgetvalue(r, i, j)).toInt());
                else
                    row << QVariant(QString::fromUtf8(PQgetvalue(r, i, j), PQgetlength(r, i, j)));
            }
            rows << row;
        }
    } else if (status != PGRES_COMMAND_OK && error) {
        *error = QString::fromUtf8(PQerrorMessage(c));
    }
    PQclear(r);
    PQfinish(c);
    return rows;
}

inline QString sourceDir()
{
    const QString dir = QString::fromLocal8Bit(qgetenv("ZENTAVO_SOURCE_DIR"));
#ifdef ZENTAVO_SOURCE_DIR_DEFAULT
    // Run by hand, outside ctest.
    if (dir.isEmpty())
        return QStringLiteral(ZENTAVO_SOURCE_DIR_DEFAULT);
#endif
    return dir;
}

// Runs SQL on a database file the way another program would (Windows-1250 text).
inline void execSql(const QString &dbPath, const QString &sql)
{
    if (isServerDatabase(dbPath)) {
        QString error;
        serverRows(dbPath, sql, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        return;
    }
    sqlite3 *db = nullptr;
    QVERIFY(sqlite3_open(QFile::encodeName(dbPath).constData(), &db) == SQLITE_OK);
    // Like any program sharing the file, it waits a moment for a reader
    // (the program's search index reads the file at start).
    sqlite3_busy_timeout(db, 10000);
    char *error = nullptr;
    const int rc = sqlite3_exec(db, zdb::toCp1250(sql).constData(), nullptr, nullptr, &error);
    const QString message = error ? QString::fromUtf8(error) : QString();
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

inline QString schemaSql()
{
    QFile file(sourceDir() + QStringLiteral("/db/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// Makes a database with every table, empty.
inline void makeDatabase(const QString &dbPath)
{
    const QString schema = schemaSql();
    QVERIFY2(!schema.isEmpty(), "db/schema.sql not found (ZENTAVO_SOURCE_DIR)");
    execSql(dbPath, schema);
}

// The first column of the first row of a query, read the way another
// program would (Windows-1250 text); invalid for NULL or no row.
inline QVariant storedValue(const QString &dbPath, const QString &sql)
{
    if (isServerDatabase(dbPath)) {
        const QList<QVariantList> rows = serverRows(dbPath, sql);
        if (rows.isEmpty() || rows.first().isEmpty() || !rows.first().first().isValid())
            return {};
        return rows.first().first().toString();   // as the file's reader gives it: text
    }
    sqlite3 *db = nullptr;
    QVariant value;
    if (sqlite3_open(QFile::encodeName(dbPath).constData(), &db) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, zdb::toCp1250(sql).constData(), -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW && sqlite3_column_type(st, 0) != SQLITE_NULL)
            value = zdb::fromCp1250(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)), sqlite3_column_bytes(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return value;
}

// A second program holding the whole file locked (an open exclusive
// transaction) for as long as the object lives.
class FileLock
{
public:
    explicit FileLock(const QString &dbPath)
    {
        if (sqlite3_open(QFile::encodeName(dbPath).constData(), &m_db) == SQLITE_OK)
            m_locked = sqlite3_exec(m_db, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~FileLock()
    {
        if (m_locked)
            sqlite3_exec(m_db, "ROLLBACK;", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
    }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    bool locked() const { return m_locked; }

private:
    sqlite3 *m_db = nullptr;
    bool m_locked = false;
};

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace testenv

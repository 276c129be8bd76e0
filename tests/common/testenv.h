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

#include <sqlite3.h>

#include "db/codec.h"

namespace testenv {

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

// The data layer's SQL handling: named parameters with their literals, the
// first-statement cut and running a script statement by statement, on
// arbitrary text with ":name", quotes, "?", comments and NUL bytes.

#include "tests/fuzz/fuzzcheck.h"

#include "db/connection.h"
#include "db/dberror.h"
#include "db/recordset.h"

#include <QDate>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdint>

namespace {

// Only statements that stay inside the scratch database may run.
int authorize(void *, int action, const char *, const char *, const char *, const char *)
{
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_INDEX:
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_INDEX:
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_FUNCTION:
        return SQLITE_OK;   // load_extension is off in the library
    default:
        return SQLITE_DENY;
    }
}

QVariant valueFor(int k, const QString &text)
{
    switch (k % 4) {
    case 0: return text;
    case 1: return qlonglong(text.size()) - 3;
    case 2: return QDate(2000, 1, 1).addDays(text.size());
    default: return QVariant();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 4096)
        return 0;
    // The first part is the SQL text, the rest the parameter values.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype cut = bytes.indexOf('\x01');
    const QString sql = QString::fromUtf8(cut < 0 ? bytes : bytes.left(cut));
    const QString values = cut < 0 ? QStringLiteral("a'b:c?d") : QString::fromUtf8(bytes.mid(cut + 1));

    zdb::Query q(nullptr);
    q.setSql(sql);
    const QStringList names = q.paramNames();
    const QStringList parts = values.split(QLatin1Char('\x02'));
    for (int k = 0; k < names.size(); ++k)
        q.setParam(names.at(k), valueFor(k, parts.at(k % parts.size())));
    QString substituted;
    try {
        substituted = q.selectSql();
    } catch (const zdb::Error &) {
        return 0;   // no statement in the text: an error, as for the user
    }

    // Every parameter was replaced by its literal: a value's own ":x", "?"
    // or quote never becomes a parameter or SQL of its own.
    zdb::Query again(nullptr);
    again.setSql(substituted);
    FUZZ_CHECK(again.paramNames().isEmpty());
    for (const QString &name : names)
        FUZZ_CHECK(q.paramNames().contains(name));

    // Running the text statement by statement ends, with an error or without.
    static QTemporaryDir dir;
    static int n = 0;
    zdb::Connection conn;
    conn.setPath(dir.filePath(QStringLiteral("f%1.sqb").arg(++n % 4)));
    try {
        conn.open();
        // A scratch file: no need to wait for the disk.
        sqlite3_exec(conn.handle(), "PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY;", nullptr, nullptr, nullptr);
        sqlite3_set_authorizer(conn.handle(), authorize, nullptr);
        conn.executeDirect(QStringLiteral("DROP TABLE IF EXISTS t; CREATE TABLE t (a integer, b varchar(20));"));
        conn.executeDirect(substituted);
    } catch (const zdb::Error &) {
    }
    conn.close();
    return 0;
}

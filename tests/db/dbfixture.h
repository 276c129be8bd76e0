#pragma once

// A database file in a temporary folder, an open connection on it, and raw
// reads that bypass the record sets (to see exactly what was stored).

#include "db/connection.h"
#include "db/recordset.h"

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <cstring>

struct DbFixture
{
    QTemporaryDir dir;
    zdb::Connection conn;

    explicit DbFixture(zdb::Encoding encoding = zdb::Encoding::Standard)
    {
        conn.setPath(dir.filePath(QStringLiteral("test.sqb")));
        conn.encoding = encoding;
        conn.open();
    }

    QString path() const { return dir.filePath(QStringLiteral("test.sqb")); }

    void exec(const QString &sql) { conn.executeDirect(sql); }

    // Runs SQL through a second connection, as another program would.
    static void execOther(const QString &path, const QString &sql)
    {
        sqlite3 *other = nullptr;
        QVERIFY(sqlite3_open(path.toUtf8().constData(), &other) == SQLITE_OK);
        char *error = nullptr;
        const int rc = sqlite3_exec(other, sql.toUtf8().constData(), nullptr, nullptr, &error);
        const QString message = error ? QString::fromUtf8(error) : QString();
        sqlite3_free(error);
        sqlite3_close(other);
        QVERIFY2(rc == SQLITE_OK, qPrintable(message));
    }

    // The first column of the first row, as stored: bytes, or "<null>".
    QByteArray raw(const QByteArray &sql) const
    {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(conn.handle(), sql.constData(), -1, &st, nullptr);
        QByteArray out = "<no row>";
        if (st && sqlite3_step(st) == SQLITE_ROW) {
            if (sqlite3_column_type(st, 0) == SQLITE_NULL)
                out = "<null>";
            else
                out = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)),
                                 sqlite3_column_bytes(st, 0));
        }
        sqlite3_finalize(st);
        return out;
    }
};

// Records the record set's signals in order, as "name(arg)".
class SignalLog : public QObject
{
public:
    explicit SignalLog(zdb::RecordSet *rs)
    {
        using RS = zdb::RecordSet;
        auto add = [this](const char *name, int arg) {
            log.append(QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(arg));
        };
        connect(rs, &RS::aboutToReset, this, [this] { log.append(QStringLiteral("aboutToReset")); });
        connect(rs, &RS::reset, this, [this] { log.append(QStringLiteral("reset")); });
        connect(rs, &RS::currentChanged, this, [add](int r) { add("current", r); });
        connect(rs, &RS::modeChanged, this, [add](RS::Mode m) { add("mode", int(m)); });
        connect(rs, &RS::aboutToInsertRow, this, [add](int r) { add("aboutToInsert", r); });
        connect(rs, &RS::rowInserted, this, [add](int r) { add("inserted", r); });
        connect(rs, &RS::aboutToRemoveRow, this, [add](int r) { add("aboutToRemove", r); });
        connect(rs, &RS::rowRemoved, this, [add](int r) { add("removed", r); });
        connect(rs, &RS::rowChanged, this, [add](int r) { add("rowChanged", r); });
        connect(rs, &RS::fieldChanged, this, [add](int f) { add("field", f); });
    }
    QStringList take()
    {
        QStringList out = log;
        log.clear();
        return out;
    }
    QStringList log;
};

// Runs f, which must throw zdb::Error; gives its message ("<no error>" otherwise).
template <typename F>
QString errorOf(F &&f)
{
    try {
        f();
    } catch (const zdb::Error &e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

// The program over a PostgreSQL server, against the server's own tools on the
// same machine in the same run:
//   pg_list_open_100k  the 100,000-task list window opened (record set open,
//                      model reset, first paint), against psql's \copy of
//                      the window's SELECT to /dev/null
//   pg_migrate_100k    the 100,000-task file database copied to an empty
//                      server database (schema and rows, one transaction),
//                      against psql's \copy FROM of the same rows as CSV into
//                      the schema made beforehand
//   pg_import_50k      a 50,000-line customer file (half the codes present,
//                      half new) imported into 100,000 customers with the
//                      list's record set open, against a plain libpq loop
//                      doing the same writes (codes in a hash map, prepared
//                      UPDATE and INSERT, one transaction)
// Needs a server: ZENTAVO_BENCH_PG or ZENTAVO_TEST_PG names it, as
// `scripts/pgserver run` sets the latter. The task database on it is made
// once per server and kept.

#include "bench/common/benchkit.h"
#include "bench/common/customerdata.h"
#include "bench/common/tasklistbench.h"
#include "app/helpers/datagrid.h"
#include "db/connection.h"
#include "db/cursor.h"
#include "db/catalog.h"
#include "db/codec.h"
#include "db/dbcopy.h"
#include "db/recordset.h"
#include "db/serverschema.h"
#include "db/textfold.h"
#include "masterdata/csvload.h"
#include "scheduling/tasklist.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <libpq-fe.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using zbench::kRows;
constexpr int kRuns = 3;   // a copy through the search triggers takes about a minute

QString g_base;

QString addressOf(const QString &database)
{
    static const QRegularExpression dbname(QStringLiteral("dbname=\\S+"));
    QString address = g_base;
    address.replace(dbname, QStringLiteral("dbname=") + database);
    return address;
}

// An empty database of that name, made anew.
QString emptyDatabase(const QString &database)
{
    zdb::Connection admin;
    admin.setPath(g_base);
    admin.open();
    admin.executeDirect(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database));
    admin.executeDirect(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C.UTF-8'")
                            .arg(database));
    return addressOf(database);
}

qint64 rowCount(const QString &address, const QString &table)
{
    zdb::Connection db;
    db.setPath(address);
    try {
        db.open();
        auto c = db.query({QStringLiteral("SELECT count(*) FROM ") + table, {}, {}});
        return c->next() ? c->integer(0) : -1;
    } catch (const std::exception &) {
        return -1;
    }
}

void copyFile(const QString &file, const QString &address)
{
    zdb::Connection from, to;
    from.setPath(file);
    from.open();
    to.setPath(address);
    to.open();
    zdb::CopyDatabase(from, to, zdb::FileSchema());
}

void psql(const QString &address, const QString &command)
{
    QProcess p;
    p.start(QStringLiteral("psql"), {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
                                     QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-d"), address,
                                     QStringLiteral("-c"), command});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        zbench::fail(qPrintable(QStringLiteral("psql: ") + QString::fromLocal8Bit(p.readAllStandardError())));
}

void listOpen(const QString &dir)
{
    const QString address = addressOf(QStringLiteral("zentavo_bench_tasks"));
    if (rowCount(address, QStringLiteral("dolog3")) != kRows) {
        std::fprintf(stderr, "making the task database on the server ...\n");
        copyFile(zbench::taskDatabase(dir, zbench::TaskMix::OpenOnly), emptyDatabase(QStringLiteral("zentavo_bench_tasks")));
        zdb::Connection db;
        db.setPath(address);
        db.open();
        db.executeDirect(QStringLiteral("ANALYZE"));
    }
    zbench::TaskListBench bench(address);
    // One of each first: fonts, pictures and the server's cache are warm for both sides.
    Tfrm_Feladat *first = bench.openWindow(true);
    const QString select = bench.gridSelect(first->grid());
    delete first;
    const QString copy = QStringLiteral("\\copy (%1) TO '/dev/null'").arg(select);
    psql(address, copy);

    std::vector<double> ours, tool;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        Tfrm_Feladat *w = bench.openWindow(true);
        ours.push_back(zbench::msSince(t));
        if (bench.tasks().recordCount() != kRows || w->grid()->model()->rowCount() != kRows)
            zbench::fail("pg_list_open_100k: the window does not show every open task");
        delete w;

        t.start();
        psql(address, copy);
        tool.push_back(zbench::msSince(t));
    }
    zbench::report("pg_list_open_100k", ours, tool);
}

void migrate(const QString &dir)
{
    const QString file = zbench::taskDatabase(dir, zbench::TaskMix::Mixed);
    // The same rows as CSV, as the sqlite3 shell writes them (Windows-1250).
    const QString csv = QDir(dir).filePath(QStringLiteral("tasks_100k.csv"));
    if (!zbench::runSqliteShell({QStringLiteral("-csv"), file, QStringLiteral("SELECT * FROM dolog3")}, csv))
        zbench::fail("pg_migrate_100k: the sqlite3 shell failed");
    // The file's columns by name: its table may hold them in another order.
    QStringList columns;
    {
        zdb::Connection db;
        db.setPath(file);
        db.open();
        auto c = db.query({QStringLiteral("SELECT * FROM dolog3 LIMIT 0"), {}, {}});
        for (int i = 0; i < c->columnCount(); ++i)
            columns << QString::fromLatin1(c->columnName(i));
    }
    const QString target = QStringLiteral("zentavo_bench_copy");
    std::vector<double> ours, tool;
    for (int run = 0; run < kRuns; ++run) {
        for (int side = run % 2, n = 0; n < 2; ++n, side ^= 1) {   // each side takes each place in turn
            const QString address = emptyDatabase(target);
            QElapsedTimer t;
            if (side == 0) {
                t.start();
                copyFile(file, address);
                ours.push_back(zbench::msSince(t));
            } else {
                {
                    zdb::Connection db;
                    db.setPath(address);
                    db.open();
                    db.executeDirect(zdb::serverSchema(zdb::FileSchema()));
                }
                t.start();
                psql(address, QStringLiteral("\\copy dolog3 (%1) FROM '%2' WITH (FORMAT csv, ENCODING 'WIN1250')")
                                      .arg(columns.join(QStringLiteral(", ")), csv));
                tool.push_back(zbench::msSince(t));
            }
            if (rowCount(address, QStringLiteral("dolog3")) != kRows)
                zbench::fail("pg_migrate_100k: wrong row count");
        }
    }
    zbench::report("pg_migrate_100k", ours, tool);
}

// A database made from `from` (kept on the server) by the server's own copy.
QString cloneDatabase(const QString &from, const QString &database)
{
    zdb::Connection admin;
    admin.setPath(g_base);
    admin.open();
    admin.executeDirect(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database));
    admin.executeDirect(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(database, from));
    return addressOf(database);
}

void plainImport(const QString &address, const QString &csvPath)
{
    QFile f(csvPath);
    if (!f.open(QIODevice::ReadOnly))
        zbench::fail("cannot read the CSV file");
    const QByteArray bytes = zdb::fromCp1250(f.readAll()).toUtf8();
    PGconn *db = PQconnectdb(address.toUtf8().constData());
    if (PQstatus(db) != CONNECTION_OK)
        zbench::fail(PQerrorMessage(db));
    PQsetClientEncoding(db, "UTF8");
    const auto run = [db](PGresult *r) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
            zbench::fail(PQresultErrorMessage(r));
        return r;
    };
    PQclear(run(PQexec(db, "BEGIN")));
    std::unordered_map<std::string, long long> codes;
    PGresult *r = run(PQexec(db, "SELECT ugyfelkod, ugyfel FROM ugyfel"));
    for (int i = 0; i < PQntuples(r); ++i)
        codes.emplace(PQgetvalue(r, i, 0), std::strtoll(PQgetvalue(r, i, 1), nullptr, 10));
    PQclear(r);
    r = run(PQexec(db, "SELECT max(ugyfel) FROM ugyfel"));
    long long nextId = std::strtoll(PQgetvalue(r, 0, 0), nullptr, 10) + 1;
    PQclear(r);
    PQclear(run(PQprepare(db, "upd",
                          "UPDATE ugyfel SET ugyfel_nev=$1, kapcsolattarto=$2, telefon=$3, emil=$4, varos=$5, cim=$6,"
                          " ugyfel_nevs=$7, kapcsolattartos=$8 WHERE ugyfel=$9",
                          9, nullptr)));
    PQclear(run(PQprepare(db, "ins",
                          "INSERT INTO ugyfel (ugyfel_nev, kapcsolattarto, telefon, emil, varos, cim, ugyfel_nevs,"
                          " kapcsolattartos, ugyfel, ugyfelkod, vanmegj) VALUES ($1,$2,$3,$4,$5,$6,$7,$8,$9,$10,'N')",
                          10, nullptr)));
    const auto sortKey = [](const std::string &text) {
        return zdb::foldSortKey(QString::fromUtf8(text.data(), qsizetype(text.size())).left(20)).toUtf8();
    };
    const char *p = bytes.constData();
    const char *end = p + bytes.size();
    p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p))) + 1;   // the header
    while (p < end) {
        const char *eol = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *lineEnd = eol ? eol : end;
        std::string cells[7];
        const char *c = p;
        for (int i = 0; i < 7; ++i) {
            const char *sep = static_cast<const char *>(std::memchr(c, i < 6 ? ';' : '\r', size_t(lineEnd - c)));
            if (!sep)
                sep = lineEnd;
            cells[i].assign(c, size_t(sep - c));
            c = sep + 1;
        }
        const auto found = codes.find(cells[0]);
        const QByteArray nameKey = sortKey(cells[1]), contactKey = sortKey(cells[2]);
        const std::string id = std::to_string(found != codes.end() ? found->second : nextId);
        const char *values[10] = {cells[1].c_str(), cells[2].c_str(), cells[3].c_str(), cells[4].c_str(),
                                  cells[5].c_str(), cells[6].c_str(), nameKey.constData(), contactKey.constData(),
                                  id.c_str(), cells[0].c_str()};
        if (found != codes.end()) {
            PQclear(run(PQexecPrepared(db, "upd", 9, values, nullptr, nullptr, 0)));
        } else {
            PQclear(run(PQexecPrepared(db, "ins", 10, values, nullptr, nullptr, 0)));
            codes.emplace(cells[0], nextId++);
        }
        p = lineEnd + 1;
    }
    PQclear(run(PQexec(db, "COMMIT")));
    PQfinish(db);
}

void import(const QString &dir)
{
    const QString kept = QStringLiteral("zentavo_bench_customers");
    if (rowCount(addressOf(kept), QStringLiteral("ugyfel")) != zbench::kCustomers) {
        std::fprintf(stderr, "making the customer database on the server ...\n");
        copyFile(zbench::customerTemplate(dir), emptyDatabase(kept));
    }
    const QString csv = zbench::customerFile(dir);
    const QString work = QStringLiteral("zentavo_bench_import");
    std::vector<double> ours, plain;
    for (int run = 0; run < kRuns; ++run) {
        for (int side = run % 2, n = 0; n < 2; ++n, side ^= 1) {   // each side takes each place in turn
            const QString address = cloneDatabase(kept, work);
            QElapsedTimer t;
            if (side == 0) {
                zdb::Connection conn;
                conn.setPath(address);
                conn.open();
                zdb::Table tbl(&conn);
                zdb::UseCatalogue(tbl, QStringLiteral("ugyfel"));
                tbl.setOrder(QStringLiteral("ugyfel_nevs"));
                tbl.open();
                t.start();
                QFile f(csv);
                if (!f.open(QIODevice::ReadOnly))
                    zbench::fail("cannot read the CSV file");
                const csvimport::FileLines lines(f.readAll());
                const csvimport::Outcome outcome = csvimport::Load(
                    tbl, csvimport::CustomerImport(), csvimport::ColumnsFromHeader(lines.line(0)), lines, {});
                ours.push_back(zbench::msSince(t));
                if (!outcome.error.isEmpty() || outcome.inserted != zbench::kLines / 2
                    || outcome.updated != zbench::kLines / 2)
                    zbench::fail(qPrintable(QStringLiteral("pg_import_50k: wrong result ") + outcome.error));
            } else {
                t.start();
                plainImport(address, csv);
                plain.push_back(zbench::msSince(t));
            }
            if (rowCount(address, QStringLiteral("ugyfel")) != zbench::kCustomers + zbench::kLines / 2)
                zbench::fail("pg_import_50k: wrong row count");
        }
    }
    zbench::report("pg_import_50k", ours, plain);
}

} // namespace

int main(int argc, char **argv)
{
    zbench::preferOffscreen();
    QApplication app(argc, argv);
    g_base = qEnvironmentVariable("ZENTAVO_BENCH_PG");
    if (g_base.isEmpty())
        g_base = qEnvironmentVariable("ZENTAVO_TEST_PG");
    if (g_base.isEmpty()) {
        std::printf("pg_list_open_100k, pg_migrate_100k, pg_import_50k: skipped (no server; run under scripts/pgserver run)\n");
        return 0;
    }
    const QString dir = zbench::dataDir(argc, argv);
    try {
        // ZENTAVO_BENCH_ONLY=<name> runs that one alone (each takes minutes).
        const QString only = qEnvironmentVariable("ZENTAVO_BENCH_ONLY");
        if (only.isEmpty() || only == QLatin1String("pg_list_open_100k"))
            listOpen(dir);
        if (only.isEmpty() || only == QLatin1String("pg_migrate_100k"))
            migrate(dir);
        if (only.isEmpty() || only == QLatin1String("pg_import_50k"))
            import(dir);
    } catch (const std::exception &e) {
        zbench::fail(e.what());
    }
    return 0;
}

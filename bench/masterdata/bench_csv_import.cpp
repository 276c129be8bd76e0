// The CSV import at scale: a 50,000-line customer file (half the codes
// present, half new) into 100,000 customers with the list's record set open,
// against the sqlite3 shell's .import of the same file into an empty table.
// Timed: reading the file and the whole load, the list's one refresh
// included. Also printed: the peak memory the import adds, against twice the
// file's size plus what the list itself grows by; and the same writes done
// by a plain C loop (the file split by hand, codes in a hash map, prepared
// statements in one transaction), against the import and against the shell:
// the floor the table's four indexes put under any import, and the memory
// that loop takes against the same limit without a list. Last, the sqlite3
// shell itself doing the same writes by SQL (the file imported into a
// temporary table, then one UPDATE and one INSERT), against its own .import:
// what SQLite alone needs for them, without any program around it.

#include "bench/common/benchkit.h"
#include "bench/common/customerdata.h"
#include "app/helpers/core/common.h"
#include "db/catalog.h"
#include "db/codec.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "db/textfold.h"
#include "masterdata/csvload.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kRuns = 5;
using zbench::kCustomers;
using zbench::kLines;
using zbench::customerTemplate;
using zbench::customerFile;

QString freshCopy(const QString &from, const QString &dir)
{
    const QString to = QDir(dir).filePath(QStringLiteral("customers_work.sqb"));
    QFile::remove(to);
    if (!QFile::copy(from, to))
        zbench::fail("cannot copy the database");
    return to;
}

// The customer list's record set as the list window holds it.
void openList(zdb::Table &tbl)
{
    zdb::UseCatalogue(tbl, QStringLiteral("ugyfel"));
    tbl.setOrder(QStringLiteral("ugyfel_nevs"));
    tbl.open();
}

csvimport::Outcome importFile(zdb::Table &tbl, const QString &csvPath)
{
    QFile f(csvPath);
    if (!f.open(QIODevice::ReadOnly))
        zbench::fail("cannot read the CSV file");
    const csvimport::FileLines lines(f.readAll());
    const QList<csvimport::Column> columns = csvimport::ColumnsFromHeader(lines.line(0));
    return csvimport::Load(tbl, csvimport::CustomerImport(), columns, lines, {});
}


// The same work without the program: split the file, find each code in a
// hash map of the table's codes, update the present rows' seven columns and
// sort keys or insert a new row with the next identifier, one transaction.
void plainImport(const QString &dbPath, const QString &csvPath)
{
    QFile f(csvPath);
    if (!f.open(QIODevice::ReadOnly))
        zbench::fail("cannot read the CSV file");
    const QByteArray bytes = f.readAll();
    sqlite3 *db = nullptr;
    zbench::check(sqlite3_open(QFile::encodeName(dbPath).constData(), &db), db, "open");
    zbench::check(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db, "begin");
    std::unordered_map<std::string, sqlite3_int64> codes;
    sqlite3_stmt *st = nullptr;
    zbench::check(sqlite3_prepare_v2(db, "select ugyfelkod, rowid from ugyfel", -1, &st, nullptr), db, "prepare");
    while (sqlite3_step(st) == SQLITE_ROW) {
        const char *code = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
        codes.emplace(code ? code : "", sqlite3_column_int64(st, 1));
    }
    sqlite3_finalize(st);
    zbench::check(sqlite3_prepare_v2(db, "select max(ugyfel) from ugyfel", -1, &st, nullptr), db, "prepare");
    sqlite3_step(st);
    int nextId = sqlite3_column_int(st, 0) + 1;
    sqlite3_finalize(st);
    sqlite3_stmt *upd = nullptr, *ins = nullptr;
    zbench::check(sqlite3_prepare_v2(db,
                                     "update ugyfel set ugyfel_nev=?, kapcsolattarto=?, telefon=?, emil=?, varos=?, cim=?,"
                                     " ugyfel_nevs=?, kapcsolattartos=? where rowid=?",
                                     -1, &upd, nullptr),
                  db, "prepare");
    zbench::check(sqlite3_prepare_v2(db,
                                     "insert into ugyfel (ugyfel_nev, kapcsolattarto, telefon, emil, varos, cim, ugyfel_nevs,"
                                     " kapcsolattartos, ugyfel, ugyfelkod, vanmegj) values (?,?,?,?,?,?,?,?,?,?,'N')",
                                     -1, &ins, nullptr),
                  db, "prepare");
    const auto sortKey = [](const char *p, size_t n) {
        return zdb::toCp1250(zdb::foldSortKey(zdb::fromCp1250(p, qsizetype(n)).left(20)));
    };
    const char *p = bytes.constData();
    const char *end = p + bytes.size();
    p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p))) + 1;   // the header
    while (p < end) {
        const char *eol = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *lineEnd = eol ? eol : end;
        const char *cells[7];
        size_t sizes[7];
        const char *c = p;
        for (int i = 0; i < 7; ++i) {
            const char *sep = static_cast<const char *>(std::memchr(c, i < 6 ? ';' : '\r', size_t(lineEnd - c)));
            if (!sep)
                sep = lineEnd;
            cells[i] = c;
            sizes[i] = size_t(sep - c);
            c = sep + 1;
        }
        const auto found = codes.find(std::string(cells[0], sizes[0]));
        sqlite3_stmt *w = found != codes.end() ? upd : ins;
        for (int i = 1; i < 7; ++i)
            sqlite3_bind_text(w, i, cells[i], int(sizes[i]), SQLITE_STATIC);
        const QByteArray nameKey = sortKey(cells[1], sizes[1]);
        const QByteArray contactKey = sortKey(cells[2], sizes[2]);
        sqlite3_bind_text(w, 7, nameKey.constData(), int(nameKey.size()), SQLITE_STATIC);
        sqlite3_bind_text(w, 8, contactKey.constData(), int(contactKey.size()), SQLITE_STATIC);
        if (found != codes.end()) {
            sqlite3_bind_int64(w, 9, found->second);
        } else {
            sqlite3_bind_int(w, 9, nextId++);
            sqlite3_bind_text(w, 10, cells[0], int(sizes[0]), SQLITE_STATIC);
        }
        zbench::check(sqlite3_step(w), db, "write");
        sqlite3_reset(w);
        if (found == codes.end())
            codes.emplace(std::string(cells[0], sizes[0]), sqlite3_last_insert_rowid(db));
        p = lineEnd + 1;
    }
    sqlite3_finalize(upd);
    sqlite3_finalize(ins);
    zbench::check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

// The same writes by the sqlite3 shell: the file into a temporary table, the
// present codes updated and the new ones inserted by SQL in one transaction.
// The sort keys are cut from upper() here: the same index upkeep, a cheaper
// fold than the program's.
bool shellUpsert(const QString &dbPath, const QString &csvPath, const QString &outFile)
{
    const QString keys = QStringLiteral("substr(upper(%1.ugyfel_nev),1,20), substr(upper(%1.kapcsolattarto),1,20)");
    return zbench::runSqliteShell(
        {dbPath, QStringLiteral(".mode csv"), QStringLiteral(".separator ;"),
         QStringLiteral("create temp table t(ugyfelkod, ugyfel_nev, kapcsolattarto, telefon, emil, varos, cim)"),
         QStringLiteral(".import --skip 1 '%1' t").arg(csvPath), QStringLiteral("begin"),
         QStringLiteral("update ugyfel set ugyfel_nev=t.ugyfel_nev, kapcsolattarto=t.kapcsolattarto, telefon=t.telefon,"
                        " emil=t.emil, varos=t.varos, cim=t.cim, (ugyfel_nevs, kapcsolattartos) = (%1)"
                        " from t where ugyfel.ugyfelkod = t.ugyfelkod")
             .arg(keys.arg(QStringLiteral("t"))),
         QStringLiteral("insert into ugyfel (ugyfel, ugyfelkod, ugyfel_nev, kapcsolattarto, telefon, emil, varos, cim,"
                        " vanmegj, ugyfel_nevs, kapcsolattartos)"
                        " select (select max(ugyfel) from ugyfel) + t.rowid, t.ugyfelkod, t.ugyfel_nev, t.kapcsolattarto,"
                        " t.telefon, t.emil, t.varos, t.cim, 'N', %1 from t"
                        " where not exists (select 1 from ugyfel u where u.ugyfelkod = t.ugyfelkod)")
             .arg(keys.arg(QStringLiteral("t"))),
         QStringLiteral("commit"), QStringLiteral("select count(*) from ugyfel")},
        outFile);
}

} // namespace

int main(int argc, char **argv)
{
    if (!zbench::haveSqliteShell())
        return 1;
    const QString dir = zbench::dataDir(argc, argv);
    const QString base = customerTemplate(dir);
    const QString csv = customerFile(dir);
    const double fileMb = double(QFileInfo(csv).size()) / (1024.0 * 1024.0);
    const QString shellDb = QDir(dir).filePath(QStringLiteral("csv_import_shell.sqb"));
    const QString shellOut = QDir(dir).filePath(QStringLiteral("csv_import_shell.out"));

    // Memory first, while this process is still small: what the import adds
    // with the list open, against twice the file plus what the list itself
    // grows by. Each list is opened in a child of this small process, so
    // that memory freed earlier does not hide part of it.
    const QString imported = QDir(dir).filePath(QStringLiteral("customers_imported.sqb"));
    QFile::remove(imported);
    zbench::peakMb([&] {
        zdb::Connection conn;
        conn.setPath(freshCopy(base, dir));
        conn.open();
        zdb::Table tbl(&conn);
        openList(tbl);
        importFile(tbl, csv);
    });
    if (!QFile::rename(QDir(dir).filePath(QStringLiteral("customers_work.sqb")), imported))
        zbench::fail("cannot keep the imported database");
    const auto listMb = [&](const QString &path) {
        return zbench::peakMb([&] {
            zdb::Connection conn;
            conn.setPath(path);
            conn.open();
            zdb::Table tbl(&conn);
            openList(tbl);
        });
    };
    const double listBeforeMb = listMb(base);
    const double listAfterMb = listMb(imported);
    QFile::remove(imported);
    const QString plainWork = freshCopy(base, dir);
    const double plainMb = zbench::peakMb([&] { plainImport(plainWork, csv); });
    double importMb = 0;
    {
        zdb::Connection conn;
        conn.setPath(freshCopy(base, dir));
        conn.open();
        zdb::Table tbl(&conn);
        openList(tbl);
        importMb = zbench::peakMb([&] { importFile(tbl, csv); });
    }

    std::vector<double> ours, shell, plain, shellWrites;
    for (int run = 0; run < kRuns; ++run) {
        for (int step = 0; step < 4; ++step) {
            const int side = (step + run) % 4;   // each side takes each place in turn
            QElapsedTimer timer;
            if (side == 0) {
                zdb::Connection conn;
                conn.setPath(freshCopy(base, dir));
                conn.open();
                zdb::Table tbl(&conn);
                openList(tbl);
                timer.start();
                const csvimport::Outcome outcome = importFile(tbl, csv);
                ours.push_back(zbench::msSince(timer));
                if (!outcome.error.isEmpty() || outcome.inserted != kLines / 2 || outcome.updated != kLines / 2
                    || tbl.recordCount() != kCustomers + kLines / 2)
                    zbench::fail("csv_import_50k: wrong result");
            } else if (side == 1) {
                const QString work = freshCopy(base, dir);
                timer.start();
                plainImport(work, csv);
                plain.push_back(zbench::msSince(timer));
            } else if (side == 2) {
                const QString work = freshCopy(base, dir);
                timer.start();
                if (!shellUpsert(work, csv, shellOut))
                    zbench::fail("sqlite3 failed");
                shellWrites.push_back(zbench::msSince(timer));
                QFile out(shellOut);
                if (!out.open(QIODevice::ReadOnly) || out.readAll().trimmed().toInt() != kCustomers + kLines / 2)
                    zbench::fail("csv_import_50k_shell_upsert: wrong result");
            } else {
                QFile::remove(shellDb);
                timer.start();
                if (!zbench::runSqliteShell({QStringLiteral("-csv"), QStringLiteral("-separator"), QStringLiteral(";"),
                                             shellDb, QStringLiteral(".import '%1' ugyfel").arg(csv)},
                                            shellOut))
                    zbench::fail("sqlite3 failed");
                shell.push_back(zbench::msSince(timer));
            }
        }
    }
    QFile::remove(shellDb);
    QFile::remove(shellOut);
    QFile::remove(QDir(dir).filePath(QStringLiteral("customers_work.sqb")));
    zbench::report("csv_import_50k", ours, shell);
    zbench::report("csv_import_50k_vs_c_loop", ours, plain);
    zbench::report("csv_import_50k_c_loop_vs_shell", plain, shell);
    zbench::report("csv_import_50k_shell_upsert_vs_shell", shellWrites, shell);
    std::fprintf(stderr, "list before %.1f MB, after %.1f MB, file %.1f MB\n", listBeforeMb, listAfterMb, fileMb);
    zbench::report("csv_import_50k_rss", importMb, 2 * fileMb + qMax(0.0, listAfterMb - listBeforeMb));
    zbench::report("csv_import_50k_rss_c_loop", plainMb, 2 * fileMb);
    return 0;
}

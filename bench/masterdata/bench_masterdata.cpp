// The customer windows against plain C loops over the same SQLite work:
//   customer_list_open_100k  creating the customer list over 100,000 customers
//                            (record set open, model reset, first paint) against
//                            stepping the same SELECT and copying every cell
//   customer_rename_100k     rewriting a customer's name into its 20,000 of
//                            100,000 tasks and 20,000 of 100,000 calendar
//                            entries against the same two UPDATEs, prepared,
//                            bound and stepped by hand
//   related_tasks_10k        opening a customer's related tasks over 10,000
//                            linked open tasks against the same SELECT copied

#include "bench/common/benchkit.h"

#include "masterdata/customerlist.h"
#include "masterdata/masterlist.h"
#include "masterdata/related.h"

#include "app/helpers/appcore.h"
#include "app/helpers/core/common.h"
#include "app/helpers/datagrid.h"
#include "db/codec.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "scheduling/entries.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <sqlite3.h>

#include <functional>
#include <vector>

namespace {

using zbench::kRows;
constexpr int kRuns = 7;
constexpr int kRenamed = 777;    // linked to every fifth task and calendar entry
constexpr int kRelated = 888;    // linked to every tenth task (+1), all open
constexpr int kDataVersion = 1;

const char *const kNames[] = {"Kovács", "Ásvány", "Bodnár", "Őrség", "Cserép", "Szabó", "Tóth", "Élő", "Nagy", "Varga"};
const char *const kKinds[] = {"Kft.", "Bt.", "Zrt.", "és Társa", "Ügyvédi Iroda"};

void exec(sqlite3 *db, const QString &sql, const char *what)
{
    zbench::check(sqlite3_exec(db, zdb::toCp1250(sql).constData(), nullptr, nullptr, nullptr), db, what);
}

bool upToDate(const QString &path)
{
    if (!QFile::exists(path))
        return false;
    try {
        zdb::Connection c;
        c.setPath(path);
        c.open();
        zdb::Query q(&c, QStringLiteral("select (select count(*) from ugyfel) as customers, (select count(*) from dolog1)"
                                        " as entries, (select user_version from pragma_user_version) as version"));
        q.open();
        return q.value(QStringLiteral("customers")).toInt() == kRows && q.value(QStringLiteral("entries")).toInt() == kRows
            && q.value(QStringLiteral("version")).toInt() == 1000 + kDataVersion;
    } catch (const zdb::Error &) {
        return false;
    }
}

// The task database with 100,000 customers and 100,000 calendar entries added.
QString masterDatabase(const QString &dir)
{
    const QString path = dir + QStringLiteral("/masterdata-100k.sqb");
    if (upToDate(path))
        return path;
    const QString tasks = zbench::taskDatabase(dir, zbench::TaskMix::Mixed);
    QFile::remove(path);
    if (!QFile::copy(tasks, path))
        zbench::fail("copy of the task database");
    sqlite3 *db = nullptr;
    zbench::check(sqlite3_open(QFile::encodeName(path).constData(), &db), db, "open");
    exec(db, QStringLiteral("begin"), "begin");
    sqlite3_stmt *st = nullptr;
    zbench::check(sqlite3_prepare_v2(db,
                                     "insert into ugyfel (ugyfel, ugyfelkod, ugyfel_nev, kapcsolattarto, telefon, emil,"
                                     " varos, vanmegj, ugyfel_nevs, kapcsolattartos) values (?,?,?,?,?,?,?,?,?,?)",
                                     -1, &st, nullptr),
                  db, "prepare");
    unsigned seed = 12345;
    auto below = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % unsigned(n));
    };
    for (int i = 1; i <= kRows; ++i) {
        const QString name = QString::fromUtf8(kNames[below(10)]) + QLatin1Char(' ') + QString::fromUtf8(kKinds[below(5)])
            + QStringLiteral(" %1").arg(below(100000));
        const QString contact = QString::fromUtf8(kNames[below(10)]) + QStringLiteral(" Anna");
        const QByteArray cells[] = {zdb::toCp1250(name), zdb::toCp1250(contact),
                                    QByteArray("+36 1 ") + QByteArray::number(1000000 + i),
                                    QByteArray("iroda") + QByteArray::number(i) + "@pelda.hu", zdb::toCp1250(QStringLiteral("Győr")),
                                    QByteArray(below(3) ? "N" : "I"), zdb::toCp1250(SortKeyOf(name.left(20))),
                                    zdb::toCp1250(SortKeyOf(contact.left(20)))};
        sqlite3_bind_int(st, 1, i);
        sqlite3_bind_int(st, 2, i);
        for (int c = 0; c < 8; ++c)
            sqlite3_bind_text(st, 3 + c, cells[c].constData(), int(cells[c].size()), SQLITE_STATIC);
        zbench::check(sqlite3_step(st), db, "insert");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    exec(db, QStringLiteral("insert into dolog1 (dolog1, datum, datumstr, ora, rovid, leiras, ugyfel, ugyfel_nev, termek,"
                            " termek_nev, projekt, projekt_nev, fontos, fileban, dat_kesz, kesz, rovids, ugyfel_nevs,"
                            " termek_nevs, projekt_nevs) select dolog3, datum, replace(datum, '-', ''), dolog3 % 24, rovid,"
                            " leiras, ugyfel, ugyfel_nev, termek, termek_nev, projekt, projekt_nev, fontos, fileban, dat_kesz,"
                            " kesz, rovids, ugyfel_nevs, termek_nevs, projekt_nevs from dolog3"),
         "calendar");
    const QString renamed = QStringLiteral("set ugyfel=%1, ugyfel_nev='Régi Név Kft.' where %2 % 5 = 0").arg(kRenamed);
    exec(db, QStringLiteral("update dolog3 ") + renamed.arg(QStringLiteral("dolog3")), "link tasks");
    exec(db, QStringLiteral("update dolog1 ") + renamed.arg(QStringLiteral("dolog1")), "link entries");
    exec(db, QStringLiteral("update dolog3 set ugyfel=%1, kesz='N' where dolog3 % 10 = 1").arg(kRelated), "related");
    exec(db, QStringLiteral("pragma user_version=%1").arg(1000 + kDataVersion), "version");
    exec(db, QStringLiteral("commit"), "commit");
    sqlite3_close(db);
    return path;
}

// Opening a window (made, shown and painted by `open`) against the plain
// loop over the SELECT its record set runs; `rows` is what it must list.
template<class W>
void measureOpen(const char *name, sqlite3 *plainDb, std::size_t rows, const std::function<W *()> &open,
                 const std::function<zdb::RecordSet *(W *)> &recordSet)
{
    // One of each first: fonts, pictures and the file cache are warm for both sides.
    W *w = open();
    const QByteArray sql = Db1()->encode(recordSet(w)->selectSql());
    delete w;
    zbench::plainLoadCount(plainDb, sql);

    std::vector<double> ours, plain;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        w = open();
        ours.push_back(zbench::msSince(t));
        if (std::size_t(recordSet(w)->recordCount()) != rows)
            zbench::fail("the window does not list every row");
        delete w;

        t.start();
        if (zbench::plainLoadCount(plainDb, sql) != rows)
            zbench::fail("the plain loop read a wrong row count");
        plain.push_back(zbench::msSince(t));
    }
    zbench::report(name, ours, plain);
}

void customerListOpen(sqlite3 *plainDb)
{
    measureOpen<Tfrm_Ugyfel>(
        "customer_list_open_100k", plainDb, kRows,
        [] {
            auto *w = new Tfrm_Ugyfel;
            w->resize(1000, 600);
            w->show();
            w->grab();
            return w;
        },
        [](Tfrm_Ugyfel *w) -> zdb::RecordSet * { return w->table(); });
}

// The same two statements by hand: prepared, bound, stepped.
void plainRename(sqlite3 *db, const QString &name)
{
    const QByteArray nev = zdb::toCp1250(name);
    const QByteArray nevs = zdb::toCp1250(SortKeyOf(name.left(20)));
    for (const char *sql : {"UPDATE dolog3 SET ugyfel_nev=?, ugyfel_nevs=? WHERE ugyfel=?",
                            "UPDATE dolog1 SET ugyfel_nev=?, ugyfel_nevs=? WHERE ugyfel=?"}) {
        sqlite3_stmt *st = nullptr;
        zbench::check(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), db, "prepare");
        sqlite3_bind_text(st, 1, nev.constData(), int(nev.size()), SQLITE_STATIC);
        sqlite3_bind_text(st, 2, nevs.constData(), int(nevs.size()), SQLITE_STATIC);
        sqlite3_bind_int(st, 3, kRenamed);
        zbench::check(sqlite3_step(st), db, "update");
        sqlite3_finalize(st);
    }
}

int linkedRows(sqlite3 *db, const char *table, const QString &name)
{
    const QByteArray sql = QByteArray("select count(*) from ") + table + " where ugyfel=" + QByteArray::number(kRenamed)
        + " and ugyfel_nev='" + zdb::toCp1250(name) + "'";
    sqlite3_stmt *st = nullptr;
    zbench::check(sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr), db, "count");
    zbench::check(sqlite3_step(st), db, "count");
    const int n = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return n;
}

void customerRename(sqlite3 *plainDb)
{
    std::vector<double> ours, plain;
    for (int run = 0; run < kRuns; ++run) {
        const QString name = QStringLiteral("Új Név %1 Kft.").arg(run);
        QElapsedTimer t;
        t.start();
        RewriteCopiedName(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nev"), kRenamed, name);
        ours.push_back(zbench::msSince(t));
        if (linkedRows(plainDb, "dolog3", name) != kRows / 5 || linkedRows(plainDb, "dolog1", name) != kRows / 5)
            zbench::fail("customer_rename_100k: the name did not reach every linked row");

        const QString plainName = QStringLiteral("Kézi Név %1 Bt.").arg(run);
        t.start();
        plainRename(plainDb, plainName);
        plain.push_back(zbench::msSince(t));
        if (linkedRows(plainDb, "dolog3", plainName) != kRows / 5)
            zbench::fail("customer_rename_100k: the plain loop missed rows");
    }
    zbench::report("customer_rename_100k", ours, plain);
}

void relatedTasks(sqlite3 *plainDb)
{
    measureOpen<Tfrm_Ugyfel_feladat>(
        "related_tasks_10k", plainDb, kRows / 10,
        [] {
            auto *d = new Tfrm_Ugyfel_feladat(LinkCustomer, kRelated);
            d->show();
            d->grab();
            return d;
        },
        [](Tfrm_Ugyfel_feladat *d) { return d->recordSet(); });
}

} // namespace

int main(int argc, char **argv)
{
    zbench::preferOffscreen();
    QApplication app(argc, argv);

    const QString path = masterDatabase(zbench::dataDir(argc, argv));
    zdb::Connection conn;
    conn.setPath(path);
    conn.open();
    Shared().Db1 = &conn;
    Beall() = TBeall{};

    sqlite3 *plainDb = nullptr;
    zbench::check(sqlite3_open_v2(QFile::encodeName(path).constData(), &plainDb, SQLITE_OPEN_READWRITE, nullptr),
                  plainDb, "open");

    customerListOpen(plainDb);
    customerRename(plainDb);
    relatedTasks(plainDb);

    sqlite3_close(plainDb);
    Shared() = SharedData{};
    return 0;
}

// The task list window over 100,000 tasks, against plain C loops over the
// same SQLite result (prepare the window's SELECT, step it, copy every
// column's text into a malloc'd buffer of its own):
//   task_list_open_100k  creating the window: record set open, model reset, first paint
//   task_list_sort_100k  re-sorting by "ügyfél": close, order by ugyfel_nevs, reopen,
//                        model reset, repaint

#include "appcore.h"
#include "codec.h"
#include "datagrid.h"
#include "datagridsorter.h"
#include "helpers.h"
#include "records.h"
#include "tasklist.h"

#include "connection.h"
#include "recordset.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 7;

void check(int rc, sqlite3 *db, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

// ---- test data: open tasks of a small office ----------------------------------

struct Rng
{
    quint64 s = 0x9E3779B97F4A7C15ULL;
    quint32 next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return quint32(s >> 11);
    }
    int below(int n) { return int(next() % quint32(n)); }
    template <size_t N>
    QString pick(const char *const (&a)[N]) { return QString::fromUtf8(a[below(int(N))]); }
};

const char *const kFamily[] = {"Kovács", "Szabó", "Tóth", "Horváth", "Nagy", "Varga", "Kiss", "Molnár", "Németh",
                               "Farkas", "Balogh", "Papp", "Takács", "Juhász", "Ábrahám", "Mészáros", "Oláh", "Simon",
                               "Rácz", "Fekete", "Szilágyi", "Török", "Fehér", "Érsek", "Gál", "Kocsis", "Ürge"};
const char *const kFirm[] = {"és Társa Kft.", "Építő Bt.", "Szerviz Kft.", "Kereskedelmi Zrt.", "Ügyvédi Iroda",
                             "Könyvelő Kft.", "Fuvarozó Kft.", "Nyomda Kft."};
const char *const kProduct[] = {"Éves karbantartás", "Számlázó modul", "Festékpatron", "Hálózati kábel",
                                "Szerverbérlés", "Webáruház csomag", "Irodai szék", "Tűzfal licenc"};
const char *const kProject[] = {"Székház felújítás", "Raktárköltöztetés", "Új telephely", "Őszi kampány",
                                "Évzáró leltár", "Belső képzés", "Honlap megújítás"};
const char *const kVerb[] = {"Felhívni", "Árajánlatot küldeni", "Egyeztetni", "Számlát kiállítani", "Megrendelni",
                             "Kiszállítani", "Ellenőrizni", "Visszahívni", "Szerződést előkészíteni"};

QString day(Rng &r)
{
    return QDate(2024, 1, 1).addDays(r.below(1100)).toString(Qt::ISODate);
}

int countRows(const QString &path)
{
    sqlite3 *db = nullptr;
    int n = -1;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, "select count(*) from dolog3 where kesz='N'", -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return n;
}

void makeDatabase(const QString &path)
{
    QFile schemaFile(QStringLiteral(ZENTAVO_SCHEMA_FILE));
    if (!schemaFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "no schema at %s\n", ZENTAVO_SCHEMA_FILE);
        std::exit(1);
    }
    QFile::remove(path);
    sqlite3 *db = nullptr;
    check(sqlite3_open(QFile::encodeName(path).constData(), &db), db, "open");
    check(sqlite3_exec(db, schemaFile.readAll().constData(), nullptr, nullptr, nullptr), db, "schema");
    check(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db,
                             "insert into dolog3 (dolog3, datum, dat_hatid, rovid, leiras, ugyfel, ugyfel_nev, termek,"
                             " termek_nev, projekt, projekt_nev, fontos, fileban, kesz, dat_kesz, statusz, rovids,"
                             " ugyfel_nevs, termek_nevs, projekt_nevs)"
                             " values (?,?,?,?,?,?,?,?,?,?,?,?,NULL,'N',NULL,?,?,?,?,?)",
                             -1, &st, nullptr),
          db, "prepare");
    Rng r;
    for (int i = 1; i <= kRows; ++i) {
        const QString customer = r.pick(kFamily) + QLatin1Char(' ') + r.pick(kFirm);
        const QString product = r.pick(kProduct);
        const QString project = r.pick(kProject);
        const QString text = r.pick(kVerb) + QLatin1Char(' ') + r.pick(kFamily) + QStringLiteral(" ügyében");
        const QString description = QStringLiteral("Az ügyfél kérte, hogy a jövő héten keressük meg; ") + text;
        const QByteArray cells[] = {zdb::toCp1250(day(r)), zdb::toCp1250(day(r)), zdb::toCp1250(text),
                                    zdb::toCp1250(description), zdb::toCp1250(customer), zdb::toCp1250(product),
                                    zdb::toCp1250(project), zdb::toCp1250(SortKeyOf(text.left(20))),
                                    zdb::toCp1250(SortKeyOf(customer.left(20))), zdb::toCp1250(SortKeyOf(product.left(20))),
                                    zdb::toCp1250(SortKeyOf(project.left(20)))};
        auto text_ = [&](int col, const QByteArray &b) { sqlite3_bind_text(st, col, b.constData(), int(b.size()), SQLITE_STATIC); };
        sqlite3_bind_int(st, 1, i);
        text_(2, cells[0]);
        text_(3, cells[1]);
        text_(4, cells[2]);
        text_(5, cells[3]);
        sqlite3_bind_int(st, 6, 1 + r.below(500));
        text_(7, cells[4]);
        sqlite3_bind_int(st, 8, 1 + r.below(100));
        text_(9, cells[5]);
        sqlite3_bind_int(st, 10, 1 + r.below(40));
        text_(11, cells[6]);
        sqlite3_bind_int(st, 12, r.below(4));
        sqlite3_bind_int(st, 13, r.below(2));
        text_(14, cells[7]);
        text_(15, cells[8]);
        text_(16, cells[9]);
        text_(17, cells[10]);
        check(sqlite3_step(st), db, "insert");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

// ---- the limit: a plain loop over the same SELECT -------------------------------

size_t plainLoad(sqlite3 *db, const QByteArray &sql)
{
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr), db, "prepare");
    const int columns = sqlite3_column_count(st);
    std::vector<char **> rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
        auto **row = static_cast<char **>(std::malloc(sizeof(char *) * size_t(columns)));
        for (int c = 0; c < columns; ++c) {
            const unsigned char *t = sqlite3_column_text(st, c);
            const int n = sqlite3_column_bytes(st, c);
            row[c] = nullptr;
            if (t) {
                row[c] = static_cast<char *>(std::malloc(size_t(n) + 1));
                std::memcpy(row[c], t, size_t(n) + 1);
            }
        }
        rows.push_back(row);
    }
    sqlite3_finalize(st);
    const size_t n = rows.size();
    for (char **row : rows) {
        for (int c = 0; c < columns; ++c)
            std::free(row[c]);
        std::free(row);
    }
    return n;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

void report(const char *name, const std::vector<double> &ours, const std::vector<double> &plain)
{
    const double o = median(ours), p = median(plain);
    std::printf("%s: ours=%.1f limit=%.1f ratio=%.2f\n", name, o, p, o / p);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(ZENTAVO_BENCH_DATA_DIR);
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(QStringLiteral("tasks_100k.sqb"));
    if (countRows(path) != kRows) {
        std::fprintf(stderr, "making %s ...\n", qPrintable(path));
        makeDatabase(path);
    }

    // The main window's side of things: the connection and the shared task record set.
    zdb::Connection conn;
    conn.setPath(path);
    conn.open();
    zdb::Table tasks(&conn, QStringLiteral("dolog3"));
    SetUpTaskRecordSet(&tasks);
    tasks.setFilter(QStringLiteral("kesz='N'"));
    tasks.setFiltered(true);
    Shared().Db1 = &conn;
    Shared().TblFeladat = &tasks;
    Beall() = TBeall{};

    sqlite3 *plainDb = nullptr;
    check(sqlite3_open_v2(QFile::encodeName(path).constData(), &plainDb, SQLITE_OPEN_READWRITE, nullptr), plainDb, "open");

    auto openWindow = [] {
        auto *w = new Tfrm_Feladat;
        w->resize(1000, 600);
        w->show();
        w->grab();   // the first paint, header and visible rows included
        return w;
    };

    // One of each first: fonts, pictures and the file cache are warm for both sides.
    delete openWindow();
    tasks.setOrder(QStringLiteral("dat_hatid"));
    const QByteArray openSql = conn.encode(tasks.selectSql());
    plainLoad(plainDb, openSql);

    std::vector<double> ours, plain;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        Tfrm_Feladat *w = openWindow();
        ours.push_back(ms(t));
        if (tasks.recordCount() != kRows || w->grid()->model()->rowCount() != kRows)
            return 1;
        delete w;

        t.start();
        if (plainLoad(plainDb, openSql) != size_t(kRows))
            return 1;
        plain.push_back(ms(t));
    }
    report("task_list_open_100k", ours, plain);

    // Re-sorting an open window by the customer column.
    Tfrm_Feladat *w = openWindow();
    GridSorter *sorter = w->sorter();
    const int customer = w->grid()->columnOfField(QStringLiteral("ugyfel_nev"));
    sorter->sortByColumn(customer, true);
    const QByteArray sortSql = conn.encode(tasks.selectSql());
    if (!sortSql.contains("ugyfel_nevs"))
        return 1;
    plainLoad(plainDb, sortSql);
    ours.clear();
    plain.clear();
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        sorter->sortByColumn(customer, true);
        w->grid()->viewport()->repaint();
        ours.push_back(ms(t));
        if (tasks.recordCount() != kRows)
            return 1;

        t.start();
        if (plainLoad(plainDb, sortSql) != size_t(kRows))
            return 1;
        plain.push_back(ms(t));
    }
    report("task_list_sort_100k", ours, plain);

    delete w;
    sqlite3_close(plainDb);
    Shared() = SharedData{};
    return 0;
}

// The list report of the task list at 100,000 open tasks (layout and
// pagination, no painting), against the sqlite3 shell writing the same
// SELECT of the same columns as an HTML table to a file:
//   report_layout_100k  makeGridReport over the task list window's grid; the
//                       record set is loaded once, only building the report
//                       is timed
// The HTML export is allowed 1.5 times the shell's time and the list report
// 3 times the HTML export, so the report's target is ratio <= 3 x 1.5 = 4.5.

#include "appcore.h"
#include "codec.h"
#include "datagrid.h"
#include "helpers.h"
#include "printgrid.h"
#include "records.h"
#include "tasklist.h"

#include "connection.h"
#include "recordset.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 5;
const char *kSqliteShell = "/usr/bin/sqlite3";

void check(int rc, sqlite3 *db, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

struct Rng
{
    quint64 s = 0x2545F4914F6CDD1DULL;
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
                               "Farkas", "Balogh", "Papp", "Takács", "Juhász", "Ábrahám", "Mészáros", "Oláh"};
const char *const kFirm[] = {"és Társa Kft.", "Építő Bt.", "Szerviz Kft.", "Kereskedelmi Zrt.", "Ügyvédi Iroda",
                             "Könyvelő Kft.", "Fuvarozó Kft."};
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
                             "insert into dolog3 (dolog3, datum, dat_hatid, rovid, ugyfel, ugyfel_nev, termek,"
                             " termek_nev, projekt, projekt_nev, fontos, kesz, statusz, rovids, ugyfel_nevs,"
                             " termek_nevs, projekt_nevs) values (?,?,?,?,?,?,?,?,?,?,?,'N',?,?,?,?,?)",
                             -1, &st, nullptr),
          db, "prepare");
    Rng r;
    for (int i = 1; i <= kRows; ++i) {
        const QString customer = r.pick(kFamily) + QLatin1Char(' ') + r.pick(kFirm);
        const QString product = r.pick(kProduct);
        const QString project = r.pick(kProject);
        const QString text = r.pick(kVerb) + QLatin1Char(' ') + r.pick(kFamily) + QStringLiteral(" ügyében");
        const QByteArray cells[] = {zdb::toCp1250(day(r)),
                                    zdb::toCp1250(day(r)),
                                    zdb::toCp1250(text),
                                    zdb::toCp1250(customer),
                                    zdb::toCp1250(product),
                                    zdb::toCp1250(project),
                                    zdb::toCp1250(SortKeyOf(text.left(20))),
                                    zdb::toCp1250(SortKeyOf(customer.left(20))),
                                    zdb::toCp1250(SortKeyOf(product.left(20))),
                                    zdb::toCp1250(SortKeyOf(project.left(20)))};
        auto bindText = [&](int col, const QByteArray &b) {
            sqlite3_bind_text(st, col, b.constData(), int(b.size()), SQLITE_STATIC);
        };
        sqlite3_bind_int(st, 1, i);
        bindText(2, cells[0]);
        bindText(3, cells[1]);
        bindText(4, cells[2]);
        sqlite3_bind_int(st, 5, 1 + r.below(500));
        bindText(6, cells[3]);
        sqlite3_bind_int(st, 7, 1 + r.below(100));
        bindText(8, cells[4]);
        sqlite3_bind_int(st, 9, 1 + r.below(40));
        bindText(10, cells[5]);
        sqlite3_bind_int(st, 11, r.below(4));
        sqlite3_bind_int(st, 12, r.below(2));
        bindText(13, cells[6]);
        bindText(14, cells[7]);
        bindText(15, cells[8]);
        bindText(16, cells[9]);
        check(sqlite3_step(st), db, "insert");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
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

bool shellHtml(const QString &db, const QString &sql, const QString &out)
{
    QProcess shell;
    shell.setProgram(QString::fromLatin1(kSqliteShell));
    shell.setArguments({QStringLiteral("-html"), db, sql});
    shell.setStandardOutputFile(out);
    shell.start();
    return shell.waitForFinished(120000) && shell.exitStatus() == QProcess::NormalExit && shell.exitCode() == 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!QFile::exists(QString::fromLatin1(kSqliteShell))) {
        std::fprintf(stderr, "%s is missing\n", kSqliteShell);
        return 1;
    }

    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(ZENTAVO_BENCH_DATA_DIR);
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(QStringLiteral("report_tasks_100k.sqb"));
    if (countRows(path) != kRows) {
        std::fprintf(stderr, "making %s ...\n", qPrintable(path));
        makeDatabase(path);
    }
    const QString shellPage = QDir(dir).filePath(QStringLiteral("report_sqlite3.htm"));

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

    auto *window = new Tfrm_Feladat;
    window->resize(1000, 600);
    window->show();
    DataGrid *grid = window->grid();
    if (tasks.recordCount() != kRows)
        return 1;

    QStringList fields;
    for (const GridColumn &c : grid->columns())
        if (!c.field.isEmpty())
            fields << c.field;
    const QString sql = QStringLiteral("SELECT %1 FROM dolog3 WHERE kesz='N' ORDER BY %2")
                            .arg(fields.join(QStringLiteral(", ")), tasks.order());

    const zrep::ReportOwner owner{QStringLiteral("Példa Kft."), QStringLiteral("1052 Budapest"),
                                  QStringLiteral("Váci utca 12."), QStringLiteral("+36 1 234 5678")};
    auto build = [&] {
        return zrep::makeGridReport(grid->columns(), grid->width(), &tasks, false, QString(), 8,
                                    QStringLiteral("Feladatok"), owner);
    };

    // One of each first, to warm the caches of both sides.
    int pages = build().pageCount();
    if (!shellHtml(path, sql, shellPage))
        return 1;

    std::vector<double> ours, limit;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        const zrep::ReportLayout layout = build();
        ours.push_back(ms(t));
        pages = layout.pageCount();

        t.start();
        if (!shellHtml(path, sql, shellPage))
            return 1;
        limit.push_back(ms(t));
    }
    // 22 rows on a landscape page.
    if (pages != (kRows + 21) / 22) {
        std::fprintf(stderr, "unexpected page count %d\n", pages);
        return 1;
    }

    const double o = median(ours), l = median(limit);
    std::printf("report_layout_100k: ours=%.1f limit=%.1f ratio=%.2f\n", o, l, o / l);
    std::fflush(stdout);

    delete window;
    Shared() = SharedData{};
    return 0;
}

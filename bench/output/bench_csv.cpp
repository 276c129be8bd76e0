// Delimited export of the task table at 100,000 rows (every field, ";" and
// '"'), against the sqlite3 shell writing the same SELECT as CSV to a file.
// The record set is loaded once; only the writing is timed.

#include "connection.h"
#include "delimitedexport.h"
#include "recordset.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 7;
const char *kSqliteShell = "/usr/bin/sqlite3";
const char *kSelect = "select * from dolog3";

// ---- test data ----------------------------------------------------------------

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
    const char *pick(const char *const (&a)[N]) { return a[below(int(N))]; }
};

const char *const kFamily[] = {"Kovács", "Szabó", "Tóth", "Horváth", "Nagy", "Varga", "Kiss", "Molnár", "Németh",
                               "Farkas", "Balogh", "Papp", "Takács", "Juhász", "Lakatos", "Mészáros", "Oláh"};
const char *const kFirm[] = {"és Társa Kft.", "Építő Bt.", "Szerviz Kft.", "Kereskedelmi Zrt.", "Ügyvédi Iroda",
                             "Könyvelő Kft.", "Számítástechnika Bt.", "Fuvarozó Kft.", "Nyomda Kft.", "Pékség"};
const char *const kProduct[] = {"Éves karbantartás", "Számlázó modul", "Nyomtató festékpatron", "Hálózati kábel",
                                "Szerverbérlés", "Webáruház csomag", "Irodai szék", "Mentési szolgáltatás"};
const char *const kProject[] = {"Székház felújítás", "Raktárköltöztetés", "Új telephely", "Őszi kampány",
                                "Évzáró leltár", "Pályázat 2005", "Belső képzés", "Honlap megújítás"};
const char *const kVerb[] = {"Felhívni", "Árajánlatot küldeni", "Egyeztetni", "Számlát kiállítani", "Megrendelni",
                             "Kiszállítani", "Ellenőrizni", "Visszahívni", "Szerződést előkészíteni"};
// Some words carry the characters a CSV writer has to look at: the
// separator, the quote and a line break.
const char *const kWords[] = {"a",        "ügyfél",   "kérte",     "hogy",      "jövő",       "héten",
                              "keressük", "meg;",     "mert",      "az",        "\"előző\"",  "szállítás",
                              "során",    "sérült",   "csomagot",  "kapott",    "és",         "szeretné",
                              "ha",       "cserélnénk", "ki",      "díjmentesen", "árajánlat", "módosítás",
                              "határidő", "fontos",   "részletek", "telefonon", "egyeztetve", "írásban\r\n"};

QString dateText(Rng &r)
{
    return QStringLiteral("%1-%2-%3")
        .arg(2003 + r.below(4))
        .arg(1 + r.below(12), 2, 10, QLatin1Char('0'))
        .arg(1 + r.below(28), 2, 10, QLatin1Char('0'));
}

QString sortKey(const QString &text)
{
    return text.left(20).toUpper();
}

void check(int rc, sqlite3 *db, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

int countRows(const QString &path)
{
    sqlite3 *db = nullptr;
    int n = -1;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, "select count(*) from dolog3", -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return n;
}

void makeDatabase(const QString &path)
{
    QFile::remove(path);
    sqlite3 *db = nullptr;
    check(sqlite3_open(path.toUtf8().constData(), &db), db, "open");
    check(sqlite3_exec(db,
                       "create table dolog3 (dolog3 integer, datum date, dat_hatid date, rovid varchar(50),"
                       " leiras varchar(2048), ugyfel integer, ugyfel_nev varchar(75), termek integer,"
                       " termek_nev varchar(75), projekt integer, projekt_nev varchar(75), fontos integer,"
                       " fileban varchar(255), kesz varchar(1), dat_kesz date, statusz integer,"
                       " rovids varchar(20), ugyfel_nevs varchar(20), termek_nevs varchar(20), projekt_nevs varchar(20));"
                       "begin;",
                       nullptr, nullptr, nullptr),
          db, "schema");
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, "insert into dolog3 values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)", -1, &st, nullptr),
          db, "prepare");
    Rng r;
    std::vector<QByteArray> keep;
    for (int i = 1; i <= kRows; ++i) {
        const QString customer = QString::fromUtf8(r.pick(kFamily)) + QLatin1Char(' ') + QString::fromUtf8(r.pick(kFirm));
        const QString product = QString::fromUtf8(r.pick(kProduct));
        const QString project = QString::fromUtf8(r.pick(kProject));
        const QString shortText = QString::fromUtf8(r.pick(kVerb)) + QLatin1Char(' ') + QString::fromUtf8(r.pick(kFamily))
            + QStringLiteral(" ügyében");
        QString description;
        while (description.size() < 200)
            description += QString::fromUtf8(r.pick(kWords)) + QLatin1Char(' ');
        description.truncate(200);
        const QString file = QStringLiteral("/home/iroda/Dokumentumok/Ügyfelek/%1/level_%2.odt").arg(customer.left(6)).arg(i);
        const bool done = r.below(2) == 0;

        auto cp = [](const QString &s) { return zdb::toCp1250(s); };
        keep = {cp(dateText(r)), cp(dateText(r)), cp(shortText), cp(description), cp(customer), cp(product), cp(project),
                cp(file), cp(done ? QStringLiteral("I") : QStringLiteral("N")), cp(dateText(r)),
                cp(sortKey(shortText)), cp(sortKey(customer)), cp(sortKey(product)), cp(sortKey(project))};
        auto text = [&](int col, const QByteArray &b) {
            sqlite3_bind_text(st, col, b.constData(), int(b.size()), SQLITE_STATIC);
        };
        sqlite3_bind_int(st, 1, i);
        text(2, keep[0]);
        text(3, keep[1]);
        text(4, keep[2]);
        text(5, keep[3]);
        sqlite3_bind_int(st, 6, 1 + r.below(500));
        text(7, keep[4]);
        sqlite3_bind_int(st, 8, 1 + r.below(200));
        text(9, keep[5]);
        sqlite3_bind_int(st, 10, 1 + r.below(50));
        text(11, keep[6]);
        sqlite3_bind_int(st, 12, r.below(4));
        text(13, keep[7]);
        text(14, keep[8]);
        if (done)
            text(15, keep[9]);
        else
            sqlite3_bind_null(st, 15);
        sqlite3_bind_int(st, 16, r.below(4));
        text(17, keep[10]);
        text(18, keep[11]);
        text(19, keep[12]);
        text(20, keep[13]);
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

} // namespace

int main(int argc, char **argv)
{
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(ZENTAVO_BENCH_DATA_DIR);
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(QStringLiteral("csv_tasks_100k.sqb"));
    if (countRows(path) != kRows) {
        std::fprintf(stderr, "making %s ...\n", qPrintable(path));
        makeDatabase(path);
    }
    const QString oursOut = QDir(dir).filePath(QStringLiteral("csv_ours.csv"));
    const QString shellOut = QDir(dir).filePath(QStringLiteral("csv_sqlite3.csv"));

    zdb::Connection conn;
    conn.setPath(path);
    conn.open();
    zdb::Table table(&conn, QStringLiteral("dolog3"));
    table.open();
    if (table.recordCount() != kRows)
        return 1;
    DelimitedOptions options;
    options.separator = QLatin1Char(';');
    options.qualifier = QLatin1Char('"');
    options.fields = AllDelimitedFields(table);

    std::vector<double> ours, shell;
    for (int run = 0; run < kRuns; ++run) {
        for (int side = 0; side < 2; ++side) {
            const bool oursFirst = run % 2 == 0;
            QElapsedTimer timer;
            if ((side == 0) == oursFirst) {
                timer.start();
                QFile file(oursOut);
                if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                    return 1;
                const int written = WriteDelimited(table, options, file);
                file.close();
                ours.push_back(double(timer.nsecsElapsed()) / 1e6);
                if (written != kRows)
                    return 1;
            } else {
                QProcess sqlite;
                sqlite.setStandardOutputFile(shellOut, QIODevice::Truncate);
                timer.start();
                sqlite.start(QString::fromLatin1(kSqliteShell),
                             {QStringLiteral("-csv"), QStringLiteral("-separator"), QStringLiteral(";"), path,
                              QString::fromLatin1(kSelect)});
                if (!sqlite.waitForFinished(-1) || sqlite.exitCode() != 0) {
                    std::fprintf(stderr, "sqlite3 failed\n");
                    return 1;
                }
                shell.push_back(double(timer.nsecsElapsed()) / 1e6);
            }
        }
    }
    QFile::remove(oursOut);
    QFile::remove(shellOut);
    const double o = median(ours), s = median(shell);
    std::printf("csv_export_100k: ours=%.1f limit=%.1f ratio=%.2f\n", o, s, o / s);
    return 0;
}

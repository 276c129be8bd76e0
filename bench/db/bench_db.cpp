// Opening and searching the task table at 100,000 rows, against plain C loops
// over the same SQLite result: the loop prepares, steps and copies every
// column's text into a malloc'd buffer of its own.

#include "connection.h"
#include "recordset.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 7;
const char *kSelect = "select *, rowid as rowid from dolog3";
const char *kMiss = "Zzzz nincs ilyen";

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
                               "Farkas", "Balogh", "Papp", "Takács", "Juhász", "Lakatos", "Mészáros", "Oláh", "Simon",
                               "Rácz", "Fekete", "Szilágyi", "Török", "Fehér", "Balázs", "Gál", "Kocsis", "Orsós"};
const char *const kFirm[] = {"és Társa Kft.", "Építő Bt.", "Szerviz Kft.", "Kereskedelmi Zrt.", "Ügyvédi Iroda",
                             "Könyvelő Kft.", "Számítástechnika Bt.", "Fuvarozó Kft.", "Nyomda Kft.", "Pékség"};
const char *const kProduct[] = {"Éves karbantartás", "Számlázó modul", "Nyomtató festékpatron", "Hálózati kábel",
                                "Szerverbérlés", "Webáruház csomag", "Irodai szék", "Mentési szolgáltatás",
                                "Tűzfal licenc", "Ügyfélkártya"};
const char *const kProject[] = {"Székház felújítás", "Raktárköltöztetés", "Új telephely", "Őszi kampány",
                                "Évzáró leltár", "Pályázat 2005", "Belső képzés", "Honlap megújítás"};
const char *const kVerb[] = {"Felhívni", "Árajánlatot küldeni", "Egyeztetni", "Számlát kiállítani", "Megrendelni",
                             "Kiszállítani", "Ellenőrizni", "Visszahívni", "Szerződést előkészíteni"};
const char *const kWords[] = {"a",        "ügyfél",   "kérte",    "hogy",     "jövő",      "héten",    "keressük",
                              "meg",      "mert",     "az",       "előző",    "szállítás", "során",    "sérült",
                              "csomagot", "kapott",   "és",       "szeretné", "ha",        "cserélnénk", "ki",
                              "díjmentesen", "árajánlat", "módosítás", "határidő", "fontos",  "részletek", "telefonon",
                              "egyeztetve", "írásban", "visszaigazolni", "összeg", "forint", "áfával", "együtt"};

QString sortKey(const QString &text)
{
    static const QString from = QStringLiteral("áéíóöőúüűÁÉÍÓÖŐÚÜŰ");
    static const QString to = QStringLiteral("AEIOOOUUUAEIOOOUUU");
    QString key = text.left(20);
    for (QChar &c : key) {
        const qsizetype i = from.indexOf(c);
        c = i >= 0 ? to[i] : c.toUpper();
    }
    return key;
}

QByteArray cp(const QString &s)
{
    return zdb::toCp1250(s);
}

QString dateText(Rng &r)
{
    return QStringLiteral("%1-%2-%3").arg(2003 + r.below(4)).arg(1 + r.below(12), 2, 10, QLatin1Char('0')).arg(1 + r.below(28), 2, 10, QLatin1Char('0'));
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
        if (sqlite3_prepare_v2(db, "select count(*) from dolog3", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
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
    check(sqlite3_prepare_v2(db, "insert into dolog3 values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)", -1, &st, nullptr), db, "prepare");
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

        keep = {cp(dateText(r)), cp(dateText(r)), cp(shortText), cp(description), cp(customer), cp(product), cp(project),
                cp(file), cp(done ? QStringLiteral("I") : QStringLiteral("N")), cp(dateText(r)),
                cp(sortKey(shortText)), cp(sortKey(customer)), cp(sortKey(product)), cp(sortKey(project))};
        auto text = [&](int col, const QByteArray &b) { sqlite3_bind_text(st, col, b.constData(), int(b.size()), SQLITE_STATIC); };
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

// ---- the two sides -----------------------------------------------------------

void declareTasks(zdb::Table &t)
{
    t.addInteger(QStringLiteral("dolog3"));
    t.addDate(QStringLiteral("datum"));
    t.addDate(QStringLiteral("dat_hatid"));
    t.addText(QStringLiteral("rovid"), 50, {}, 77);
    t.addText(QStringLiteral("leiras"), 2048);
    t.addInteger(QStringLiteral("ugyfel"));
    t.addText(QStringLiteral("ugyfel_nev"), 75, {}, 77);
    t.addInteger(QStringLiteral("termek"));
    t.addText(QStringLiteral("termek_nev"), 75, {}, 77);
    t.addInteger(QStringLiteral("projekt"));
    t.addText(QStringLiteral("projekt_nev"), 75, {}, 77);
    t.addInteger(QStringLiteral("fontos"));
    t.addText(QStringLiteral("fileban"), 255);
    t.addText(QStringLiteral("kesz"), 1);
    t.addDate(QStringLiteral("dat_kesz"));
    t.addInteger(QStringLiteral("statusz"));
    t.addText(QStringLiteral("rovids"), 20);
    t.addText(QStringLiteral("ugyfel_nevs"), 20);
    t.addText(QStringLiteral("termek_nevs"), 20);
    t.addText(QStringLiteral("projekt_nevs"), 20);
}

struct PlainResult
{
    int columns = 0;
    std::vector<char **> rows;
    void clear()
    {
        for (char **r : rows) {
            for (int c = 0; c < columns; ++c)
                std::free(r[c]);
            std::free(r);
        }
        rows.clear();
        rows.shrink_to_fit();
    }
};

void plainLoad(sqlite3 *db, PlainResult &out)
{
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, kSelect, -1, &st, nullptr), db, "prepare");
    out.columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        auto **row = static_cast<char **>(std::malloc(sizeof(char *) * size_t(out.columns)));
        for (int c = 0; c < out.columns; ++c) {
            const unsigned char *t = sqlite3_column_text(st, c);
            const int n = sqlite3_column_bytes(st, c);
            if (t) {
                row[c] = static_cast<char *>(std::malloc(size_t(n) + 1));
                std::memcpy(row[c], t, size_t(n) + 1);
            } else {
                row[c] = nullptr;
            }
        }
        out.rows.push_back(row);
    }
    sqlite3_finalize(st);
}

int plainLocate(const PlainResult &data, int column, const char *wanted)
{
    const size_t n = std::strlen(wanted);
    for (size_t i = 0; i < data.rows.size(); ++i) {
        const char *v = data.rows[i][column];
        if (v && strncasecmp(v, wanted, n) == 0)
            return int(i);
    }
    return -1;
}

// ---- measuring -------------------------------------------------------------

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long statusKb(const char *key)
{
    FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    long kb = 0;
    const size_t len = std::strlen(key);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, len) == 0)
            kb = std::strtol(line + len, nullptr, 10);
    std::fclose(f);
    return kb;
}

// Peak resident memory that `work` adds, measured in a child process.
double peakMb(const std::function<void()> &work)
{
    int fds[2];
    if (pipe(fds) != 0)
        return 0;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        if (FILE *f = std::fopen("/proc/self/clear_refs", "w")) {   // restart the high-water mark
            std::fputs("5", f);
            std::fclose(f);
        }
        const long before = statusKb("VmRSS:");
        work();
        const double mb = double(statusKb("VmHWM:") - before) / 1024.0;
        if (write(fds[1], &mb, sizeof mb) != sizeof mb)
            _exit(1);
        _exit(0);
    }
    close(fds[1]);
    double mb = 0;
    if (read(fds[0], &mb, sizeof mb) != sizeof mb)
        mb = 0;
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return mb;
}

} // namespace

int main(int argc, char **argv)
{
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(ZENTAVO_BENCH_DATA_DIR);
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(QStringLiteral("dolog3_100k.sqb"));
    if (countRows(path) != kRows) {
        std::fprintf(stderr, "making %s ...\n", qPrintable(path));
        makeDatabase(path);
    }

    zdb::Connection conn;
    conn.setPath(path);
    conn.open();
    sqlite3 *plainDb = nullptr;
    check(sqlite3_open_v2(path.toUtf8().constData(), &plainDb, SQLITE_OPEN_READWRITE, nullptr), plainDb, "open");

    // Memory first, while this process is still small.
    const double oursMb = peakMb([&] {
        zdb::Table t(&conn, QStringLiteral("dolog3"));
        declareTasks(t);
        t.open();
    });
    const double plainMb = peakMb([&] {
        PlainResult r;
        plainLoad(plainDb, r);
    });

    std::vector<double> ours, plain;
    for (int run = 0; run < kRuns; ++run) {
        for (int side = 0; side < 2; ++side) {
            const bool oursFirst = run % 2 == 0;
            QElapsedTimer timer;
            if ((side == 0) == oursFirst) {
                zdb::Table t(&conn, QStringLiteral("dolog3"));
                declareTasks(t);
                timer.start();
                t.open();
                ours.push_back(double(timer.nsecsElapsed()) / 1e6);
                if (t.recordCount() != kRows)
                    return 1;
            } else {
                PlainResult r;
                timer.start();
                plainLoad(plainDb, r);
                plain.push_back(double(timer.nsecsElapsed()) / 1e6);
                r.clear();
            }
        }
    }
    const double oursOpen = median(ours), plainOpen = median(plain);
    std::printf("db_open_100k: ours=%.1f limit=%.1f ratio=%.2f\n", oursOpen, plainOpen, oursOpen / plainOpen);
    std::printf("db_open_100k_rss: ours=%.1f limit=%.1f ratio=%.2f\n", oursMb, plainMb, oursMb / plainMb);

    // Locate of a text no row begins with: the whole column is compared.
    zdb::Table t(&conn, QStringLiteral("dolog3"));
    declareTasks(t);
    t.open();
    PlainResult data;
    plainLoad(plainDb, data);
    const int column = 6;   // ugyfel_nev
    const QByteArray wanted = zdb::toCp1250(QString::fromUtf8(kMiss));
    std::vector<double> oursLoc, plainLoc;
    for (int run = 0; run < 3 * kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        const bool found = t.locate(QStringLiteral("ugyfel_nev"), QString::fromUtf8(kMiss),
                                    zdb::LocateCaseInsensitive | zdb::LocatePartial);
        oursLoc.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.start();
        const int row = plainLocate(data, column, wanted.constData());
        plainLoc.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (found || row >= 0)
            return 1;
    }
    const double oursL = median(oursLoc), plainL = median(plainLoc);
    std::printf("db_locate_100k: ours=%.3f limit=%.3f ratio=%.2f\n", oursL, plainL, oursL / plainL);
    data.clear();
    sqlite3_close(plainDb);
    return 0;
}

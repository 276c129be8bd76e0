#include "bench/common/benchkit.h"

#include "db/codec.h"
#include "db/textfold.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <unistd.h>
#include <sys/wait.h>

#ifndef ZENTAVO_BENCH_DATA_DIR
#error "ZENTAVO_BENCH_DATA_DIR must name the default data folder"
#endif
#ifndef ZENTAVO_SCHEMA_FILE
#error "ZENTAVO_SCHEMA_FILE must name the program's schema"
#endif

namespace zbench {

const char *const kSqliteShell = "/usr/bin/sqlite3";

namespace {

// Raised whenever the generated rows change, so kept databases are remade.
constexpr int kDataVersion = 2;

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
                               "Farkas", "Balogh", "Papp", "Takács", "Juhász", "Lakatos", "Mészáros", "Oláh", "Simon",
                               "Rácz", "Fekete", "Szilágyi", "Török", "Fehér", "Balázs", "Gál", "Kocsis", "Orsós",
                               "Ábrahám", "Érsek", "Ürge"};
// Some names carry what a page or a delimited file has to escape or quote.
const char *const kFirm[] = {"és Társa Kft.", "Építő Bt.", "Szerviz Kft.", "Kereskedelmi Zrt.", "Ügyvédi Iroda",
                             "Könyvelő & Adó Kft.", "Számítástechnika Bt.", "Fuvarozó Kft.", "\"Nyomda\" Kft.",
                             "Pékség"};
const char *const kProduct[] = {"Éves karbantartás", "Számlázó modul", "Nyomtató festékpatron", "Hálózati kábel <5m>",
                                "Szerverbérlés", "Webáruház csomag", "Irodai szék", "Mentési szolgáltatás",
                                "Tűzfal licenc", "Ügyfélkártya"};
const char *const kProject[] = {"Székház felújítás", "Raktárköltöztetés", "Új telephely", "Őszi kampány",
                                "Évzáró leltár", "Pályázat 2005", "Belső képzés", "Honlap megújítás"};
const char *const kVerb[] = {"Felhívni", "Árajánlatot küldeni", "Egyeztetni", "Számlát kiállítani", "Megrendelni",
                             "Kiszállítani", "Ellenőrizni", "Visszahívni", "Szerződést előkészíteni"};
// Description words; a few carry a separator, a quote or a line break.
const char *const kWords[] = {"a",        "ügyfél",    "kérte",      "hogy",        "jövő",      "héten",
                              "keressük", "meg;",      "mert",       "az",          "\"előző\"", "szállítás",
                              "során",    "sérült",    "csomagot",   "kapott",      "és",        "szeretné",
                              "ha",       "cserélnénk", "ki",        "díjmentesen", "árajánlat", "módosítás",
                              "határidő", "fontos",    "részletek",  "telefonon",   "egyeztetve", "írásban\r\n",
                              "visszaigazolni", "összeg", "forint",  "áfával",      "együtt"};

QString day(Rng &r)
{
    return QDate(2024, 1, 1).addDays(r.below(1100)).toString(Qt::ISODate);
}

QByteArray cp(const QString &s)
{
    return zdb::toCp1250(s);
}

QByteArray sortKey(const QString &s)
{
    return zdb::toCp1250(zdb::foldSortKey(s.left(20)));
}

// Whether a kept database answers `sql` (one row, read only) to the liking of `fits`.
bool keptDatabaseFits(const QString &path, const char *sql, const std::function<bool(sqlite3_stmt *)> &fits)
{
    if (!QFile::exists(path))
        return false;
    sqlite3 *db = nullptr;
    bool ok = false;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            ok = sqlite3_column_int(st, 0) == kDataVersion && fits(st);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return ok;
}

bool upToDate(const QString &path, TaskMix mix)
{
    return keptDatabaseFits(path,
                            "select (select user_version from pragma_user_version), count(*),"
                            " coalesce(sum(kesz='N'), 0) from dolog3",
                            [mix](sqlite3_stmt *st) {
                                const int open = sqlite3_column_int(st, 2);
                                return sqlite3_column_int(st, 1) == kRows
                                    && (mix == TaskMix::Mixed ? open < kRows : open == kRows);
                            });
}

// A new database with the program's schema, open, in a transaction.
sqlite3 *newDatabase(const QString &path)
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
    return db;
}

void finishDatabase(sqlite3 *db)
{
    check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db, "commit");
    const QByteArray version = "pragma user_version = " + QByteArray::number(kDataVersion);
    check(sqlite3_exec(db, version.constData(), nullptr, nullptr, nullptr), db, "version");
    sqlite3_close(db);
}

void makeTaskDatabase(const QString &path, TaskMix mix)
{
    sqlite3 *db = newDatabase(path);
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db,
                             "insert into dolog3 (dolog3, datum, dat_hatid, rovid, leiras, ugyfel, ugyfel_nev, termek,"
                             " termek_nev, projekt, projekt_nev, fontos, fileban, kesz, dat_kesz, statusz, rovids,"
                             " ugyfel_nevs, termek_nevs, projekt_nevs)"
                             " values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                             -1, &st, nullptr),
          db, "prepare");
    Rng r;
    for (int i = 1; i <= kRows; ++i) {
        const QString customer = r.pick(kFamily) + QLatin1Char(' ') + r.pick(kFirm);
        const QString product = r.pick(kProduct);
        const QString project = r.pick(kProject);
        const QString shortText = r.pick(kVerb) + QLatin1Char(' ') + r.pick(kFamily) + QStringLiteral(" ügyében");
        QString description;
        while (description.size() < 200)
            description += r.pick(kWords) + QLatin1Char(' ');
        description.truncate(200);
        const QString file =
            QStringLiteral("/home/iroda/Dokumentumok/Ügyfelek/%1/level_%2.odt").arg(customer.left(6)).arg(i);
        const bool done = mix == TaskMix::Mixed && r.below(2) == 0;

        const QByteArray cells[] = {cp(day(r)),          cp(day(r)),           cp(shortText),       cp(description),
                                    cp(customer),        cp(product),          cp(project),         cp(file),
                                    QByteArray(done ? "I" : "N"), cp(day(r)),  sortKey(shortText),  sortKey(customer),
                                    sortKey(product),    sortKey(project)};
        auto text = [&](int col, const QByteArray &b) {
            sqlite3_bind_text(st, col, b.constData(), int(b.size()), SQLITE_STATIC);
        };
        sqlite3_bind_int(st, 1, i);
        text(2, cells[0]);
        text(3, cells[1]);
        text(4, cells[2]);
        text(5, cells[3]);
        sqlite3_bind_int(st, 6, 1 + r.below(500));
        text(7, cells[4]);
        sqlite3_bind_int(st, 8, 1 + r.below(200));
        text(9, cells[5]);
        sqlite3_bind_int(st, 10, 1 + r.below(50));
        text(11, cells[6]);
        sqlite3_bind_int(st, 12, r.below(4));
        text(13, cells[7]);
        text(14, cells[8]);
        if (done)
            text(15, cells[9]);
        else
            sqlite3_bind_null(st, 15);
        sqlite3_bind_int(st, 16, r.below(2));
        text(17, cells[10]);
        text(18, cells[11]);
        text(19, cells[12]);
        text(20, cells[13]);
        check(sqlite3_step(st), db, "insert");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    finishDatabase(db);
}

// A text of about `length` characters from the word list.
QString words(Rng &r, int length)
{
    QString text;
    while (text.size() < length)
        text += r.pick(kWords) + QLatin1Char(' ');
    text.truncate(length);
    return text;
}

bool notesUpToDate(const QString &path)
{
    const QByteArray sql = "select (select user_version from pragma_user_version),"
                           " (select count(*) from jegyzet), (select count(*) from munka where feladat=1),"
                           " (select count(*) from jegyzet where instr(szoveg, cast(x'"
        + cp(QString::fromUtf8(kNoteMarker)).toHex() + "' as text)) > 0)";
    return keptDatabaseFits(path, sql.constData(), [](sqlite3_stmt *st) {
        return sqlite3_column_int(st, 1) == kRows && sqlite3_column_int(st, 2) == kWorkEntries
            && sqlite3_column_int(st, 3) == kNoteMatches;
    });
}

void makeNotesDatabase(const QString &path)
{
    sqlite3 *db = newDatabase(path);
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, "insert into jegyzet (jegyzet, datum, kategoria, rovid, szoveg) values (?,?,?,?,?)",
                             -1, &st, nullptr),
          db, "prepare");
    static const char *const categories[] = {"", "munka", "otthon", "ötletek", "ügyfelek", "számlák"};
    Rng r;
    for (int i = 1; i <= kRows; ++i) {
        QString text = words(r, 300);
        // Every hundredth note holds the searched word, somewhere in its middle.
        if (i % (kRows / kNoteMatches) == 0)
            text.insert(120, QString::fromUtf8(kNoteMarker) + QLatin1Char(' '));
        const QByteArray cells[] = {cp(day(r)), cp(QString::fromUtf8(categories[r.below(6)])),
                                    cp(r.pick(kVerb) + QLatin1Char(' ') + r.pick(kFamily)), cp(text)};
        sqlite3_bind_int(st, 1, i);
        for (int c = 0; c < 4; ++c)
            sqlite3_bind_text(st, c + 2, cells[c].constData(), int(cells[c].size()), SQLITE_STATIC);
        if (cells[1].isEmpty() && r.below(2) == 0)
            sqlite3_bind_null(st, 3);
        check(sqlite3_step(st), db, "insert");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);

    check(sqlite3_exec(db, "insert into dolog3 (dolog3, datum, rovid, kesz, statusz) values (1, '2026-01-05',"
                           " 'Munkanapló', 'N', 1)",
                       nullptr, nullptr, nullptr),
          db, "task");
    check(sqlite3_prepare_v2(db, "insert into munka (munka, feladat, datum, rovid, leiras) values (?,?,?,?,?)", -1,
                             &st, nullptr),
          db, "prepare");
    // The task's entries, and as many of other tasks around them.
    for (int i = 1; i <= 2 * kWorkEntries; ++i) {
        const QByteArray cells[] = {cp(day(r)), cp(r.pick(kVerb) + QLatin1Char(' ') + r.pick(kFamily)),
                                    cp(words(r, 150))};
        sqlite3_bind_int(st, 1, i);
        sqlite3_bind_int(st, 2, i % 2 == 0 ? 1 : 2 + r.below(1000));
        for (int c = 0; c < 3; ++c)
            sqlite3_bind_text(st, c + 3, cells[c].constData(), int(cells[c].size()), SQLITE_STATIC);
        check(sqlite3_step(st), db, "insert");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    finishDatabase(db);
}

} // namespace

void fail(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::exit(1);
}

void check(int rc, sqlite3 *db, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

void preferOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

QString dataDir(int argc, char **argv)
{
    QString dir;
    if (argc > 1)
        dir = QString::fromLocal8Bit(argv[1]);
    else if (!qEnvironmentVariableIsEmpty("ZENTAVO_BENCH_DIR"))
        dir = qEnvironmentVariable("ZENTAVO_BENCH_DIR");
    else
        dir = QStringLiteral(ZENTAVO_BENCH_DATA_DIR);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(dir));
        std::exit(1);
    }
    return dir;
}

QString notesDatabase(const QString &dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("notes100k.sqb"));
    if (!notesUpToDate(path))
        makeNotesDatabase(path);
    return path;
}

QString taskDatabase(const QString &dir, TaskMix mix)
{
    const QString path = QDir(dir).filePath(mix == TaskMix::Mixed ? QStringLiteral("tasks_mixed_100k.sqb")
                                                                  : QStringLiteral("tasks_open_100k.sqb"));
    if (!upToDate(path, mix)) {
        std::fprintf(stderr, "making %s ...\n", qPrintable(path));
        makeTaskDatabase(path, mix);
    }
    return path;
}

void PlainRows::clear()
{
    for (char **row : m_rows) {
        for (int c = 0; c < m_columns; ++c)
            std::free(row[c]);
        std::free(row);
    }
    m_rows.clear();
    m_rows.shrink_to_fit();
}

void plainLoad(sqlite3 *db, const QByteArray &sql, PlainRows &out)
{
    out.clear();
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr), db, "prepare");
    out.m_columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        auto **row = static_cast<char **>(std::malloc(sizeof(char *) * size_t(out.m_columns)));
        for (int c = 0; c < out.m_columns; ++c) {
            const unsigned char *t = sqlite3_column_text(st, c);
            const int n = sqlite3_column_bytes(st, c);
            row[c] = nullptr;
            if (t) {
                row[c] = static_cast<char *>(std::malloc(size_t(n) + 1));
                std::memcpy(row[c], t, size_t(n) + 1);
            }
        }
        out.m_rows.push_back(row);
    }
    sqlite3_finalize(st);
}

std::size_t plainLoadCount(sqlite3 *db, const QByteArray &sql)
{
    PlainRows rows;
    plainLoad(db, sql, rows);
    return rows.size();
}

bool haveSqliteShell()
{
    if (QFile::exists(QString::fromLatin1(kSqliteShell)))
        return true;
    std::fprintf(stderr, "%s is missing (scripts/deps installs it)\n", kSqliteShell);
    return false;
}

bool runSqliteShell(const QStringList &arguments, const QString &outFile)
{
    QProcess shell;
    shell.setProgram(QString::fromLatin1(kSqliteShell));
    shell.setArguments(arguments);
    shell.setStandardOutputFile(outFile, QIODevice::Truncate);
    shell.start();
    return shell.waitForFinished(120000) && shell.exitStatus() == QProcess::NormalExit && shell.exitCode() == 0;
}

double median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void report(const char *name, double ours, double limit, int decimals)
{
    std::printf("%s: ours=%.*f limit=%.*f ratio=%.2f\n", name, decimals, ours, decimals, limit, ours / limit);
    std::fflush(stdout);
}

void report(const char *name, const std::vector<double> &ours, const std::vector<double> &limit, int decimals)
{
    report(name, median(ours), median(limit), decimals);
}

namespace {

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

} // namespace

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


} // namespace zbench

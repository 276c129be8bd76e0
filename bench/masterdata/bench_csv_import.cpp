// The CSV import at scale: a 50,000-line customer file (half the codes
// present, half new) into 100,000 customers with the list's record set open,
// against the sqlite3 shell's .import of the same file into an empty table.
// Timed: reading the file and the whole load, the list's one refresh
// included. Also printed: the peak memory the import adds, against twice the
// file's size plus what the list itself grows by.

#include "bench/common/benchkit.h"
#include "app/helpers/common.h"
#include "db/catalog.h"
#include "db/codec.h"
#include "db/connection.h"
#include "db/recordset.h"
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
#include <functional>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kCustomers = 100000;
constexpr int kLines = 50000;
constexpr int kRuns = 5;

const char *const kFamily[] = {"Kovács", "Szabó", "Tóth", "Horváth", "Nagy", "Varga", "Kiss", "Molnár", "Németh",
                               "Farkas", "Balogh", "Papp", "Takács", "Juhász", "Ürge", "Érsek", "Őri", "Fehér"};
const char *const kFirm[] = {"Kft.", "Bt.", "Zrt.", "és Társa Kft.", "Építő Bt.", "Kereskedőház"};
const char *const kTown[] = {"Budapest", "Győr", "Pécs", "Szeged", "Debrecen", "Érd", "Sopron", "Eger"};

QString pick(const char *const *list, size_t n, int i)
{
    return QString::fromUtf8(list[size_t(i) % n]);
}
#define PICK(list, i) pick(list, sizeof(list) / sizeof(list[0]), i)

QString name(int i) { return PICK(kFamily, i * 7) + QLatin1Char(' ') + PICK(kFirm, i * 3) + QLatin1Char(' ') + QString::number(i); }
QString contact(int i) { return PICK(kFamily, i * 5 + 1) + QStringLiteral(" Anna"); }
QString phone(int i) { return QStringLiteral("06-1-%1").arg(1000000 + i); }
QString town(int i) { return PICK(kTown, i); }

// 100,000 customers as the program stores them, made once and copied per run.
QString customerTemplate(const QString &dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("customers_100k.sqb"));
    if (QFile::exists(path))
        return path;
    std::fprintf(stderr, "making %s ...\n", qPrintable(path));
    QFile schema(QStringLiteral(ZENTAVO_SCHEMA_FILE));
    if (!schema.open(QIODevice::ReadOnly))
        zbench::fail("no schema");
    const QString tmp = path + QStringLiteral(".tmp");
    QFile::remove(tmp);
    sqlite3 *db = nullptr;
    zbench::check(sqlite3_open(QFile::encodeName(tmp).constData(), &db), db, "open");
    zbench::check(sqlite3_exec(db, schema.readAll().constData(), nullptr, nullptr, nullptr), db, "schema");
    zbench::check(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt *st = nullptr;
    zbench::check(sqlite3_prepare_v2(db,
                                     "insert into ugyfel (ugyfel, ugyfelkod, ugyfel_nev, kapcsolattarto, telefon, varos,"
                                     " vanmegj, ugyfel_nevs, kapcsolattartos) values (?,?,?,?,?,?,'N',?,?)",
                                     -1, &st, nullptr),
                  db, "prepare");
    for (int i = 1; i <= kCustomers; ++i) {
        const QByteArray cells[] = {zdb::toCp1250(name(i)), zdb::toCp1250(contact(i)), zdb::toCp1250(phone(i)),
                                    zdb::toCp1250(town(i)), zdb::toCp1250(SortKeyOf(name(i).left(20))),
                                    zdb::toCp1250(SortKeyOf(contact(i).left(20)))};
        sqlite3_bind_int(st, 1, i);
        sqlite3_bind_int(st, 2, i);
        for (int c = 0; c < 6; ++c)
            sqlite3_bind_text(st, c + 3, cells[c].constData(), int(cells[c].size()), SQLITE_TRANSIENT);
        zbench::check(sqlite3_step(st), db, "insert");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    zbench::check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
    QFile::rename(tmp, path);
    return path;
}

// The file: odd lines carry a present code, even lines a new one.
QString customerFile(const QString &dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("customers_50k.csv"));
    QByteArray bytes = "ugyfelkod;ugyfel_nev;kapcsolattarto;telefon;emil;varos;cim\r\n";
    for (int j = 1; j <= kLines; ++j) {
        const int code = (j % 2) ? 2 * j - 1 : kCustomers + j;
        const QString line = QStringLiteral("%1;%2;%3;%4;info%1@ceg.hu;%5;Fő utca %6.\r\n")
                                 .arg(code)
                                 .arg(name(code + 3), contact(code + 1), phone(code + 2), town(code + 5))
                                 .arg(j % 200 + 1);
        bytes += zdb::toCp1250(line);
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        zbench::fail("cannot write the CSV file");
    return path;
}

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
        if (FILE *f = std::fopen("/proc/self/clear_refs", "w")) {
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
    if (!zbench::haveSqliteShell())
        return 1;
    const QString dir = zbench::dataDir(argc, argv);
    const QString base = customerTemplate(dir);
    const QString csv = customerFile(dir);
    const double fileMb = double(QFileInfo(csv).size()) / (1024.0 * 1024.0);
    const QString shellDb = QDir(dir).filePath(QStringLiteral("csv_import_shell.sqb"));
    const QString shellOut = QDir(dir).filePath(QStringLiteral("csv_import_shell.out"));

    // Memory first, while this process is still small: what the import adds
    // with the list open, against twice the file plus the list's own growth.
    double importMb = 0, listBeforeMb = 0, listAfterMb = 0;
    {
        zdb::Connection conn;
        conn.setPath(freshCopy(base, dir));
        conn.open();
        zdb::Table tbl(&conn);
        openList(tbl);
        listBeforeMb = peakMb([&] {
            zdb::Table again(&conn);
            openList(again);
        });
        importMb = peakMb([&] { importFile(tbl, csv); });
    }
    {
        zdb::Connection conn;
        conn.setPath(freshCopy(base, dir));
        conn.open();
        zdb::Table tbl(&conn);
        openList(tbl);
        importFile(tbl, csv);
        listAfterMb = peakMb([&] {
            zdb::Table again(&conn);
            openList(again);
        });
    }

    std::vector<double> ours, shell;
    for (int run = 0; run < kRuns; ++run) {
        for (int side = 0; side < 2; ++side) {
            const bool oursFirst = run % 2 == 0;
            QElapsedTimer timer;
            if ((side == 0) == oursFirst) {
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
    zbench::report("csv_import_50k_rss", importMb, 2 * fileMb + qMax(0.0, listAfterMb - listBeforeMb));
    return 0;
}

// iCalendar export of 100,000 items (50,000 calendar entries and 50,000
// tasks with deadlines, read from the database and written to a file),
// against the sqlite3 shell writing the same rows as CSV to a file.

#include "bench/common/benchkit.h"
#include "db/connection.h"
#include "output/icalendar.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <vector>

namespace {

using zbench::kRows;
constexpr int kRuns = 5;
constexpr int kVersion = 1;

const char *kEntries = "select dolog1, datum, ora, rovid, leiras, ugyfel_nev, termek_nev, projekt_nev, fontos, kesz, dat_kesz "
                       "from dolog1 where datum is not null and datum <> '' order by datum, ora;";
const char *kTasks = "select dolog3, dat_hatid, rovid, leiras, ugyfel_nev, termek_nev, projekt_nev, fontos, kesz, dat_kesz, "
                     "statusz from dolog3 where dat_hatid is not null and dat_hatid <> '' order by dat_hatid;";

// Half of the task database's rows become calendar entries (every fourth
// without an hour), so entries and tasks make kRows items together.
QString calendarDatabase(const QString &dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("ics_bench.sqb"));
    sqlite3 *db = nullptr;
    if (QFile::exists(path)) {
        zbench::check(sqlite3_open(QFile::encodeName(path).constData(), &db), db, "open");
        sqlite3_stmt *st = nullptr;
        zbench::check(sqlite3_prepare_v2(db, "select (select count(*) from dolog1) + (select count(*) from dolog3), "
                                             "user_version from pragma_user_version",
                                         -1, &st, nullptr),
                      db, "count");
        const bool fits = sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int(st, 0) == kRows
                          && sqlite3_column_int(st, 1) == kVersion;
        sqlite3_finalize(st);
        sqlite3_close(db);
        if (fits)
            return path;
    }
    QFile::remove(path);
    if (!QFile::copy(zbench::taskDatabase(dir, zbench::TaskMix::Mixed), path))
        zbench::fail("ics_export_100k: cannot copy the task database");
    zbench::check(sqlite3_open(QFile::encodeName(path).constData(), &db), db, "open");
    const QByteArray sql =
        "begin;"
        "insert into dolog1 (dolog1, datum, datumstr, ora, rovid, leiras, ugyfel_nev, termek_nev, projekt_nev, fontos,"
        " kesz, dat_kesz, rovids) select dolog3, datum, replace(datum, '-', ''),"
        " case when dolog3 % 8 = 0 then null else 7 + dolog3 % 12 end, rovid, leiras, ugyfel_nev, termek_nev,"
        " projekt_nev, fontos, kesz, dat_kesz, rovids from dolog3 where dolog3 % 2 = 0;"
        "delete from dolog3 where dolog3 % 2 = 0;"
        "commit;"
        "pragma user_version = " + QByteArray::number(kVersion) + ";";
    zbench::check(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), db, "fill");
    sqlite3_close(db);
    return path;
}

} // namespace

int main(int argc, char **argv)
{
    if (!zbench::haveSqliteShell())
        return 1;
    const QString dir = zbench::dataDir(argc, argv);
    const QString path = calendarDatabase(dir);
    const QString oursOut = QDir(dir).filePath(QStringLiteral("ics_ours.ics"));
    const QString shellOut = QDir(dir).filePath(QStringLiteral("ics_sqlite3.csv"));

    zdb::Connection conn;
    conn.setPath(path);
    conn.open();
    const QStringList shellArgs{QStringLiteral("-csv"), path, QString::fromLatin1(kEntries) + QString::fromLatin1(kTasks)};

    std::vector<double> ours, shell;
    for (int run = 0; run < kRuns; ++run) {
        for (int side = 0; side < 2; ++side) {
            const bool oursFirst = run % 2 == 0;
            QElapsedTimer timer;
            if ((side == 0) == oursFirst) {
                timer.start();
                QFile file(oursOut);
                if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                    zbench::fail("ics_export_100k: cannot write the file");
                const IcsCounts counts = WriteCalendarFile(&conn, {}, {}, file);
                file.close();
                ours.push_back(zbench::msSince(timer));
                if (counts.events + counts.todos != kRows)
                    zbench::fail("ics_export_100k: wrong item count written");
            } else {
                timer.start();
                if (!zbench::runSqliteShell(shellArgs, shellOut))
                    zbench::fail("sqlite3 failed");
                shell.push_back(zbench::msSince(timer));
            }
        }
    }
    QFile::remove(oursOut);
    QFile::remove(shellOut);
    zbench::report("ics_export_100k", ours, shell);
    return 0;
}

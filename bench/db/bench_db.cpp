// Opening and searching the task table at 100,000 rows, against plain C loops
// over the same SQLite result: the loop prepares, steps and copies every
// column's text into a malloc'd buffer of its own.

#include "bench/common/benchkit.h"
#include "db/catalog.h"
#include "db/codec.h"
#include "db/connection.h"
#include "db/recordset.h"

#include <QElapsedTimer>
#include <QString>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using zbench::kRows;
constexpr int kRuns = 7;
const QByteArray kSelect = QByteArrayLiteral("select *, rowid as rowid from dolog3");
const char *kMiss = "Zzzz nincs ilyen";

// ---- the two sides -----------------------------------------------------------

void declareTasks(zdb::Table &t)
{
    zdb::DeclareFields(t, QStringLiteral("dolog3"));
}

int plainLocate(const zbench::PlainRows &data, int column, const char *wanted)
{
    const size_t n = std::strlen(wanted);
    for (size_t i = 0; i < data.size(); ++i) {
        const char *v = data.at(i, column);
        if (v && strncasecmp(v, wanted, n) == 0)
            return int(i);
    }
    return -1;
}

// ---- measuring -------------------------------------------------------------

} // namespace

int main(int argc, char **argv)
{
    const QString path = zbench::taskDatabase(zbench::dataDir(argc, argv), zbench::TaskMix::Mixed);

    zdb::Connection conn;
    conn.setPath(path);
    conn.open();
    sqlite3 *plainDb = nullptr;
    zbench::check(sqlite3_open_v2(path.toUtf8().constData(), &plainDb, SQLITE_OPEN_READWRITE, nullptr), plainDb, "open");

    // Memory first, while this process is still small.
    const double oursMb = zbench::peakMb([&] {
        zdb::Table t(&conn, QStringLiteral("dolog3"));
        declareTasks(t);
        t.open();
    });
    const double plainMb = zbench::peakMb([&] {
        zbench::PlainRows r;
        zbench::plainLoad(plainDb, kSelect, r);
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
                ours.push_back(zbench::msSince(timer));
                if (t.recordCount() != kRows)
                    zbench::fail("db_open_100k: wrong row count");
            } else {
                zbench::PlainRows r;
                timer.start();
                zbench::plainLoad(plainDb, kSelect, r);
                plain.push_back(zbench::msSince(timer));
                r.clear();
            }
        }
    }
    zbench::report("db_open_100k", ours, plain);
    zbench::report("db_open_100k_rss", oursMb, plainMb);

    // Locate of a text no row begins with: the whole column is compared.
    zdb::Table t(&conn, QStringLiteral("dolog3"));
    declareTasks(t);
    t.open();
    zbench::PlainRows data;
    zbench::plainLoad(plainDb, kSelect, data);
    const int column = 6;   // ugyfel_nev
    const QByteArray wanted = zdb::toCp1250(QString::fromUtf8(kMiss));
    std::vector<double> oursLoc, plainLoc;
    for (int run = 0; run < 3 * kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        const bool found = t.locate(QStringLiteral("ugyfel_nev"), QString::fromUtf8(kMiss),
                                    zdb::LocateCaseInsensitive | zdb::LocatePartial);
        oursLoc.push_back(zbench::msSince(timer));
        timer.start();
        const int row = plainLocate(data, column, wanted.constData());
        plainLoc.push_back(zbench::msSince(timer));
        if (found || row >= 0)
            zbench::fail("db_locate_100k: found a text no row holds");
    }
    zbench::report("db_locate_100k", oursLoc, plainLoc, 3);
    data.clear();
    sqlite3_close(plainDb);
    return 0;
}

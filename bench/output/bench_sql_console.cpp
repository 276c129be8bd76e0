// The SQL console at 100,000 rows: a SELECT typed into the console, run, and
// its result grid painted, against the plain C loop that prepares, steps and
// copies every cell of the same SELECT.

#include "bench/common/benchkit.h"
#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/descriptioneditor.h"
#include "app/helpers/testhooks.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "app/sqlconsole.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QString>

#include <sqlite3.h>

#include <vector>

namespace {

using zbench::kRows;
constexpr int kRuns = 7;
const char *kSelect = "select * from dolog3";

} // namespace

int main(int argc, char **argv)
{
    zbench::preferOffscreen();
    QApplication app(argc, argv);
    const QString dir = zbench::dataDir(argc, argv);
    const QString path = zbench::taskDatabase(dir, zbench::TaskMix::Mixed);

    zdb::Connection conn;
    conn.setPath(path);
    conn.open();
    Shared().Db1 = &conn;
    testhooks::setAutomatic(true);   // a message box would wait for a user

    sqlite3 *plainDb = nullptr;
    zbench::check(sqlite3_open_v2(path.toUtf8().constData(), &plainDb, SQLITE_OPEN_READONLY, nullptr), plainDb, "open");

    Tfrm_Sql console;
    console.resize(1000, 600);
    console.show();
    console.editor()->setText(QString::fromLatin1(kSelect));

    std::vector<double> ours, plain;
    for (int run = 0; run < kRuns; ++run) {
        for (int side = 0; side < 2; ++side) {
            const bool oursFirst = run % 2 == 0;
            QElapsedTimer timer;
            if ((side == 0) == oursFirst) {
                timer.start();
                console.aFuttat->trigger();
                console.grab();   // the grid's first paint, header and visible rows
                ours.push_back(zbench::msSince(timer));
                if (console.query()->recordCount() != kRows || !testhooks::shownMessages().isEmpty())
                    zbench::fail("sql_console_100k: the query did not show its rows");
            } else {
                timer.start();
                const std::size_t rows = zbench::plainLoadCount(plainDb, QByteArray(kSelect));
                plain.push_back(zbench::msSince(timer));
                if (rows != std::size_t(kRows))
                    zbench::fail("sql_console_100k: wrong row count");
            }
        }
    }
    console.close();
    sqlite3_close(plainDb);
    Shared() = SharedData{};
    zbench::report("sql_console_100k", ours, plain);
    return 0;
}

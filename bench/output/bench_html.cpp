// HTML export of the task list at 100,000 open tasks, against the sqlite3
// shell writing the same SELECT of the same columns as an HTML table to a file:
//   html_export_100k  WriteGridHtml over the task list window's grid (the
//                     export without its dialog); the record set is loaded
//                     once, only the writing is timed

#include "bench/common/benchkit.h"
#include "app/helpers/datagrid.h"
#include "output/htmlexport.h"
#include "scheduling/tasklist.h"
#include "bench/common/tasklistbench.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <vector>

namespace {

using zbench::kRows;
constexpr int kRuns = 7;

int rowsIn(const QString &path, const QByteArray &rowStart)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return int(f.readAll().count(rowStart));
}

} // namespace

int main(int argc, char **argv)
{
    zbench::preferOffscreen();
    QApplication app(argc, argv);
    if (!zbench::haveSqliteShell())
        return 1;

    const QString dir = zbench::dataDir(argc, argv);
    const QString path = zbench::taskDatabase(dir, zbench::TaskMix::OpenOnly);
    const QString ourPage = QDir(dir).filePath(QStringLiteral("feladatok.htm"));
    const QString shellPage = QDir(dir).filePath(QStringLiteral("feladatok_sqlite3.htm"));

    zbench::TaskListBench bench(path);
    Tfrm_Feladat *window = bench.openWindow(false);
    DataGrid *grid = window->grid();
    if (bench.tasks().recordCount() != kRows)
        zbench::fail("html_export_100k: the window does not hold every open task");

    // The same columns, rows and order as the grid shows.
    const QStringList shellArgs{QStringLiteral("-html"), path, bench.gridSelect(grid)};

    // One of each first: the file cache is warm for both sides.
    WriteGridHtml(grid->shape(), QStringLiteral("Feladatok"), QString(), ourPage);
    if (!zbench::runSqliteShell(shellArgs, shellPage))
        zbench::fail("html_export_100k: sqlite3 failed");

    std::vector<double> ours, limit;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        WriteGridHtml(grid->shape(), QStringLiteral("Feladatok"), QString(), ourPage);
        ours.push_back(zbench::msSince(t));

        t.start();
        if (!zbench::runSqliteShell(shellArgs, shellPage))
            zbench::fail("html_export_100k: sqlite3 failed");
        limit.push_back(zbench::msSince(t));
    }
    if (rowsIn(ourPage, "  <tr>\r\n") != kRows + 1 || rowsIn(shellPage, "<TR>") != kRows)
        zbench::fail("html_export_100k: row counts differ");

    zbench::report("html_export_100k", ours, limit);

    delete window;
    return 0;
}

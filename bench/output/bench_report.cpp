// The list report of the task list at 100,000 open tasks (layout and
// pagination, no painting), against the sqlite3 shell writing the same
// SELECT of the same columns as an HTML table to a file:
//   report_layout_100k  makeGridReport over the task list window's grid; the
//                       record set is loaded once, only building the report
//                       is timed
// The HTML export is allowed 1.5 times the shell's time and the list report
// 3 times the HTML export, so the report's target is ratio <= 3 x 1.5 = 4.5.

#include "bench/common/benchkit.h"
#include "app/helpers/datagrid.h"
#include "output/printgrid.h"
#include "scheduling/tasklist.h"
#include "bench/common/tasklistbench.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

#include <cstdio>
#include <vector>

namespace {

using zbench::kRows;
constexpr int kRuns = 5;

} // namespace

int main(int argc, char **argv)
{
    zbench::preferOffscreen();
    QApplication app(argc, argv);
    if (!zbench::haveSqliteShell())
        return 1;

    const QString dir = zbench::dataDir(argc, argv);
    const QString path = zbench::taskDatabase(dir, zbench::TaskMix::OpenOnly);
    const QString shellPage = QDir(dir).filePath(QStringLiteral("report_sqlite3.htm"));

    zbench::TaskListBench bench(path);
    Tfrm_Feladat *window = bench.openWindow(false);
    DataGrid *grid = window->grid();
    if (bench.tasks().recordCount() != kRows)
        zbench::fail("report_layout_100k: the window does not hold every open task");

    const QStringList shellArgs{QStringLiteral("-html"), path, bench.gridSelect(grid)};
    const zrep::ReportOwner owner{QStringLiteral("Példa Kft."), QStringLiteral("1052 Budapest"),
                                  QStringLiteral("Váci utca 12."), QStringLiteral("+36 1 234 5678")};
    auto build = [&] {
        return zrep::makeGridReport(grid->columns(), grid->width(), &bench.tasks(), false, QString(), 8,
                                    QStringLiteral("Feladatok"), owner);
    };

    // One of each first, to warm the caches of both sides.
    int pages = build().pageCount();
    if (!zbench::runSqliteShell(shellArgs, shellPage))
        zbench::fail("report_layout_100k: sqlite3 failed");

    std::vector<double> ours, limit;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        const zrep::ReportLayout layout = build();
        ours.push_back(zbench::msSince(t));
        pages = layout.pageCount();

        t.start();
        if (!zbench::runSqliteShell(shellArgs, shellPage))
            zbench::fail("report_layout_100k: sqlite3 failed");
        limit.push_back(zbench::msSince(t));
    }
    // 22 rows on a landscape page.
    if (pages != (kRows + 21) / 22) {
        std::fprintf(stderr, "unexpected page count %d\n", pages);
        return 1;
    }

    zbench::report("report_layout_100k", ours, limit);

    delete window;
    return 0;
}

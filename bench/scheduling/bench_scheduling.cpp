// The task list window over 100,000 tasks, against plain C loops over the
// same SQLite result (prepare the window's SELECT, step it, copy every
// column's text into a malloc'd buffer of its own):
//   task_list_open_100k  creating the window: record set open, model reset, first paint
//   task_list_sort_100k  re-sorting by "ügyfél": close, order by ugyfel_nevs, reopen,
//                        model reset, repaint

#include "bench/common/benchkit.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"
#include "scheduling/tasklist.h"
#include "bench/common/tasklistbench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <sqlite3.h>

#include <vector>

namespace {

using zbench::kRows;
constexpr int kRuns = 7;

} // namespace

int main(int argc, char **argv)
{
    zbench::preferOffscreen();
    QApplication app(argc, argv);

    const QString path = zbench::taskDatabase(zbench::dataDir(argc, argv), zbench::TaskMix::OpenOnly);
    zbench::TaskListBench bench(path);
    zdb::Table &tasks = bench.tasks();

    sqlite3 *plainDb = nullptr;
    zbench::check(sqlite3_open_v2(QFile::encodeName(path).constData(), &plainDb, SQLITE_OPEN_READWRITE, nullptr),
                  plainDb, "open");

    // One of each first: fonts, pictures and the file cache are warm for both sides.
    delete bench.openWindow(true);
    tasks.setOrder(QStringLiteral("dat_hatid"));
    const QByteArray openSql = bench.connection().encode(tasks.selectSql());
    zbench::plainLoadCount(plainDb, openSql);

    std::vector<double> ours, plain;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        Tfrm_Feladat *w = bench.openWindow(true);
        ours.push_back(zbench::msSince(t));
        if (tasks.recordCount() != kRows || w->grid()->model()->rowCount() != kRows)
            zbench::fail("task_list_open_100k: the window does not show every open task");
        delete w;

        t.start();
        if (zbench::plainLoadCount(plainDb, openSql) != size_t(kRows))
            zbench::fail("task_list_open_100k: wrong row count");
        plain.push_back(zbench::msSince(t));
    }
    zbench::report("task_list_open_100k", ours, plain);

    // Re-sorting an open window by the customer column.
    Tfrm_Feladat *w = bench.openWindow(true);
    GridSorter *sorter = w->sorter();
    const int customer = w->grid()->columnOfField(QStringLiteral("ugyfel_nev"));
    sorter->sortByColumn(customer, true);
    const QByteArray sortSql = bench.connection().encode(tasks.selectSql());
    if (!sortSql.contains("ugyfel_nevs"))
        zbench::fail("task_list_sort_100k: the customer column does not sort by its key");
    zbench::plainLoadCount(plainDb, sortSql);
    ours.clear();
    plain.clear();
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        sorter->sortByColumn(customer, true);
        w->grid()->viewport()->repaint();
        ours.push_back(zbench::msSince(t));
        if (tasks.recordCount() != kRows)
            zbench::fail("task_list_sort_100k: wrong row count");

        t.start();
        if (zbench::plainLoadCount(plainDb, sortSql) != size_t(kRows))
            zbench::fail("task_list_sort_100k: wrong row count");
        plain.push_back(zbench::msSince(t));
    }
    zbench::report("task_list_sort_100k", ours, plain);

    delete w;
    sqlite3_close(plainDb);
    return 0;
}

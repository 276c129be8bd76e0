// Several desks on one database, on the 100,000-task file (a copy, since
// these write):
//   desk_idle_watch           five task list windows idle for 10 s with the watcher on,
//                             CPU time against the same with it off
//   desk_idle_watch_plain     the same watching, against a plain loop that wakes on a
//                             one-second timer and steps PRAGMA data_version on a
//                             connection of its own (the floor of any watcher that looks)
//   desk_refresh_100k         the open task list brought current after another
//                             connection changed one row, against opening the list
//   desk_post_conflict_check  10,000 posts checking every column read, against the
//                             same posts checking rowid and identifier alone

#include "bench/common/benchkit.h"
#include "bench/common/tasklistbench.h"
#include "app/helpers/datagrid.h"
#include "db/datawatch.h"
#include "scheduling/tasklist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <sqlite3.h>

#include <ctime>
#include <memory>
#include <vector>

namespace {

using zbench::kRows;
constexpr int kRuns = 5;
constexpr int kPosts = 10000;

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// CPU time of `ms` of idle event loop.
double idleCpu(int ms)
{
    const double before = cpuMs();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return cpuMs() - before;
}

double posts(zdb::Table &tasks, bool guardValues, int round)
{
    tasks.setGuardReadValues(guardValues);
    tasks.connection()->beginTransaction();
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kPosts; ++i) {
        tasks.setCurrentRow(i * 7 % tasks.recordCount());
        tasks.edit();
        tasks.setValue(QStringLiteral("rovid"), QStringLiteral("kör %1 / %2").arg(round).arg(i));
        tasks.post();
    }
    const double ms = zbench::msSince(t);
    tasks.connection()->commit();
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    zbench::preferOffscreen();
    QApplication app(argc, argv);

    const QString source = zbench::taskDatabase(zbench::dataDir(argc, argv), zbench::TaskMix::OpenOnly);
    const QString path = source + QStringLiteral(".desks");
    QFile::remove(path);
    if (!QFile::copy(source, path))
        zbench::fail("cannot copy the task database");

    {
        zbench::TaskListBench bench(path);
        zdb::Table &tasks = bench.tasks();
        zdb::DataWatcher watcher(&bench.connection());
        sqlite3 *other = nullptr;
        zbench::check(sqlite3_open_v2(QFile::encodeName(path).constData(), &other, SQLITE_OPEN_READWRITE, nullptr),
                      other, "open");

        // Idle: five windows, the watcher looking once a second or not at all.
        std::vector<std::unique_ptr<Tfrm_Feladat>> windows;
        for (int i = 0; i < 5; ++i)
            windows.emplace_back(bench.openWindow(true));
        idleCpu(500);
        std::vector<double> on, off;
        for (int run = 0; run < 2; ++run) {
            watcher.setEnabled(true);
            on.push_back(idleCpu(5000));
            watcher.setEnabled(false);
            off.push_back(idleCpu(5000));
        }
        zbench::report("desk_idle_watch", on[0] + on[1], off[0] + off[1], 2);
        {
            sqlite3_stmt *look = nullptr;
            zbench::check(sqlite3_prepare_v2(other, "PRAGMA data_version", -1, &look, nullptr), other, "prepare");
            QTimer timer;
            timer.setInterval(1000);
            timer.setTimerType(Qt::VeryCoarseTimer);
            QObject::connect(&timer, &QTimer::timeout, [look] {
                sqlite3_step(look);
                sqlite3_reset(look);
            });
            timer.start();
            const double plain = idleCpu(5000) + idleCpu(5000);
            timer.stop();
            sqlite3_finalize(look);
            zbench::report("desk_idle_watch_plain", on[0] + on[1], plain, 2);
        }
        // A list window closing closes the shared task list: one anew.
        windows.clear();
        windows.emplace_back(bench.openWindow(true));
        watcher.setEnabled(true);

        // One row changed by another connection; the list brought current.
        std::vector<double> refresh, open;
        for (int run = 0; run < kRuns; ++run) {
            const QByteArray sql = "UPDATE dolog3 SET rovid = 'máshol " + QByteArray::number(run)
                + "' WHERE rowid = 5000";
            zbench::check(sqlite3_exec(other, sql.constData(), nullptr, nullptr, nullptr), other, "update");
            QElapsedTimer t;
            t.start();
            if (!watcher.check())
                zbench::fail("desk_refresh_100k: the change was not seen");
            windows[0]->grid()->viewport()->repaint();
            refresh.push_back(zbench::msSince(t));
            if (tasks.recordCount() != kRows)
                zbench::fail("desk_refresh_100k: wrong row count");

            t.start();
            delete bench.openWindow(true);
            open.push_back(zbench::msSince(t));
            // The closed window closed the shared list the first one shows.
            tasks.open();
        }
        zbench::report("desk_refresh_100k", refresh, open);
        windows.clear();
        watcher.setEnabled(false);

        // Posts with every column read checked, and with rowid and identifier alone.
        sqlite3_close(other);
        bench.connection().executeDirect(QStringLiteral("PRAGMA synchronous = OFF"));
        if (!tasks.isOpen())
            tasks.open();
        posts(tasks, true, 0);
        std::vector<double> values, rowid;
        for (int run = 1; run <= 3; ++run) {
            values.push_back(posts(tasks, true, run));
            rowid.push_back(posts(tasks, false, run + 100));
        }
        zbench::report("desk_post_conflict_check", values, rowid);
    }
    QFile::remove(path);
    return 0;
}

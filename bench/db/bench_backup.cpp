// Restore copies and the start-up check at 100,000 tasks, against the
// sqlite3 shell doing the same: ".backup" of the file, and "PRAGMA
// quick_check" on it.

#include "bench/common/benchkit.h"
#include "db/backup.h"
#include "db/connection.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <vector>

namespace {

constexpr int kRuns = 5;

} // namespace

int main(int argc, char **argv)
{
    const QString dir = zbench::dataDir(argc, argv);
    const QString db = zbench::taskDatabase(dir, zbench::TaskMix::Mixed);
    if (!zbench::haveSqliteShell())
        return 1;
    const QString ourCopy = QDir(dir).filePath(QStringLiteral("backup-ours.sqb"));
    const QString shellCopy = QDir(dir).filePath(QStringLiteral("backup-shell.sqb"));

    std::vector<double> ours, limit;
    zdb::Connection conn;
    conn.setPath(db);
    conn.open();
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        zdb::BackupDatabase(conn.handle(), ourCopy);
        ours.push_back(zbench::msSince(t));
        QFile::remove(shellCopy);
        t.start();
        if (!zbench::runSqliteShell({db, QStringLiteral(".backup '%1'").arg(shellCopy)}, QStringLiteral("/dev/null")))
            zbench::fail("sqlite3 .backup");
        limit.push_back(zbench::msSince(t));
    }
    conn.close();
    zbench::report("backup_100k", ours, limit);

    ours.clear();
    limit.clear();
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        if (!zdb::QuickCheck(db).sound)
            zbench::fail("quick_check found damage");
        ours.push_back(zbench::msSince(t));
        t.start();
        if (!zbench::runSqliteShell({db, QStringLiteral("PRAGMA quick_check;")}, QStringLiteral("/dev/null")))
            zbench::fail("sqlite3 quick_check");
        limit.push_back(zbench::msSince(t));
    }
    zbench::report("startup_check_100k", ours, limit);
    QFile::remove(ourCopy);
    QFile::remove(shellCopy);
    return 0;
}

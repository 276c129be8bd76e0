// Delimited export of the task table at 100,000 rows (every field, ";" and
// '"'), against the sqlite3 shell writing the same SELECT as CSV to a file.
// The record set is loaded once; only the writing is timed.

#include "bench/common/benchkit.h"
#include "db/connection.h"
#include "output/delimitedexport.h"
#include "db/recordset.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <vector>

namespace {

using zbench::kRows;
constexpr int kRuns = 7;
const char *kSelect = "select * from dolog3";

} // namespace

int main(int argc, char **argv)
{
    if (!zbench::haveSqliteShell())
        return 1;
    const QString dir = zbench::dataDir(argc, argv);
    const QString path = zbench::taskDatabase(dir, zbench::TaskMix::Mixed);
    const QString oursOut = QDir(dir).filePath(QStringLiteral("csv_ours.csv"));
    const QString shellOut = QDir(dir).filePath(QStringLiteral("csv_sqlite3.csv"));

    zdb::Connection conn;
    conn.setPath(path);
    conn.open();
    zdb::Table table(&conn, QStringLiteral("dolog3"));
    table.open();
    if (table.recordCount() != kRows)
        zbench::fail("csv_export_100k: wrong row count");
    DelimitedOptions options;
    options.separator = QLatin1Char(';');
    options.qualifier = QLatin1Char('"');
    options.fields = AllDelimitedFields(table);
    const QStringList shellArgs{QStringLiteral("-csv"), QStringLiteral("-separator"), QStringLiteral(";"), path,
                                QString::fromLatin1(kSelect)};

    std::vector<double> ours, shell;
    for (int run = 0; run < kRuns; ++run) {
        for (int side = 0; side < 2; ++side) {
            const bool oursFirst = run % 2 == 0;
            QElapsedTimer timer;
            if ((side == 0) == oursFirst) {
                timer.start();
                QFile file(oursOut);
                if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                    zbench::fail("csv_export_100k: cannot write the export");
                const int written = WriteDelimited(table, options, file);
                file.close();
                ours.push_back(zbench::msSince(timer));
                if (written != kRows)
                    zbench::fail("csv_export_100k: wrong row count written");
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
    zbench::report("csv_export_100k", ours, shell);
    return 0;
}

#pragma once

// What every benchmark program shares: the 100,000-task test database, the
// plain C loop the data layer is held against, the sqlite3 shell as a limit,
// the data folder, and the median timing with its one-line result
//   "<name>: ours=<ms> limit=<ms> ratio=<ours/limit>".

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <cstddef>
#include <functional>
#include <vector>

namespace zbench {

constexpr int kRows = 100000;
extern const char *const kSqliteShell;   // "/usr/bin/sqlite3"

// Prints what went wrong and ends the program with exit code 1.
[[noreturn]] void fail(const char *what);
// Ends the program on an SQLite error code (OK, ROW and DONE pass).
void check(int rc, sqlite3 *db, const char *what);

// The GUI benchmarks run headless unless QT_QPA_PLATFORM says otherwise;
// call before constructing the QApplication.
void preferOffscreen();

// Folder for the generated databases and written files: the first program
// argument, else $ZENTAVO_BENCH_DIR, else a folder in the build tree. Created
// when missing.
QString dataDir(int argc, char **argv);

// ---- test data -------------------------------------------------------------

enum class TaskMix {
    Mixed,      // about half the tasks done, with a done date
    OpenOnly,   // every task open (kesz='N'), as the task list shows them
};

// Path of the kRows-task database in `dir` (the program's schema with its
// indexes; realistic Hungarian texts in Windows-1250, a 200-character leiras,
// names and descriptions carrying what writers must quote or escape). Made
// once and kept; remade when its row count or data version does not match.
QString taskDatabase(const QString &dir, TaskMix mix);

// Path of the notes database in `dir`: kRows notes (categories, some empty
// and some NULL; kNoteMatches of them hold kNoteMarker in their text) and
// kWorkEntries work entries of the task 1 among as many of other tasks.
constexpr int kNoteMatches = 1000;
constexpr int kWorkEntries = 10000;
constexpr const char *kNoteMarker = "gyöngyvirág";
QString notesDatabase(const QString &dir);

// ---- the limit: a plain C loop over the same SELECT -------------------------

// Every row of a result with every column's text in a malloc'd buffer of its
// own (NULL stays a null pointer).
class PlainRows
{
public:
    PlainRows() = default;
    PlainRows(const PlainRows &) = delete;
    PlainRows &operator=(const PlainRows &) = delete;
    ~PlainRows() { clear(); }

    void clear();
    std::size_t size() const { return m_rows.size(); }
    int columns() const { return m_columns; }
    const char *at(std::size_t row, int column) const { return m_rows[row][column]; }

private:
    friend void plainLoad(sqlite3 *db, const QByteArray &sql, PlainRows &out);
    int m_columns = 0;
    std::vector<char **> m_rows;
};

// Prepares `sql`, steps it and copies every column's text into `out`.
void plainLoad(sqlite3 *db, const QByteArray &sql, PlainRows &out);
// The same, freeing the copies again; returns the number of rows.
std::size_t plainLoadCount(sqlite3 *db, const QByteArray &sql);

// ---- the limit: the sqlite3 shell -------------------------------------------

// False, with a message, when the shell is not installed.
bool haveSqliteShell();
// Runs the shell with `arguments`, its standard output going to `outFile`;
// true when it finished normally with exit code 0.
bool runSqliteShell(const QStringList &arguments, const QString &outFile);

// ---- timing and the result line ---------------------------------------------

double median(std::vector<double> samples);
double msSince(const QElapsedTimer &timer);

// Prints "<name>: ours=<o> limit=<l> ratio=<o/l>" with `decimals` digits for
// the two measures and flushes, so a later crash cannot swallow the line.
void report(const char *name, double ours, double limit, int decimals = 1);
// Peak resident memory in MB that `work` adds, measured in a forked child so
// that what it leaves behind does not burden the next measurement.
double peakMb(const std::function<void()> &work);
// The same for the medians of two sample series.
void report(const char *name, const std::vector<double> &ours, const std::vector<double> &limit, int decimals = 1);

} // namespace zbench

// The note pad and the work log over large tables, against plain C loops over
// the same SQLite result (prepare the window's SELECT, step it, copy every
// column's text into a malloc'd buffer of its own):
//   notes_open_100k     creating the notes window over 100,000 notes: category
//                       query, notes record set, model reset, first paint
//   notes_search_100k   "Keres" in the text search, 1,000 of 100,000 notes
//                       matching, with the excerpt of the first
//   worklog_open_10k    the work log of a task with 10,000 entries

#include "bench/common/benchkit.h"

#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "scheduling/notes.h"
#include "scheduling/notesearch.h"
#include "scheduling/worklog.h"

#include "db/connection.h"
#include "db/recordset.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTextEdit>

#include <sqlite3.h>

#include <vector>

namespace {

constexpr int kRuns = 7;

} // namespace

int main(int argc, char **argv)
{
    zbench::preferOffscreen();
    QApplication app(argc, argv);

    const QString path = zbench::notesDatabase(zbench::dataDir(argc, argv));
    zdb::Connection conn;
    conn.setPath(path);
    conn.open();
    Shared().Db1 = &conn;
    Beall() = TBeall{};

    sqlite3 *plainDb = nullptr;
    zbench::check(sqlite3_open_v2(QFile::encodeName(path).constData(), &plainDb, SQLITE_OPEN_READWRITE, nullptr),
                  plainDb, "open");

    // ---- the notes window
    auto openNotes = [] {
        auto *w = new Tfrm_Jegyzetek;
        w->resize(1000, 600);
        w->show();
        w->grab();
        return w;
    };
    Tfrm_Jegyzetek *w = openNotes();
    const QByteArray notesSql = conn.encode(w->notes()->selectSql());
    delete w;
    zbench::plainLoadCount(plainDb, notesSql);
    std::vector<double> ours, plain;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        w = openNotes();
        ours.push_back(zbench::msSince(t));
        if (w->notes()->recordCount() != zbench::kRows || w->grid()->model()->rowCount() != zbench::kRows)
            zbench::fail("notes_open_100k: the window does not show every note");
        delete w;

        t.start();
        if (zbench::plainLoadCount(plainDb, notesSql) != size_t(zbench::kRows))
            zbench::fail("notes_open_100k: wrong row count");
        plain.push_back(zbench::msSince(t));
    }
    zbench::report("notes_open_100k", ours, plain);

    // ---- the text search
    const QString marker = QString::fromUtf8(zbench::kNoteMarker);
    Tfrm_SzovegKeres search(marker);
    search.resize(560, 400);
    search.show();
    QByteArray likeSql = "SELECT * FROM jegyzet WHERE szoveg LIKE '%" + conn.encode(marker) + "%'";
    search.search();
    zbench::plainLoadCount(plainDb, likeSql);
    ours.clear();
    plain.clear();
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        search.search();
        search.excerptPane()->repaint();
        ours.push_back(zbench::msSince(t));
        if (search.query()->recordCount() != zbench::kNoteMatches)
            zbench::fail("notes_search_100k: wrong number of matches");

        t.start();
        if (zbench::plainLoadCount(plainDb, likeSql) != size_t(zbench::kNoteMatches))
            zbench::fail("notes_search_100k: wrong row count");
        plain.push_back(zbench::msSince(t));
    }
    zbench::report("notes_search_100k", ours, plain);

    // ---- the work log
    auto openLog = [] {
        auto *d = new Tfrm_Munka(1);
        d->show();
        d->grab();
        return d;
    };
    Tfrm_Munka *log = openLog();
    const QByteArray logSql = conn.encode(log->entries()->selectSql());
    delete log;
    zbench::plainLoadCount(plainDb, logSql);
    ours.clear();
    plain.clear();
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        log = openLog();
        ours.push_back(zbench::msSince(t));
        if (log->entries()->recordCount() != zbench::kWorkEntries)
            zbench::fail("worklog_open_10k: the log does not show every entry of the task");
        delete log;

        t.start();
        if (zbench::plainLoadCount(plainDb, logSql) != size_t(zbench::kWorkEntries))
            zbench::fail("worklog_open_10k: wrong row count");
        plain.push_back(zbench::msSince(t));
    }
    zbench::report("worklog_open_10k", ours, plain);

    sqlite3_close(plainDb);
    conn.close();
    Shared() = SharedData{};
    return 0;
}

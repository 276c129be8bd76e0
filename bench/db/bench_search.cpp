// The search over all data at 300,000 records (100,000 tasks, notes and
// customers each). search_type_300k: one keystroke's query, a two-word
// accent-free prefix search, to its first page of results, against the bare
// FTS5 query over the same index. search_reindex_300k: re-indexing the three
// tables against SQLite's own INSERT INTO fts SELECT of the same texts.

#include "bench/common/benchkit.h"
#include "bench/db/searchdata.h"
#include "db/codec.h"
#include "db/searchindex.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <sqlite3.h>

#include <cstdio>
#include <vector>

namespace {

using zbench::kRows;
const int kRuns = qEnvironmentVariableIntValue("ZENTAVO_BENCH_RUNS") > 0 ? qEnvironmentVariableIntValue("ZENTAVO_BENCH_RUNS") : 3;
constexpr int kDataVersion = 1;

using searchdata::Rng;

void bindText(sqlite3_stmt *st, int i, const QString &text)
{
    const QByteArray b = zdb::toCp1250(text);
    sqlite3_bind_text(st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

QString schemaText()
{
    QFile f(QStringLiteral(ZENTAVO_SCHEMA_FILE));
    if (!f.open(QIODevice::ReadOnly))
        zbench::fail("schema file");
    return QString::fromUtf8(f.readAll());
}

// The 300,000-record database, made once and kept in the data folder.
QString searchDatabase(const QString &dir)
{
    const QString path = dir + QStringLiteral("/search300k-v%1.sqb").arg(kDataVersion);
    if (QFile::exists(path))
        return path;
    const QString tmp = path + QStringLiteral(".tmp");
    QFile::remove(tmp);
    sqlite3 *db = nullptr;
    zbench::check(sqlite3_open(QFile::encodeName(tmp).constData(), &db), db, "open");
    zbench::check(sqlite3_exec(db, schemaText().toUtf8().constData(), nullptr, nullptr, nullptr), db, "schema");
    zbench::check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    Rng rng;
    sqlite3_stmt *task = nullptr, *note = nullptr, *cust = nullptr;
    zbench::check(sqlite3_prepare_v2(db, "INSERT INTO dolog3 (dolog3, datum, rovid, leiras, kesz, statusz) VALUES (?1, ?2, ?3, ?4, 'N', 0)", -1, &task, nullptr), db, "prep");
    zbench::check(sqlite3_prepare_v2(db, "INSERT INTO jegyzet (jegyzet, datum, kategoria, rovid, szoveg) VALUES (?1, ?2, 'Általános', ?3, ?4)", -1, &note, nullptr), db, "prep");
    zbench::check(sqlite3_prepare_v2(db, "INSERT INTO ugyfel (ugyfel, ugyfelkod, ugyfel_nev, kapcsolattarto, telefon, emil, varos, megjegyzes) VALUES (?1, ?1, ?2, ?3, ?4, ?5, ?6, ?7)", -1, &cust, nullptr), db, "prep");
    for (int i = 1; i <= kRows; ++i) {
        const QString date = QDate(2015, 1, 1).addDays(int(rng.next() % 4000)).toString(Qt::ISODate);
        sqlite3_bind_int(task, 1, i);
        bindText(task, 2, date);
        bindText(task, 3, rng.words(3));
        bindText(task, 4, rng.words(25) + QStringLiteral(" tel: 06-%1-%2").arg(20 + int(rng.next() % 50)).arg(1000000 + int(rng.next() % 8999999)));
        zbench::check(sqlite3_step(task), db, "task");
        sqlite3_reset(task);
        sqlite3_bind_int(note, 1, i);
        bindText(note, 2, date);
        bindText(note, 3, rng.words(3));
        bindText(note, 4, rng.words(40));
        zbench::check(sqlite3_step(note), db, "note");
        sqlite3_reset(note);
        sqlite3_bind_int(cust, 1, i);
        bindText(cust, 2, rng.words(2) + QStringLiteral(" Kft"));
        bindText(cust, 3, rng.words(2));
        bindText(cust, 4, QStringLiteral("06-30-%1").arg(1000000 + int(rng.next() % 8999999)));
        bindText(cust, 5, QStringLiteral("info%1@example.hu").arg(i));
        bindText(cust, 6, rng.words(1));
        bindText(cust, 7, rng.words(8));
        zbench::check(sqlite3_step(cust), db, "customer");
        sqlite3_reset(cust);
    }
    sqlite3_finalize(task);
    sqlite3_finalize(note);
    sqlite3_finalize(cust);
    zbench::check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
    QFile::rename(tmp, path);
    return path;
}

void removeIndex(const QString &indexPath)
{
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(indexPath + QString::fromLatin1(suffix));
}

const QStringList kTables{QStringLiteral("dolog3"), QStringLiteral("jegyzet"), QStringLiteral("ugyfel")};

} // namespace

int main(int argc, char **argv)
{
    const QString dir = zbench::dataDir(argc, argv);
    const QString path = searchDatabase(dir);
    const QString indexPath = zdb::SearchIndexPath(path);

    sqlite3 *mainDb = nullptr;
    zbench::check(sqlite3_open_v2(QFile::encodeName(path).constData(), &mainDb, SQLITE_OPEN_READONLY, nullptr), mainDb, "open");

    // ---- re-index ----
    std::vector<double> ours, limit;
    for (int run = 0; run < kRuns; ++run) {
        removeIndex(indexPath);
        {
            zdb::SearchIndexFile index(indexPath);
            QElapsedTimer t;
            t.start();
            index.reindexTables(mainDb, zdb::Encoding::Standard, kTables);
            ours.push_back(zbench::msSince(t));
        }
        // SQLite's own copy of the same texts into an FTS5 table of the same
        // shape, in the same kind of side file.
        const QString plainPath = dir + QStringLiteral("/search-plain.fts");
        removeIndex(plainPath);
        sqlite3 *plain = nullptr;
        zbench::check(sqlite3_open(QFile::encodeName(plainPath).constData(), &plain), plain, "open plain");
        const QByteArray attach = QByteArrayLiteral("ATTACH '") + QFile::encodeName(path) + "' AS m";
        zbench::check(sqlite3_exec(plain, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                                          "CREATE VIRTUAL TABLE fts USING fts5 (body, digits, prefix='2 3');", nullptr, nullptr, nullptr), plain, "plain schema");
        zbench::check(sqlite3_exec(plain, attach.constData(), nullptr, nullptr, nullptr), plain, "attach");
        QElapsedTimer t;
        t.start();
        zbench::check(sqlite3_exec(plain,
            "BEGIN;"
            "INSERT INTO fts (body, digits) SELECT coalesce(rovid,'') || ' ' || coalesce(leiras,''), '' FROM m.dolog3;"
            "INSERT INTO fts (body, digits) SELECT coalesce(rovid,'') || ' ' || coalesce(szoveg,''), '' FROM m.jegyzet;"
            "INSERT INTO fts (body, digits) SELECT coalesce(ugyfel_nev,'') || ' ' || coalesce(kapcsolattarto,'') || ' ' || coalesce(varos,'') || ' ' || coalesce(telefon,'') || ' ' || coalesce(mobil,'') || ' ' || coalesce(fax,'') || ' ' || coalesce(emil,'') || ' ' || coalesce(megjegyzes,'') || ' ' || coalesce(ugyfelkod,''), '' FROM m.ugyfel;"
            "COMMIT;", nullptr, nullptr, nullptr), plain, "plain insert");
        limit.push_back(zbench::msSince(t));
        sqlite3_close(plain);
        removeIndex(plainPath);
    }
    zbench::report("search_reindex_300k", ours, limit);

    // ---- one keystroke ----
    // The index made above stays; typed texts that a user would type.
    const QStringList queries{QStringLiteral("kovacs bud"), QStringLiteral("szamla hat"), QStringLiteral("arviz tuk"),
                              QStringLiteral("ugyfel sze"), QStringLiteral("tavaszi fut"), QStringLiteral("karb gyo")};
    zdb::SearchIndexFile index(indexPath);
    sqlite3 *bare = nullptr;
    zbench::check(sqlite3_open_v2(QFile::encodeName(indexPath).constData(), &bare, SQLITE_OPEN_READONLY, nullptr), bare, "open index");
    sqlite3_stmt *st = nullptr;
    zbench::check(sqlite3_prepare_v2(bare, "SELECT rowid FROM fts WHERE fts MATCH ?1 ORDER BY rowid DESC LIMIT 300", -1, &st, nullptr), bare, "prep");
    std::vector<double> oursQ, limitQ;
    int hits = 0;
    for (int run = 0; run < kRuns; ++run) {
        for (const QString &q : queries) {
            QElapsedTimer t;
            t.start();
            hits += int(index.search(q, 300, 30).size());   // as the window asks
            oursQ.push_back(zbench::msSince(t));

            const QByteArray match = zdb::SearchMatchText(q, false).toUtf8();
            t.restart();
            sqlite3_bind_text(st, 1, match.constData(), int(match.size()), SQLITE_TRANSIENT);
            while (sqlite3_step(st) == SQLITE_ROW)
                ++hits;
            sqlite3_reset(st);
            limitQ.push_back(zbench::msSince(t));
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(bare);
    if (hits == 0)
        zbench::fail("no search results");
    zbench::report("search_type_300k", oursQ, limitQ, 2);
    sqlite3_close(mainDb);
    return 0;
}

// The search over all data: how typed words match, on a file and on a
// server alike; the index beside a database file kept current by the
// program's writes, and a stale one noticed; a server's search table kept
// by its triggers for every writer.

#include "db/catalog.h"
#include "db/codec.h"
#include "db/connection.h"
#include "db/cursor.h"
#include "db/recordset.h"
#include "db/searchindex.h"
#include "db/serverschema.h"
#include "db/serversearch.h"

#include "tests/common/pgtest.h"
#include "tests/common/testenv.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace zdb;

namespace {

QString key(const SearchHit &h)
{
    return QStringLiteral("%1:%2").arg(h.kind).arg(h.id);
}

QStringList keysOf(const QList<SearchHit> &hits)
{
    QStringList keys;
    for (const SearchHit &h : hits)
        keys << key(h);
    return keys;
}

const char *kRows = R"(
INSERT INTO ugyfel (ugyfel, ugyfel_nev, kapcsolattarto, varos, telefon, emil) VALUES
  (1, 'Árvíztűrő Tükörfúrógép Kft', 'Kovács Ödön', 'Budapest', '06-30-123-4567', 'info@arviz.hu'),
  (2, 'ŐSZI ÜGYFÉL BT', 'Szabó Ůrsula', 'Szeged', '+36 1 555 0101', NULL),
  (3, 'Kovácsné Műhely', NULL, 'Győr', NULL, NULL);
INSERT INTO alkalmazott (alkalmazott, ugyfel, alkalmazott_nev, telefon) VALUES (1, 2, 'Őri Zsófia', '20/987-6543');
INSERT INTO termek (termek, cikkszam, termek_nev, kategoria) VALUES (1, 'AB-1234', 'Fúrógép', 'Gépek');
INSERT INTO projekt (projekt, projekt_kod, projekt_nev, dat_indul) VALUES (1, 'P-77', 'Tavaszi kampány', '2024-03-01');
INSERT INTO dolog3 (dolog3, datum, rovid, leiras) VALUES
  (1, '2024-01-10', 'Kis javítás', 'hívd vissza: 06 30 123 4567'),
  (2, '2024-05-10', 'Kisebb munka', NULL),
  (3, '2023-02-01', 'Régi kis ügy', NULL);
INSERT INTO dolog1 (dolog1, datum, rovid, leiras) VALUES (1, '2024-06-01', 'Tárgyalás', 'Árvíztűrő ügyfél');
INSERT INTO jegyzet (jegyzet, datum, rovid, szoveg) VALUES (1, '2024-02-02', 'Új ügyfél', 'Kérdezni a <határidőt>');
INSERT INTO megjegyzes (megjegyzes, datum, rovid, ugyfel, szoveg) VALUES (1, '2024-04-04', 'Számla', 1, 'fizetési határidő');
INSERT INTO doksi (doksi, datum, rovid, termek, fileban) VALUES (1, '2024-04-05', 'Ajánlat', 1, 'C:\docs\ajanlat_2024.pdf');
)";

struct Env
{
    QTemporaryDir dir;
    Connection conn;
    SearchIndexKeeper keeper{&conn};
    bool server = false;

    Env()
    {
        testenv::makeDatabase(path());
        testenv::execSql(path(), QString::fromUtf8(kRows));
        conn.setPath(path());
        conn.open();
    }
    // A database `name` on the test server with the rows above; `withSearch`
    // false makes it as a program without the server's search did.
    Env(const QString &name, bool withSearch) : server(true)
    {
        conn.setPath(pgtest::freshDatabase(name));
        conn.open();
        QString schema = serverSchema(testenv::schemaSql());
        QVERIFY(schema.endsWith(serverSearchSchema()));
        if (!withSearch)
            schema.chop(serverSearchSchema().size());
        conn.executeDirect(schema);
        conn.executeDirect(QString::fromUtf8(kRows));
    }
    QString path() const { return dir.filePath(QStringLiteral("test.sqb")); }
    QList<SearchHit> search(const QString &q)
    {
        if (server)
            return keeper.searcherFactory()()->search(q);
        SearchIndexFile index(keeper.indexPath());
        return index.search(q);
    }
};

bool haveServer()
{
    return !pgtest::baseAddress().isEmpty();
}

// psql, as someone at the server's command line would write.
void psqlWrite(const QString &address, const QString &sql)
{
    QProcess psql;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGCLIENTENCODING"), QStringLiteral("UTF8"));
    psql.setProcessEnvironment(env);
    psql.start(QStringLiteral("psql"), {address, QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
                                         QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-c"), sql});
    QVERIFY(psql.waitForStarted());
    QVERIFY(psql.waitForFinished());
    QVERIFY2(psql.exitCode() == 0, psql.readAllStandardError().constData());
}

// Rows of the bare full-text table holding a word, read by the sqlite3 library.
int termRows(const Env &env, const QString &word)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(env.keeper.indexPath()).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    int n = -1;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM fts WHERE fts MATCH ?1", -1, &st, nullptr) == SQLITE_OK) {
        const QByteArray w = word.toUtf8();
        sqlite3_bind_text(st, 1, w.constData(), int(w.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int(st, 0);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return n;
}

// The sqlite3 shell writing the file, as a user at the command line would.
void shellWrite(const QString &dbPath, const QString &sql)
{
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {dbPath});
    QVERIFY(shell.waitForStarted());
    shell.write(toCp1250(sql));
    shell.closeWriteChannel();
    QVERIFY(shell.waitForFinished());
    QCOMPARE(shell.exitCode(), 0);
}

} // namespace

class TestDbSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase()
    {
        m_shared.reset();
        m_server.reset();
    }
    void matching_data();
    void matching();
    void matchedFieldIsMarked_data();
    void matchedFieldIsMarked();
    void indexLivesBesideTheDatabase();
    void programWritesKeepTheIndexCurrent();
    void shellWriteMakesTheIndexStale();
    void serverFoldsAsTheProgram();
    void serverTableFollowsEveryWriter();
    void serverWithoutRightsHasNoIndex();

private:
    Env *engine(const QString &name);
    std::unique_ptr<Env> m_shared;   // one indexed fixture for the table of cases
    std::unique_ptr<Env> m_server;   // the same rows on the server
};

void TestDbSearch::initTestCase()
{
    m_shared = std::make_unique<Env>();
    m_shared->keeper.start();
    m_shared->keeper.waitForReindex();
    if (haveServer()) {
        // A database of a program without the search: the first start makes
        // and fills its search table.
        m_server = std::make_unique<Env>(QStringLiteral("kereses_szabalyok"), false);
        QVERIFY(m_server->keeper.tryStart());
        QVERIFY(m_server->keeper.isReindexing());
        QVERIFY(!m_server->keeper.canSearch());   // nothing from a half-made table
        m_server->keeper.waitForReindex();
        QVERIFY2(m_server->keeper.canSearch(), qPrintable(m_server->keeper.lastError()));
    }
}

Env *TestDbSearch::engine(const QString &name)
{
    if (name == QLatin1String("file"))
        return m_shared.get();
    if (!m_server)
        return nullptr;
    return m_server.get();
}

void TestDbSearch::matching_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected");   // kind:id, in result order

    const QString c = QString::number(SearchCustomer), e = QString::number(SearchEmployee),
                  p = QString::number(SearchProduct), pr = QString::number(SearchProject),
                  t = QString::number(SearchTask), k = QString::number(SearchCalendar),
                  n = QString::number(SearchNote), m = QString::number(SearchComment),
                  d = QString::number(SearchDocument);
    auto l = [](std::initializer_list<QString> keys) { return QStringList(keys); };
    // Every case on both engines, with the same expectation.
    QList<std::tuple<const char *, QString, QStringList>> cases;
    auto row = [&cases](const char *name, const char *query, const QStringList &expected) {
        cases.append({name, QString::fromUtf8(query), expected});
    };
    // Accents and case both ways, Hungarian long vowels included.
    // The customer's e-mail holds "arviz" as a whole word.
    row("accent-free lower", "arviz", l({c + ":1", k + ":1"}));
    row("accented upper", "ÁRVÍZTŰRŐ", l({k + ":1", c + ":1"}));
    row("ő from plain O", "O", l({c + ":2", e + ":1", c + ":1"}));
    row("ugyfel finds ügyfél", "ugyfel", l({k + ":1", n + ":1", c + ":2"}));
    row("ű typed as ü", "tukorfuro", l({c + ":1"}));
    row("ů of another language", "URSULA", l({c + ":2"}));
    // Words match at a word's start only, all of them.
    row("inside a word", "turo", l({}));
    row("two words, two fields", "kovacs budap", l({c + ":1"}));
    row("two words, one missing", "kovacs szeged", l({}));
    row("punctuation in a word", "info@arviz", l({c + ":1"}));
    // Digits inside numbers, whatever separates them.
    row("phone digits inside", "301234", l({t + ":1", c + ":1"}));
    row("phone typed with dashes", "30-123-45", l({t + ":1", c + ":1"}));
    row("slash phone", "9876543", l({e + ":1"}));
    row("article number digits", "1234", l({p + ":1", t + ":1", c + ":1"}));
    row("article number as typed", "ab-1234", l({p + ":1"}));
    row("project code", "p-77", l({pr + ":1"}));
    row("file name", "ajanlat", l({d + ":1"}));
    row("comment text", "fizetesi hatar", l({m + ":1"}));
    // Exact words first, then newer before older.
    row("exact before prefix", "kis", l({t + ":1", t + ":3", t + ":2"}));
    row("empty", "  ", l({}));
    for (const char *engine : {"file", "server"})
        for (const auto &[name, query, expected] : cases)
            QTest::addRow("%s: %s", engine, name) << QString::fromLatin1(engine) << query << expected;
}

void TestDbSearch::matching()
{
    QFETCH(QString, engine);
    QFETCH(QString, query);
    QFETCH(QStringList, expected);
    Env *env = this->engine(engine);
    if (!env)
        QSKIP("no test server (ZENTAVO_TEST_PG)");
    QCOMPARE(keysOf(env->search(query)), expected);
}

void TestDbSearch::matchedFieldIsMarked_data()
{
    QTest::addColumn<QString>("engine");
    QTest::newRow("file") << QStringLiteral("file");
    QTest::newRow("server") << QStringLiteral("server");
}

void TestDbSearch::matchedFieldIsMarked()
{
    QFETCH(QString, engine);
    if (!this->engine(engine))
        QSKIP("no test server (ZENTAVO_TEST_PG)");
    Env &env = *this->engine(engine);
    const QList<SearchHit> hits = env.search(QStringLiteral("arviz"));
    QCOMPARE(hits.size(), 2);
    QCOMPARE(hits[1].caption, QStringLiteral("Tárgyalás"));
    QCOMPARE(hits[1].fieldLabel, QStringLiteral("Leírás"));
    QCOMPARE(hits[1].fieldHtml, QStringLiteral("<b>Árvíz</b>tűrő ügyfél"));
    QCOMPARE(hits[1].date, QStringLiteral("2024-06-01"));
    QCOMPARE(hits[0].caption, QStringLiteral("Árvíztűrő Tükörfúrógép Kft"));
    QCOMPARE(hits[0].date, QString());

    const QList<SearchHit> phone = env.search(QStringLiteral("301234"));
    QCOMPARE(phone[1].fieldLabel, QStringLiteral("Telefon"));
    QCOMPARE(phone[1].fieldHtml, QStringLiteral("06-<b>30-123-4</b>567"));

    // Markup in the data is shown as text.
    const QList<SearchHit> note = env.search(QStringLiteral("kerdez"));
    QCOMPARE(note.size(), 1);
    QCOMPARE(note[0].fieldHtml, QStringLiteral("<b>Kérdez</b>ni a &lt;határidőt&gt;"));
    QCOMPARE(note[0].ownerId, 0);
    const QList<SearchHit> comment = env.search(QStringLiteral("szamla"));
    QCOMPARE(comment[0].ownerKind, 0);
    QCOMPARE(comment[0].ownerId, 1);
}

void TestDbSearch::indexLivesBesideTheDatabase()
{
    Env env;
    const QByteArray schemaBefore = testenv::storedValue(env.path(), QStringLiteral(
        "SELECT group_concat(name) FROM sqlite_master")).toByteArray();
    env.keeper.start();
    env.keeper.waitForReindex();
    QVERIFY(QFileInfo::exists(env.path() + QStringLiteral("-kereses")));
    QCOMPARE(testenv::storedValue(env.path(), QStringLiteral("SELECT group_concat(name) FROM sqlite_master")).toByteArray(),
             schemaBefore);
}

void TestDbSearch::programWritesKeepTheIndexCurrent()
{
    Env env;
    env.keeper.start();
    env.keeper.waitForReindex();

    Table notes(&env.conn);
    UseCatalogue(notes, QStringLiteral("jegyzet"));
    notes.open();
    notes.insert();
    notes.setValue(QStringLiteral("rovid"), QStringLiteral("Őszibarack"));
    notes.setValue(QStringLiteral("datum"), QDate(2024, 7, 1));
    notes.post();
    const qint64 id = notes.value(QStringLiteral("jegyzet")).toLongLong();
    QVERIFY(!env.keeper.isReindexing());   // by row, at once
    QCOMPARE(keysOf(env.search(QStringLiteral("oszib"))), QStringList{QStringLiteral("%1:%2").arg(SearchNote).arg(id)});

    notes.edit();
    notes.setValue(QStringLiteral("rovid"), QStringLiteral("Szilva"));
    notes.post();
    QVERIFY(env.search(QStringLiteral("oszib")).isEmpty());
    // The old words are gone from the full-text table itself, not merely
    // without a record to show.
    QCOMPARE(termRows(env, QStringLiteral("oszibarack")), 0);
    QCOMPARE(termRows(env, QStringLiteral("szilva")), 1);
    QCOMPARE(env.search(QStringLiteral("szilva")).size(), 1);

    notes.remove();
    QVERIFY(env.search(QStringLiteral("szilva")).isEmpty());
    QCOMPARE(termRows(env, QStringLiteral("szilva")), 0);

    // A statement without row detail re-reads its table in the background.
    env.conn.executeDirect(QString::fromUtf8("UPDATE dolog3 SET rovid = 'Körte' WHERE dolog3 = 2"));
    TableChanges::notify(QStringLiteral("dolog3"));
    QVERIFY(env.keeper.isReindexing());
    env.keeper.waitForReindex();
    QCOMPARE(keysOf(env.search(QStringLiteral("korte"))), QStringList{QStringLiteral("%1:2").arg(SearchTask)});

    // All of it was the program's own writing: the next start finds the index current.
    env.keeper.stop();
    SearchIndexFile index(SearchIndexPath(env.path()));
    QVERIFY(index.isCurrentFor(env.path()));
}

void TestDbSearch::shellWriteMakesTheIndexStale()
{
    Env env;
    env.keeper.start();
    env.keeper.waitForReindex();
    env.keeper.stop();
    {
        SearchIndexFile index(SearchIndexPath(env.path()));
        QVERIFY(index.isCurrentFor(env.path()));
    }

    shellWrite(env.path(), QString::fromUtf8("INSERT INTO jegyzet (jegyzet, datum, rovid) VALUES (9, '2024-08-08', 'Héjas dió');\n"
                                             "DELETE FROM ugyfel WHERE ugyfel = 3;\n"));
    {
        SearchIndexFile index(SearchIndexPath(env.path()));
        QVERIFY(!index.isCurrentFor(env.path()));
    }

    QSignalSpy running(&env.keeper, &SearchIndexKeeper::reindexingChanged);
    QSignalSpy progress(&env.keeper, &SearchIndexKeeper::reindexProgress);
    env.keeper.start();
    QVERIFY(env.keeper.isReindexing());
    QVERIFY(QTest::qWaitFor([&] { return !env.keeper.isReindexing(); }, 20000));
    QCOMPARE(running.size(), 2);
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(0).toLongLong(), progress.last().at(1).toLongLong());
    QCOMPARE(keysOf(env.search(QStringLiteral("hejas dio"))), QStringList{QStringLiteral("%1:9").arg(SearchNote)});
    QVERIFY(env.search(QStringLiteral("kovacsne")).isEmpty());
    SearchIndexFile index(SearchIndexPath(env.path()));
    QVERIFY(index.isCurrentFor(env.path()));
}

void TestDbSearch::serverFoldsAsTheProgram()
{
    if (!m_server)
        QSKIP("no test server (ZENTAVO_TEST_PG)");
    // Every character of the Basic Multilingual Plane, and a text of the
    // Windows-1250 letters alone (the server's shorter table).
    QString all;
    for (char32_t cp = 1; cp <= 0xFFFF; ++cp)
        if (cp < 0xD800 || cp > 0xDFFF)
            all += QChar(char16_t(cp));
    QString windows1250;
    for (int b = 1; b < 256; ++b) {
        const char c = char(b);
        windows1250 += decodeText(&c, 1, Encoding::Standard);
    }
    for (const QString &text : {all, windows1250}) {
        const QString server = ServerSearchFold(m_server->conn, text);
        QCOMPARE(server.size(), text.size());
        const QString program = SearchFold(text);
        for (qsizetype i = 0; i < text.size(); ++i)
            if (server[i] != program[i])
                QFAIL(qPrintable(QStringLiteral("U+%1 folds to U+%2 on the server, U+%3 in the program")
                                     .arg(text[i].unicode(), 4, 16, QLatin1Char('0'))
                                     .arg(server[i].unicode(), 4, 16, QLatin1Char('0'))
                                     .arg(program[i].unicode(), 4, 16, QLatin1Char('0'))));
    }
}

void TestDbSearch::serverTableFollowsEveryWriter()
{
    if (!haveServer())
        QSKIP("no test server (ZENTAVO_TEST_PG)");
    Env env(QStringLiteral("kereses_irok"), true);
    QVERIFY(env.keeper.tryStart());
    const QString address = env.conn.database;

    // Another program at the server writes: a new note, a renamed customer,
    // a deleted task, a truncated table.
    psqlWrite(address, QString::fromUtf8(
        "INSERT INTO jegyzet (jegyzet, datum, rovid, szoveg) VALUES (9, '2024-08-08', 'Héjas dió', 'tel: 06 1 234 5678');"
        "UPDATE ugyfel SET ugyfel_nev = 'Zöldség Bt' WHERE ugyfel = 3;"
        "DELETE FROM dolog3 WHERE dolog3 = 1;"
        "TRUNCATE doksi;"));
    QCOMPARE(keysOf(env.search(QStringLiteral("HEJAS dio"))), QStringList{QStringLiteral("%1:9").arg(SearchNote)});
    QCOMPARE(keysOf(env.search(QStringLiteral("12345678"))), QStringList{QStringLiteral("%1:9").arg(SearchNote)});
    QCOMPARE(keysOf(env.search(QStringLiteral("zoldseg"))), QStringList{QStringLiteral("%1:3").arg(SearchCustomer)});
    QVERIFY(env.search(QStringLiteral("kovacsne")).isEmpty());
    QCOMPARE(keysOf(env.search(QStringLiteral("301234"))), QStringList{QStringLiteral("%1:1").arg(SearchCustomer)});
    QVERIFY(env.search(QStringLiteral("ajanlat")).isEmpty());
    // Gone from the search table itself, not merely without a row to show.
    auto left = env.conn.query({QStringLiteral("SELECT count(*) FROM zentavo_kereses WHERE kind IN (?, ?)"),
                                {int(SearchDocument), int(SearchTask)}, {}});
    QVERIFY(left->next());
    QCOMPARE(left->integer(0), 2);   // the two tasks left

    // A record whose texts all become blank leaves; the program's own
    // posts are kept alike.
    psqlWrite(address, QStringLiteral("UPDATE termek SET cikkszam = ' ', termek_nev = NULL, kategoria = '' WHERE termek = 1"));
    QVERIFY(env.search(QStringLiteral("gepek")).isEmpty());
    Table notes(&env.conn);
    UseCatalogue(notes, QStringLiteral("jegyzet"));
    notes.open();
    notes.insert();
    notes.setValue(QStringLiteral("rovid"), QStringLiteral("Őszibarack"));
    notes.setValue(QStringLiteral("datum"), QDate(2024, 9, 1));
    notes.post();
    const qint64 id = notes.value(QStringLiteral("jegyzet")).toLongLong();
    QCOMPARE(keysOf(env.search(QStringLiteral("oszib"))), QStringList{QStringLiteral("%1:%2").arg(SearchNote).arg(id)});
    // Newest first: the new note's date is the latest.
    QCOMPARE(env.search(QStringLiteral("ugyfel")).first().id, 1);

    // The open search window hears of another desk's commit.
    QSignalSpy changed(&env.keeper, &SearchIndexKeeper::indexChanged);
    psqlWrite(address, QStringLiteral("DELETE FROM jegyzet WHERE jegyzet = 9"));
    QVERIFY(changed.wait(5000));
    QVERIFY(env.search(QStringLiteral("hejas")).isEmpty());
}

void TestDbSearch::serverWithoutRightsHasNoIndex()
{
    if (!haveServer())
        QSKIP("no test server (ZENTAVO_TEST_PG)");
    // A database of a program without the search, opened by a role that
    // may not add to its tables: the search is unavailable, never wrong.
    Env owner(QStringLiteral("kereses_jog"), false);
    owner.conn.executeDirect(QStringLiteral(
        "DO $$ BEGIN CREATE ROLE kereses_vendeg LOGIN; EXCEPTION WHEN duplicate_object THEN NULL; END $$"));
    owner.conn.executeDirect(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO kereses_vendeg"));
    Connection guest;
    guest.setPath(owner.conn.database + QStringLiteral(" user=kereses_vendeg"));
    guest.open();
    SearchIndexKeeper keeper(&guest);
    keeper.tryStart();
    keeper.waitForReindex();
    QVERIFY(!keeper.isRunning());
    QVERIFY(!keeper.searcherFactory());
    QVERIFY2(keeper.lastError().contains(QStringLiteral("keresőindex")), qPrintable(keeper.lastError()));
    auto none = guest.query({QStringLiteral("SELECT count(*) FROM pg_class WHERE relname = 'zentavo_kereses'"), {}, {}});
    QVERIFY(none->next());
    QCOMPARE(none->integer(0), 0);

    // The owner's start makes it; the guest reads it once given the right
    // to, and its writes keep it current with the owner's rights.
    QVERIFY(owner.keeper.tryStart());
    owner.keeper.waitForReindex();
    QVERIFY(owner.keeper.canSearch());
    QVERIFY(!keeper.tryStart());
    owner.conn.executeDirect(QStringLiteral("GRANT SELECT ON zentavo_kereses TO kereses_vendeg"));
    QVERIFY2(keeper.tryStart(), qPrintable(keeper.lastError()));
    QCOMPARE(keysOf(keeper.searcherFactory()()->search(QStringLiteral("tavaszi"))),
             QStringList{QStringLiteral("%1:1").arg(SearchProject)});
    guest.executeDirect(QStringLiteral("UPDATE projekt SET projekt_nev = 'Nyári kampány' WHERE projekt = 1"));
    QVERIFY(keeper.searcherFactory()()->search(QStringLiteral("tavaszi")).isEmpty());
    QCOMPARE(keysOf(keeper.searcherFactory()()->search(QStringLiteral("nyari kamp"))),
             QStringList{QStringLiteral("%1:1").arg(SearchProject)});
}

QTEST_GUILESS_MAIN(TestDbSearch)
#include "test_db_search.moc"

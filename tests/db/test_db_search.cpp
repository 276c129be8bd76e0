// The search over all data: how typed words match, the index beside the
// database kept current by the program's writes, and a stale index noticed.

#include "db/catalog.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "db/searchindex.h"

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

    Env()
    {
        testenv::makeDatabase(path());
        testenv::execSql(path(), QString::fromUtf8(kRows));
        conn.setPath(path());
        conn.open();
    }
    QString path() const { return dir.filePath(QStringLiteral("test.sqb")); }
    QList<SearchHit> search(const QString &q)
    {
        SearchIndexFile index(keeper.indexPath());
        return index.search(q);
    }
};

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
    void cleanupTestCase() { m_shared.reset(); }
    void matching_data();
    void matching();
    void matchedFieldIsMarked();
    void indexLivesBesideTheDatabase();
    void programWritesKeepTheIndexCurrent();
    void shellWriteMakesTheIndexStale();

private:
    std::unique_ptr<Env> m_shared;   // one indexed fixture for the table of cases
};

void TestDbSearch::initTestCase()
{
    m_shared = std::make_unique<Env>();
    m_shared->keeper.start();
    m_shared->keeper.waitForReindex();
}

void TestDbSearch::matching_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected");   // kind:id, in result order

    const QString c = QString::number(SearchCustomer), e = QString::number(SearchEmployee),
                  p = QString::number(SearchProduct), pr = QString::number(SearchProject),
                  t = QString::number(SearchTask), k = QString::number(SearchCalendar),
                  n = QString::number(SearchNote), m = QString::number(SearchComment),
                  d = QString::number(SearchDocument);
    auto l = [](std::initializer_list<QString> keys) { return QStringList(keys); };
    // Accents and case both ways, Hungarian long vowels included.
    // The customer's e-mail holds "arviz" as a whole word.
    QTest::newRow("accent-free lower") << "arviz" << l({c + ":1", k + ":1"});
    QTest::newRow("accented upper") << "ÁRVÍZTŰRŐ" << l({k + ":1", c + ":1"});
    QTest::newRow("ő from plain O") << "O" << l({c + ":2", e + ":1", c + ":1"});
    QTest::newRow("ugyfel finds ügyfél") << "ugyfel" << l({k + ":1", n + ":1", c + ":2"});
    QTest::newRow("ű typed as ü") << "tukorfuro" << l({c + ":1"});
    // Words match at a word's start only, all of them.
    QTest::newRow("inside a word") << "turo" << l({});
    QTest::newRow("two words, two fields") << "kovacs budap" << l({c + ":1"});
    QTest::newRow("two words, one missing") << "kovacs szeged" << l({});
    QTest::newRow("punctuation in a word") << "info@arviz" << l({c + ":1"});
    // Digits inside numbers, whatever separates them.
    QTest::newRow("phone digits inside") << "301234" << l({t + ":1", c + ":1"});
    QTest::newRow("phone typed with dashes") << "30-123-45" << l({t + ":1", c + ":1"});
    QTest::newRow("slash phone") << "9876543" << l({e + ":1"});
    QTest::newRow("article number digits") << "1234" << l({p + ":1", t + ":1", c + ":1"});
    QTest::newRow("article number as typed") << "ab-1234" << l({p + ":1"});
    QTest::newRow("project code") << "p-77" << l({pr + ":1"});
    QTest::newRow("file name") << "ajanlat" << l({d + ":1"});
    QTest::newRow("comment text") << "fizetesi hatar" << l({m + ":1"});
    // Exact words first, then newer before older.
    QTest::newRow("exact before prefix") << "kis" << l({t + ":1", t + ":3", t + ":2"});
    QTest::newRow("empty") << "  " << l({});
}

void TestDbSearch::matching()
{
    QFETCH(QString, query);
    QFETCH(QStringList, expected);
    QCOMPARE(keysOf(m_shared->search(query)), expected);
}

void TestDbSearch::matchedFieldIsMarked()
{
    Env &env = *m_shared;
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

QTEST_GUILESS_MAIN(TestDbSearch)
#include "test_db_search.moc"

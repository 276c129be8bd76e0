// The SQL texts the record sets run: select, update, insert and delete of a
// table, and the parameters, filter and first statement of a query.

#include "tests/db/dbfixture.h"

using namespace zdb;

class TestDbSql : public QObject
{
    Q_OBJECT

    static void makeTasks(DbFixture &db)
    {
        db.exec(QStringLiteral(
            "create table dolog3 (dolog3 integer, datum date, rovid varchar(50), ugyfel integer,"
            " dat_kesz date, kesz varchar(1), dat_hatid date);"
            "insert into dolog3 (rowid, dolog3, datum, rovid, ugyfel, dat_kesz, kesz)"
            " values (17, 3, '2005-01-31', 'Hívás', 5, null, 'N');"));
    }

    static void declareTasks(Table &t)
    {
        t.addInteger(QStringLiteral("dolog3"));
        t.addDate(QStringLiteral("datum"));
        t.addText(QStringLiteral("rovid"), 50);
        t.addInteger(QStringLiteral("ugyfel"));
        t.addDate(QStringLiteral("dat_kesz"));
        t.addText(QStringLiteral("kesz"), 1);
        t.addCalculated(QStringLiteral("genszoveg"), 100);
    }

private Q_SLOTS:
    void selectText()
    {
        Table t(nullptr, QStringLiteral("dolog3"));
        QCOMPARE(t.selectSql(), QStringLiteral("select *, rowid as rowid from dolog3"));
        t.setFilter(QStringLiteral("kesz='N'"));
        QCOMPARE(t.selectSql(), QStringLiteral("select *, rowid as rowid from dolog3"));   // switch off
        t.setFiltered(true);
        t.setOrder(QStringLiteral("dat_hatid"));
        QCOMPARE(t.selectSql(), QStringLiteral("select *, rowid as rowid from dolog3\r\n where kesz='N'\r\n order by (dat_hatid)"));
        t.setFilter(QString());
        QCOMPARE(t.selectSql(), QStringLiteral("select *, rowid as rowid from dolog3\r\n order by (dat_hatid)"));

        Table none;
        QCOMPARE(errorOf([&] { none.selectSql(); }), QStringLiteral("no table specified"));
        QCOMPARE(errorOf([&] { none.open(); }), QStringLiteral("no database connection"));
        Query q;
        QCOMPARE(errorOf([&] { q.selectSql(); }), QStringLiteral("no query specified"));
    }

    // Every data field is written with its literal; the row is found by rowid
    // and its identifier as read.
    void updateText()
    {
        DbFixture db;
        makeTasks(db);
        Table t(&db.conn, QStringLiteral("dolog3"));
        declareTasks(t);
        t.open();
        t.edit();
        t.setValue(QStringLiteral("rovid"), QStringLiteral("O'Brien"));
        QCOMPARE(t.postSql(),
                 QStringLiteral("update dolog3 set \r\n"
                                "dolog3='3',datum='2005-01-31',rovid='O''Brien',ugyfel='5',dat_kesz=null,kesz='N' \r\n"
                                " where rowid='17' and cast(dolog3 as text) is '3'\r\n"));
        t.post();
        QCOMPARE(db.raw("select rovid from dolog3 where rowid=17"), QByteArray("O'Brien"));
        QCOMPARE(db.raw("select typeof(ugyfel) from dolog3"), QByteArray("integer"));
        QCOMPARE(db.raw("select dat_kesz from dolog3"), QByteArray("<null>"));
        QCOMPARE(t.deleteSql(), QStringLiteral("delete from dolog3 where rowid='17' and cast(dolog3 as text) is '3'"));
    }

    // An inserted row gets SQLite's new rowid, and a later edit updates that row.
    void insertThenEditAgain()
    {
        DbFixture db;
        makeTasks(db);
        Table t(&db.conn, QStringLiteral("dolog3"));
        declareTasks(t);
        t.open();
        t.insert();
        t.setValue(QStringLiteral("dolog3"), 4);
        t.setValue(QStringLiteral("datum"), QDate(2005, 2, 1));
        t.setValue(QStringLiteral("rovid"), QStringLiteral("Új"));
        QCOMPARE(t.postSql(),
                 QStringLiteral("insert into dolog3 (\r\n"
                                "dolog3,datum,rovid,ugyfel,dat_kesz,kesz) values (\r\n"
                                "'4','2005-02-01','Új',null,null,null)\r\n"));
        t.post();
        QCOMPARE(t.bookmark(), RecordSet::Bookmark(18));

        t.edit();
        t.setValue(QStringLiteral("kesz"), QStringLiteral("I"));
        QVERIFY(t.postSql().endsWith(QStringLiteral(" where rowid='18' and cast(dolog3 as text) is '4'\r\n")));
        t.post();
        QCOMPARE(db.raw("select kesz from dolog3 where rowid=18"), QByteArray("I"));
        QCOMPARE(db.raw("select kesz from dolog3 where rowid=17"), QByteArray("N"));
        QCOMPARE(db.raw("select count(*) from dolog3"), QByteArray("2"));
    }

    // A row that another program deleted, or whose rowid SQLite gave to a
    // newer row, is never written: the post or delete fails and the record
    // set keeps its mode and what was typed.
    void staleRowsAreNotWritten_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("meanwhile");
        QTest::newRow("deleted") << QStringLiteral("dolog3") << QStringLiteral("delete from dolog3;");
        // Without an INTEGER PRIMARY KEY the largest rowid is given again
        // after its row is deleted.
        QTest::newRow("rowid reused") << QStringLiteral("dolog3")
                                      << QStringLiteral("insert into dolog3 (rowid, dolog3) values (16, 8);"
                                                        "delete from dolog3 where rowid = 17;"
                                                        "insert into dolog3 (dolog3, rovid) values (9, 'Újabb');"
                                                        "delete from dolog3 where rowid = 16;");
        QTest::newRow("no identifier column") << QStringLiteral("feladat") << QStringLiteral("delete from feladat;");
    }
    void staleRowsAreNotWritten()
    {
        QFETCH(QString, table);
        QFETCH(QString, meanwhile);
        DbFixture db;
        makeTasks(db);
        db.exec(QStringLiteral("create table feladat (dolog3 integer, datum date, rovid varchar(50), ugyfel integer,"
                               " dat_kesz date, kesz varchar(1), dat_hatid date);"
                               "insert into feladat (rowid, dolog3, datum, rovid, ugyfel, kesz) values (17, 3, '2005-01-31', 'Hívás', 5, 'N');"));
        Table t(&db.conn, table);
        declareTasks(t);
        t.open();

        DbFixture::execOther(db.path(), meanwhile.replace(QStringLiteral("dolog3"), table));
        const QByteArray before = db.raw(QStringLiteral("select group_concat(rowid || ':' || dolog3 || ':' || rovid) from %1").arg(table).toUtf8());

        t.edit();
        t.setValue(QStringLiteral("rovid"), QStringLiteral("Elavult"));
        const QString stale = QStringLiteral("A sort közben más törölte vagy megváltoztatta, frissítse a listát.");
        QCOMPARE(errorOf([&] { t.post(); }), stale);
        QCOMPARE(t.mode(), RecordSet::Mode::Editing);
        QCOMPARE(t.text(QStringLiteral("rovid")), QStringLiteral("Elavult"));
        t.cancel();
        QCOMPARE(errorOf([&] { t.remove(); }), stale);
        QCOMPARE(t.recordCount(), 1);
        QCOMPARE(db.raw(QStringLiteral("select group_concat(rowid || ':' || dolog3 || ':' || rovid) from %1").arg(table).toUtf8()), before);
    }

    void parameters()
    {
        Query q(nullptr, QStringLiteral(
            "select * from t where a = :a and b = ':b' and q = 'what?' and c = :C -- :d\n and e = :A and f = :f and g = :g"));
        QCOMPARE(q.paramNames(), QStringList({QStringLiteral("a"), QStringLiteral("C"), QStringLiteral("f"), QStringLiteral("g")}));
        q.setParam(QStringLiteral("a"), QStringLiteral("x?y'z"));
        q.setParam(QStringLiteral("c"), 5);
        q.setParam(QStringLiteral("f"), QDate(2005, 1, 31));
        q.setParam(QStringLiteral("g"), QString());
        QCOMPARE(q.selectSql(),
                 QStringLiteral("select * from t where a = 'x?y''z' and b = ':b' and q = 'what?' and c = 5 -- :d\n"
                                " and e = 'x?y''z' and f = '2005-01-31' and g = NULL"));
        QCOMPARE(errorOf([&] { q.setParam(QStringLiteral("zz"), 1); }), QStringLiteral("Parameter 'zz' not found"));

        // A changed text keeps the values of the names it still has.
        q.setSql(QStringLiteral("select :c, :h"));
        QCOMPARE(q.selectSql(), QStringLiteral("select 5, NULL"));

        // A literal never runs together with what stands beside it: a
        // negative number after a minus would start a comment, two quoted
        // texts would make one.
        q.setSql(QStringLiteral("select 10-:n, 'a':t'b', x:m"));
        q.setParam(QStringLiteral("n"), -3);
        q.setParam(QStringLiteral("t"), QStringLiteral("x"));
        q.setParam(QStringLiteral("m"), 7);
        QCOMPARE(q.selectSql(), QStringLiteral("select 10- -3, 'a' 'x' 'b', x 7"));
    }

    void queriesRun()
    {
        DbFixture db;
        db.exec(QStringLiteral("create table t (a integer, szoveg varchar(20));"
                               "insert into t values (1, 'alma'); insert into t values (2, 'körte');"));

        Query q(&db.conn, QStringLiteral("SELECT * FROM t WHERE szoveg LIKE :pszoveg;"));
        q.setParam(QStringLiteral("pszoveg"), QString());
        q.open();
        QCOMPARE(q.recordCount(), 0);   // LIKE NULL matches nothing
        q.close();
        q.setParam(QStringLiteral("pszoveg"), QStringLiteral("k%"));
        q.open();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.value(QStringLiteral("szoveg")).toString(), QStringLiteral("körte"));
        q.close();

        // The filter wraps the first statement.
        q.setSql(QStringLiteral("select a from t;"));
        q.setFilter(QStringLiteral("a > 1"));
        q.setFiltered(true);
        QCOMPARE(q.selectSql(), QStringLiteral("select * from (select a from t) where a > 1"));
        q.open();
        QCOMPARE(q.recordCount(), 1);
        q.close();
        q.setFiltered(false);

        // Only the first statement of a text runs, opened or executed.
        q.setSql(QStringLiteral("select count(*) as n from t; insert into t values (9, 'x')"));
        q.open();
        QCOMPARE(q.value(QStringLiteral("n")).toString(), QStringLiteral("2"));
        q.close();
        q.setSql(QStringLiteral("insert into t values (:a, 'y'); insert into t values (8, 'z')"));
        q.setParam(QStringLiteral("a"), 7);
        q.execute();
        QVERIFY(!q.isOpen());
        QCOMPARE(db.raw("select group_concat(a) from t"), QByteArray("1,2,7"));

        q.setSql(QStringLiteral("select 10-:n as r"));
        q.setParam(QStringLiteral("n"), -3);
        q.open();
        QCOMPARE(q.value(QStringLiteral("r")).toString(), QStringLiteral("13"));
        q.close();

        q.setSql(QStringLiteral("select * from nincs"));
        QCOMPARE(errorOf([&] { q.open(); }), QStringLiteral("no such table: nincs"));
        QVERIFY(!q.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestDbSql)
#include "test_db_sql.moc"

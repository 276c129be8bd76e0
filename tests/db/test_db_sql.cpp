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

    // Every data field is bound, never written into the text; the row is
    // found by rowid and its identifier as read (its stored bytes).
    void updateText()
    {
        DbFixture db;
        makeTasks(db);
        Table t(&db.conn, QStringLiteral("dolog3"));
        declareTasks(t);
        t.open();
        t.edit();
        t.setValue(QStringLiteral("rovid"), QStringLiteral("O'Brien ?, :x"));
        const BoundSql post = t.postStatement();
        // Every column read must still hold what was read (NULL matching NULL).
        QCOMPARE(post.sql, QStringLiteral("update dolog3 set rovid=? where rowid=? and cast(dolog3 as text) is ?"
                                          " and cast(datum as text) is ? and cast(rovid as text) is ?"
                                          " and cast(ugyfel as text) is ? and cast(dat_kesz as text) is ?"
                                          " and cast(kesz as text) is ?"));
        QCOMPARE(post.values, (QVariantList{QStringLiteral("O'Brien ?, :x"), qlonglong(17), QByteArray("3"),
                                            QByteArray("2005-01-31"), QByteArray("H\xEDv\xE1s"), QByteArray("5"),
                                            QVariant(), QByteArray("N")}));
        t.post();
        QCOMPARE(db.raw("select rovid from dolog3 where rowid=17"), QByteArray("O'Brien ?, :x"));
        QCOMPARE(db.raw("select typeof(ugyfel) || typeof(dolog3) || typeof(datum) from dolog3"), QByteArray("integerintegertext"));
        QCOMPARE(db.raw("select dat_kesz from dolog3"), QByteArray("<null>"));
        t.setGuardReadValues(false);
        const BoundSql del = t.deleteStatement();
        QCOMPARE(del.sql, QStringLiteral("delete from dolog3 where rowid=? and cast(dolog3 as text) is ?"));
        QCOMPARE(del.values, (QVariantList{qlonglong(17), QByteArray("3")}));
        QCOMPARE(ShowBound(del), QStringLiteral("delete from dolog3 where rowid=17 and cast(dolog3 as text) is '3'"));
    }

    // Values another program stored that the row set cannot hold whole (a
    // text longer than its column, text in a number column) survive an edit
    // of another field; an edit that changes nothing writes nothing.
    void untouchedValuesStayAsStored()
    {
        DbFixture db;
        makeTasks(db);
        const QString longText = QString(60, QLatin1Char('x'));
        db.exec(QStringLiteral("update dolog3 set rovid='%1', ugyfel='x7'").arg(longText));
        Table t(&db.conn, QStringLiteral("dolog3"));
        declareTasks(t);
        t.open();
        QCOMPARE(t.text(QStringLiteral("rovid")).size(), 50);   // cut to the column as read
        t.edit();
        t.setValue(QStringLiteral("kesz"), QStringLiteral("I"));
        t.post();
        QCOMPARE(db.raw("select rovid from dolog3"), longText.toLatin1());
        QCOMPARE(db.raw("select ugyfel || typeof(ugyfel) || kesz from dolog3"), QByteArray("x7textI"));

        t.edit();
        t.setValue(QStringLiteral("kesz"), QStringLiteral("I"));
        QVERIFY(t.postStatement().sql.isEmpty());
        db.exec(QStringLiteral("delete from dolog3"));
        t.post();   // nothing to write: no clash with the deletion either
        QCOMPARE(t.mode(), RecordSet::Mode::Browsing);
    }

    // An inserted row gets SQLite's new rowid, and a later edit updates that
    // row; an empty text is stored as empty text, not NULL.
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
        t.setValue(QStringLiteral("kesz"), QStringLiteral(""));
        const BoundSql post = t.postStatement();
        QCOMPARE(post.sql, QStringLiteral("insert into dolog3 (dolog3,datum,rovid,ugyfel,dat_kesz,kesz) values (?,?,?,?,?,?)"));
        QCOMPARE(post.values, (QVariantList{4, QDate(2005, 2, 1), QStringLiteral("Új"), QVariant(), QVariant(), QStringLiteral("")}));
        t.post();
        QCOMPARE(t.bookmark(), RecordSet::Bookmark(18));
        QCOMPARE(db.raw("select rovid || ':' || typeof(kesz) from dolog3 where rowid=18"), QByteArray("\xDAj:text"));

        t.edit();
        t.setValue(QStringLiteral("kesz"), QStringLiteral("I"));
        // Only the changed field is written, the row found by rowid and identifier.
        t.setGuardReadValues(false);
        QCOMPARE(t.postStatement().sql, QStringLiteral("update dolog3 set kesz=? where rowid=? and cast(dolog3 as text) is ?"));
        QCOMPARE(t.postStatement().values, (QVariantList{QStringLiteral("I"), qlonglong(18), QByteArray("4")}));
        t.setGuardReadValues(true);
        t.post();
        QCOMPARE(db.raw("select kesz from dolog3 where rowid=18"), QByteArray("I"));
        QCOMPARE(db.raw("select kesz from dolog3 where rowid=17"), QByteArray("N"));
        QCOMPARE(db.raw("select count(*) from dolog3"), QByteArray("2"));
    }

    // A row that another program deleted or changed, or whose rowid SQLite
    // gave to a newer row, is never written: the post or delete fails with
    // what happened and the record set keeps its mode and what was typed.
    void staleRowsAreNotWritten_data()
    {
        const QString deleted = QStringLiteral("Egy másik felhasználó időközben törölte ezt a rekordot.");
        const QString changed = QStringLiteral("Egy másik felhasználó időközben módosította ezt a rekordot.");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("message");
        QTest::newRow("deleted") << QStringLiteral("dolog3") << QStringLiteral("delete from dolog3;") << deleted;
        // Another field than the one typed into, and from null to a value.
        QTest::newRow("changed") << QStringLiteral("dolog3") << QStringLiteral("update dolog3 set dat_kesz='2005-02-02';")
                                 << changed;
        QTest::newRow("changed to null") << QStringLiteral("dolog3") << QStringLiteral("update dolog3 set ugyfel=null;")
                                         << changed;
        // Without an INTEGER PRIMARY KEY the largest rowid is given again
        // after its row is deleted.
        QTest::newRow("rowid reused") << QStringLiteral("dolog3")
                                      << QStringLiteral("insert into dolog3 (rowid, dolog3) values (16, 8);"
                                                        "delete from dolog3 where rowid = 17;"
                                                        "insert into dolog3 (dolog3, rovid) values (9, 'Újabb');"
                                                        "delete from dolog3 where rowid = 16;")
                                      << deleted;
        QTest::newRow("no identifier column") << QStringLiteral("feladat") << QStringLiteral("delete from feladat;") << deleted;
        QTest::newRow("no identifier column, changed")
            << QStringLiteral("feladat") << QStringLiteral("update feladat set kesz='I';") << changed;
    }
    void staleRowsAreNotWritten()
    {
        QFETCH(QString, table);
        QFETCH(QString, meanwhile);
        QFETCH(QString, message);
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
        QCOMPARE(errorOf([&] { t.post(); }), message);
        QCOMPARE(t.mode(), RecordSet::Mode::Editing);
        QCOMPARE(t.text(QStringLiteral("rovid")), QStringLiteral("Elavult"));
        t.cancel();
        QCOMPARE(errorOf([&] { t.remove(); }), message);
        QCOMPARE(t.recordCount(), 1);
        QCOMPARE(db.raw(QStringLiteral("select group_concat(rowid || ':' || dolog3 || ':' || rovid) from %1").arg(table).toUtf8()), before);
    }

    // After a refused post the row is read again: the typing stays where the
    // other desk left the field alone, the other desk's value wins where both
    // changed it; the post then goes through. A deleted row reloads nothing.
    void reloadAfterConflictKeepsTypingThatDoesNotClash()
    {
        DbFixture db;
        makeTasks(db);
        Table t(&db.conn, QStringLiteral("dolog3"));
        declareTasks(t);
        t.open();
        t.edit();
        t.setValue(QStringLiteral("rovid"), QStringLiteral("Saját"));
        t.setValue(QStringLiteral("kesz"), QStringLiteral("I"));
        DbFixture::execOther(db.path(), QStringLiteral("update dolog3 set kesz='X', ugyfel=9;"));
        try {
            t.post();
            QFAIL("the post went through");
        } catch (const RowConflict &e) {
            QCOMPARE(e.kind(), RowConflict::Kind::Changed);
        }
        QVERIFY(t.reloadCurrentRow());
        QCOMPARE(t.mode(), RecordSet::Mode::Editing);
        QCOMPARE(t.text(QStringLiteral("rovid")), QStringLiteral("Saját"));
        QCOMPARE(t.text(QStringLiteral("kesz")), QStringLiteral("X"));
        QCOMPARE(t.value(QStringLiteral("ugyfel")).toInt(), 9);
        t.post();
        QCOMPARE(db.raw("select rovid || kesz || ugyfel from dolog3"), QByteArray("Saj\xE1tX9"));
        // The row as posted is what the next post is checked against.
        t.edit();
        t.setValue(QStringLiteral("kesz"), QStringLiteral("N"));
        t.post();
        QCOMPARE(db.raw("select kesz from dolog3"), QByteArray("N"));

        t.edit();
        t.setValue(QStringLiteral("rovid"), QStringLiteral("Később"));
        DbFixture::execOther(db.path(), QStringLiteral("delete from dolog3;"));
        QVERIFY(!t.reloadCurrentRow());
        QCOMPARE(errorOf([&] { t.post(); }), RowConflict::messageOf(RowConflict::Kind::Deleted));
        QCOMPARE(db.raw("select count(*) from dolog3"), QByteArray("0"));
    }

    // A text longer than its column was cut when read: its start is checked,
    // so a change there is refused and an untouched long text is no clash.
    void cutTextsAreCheckedByTheirStart()
    {
        DbFixture db;
        makeTasks(db);
        db.exec(QStringLiteral("update dolog3 set rovid='%1'").arg(QString(60, QLatin1Char('x'))));
        Table t(&db.conn, QStringLiteral("dolog3"));
        declareTasks(t);
        t.open();
        t.edit();
        t.setValue(QStringLiteral("kesz"), QStringLiteral("I"));
        t.post();
        DbFixture::execOther(db.path(), QStringLiteral("update dolog3 set rovid='y' || substr(rovid, 2);"));
        t.edit();
        t.setValue(QStringLiteral("kesz"), QStringLiteral("N"));
        QCOMPARE(errorOf([&] { t.post(); }), RowConflict::messageOf(RowConflict::Kind::Changed));
        QCOMPARE(db.raw("select kesz from dolog3"), QByteArray("I"));
    }

    // Filter values and query parameters are bound: a quote, a "?" or a
    // ":name" inside a value is only ever data.
    void valuesAreBound()
    {
        DbFixture db;
        makeTasks(db);
        const QString tricky = QStringLiteral("O'Brien ? :a -- x");
        db.exec(QStringLiteral("insert into dolog3 (dolog3, rovid, ugyfel) values (4, 'O''Brien ? :a -- x', 6);"
                               "insert into dolog3 (dolog3, rovid, ugyfel) values (5, 'O''Brien ? :a -- x', 7);"));
        Table t(&db.conn, QStringLiteral("dolog3"));
        t.setFilter(QStringLiteral("rovid = ? and ugyfel >= ?"), {tricky, 6});
        t.setFiltered(true);
        t.setOrder(QStringLiteral("dolog3"));
        QCOMPARE(t.selectStatement().sql, QStringLiteral("select *, rowid as rowid from dolog3\r\n where rovid = ? and ugyfel >= ?\r\n order by (dolog3)"));
        t.open();
        QCOMPARE(t.recordCount(), 2);
        // A new filter on an open set reopens it with the new values.
        t.setFilter(QStringLiteral("rovid = ? and ugyfel >= ?"), {tricky, 7});
        QCOMPARE(t.recordCount(), 1);
        QCOMPARE(t.value(QStringLiteral("dolog3")).toInt(), 5);
        // More values than places is a fault of the caller, never run.
        t.close();
        t.setFilter(QStringLiteral("ugyfel = ?"), {1, 2});
        QVERIFY_THROWS_EXCEPTION(Error, t.open());

        Query q(&db.conn, QStringLiteral("select dolog3 from dolog3 where rovid = :r and ugyfel > :u"));
        q.setParam(QStringLiteral("r"), tricky);
        q.setParam(QStringLiteral("u"), 5);
        q.setFilter(QStringLiteral("dolog3 <> ?"), {4});
        q.setFiltered(true);
        q.open();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.value(QStringLiteral("dolog3")).toInt(), 5);
        q.close();

        // Names in any case and beyond ASCII are one parameter each.
        Query n(&db.conn, QStringLiteral("select dolog3 from dolog3 where rovid = :Szöveg and ugyfel = :U or ugyfel = :u + :szöveg"));
        n.setParam(QStringLiteral("szöveg"), tricky);
        n.setParam(QStringLiteral("u"), 7);
        n.open();
        QCOMPARE(n.recordCount(), 1);
        QCOMPARE(n.value(QStringLiteral("dolog3")).toInt(), 5);
        n.close();

        Query w(&db.conn, QStringLiteral("update dolog3 set rovid = :r where dolog3 = :id"));
        w.setParam(QStringLiteral("r"), QStringLiteral("a'; drop table dolog3; --"));
        w.setParam(QStringLiteral("id"), 4);
        w.execute();
        QCOMPARE(db.raw("select rovid from dolog3 where dolog3 = 4"), QByteArray("a'; drop table dolog3; --"));
        QCOMPARE(db.raw("select count(*) from dolog3"), QByteArray("3"));
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

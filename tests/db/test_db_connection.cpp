// The connection: file paths, opening failures, collations, running texts,
// the two encodings, a database locked by another program, and the record
// sets' lifetime against it.

#include "tests/db/dbfixture.h"

#include "db/cursor.h"
#include "db/dberror.h"

#include <QDir>
#include <QFile>

using namespace zdb;

class TestDbConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paths_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder without separator") << "/data" << "Zentavo" << "/data/Zentavo.sqb";
        QTest::newRow("folder with separator") << "/data/" << " Zentavo.sqb " << "/data/Zentavo.sqb";
        QTest::newRow("own extension") << "/data" << "adat.db" << "/data/adat.db";
        QTest::newRow("no folder, full path") << "" << "/x/y/adat" << "/x/y/adat.sqb";
        QTest::newRow("no folder, relative") << "" << "adat" << "adat.sqb";
        QTest::newRow("dot in a folder name only") << "" << "/x.d/adat" << "/x.d/adat.sqb";
        QTest::newRow("memory") << "/data" << ":memory:" << ":memory:";
    }

    void paths()
    {
        QFETCH(QString, dir);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        Connection c;
        c.defaultDir = dir;
        c.database = name;
        QCOMPARE(c.fullPath(), expected);
    }

    void openFailuresAndCollations()
    {
        QTemporaryDir dir;
        Connection c;
        QCOMPARE(errorOf([&] { c.open(); }), QStringLiteral("Missing database property"));
        c.defaultDir = dir.path();
        c.database = QStringLiteral("nincs");
        c.mustExist = true;
        const QString path = dir.filePath(QStringLiteral("nincs.sqb"));
        QCOMPARE(errorOf([&] { c.open(); }), QStringLiteral("Database %1 does not exist").arg(path));
        QVERIFY(!c.isConnected());
        c.defaultDir = dir.filePath(QStringLiteral("no/such/folder"));
        c.mustExist = false;
        QCOMPARE(errorOf([&] { c.open(); }), QStringLiteral("Cannot open database"));

        c.defaultDir = dir.path();
        c.open();   // not required to exist: SQLite makes the file
        QVERIFY(c.isConnected());
        QVERIFY(QFile::exists(path));
        QVERIFY(c.version().startsWith(QLatin1String("3.")));

        Query q(&c, QStringLiteral("select 'abc' = 'ABC' collate systemnocase as a, 'á' = 'Á' collate systemnocase as b,"
                                   " 'abc' = 'ABC' collate system as c"));
        q.open();
        QCOMPARE(q.text(QStringLiteral("a")) + q.text(QStringLiteral("b")) + q.text(QStringLiteral("c")), QStringLiteral("100"));

        // Every statement of a direct text runs; a failing one reports SQLite's message.
        c.executeDirect(QStringLiteral("create table t (a integer); insert into t values (1);\r\n insert into t values (2); -- vége"));
        QCOMPARE(errorOf([&] { c.executeDirect(QStringLiteral("insert into t values (3); insert into x values (1)")); }),
                 QStringLiteral("no such table: x"));
        Query n(&c, QStringLiteral("select count(*) as n from t"));
        n.open();
        QCOMPARE(n.text(QStringLiteral("n")), QStringLiteral("3"));

        // A NUL byte inside the text is refused before anything runs (SQLite
        // would drop what follows it); NULs padding a script file's end are not.
        QCOMPARE(errorOf([&] { c.executeDirect(QStringLiteral("insert into t values (5);") + QChar(0) + QStringLiteral("insert into t values (6);")); }),
                 QStringLiteral("Az SQL szöveg 26. karaktere 0 kódú; a szöveg nem futott le."));
        c.executeDirect(QStringLiteral("insert into t values (4);") + QString(3, QChar(0)) + QStringLiteral("\r\n"));

        // A long script (a restore, a bulk load) runs through in one pass.
        QString script = QStringLiteral("begin;");
        for (int i = 0; i < 30000; ++i)
            script += QStringLiteral("insert into t values (%1);").arg(i);
        c.executeDirect(script + QStringLiteral("commit;"));
        n.refresh();
        QCOMPARE(n.text(QStringLiteral("n")), QStringLiteral("30004"));

        // Closing the connection closes its record sets.
        c.close();
        QVERIFY(!q.isOpen() && !n.isOpen());
    }

    void encodings()
    {
        const QString typed = QStringLiteral("€ ő 中");
        {
            DbFixture db;   // Windows-1250
            db.exec(QStringLiteral("create table t (s varchar(10), kurta varchar(3))"));
            Table t(&db.conn, QStringLiteral("t"));
            t.open();
            t.insert();
            t.setValue(QStringLiteral("s"), typed);
            t.setValue(QStringLiteral("kurta"), QStringLiteral("őőőő"));
            t.post();
            QCOMPARE(db.raw("select s from t"), QByteArray("\x80 \xf5 ?"));
            QCOMPARE(t.text(QStringLiteral("s")), QStringLiteral("€ ő ?"));   // as stored
            t.refresh();
            QCOMPARE(t.text(QStringLiteral("s")), QStringLiteral("€ ő ?"));
            QCOMPARE(t.text(QStringLiteral("kurta")), QStringLiteral("őőő"));
            QVERIFY(t.locate(QStringLiteral("s"), QStringLiteral("€ Ő"), LocatePartial | LocateCaseInsensitive));
            QVERIFY(!t.locate(QStringLiteral("s"), QStringLiteral("€ Ö"), LocatePartial | LocateCaseInsensitive));
            QVERIFY(t.locate(QStringLiteral("s"), QStringLiteral("€ ő"), LocatePartial));
        }
        {
            DbFixture db(Encoding::Utf8);
            db.exec(QStringLiteral("create table t (s varchar(10), kurta varchar(3))"));
            db.exec(QStringLiteral("insert into t values ('%1', 'őőőő')").arg(typed));
            QCOMPARE(db.raw("select s from t"), typed.toUtf8());
            Table t(&db.conn, QStringLiteral("t"));
            t.open();
            QCOMPARE(t.text(QStringLiteral("s")), typed);
            QCOMPARE(t.text(QStringLiteral("kurta")), QStringLiteral("őőő"));   // characters, not bytes
            QVERIFY(t.locate(QStringLiteral("s"), QStringLiteral("€ ő 中"), 0));
            // Case folds letter by letter, not byte by byte.
            QVERIFY(t.locate(QStringLiteral("s"), QStringLiteral("€ Ő"), LocatePartial | LocateCaseInsensitive));
            QVERIFY(!t.locate(QStringLiteral("s"), QStringLiteral("€ Ö"), LocatePartial | LocateCaseInsensitive));
        }
    }

    // LIKE and GLOB read the stored text in the connection's encoding: every
    // Hungarian letter matches only itself (LIKE: in either case), where
    // SQLite's own read Windows-1250 bytes as one broken character.
    void likeAndGlob_data()
    {
        QTest::addColumn<int>("encoding");
        QTest::newRow("Windows-1250") << int(Encoding::Standard);
        QTest::newRow("UTF-8") << int(Encoding::Utf8);
    }

    void likeAndGlob()
    {
        QFETCH(int, encoding);
        DbFixture db{Encoding(encoding)};
        const QString letters = QStringLiteral("AÁBCDEÉFGHIÍJKLMNOÓÖŐPQRSTUÚÜŰVWXYZ");
        db.exec(QStringLiteral("create table t (n varchar(20))"));
        for (const QChar c : letters)
            db.exec(QStringLiteral("insert into t values ('%1név')").arg(c));
        auto hits = [&](const QString &where) {
            Query q(&db.conn, QStringLiteral("select n from t where ") + where);
            q.open();
            QStringList out;
            for (q.first(); !q.eof(); q.next())
                out << q.text(QStringLiteral("n"));
            out.sort();
            return out.join(QLatin1Char(','));
        };
        for (const QChar c : letters) {
            const QString row = QString(c) + QStringLiteral("név");
            for (const QChar typed : {c, c.toLower()}) {
                QCOMPARE(hits(QStringLiteral("n like '%1%'").arg(typed)), row);
                QCOMPARE(hits(QStringLiteral("n like '%1n_v'").arg(typed)), row);
                QCOMPARE(hits(QStringLiteral("n glob '%1*'").arg(typed)), typed == c ? row : QString());
            }
        }
        // Inside the text, with the wildcards, an escape and sets.
        db.exec(QStringLiteral("delete from t; insert into t values ('árvíztűrő tükör'),"
                               " ('Öveges'), ('Őz'), ('ötös 50%'), ('Ozora'), (null)"));
        QCOMPARE(hits(QStringLiteral("n like '%TŰRŐ%'")), QStringLiteral("árvíztűrő tükör"));
        QCOMPARE(hits(QStringLiteral("n like '%turo%'")), QString());
        QCOMPARE(hits(QStringLiteral("n like '%50!%' escape '!'")), QStringLiteral("ötös 50%"));
        QCOMPARE(hits(QStringLiteral("n like '_z%'")), QStringLiteral("Ozora,Őz"));
        QCOMPARE(hits(QStringLiteral("n glob '[ÖŐ]*'")), QStringLiteral("Öveges,Őz"));
        QCOMPARE(hits(QStringLiteral("n glob '[^ÖŐ]*'")), QStringLiteral("Ozora,árvíztűrő tükör,ötös 50%"));
        QCOMPARE(hits(QStringLiteral("n glob '*[0-9]%'")), QStringLiteral("ötös 50%"));
        QCOMPARE(hits(QStringLiteral("n not like 'ö%'")), QStringLiteral("Ozora,árvíztűrő tükör,Őz"));
        QCOMPARE(hits(QStringLiteral("n like null or n glob null")), QString());
        QVERIFY(errorOf([&] { hits(QStringLiteral("n like 'a' escape 'ab'")); }).contains(QLatin1String("ESCAPE")));
        // A star has to give back what it took when the text repeats the start.
        db.exec(QStringLiteral("delete from t; insert into t values ('ababac'), ('aab'), ('ab')"));
        QCOMPARE(hits(QStringLiteral("n like '%abac'")), QStringLiteral("ababac"));
        QCOMPARE(hits(QStringLiteral("n like 'a%b'")), QStringLiteral("aab,ab"));
        QCOMPARE(hits(QStringLiteral("n like '%a_a%c'")), QStringLiteral("ababac"));
        QCOMPARE(hits(QStringLiteral("n glob '*ab'")), QStringLiteral("aab,ab"));

        // The pattern is taken apart once per statement: a bound pattern
        // changed between runs, and one that differs row by row, still match
        // by their own text.
        db.exec(QStringLiteral("delete from t; insert into t values ('Öveges'), ('Őz'), ('tőzeg')"));
        Query bound(&db.conn, QStringLiteral("select n from t where n like :p order by n"));
        for (const auto &[pattern, found] : {std::pair{"%ŐZ%", "tőzeg,Őz"}, std::pair{"%öv%", "Öveges"},
                                              std::pair{"ő%", "Őz"}}) {
            bound.close();
            bound.setParam(QStringLiteral("p"), QString::fromUtf8(pattern));
            bound.open();
            QStringList names;
            for (bound.first(); !bound.eof(); bound.next())
                names << bound.text(QStringLiteral("n"));
            QCOMPARE(names.join(QLatin1Char(',')), QString::fromUtf8(found));
        }
        db.exec(QStringLiteral("create table p (n varchar(20), p varchar(20));"
                               " insert into p values ('Öveges', '%VEG%'), ('Őz', 'ö%'), ('tőzeg', 't_z%'),"
                               " ('ablak', 'a%k'), ('ablak', 'a%x')"));
        Query perRow(&db.conn, QStringLiteral("select n || ':' || p as m from p where n like p order by m"));
        perRow.open();
        QStringList rows;
        for (perRow.first(); !perRow.eof(); perRow.next())
            rows << perRow.text(QStringLiteral("m"));
        QCOMPARE(rows, (QStringList{"ablak:a%k", "tőzeg:t_z%", "Öveges:%VEG%"}));

        // Names ordered the lists' way: by the folded key, not by byte.
        db.exec(QStringLiteral("delete from t; insert into t values ('Zoltán'), ('Ábel'), ('Éva'), ('Alma'), ('Emil'), ('Eva')"));
        Query ordered(&db.conn, QStringLiteral("select n from t order by n collate hungarian"));
        ordered.open();
        QStringList names;
        for (ordered.first(); !ordered.eof(); ordered.next())
            names << ordered.text(QStringLiteral("n"));
        QCOMPARE(names, (QStringList{"Ábel", "Alma", "Emil", "Eva", "Éva", "Zoltán"}));
    }

    // Another program holds the write lock: reads and posts fail with SQLite's
    // message once the time-out has passed, and nothing is lost.
    void lockedDatabase()
    {
        DbFixture db;
        db.exec(QStringLiteral("create table t (a integer, s varchar(10)); insert into t values (1, 'x')"));
        db.conn.close();
        db.conn.timeOut = 200;
        db.conn.open();
        Table t(&db.conn, QStringLiteral("t"));
        t.addInteger(QStringLiteral("a"));
        t.addText(QStringLiteral("s"), 10);
        t.open();
        t.edit();
        t.setValue(QStringLiteral("s"), QStringLiteral("y"));

        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(db.path().toUtf8().constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);

        const QString locked = QStringLiteral("Az adatbázist most egy másik program használja. "
                                              "Próbálja újra egy kicsit később.\ndatabase is locked");
        QCOMPARE(errorOf([&] { t.post(); }), locked);
        QCOMPARE(t.mode(), RecordSet::Mode::Editing);
        QCOMPARE(t.text(QStringLiteral("s")), QStringLiteral("y"));
        Table reader(&db.conn, QStringLiteral("t"));
        QCOMPARE(errorOf([&] { reader.open(); }), locked);
        QVERIFY(!reader.isOpen());

        QCOMPARE(sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
        t.post();
        QCOMPARE(db.raw("select s from t"), QByteArray("y"));
    }

    // The failures a user can act on get a Hungarian sentence in front of
    // SQLite's own text; SQL errors keep SQLite's text alone.
    void sqliteFailuresAreExplained()
    {
        {
            DbFixture db;
            db.exec(QStringLiteral("create table t (a integer, b blob); pragma query_only = 1"));
            QCOMPARE(errorOf([&] { db.exec(QStringLiteral("insert into t (a) values (1)")); }),
                     QStringLiteral("Az adatbázis csak olvasható, a változás nem menthető. Ellenőrizze, hogy a fájl és "
                                    "a mappája írható-e.\nattempt to write a readonly database"));
            db.exec(QStringLiteral("pragma query_only = 0"));
            QCOMPARE(errorOf([&] { db.exec(QStringLiteral("select * from nincs")); }), QStringLiteral("no such table: nincs"));

            // A disk that fills up: the file may not grow beyond its pages.
            db.exec(QStringLiteral("pragma max_page_count = 8"));
            QCOMPARE(errorOf([&] { db.exec(QStringLiteral("insert into t values (1, zeroblob(100000))")); }),
                     QStringLiteral("Megtelt a lemez, a változás nem menthető. Szabadítson fel helyet, majd próbálja "
                                    "újra.\ndatabase or disk is full"));
        }
        {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("szoveg.sqb"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("Ez egy sima szövegfájl.\n").repeated(300));
            file.close();
            Connection c;
            c.setPath(path);
            c.open();
            QCOMPARE(errorOf([&] { c.executeDirect(QStringLiteral("select * from sqlite_master")); }),
                     QStringLiteral("A megadott fájl nem adatbázis. Ellenőrizze az adatbázis elérési útját a "
                                    "beállításokban.\nfile is not a database"));
        }
        {
            // The table's first page overwritten: a damaged file.
            DbFixture db;
            db.exec(QStringLiteral("pragma page_size = 4096; create table t (a integer); insert into t values (1)"));
            QCOMPARE(db.raw("select rootpage from sqlite_master where name = 't'"), QByteArray("2"));
            db.conn.close();
            QFile file(db.path());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(4096));
            file.write(QByteArray(64, '\xff'));
            file.close();
            Table t(&db.conn, QStringLiteral("t"));
            t.addInteger(QStringLiteral("a"));
            QCOMPARE(errorOf([&] { t.open(); }),
                     QStringLiteral("Az adatbázis megsérült. Állítsa vissza egy biztonsági mentésből.\n"
                                    "database disk image is malformed"));
        }
        // Extended codes are explained by their primary code.
        QCOMPARE(sqliteErrorText(SQLITE_BUSY_SNAPSHOT, QStringLiteral("x")),
                 sqliteErrorText(SQLITE_BUSY, QStringLiteral("x")));
        QCOMPARE(sqliteErrorText(SQLITE_READONLY_DBMOVED, QStringLiteral("x")),
                 sqliteErrorText(SQLITE_READONLY, QStringLiteral("x")));
        QVERIFY(sqliteErrorText(SQLITE_IOERR_WRITE, QStringLiteral("disk I/O error")).startsWith(QStringLiteral("Az adatbázisfájl olvasása")));
        QCOMPARE(sqliteErrorText(SQLITE_CONSTRAINT_UNIQUE, QStringLiteral("UNIQUE constraint failed: t.a")),
                 QStringLiteral("UNIQUE constraint failed: t.a"));
    }

    // Statements run again are kept compiled; what happens to the file in
    // between (another program's new column, a dropped table, another file)
    // is still seen.
    void keptStatements()
    {
        DbFixture db;
        db.exec(QStringLiteral("create table t (a integer, s text); insert into t values (1, 'x'), (2, 'y')"));
        const BoundSql select{QStringLiteral("select * from t where a >= ? order by a"), {1}, {}};
        const auto columnsOf = [&] {
            const std::unique_ptr<Cursor> c = db.conn.query(select);
            QStringList names;
            for (int i = 0; i < c->columnCount(); ++i)
                names << QString::fromLatin1(c->columnName(i));
            int rows = 0;
            while (c->next())
                ++rows;
            return names.join(QLatin1Char(',')) + QLatin1Char('/') + QString::number(rows);
        };
        QCOMPARE(columnsOf(), QStringLiteral("a,s/2"));
        DbFixture::execOther(db.path(), QStringLiteral("alter table t add column c text; insert into t values (3, 'z', 'q')"));
        QCOMPARE(columnsOf(), QStringLiteral("a,s,c/3"));

        // The same text while a cursor still steps it: two independent cursors.
        {
            const std::unique_ptr<Cursor> outer = db.conn.query(select);
            QVERIFY(outer->next());
            QCOMPARE(outer->integer(0), 1);
            QCOMPARE(columnsOf(), QStringLiteral("a,s,c/3"));
            QVERIFY(outer->next());
            QCOMPARE(outer->integer(0), 2);
        }

        // A kept insert does not hold the table: it can be dropped, and the
        // statement fails, then works on the table made anew.
        const auto insert = [&](int a) { db.conn.execute(BoundSql{QStringLiteral("insert into t (a) values (?)"), {a}, {}}); };
        insert(4);
        db.exec(QStringLiteral("drop table t"));
        QCOMPARE(errorOf([&] { insert(5); }), QStringLiteral("no such table: t"));
        db.exec(QStringLiteral("create table t (x text, a integer)"));
        insert(6);
        QCOMPARE(db.raw("select group_concat(a) from t"), QByteArray("6"));

        // Another file opened on the same connection gets the rows.
        DbFixture second;
        second.exec(QStringLiteral("create table t (a integer)"));
        second.conn.close();
        db.conn.close();
        db.conn.setPath(second.path());
        db.conn.open();
        insert(7);
        QCOMPARE(db.raw("select group_concat(a) from t"), QByteArray("7"));
        QCOMPARE(columnsOf(), QStringLiteral("a/1"));
    }

    void lifetimes()
    {
        auto *conn = new Connection;
        conn->database = QStringLiteral(":memory:");
        conn->open();
        conn->executeDirect(QStringLiteral("create table t (a integer)"));
        Table outlives(conn, QStringLiteral("t"));
        {
            Table scoped(conn, QStringLiteral("t"));
            scoped.open();   // detaches itself when destroyed
        }
        outlives.open();
        delete conn;   // closes and forgets the record set
        QVERIFY(!outlives.isOpen());
        QCOMPARE(outlives.connection(), nullptr);
        QCOMPARE(errorOf([&] { outlives.open(); }), QStringLiteral("no database connection"));
    }
};

QTEST_GUILESS_MAIN(TestDbConnection)
#include "test_db_connection.moc"

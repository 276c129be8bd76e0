// Record sets: how stored values read, field binding, locate, the modes and
// their signals, editing rules and messages.

#include "tests/db/dbfixture.h"

using namespace zdb;

class TestDbRecordSet : public QObject
{
    Q_OBJECT

    // Names in a fixed order; kod 5 and a null kod; one date per row.
    static void makePeople(DbFixture &db)
    {
        db.exec(QStringLiteral(
            "create table ember (kod integer, nev varchar(20), datum date, megj text);"
            "insert into ember values (1, 'Nagy', '2005-01-31', 'a');"
            "insert into ember values (5, 'kovács', '2006-03-01', 'b');"
            "insert into ember values (null, 'árpád', null, 'c');"
            "insert into ember values (7, 'Zoltán', '2007-12-24', 'd');"));
    }

    static void declarePeople(Table &t)
    {
        t.addInteger(QStringLiteral("kod"), QStringLiteral("Kód"));
        t.addText(QStringLiteral("nev"), 20);
        t.addDate(QStringLiteral("datum"));
    }

private Q_SLOTS:
    void dateReadings_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QDate>("date");   // invalid: the reading fails
        QTest::newRow("stored form") << QByteArray("2005-01-31") << QDate(2005, 1, 31);
        QTest::newRow("short date") << QByteArray("2005.01.31") << QDate(2005, 1, 31);
        QTest::newRow("short date, final dot") << QByteArray("2005.01.31.") << QDate(2005, 1, 31);
        QTest::newRow("day first") << QByteArray("31-01-2005") << QDate(2005, 1, 31);
        QTest::newRow("one-digit parts") << QByteArray("2005-1-5") << QDate(2005, 1, 5);
        QTest::newRow("blanks around") << QByteArray("  2005-01-31 ") << QDate(2005, 1, 31);
        QTest::newRow("leap day") << QByteArray("2004-02-29") << QDate(2004, 2, 29);
        QTest::newRow("empty") << QByteArray("") << QDate(1900, 1, 1);
        QTest::newRow("blanks only") << QByteArray("   ") << QDate(1900, 1, 1);
        QTest::newRow("no such day") << QByteArray("2005-02-29") << QDate();
        QTest::newRow("month 13") << QByteArray("2005.13.01") << QDate();
        QTest::newRow("slashes") << QByteArray("2005/01/31") << QDate();
        QTest::newRow("dotted day first") << QByteArray("31.01.2005") << QDate();
        QTest::newRow("with a time") << QByteArray("2005-01-31 10:00") << QDate();
        QTest::newRow("word") << QByteArray("abc") << QDate();
    }

    void dateReadings()
    {
        QFETCH(QByteArray, text);
        QFETCH(QDate, date);
        if (date.isValid())
            QCOMPARE(parseStoredDate(text), date);
        else
            QCOMPARE(errorOf([&] { parseStoredDate(text); }), QStringLiteral("'%1' is not a valid date").arg(QString::fromLatin1(text)));
    }

    void textForms()
    {
        QCOMPARE(dateToText(QDate(2005, 1, 31)), QStringLiteral("2005.01.31."));
        QCOMPARE(dateToSql(QDate(2005, 1, 31)), QStringLiteral("2005-01-31"));
        QCOMPARE(errorDisplayText(QStringLiteral("no such table: x")), QStringLiteral("no such table: x."));
        QCOMPARE(errorDisplayText(QStringLiteral("Hiba (3)")), QStringLiteral("Hiba (3)"));
        QCOMPARE(errorDisplayText(QStringLiteral("%s is required.")), QStringLiteral("%s is required."));
    }

    void columnTypes_data()
    {
        QTest::addColumn<QString>("declared");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("size");
        auto row = [](const char *decl, FieldKind k, int size) {
            QTest::newRow(decl) << QString::fromLatin1(decl) << int(k) << size;
        };
        row("integer", FieldKind::Integer, 0);
        row("INT", FieldKind::Integer, 0);
        row("date", FieldKind::Date, 0);
        row("varchar(50)", FieldKind::Text, 50);
        row("VARCHAR2 ( 8 )", FieldKind::Text, 8);
        row("char(1)", FieldKind::Text, 1);
        row("string", FieldKind::Text, 255);
        row("text", FieldKind::Memo, 0);
        row("clob", FieldKind::Memo, 0);
        row("numeric(10,2)", FieldKind::Float, 0);
        row("timestamp", FieldKind::DateTime, 0);
        row("nvarchar(30)", FieldKind::WideText, 30);
        row("", FieldKind::Text, 255);
        row("bigint", FieldKind::Text, 255);
    }

    void columnTypes()
    {
        QFETCH(QString, declared);
        QFETCH(int, kind);
        QFETCH(int, size);
        const ColumnType t = columnTypeOf(declared);
        QCOMPARE(int(t.kind), kind);
        QCOMPARE(t.size, size);
    }

    // NULL, empty and bad stored texts; lengths cut at load; the "rowid" column.
    void readRules()
    {
        DbFixture db;
        db.exec(QStringLiteral("create table t (n integer, d date, s varchar(5));"
                               "insert into t values ('abc', '', 'abcdefgh');"
                               "insert into t values (null, null, '');"
                               "insert into t values ('-12', '2005.01.31.', null);"));
        Table t(&db.conn, QStringLiteral("t"));
        t.addInteger(QStringLiteral("n"));
        t.addDate(QStringLiteral("d"));
        t.addText(QStringLiteral("s"), 3);   // the column's own length cuts at load
        t.open();
        QCOMPARE(t.value(QStringLiteral("n")), QVariant(0));
        QCOMPARE(t.value(QStringLiteral("d")), QVariant(QDate(1900, 1, 1)));
        QCOMPARE(t.value(QStringLiteral("s")), QVariant(QStringLiteral("abcde")));
        t.next();
        QVERIFY(t.isNull(QStringLiteral("n")));
        QVERIFY(t.isNull(QStringLiteral("d")));
        QVERIFY(!t.isNull(QStringLiteral("s")));
        QCOMPARE(t.text(QStringLiteral("d")), QString());
        t.next();
        QCOMPARE(t.value(QStringLiteral("n")), QVariant(-12));
        QCOMPARE(t.text(QStringLiteral("d")), QStringLiteral("2005.01.31."));
        QVERIFY(t.isNull(QStringLiteral("s")));

        // An integer field's text is always the value's own digits, whatever
        // bytes another program stored (blobs escape the column's affinity).
        db.exec(QStringLiteral("create table k2 (n integer);"
                               "insert into k2 values (42), (-7), (0), (cast('007' as blob)), (cast(' 5' as blob)),"
                               " (cast('+3' as blob)), (cast('-0' as blob)), (cast('5 ' as blob)), (2147483648), ('abc'),"
                               " (-2147483648);"));
        Table k2(&db.conn, QStringLiteral("k2"));
        k2.addInteger(QStringLiteral("n"));
        k2.open();
        QStringList texts;
        for (int r = 0; r < k2.recordCount(); ++r)
            texts << k2.textAt(r, 0);
        QCOMPARE(texts, (QStringList{QStringLiteral("42"), QStringLiteral("-7"), QStringLiteral("0"), QStringLiteral("7"),
                                     QStringLiteral("5"), QStringLiteral("3"), QStringLiteral("0"), QStringLiteral("5"),
                                     QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("-2147483648")}));

        db.exec(QStringLiteral("insert into t values (1, '31.01.2005', 'x')"));
        t.close();
        QCOMPARE(errorOf([&] { t.open(); }), QStringLiteral("'31.01.2005' is not a valid date"));
        QVERIFY(!t.isOpen());
    }

    void binding()
    {
        DbFixture db;
        makePeople(db);
        Table t(&db.conn, QStringLiteral("ember"));
        t.addInteger(QStringLiteral("nincs"));
        QCOMPARE(errorOf([&] { t.open(); }), QStringLiteral("Field 'nincs' not found"));
        t.clearFields();
        t.addText(QStringLiteral("megj"), 100);
        QCOMPARE(errorOf([&] { t.open(); }), QStringLiteral("Type mismatch for field 'megj', expecting: String actual: Memo"));
        t.clearFields();
        t.addText(QStringLiteral("kod"), 10);
        QCOMPARE(errorOf([&] { t.open(); }), QStringLiteral("Type mismatch for field 'kod', expecting: String actual: Integer"));

        // Undeclared: every column is a field; repeats get "_1"; rowid is no field.
        Query q(&db.conn, QStringLiteral("select rowid, kod, nev, kod, max(kod) as m from ember"));
        q.open();
        QCOMPARE(q.fieldNames(), QStringList({QStringLiteral("kod"), QStringLiteral("nev"), QStringLiteral("kod_1"), QStringLiteral("m")}));
        QCOMPARE(q.field(QStringLiteral("KOD_1")).kind, FieldKind::Integer);
        QCOMPARE(q.field(QStringLiteral("m")).kind, FieldKind::Text);
        QCOMPARE(q.value(QStringLiteral("m")), QVariant(QStringLiteral("7")));
        q.close();
        QCOMPARE(q.fieldCount(), 0);   // made at open, dropped at close
    }

    void locate_data()
    {
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QVariant>("values");
        QTest::addColumn<int>("options");
        QTest::addColumn<int>("row");   // -1: not found
        const int ci = LocateCaseInsensitive, part = LocatePartial;
        auto row = [](const char *name, const char *fields, QVariant v, int options, int r) {
            QTest::newRow(name) << QString::fromLatin1(fields) << v << options << r;
        };
        row("exact Kovács misses kovács", "nev", QStringLiteral("Kovács"), 0, -1);
        row("exact kovács", "nev", QStringLiteral("kovács"), 0, 1);
        row("kov, case and partial", "nev", QStringLiteral("kov"), ci | part, 1);
        row("KOVÁ folds accented letters too", "nev", QStringLiteral("KOVÁ"), ci | part, 1);
        row("KOVA: the accent still counts", "nev", QStringLiteral("KOVA"), ci | part, -1);
        row("ÁRPÁD finds árpád", "nev", QStringLiteral("ÁRPÁD"), ci, 2);
        row("ÁRPÁD exact misses árpád", "nev", QStringLiteral("ÁRPÁD"), 0, -1);
        row("árpád", "nev", QStringLiteral("ÁRPÁD").toLower(), ci, 2);
        row("empty partial: first row", "nev", QString(), part, 0);
        row("longer than the field", "nev", QStringLiteral("Nagyobb"), part, -1);
        row("partial without case", "nev", QStringLiteral("nagy"), part, -1);
        row("integer", "kod", 5, 0, 1);
        row("integer as text", "kod", QStringLiteral("7"), 0, 3);
        row("integer not canonical", "kod", QStringLiteral("05"), 0, -1);
        row("integer partial", "kod", QStringLiteral("5"), part, 1);
        row("null field, empty text", "kod", QString(), 0, 2);
        row("date", "datum", QDate(2007, 12, 24), 0, 3);
        row("two fields", "kod;nev", QVariantList({1, QStringLiteral("Nagy")}), 0, 0);
        row("two fields, one differs", "kod;nev", QVariantList({1, QStringLiteral("Zoltán")}), 0, -1);
        row("outside the code page", "nev", QStringLiteral("中"), ci | part, -1);
    }

    void locate()
    {
        QFETCH(QString, fields);
        QFETCH(QVariant, values);
        QFETCH(int, options);
        QFETCH(int, row);
        DbFixture db;
        makePeople(db);
        Table t(&db.conn, QStringLiteral("ember"));
        declarePeople(t);
        t.open();
        t.setCurrentRow(1);
        SignalLog log(&t);
        QCOMPARE(t.locate(fields, values, options), row >= 0);
        // A failed search leaves the last row current.
        QCOMPARE(t.currentRow(), row >= 0 ? row : t.recordCount() - 1);
        QCOMPARE(log.take(), QStringList{QStringLiteral("current(%1)").arg(t.currentRow())});
    }

    void locateSpecialCases()
    {
        DbFixture db;
        makePeople(db);
        Table t(&db.conn, QStringLiteral("ember"));
        declarePeople(t);
        QVERIFY(!t.locate(QStringLiteral("nev"), QStringLiteral("Nagy")));   // closed
        t.setFilter(QStringLiteral("kod > 100"));
        t.setFiltered(true);
        t.open();
        QVERIFY(!t.locate(QStringLiteral("nev"), QString(), LocatePartial));
        QCOMPARE(t.currentRow(), -1);
        QCOMPARE(errorOf([&] { t.locate(QStringLiteral("x"), 1); }), QStringLiteral("Field 'x' not found"));
    }

    void orderAndFilterStates()
    {
        DbFixture db;
        makePeople(db);
        Table t(&db.conn, QStringLiteral("ember"));
        declarePeople(t);
        t.setOrder(QStringLiteral("nev"));
        t.open();
        t.last();
        t.setOrder(QStringLiteral("nev"));
        QVERIFY(t.isOpen());
        QCOMPARE(t.currentRow(), 3);
        t.setOrder(QStringLiteral("kod"));
        QVERIFY(!t.isOpen());

        t.open();
        t.setFiltered(true);   // alone: nothing until the next open
        QCOMPARE(t.recordCount(), 4);
        t.last();
        SignalLog log(&t);
        t.setFilter(QStringLiteral("kod >= 5"));   // open: reopens at once
        QVERIFY(t.isOpen());
        QCOMPARE(t.recordCount(), 2);
        QCOMPARE(t.currentRow(), 0);
        QCOMPARE(log.take(), QStringList({QStringLiteral("aboutToReset"), QStringLiteral("reset"), QStringLiteral("mode(0)"),
                                          QStringLiteral("current(-1)"), QStringLiteral("aboutToReset"), QStringLiteral("reset"),
                                          QStringLiteral("mode(1)"), QStringLiteral("current(0)")}));
        t.setFiltered(false);
        QCOMPARE(t.recordCount(), 2);
        t.refresh();
        QCOMPARE(t.recordCount(), 4);
    }

    void navigation()
    {
        DbFixture db;
        makePeople(db);
        Table t(&db.conn, QStringLiteral("ember"));
        declarePeople(t);
        QCOMPARE(errorOf([&] { t.next(); }), QStringLiteral("Cannot perform this operation on a closed dataset"));
        t.open();
        QVERIFY(!t.eof());
        t.last();
        t.next();
        QVERIFY(t.eof());
        QCOMPARE(t.currentRow(), 3);
        t.first();
        QVERIFY(!t.eof());
        t.next();
        const RecordSet::Bookmark mark = t.bookmark();
        t.last();
        QVERIFY(t.gotoBookmark(mark));
        QCOMPARE(t.currentRow(), 1);
        t.remove();
        QVERIFY(!t.gotoBookmark(mark));

        // Held controls: moves are told once, on release.
        SignalLog log(&t);
        t.disableControls();
        t.first();
        t.next();
        t.next();
        QVERIFY(log.log.isEmpty());
        t.enableControls();
        QCOMPARE(log.take(), QStringList{QStringLiteral("current(2)")});
    }

    void insertCancelPostSignals()
    {
        DbFixture db;
        makePeople(db);
        Table t(&db.conn, QStringLiteral("ember"));
        declarePeople(t);
        t.open();
        t.setCurrentRow(2);
        SignalLog log(&t);

        t.insert();   // in front of the current row
        QCOMPARE(t.recordCount(), 5);
        QCOMPARE(t.currentRow(), 2);
        QVERIFY(t.isNull(QStringLiteral("nev")));
        QCOMPARE(t.valueAt(3, QStringLiteral("nev")).toString(), QStringLiteral("árpád"));
        t.cancel();
        QCOMPARE(t.recordCount(), 4);
        QCOMPARE(t.value(QStringLiteral("nev")).toString(), QStringLiteral("árpád"));
        QCOMPARE(log.take(), QStringList({QStringLiteral("aboutToInsert(2)"), QStringLiteral("inserted(2)"), QStringLiteral("mode(3)"),
                                          QStringLiteral("current(2)"), QStringLiteral("aboutToRemove(2)"), QStringLiteral("removed(2)"),
                                          QStringLiteral("mode(1)"), QStringLiteral("current(2)")}));

        t.insert();
        t.setValue(QStringLiteral("nev"), QStringLiteral("Új"));
        t.post();
        QCOMPARE(log.take(), QStringList({QStringLiteral("aboutToInsert(2)"), QStringLiteral("inserted(2)"), QStringLiteral("mode(3)"),
                                          QStringLiteral("current(2)"), QStringLiteral("field(1)"), QStringLiteral("rowChanged(2)"),
                                          QStringLiteral("rowChanged(2)"), QStringLiteral("mode(1)")}));
        QCOMPARE(t.valueAt(2, QStringLiteral("nev")).toString(), QStringLiteral("Új"));
        QVERIFY(t.isNull(QStringLiteral("kod")));

        // Posted rows stay where they stand, whatever the order.
        t.setCurrentRow(0);
        t.edit();
        t.setValue(QStringLiteral("nev"), QStringLiteral("Zsolt"));
        t.post();
        QCOMPARE(t.valueAt(0, QStringLiteral("nev")).toString(), QStringLiteral("Zsolt"));

        t.setCurrentRow(4);
        log.take();
        t.remove();   // the last row: the new last row becomes current
        QCOMPARE(t.currentRow(), 3);
        QCOMPARE(log.take(), QStringList({QStringLiteral("aboutToRemove(4)"), QStringLiteral("removed(4)"), QStringLiteral("current(3)")}));
        t.first();
        t.remove();   // the following row becomes current
        QCOMPARE(t.value(QStringLiteral("nev")).toString(), QStringLiteral("kovács"));
        QCOMPARE(db.raw("select group_concat(nev, ',') from ember"), QByteArray("kov\xe1" "cs,\xe1rp\xe1" "d,\xdaj"));
    }

    void editingRules()
    {
        DbFixture db;
        makePeople(db);
        Table t(&db.conn, QStringLiteral("ember"));
        declarePeople(t);
        t.addCalculated(QStringLiteral("cimke"), 6);
        t.setCalcHandler([](const RecordSet &rs, int row, const QString &) {
            return QVariant(QStringLiteral("<") + rs.textAt(row, rs.fieldIndex(QStringLiteral("nev"))) + QStringLiteral(">"));
        });
        t.open();
        QCOMPARE(t.value(QStringLiteral("cimke")).toString(), QStringLiteral("<Nagy>"));
        QCOMPARE(errorOf([&] { t.setValue(QStringLiteral("nev"), QStringLiteral("x")); }), QStringLiteral("Dataset not in edit or insert mode"));

        t.edit();
        t.setValue(QStringLiteral("nev"), QStringLiteral("Kis"));
        QCOMPARE(t.value(QStringLiteral("cimke")).toString(), QStringLiteral("<Kis>"));   // from the buffer
        t.setValue(QStringLiteral("nev"), QStringLiteral("a123456789012345678901234"));
        QCOMPARE(t.text(QStringLiteral("nev")), QStringLiteral("a1234567890123456789"));
        QCOMPARE(t.value(QStringLiteral("cimke")).toString(), QStringLiteral("<a1234"));   // cut to its size
        t.setValue(QStringLiteral("nev"), QString());
        QVERIFY(!t.isNull(QStringLiteral("nev")));   // empty text, not null
        t.setValue(QStringLiteral("kod"), QStringLiteral(""));
        QVERIFY(t.isNull(QStringLiteral("kod")));
        t.setValue(QStringLiteral("kod"), QStringLiteral(" 42 "));
        QCOMPARE(t.value(QStringLiteral("kod")), QVariant(42));
        QCOMPARE(errorOf([&] { t.setValue(QStringLiteral("kod"), QStringLiteral("abc")); }),
                 QStringLiteral("'abc' is not a valid integer value for field 'Kód'"));
        QCOMPARE(errorOf([&] { t.setValue(QStringLiteral("kod"), QStringLiteral("99999999999")); }),
                 QStringLiteral("'99999999999' is not a valid integer value for field 'Kód'"));
        t.setValue(QStringLiteral("datum"), QStringLiteral("2005.02.03."));
        QCOMPARE(t.value(QStringLiteral("datum")), QVariant(QDate(2005, 2, 3)));
        QCOMPARE(errorOf([&] { t.setValue(QStringLiteral("datum"), QStringLiteral("tegnap")); }), QStringLiteral("'tegnap' is not a valid date"));
        QCOMPARE(errorOf([&] { t.setValue(QStringLiteral("cimke"), QStringLiteral("x")); }), QStringLiteral("Field 'cimke' cannot be modified"));
        QVERIFY(!t.postStatement().sql.contains(QStringLiteral("cimke")));
        t.post();
        QCOMPARE(db.raw("select typeof(nev) || ':' || nev from ember where rowid=1"), QByteArray("text:"));
        QCOMPARE(db.raw("select kod from ember where rowid=1"), QByteArray("42"));
        QCOMPARE(t.value(QStringLiteral("nev")), QVariant(QString()));
        QVERIFY(!t.isNull(QStringLiteral("nev")));

        // A required field that is empty stops the post; the buffer stays.
        t.fieldDef(QStringLiteral("datum")).required = true;   // a declaration, allowed while open
        t.edit();
        t.setValue(QStringLiteral("datum"), QVariant());
        QCOMPARE(errorOf([&] { t.post(); }), QStringLiteral("datum is required."));
        QCOMPARE(t.mode(), RecordSet::Mode::Editing);
        t.cancel();

        // Moving while editing stores a changed buffer.
        t.edit();
        t.setValue(QStringLiteral("nev"), QStringLiteral("Mozgó"));
        t.next();
        QCOMPARE(t.mode(), RecordSet::Mode::Browsing);
        QCOMPARE(t.valueAt(0, QStringLiteral("nev")).toString(), QStringLiteral("Mozgó"));

        // Setting every field at once follows the same rules, field by field.
        t.insert();
        QCOMPARE(errorOf([&] { t.setValues({QStringLiteral("abc")}); }),
                 QStringLiteral("'abc' is not a valid integer value for field 'Kód'"));
        t.setValues({QStringLiteral(" 7 "), QString(), QStringLiteral("2005.02.03."), QStringLiteral("x")});
        QCOMPARE(t.bufferValues().mid(0, 3), (QVector<QVariant>{7, QString(QLatin1String("")), QDate(2005, 2, 3)}));
        QVERIFY(!t.isNull(QStringLiteral("nev")));   // empty text, not null
        QVERIFY(!t.bufferValues()[3].isValid());     // computed: never set
        t.setValues({QVariant(), QStringLiteral("a123456789012345678901234")});
        QCOMPARE(t.text(QStringLiteral("nev")), QStringLiteral("a1234567890123456789"));
        QVERIFY(t.isNull(QStringLiteral("kod")));
        t.cancel();
        QVERIFY(t.bufferValues().isEmpty());
    }

    void failuresKeepState()
    {
        DbFixture db;
        db.exec(QStringLiteral("create table u (kod integer not null, nev varchar(10))"));
        Table t(&db.conn, QStringLiteral("u"));
        t.addInteger(QStringLiteral("kod"));
        t.addText(QStringLiteral("nev"), 10);
        t.open();
        QCOMPARE(errorOf([&] { t.remove(); }), QStringLiteral("Cannot perform this operation on an empty dataset"));
        t.edit();   // on an empty record set: an insert
        QCOMPARE(t.mode(), RecordSet::Mode::Inserting);
        t.setValue(QStringLiteral("nev"), QStringLiteral("x"));
        QCOMPARE(errorOf([&] { t.post(); }), QStringLiteral("NOT NULL constraint failed: u.kod"));
        QCOMPARE(t.mode(), RecordSet::Mode::Inserting);
        QCOMPARE(t.text(QStringLiteral("nev")), QStringLiteral("x"));
        t.setValue(QStringLiteral("kod"), 1);
        t.post();

        t.setReadOnly(true);
        QCOMPARE(errorOf([&] { t.remove(); }), QStringLiteral("Cannot delete from a read-only dataset"));
        t.edit();
        QCOMPARE(errorOf([&] { t.post(); }), QStringLiteral("Cannot post into a read-only dataset"));
        t.cancel();
        t.setReadOnly(false);

        t.insert();
        t.remove();   // in insert mode: only the new row goes
        QCOMPARE(t.recordCount(), 1);
        QCOMPARE(db.raw("select count(*) from u"), QByteArray("1"));
    }

    void displayFormat()
    {
        DbFixture db;
        makePeople(db);
        Table t(&db.conn, QStringLiteral("ember"));
        declarePeople(t);
        t.fieldDef(QStringLiteral("kod")).displayFormat = QStringLiteral("00000");
        t.open();
        QCOMPARE(t.displayText(QStringLiteral("kod")), QStringLiteral("00001"));
        QCOMPARE(t.text(QStringLiteral("kod")), QStringLiteral("1"));
        t.setCurrentRow(2);
        QCOMPARE(t.displayText(QStringLiteral("kod")), QString());
    }
};

QTEST_GUILESS_MAIN(TestDbRecordSet)
#include "test_db_recordset.moc"

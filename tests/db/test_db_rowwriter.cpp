// Bulk writes into an open table record set: what the list shows after
// finish() must be exactly what a reload shows, in every order the windows
// use; the database gets exactly the written cells; a row another program
// took away is not written.

#include "tests/db/dbfixture.h"

#include "db/rowwriter.h"

using namespace zdb;

namespace {

void declare(Table &t)
{
    t.addInteger(QStringLiteral("ugyfel"));
    t.addInteger(QStringLiteral("kod"));
    t.addText(QStringLiteral("nev"), 10);
    t.addDate(QStringLiteral("datum"));
    t.addCalculated(QStringLiteral("jel"), 1);   // computed fields are never written
}

// Each row as the grid reads it, with its rowid, in the record set's order.
QStringList shown(const RecordSet &rs)
{
    QStringList out;
    for (int r = 0; r < rs.recordCount(); ++r) {
        QStringList cells{QString::number(rs.bookmarkAt(r))};
        for (int f = 0; f < 4; ++f)
            cells << (rs.valueAt(r, f).isValid() ? rs.textAt(r, f) : QStringLiteral("<null>"));
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

QVector<QVariant> row(const QVariant &id, const QVariant &code, const QVariant &name, const QVariant &date = {})
{
    return {id, code, name, date, QVariant()};
}

constexpr quint64 kName = quint64(1) << 2;
constexpr quint64 kCode = quint64(1) << 1;

} // namespace

class TestDbRowWriter : public QObject
{
    Q_OBJECT

    static void makeTable(DbFixture &db)
    {
        // Ties, nulls, a code another program stored as text, accents (the
        // stored bytes decide the order), and rowids out of the order.
        db.exec(QStringLiteral(
            "create table ugyfel (ugyfel integer, kod integer, nev varchar(10), datum date);"
            "insert into ugyfel (rowid, ugyfel, kod, nev, datum) values"
            " (5, 1, 30, 'Béta', '2024-01-02'), (2, 2, 10, 'Alfa', null), (9, 3, 20, 'Alfa', '2023-05-06'),"
            " (3, 4, null, 'Zeta', null), (7, 5, 'x1', null, null), (4, 6, 5, 'Éva', '2022-01-01');"));
    }

    // The table open in the identifier's order.
    struct Customers
    {
        DbFixture db;
        Table t{&db.conn, QStringLiteral("ugyfel")};
        Customers()
        {
            makeTable(db);
            declare(t);
            t.setOrder(QStringLiteral("ugyfel"));
            t.open();
        }
    };

private Q_SLOTS:
    void finishShowsWhatAReloadShows_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("filter");
        QTest::newRow("by name") << QStringLiteral("nev") << QString();
        QTest::newRow("by code") << QStringLiteral("kod") << QString();
        QTest::newRow("by date") << QStringLiteral("datum") << QString();
        QTest::newRow("no order") << QString() << QString();
        QTest::newRow("expression") << QStringLiteral("upper(nev)") << QString();
        QTest::newRow("filtered") << QStringLiteral("nev") << QStringLiteral("kod > 7");
    }

    void finishShowsWhatAReloadShows()
    {
        QFETCH(QString, order);
        QFETCH(QString, filter);
        DbFixture db;
        makeTable(db);
        Table t(&db.conn, QStringLiteral("ugyfel"));
        declare(t);
        t.setOrder(order);
        if (!filter.isEmpty()) {
            t.setFilter(filter);
            t.setFiltered(true);
        }
        t.open();
        t.setCurrentRow(1);
        const RecordSet::Bookmark current = t.bookmark();

        // A post before the import leaves its row where it was typed.
        t.edit();
        t.setValue(QStringLiteral("nev"), QStringLiteral("Aaa"));
        t.post();

        db.exec(QStringLiteral("begin"));
        {
            RowWriter w(t);
            QVector<QVariant> values;
            std::vector<bool> clean;
            for (int r = 0; r < t.recordCount(); ++r) {
                w.read(r, values, clean);
                if (values[1].toInt() == 10 || values[1].toInt() == 20) {
                    // Longer and shorter names than the stored ones, and a new code.
                    values[2] = values[1].toInt() == 10 ? QStringLiteral("Omega hosszú").left(10) : QStringLiteral("B");
                    values[1] = values[1].toInt() + 100;
                    w.update(r, values, kName | kCode);
                }
            }
            const int rows = t.recordCount();
            QCOMPARE(w.append(row(7, 15, QStringLiteral("Alfa"), QDate(2020, 2, 3))), rows);
            w.append(row(8, QVariant(), QVariant()));
            w.append(row(9, 1, QStringLiteral("Béta")));
            w.finish();
        }
        db.exec(QStringLiteral("commit"));

        Table fresh(&db.conn, QStringLiteral("ugyfel"));
        declare(fresh);
        fresh.setOrder(order);
        fresh.setFilter(filter);
        fresh.setFiltered(!filter.isEmpty());
        fresh.open();
        QCOMPARE(shown(t), shown(fresh));
        QCOMPARE(t.bookmark(), current);
        QCOMPARE(db.raw("select nev from ugyfel where kod = 110"), QByteArray("Omega hoss"));
        QCOMPARE(db.raw("select typeof(kod) from ugyfel where ugyfel = 5"), QByteArray("text"));   // never rewritten
    }

    void cellsTheRowCannotHoldAreReportedNotClean()
    {
        Customers c;
        Table &t = c.t;
        RowWriter w(t);
        QVector<QVariant> values;
        std::vector<bool> clean;
        w.read(4, values, clean);   // kod holds 'x1'
        QCOMPARE(values[0], QVariant(5));
        QCOMPARE(clean, (std::vector<bool>{true, false, true, true, true}));
        w.read(3, values, clean);   // a null code is clean
        QVERIFY(!values[1].isValid());
        QVERIFY(clean[1]);
    }

    // Another program deleted the row, or gave its rowid to a new row: the
    // write fails with the program's message and the list keeps the row.
    void rowsAnotherProgramChangedAreNotWritten()
    {
        Customers c;
        DbFixture &db = c.db;
        Table &t = c.t;
        DbFixture::execOther(db.path(), QStringLiteral("delete from ugyfel where ugyfel = 1;"
                                                       "delete from ugyfel where ugyfel = 2;"
                                                       "insert into ugyfel (rowid, ugyfel, nev) values (2, 99, 'Más');"));
        RowWriter w(t);
        for (int r : {0, 1}) {
            QVector<QVariant> values;
            std::vector<bool> clean;
            w.read(r, values, clean);
            const QVariant before = values[2];
            values[2] = QStringLiteral("Új");
            try {
                w.update(r, values, kName);
                QFAIL("a changed row was written");
            } catch (const Error &e) {
                QCOMPARE(e.message(), QStringLiteral("A sort közben más törölte vagy megváltoztatta, frissítse a listát."));
            }
            QCOMPARE(t.valueAt(r, 2), before);
        }
        QCOMPARE(db.raw("select nev from ugyfel where ugyfel = 99"), QByteArray("M\xc3\xa1s"));   // as the other program wrote it
    }
};

QTEST_GUILESS_MAIN(TestDbRowWriter)
#include "test_db_rowwriter.moc"

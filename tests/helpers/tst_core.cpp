// The widget-free helpers as headless tools use them: no QApplication, and
// the test links zentavo_helpers_core alone (no Qt Gui or Widgets). Table
// watching over real record sets on one connection.

#include "app/helpers/core/common.h"
#include "app/helpers/core/tablewatch.h"
#include "tests/db/dbfixture.h"

#include "db/recordset.h"

#include <QCoreApplication>
#include <QTest>

class TestCore : public QObject
{
    Q_OBJECT

    static void fill(DbFixture &db)
    {
        db.exec(QStringLiteral("CREATE TABLE termek (termek integer, termek_nev varchar(50))"));
        db.exec(QStringLiteral("INSERT INTO termek VALUES (1, 'Alma'), (2, 'Barack'), (3, 'Citrom')"));
    }

private Q_SLOTS:
    void noWidgetsNeeded()
    {
        QVERIFY(QCoreApplication::instance());
        QVERIFY(!QCoreApplication::instance()->inherits("QGuiApplication"));
    }

    // A watched list reloads on another record set's write, keeps its order
    // and current row, moves to the row in the place of one that went, and
    // leaves a row being edited alone.
    void watchedListFollowsWrites()
    {
        DbFixture db;
        fill(db);
        zdb::Table view(&db.conn, QStringLiteral("termek"));
        view.setOrder(QStringLiteral("termek_nev"));
        view.open();
        QVERIFY(view.locate(QStringLiteral("termek"), 2));
        RefreshOnTableChange(&view);

        zdb::Table writer(&db.conn, QStringLiteral("termek"));
        writer.open();
        QVERIFY(writer.locate(QStringLiteral("termek"), 1));
        writer.edit();
        writer.setValue(QStringLiteral("termek_nev"), QStringLiteral("Zab"));
        writer.post();
        QCOMPARE(CurrentRowInt(&view, QStringLiteral("termek")), 2);
        QCOMPARE(view.currentRow(), 0);   // "Alma" became "Zab" and went last
        view.setCurrentRow(2);
        QCOMPARE(CurrentRowText(&view, QStringLiteral("termek_nev")), QStringLiteral("Zab"));

        view.setCurrentRow(1);   // Citrom
        QVERIFY(writer.locate(QStringLiteral("termek"), 3));
        writer.remove();
        QCOMPARE(view.recordCount(), 2);
        QCOMPARE(CurrentRowText(&view, QStringLiteral("termek_nev")), QStringLiteral("Zab"));

        view.edit();
        view.setValue(QStringLiteral("termek_nev"), QStringLiteral("Mandula"));
        QVERIFY(writer.locate(QStringLiteral("termek"), 2));
        writer.edit();
        writer.setValue(QStringLiteral("termek_nev"), QStringLiteral("Dinnye"));
        writer.post();
        QVERIFY(view.isEditing());
        QCOMPARE(CurrentRowText(&view, QStringLiteral("termek_nev")), QStringLiteral("Mandula"));
        view.cancel();
    }

    // A record set nobody watches keeps what it read.
    void unwatchedListStays()
    {
        DbFixture db;
        fill(db);
        zdb::Table view(&db.conn, QStringLiteral("termek"));
        view.open();
        zdb::Table writer(&db.conn, QStringLiteral("termek"));
        writer.open();
        writer.remove();
        QCOMPARE(view.recordCount(), 3);
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "tst_core.moc"

// "Keresés mindenben": each kind of result opens its record where it lives,
// results follow the typing, and the keys move between box and list.

#include "appfixture.h"

#include "app/helpers/listchild.h"
#include "app/helpers/listheader.h"
#include "app/helpers/listwindow.h"
#include "app/modules.h"
#include "app/searchwindow.h"
#include "db/recordset.h"
#include "db/searchindex.h"
#include "db/serverschema.h"
#include "tests/common/pgtest.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>

namespace {

const char *kRows = R"(
INSERT INTO ugyfel (ugyfel, ugyfel_nev, varos, telefon) VALUES (4, 'Másik Bt', 'Pécs', NULL), (5, 'Árvíztűrő Kft', 'Győr', '06-30-123-4567');
INSERT INTO alkalmazott (alkalmazott, ugyfel, alkalmazott_nev) VALUES (14, 5, 'Zsálya Zsófia');
INSERT INTO termek (termek, cikkszam, termek_nev) VALUES (6, 'X-1', 'Másik termék'), (7, 'AB-77', 'Zsámoly');
INSERT INTO projekt (projekt, projekt_kod, projekt_nev, lezarva) VALUES (8, 'P-1', 'Zsanér projekt', 'N');
INSERT INTO dolog3 (dolog3, datum, dat_hatid, rovid, kesz, statusz, fontos) VALUES
  (3, '2024-01-01', '2030-01-01', 'Másik feladat', 'N', 0, 0), (9, '2024-01-02', '2030-01-02', 'Zsemle vásárlás', 'N', 0, 0);
INSERT INTO dolog1 (dolog1, datum, datumstr, ora, rovid, kesz, fontos) VALUES
  (10, '2024-06-01', '20240601', 9, 'Másik bejegyzés', 'N', 0), (11, '2024-06-01', '20240601', 10, 'Zsúr szervezés', 'N', 0);
INSERT INTO jegyzet (jegyzet, datum, kategoria, rovid, szoveg) VALUES (2, '2024-01-01', 'A', 'Másik', ''), (12, '2024-02-02', 'A', 'Zsinór', 'hosszú szöveg');
INSERT INTO megjegyzes (megjegyzes, datum, rovid, ugyfel, azonstr, szoveg) VALUES (13, '2024-04-04', 'Zsírszámla', 5, 'Árvíztűrő Kft', 'x');
INSERT INTO doksi (doksi, datum, rovid, termek, azonstr, fileban) VALUES (15, '2024-04-05', 'Zsetonlista', 7, 'Zsámoly', 'a.pdf');
)";

zdb::SearchHit hitFor(const QString &query)
{
    zdb::SearchIndexFile index(zdb::SearchIndexKeeper::current()->indexPath());
    const QList<zdb::SearchHit> hits = index.search(query);
    return hits.size() == 1 ? hits.first() : zdb::SearchHit{};
}

// The list window in front and the identifier of its current row.
QPair<int, qint64> currentListRow(Tfrm_Main *main, const QString &idField)
{
    QMdiSubWindow *sub = main->mdiArea()->currentSubWindow();
    auto *list = sub ? dynamic_cast<ListWindow *>(sub->widget()) : nullptr;
    if (!list || !list->listRecordSet())
        return {0, 0};
    return {list->childKind(), list->listRecordSet()->value(idField).toLongLong()};
}

} // namespace

class TstSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        RegisterModules();
        initAppTests();
    }
    void eachKindOpensItsRecord_data();
    void eachKindOpensItsRecord();
    void typingShowsResultsAndKeysMove();
    void ctrlFSearchesTheListInFocus();
    void serverResultOpensItsRecord();
};

void TstSearch::eachKindOpensItsRecord_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("listKind");        // 0: no list comes to the front
    QTest::addColumn<QString>("idField");
    QTest::addColumn<qint64>("listId");
    QTest::addColumn<QString>("dialogText");  // a text the opened dialog shows; empty: none opens

    QTest::newRow("customer") << "arviz" << int(KindCustomers) << "ugyfel" << qint64(5) << QString();
    QTest::newRow("employee") << "zsalya" << int(KindCustomers) << "ugyfel" << qint64(5) << "Zsálya Zsófia";
    QTest::newRow("product") << "zsamoly" << int(KindProducts) << "termek" << qint64(7) << QString();
    QTest::newRow("project") << "zsaner" << int(KindProjects) << "projekt" << qint64(8) << QString();
    QTest::newRow("task") << "zsemle" << int(KindTasks) << "dolog3" << qint64(9) << QString();
    QTest::newRow("calendar entry") << "zsur" << int(KindCalendar) << "dolog1" << qint64(11) << "Zsúr szervezés";
    QTest::newRow("note") << "zsinor" << int(KindNotes) << "jegyzet" << qint64(12) << "Zsinór";
    QTest::newRow("comment") << "zsirszamla" << 0 << "" << qint64(0) << "Zsírszámla";
    QTest::newRow("document") << "zsetonlista" << 0 << "" << qint64(0) << "Zsetonlista";
}

void TstSearch::eachKindOpensItsRecord()
{
    QFETCH(QString, query);
    QFETCH(int, listKind);
    QFETCH(QString, idField);
    QFETCH(qint64, listId);
    QFETCH(QString, dialogText);

    AppFixture f;
    f.makeDb(QString::fromUtf8(kRows));
    QVERIFY(f.start());
    auto *keeper = zdb::SearchIndexKeeper::current();
    QVERIFY(keeper && keeper->isRunning());
    keeper->waitForReindex();
    const zdb::SearchHit hit = hitFor(query);
    QVERIFY2(hit.kind != 0, "one result expected");

    Tfrm_Kereses *window = ShowSearchWindow(f.main.get());
    bool dialogShown = false;
    if (!dialogText.isEmpty())
        testhooks::onNextDialog([&](QDialog *d) {
            // The dialog shows the found record somewhere: a field or a grid cell.
            bool found = false;
            for (QLineEdit *e : d->findChildren<QLineEdit *>())
                found = found || e->text() == dialogText;
            for (QAbstractItemView *v : d->findChildren<QAbstractItemView *>())
                for (int r = 0; v->model() && r < v->model()->rowCount() && !found; ++r)
                    for (int c = 0; c < v->model()->columnCount(); ++c)
                        found = found || v->model()->index(r, c).data().toString() == dialogText;
            dialogShown = found;
            d->reject();
        });
    window->openHit(hit);
    QCOMPARE(testhooks::pendingDialogCallbacks(), 0);
    if (!dialogText.isEmpty())
        QVERIFY2(dialogShown, "the opened dialog does not show the record");
    if (listKind) {
        QCOMPARE(currentListRow(f.main.get(), idField), qMakePair(listKind, listId));
    }
    QVERIFY(testhooks::shownMessages().isEmpty());
    window->close();
    f.closeMain();
}

void TstSearch::typingShowsResultsAndKeysMove()
{
    AppFixture f;
    f.makeDb(QString::fromUtf8(kRows));
    QVERIFY(f.start());
    zdb::SearchIndexKeeper::current()->waitForReindex();

    // The command of the main window opens the window with the box focused.
    actionOf(f.main, QStringLiteral("aKeres"))->trigger();
    auto *window = f.main->findChild<Tfrm_Kereses *>();
    QVERIFY(window);
    QTest::keyClicks(window->searchBox(), QStringLiteral("ARVIZ 1234"));
    QTRY_VERIFY(window->resultsCurrent());
    QTreeWidget *list = window->resultList();
    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Ügyfelek (1)"));
    auto *label = qobject_cast<QLabel *>(list->itemWidget(list->topLevelItem(0)->child(0), 0));
    QVERIFY(label);
    // Two words matched in two fields: the first of them is shown.
    QVERIFY2(label->text().contains(QStringLiteral("Név:</span> <b>Árvíz</b>tűrő Kft")), qPrintable(label->text()));

    // Down goes to the first result, Esc back to the box, Enter opens.
    QTest::keyClick(window->searchBox(), Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), list);
    QTest::keyClick(list, Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), window->searchBox());
    QTest::keyClick(window->searchBox(), Qt::Key_Return);
    QCOMPARE(currentListRow(f.main.get(), QStringLiteral("ugyfel")), qMakePair(int(KindCustomers), qint64(5)));

    // A text nothing matches empties the list.
    window->searchBox()->clear();
    QTest::keyClicks(window->searchBox(), QStringLiteral("nincsilyen"));
    QTRY_VERIFY(window->resultsCurrent());
    QCOMPARE(list->topLevelItemCount(), 0);
    f.closeMain();
}

void TstSearch::ctrlFSearchesTheListInFocus()
{
    AppFixture f;
    f.makeDb(QString::fromUtf8(kRows));
    QVERIFY(f.start());
    f.main->show();
    QVERIFY(QTest::qWaitForWindowActive(f.main.get()));

    // In a list with a quick search box, Ctrl+F goes to that box.
    auto *customers = qobject_cast<ListChild *>(f.main->openListWindow(KindCustomers));
    QVERIFY(customers && customers->header());
    customers->listGrid()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), customers->header()->searchBox());
    QVERIFY(!f.main->findChild<Tfrm_Kereses *>());
    // The tool bar's or the menu's command opens the search over everything,
    // wherever the focus is.
    customers->listGrid()->setFocus();
    actionOf(f.main, QStringLiteral("aKeres"))->trigger();
    QVERIFY(f.main->findChild<Tfrm_Kereses *>());
    f.main->findChild<Tfrm_Kereses *>()->close();
    QTRY_VERIFY(!f.main->findChild<Tfrm_Kereses *>());
    f.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.main.get()));

    // The notes list has a search of its own on Ctrl+F: that one runs.
    QWidget *notes = f.main->openListWindow(KindNotes);
    QVERIFY(notes);
    static_cast<ListChild *>(notes)->listGrid()->setFocus();
    bool ownSearch = false;
    testhooks::onNextDialog([&](QDialog *d) {
        ownSearch = true;
        d->reject();
    });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(ownSearch);
    QVERIFY(!f.main->findChild<Tfrm_Kereses *>());

    // With no list in focus it searches everything.
    f.main->mdiArea()->closeAllSubWindows();
    QTRY_VERIFY(f.main->mdiArea()->subWindowList().isEmpty());
    f.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.main.get()));
    f.main->setFocus();
    QTest::keyClick(f.main.get(), Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(f.main->findChild<Tfrm_Kereses *>());
    f.closeMain();
}

void TstSearch::serverResultOpensItsRecord()
{
    if (pgtest::baseAddress().isEmpty())
        QSKIP("no test server (ZENTAVO_TEST_PG)");
    const QString address = pgtest::freshDatabase(QStringLiteral("kereses_ablak"));
    {
        zdb::Connection db;
        db.setPath(address);
        db.open();
        db.executeDirect(zdb::serverSchema(testenv::schemaSql()));
        db.executeDirect(QString::fromUtf8(kRows));
    }
    AppFixture f;
    {
        QSettings ini = f.ini();
        ini.setValue(QStringLiteral("Database/Path"), address);
    }
    QVERIFY(f.start());
    auto *keeper = zdb::SearchIndexKeeper::current();
    QVERIFY(keeper && keeper->isRunning());

    // Typed, found on the server in the window's own thread, opened by Enter.
    actionOf(f.main, QStringLiteral("aKeres"))->trigger();
    auto *window = f.main->findChild<Tfrm_Kereses *>();
    QVERIFY(window);
    // The server's table is never behind: no note, no progress.
    QVERIFY(window->findChild<QLabel *>(QStringLiteral("LabelIndex"))->isHidden());
    QTest::keyClicks(window->searchBox(), QStringLiteral("ZSEMLE vas"));
    QTRY_VERIFY(window->resultsCurrent());
    QTreeWidget *list = window->resultList();
    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Feladatok (1)"));
    QTest::keyClick(window->searchBox(), Qt::Key_Return);
    QCOMPARE(currentListRow(f.main.get(), QStringLiteral("dolog3")), qMakePair(int(KindTasks), qint64(9)));
    QVERIFY(testhooks::shownMessages().isEmpty());
    f.closeMain();
}

QTEST_MAIN(TstSearch)
#include "tst_search.moc"

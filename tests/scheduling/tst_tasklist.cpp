// The task list window, driven through the real main window.

#include "tests/app/appfixture.h"

#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"
#include "scheduling/entries.h"
#include "app/helpers/listheader.h"
#include "scheduling/records.h"
#include "scheduling/schedulingevents.h"
#include "scheduling/tasklist.h"
#include "scheduling/worklog.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

namespace {

// Five tasks: three open (deadlines out of order), one done, one rejected.
const char *const kTasks = R"(
INSERT INTO dolog3 (dolog3, datum, dat_hatid, rovid, ugyfel, ugyfel_nev, fontos, kesz, dat_kesz, statusz,
                    rovids, ugyfel_nevs) VALUES
 (1, '2026-01-05', '2026-03-01', 'Ajánlat', 1, 'Kovács Bt.', 2, 'N', NULL, 0, 'AJANLAT', 'KOVACS BT.'),
 (2, '2026-01-06', '2026-02-01', 'Számla', 2, 'Ásvány Kft.', NULL, 'N', NULL, 1, 'SZAMLA', 'ASVANY KFT.'),
 (3, '2026-01-07', '2026-04-01', 'Telefon', 3, 'Bodnár Zrt.', 3, 'N', NULL, NULL, 'TELEFON', 'BODNAR ZRT.'),
 (4, '2026-01-08', '2026-01-15', 'Régi munka', 4, 'Cserép Kft.', 1, 'I', '2026-01-20', 2, 'REGI MUNKA', 'CSEREP KFT.'),
 (5, '2026-01-09', '2026-01-16', 'Elutasított', 5, 'Antal Bt.', 0, 'I', NULL, 3, 'ELUTASITOTT', 'ANTAL BT.');
)";

// The task ids in the grid's row order.
QList<int> listedIds(zdb::RecordSet *rs)
{
    QList<int> ids;
    for (int r = 0; r < rs->recordCount(); ++r)
        ids << rs->valueAt(r, QStringLiteral("dolog3")).toInt();
    return ids;
}

QStringList texts(const QList<QAction *> &actions)
{
    QStringList out;
    for (QAction *a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

// One column of a task row, read straight from the file.
QVariant stored(const QString &dbPath, int id, const char *column)
{
    return testenv::storedValue(dbPath, QStringLiteral("SELECT %1 FROM %2 WHERE %2=%3").arg(QLatin1String(column)).arg(QLatin1String("dolog3")).arg(id));
}

int storedCount(const QString &dbPath)
{
    return testenv::storedValue(dbPath, QStringLiteral("SELECT COUNT(*) FROM dolog3")).toInt();
}

} // namespace

class TestTaskList : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

    Tfrm_Feladat *open() { return openListWindow<Tfrm_Feladat>(f->main.get(), "aFeladat"); }
    static void closeAndFlush(Tfrm_Feladat *w)
    {
        actionOf(w, QStringLiteral("aBezar"))->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    zdb::Table *tbl() const { return Shared().TblFeladat; }

private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        RegisterSchedulingWindows();
    }
    void init()
    {
        f = std::make_unique<AppFixture>();
        f->makeDb(QString::fromUtf8(kTasks));
        QVERIFY(f->start());
        f->main->resize(1000, 700);
        f->main->show();
        // Window shortcuts need an active window.
        f->main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f->main.get()));
    }
    void cleanup() { f.reset(); }

    void opensOnOpenTasksByDeadline()
    {
        QVERIFY(actionOf(f->main, QStringLiteral("aFeladat"))->isEnabled());
        Tfrm_Feladat *w = open();
        QVERIFY(w);
        QCOMPARE(w->objectName(), QStringLiteral("frm_Feladat"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Feladatok"));
        QCOMPARE(w->childKind(), 1);
        QVERIFY(Beall().TaskWindowOpen);
        QCOMPARE(w->listRecordSet(), static_cast<zdb::RecordSet *>(tbl()));
        QCOMPARE(w->listGrid(), w->grid());
        QVERIFY(w->listSubtitle().isEmpty());

        QCOMPARE(listedIds(tbl()), (QList<int>{2, 1, 3}));
        QCOMPARE(tbl()->order(), QStringLiteral("dat_hatid"));
        QCOMPARE(w->header()->title(), QStringLiteral("Feladatok"));
        QCOMPARE(w->header()->sortText(), QStringLiteral("sorrend\nhatáridő szerint"));
        QCOMPARE(w->grid()->recordSetModel()->shadedColumn(), w->grid()->columnOfField(QStringLiteral("dat_hatid")));
        QVERIFY(actionOf(w, QStringLiteral("aSzur"))->isChecked());
        // The keyboard starts in the rows.
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->grid()));

        // A second command brings the same window forward.
        QCOMPARE(open(), w);
        QCOMPARE(f->main->mdiArea()->subWindowList().size(), 1);

        closeAndFlush(w);
        QVERIFY(!Beall().TaskWindowOpen);
        QVERIFY(!tbl()->isOpen());
        QVERIFY(f->main->mdiArea()->subWindowList().isEmpty());
    }

    // Esc never closes a list window; in the quick search box it empties the box.
    void escClearsTheSearchAndDestroyingClearsTheFlag()
    {
        Tfrm_Feladat *w = open();
        QLineEdit *search = w->header()->searchBox();
        search->setFocus();
        QTest::keyClicks(search, QStringLiteral("Hol"));
        QCOMPARE(search->text(), QStringLiteral("Hol"));
        QTest::keyClick(search, Qt::Key_Escape);
        QCOMPARE(search->text(), QString());
        w->grid()->setFocus();
        QTest::keyClick(w->grid(), Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(f->main->mdiArea()->subWindowList().size(), 1);
        QVERIFY(Beall().TaskWindowOpen);
        closeAndFlush(w);
        QVERIFY(!Beall().TaskWindowOpen);

        // Torn down with its frame, without a close: the flag and the record set still go.
        open();
        QVERIFY(tbl()->isOpen());
        delete f->main->mdiArea()->subWindowList().value(0);
        QVERIFY(!Beall().TaskWindowOpen);
        QVERIFY(!tbl()->isOpen());
        QVERIFY(open());
    }

    void commandsAsTabled_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QKeySequence>("key");
        auto row = [](const char *n, const char *c, const char *h, QKeySequence k) {
            QTest::newRow(n) << QString::fromUtf8(n) << QString::fromUtf8(c) << QString::fromUtf8(h) << k;
        };
        row("aUj", "Új feladat", "Új feladat", QKeySequence(Qt::Key_Insert));
        row("aSzerkeszt", "Szerkeszt", "Szerkeszt", QKeySequence(Qt::Key_F2));
        row("aTorol", "Töröl", "Töröl", QKeySequence(Qt::CTRL | Qt::Key_Delete));
        row("aKesz", "Kész!", "Kész!", QKeySequence(Qt::Key_F7));
        row("aSzur", "Szűrés", "Szűrés", QKeySequence(Qt::Key_F8));
        row("aStatusz", "Státusz", "", QKeySequence());
        row("aStatusz0", "Beérkezett", "Státusz: Beérkezett", QKeySequence());
        row("aStatusz1", "Folyamatban", "Státusz: Folyamatban", QKeySequence());
        row("aStatusz2", "Kész", "Státusz: Kész", QKeySequence());
        row("aStatusz3", "Visszautasítva", "Státusz: Visszautasítva", QKeySequence());
        row("aMunka", "Részfeladat", "Részfeladatok, végzett munkák", QKeySequence());
        row("aBezar", "Bezár", "Bezár", QKeySequence());
    }
    void commandsAsTabled()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, hint);
        QFETCH(QKeySequence, key);
        Tfrm_Feladat *w = open();
        QAction *a = actionOf(w, name);
        QVERIFY2(a, qPrintable(name));
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->statusTip(), hint);
        QCOMPARE(a->shortcut(), key);
    }

    void toolBarPopupAndStatusMenu()
    {
        Tfrm_Feladat *w = open();
        QCOMPARE(texts(w->toolBar()->actions()),
                 QStringList({"Szűrés", "-", "Új feladat", "Szerkeszt", "Töröl", "-", "Részfeladat", "-", "Státusz", "-",
                              "Kész!", "-", "Naptár export (.ics)...", "-", "Bezár"}));
        QCOMPARE(texts(actionOf(w, QStringLiteral("aStatusz"))->menu()->actions()),
                 QStringList({"Beérkezett", "Folyamatban", "Kész", "Visszautasítva"}));
        std::unique_ptr<QMenu> popup(w->grid()->createPopupMenu());
        QCOMPARE(texts(popup->actions()), QStringList({"Szűrés", "-", "Új feladat", "Szerkeszt", "Töröl", "-", "Részfeladat",
                                                       "-", "Kész!", "-", "Naptár export (.ics)...", "-", "Bezár"}));
        QCOMPARE(w->toolBar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    }

    void columnsAndPictures()
    {
        Tfrm_Feladat *w = open();
        const QList<GridColumn> cols = w->grid()->recordSetModel()->columns();
        QStringList fields, titles;
        for (const GridColumn &c : cols) {
            fields << c.field;
            titles << c.title;
        }
        QCOMPARE(fields, QStringList({"fontos", "statusz", "kesz", "datum", "dat_hatid", "rovid", "ugyfel_nev",
                                      "termek_nev", "projekt_nev"}));
        QCOMPARE(titles, QStringList({"!", "!", "?", "dátum", "határidő", "feladat", "ügyfél", "termék", "projekt"}));
        QCOMPARE(cols.at(5).orderField(), QStringLiteral("rovids"));
        QCOMPARE(cols.at(3).orderField(), QStringLiteral("datum"));

        // Empty numbers show the pictures of 0; the done flag follows "N" only.
        auto same = [](const QPixmap &a, const QPixmap &b) { return a.toImage() == b.toImage(); };
        QVERIFY(same(cols.at(0).picture(QVariant()), PriorityPicture(0)));
        QVERIFY(same(cols.at(0).picture(3), PriorityPicture(3)));
        QVERIFY(!same(cols.at(0).picture(3), PriorityPicture(0)));
        QVERIFY(same(cols.at(1).picture(QVariant()), StatusPicture(0)));
        QVERIFY(same(cols.at(1).picture(2), StatusPicture(2)));
        QVERIFY(same(cols.at(2).picture(QStringLiteral("N")), DonePicture(QStringLiteral("N"))));
        QVERIFY(same(cols.at(2).picture(QVariant()), DonePicture(QStringLiteral("I"))));
        QVERIFY(!same(cols.at(2).picture(QStringLiteral("N")), cols.at(2).picture(QStringLiteral("I"))));
    }

    void widthShares()
    {
        Tfrm_Feladat *w = open();
        DataGrid *g = w->grid();
        auto width = [g](const char *field) { return g->columnWidth(g->columnOfField(QString::fromLatin1(field))); };
        for (int frame : {1400, 500}) {
            f->main->mdiArea()->activeSubWindow()->resize(frame, 400);
            QCoreApplication::processEvents();
            const int available = g->viewport()->width() - 97;
            // The dates keep at least their text's width.
            const int dateText = g->fontMetrics().horizontalAdvance(g->model()->index(0, 4).data().toString());
            if (frame > 1000)
                QCOMPARE(width("datum"), available * 10 / 100);
            else
                QVERIFY(width("datum") >= qMax(64, dateText));
            QCOMPARE(width("dat_hatid"), width("datum"));
            QCOMPARE(width("rovid"), qMax(available * 33 / 100, 140));
            QCOMPARE(width("ugyfel_nev"), qMax(available * 16 / 100, 80));
            QCOMPARE(width("projekt_nev"), qMax(available * 15 / 100, 80));
        }
        // The narrow window hits the minimums.
        QCOMPARE(width("rovid"), 140);
        QCOMPARE(width("ugyfel_nev"), 80);
    }

    void titleClickSortsShadesAndSearches()
    {
        Tfrm_Feladat *w = open();
        DataGrid *g = w->grid();
        QLineEdit *search = w->header()->searchBox();
        const int customer = g->columnOfField(QStringLiteral("ugyfel_nev"));
        Q_EMIT g->titleClicked(customer);

        // Sorted by the sort key: Ásvány sorts among the A names.
        QCOMPARE(tbl()->order(), QStringLiteral("ugyfel_nevs"));
        QCOMPARE(listedIds(tbl()), (QList<int>{2, 3, 1}));
        QCOMPARE(w->header()->sortText(), QStringLiteral("sorrend\nügyfél szerint"));
        QCOMPARE(g->recordSetModel()->shadedColumn(), customer);
        QTRY_VERIFY(search->hasFocus());

        // The search matches the name itself, ignoring case.
        search->setText(QStringLiteral("ko"));
        QCOMPARE(tbl()->value(QStringLiteral("dolog3")).toInt(), 1);
        search->setText(QStringLiteral("ÁS"));
        QCOMPARE(tbl()->value(QStringLiteral("dolog3")).toInt(), 2);

        // Letters while a date column sorts: nothing moves, nothing is shown.
        Q_EMIT g->titleClicked(g->columnOfField(QStringLiteral("datum")));
        QCOMPARE(w->header()->sortText(), QStringLiteral("sorrend\ndátum szerint"));
        tbl()->last();
        testhooks::clearMessages();
        search->setText(QStringLiteral("abc"));
        QCOMPARE(tbl()->currentRow(), 2);
        QVERIFY(testhooks::shownMessages().isEmpty());

        // The picture columns sort by their raw field and quote their titles.
        Q_EMIT g->titleClicked(g->columnOfField(QStringLiteral("statusz")));
        QCOMPARE(tbl()->order(), QStringLiteral("statusz"));
        QCOMPARE(w->header()->sortText(), QStringLiteral("sorrend\n! szerint"));
    }

    void doneToggleWithFilterOnAndOff()
    {
        Tfrm_Feladat *w = open();
        // The change is announced by the data layer, for every view of the tasks.
        QStringList changed;
        QMetaObject::Connection watch = connect(&zdb::TableChanges::instance(), &zdb::TableChanges::changed, this,
                                                [&changed](const QString &table) { changed << table; });
        // Task 1 (open) is done with status 2 and today's date, and leaves the filtered list.
        QVERIFY(tbl()->locate(QStringLiteral("dolog3"), 1));
        actionOf(w, QStringLiteral("aKesz"))->trigger();
        QCOMPARE(stored(f->dbPath(), 1, "kesz").toString(), QStringLiteral("I"));
        QCOMPARE(stored(f->dbPath(), 1, "statusz").toInt(), 2);
        QCOMPARE(stored(f->dbPath(), 1, "dat_kesz").toString(), QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(listedIds(tbl()), (QList<int>{2, 3}));
        QCOMPARE(tbl()->value(QStringLiteral("dolog3")).toInt(), 3);   // the row after it
        disconnect(watch);
        QVERIFY(!changed.isEmpty());
        QCOMPARE(changed.first(), QStringLiteral("dolog3"));

        // Filter off: every task; "Kész!" on the done one opens it again as in progress.
        actionOf(w, QStringLiteral("aSzur"))->trigger();
        QVERIFY(!actionOf(w, QStringLiteral("aSzur"))->isChecked());
        QCOMPARE(listedIds(tbl()).size(), 5);
        QCOMPARE(tbl()->order(), QStringLiteral("dat_hatid"));
        QVERIFY(tbl()->locate(QStringLiteral("dolog3"), 1));
        actionOf(w, QStringLiteral("aKesz"))->trigger();
        QCOMPARE(stored(f->dbPath(), 1, "kesz").toString(), QStringLiteral("N"));
        QCOMPARE(stored(f->dbPath(), 1, "statusz").toInt(), 1);
        QVERIFY(!stored(f->dbPath(), 1, "dat_kesz").isValid());
        QCOMPARE(tbl()->value(QStringLiteral("dolog3")).toInt(), 1);   // found again and current

        // The rejected task (status 3) toggles to open too.
        QVERIFY(tbl()->locate(QStringLiteral("dolog3"), 5));
        actionOf(w, QStringLiteral("aKesz"))->trigger();
        QCOMPARE(stored(f->dbPath(), 5, "statusz").toInt(), 1);
        QCOMPARE(stored(f->dbPath(), 5, "kesz").toString(), QStringLiteral("N"));
    }

    // A second F7 must never close a task the user did not choose: the row
    // after the one that left becomes current, the one before at the end.
    void doneTaskLeavesItsPlaceToTheNextRow()
    {
        Tfrm_Feladat *w = open();
        QCOMPARE(listedIds(tbl()), (QList<int>{2, 1, 3}));
        QVERIFY(tbl()->locate(QStringLiteral("dolog3"), 2));
        actionOf(w, QStringLiteral("aKesz"))->trigger();
        QCOMPARE(listedIds(tbl()), (QList<int>{1, 3}));
        QCOMPARE(tbl()->value(QStringLiteral("dolog3")).toInt(), 1);
        QCOMPARE(w->grid()->currentIndex().row(), tbl()->currentRow());

        QVERIFY(tbl()->locate(QStringLiteral("dolog3"), 3));
        actionOf(w, QStringLiteral("aKesz"))->trigger();
        QCOMPARE(listedIds(tbl()), (QList<int>{1}));
        QCOMPARE(tbl()->value(QStringLiteral("dolog3")).toInt(), 1);   // the last left: the one before

        actionOf(w, QStringLiteral("aKesz"))->trigger();
        QVERIFY(tbl()->isEmpty());
        QCOMPARE(stored(f->dbPath(), 1, "kesz").toString(), QStringLiteral("I"));
        QCOMPARE(stored(f->dbPath(), 3, "kesz").toString(), QStringLiteral("I"));
    }

    void statusCommandsCoupleTheDoneFlag_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("kesz");
        QTest::newRow("Beérkezett") << 0 << "N";
        QTest::newRow("Folyamatban") << 1 << "N";
        QTest::newRow("Kész") << 2 << "I";
        QTest::newRow("Visszautasítva") << 3 << "I";
    }
    void statusCommandsCoupleTheDoneFlag()
    {
        QFETCH(int, status);
        QFETCH(QString, kesz);
        Tfrm_Feladat *w = open();
        // Task 4 is done with a completion date, which no status command touches.
        actionOf(w, QStringLiteral("aSzur"))->trigger();
        QVERIFY(tbl()->locate(QStringLiteral("dolog3"), 4));
        const int row = tbl()->currentRow();
        actionOf(w, QStringLiteral("aStatusz%1").arg(status))->trigger();
        QCOMPARE(stored(f->dbPath(), 4, "statusz").toInt(), status);
        QCOMPARE(stored(f->dbPath(), 4, "kesz").toString(), kesz);
        QCOMPARE(stored(f->dbPath(), 4, "dat_kesz").toString(), QStringLiteral("2026-01-20"));
        QCOMPARE(tbl()->currentRow(), row);
    }

    void rejectedTaskStaysUntilReload()
    {
        Tfrm_Feladat *w = open();
        QVERIFY(tbl()->locate(QStringLiteral("dolog3"), 3));
        actionOf(w, QStringLiteral("aStatusz3"))->trigger();
        QCOMPARE(stored(f->dbPath(), 3, "kesz").toString(), QStringLiteral("I"));
        QVERIFY(!stored(f->dbPath(), 3, "dat_kesz").isValid());
        QCOMPARE(listedIds(tbl()), (QList<int>{2, 1, 3}));
    }

    void filterBelongsToTheRecordSet()
    {
        Tfrm_Feladat *w = open();
        actionOf(w, QStringLiteral("aSzur"))->trigger();
        closeAndFlush(w);
        QVERIFY(!tbl()->isOpen());

        // Reopened: every task, and the check mark says so.
        w = open();
        QCOMPARE(listedIds(tbl()).size(), 5);
        QVERIFY(!actionOf(w, QStringLiteral("aSzur"))->isChecked());
        // One press filters again.
        w->grid()->setFocus();
        QTest::keyClick(w->grid(), Qt::Key_F8);
        QVERIFY(actionOf(w, QStringLiteral("aSzur"))->isChecked());
        QCOMPARE(listedIds(tbl()), (QList<int>{2, 1, 3}));
        QCOMPARE(tbl()->filter(), QStringLiteral("kesz='N'"));
    }

    void sharedRecordSetStaysWithTheQuickList()
    {
        // The quick list left the record set open, ordered by deadline, on task 3.
        Beall().QuickListOpen = true;
        tbl()->setOrder(QStringLiteral("dat_hatid"));
        tbl()->open();
        QVERIFY(tbl()->locate(QStringLiteral("dolog3"), 3));

        Tfrm_Feladat *w = open();
        QCOMPARE(tbl()->value(QStringLiteral("dolog3")).toInt(), 3);   // taken over, not reloaded
        QCOMPARE(w->header()->sortText(), QStringLiteral("sorrend\nhatáridő szerint"));
        QCOMPARE(w->sorter()->sortField(), QStringLiteral("dat_hatid"));

        closeAndFlush(w);
        QVERIFY(!Beall().TaskWindowOpen);
        QVERIFY(tbl()->isOpen());
        Beall().QuickListOpen = false;
    }

    void deleteAsksFirst()
    {
        Tfrm_Feladat *w = open();
        QVERIFY(tbl()->locate(QStringLiteral("dolog3"), 3));
        testhooks::setNextAnswer(false);
        actionOf(w, QStringLiteral("aTorol"))->trigger();
        const testhooks::ShownMessage asked = testhooks::lastMessage();
        QCOMPARE(asked.caption, QStringLiteral("Megerősítés"));
        QCOMPARE(asked.text, QStringLiteral("Valóban töröljem a feladatot?"));
        QCOMPARE(storedCount(f->dbPath()), 5);

        testhooks::setNextAnswer(true);
        actionOf(w, QStringLiteral("aTorol"))->trigger();
        QCOMPARE(storedCount(f->dbPath()), 4);
        QVERIFY(!stored(f->dbPath(), 3, "dolog3").isValid());
        QCOMPARE(listedIds(tbl()), (QList<int>{2, 1}));
    }

    void editOpensTheEditorOnTheCurrentTask()
    {
        Tfrm_Feladat *w = open();
        QVERIFY(tbl()->locate(QStringLiteral("dolog3"), 3));
        int seenId = -1;
        bool seenEditing = false;
        testhooks::onNextDialog([&](QDialog *d) {
            seenId = tbl()->value(QStringLiteral("dolog3")).toInt();
            seenEditing = tbl()->mode() == zdb::RecordSet::Mode::Editing;
            d->reject();
        });
        Q_EMIT w->grid()->activated();   // a double-click
        QCOMPARE(seenId, 3);
        QVERIFY(seenEditing);
        QVERIFY(!tbl()->isEditing());
        QCOMPARE(storedCount(f->dbPath()), 5);
    }

    void emptyListCommandsDoNothing()
    {
        Tfrm_Feladat *w = open();
        actionOf(w, QStringLiteral("aSzur"))->trigger();
        testhooks::setNextAnswer(true);
        // Task by task through the list until it is empty.
        while (!tbl()->isEmpty()) {
            testhooks::setNextAnswer(true);
            w->deleteTask();
        }
        testhooks::reset();
        testhooks::setAutomatic(true);
        QVERIFY(!actionOf(w, QStringLiteral("aSzerkeszt"))->isEnabled());
        QVERIFY(!actionOf(w, QStringLiteral("aKesz"))->isEnabled());
        for (const char *name : {"aSzerkeszt", "aKesz", "aStatusz0", "aStatusz2", "aTorol", "aMunka"})
            actionOf(w, QString::fromLatin1(name))->trigger();
        w->editTask();
        w->toggleDone();
        w->setStatus(2);
        w->deleteTask();
        w->openWorkLog();
        QVERIFY(testhooks::shownMessages().isEmpty());
        QCOMPARE(storedCount(f->dbPath()), 0);
        QVERIFY(!tbl()->isEditing());
        QVERIFY(tbl()->isOpen());
    }

    void workLogOpensOnTheCurrentTask()
    {
        Tfrm_Feladat *w = open();
        QAction *aMunka = actionOf(w, QStringLiteral("aMunka"));
        QVERIFY(aMunka->isEnabled());
        QVERIFY(tbl()->locate(QStringLiteral("dolog3"), 3));
        int shownTask = 0;
        QString caption;
        testhooks::onNextDialog([&](QDialog *d) {
            caption = d->windowTitle();
            if (auto *log = qobject_cast<Tfrm_Munka *>(d))
                shownTask = log->taskId();
            d->reject();
        });
        aMunka->trigger();
        QCOMPARE(caption, QStringLiteral("Végzett munkák"));
        QCOMPARE(shownTask, 3);

        // A task stored without an identifier gets one before its entries
        // are written, so they never hang on 0.
        testenv::execSql(f->dbPath(), QStringLiteral("INSERT INTO dolog3 (dolog3, rovid, kesz, rovids) VALUES (NULL, 'Azonosító nélkül', 'N', 'AZONOSITO NELKUL');"));
        tbl()->refresh();
        QVERIFY(tbl()->locate(QStringLiteral("rovid"), QStringLiteral("Azonosító nélkül")));
        shownTask = 0;
        testhooks::onNextDialog([&](QDialog *d) {
            if (auto *log = qobject_cast<Tfrm_Munka *>(d))
                shownTask = log->taskId();
            d->reject();
        });
        aMunka->trigger();
        QCOMPARE(shownTask, 6);
        QCOMPARE(testenv::storedValue(f->dbPath(), QStringLiteral("select dolog3 from dolog3 where rovid='Azonosító nélkül'")).toInt(), 6);
    }
};

QTEST_MAIN(TestTaskList)
#include "tst_tasklist.moc"

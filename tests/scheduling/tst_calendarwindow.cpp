// The calendar window, driven through the real main window.

#include "tests/app/appfixture.h"

#include "scheduling/calendarwindow.h"
#include "app/helpers/datagrid.h"
#include "scheduling/entries.h"
#include "app/helpers/listheader.h"
#include "scheduling/quicklist.h"
#include "scheduling/schedulingevents.h"

#include "db/recordset.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

namespace {

QString dayKey(const QDate &d)
{
    return d.toString(QStringLiteral("yyyyMMdd"));
}

QString isoDay(const QDate &d)
{
    return d.toString(Qt::ISODate);
}

// Entries today (hours out of order), yesterday, and around a year end.
QString entriesSql()
{
    const QDate today = QDate::currentDate();
    QString sql = QStringLiteral("INSERT INTO dolog1 (dolog1, datum, datumstr, ora, rovid, rovids, ugyfel_nev, ugyfel_nevs, fontos, kesz) VALUES ");
    auto row = [](int id, const QDate &d, int hour, const QString &text, const QString &key, const QString &kesz) {
        return QStringLiteral("(%1, '%2', '%3', %4, '%5', '%6', NULL, NULL, 1, '%7')")
            .arg(id)
            .arg(isoDay(d), dayKey(d))
            .arg(hour)
            .arg(text, key, kesz);
    };
    const QStringList rows{
        row(1, today, 14, QStringLiteral("Tárgyalás"), QStringLiteral("TARGYALAS"), QStringLiteral("N")),
        row(2, today, 9, QStringLiteral("Bevásárlás"), QStringLiteral("BEVASARLAS"), QStringLiteral("N")),
        row(3, today, 11, QStringLiteral("Átadás"), QStringLiteral("ATADAS"), QStringLiteral("I")),
        row(4, today.addDays(-1), 10, QStringLiteral("Tegnapi"), QStringLiteral("TEGNAPI"), QStringLiteral("N")),
        row(5, QDate(2026, 12, 31), 10, QStringLiteral("Szilveszter"), QStringLiteral("SZILVESZTER"), QStringLiteral("N")),
        row(6, QDate(2027, 1, 1), 12, QStringLiteral("Újév"), QStringLiteral("UJEV"), QStringLiteral("N")),
    };
    return sql + rows.join(QStringLiteral(",\n")) + QStringLiteral(";");
}

QList<int> listedIds(zdb::RecordSet *rs)
{
    QList<int> ids;
    for (int r = 0; r < rs->recordCount(); ++r)
        ids << rs->valueAt(r, QStringLiteral("dolog1")).toInt();
    return ids;
}

QStringList texts(const QList<QAction *> &actions)
{
    QStringList out;
    for (QAction *a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

QVariant stored(const QString &dbPath, int id, const char *column)
{
    return testenv::storedValue(dbPath, QStringLiteral("SELECT %1 FROM %2 WHERE %2=%3").arg(QLatin1String(column)).arg(QLatin1String("dolog1")).arg(id));
}

} // namespace

class TestCalendarWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

    Tfrm_Naptar *open() { return openListWindow<Tfrm_Naptar>(f->main.get(), "aNaptar"); }
    static void closeAndFlush(Tfrm_Naptar *w)
    {
        actionOf(w, QStringLiteral("aBezar"))->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    zdb::Table *tbl() const { return Shared().TblNaptar; }

private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        RegisterSchedulingWindows();
    }
    void init()
    {
        f = std::make_unique<AppFixture>();
        f->makeDb(entriesSql());
        QVERIFY(f->start());
        f->main->resize(1000, 700);
        f->main->show();
        // Window shortcuts need an active window.
        f->main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f->main.get()));
    }
    void cleanup() { f.reset(); }

    void headerText_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("text");
        QTest::newRow("year end") << QDate(2026, 12, 31) << "2026.december.31";
        QTest::newRow("one-digit day") << QDate(2008, 1, 1) << "2008.január.01";
        QTest::newRow("accented month") << QDate(2024, 3, 5) << "2024.március.05";
        QTest::newRow("leap day") << QDate(2008, 2, 29) << "2008.február.29";
        QTest::newRow("accents again") << QDate(2025, 10, 15) << "2025.október.15";
    }
    void headerText()
    {
        QFETCH(QDate, day);
        QFETCH(QString, text);
        QCOMPARE(CalendarHeaderText(day), text);
    }

    void opensOnTodayByHour()
    {
        QVERIFY(actionOf(f->main, QStringLiteral("aNaptar"))->isEnabled());
        Tfrm_Naptar *w = open();
        QVERIFY(w);
        const QDate today = QDate::currentDate();
        QCOMPARE(w->objectName(), QStringLiteral("frm_Naptar"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Naptár"));
        QCOMPARE(w->childKind(), 5);
        QVERIFY(Beall().CalendarWindowOpen);
        QCOMPARE(Beall().CalendarDay, today);
        QCOMPARE(w->header()->title(), CalendarHeaderText(today));
        QCOMPARE(w->listSubtitle(), CalendarHeaderText(today));
        QCOMPARE(zdb::ShowBound({tbl()->filter(), tbl()->filterParams(), {}}), QStringLiteral("datumstr='%1'").arg(dayKey(today)));
        QVERIFY(tbl()->filtered());
        QCOMPARE(tbl()->order(), QStringLiteral("ora"));
        QCOMPARE(listedIds(tbl()), (QList<int>{2, 3, 1}));
        QCOMPARE(w->header()->sortText(), QStringLiteral("sorrend\nóra szerint"));
        QCOMPARE(w->grid()->recordSetModel()->shadedColumn(), w->grid()->columnOfField(QStringLiteral("ora")));

        QStringList fields;
        for (const GridColumn &c : w->grid()->recordSetModel()->columns())
            fields << c.field;
        QCOMPARE(fields, QStringList({"fontos", "kesz", "ora", "rovid", "ugyfel_nev", "termek_nev", "projekt_nev"}));
        const GridColumn *hour = w->grid()->column(2);
        QCOMPARE(hour->title, QStringLiteral("óra"));
        QCOMPARE(hour->alignment, Qt::Alignment(Qt::AlignCenter));

        closeAndFlush(w);
        QVERIFY(!Beall().CalendarWindowOpen);
        QVERIFY(!tbl()->isOpen());
    }

    void commandsAndMenus()
    {
        Tfrm_Naptar *w = open();
        const struct
        {
            const char *name, *caption, *hint;
            QKeySequence key;
        } table[] = {
            {"aUj", "Új dolog", "Új Naptar", QKeySequence(Qt::Key_Insert)},
            {"aSzerkeszt", "Szerkeszt", "Szerkeszt", QKeySequence(Qt::Key_F2)},
            {"aTorol", "Töröl", "Töröl", QKeySequence(Qt::CTRL | Qt::Key_Delete)},
            {"aKesz", "Kész!", "Kész!", QKeySequence(Qt::Key_F7)},
            {"aTegnap", "Tegnap", "Tegnap", QKeySequence(Qt::CTRL | Qt::Key_Left)},
            {"aHolnap", "Holnap", "Holnap", QKeySequence(Qt::CTRL | Qt::Key_Right)},
            {"aDatumra", "Dátumra", "Dátumra", QKeySequence(Qt::CTRL | Qt::Key_D)},
            {"aBezar", "Bezár", "Bezár", QKeySequence()},
        };
        for (const auto &row : table) {
            QAction *a = actionOf(w, QString::fromLatin1(row.name));
            QVERIFY2(a, row.name);
            QCOMPARE(a->text(), QString::fromUtf8(row.caption));
            QCOMPARE(a->statusTip(), QString::fromUtf8(row.hint));
            QCOMPARE(a->shortcut(), row.key);
        }
        const QStringList order{"Új dolog", "Szerkeszt", "Töröl", "-", "Tegnap", "Dátumra", "Holnap", "-", "Kész!", "-",
                                "Naptár export (.ics)...", "-", "Bezár"};
        QCOMPARE(texts(w->toolBar()->actions()), order);
        std::unique_ptr<QMenu> popup(w->grid()->createPopupMenu());
        QCOMPARE(texts(popup->actions()), order);
    }

    void dayStepsAcrossTheYearEnd()
    {
        Beall().CalendarDay = QDate(2026, 12, 31);
        Tfrm_Naptar *w = open();
        QCOMPARE(listedIds(tbl()), QList<int>{5});
        QSignalSpy announced(SchedulingEvents::instance(), &SchedulingEvents::calendarDayChanged);

        actionOf(w, QStringLiteral("aHolnap"))->trigger();
        QCOMPARE(Beall().CalendarDay, QDate(2027, 1, 1));
        QCOMPARE(zdb::ShowBound({tbl()->filter(), tbl()->filterParams(), {}}), QStringLiteral("datumstr='20270101'"));
        QCOMPARE(w->header()->title(), QStringLiteral("2027.január.01"));
        QCOMPARE(listedIds(tbl()), QList<int>{6});
        QCOMPARE(tbl()->order(), QStringLiteral("ora"));
        QCOMPARE(announced.size(), 1);
        QCOMPARE(announced.at(0).at(0).toDate(), QDate(2027, 1, 1));

        // The shortcut works while the focus is in the window.
        w->grid()->setFocus();
        QTest::keyClick(w->grid(), Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(Beall().CalendarDay, QDate(2026, 12, 31));
        QCOMPARE(w->header()->title(), QStringLiteral("2026.december.31"));
        QCOMPARE(listedIds(tbl()), QList<int>{5});

        // The day outlives the window: the next one opens on it.
        closeAndFlush(w);
        w = open();
        QCOMPARE(w->header()->title(), QStringLiteral("2026.december.31"));
        QCOMPARE(listedIds(tbl()), QList<int>{5});
    }

    void dayChosenByPrompt()
    {
        Tfrm_Naptar *w = open();
        // Cancelled: the day stays.
        testhooks::onNextDialog([](QDialog *d) { d->reject(); });
        actionOf(w, QStringLiteral("aDatumra"))->trigger();
        QCOMPARE(Beall().CalendarDay, QDate::currentDate());

        QDate offered;
        testhooks::onNextDialog([&](QDialog *d) {
            auto *calendar = d->findChild<QCalendarWidget *>();
            QVERIFY(calendar);
            offered = calendar->selectedDate();
            calendar->setSelectedDate(QDate(2027, 1, 1));
            d->accept();
        });
        actionOf(w, QStringLiteral("aDatumra"))->trigger();
        QCOMPARE(offered, QDate::currentDate());
        QCOMPARE(Beall().CalendarDay, QDate(2027, 1, 1));
        QCOMPARE(listedIds(tbl()), QList<int>{6});
    }

    void anotherWindowChangesTheDay()
    {
        Tfrm_Naptar *w = open();
        // What the quick list does: the shared day moves and the set is reloaded.
        ShowCalendarDay(QDate(2027, 1, 1));
        QCOMPARE(w->header()->title(), QStringLiteral("2027.január.01"));
        QCOMPARE(listedIds(tbl()), QList<int>{6});
    }

    void titleClickKeepsTheDay()
    {
        Tfrm_Naptar *w = open();
        DataGrid *g = w->grid();
        Q_EMIT g->titleClicked(g->columnOfField(QStringLiteral("rovid")));
        QCOMPARE(tbl()->order(), QStringLiteral("rovids"));
        QCOMPARE(listedIds(tbl()), (QList<int>{3, 2, 1}));   // Átadás, Bevásárlás, Tárgyalás
        QCOMPARE(w->header()->sortText(), QStringLiteral("sorrend\nfeladat szerint"));
        QCOMPARE(zdb::ShowBound({tbl()->filter(), tbl()->filterParams(), {}}), QStringLiteral("datumstr='%1'").arg(dayKey(QDate::currentDate())));
        QCOMPARE(g->recordSetModel()->shadedColumn(), g->columnOfField(QStringLiteral("rovid")));

        w->header()->searchBox()->setText(QStringLiteral("tár"));
        QCOMPARE(tbl()->value(QStringLiteral("dolog1")).toInt(), 1);

        // Letters while sorted by hour: swallowed, the row stays.
        Q_EMIT g->titleClicked(g->columnOfField(QStringLiteral("ora")));
        tbl()->last();
        testhooks::clearMessages();
        w->header()->searchBox()->setText(QStringLiteral("x"));
        QCOMPARE(tbl()->currentRow(), 2);
        QVERIFY(testhooks::shownMessages().isEmpty());
    }

    void doneToggle()
    {
        Tfrm_Naptar *w = open();
        QVERIFY(tbl()->locate(QStringLiteral("dolog1"), 1));
        actionOf(w, QStringLiteral("aKesz"))->trigger();
        QCOMPARE(stored(f->dbPath(), 1, "kesz").toString(), QStringLiteral("I"));
        QCOMPARE(stored(f->dbPath(), 1, "dat_kesz").toString(), isoDay(QDate::currentDate()));
        QCOMPARE(tbl()->value(QStringLiteral("dolog1")).toInt(), 1);   // reloaded, still current

        actionOf(w, QStringLiteral("aKesz"))->trigger();
        QCOMPARE(stored(f->dbPath(), 1, "kesz").toString(), QStringLiteral("N"));
        QVERIFY(!stored(f->dbPath(), 1, "dat_kesz").isValid());
        QCOMPARE(tbl()->value(QStringLiteral("dolog1")).toInt(), 1);
        QCOMPARE(listedIds(tbl()), (QList<int>{2, 3, 1}));
    }

    void deleteAsksFirst()
    {
        Tfrm_Naptar *w = open();
        QVERIFY(tbl()->locate(QStringLiteral("dolog1"), 3));
        actionOf(w, QStringLiteral("aTorol"))->trigger();   // automatic answer: No
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Megerősítés"));
        QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Valóban töröljem a bejegyzést"));
        QVERIFY(stored(f->dbPath(), 3, "dolog1").isValid());

        testhooks::setNextAnswer(true);
        actionOf(w, QStringLiteral("aTorol"))->trigger();
        QVERIFY(!stored(f->dbPath(), 3, "dolog1").isValid());
        QCOMPARE(listedIds(tbl()), (QList<int>{2, 1}));
    }

    void emptyDayCommandsDoNothing()
    {
        Beall().CalendarDay = QDate(2030, 6, 1);
        Tfrm_Naptar *w = open();
        QVERIFY(tbl()->isEmpty());
        QVERIFY(!actionOf(w, QStringLiteral("aSzerkeszt"))->isEnabled());
        w->editEntry();
        w->toggleDone();
        w->deleteEntry();
        QVERIFY(testhooks::shownMessages().isEmpty());
        QCOMPARE(testhooks::pendingDialogCallbacks(), 0);
        QVERIFY(!tbl()->isEditing());
        QVERIFY(tbl()->isEmpty());
        // The day commands still work.
        actionOf(w, QStringLiteral("aHolnap"))->trigger();
        QCOMPARE(Beall().CalendarDay, QDate(2030, 6, 2));
    }

    void takenOverFromTheQuickList()
    {
        // The quick list left the record set open on another day, by hour.
        Beall().QuickListOpen = true;
        Beall().CalendarDay = QDate(2027, 1, 1);
        tbl()->setOrder(QStringLiteral("ora"));
        SetCalendarDayFilter(*tbl(), QDate(2027, 1, 1));
        tbl()->setFiltered(true);
        tbl()->open();

        Tfrm_Naptar *w = open();
        QCOMPARE(listedIds(tbl()), QList<int>{6});
        QCOMPARE(w->header()->title(), QStringLiteral("2027.január.01"));
        QCOMPARE(w->header()->sortText(), QStringLiteral("sorrend\nóra szerint"));

        closeAndFlush(w);
        QVERIFY(tbl()->isOpen());
        Beall().QuickListOpen = false;
    }

    void stepsTheRealQuickListToo()
    {
        actionOf(f->main, QStringLiteral("aGyorsLista"))->trigger();
        Tfrm_GyorsLista *quick = Tfrm_GyorsLista::instance();
        QVERIFY(quick);
        QVERIFY(Beall().QuickListOpen);
        Tfrm_Naptar *w = open();
        QCOMPARE(listedIds(tbl()), (QList<int>{2, 3, 1}));

        actionOf(w, QStringLiteral("aTegnap"))->trigger();
        const QString yesterday = CalendarHeaderText(QDate::currentDate().addDays(-1));
        QCOMPARE(w->header()->title(), yesterday);
        QCOMPARE(quick->dateStrip()->text(), yesterday);
        QCOMPARE(listedIds(tbl()), QList<int>{4});

        // Closing the calendar leaves the quick list its record set.
        closeAndFlush(w);
        QVERIFY(tbl()->isOpen());
        QCOMPARE(listedIds(tbl()), QList<int>{4});
        quick->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Beall().QuickListOpen);
        QVERIFY(!tbl()->isOpen());
    }
};

QTEST_MAIN(TestCalendarWindow)
#include "tst_calendarwindow.moc"

// The project list window and its editor, driven through the real main window.

#include "tests/masterdata/masterfixture.h"

#include "masterdata/projecteditor.h"
#include "masterdata/projectlist.h"

#include "app/helpers/datagrid.h"
#include "app/helpers/datefield.h"
#include "app/helpers/listheader.h"
#include "db/recordset.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QToolBar>

namespace {

// Two open projects, one closed, one with an empty and one with a NULL
// closed flag (loaded by an import), one without a start date.
const char *const kProjects = R"(
INSERT INTO projekt (projekt, projekt_kod, projekt_nev, dat_indul, dat_lezar, lezarva, vanmegj, projekt_nevs) VALUES
 (1, 'P1', 'Első', '2026-01-01', NULL, 'N', 'N', 'ELSO'),
 (2, 'P2', 'Második', NULL, NULL, 'N', 'N', 'MASODIK'),
 (3, 'P3', 'Lezárt', '2025-01-01', '2025-06-30', 'I', 'N', 'LEZART'),
 (4, 'P4', 'Üres jelző', '2025-02-01', NULL, '', NULL, 'URES JELZO'),
 (5, 'P5', 'Nincs jelző', '2025-03-01', NULL, NULL, 'N', 'NINCS JELZO');
INSERT INTO dolog3 (dolog3, datum, rovid, projekt, projekt_nev, kesz) VALUES (1, '2026-01-05', 'a', 1, 'Első', 'N');
INSERT INTO dolog1 (dolog1, datum, datumstr, rovid, projekt, projekt_nev) VALUES (1, '2026-01-05', '20260105', 'c', 1, 'Első');
)";

QList<int> listedIds(const zdb::RecordSet *rs)
{
    QList<int> ids;
    for (int r = 0; r < rs->recordCount(); ++r)
        ids << rs->valueAt(r, QStringLiteral("projekt")).toInt();
    return ids;
}

} // namespace

class TestProjects : public QObject
{
    Q_OBJECT

    MasterFixture m;

    Tfrm_Projekt *open() { return openListWindow<Tfrm_Projekt>(m.f->main.get(), "aProjekt"); }
    QString storedText(const QString &sql) const { return m.stored(sql).toString(); }
    static void closeAndFlush(Tfrm_Projekt *w)
    {
        w->aBezar->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private Q_SLOTS:
    void initTestCase() { initMasterTests(); }
    void init() { m.start(QString::fromUtf8(kProjects)); }
    void cleanup() { m.f.reset(); }

    void opensOnOpenProjectsAndSwitchesTheFilter()
    {
        QVERIFY(actionOf(m.f->main, QStringLiteral("aProjekt"))->isEnabled());
        Tfrm_Projekt *w = open();
        QVERIFY(w);
        QCOMPARE(w->childKind(), 4);
        QCOMPARE(w->header()->sortText(), QStringLiteral("sorrend\nprojekt kód szerint"));
        QVERIFY(w->aSzur->isChecked());
        QCOMPARE(w->aSzur->shortcut(), QKeySequence(Qt::Key_F8));
        QCOMPARE(listedIds(w->table()), (QList<int>{1, 2}));
        QCOMPARE(w->grid()->column(1)->title, QStringLiteral("?"));

        w->aSzur->trigger();
        QVERIFY(!w->aSzur->isChecked());
        QCOMPARE(listedIds(w->table()), (QList<int>{1, 2, 3, 4, 5}));
        w->table()->setCurrentRow(3);
        w->aSzur->trigger();
        QCOMPARE(listedIds(w->table()), (QList<int>{1, 2}));
        QCOMPARE(w->table()->currentRow(), 0);

        // The next window starts filtered whatever this one showed.
        w->aSzur->trigger();
        closeAndFlush(w);
        w = open();
        QVERIFY(w->aSzur->isChecked());
        QCOMPARE(listedIds(w->table()), (QList<int>{1, 2}));
    }

    void closeAndReopen()
    {
        Tfrm_Projekt *w = open();
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        w->aLezar->trigger();   // project 1, open -> closed today, leaves the filtered list
        QCOMPARE(storedText(QStringLiteral("SELECT lezarva FROM projekt WHERE projekt=1")), QStringLiteral("I"));
        QCOMPARE(storedText(QStringLiteral("SELECT dat_lezar FROM projekt WHERE projekt=1")), today);
        QCOMPARE(listedIds(w->table()), (QList<int>{2}));
        QCOMPARE(w->table()->value(QStringLiteral("projekt")).toInt(), 2);   // the row after it
        QVERIFY(!w->table()->isEditing());

        w->aSzur->trigger();
        for (int id : {1, 4, 5}) {   // closed, empty flag, NULL flag: all reopen
            QVERIFY(w->table()->locate(QStringLiteral("projekt"), id));
            w->aLezar->trigger();
            QCOMPARE(w->table()->value(QStringLiteral("projekt")).toInt(), id);
            QCOMPARE(storedText(QStringLiteral("SELECT lezarva FROM projekt WHERE projekt=%1").arg(id)), QStringLiteral("N"));
            QVERIFY(!m.stored(QStringLiteral("SELECT dat_lezar FROM projekt WHERE projekt=%1").arg(id)).isValid());
        }
    }

    void oneShotCommandsOnAnEmptyListAndAFailedPost()
    {
        testenv::execSql(m.f->dbPath(), QStringLiteral("CREATE TRIGGER tilt BEFORE UPDATE ON projekt WHEN NEW.projekt=2 "
                                                       "BEGIN SELECT RAISE(ABORT, 'tiltott projekt'); END;"));
        Tfrm_Projekt *w = open();
        w->table()->setCurrentRow(1);
        w->aLezar->trigger();
        QVERIFY(testhooks::lastMessage().text.contains(QStringLiteral("tiltott projekt")));
        QVERIFY(!w->table()->isEditing());
        QCOMPARE(storedText(QStringLiteral("SELECT lezarva FROM projekt WHERE projekt=2")), QStringLiteral("N"));

        testenv::execSql(m.f->dbPath(), QStringLiteral("DROP TRIGGER tilt; UPDATE projekt SET lezarva='I'"));
        w->table()->refresh();
        QVERIFY(w->table()->isEmpty());
        for (QAction *a : {w->aSzerkeszt, w->aTorol, w->aLezar, w->linked.aMegjegyzes})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        w->toggleClosed();
        w->editProject();
        QCOMPARE(m.count(QStringLiteral("projekt")), 5);
    }

    void newProjectStartsTodayOpen()
    {
        Tfrm_Projekt *w = open();
        answerDialog<Tfrm_Projekt_Szerkeszt>([](Tfrm_Projekt_Szerkeszt *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Projekt szerkesztés"));
            QCOMPARE(d->indul()->date(), QDate::currentDate());
            QVERIFY(!d->lezarva()->isChecked());
            QCOMPARE(d->lezarva()->focusPolicy(), Qt::NoFocus);
            typeInto(d->projektKod(), QStringLiteral("P9"));
            typeInto(d->projektNev(), QStringLiteral("Új projekt"));
            d->accept();
        });
        w->aUj->trigger();
        const QString where = QStringLiteral(" FROM projekt WHERE projekt_kod='P9'");
        QCOMPARE(storedText(QStringLiteral("SELECT dat_indul") + where), QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(storedText(QStringLiteral("SELECT lezarva") + where), QStringLiteral("N"));
        QCOMPARE(storedText(QStringLiteral("SELECT vanmegj") + where), QStringLiteral("N"));
        QCOMPARE(m.stored(QStringLiteral("SELECT projekt") + where).toInt(), 6);
        QVERIFY(!m.stored(QStringLiteral("SELECT dat_lezar") + where).isValid());
        QCOMPARE(w->table()->text(QStringLiteral("projekt_kod")), QStringLiteral("P9"));
    }

    void editKeepsTheStartDateUntilOkAndRenames()
    {
        Tfrm_Projekt *w = open();
        // Cancelled: the changed picker is not written.
        answerDialog<Tfrm_Projekt_Szerkeszt>([](Tfrm_Projekt_Szerkeszt *d) {
            d->indul()->setDate(QDate(2030, 1, 1));
            d->reject();
        });
        w->aSzerkeszt->trigger();
        QCOMPARE(storedText(QStringLiteral("SELECT dat_indul FROM projekt WHERE projekt=1")), QStringLiteral("2026-01-01"));

        answerDialog<Tfrm_Projekt_Szerkeszt>([](Tfrm_Projekt_Szerkeszt *d) {
            d->projektNev()->setText(QStringLiteral("O'Brien projekt"));
            d->indul()->setDate(QDate(2026, 2, 3));
            d->accept();
        });
        w->aSzerkeszt->trigger();
        QCOMPARE(storedText(QStringLiteral("SELECT dat_indul FROM projekt WHERE projekt=1")), QStringLiteral("2026-02-03"));
        QCOMPARE(storedText(QStringLiteral("SELECT projekt_nev FROM dolog3 WHERE dolog3=1")), QStringLiteral("O'Brien projekt"));
        QCOMPARE(storedText(QStringLiteral("SELECT projekt_nev FROM dolog1 WHERE dolog1=1")), QStringLiteral("O'Brien projekt"));

        // No start date: the field stands empty and OK stores none.
        QVERIFY(w->table()->locate(QStringLiteral("projekt"), 2));
        answerDialog<Tfrm_Projekt_Szerkeszt>([](Tfrm_Projekt_Szerkeszt *d) {
            QVERIFY(d->indul()->isBlank());
            d->accept();
        });
        w->aSzerkeszt->trigger();
        QVERIFY(!m.stored(QStringLiteral("SELECT dat_indul FROM projekt WHERE projekt=2")).isValid());
    }
};

QTEST_MAIN(TestProjects)
#include "tst_projects.moc"

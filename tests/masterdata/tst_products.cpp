// The product list window and its editor, driven through the real main window.

#include "tests/masterdata/masterfixture.h"

#include "masterdata/producteditor.h"
#include "masterdata/productlist.h"
#include "app/helpers/descriptioneditor.h"

#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"
#include "app/helpers/listheader.h"
#include "db/recordset.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace {

// Five products: one with a stale sort key, one without comment flag, one
// without identifier, one whose note another program stored longer than its
// column; tasks and calendar entries copy the names of products 3 and 5.
const char *const kProducts = R"(
INSERT INTO termek (termek, cikkszam, termek_nev, kategoria, megjegyzes, vanmegj, termek_nevs, kategorias) VALUES
 (1, 'A-1', 'Alma', 'Festék', NULL, 'N', 'ALMA', 'FESTEK'),
 (2, 'B-2', 'Körte', 'Szerszám', NULL, 'N', 'REGI KULCS', 'SZERSZAM'),
 (3, 'C-3', 'Kalapács', '', NULL, 'I', 'KALAPACS', ''),
 (0, 'D-4', 'Dió', NULL, NULL, NULL, 'DIO', NULL),
 (5, 'E-5', 'Eper', 'Élelmiszer', '%1', 'N', 'EPER', 'ELELMISZER');
INSERT INTO dolog3 (dolog3, datum, rovid, termek, termek_nev, kesz) VALUES
 (1, '2026-01-05', 'a', 3, 'Kalapács', 'N'), (2, '2026-01-05', 'b', 5, 'Eper', 'N');
INSERT INTO dolog1 (dolog1, datum, datumstr, rovid, termek, termek_nev) VALUES
 (1, '2026-01-05', '20260105', 'c', 3, 'Kalapács');
)";

QString productRows()
{
    return QString::fromUtf8(kProducts).arg(QString(300, QLatin1Char('x')));
}

} // namespace

class TestProducts : public QObject
{
    Q_OBJECT

    MasterFixture m;

    Tfrm_Termek *open() { return openListWindow<Tfrm_Termek>(m.f->main.get(), "aTermek"); }
    QString storedText(const QString &sql) const { return m.stored(sql).toString(); }

private Q_SLOTS:
    void initTestCase() { initMasterTests(); }
    void init() { m.start(productRows()); }
    void cleanup() { m.f.reset(); }

    void opensSortedByArticleNumber()
    {
        QVERIFY(actionOf(m.f->main, QStringLiteral("aTermek"))->isEnabled());
        Tfrm_Termek *w = open();
        QVERIFY(w);
        QCOMPARE(w->objectName(), QStringLiteral("frm_Termek"));
        QCOMPARE(w->childKind(), 3);
        QVERIFY(Beall().ProductWindowOpen);
        QCOMPARE(w->header()->sortText(), QStringLiteral("sorrend\ncikkszám szerint"));
        QCOMPARE(w->table()->order(), QStringLiteral("cikkszam"));
        QCOMPARE(w->grid()->recordSetModel()->shadedColumn(), w->grid()->columnOfField(QStringLiteral("cikkszam")));
        QCOMPARE(actionTexts(w->toolBar()->actions()),
                 (QStringList{"Új termék", "Szerkeszt", "Töröl", "-", "Feladatok", "Naptár", "-", "Megjegyzés", "-", "Bezár"}));
        auto *newButton = qobject_cast<QToolButton *>(w->toolBar()->widgetForAction(w->aUj));
        QVERIFY(newButton && newButton->menu());
        QCOMPARE(actionTexts(newButton->menu()->actions()), (QStringList{"Új termék", "Termékek betöltése"}));
        QCOMPARE(actionTexts(w->grid()->popupActions()),
                 (QStringList{"Új termék", "Szerkeszt", "Töröl", "-", "Feladatok", "Új feladat", "-", "Naptár",
                              "Új naptár bejegyzés", "-", "Megjegyzés", "-", "Bezár"}));
        QCOMPARE(w->linked.aMegjegyzes->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QCOMPARE(w->linked.aMegjegyzes->toolTip(), QStringLiteral("Megjegyzések"));

        // A title click sorts by the sort key: Élelmiszer with the E's.
        w->sorter()->sortByColumn(w->grid()->columnOfField(QStringLiteral("kategoria")), true);
        QCOMPARE(w->table()->order(), QStringLiteral("kategorias"));
        QStringList cats;
        for (int r = 0; r < w->table()->recordCount(); ++r)
            cats << w->table()->textAt(r, w->table()->fieldIndex(QStringLiteral("kategoria")));
        QCOMPARE(cats, (QStringList{"", "", "Élelmiszer", "Festék", "Szerszám"}));

        w->aBezar->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Beall().ProductWindowOpen);
    }

    void newProductTypedInCapitalsWithItsCategories()
    {
        Tfrm_Termek *w = open();
        QStringList categories;
        answerDialog<Tfrm_Termek_Szerkeszt>([&](Tfrm_Termek_Szerkeszt *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Termék szerkesztés"));
            for (int i = 0; i < d->kategoria()->count(); ++i)
                categories << d->kategoria()->itemText(i);
            QVERIFY(d->cikkszam()->text().isEmpty());
            d->cikkszam()->setFocus();
            QTest::keyClicks(d->cikkszam(), QStringLiteral("abc-12"));
            typeInto(d->termekNev(), QStringLiteral("Árvíztűrő tükörfúrógép"));
            d->kategoria()->setEditText(QStringLiteral("Új kategória"));
            d->accept();
        });
        w->aUj->trigger();
        // NULL and '' give one empty entry.
        QCOMPARE(categories, (QStringList{"", "Élelmiszer", "Festék", "Szerszám"}));   // the lists' order
        QCOMPARE(m.count(QStringLiteral("termek")), 6);
        const QString where = QStringLiteral(" FROM termek WHERE cikkszam='ABC-12'");
        QCOMPARE(m.stored(QStringLiteral("SELECT termek") + where).toInt(), 6);
        QCOMPARE(storedText(QStringLiteral("SELECT vanmegj") + where), QStringLiteral("N"));
        QCOMPARE(storedText(QStringLiteral("SELECT termek_nevs") + where), QStringLiteral("ARVIZTURO TUKORFUROG"));
        QCOMPARE(storedText(QStringLiteral("SELECT kategoria") + where), QStringLiteral("Új kategória"));
        // A new product rewrites no task.
        QCOMPARE(storedText(QStringLiteral("SELECT termek_nev FROM dolog3 WHERE dolog3=1")), QStringLiteral("Kalapács"));
    }

    void editResavesOnlyWhatTheRuleChangesAndRenames()
    {
        Tfrm_Termek *w = open();
        zdb::Table *tbl = w->table();
        tbl->setCurrentRow(2);   // C-3, Kalapács: the third of five
        int seenId = -1;
        answerDialog<Tfrm_Termek_Szerkeszt>([&](Tfrm_Termek_Szerkeszt *d) {
            seenId = tbl->value(QStringLiteral("termek")).toInt();
            d->termekNev()->setText(QStringLiteral("Rock'n'Roll kalapács"));
            d->accept();
        });
        w->aSzerkeszt->trigger();
        QCOMPARE(seenId, 3);
        // The stale key, the missing flag and the missing identifier are mended...
        QCOMPARE(storedText(QStringLiteral("SELECT termek_nevs FROM termek WHERE cikkszam='B-2'")), QStringLiteral("KORTE"));
        QCOMPARE(storedText(QStringLiteral("SELECT vanmegj FROM termek WHERE cikkszam='D-4'")), QStringLiteral("N"));
        QCOMPARE(m.stored(QStringLiteral("SELECT termek FROM termek WHERE cikkszam='D-4'")).toInt(), 6);
        // ...the untouched row keeps its over-long note whole.
        QCOMPARE(storedText(QStringLiteral("SELECT length(megjegyzes) FROM termek WHERE termek=5")), QStringLiteral("300"));
        // The edited product, then its copies.
        QCOMPARE(storedText(QStringLiteral("SELECT termek_nev FROM termek WHERE termek=3")), QStringLiteral("Rock'n'Roll kalapács"));
        QCOMPARE(storedText(QStringLiteral("SELECT termek_nev FROM dolog3 WHERE dolog3=1")), QStringLiteral("Rock'n'Roll kalapács"));
        QCOMPARE(storedText(QStringLiteral("SELECT termek_nev FROM dolog1 WHERE dolog1=1")), QStringLiteral("Rock'n'Roll kalapács"));
        QCOMPARE(storedText(QStringLiteral("SELECT termek_nev FROM dolog3 WHERE dolog3=2")), QStringLiteral("Eper"));
        QCOMPARE(tbl->value(QStringLiteral("termek")).toInt(), 3);

        // Nothing left to mend: "Mégsem" still refreshes the copies.
        QCOMPARE(w->resaveProducts(), 0);
        testenv::execSql(m.f->dbPath(), QStringLiteral("UPDATE dolog3 SET termek_nev='régi' WHERE dolog3=1"));
        answerDialog<Tfrm_Termek_Szerkeszt>([](Tfrm_Termek_Szerkeszt *d) { d->reject(); });
        w->aSzerkeszt->trigger();
        QCOMPARE(storedText(QStringLiteral("SELECT termek_nev FROM dolog3 WHERE dolog3=1")), QStringLiteral("Rock'n'Roll kalapács"));
    }

    void failedResaveIsReportedAndRolledBack()
    {
        testenv::execSql(m.f->dbPath(), QStringLiteral("CREATE TRIGGER tilt BEFORE UPDATE ON termek WHEN NEW.cikkszam='D-4' "
                                                       "BEGIN SELECT RAISE(ABORT, 'tiltott sor'); END;"));
        Tfrm_Termek *w = open();
        w->table()->setCurrentRow(0);
        testhooks::clearMessages();
        w->aSzerkeszt->trigger();   // no editor may open: none is answered
        QCOMPARE(testhooks::pendingDialogCallbacks(), 0);
        QVERIFY(testhooks::lastMessage().text.contains(QStringLiteral("tiltott sor")));
        QVERIFY(!w->table()->isEditing());
        // B-2 came before the failing row; the transaction took it back too.
        QCOMPARE(storedText(QStringLiteral("SELECT termek_nevs FROM termek WHERE cikkszam='B-2'")), QStringLiteral("REGI KULCS"));
        QCOMPARE(w->table()->text(QStringLiteral("cikkszam")), QStringLiteral("A-1"));
    }

    void deleteAndTheEmptyList()
    {
        Tfrm_Termek *w = open();
        w->table()->setCurrentRow(2);
        testhooks::setNextAnswer(false);
        w->aTorol->trigger();
        QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Valóban töröljem a terméket?"));
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Megerősítés"));
        QCOMPARE(m.count(QStringLiteral("termek")), 5);
        testhooks::setNextAnswer(true);
        w->aTorol->trigger();
        QCOMPARE(m.count(QStringLiteral("termek")), 4);
        QCOMPARE(m.stored(QStringLiteral("SELECT COUNT(*) FROM dolog3 WHERE termek=3")).toInt(), 1);

        testenv::execSql(m.f->dbPath(), QStringLiteral("DELETE FROM termek"));
        w->table()->refresh();
        for (QAction *a : {w->aSzerkeszt, w->aTorol, w->linked.aUjFeladat, w->linked.aUjNaptar, w->linked.aMegjegyzes})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        w->editProduct();   // no editor, no blank product
        QCOMPARE(m.count(QStringLiteral("termek")), 0);
    }
};

QTEST_MAIN(TestProducts)
#include "tst_products.moc"

// The main window's list commands reach the output entries for the active
// list window, as a user triggers them.

#include "tests/app/appfixture.h"

#include "app/modules.h"

#include "db/recordset.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

namespace {

const char *const kData = R"(
INSERT INTO tulajdonos (tulajdonos) VALUES ('Próba Iroda');
INSERT INTO dolog3 (dolog3, datum, dat_hatid, rovid, ugyfel_nev, fontos, kesz, statusz) VALUES
 (1, '2026-01-05', '2026-02-01', 'Árajánlat <sürgős>', 'Kovács & Fia', 2, 'N', 0),
 (2, '2026-01-06', '2026-03-01', 'Számla', 'Béta Kft.', 1, 'N', 1);
)";

} // namespace

class TestDispatch : public QObject
{
    Q_OBJECT
    std::unique_ptr<AppFixture> f;

    void openTasks()
    {
        f->main->showMain();
        actionOf(f->main, QStringLiteral("aFeladat"))->trigger();
        QVERIFY(f->main->activeListWindow());
        QCOMPARE(f->main->activeListWindow()->childKind(), int(KindTasks));
    }

private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        RegisterModules();
    }
    void init()
    {
        f = std::make_unique<AppFixture>();
        f->makeDb(QString::fromUtf8(kData));
        QVERIFY(f->start());
    }
    void cleanup() { f.reset(); }

    void htmlExportWritesThePageOfTheActiveList()
    {
        openTasks();
        QString shownTitle;
        testhooks::onNextDialog([&](QDialog *d) {
            shownTitle = d->objectName();
            d->findChild<QCheckBox *>(QStringLiteral("cbMegnyit"))->setChecked(false);
            // The file name starts as the list's title in the HTML folder.
            QCOMPARE(QFileInfo(d->findChild<QLineEdit *>(QStringLiteral("edFajl"))->text()).fileName(),
                     QStringLiteral("feladatok.htm"));
            d->findChild<QPushButton *>(QStringLiteral("btOK"))->click();
        });
        actionOf(f->main, QStringLiteral("aHtml"))->trigger();
        QCOMPARE(shownTitle, QStringLiteral("frm_HtmlExport"));
        const QByteArray page = testenv::fileBytes(QDir(Beall().HtmlDir).filePath(QStringLiteral("feladatok.htm")));
        QVERIFY(page.contains("Feladatok"));
        QVERIFY(page.contains(zdb::toCp1250(u"Árajánlat &lt;sürgős&gt;")));
        // The page is Windows-1250 text with "&" escaped.
        QVERIFY(page.contains(zdb::toCp1250(u"Kovács &amp; Fia")));
        QVERIFY(!page.contains(zdb::toCp1250(u"Kovács & Fia")));
    }

    void excelAndPreviewOpenTheirDialogs()
    {
        openTasks();
        QStringList shown;
        testhooks::onNextDialog([&](QDialog *d) {
            shown << d->objectName();
            d->reject();
        });
        actionOf(f->main, QStringLiteral("aExcelbe"))->trigger();
        testhooks::onNextDialog([&](QDialog *d) {
            shown << QString::fromLatin1(d->metaObject()->className());
            d->reject();
        });
        actionOf(f->main, QStringLiteral("aNyomtatKep"))->trigger();
        QCOMPARE(shown.value(0), QStringLiteral("frm_Excelbe"));
        QCOMPARE(shown.value(1), QStringLiteral("QPrintPreviewDialog"));
        QVERIFY(testhooks::shownMessages().isEmpty());
    }

    void dataSheetOfAnEmptyListIsReported()
    {
        openTasks();
        zdb::Table *tasks = Shared().TblFeladat;
        tasks->setFilter(QStringLiteral("dolog3 < 0"));
        QVERIFY(tasks->isEmpty());
        // No preview or print dialog may open: the queued callback stays unused.
        QString opened;
        testhooks::onNextDialog([&](QDialog *d) {
            opened = d->objectName();
            d->reject();
        });
        actionOf(f->main, QStringLiteral("aAdatlap"))->trigger();
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Zentavo"));
        QCOMPARE(testhooks::pendingDialogCallbacks(), 1);
        QCOMPARE(opened, QString());
    }

    void calendarSheetAsksForAPeriodFirst()
    {
        f->main->showMain();
        actionOf(f->main, QStringLiteral("aNaptar"))->trigger();
        QCOMPARE(f->main->activeListWindow()->childKind(), int(KindCalendar));
        QString asked;
        testhooks::onNextDialog([&](QDialog *d) {
            asked = d->objectName();
            d->reject(); // cancelled: nothing else happens
        });
        actionOf(f->main, QStringLiteral("aReszletes"))->trigger();
        QCOMPARE(asked, QStringLiteral("frm_Idoszak"));
        QVERIFY(testhooks::shownMessages().isEmpty());
    }
};

QTEST_MAIN(TestDispatch)
#include "tst_dispatch.moc"

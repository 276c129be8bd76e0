// The work log of a task and its entry editor, opened from the task list of
// the real main window.

#include "tests/scheduling/editorfixture.h"

#include "scheduling/entries.h"
#include "scheduling/tasklist.h"
#include "scheduling/worklog.h"

#include "app/helpers/datagrid.h"
#include "app/helpers/datefield.h"
#include "app/helpers/dialogbehaviour.h"
#include "output/report.h"

#include "db/recordset.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QMenu>

using editortest::dbValue;

namespace {

const char *const kData = R"(
INSERT INTO dolog3 (dolog3, datum, dat_hatid, rovid, kesz, statusz) VALUES
 (1, '2026-01-05', '2026-02-01', 'Árajánlat a Kovács Kft.-nek', 'N', 0),
 (2, '2026-01-06', '2026-03-01', 'Üres feladat', 'N', 0),
 (3, '2026-01-07', '2026-03-02', 'Más feladat', 'N', 0);
INSERT INTO munka (munka, feladat, datum, rovid, leiras) VALUES
 (1, 1, '2026-01-10', 'Telefon', 'Hívtam' || char(13) || char(10) || 'nem vették fel'),
 (2, 3, '2026-01-01', 'Idegen', 'más feladaté'),
 (3, 1, '2026-01-08', 'Árlista', NULL),
 (4, 3, '2026-01-09', 'Aaa idegen', NULL);
)";

QList<int> listedIds(const zdb::RecordSet *rs)
{
    QList<int> ids;
    for (int r = 0; r < rs->recordCount(); ++r)
        ids << rs->valueAt(r, QStringLiteral("munka")).toInt();
    return ids;
}

// The tool bar as the user reads it; "Nyomtat" is a button with a menu.
QStringList captions(QToolBar *bar)
{
    QStringList out;
    for (QAction *a : bar->actions()) {
        auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(a));
        out << (a->isSeparator() ? QStringLiteral("-") : button && button->defaultAction() ? button->defaultAction()->text() : a->text());
    }
    return out;
}

} // namespace

class TestWorkLog : public QObject
{
    Q_OBJECT
    std::unique_ptr<AppFixture> f;

    // Runs the work log of a task with `act` while it is open.
    static void withLog(int taskId, const std::function<void(Tfrm_Munka *)> &act)
    {
        bool ran = false;
        testhooks::onNextDialog([&](QDialog *d) {
            auto *log = qobject_cast<Tfrm_Munka *>(d);
            QVERIFY(log);
            ran = true;
            act(log);
            d->reject();
        });
        OpenWorkLog(taskId);
        QVERIFY(ran);
    }
    static void answerEditor(std::function<void(Tfrm_MunkaSzerkeszt *)> fill, bool ok = true)
    {
        testhooks::onNextDialog([fill, ok](QDialog *d) {
            auto *e = qobject_cast<Tfrm_MunkaSzerkeszt *>(d);
            QVERIFY(e);
            fill(e);
            (ok ? e->okButton() : e->cancelButton())->click();
        });
    }

private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        RegisterSchedulingWindows();
    }
    void init()
    {
        f = std::make_unique<AppFixture>();
        f->makeDb(QString::fromUtf8(kData));
        QVERIFY(f->start());
    }
    void cleanup()
    {
        zrep::setShowReportHook({});
        f.reset();
    }

    void listsOnlyTheTasksEntriesInAnyOrder()
    {
        withLog(1, [](Tfrm_Munka *log) {
            QCOMPARE(log->windowTitle(), QStringLiteral("Végzett munkák"));
            QCOMPARE(log->objectName(), QStringLiteral("frm_Munka"));
            QCOMPARE(captions(log->toolBar()),
                     (QStringList{"Új", "Szerkeszt", "Töröl", "-", "Nyomtat", "-", "Bezár"}));
            QCOMPARE(log->aTorol->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
            // Stored order, the date column shaded.
            QCOMPARE(listedIds(log->entries()), (QList<int>{1, 3}));
            QCOMPARE(log->remarkPane()->toPlainText(), QStringLiteral("Hívtam\nnem vették fel"));
            log->entries()->setCurrentRow(1);
            QCOMPARE(log->remarkPane()->toPlainText(), QString());
            const std::pair<const char *, QList<int>> orders[] = {{"datum", {3, 1}}, {"rovid", {1, 3}}};
            for (const auto &[field, ids] : orders) {
                Q_EMIT log->grid()->titleClicked(log->grid()->columnOfField(QString::fromLatin1(field)));
                QCOMPARE(log->entries()->order(), QString::fromLatin1(field));
                QCOMPARE(listedIds(log->entries()), ids);
            }
        });
    }

    void newEntryInAnEmptyLog()
    {
        withLog(2, [this](Tfrm_Munka *log) {
            QVERIFY(log->entries()->isEmpty());
            QVERIFY(!log->aSzerkeszt->isEnabled());
            QVERIFY(!log->aTorol->isEnabled());
            answerEditor([](Tfrm_MunkaSzerkeszt *e) {
                QCOMPARE(e->windowTitle(), QStringLiteral("Végzett munka, részfeladat"));
                QCOMPARE(e->dateField()->date(), QDate::currentDate());
                typeInto(e->shortEdit(), QStringLiteral("Őszi egyeztetés"));
                e->remarkEditor()->setText(QStringLiteral("egy\nkettő") + QString(5000, QChar(0x0171)));
            });
            log->aUj->trigger();
            QCOMPARE(listedIds(log->entries()), QList<int>{5});
            QVERIFY(log->aSzerkeszt->isEnabled());
            QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT feladat FROM munka WHERE munka=5")), QVariant(2));
            QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT rovid FROM munka WHERE munka=5")),
                     QVariant(QStringLiteral("Őszi egyeztetés")));
            QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT datum FROM munka WHERE munka=5")),
                     QVariant(QDate::currentDate().toString(Qt::ISODate)));
            QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT length(leiras) FROM munka WHERE munka=5")), QVariant(4096));
            QVERIFY(dbValue(f->dbPath(), QStringLiteral("SELECT leiras FROM munka WHERE munka=5")).toString().startsWith(QStringLiteral("egy\r\nkettő")));
        });
    }

    // The editor opens in the date field and Enter walks the fields: it
    // never lands on "OK" first, where Enter would store an empty entry.
    void keyboardWalksTheFields()
    {
        withLog(2, [](Tfrm_Munka *log) {
            answerEditor([](Tfrm_MunkaSzerkeszt *e) {
                QVERIFY(QTest::qWaitForWindowActive(e));
                const auto focused = [] {
                    QWidget *w = QApplication::focusWidget();
                    return w ? w->objectName() : QStringLiteral("(none)");
                };
                QStringList walked{focused()};
                QVERIFY(QApplication::focusWidget());
                // The focused date field shows the focus colour on screen, not
                // only in its palette.
                const QImage shot = e->dateField()->grab().toImage();
                int painted = 0;
                for (int y = 0; y < shot.height(); ++y)
                    for (int x = 0; x < shot.width(); ++x)
                        painted += QColor(shot.pixel(x, y)) == FocusHighlightColor();
                QVERIFY2(painted > shot.width() * shot.height() / 3, qPrintable(QString::number(painted)));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                walked << focused();
                QVERIFY(e->isVisible());
                QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Telefon"));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                walked << focused();
                QCOMPARE(walked, QStringList({"edDatum", "edRovid", "edMegjegyzes"}));
                QVERIFY(e->isVisible());
                QCOMPARE(e->shortEdit()->text(), QStringLiteral("Telefon"));
            });
            log->aUj->trigger();
        });
    }

    void editAndCancelUndoTheShortText()
    {
        withLog(1, [this](Tfrm_Munka *log) {
            answerEditor([](Tfrm_MunkaSzerkeszt *e) {
                QCOMPARE(e->shortEdit()->text(), QStringLiteral("Telefon"));
                typeInto(e->shortEdit(), QStringLiteral(" elrontva"));
            }, false);
            log->aSzerkeszt->trigger();
            QCOMPARE(log->entries()->text(QStringLiteral("rovid")), QStringLiteral("Telefon"));
            answerEditor([](Tfrm_MunkaSzerkeszt *e) {
                e->dateField()->setDate(QDate(2026, 1, 11));
                e->shortEdit()->end(false);
                typeInto(e->shortEdit(), QStringLiteral(" újra"));
            });
            log->aSzerkeszt->trigger();
            QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT rovid || ' ' || datum FROM munka WHERE munka=1")),
                     QVariant(QStringLiteral("Telefon újra 2026-01-11")));
            QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT count(*) FROM munka")), QVariant(4));
        });
    }

    void deleteAsksFirst()
    {
        withLog(1, [this](Tfrm_Munka *log) {
            testhooks::setNextAnswer(false);
            log->aTorol->trigger();
            QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Valóban töröljem a munkát?"));
            QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Megerősítés"));
            QCOMPARE(listedIds(log->entries()), (QList<int>{1, 3}));
            testhooks::setNextAnswer(true);
            log->aTorol->trigger();
            QCOMPARE(listedIds(log->entries()), QList<int>{3});
            QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT count(*) FROM munka WHERE munka=1")), QVariant(0));
        });
    }

    void printCarriesTheTasksShortText()
    {
        QString title;
        QStringList texts;
        bool printed = true;
        zrep::setShowReportHook([&](const zrep::ReportLayout &l, bool print) {
            title = l.title();
            printed = print;
            for (const zrep::ReportText &t : l.pages().value(0).texts)
                texts << t.text;
        });
        withLog(1, [](Tfrm_Munka *log) { log->aNyomtatKep->trigger(); });
        QCOMPARE(title, QStringLiteral("Végzett munkák"));
        QVERIFY(!printed);
        QVERIFY(texts.contains(QStringLiteral("Árajánlat a Kovács Kft.-nek")));
        QVERIFY(texts.contains(QStringLiteral("Telefon")));
        QVERIFY(!texts.contains(QStringLiteral("Idegen")));
    }

    void deletingTheTaskKeepsItsEntries()
    {
        f->main->show();
        auto *w = openListWindow<Tfrm_Feladat>(f->main.get(), "aFeladat");
        QVERIFY(w);
        QVERIFY(Shared().TblFeladat->locate(QStringLiteral("dolog3"), 1));
        testhooks::setNextAnswer(true);
        w->deleteTask();
        QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT count(*) FROM dolog3 WHERE dolog3=1")), QVariant(0));
        QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT count(*) FROM munka WHERE feladat=1")), QVariant(2));
    }
};

QTEST_MAIN(TestWorkLog)
#include "tst_worklog.moc"

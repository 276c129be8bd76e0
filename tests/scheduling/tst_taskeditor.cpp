// The task editor through EditTask: new tasks and their presets, editing,
// cancelling, the description limit, rows written by other programs, the
// pickers and a failed save.

#include "tests/scheduling/editorfixture.h"
#include "scheduling/entries.h"
#include "scheduling/pickers.h"
#include "scheduling/taskeditor.h"

#include "db/connection.h"
#include "db/recordset.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>

using namespace editortest;

namespace {

const char *const kColumns = "dolog3, datum, dat_hatid, rovid, leiras, ugyfel, ugyfel_nev, termek, termek_nev, "
                             "projekt, projekt_nev, fontos, fileban, kesz, dat_kesz, statusz, rovids, ugyfel_nevs, "
                             "termek_nevs, projekt_nevs";

QVariantList taskRow(const AppFixture &f, int id)
{
    const QList<QVariantList> rows = dbRows(
        f.dbPath(), QStringLiteral("select %1 from dolog3 where dolog3 = %2").arg(QString::fromLatin1(kColumns)).arg(id));
    return rows.isEmpty() ? QVariantList() : rows.first();
}

QVariant taskField(const AppFixture &f, int id, const char *field)
{
    return dbValue(f.dbPath(), QStringLiteral("select %1 from dolog3 where dolog3 = %2").arg(QString::fromLatin1(field)).arg(id));
}

const char *const kCustomers = R"(
insert into ugyfel (ugyfel, ugyfel_nev) values (1, 'Alfa Kft.'), (2, 'Élelmiszer Zrt.');
)";

// An existing task as the program writes it.
const char *const kTask = R"(
insert into dolog3 (dolog3, datum, dat_hatid, rovid, leiras, ugyfel, ugyfel_nev, termek, termek_nev, projekt,
  projekt_nev, fontos, fileban, kesz, dat_kesz, statusz, rovids, ugyfel_nevs, termek_nevs, projekt_nevs)
values (5, '2024-03-01', '2024-04-01', 'Ajánlat', 'első sor' || char(13) || char(10) || 'második', 1, 'Alfa Kft.',
  3, 'Csavar', 4, 'Híd', 2, 'C:\doc\a.txt', 'N', null, 1, 'AJANLAT', 'ALFA KFT.', 'CSAVAR', 'HID');
)";

void openTasksAt(int id)
{
    zdb::Table *tbl = Shared().TblFeladat;
    tbl->setFiltered(false);
    tbl->open();
    QVERIFY(tbl->locate(QStringLiteral("dolog3"), id));
}

} // namespace

class TestTaskEditor : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initAppTests(); }
    void cleanup() { testhooks::reset(); }

    void newTaskIsStoredWithItsDefaults()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("insert into dolog3 (dolog3, rovid, kesz) values (41, 'régi', 'N');"));
        QVERIFY(f.start());
        bool seen = false;
        answerEditor([&](EntryEditor *e) {
            seen = true;
            QCOMPARE(e->objectName(), QStringLiteral("frm_Feladat_Szerkeszt"));
            QCOMPARE(e->windowTitle(), QStringLiteral("Feladat szerkesztés"));
            auto *pages = child<QTabWidget>(e, "PageControl1");
            QCOMPARE(pages->tabText(0), QStringLiteral("Feladat"));
            QCOMPARE(pages->tabText(1), QStringLiteral("Leírás"));
            QCOMPARE(child<DateField>(e, "edDatum")->date(), QDate::currentDate());
            QCOMPARE(child<DateField>(e, "edHatid")->date(), TaskDeadlineFor(QDate::currentDate()));
            QCOMPARE(child<PriorityChooser>(e, "cbFontos")->value(), 0);
            QVERIFY(!child<QCheckBox>(e, "cbKesz")->isChecked());
            QVERIFY(child<QLineEdit>(e, "edUgyfel")->text().isEmpty());
            retype(child<QLineEdit>(e, "edRovid"), QStringLiteral("Árvíztűrő tükörfúrógép"));
            // The short text reaches the shared row while it is typed.
            QCOMPARE(e->table()->text(QStringLiteral("rovid")), QStringLiteral("Árvíztűrő tükörfúrógép"));
            clickOk(e);
        });
        EditTask(true, LinkCustomer, -1, QString());
        QVERIFY(seen);

        const QVariantList row = taskRow(f, 42);
        QVERIFY2(!row.isEmpty(), "the new task gets the next identifier");
        QCOMPARE(row.at(1).toString(), dayText(QDate::currentDate()));
        QCOMPARE(row.at(2).toString(), dayText(QDate::currentDate().addMonths(1)));
        QCOMPARE(row.at(3).toString(), QStringLiteral("Árvíztűrő tükörfúrógép"));
        QVERIFY(!row.at(4).isValid());                     // no description typed
        QVERIFY(!row.at(5).isValid());                     // no link
        QCOMPARE(row.at(11), QVariant(0));                 // fontos
        QCOMPARE(row.at(13).toString(), QStringLiteral("N"));
        QVERIFY(!row.at(14).isValid());                    // dat_kesz
        QCOMPARE(row.at(15), QVariant(0));                 // statusz
        QCOMPARE(row.at(16).toString(), QStringLiteral("ARVIZTURO TUKORFUROG"));
        // The editor opened the closed record set and closed it again.
        QVERIFY(!Shared().TblFeladat->isOpen());
        QVERIFY(f.ini().contains(QStringLiteral("frm_Feladat_Szerkeszt/Left")));
    }

    void deadlineIsOneMonthLater_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QDate>("deadline");
        QTest::newRow("plain") << QDate(2005, 3, 15) << QDate(2005, 4, 15);
        QTest::newRow("31 Jan -> 28 Feb") << QDate(2005, 1, 31) << QDate(2005, 2, 28);
        QTest::newRow("leap year") << QDate(2008, 1, 31) << QDate(2008, 2, 29);
        QTest::newRow("31 Mar -> 30 Apr") << QDate(2005, 3, 31) << QDate(2005, 4, 30);
        QTest::newRow("over the year end") << QDate(2005, 12, 31) << QDate(2006, 1, 31);
    }
    void deadlineIsOneMonthLater()
    {
        QFETCH(QDate, day);
        QFETCH(QDate, deadline);
        QCOMPARE(TaskDeadlineFor(day), deadline);
    }

    void newTaskTakesTheLinkOfItsCaller_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("idField");
        QTest::addColumn<QString>("shownIn");
        QTest::newRow("customer") << 0 << 7 << QStringLiteral("ugyfel") << QStringLiteral("edUgyfel");
        QTest::newRow("customer without id") << 0 << 0 << QStringLiteral("ugyfel") << QStringLiteral("edUgyfel");
        QTest::newRow("product") << 1 << 8 << QStringLiteral("termek") << QStringLiteral("edTermek");
        QTest::newRow("project") << 2 << 9 << QStringLiteral("projekt") << QStringLiteral("edProjekt");
        QTest::newRow("no id") << 0 << -1 << QString() << QString();
        QTest::newRow("quick list kind") << -1 << -1 << QString() << QString();
        QTest::newRow("unknown kind") << 5 << 7 << QString() << QString();
    }
    void newTaskTakesTheLinkOfItsCaller()
    {
        QFETCH(int, kind);
        QFETCH(int, id);
        QFETCH(QString, idField);
        QFETCH(QString, shownIn);
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        const QString name = QStringLiteral("Élő Kft.");
        answerEditor([&](EntryEditor *e) {
            for (const char *edit : {"edUgyfel", "edTermek", "edProjekt"}) {
                const bool linked = QLatin1String(edit) == shownIn;
                QCOMPARE(child<QLineEdit>(e, edit)->text(), linked ? name : QString());
            }
            clickOk(e);
        });
        EditTask(true, kind, id, name);

        const QStringList idFields = {QStringLiteral("ugyfel"), QStringLiteral("termek"), QStringLiteral("projekt")};
        for (const QString &field : idFields) {
            const QVariant stored = taskField(f, 1, qPrintable(field));
            const QVariant storedName = taskField(f, 1, qPrintable(field + QStringLiteral("_nev")));
            if (field == idField) {
                QCOMPARE(stored, QVariant(id));
                QCOMPARE(storedName.toString(), name);
                QCOMPARE(taskField(f, 1, qPrintable(field + QStringLiteral("_nevs"))).toString(), QStringLiteral("ELO KFT."));
            } else {
                QVERIFY2(!stored.isValid(), qPrintable(field));
                QVERIFY2(!storedName.isValid(), qPrintable(field));
            }
        }
    }

    void editingChangesOnlyWhatTheUserChanged()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kTask));
        QVERIFY(f.start());
        openTasksAt(5);
        const QVariantList before = taskRow(f, 5);
        answerEditor([&](EntryEditor *e) {
            QCOMPARE(child<DateField>(e, "edDatum")->date(), QDate(2024, 3, 1));
            QCOMPARE(child<DateField>(e, "edHatid")->date(), QDate(2024, 4, 1));
            QCOMPARE(child<QLineEdit>(e, "edRovid")->text(), QStringLiteral("Ajánlat"));
            QCOMPARE(child<QLineEdit>(e, "edTermek")->text(), QStringLiteral("Csavar"));
            QCOMPARE(child<QLineEdit>(e, "edFileban")->text(), QStringLiteral("C:\\doc\\a.txt"));
            QCOMPARE(child<PriorityChooser>(e, "cbFontos")->value(), 2);
            QCOMPARE(child<DescriptionEditor>(e, "edLeiras")->text(), QStringLiteral("első sor\r\nmásodik"));
            child<PriorityChooser>(e, "cbFontos")->setValue(3);
            child<DateField>(e, "edHatid")->setDate(QDate(2024, 5, 31));
            clickOk(e);
        });
        EditTask(false, LinkCustomer, 99, QStringLiteral("ignored when editing"));

        QVariantList expected = before;
        expected[2] = QStringLiteral("2024-05-31");
        expected[11] = 3;
        QCOMPARE(taskRow(f, 5), expected);
        // The list's record set stays open and shows the change.
        QVERIFY(Shared().TblFeladat->isOpen());
        QCOMPARE(Shared().TblFeladat->value(QStringLiteral("fontos")), QVariant(3));
        QCOMPARE(dbCount(f.dbPath(), QStringLiteral("dolog3")), 1);
    }

    void cancelLeavesNoTrace()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kTask));
        QVERIFY(f.start());

        // A new task: no row behind, in the record set or the file.
        Shared().TblFeladat->setFiltered(false);
        Shared().TblFeladat->open();
        answerEditor([&](EntryEditor *e) {
            retype(child<QLineEdit>(e, "edRovid"), QStringLiteral("eldobott"));
            clickCancel(e);
        });
        EditTask(true, LinkCustomer, 1, QStringLiteral("Alfa Kft."));
        QCOMPARE(Shared().TblFeladat->recordCount(), 1);
        QCOMPARE(dbCount(f.dbPath(), QStringLiteral("dolog3")), 1);

        // An existing task: the typed text and the chosen file are undone (Esc).
        const QVariantList before = taskRow(f, 5);
        testhooks::setNextFileName(f.path(QStringLiteral("masik.txt")));
        answerEditor([&](EntryEditor *e) {
            retype(child<QLineEdit>(e, "edRovid"), QStringLiteral("átírt"));
            child<QToolButton>(e, "btFileban")->click();
            QCOMPARE(e->table()->text(QStringLiteral("fileban")), QDir::toNativeSeparators(f.path(QStringLiteral("masik.txt"))));
            QTest::keyClick(e, Qt::Key_Escape);
        });
        EditTask(false, LinkCustomer, -1, QString());
        QCOMPARE(taskRow(f, 5), before);
        QCOMPARE(Shared().TblFeladat->text(QStringLiteral("rovid")), QStringLiteral("Ajánlat"));
        QCOMPARE(Shared().TblFeladat->mode(), zdb::RecordSet::Mode::Browsing);
    }

    void editingAnEmptyListDoesNothing()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        Shared().TblFeladat->open();
        answerEditor([](EntryEditor *e) { clickOk(e); });
        EditTask(false, LinkCustomer, -1, QString());
        QCOMPARE(testhooks::pendingDialogCallbacks(), 1);
        QCOMPARE(dbCount(f.dbPath(), QStringLiteral("dolog3")), 0);
        QCOMPARE(Shared().TblFeladat->mode(), zdb::RecordSet::Mode::Browsing);
    }

    void descriptionIsKeptToTheFieldLength()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        QString typed;
        for (int i = 0; i < 300; ++i)
            typed += QStringLiteral("sor %1 ....\n").arg(i, 3, 10, QLatin1Char('0'));   // 12 characters a line
        answerEditor([&](EntryEditor *e) {
            auto *editor = child<DescriptionEditor>(e, "edLeiras");
            child<QTabWidget>(e, "PageControl1")->setCurrentIndex(1);
            editor->setFocus();
            // Pasting or typing stops at the limit...
            QApplication::clipboard()->setText(typed);
            editor->paste();
            QCOMPARE(editor->text().size(), 2048);
            editor->setCursorPosition(0, 0);
            QTest::keyClicks(editor, QStringLiteral("xyz"));
            QTest::keyClick(editor, Qt::Key_Return);
            QCOMPARE(editor->text().size(), 2048);
            // ...while a selection typed over makes room.
            editor->setSelection(0, 0, 0, 3);
            QTest::keyClicks(editor, QStringLiteral("SOR"));
            QCOMPARE(editor->text().left(7), QStringLiteral("SOR 000"));
            clickOk(e);
        });
        EditTask(true, -1, -1, QString());
        // ...and what is stored has CR LF line ends, cut to 2048 characters.
        const QString stored = taskField(f, 1, "leiras").toString();
        QCOMPARE(stored.size(), 2048);
        const QString expected = QStringLiteral("SOR") + DescriptionEditor::cutTo(DescriptionEditor::withCrLf(typed), 2048).mid(3);
        QCOMPARE(stored, expected);
        QVERIFY(stored.startsWith(QStringLiteral("SOR 000 ....\r\nsor 001")));
        QVERIFY(!stored.endsWith(QLatin1Char('\r')));
    }

    void descriptionTextHelpers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("result");
        QTest::newRow("short") << QStringLiteral("ab") << 5 << QStringLiteral("ab");
        QTest::newRow("cut") << QStringLiteral("abcdef") << 4 << QStringLiteral("abcd");
        QTest::newRow("no half CR LF") << QStringLiteral("abc\r\nd") << 4 << QStringLiteral("abc");
        QTest::newRow("whole CR LF") << QStringLiteral("abc\r\nd") << 5 << QStringLiteral("abc\r\n");
        QTest::newRow("no half surrogate") << QStringLiteral("a\U0001F600") << 2 << QStringLiteral("a");
    }
    void descriptionTextHelpers()
    {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QFETCH(QString, result);
        QCOMPARE(DescriptionEditor::cutTo(text, limit), result);
        QCOMPARE(DescriptionEditor::withCrLf(QStringLiteral("a\nb\r\nc\rd")), QStringLiteral("a\r\nb\r\nc\r\nd"));
    }

    // Rows written by other programs open, and an untouched save keeps them.
    void foreignRowsOpenAndKeepTheirValues_data()
    {
        QTest::addColumn<QString>("values");
        QTest::addColumn<bool>("blankDates");
        QTest::addColumn<int>("shownPriority");
        QTest::addColumn<bool>("shownDone");
        // datum, dat_hatid, rovid, ugyfel, ugyfel_nev, fontos, kesz, statusz, then the sort keys as stored
        QTest::newRow("no dates, no priority")
            << QStringLiteral("null, null, 'x', null, null, null, 'N', 0, 'X', '', '', ''") << true << -1 << false;
        QTest::newRow("status 5, empty done flag")
            << QStringLiteral("'2024-01-02', '2024-02-02', 'x', 1, 'Alfa Kft.', 1, '', 5, 'X', 'ALFA KFT.', '', ''")
            << false << 1 << true;
        QTest::newRow("priority 7, no done flag")
            << QStringLiteral("'2024-01-02', null, 'x', null, null, 7, null, null, 'X', '', '', ''") << false << -1 << true;
        QTest::newRow("negative priority, unknown flag")
            << QStringLiteral("null, '2024-02-02', 'x', null, null, -1, 'X', 2, 'X', '', '', ''") << true << -1 << true;
    }
    void foreignRowsOpenAndKeepTheirValues()
    {
        QFETCH(QString, values);
        QFETCH(bool, blankDates);
        QFETCH(int, shownPriority);
        QFETCH(bool, shownDone);
        AppFixture f;
        f.makeDb(QStringLiteral("insert into dolog3 (dolog3, datum, dat_hatid, rovid, ugyfel, ugyfel_nev, fontos, kesz, "
                                "statusz, rovids, ugyfel_nevs, termek_nevs, projekt_nevs) values (3, %1);")
                     .arg(values));
        QVERIFY(f.start());
        openTasksAt(3);
        const QVariantList before = taskRow(f, 3);
        answerEditor([&](EntryEditor *e) {
            if (blankDates) {
                QVERIFY(child<DateField>(e, "edDatum")->isBlank() || child<DateField>(e, "edHatid")->isBlank());
                QVERIFY(child<DateField>(e, "edDatum")->text().trimmed().isEmpty()
                        || child<DateField>(e, "edHatid")->text().trimmed().isEmpty());
            }
            QCOMPARE(child<PriorityChooser>(e, "cbFontos")->value(), shownPriority);
            QCOMPARE(child<QCheckBox>(e, "cbKesz")->isChecked(), shownDone);
            clickOk(e);
        });
        EditTask(false, LinkCustomer, -1, QString());
        QVERIFY(!Shared().TblFeladat->isEditing());
        QCOMPARE(taskRow(f, 3), before);
    }

    void anEmptyDateTakesWhatTheUserEnters()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("insert into dolog3 (dolog3, rovid, kesz) values (3, 'x', 'N');"));
        QVERIFY(f.start());
        openTasksAt(3);
        answerEditor([&](EntryEditor *e) {
            auto *deadline = child<DateField>(e, "edHatid");
            QVERIFY(deadline->isBlank());
            deadline->setFocus();
            QTest::keyClick(deadline, Qt::Key_Up);   // the first step lands on today
            QCOMPARE(deadline->date(), QDate::currentDate());
            QTest::keyClick(deadline, Qt::Key_Up);
            clickOk(e);
        });
        EditTask(false, LinkCustomer, -1, QString());
        QVERIFY(!taskField(f, 3, "datum").isValid());
        QVERIFY(taskField(f, 3, "dat_hatid").toString() > dayText(QDate::currentDate()));
    }

    void pickersSetTheLinks()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kCustomers) + QString::fromUtf8(kTask));
        QVERIFY(f.start());
        openTasksAt(5);
        answerEditor([&](EntryEditor *e) {
            // A cancelled picker changes nothing.
            testhooks::onNextDialog([](QDialog *d) { d->reject(); });
            child<QToolButton>(e, "btUgyfel")->click();
            QCOMPARE(child<QLineEdit>(e, "edUgyfel")->text(), QStringLiteral("Alfa Kft."));
            testhooks::onNextDialog([](QDialog *d) {
                auto *picker = qobject_cast<Tfrm_Valaszt *>(d);
                QVERIFY(picker);
                QVERIFY(picker->table()->locate(QStringLiteral("ugyfel"), 2));
                actionOf(picker, QStringLiteral("aElfogad"))->trigger();
            });
            child<QToolButton>(e, "btUgyfel")->click();
            QCOMPARE(child<QLineEdit>(e, "edUgyfel")->text(), QStringLiteral("Élelmiszer Zrt."));
            clickOk(e);
        });
        EditTask(false, LinkCustomer, -1, QString());
        QCOMPARE(taskField(f, 5, "ugyfel"), QVariant(2));
        QCOMPARE(taskField(f, 5, "ugyfel_nev").toString(), QStringLiteral("Élelmiszer Zrt."));
        QCOMPARE(taskField(f, 5, "ugyfel_nevs").toString(), QStringLiteral("ELELMISZER ZRT."));
        QCOMPARE(taskField(f, 5, "termek_nev").toString(), QStringLiteral("Csavar"));
    }

    void aFailedSaveKeepsTheDialogAndTheEdits()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        bool keptOpen = false;
        answerEditor([&](EntryEditor *e) {
            retype(child<QLineEdit>(e, "edRovid"), QStringLiteral("másodszorra"));
            Db1()->executeDirect(QStringLiteral("alter table dolog3 rename to dolog3_el"));
            clickOk(e);
            keptOpen = e->isVisible();
            QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Zentavo"));
            QCOMPARE(e->table()->mode(), zdb::RecordSet::Mode::Inserting);
            QCOMPARE(child<QLineEdit>(e, "edRovid")->text(), QStringLiteral("másodszorra"));
            Db1()->executeDirect(QStringLiteral("alter table dolog3_el rename to dolog3"));
            clickOk(e);
            QVERIFY(!e->isVisible());
        });
        EditTask(true, -1, -1, QString());
        QVERIFY(keptOpen);
        QCOMPARE(dbCount(f.dbPath(), QStringLiteral("dolog3")), 1);
        QCOMPARE(taskField(f, 1, "rovid").toString(), QStringLiteral("másodszorra"));
    }

    void keyboardWalksTheTabOrder()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        answerEditor([&](EntryEditor *e) {
            // Enter walks the inputs; the read-only texts and the done box are skipped.
            QStringList walked{QApplication::focusWidget()->objectName()};
            for (int i = 0; i < 3; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                walked << QApplication::focusWidget()->objectName();
            }
            for (int i = 0; i < 5; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                walked << QApplication::focusWidget()->objectName();
            }
            QCOMPARE(walked, QStringList({"edDatum", "edHatid", "edRovid", "btUgyfel", "btTermek", "btProjekt",
                                          "btFileban", "cbFontos", "btOK"}));
            QVERIFY(e->isVisible());
            auto *editor = child<DescriptionEditor>(e, "edLeiras");
            child<QTabWidget>(e, "PageControl1")->setCurrentIndex(1);
            editor->setFocus();
            QTest::keyClicks(editor, QStringLiteral("a"));
            QTest::keyClick(editor, Qt::Key_Return);
            QTest::keyClicks(editor, QStringLiteral("b"));
            QCOMPARE(editor->plainText(), QStringLiteral("a\r\nb"));
            clickOk(e);
        });
        EditTask(true, -1, -1, QString());
        QCOMPARE(taskField(f, 1, "leiras").toString(), QStringLiteral("a\r\nb"));
    }
};

QTEST_MAIN(TestTaskEditor)
#include "tst_taskeditor.moc"

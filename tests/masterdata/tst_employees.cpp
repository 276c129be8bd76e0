// The employees dialog of a customer and its editor.

#include "tests/app/appfixture.h"

#include "app/modules.h"

#include "masterdata/employees.h"
#include "masterdata/entries.h"
#include "scheduling/entries.h"

#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"

#include "db/recordset.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

namespace {

const char *const kData = R"(
INSERT INTO ugyfel (ugyfel, ugyfelkod, ugyfel_nev, vanmegj, ugyfel_nevs) VALUES
 (1, 1, 'Kovács Bt.', 'N', 'KOVACS BT.'), (2, 2, 'Üres Kft.', 'N', 'URES KFT.');
INSERT INTO alkalmazott (alkalmazott, ugyfel, alkalmazott_nev, emil, telefon, alkalmazott_nevs) VALUES
 (1, 1, 'Őrség', 'orseg@pelda.hu', '30', 'ORSEG'),
 (2, 1, 'Ábel', NULL, '10', 'ABEL'),
 (3, 1, 'Osztályvezető', '', '20', 'OSZTALYVEZETO'),
 (4, 1, 'Péter', 'p@pelda.hu', NULL, 'PETER'),
 (5, 3, 'Másik cégé', NULL, NULL, 'MASIK CEGE');
)";

QStringList names(zdb::RecordSet *rs)
{
    QStringList out;
    for (int r = 0; r < rs->recordCount(); ++r)
        out << rs->valueAt(r, QStringLiteral("alkalmazott_nev")).toString();
    return out;
}

// Opens the dialog of a customer and runs `body` on it while it is shown.
void withEmployees(int customerId, const QString &name, const std::function<void(Tfrm_Alkalmazott *)> &body)
{
    bool ran = false;
    testhooks::onNextDialog([&](QDialog *d) {
        auto *w = qobject_cast<Tfrm_Alkalmazott *>(d);
        QVERIFY(w);
        ran = true;
        body(w);
        d->close();
    });
    ShowEmployees(customerId, name);
    QVERIFY(ran);
}

} // namespace

class TestEmployees : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> f;
    QVariant db(const QString &sql) const { return testenv::storedValue(f->dbPath(), sql); }

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

    void listsTheCustomersEmployeesByTheirSortKeys()
    {
        withEmployees(1, QStringLiteral("Kovács Bt."), [](Tfrm_Alkalmazott *w) {
            QCOMPARE(w->objectName(), QStringLiteral("frm_Alkalmazott"));
            QCOMPARE(w->windowTitle(), QStringLiteral("Alkalmazottak"));
            // Őrség and Osztályvezető together under O.
            QCOMPARE(names(w->recordSet()), QStringList({"Ábel", "Őrség", "Osztályvezető", "Péter"}));
            QCOMPARE(w->grid()->recordSetModel()->shadedColumn(), 0);
            QCOMPARE(w->aUj->statusTip(), QStringLiteral("Új alkalmazott"));
            QCOMPARE(w->aTorol->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));

            // The search finds the plain name, ignoring case.
            w->searchBox()->setText(QStringLiteral("os"));
            QCOMPARE(w->recordSet()->text(QStringLiteral("alkalmazott_nev")), QStringLiteral("Osztályvezető"));
            // Sorting by telefon stays on the same employee.
            w->sorter()->sortByColumn(w->grid()->columnOfField(QStringLiteral("telefon")), true);
            QCOMPARE(w->recordSet()->text(QStringLiteral("alkalmazott_nev")), QStringLiteral("Osztályvezető"));
            QCOMPARE(names(w->recordSet()), QStringList({"Péter", "Ábel", "Osztályvezető", "Őrség"}));
        });
    }

    void newEmployeeBelongsToTheCustomerAndAnEmptyListDisablesRowCommands()
    {
        withEmployees(2, QStringLiteral("Üres Kft."), [](Tfrm_Alkalmazott *w) {
            QVERIFY(w->recordSet()->isEmpty());
            QVERIFY(!w->aSzerkeszt->isEnabled());
            QVERIFY(!w->aTorol->isEnabled());
            testhooks::onNextDialog([](QDialog *d) {
                QCOMPARE(d->objectName(), QStringLiteral("frm_Alkalmazott_Szerkeszt"));
                QCOMPARE(d->windowTitle(), QStringLiteral("Alkalmazott"));
                d->findChild<QLineEdit *>(QStringLiteral("edNev"))->setText(QStringLiteral("Új Ember"));
                d->findChild<QLineEdit *>(QStringLiteral("edTelefon"))->setText(QStringLiteral("06 1 234"));
                d->findChild<QPushButton *>(QStringLiteral("btOK"))->click();
            });
            w->aUj->trigger();
            QCOMPARE(names(w->recordSet()), QStringList({"Új Ember"}));
            QVERIFY(w->aSzerkeszt->isEnabled());
        });
        QCOMPARE(db(QStringLiteral("SELECT ugyfel FROM alkalmazott WHERE alkalmazott_nev='Új Ember'")).toInt(), 2);
        QCOMPARE(db(QStringLiteral("SELECT alkalmazott FROM alkalmazott WHERE alkalmazott_nev='Új Ember'")).toInt(), 6);
        QCOMPARE(db(QStringLiteral("SELECT alkalmazott_nevs FROM alkalmazott WHERE alkalmazott=6")).toString(),
                 QStringLiteral("UJ EMBER"));
    }

    void editAndDeleteTheSelectedEmployee()
    {
        withEmployees(1, QStringLiteral("Kovács Bt."), [](Tfrm_Alkalmazott *w) {
            QVERIFY(w->recordSet()->locate(QStringLiteral("alkalmazott"), 4));
            testhooks::onNextDialog([](QDialog *d) {
                auto *e = qobject_cast<Tfrm_Alkalmazott_Szerkeszt *>(d);
                QCOMPARE(e->edNev->text(), QStringLiteral("Péter"));
                e->edEmil->setText(QStringLiteral("uj@pelda.hu"));
                e->okButton()->click();
            });
            w->aSzerkeszt->trigger();
            testhooks::setNextAnswer(true);
            QVERIFY(w->recordSet()->locate(QStringLiteral("alkalmazott"), 2));
            w->aTorol->trigger();
            QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Valóban töröljem a sort?"));
            QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Megerősítés"));
        });
        QCOMPARE(db(QStringLiteral("SELECT emil FROM alkalmazott WHERE alkalmazott=4")).toString(), QStringLiteral("uj@pelda.hu"));
        QVERIFY(!db(QStringLiteral("SELECT alkalmazott FROM alkalmazott WHERE alkalmazott=2")).isValid());
        // The untouched empty string stays empty, not NULL.
        QCOMPARE(db(QStringLiteral("SELECT typeof(emil) FROM alkalmazott WHERE alkalmazott=3")).toString(), QStringLiteral("text"));
    }

    void htmlExportCarriesTheCustomerNameAsSubtitle()
    {
        QString pagePath;
        withEmployees(1, QStringLiteral("Kovács Bt."), [&](Tfrm_Alkalmazott *w) {
            testhooks::onNextDialog([&](QDialog *d) {
                d->findChild<QCheckBox *>(QStringLiteral("cbMegnyit"))->setChecked(false);
            pagePath = d->findChild<QLineEdit *>(QStringLiteral("edFajl"))->text();
                d->findChild<QPushButton *>(QStringLiteral("btOK"))->click();
            });
            w->aHtml->trigger();
        });
        const QByteArray page = testenv::fileBytes(pagePath);
        QVERIFY(page.contains("Alkalmazottak"));
        QVERIFY(page.contains(zdb::toCp1250(u"Kovács Bt.")));
        QVERIFY(page.contains(zdb::toCp1250(u"Osztályvezető")));
        QVERIFY(!page.contains(zdb::toCp1250(u"Másik cégé")));
    }
};

QTEST_MAIN(TestEmployees)
#include "tst_employees.moc"

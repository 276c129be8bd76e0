// The customer, product and project pickers: where they open, what they
// return, quick search, title-click sorting and the closed-project filter.

#include "tests/app/appfixture.h"
#include "app/helpers/datagrid.h"
#include "scheduling/entries.h"
#include "scheduling/pickers.h"

#include "db/recordset.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

namespace {

// Customers in name order: Alfa (1), Béta (2), Kovács (12), Zeta (3);
// in phone order: 1, 3, 12, 2. Projects: 2 is closed.
const char *const kDemoSql = R"(
insert into ugyfel (ugyfel, ugyfelkod, ugyfel_nev, kapcsolattarto, telefon, emil) values
  (1, 101, 'Alfa Kft.', 'Nagy Éva', '06-1-555-0101', 'info@alfa.hu'),
  (2, 102, 'Béta Zrt.', 'Kiss Ádám', '06-30-111-2222', 'beta@beta.hu'),
  (12, 112, 'Kovács és Társa Bt.', 'Kovács Péter', '06-20-333-4444', 'kovacs@kt.hu'),
  (3, 103, 'Zeta Bt.', 'Szabó Anna', '06-1-999-0000', null);
insert into projekt (projekt, projekt_nev, dat_indul, dat_lezar, lezarva) values
  (1, 'Alma projekt', '2024-01-10', null, 'N'),
  (2, 'Bérház felújítás', '2023-03-01', '2023-12-31', 'I'),
  (3, 'Csatorna', '2024-05-01', null, 'N');
)";

// Answers the next picker with the given steps, run once it is shown and active.
void answerPicker(std::function<void(Tfrm_Valaszt *)> steps)
{
    testhooks::onNextDialog([steps](QDialog *d) {
        auto *dlg = qobject_cast<Tfrm_Valaszt *>(d);
        QVERIFY(dlg);
        dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dlg));
        steps(dlg);
    });
}

// Types text as key presses, accented letters included.
void typeText(QWidget *w, const QString &text)
{
    for (const QChar c : text) {
        const auto key = Qt::Key(c.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Press, w, key, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, w, key, QString(c), Qt::NoModifier);
    }
}

void clickOk(Tfrm_Valaszt *dlg)
{
    actionOf(dlg, QStringLiteral("aElfogad"))->trigger();
}

int currentId(Tfrm_Valaszt *dlg)
{
    return dlg->chosenId();
}

QList<int> listedIds(Tfrm_Valaszt *dlg)
{
    QList<int> ids;
    zdb::RecordSet *rs = dlg->table();
    for (int r = 0; r < rs->recordCount(); ++r)
        ids << rs->valueAt(r, dlg->kind().idField).toInt();
    return ids;
}

void clickTitle(DataGrid *grid, const QString &field)
{
    QHeaderView *hh = grid->horizontalHeader();
    const int col = grid->columnOfField(field);
    QVERIFY(col >= 0);
    const QPoint at(hh->sectionViewportPosition(col) + hh->sectionSize(col) / 2, hh->height() / 2);
    QTest::mouseClick(hh->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initAppTests(); }

    void opensOnTheCurrentLink_data()
    {
        QTest::addColumn<int>("given");
        QTest::addColumn<bool>("withEmail");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("name");
        QTest::newRow("linked customer") << 12 << false << 12 << QStringLiteral("Kovács és Társa Bt.");
        QTest::newRow("no link: first by name") << 0 << false << 1 << QStringLiteral("Alfa Kft.");
        QTest::newRow("negative: first by name") << -5 << false << 1 << QStringLiteral("Alfa Kft.");
        QTest::newRow("unknown id: last row") << 99 << false << 3 << QStringLiteral("Zeta Bt.");
        QTest::newRow("with e-mail, linked") << 2 << true << 2 << QStringLiteral("Béta Zrt.");
        QTest::newRow("with e-mail always locates 0") << 0 << true << 3 << QStringLiteral("Zeta Bt.");
    }
    void opensOnTheCurrentLink()
    {
        QFETCH(int, given);
        QFETCH(bool, withEmail);
        QFETCH(int, chosen);
        QFETCH(QString, name);
        AppFixture f;
        f.makeDb(QString::fromUtf8(kDemoSql));
        QVERIFY(f.start());

        int seen = -2;
        answerPicker([&](Tfrm_Valaszt *dlg) {
            QCOMPARE(dlg->objectName(), QStringLiteral("frm_UgyfelValaszt"));
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Ügyfél választás"));
            seen = currentId(dlg);
            QCOMPARE(dlg->grid()->currentIndex().row(), dlg->table()->currentRow());
            clickOk(dlg);
        });
        QString gotName = QStringLiteral("unchanged");
        QString email = QStringLiteral("unchanged");
        const int id = withEmail ? PickCustomerWithEmail(given, gotName, email) : PickCustomer(given, gotName);
        QCOMPARE(seen, chosen);
        QCOMPARE(id, chosen);
        QCOMPARE(gotName, name);
        if (withEmail) {
            // Zeta has no address: it comes back empty.
            QCOMPARE(email, chosen == 2 ? QStringLiteral("beta@beta.hu") : QString());
        } else {
            QCOMPARE(email, QStringLiteral("unchanged"));
        }
        QCOMPARE(testhooks::pendingDialogCallbacks(), 0);
    }

    void cancelLeavesTheCallersValues_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Mégsem") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("window frame") << 2;
    }
    void cancelLeavesTheCallersValues()
    {
        QFETCH(int, how);
        AppFixture f;
        f.makeDb(QString::fromUtf8(kDemoSql));
        QVERIFY(f.start());

        answerPicker([how](Tfrm_Valaszt *dlg) {
            // Arrow keys in the search box walk the list: a different row is current now.
            QTest::keyClick(dlg->searchBox(), Qt::Key_Down);
            QCOMPARE(currentId(dlg), 2);
            QVERIFY(dlg->searchBox()->hasFocus());
            if (how == 0)
                actionOf(dlg, QStringLiteral("aBezar"))->trigger();
            else if (how == 1)
                QTest::keyClick(dlg->searchBox(), Qt::Key_Escape);
            else
                dlg->close();
            QVERIFY(!dlg->isVisible());
        });
        QString name = QStringLiteral("Régi név");
        QString email = QStringLiteral("regi@cim.hu");
        QCOMPARE(PickCustomerWithEmail(1, name, email), -1);
        QCOMPARE(name, QStringLiteral("Régi név"));
        QCOMPARE(email, QStringLiteral("regi@cim.hu"));
        QCOMPARE(testhooks::pendingDialogCallbacks(), 0);
        // The position is remembered however the dialog closed.
        QVERIFY(f.ini().contains(QStringLiteral("frm_UgyfelValaszt/Left")));
    }

    void okOnAnEmptyListGivesZero()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        answerPicker([](Tfrm_Valaszt *dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Termék választás"));
            QCOMPARE(dlg->table()->recordCount(), 0);
            clickOk(dlg);
        });
        QString name = QStringLiteral("régi");
        QCOMPARE(PickProduct(7, name), 0);
        QCOMPARE(name, QString());
    }

    void quickSearchIgnoresCaseAndEnterChooses_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("chosen");
        QTest::newRow("lower") << QStringLiteral("kov") << 12;
        QTest::newRow("upper") << QStringLiteral("KOV") << 12;
        QTest::newRow("mixed") << QStringLiteral("kOv") << 12;
        QTest::newRow("accented") << QStringLiteral("bé") << 2;
        QTest::newRow("one letter") << QStringLiteral("z") << 3;
    }
    void quickSearchIgnoresCaseAndEnterChooses()
    {
        QFETCH(QString, typed);
        QFETCH(int, chosen);
        AppFixture f;
        f.makeDb(QString::fromUtf8(kDemoSql));
        QVERIFY(f.start());
        answerPicker([&](Tfrm_Valaszt *dlg) {
            QVERIFY(dlg->searchBox()->hasFocus());
            typeText(dlg->searchBox(), typed);
            QCOMPARE(currentId(dlg), chosen);
            QCOMPARE(dlg->grid()->currentIndex().row(), dlg->table()->currentRow());
            QTest::keyClick(dlg->searchBox(), Qt::Key_Return);
            QVERIFY(!dlg->isVisible());
        });
        QString name;
        QCOMPARE(PickCustomer(0, name), chosen);
        QVERIFY(!name.isEmpty());
    }

    // Names order by their folded sort key, as the lists do; typed text that
    // finds nothing makes Enter choose nothing until the user walks to a row.
    void sortKeyOrderAndEnterWithoutMatch()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("insert into ugyfel (ugyfel, ugyfel_nev, ugyfel_nevs) values"
                                " (1, 'Alfa Kft.', 'ALFA KFT.'), (2, 'Ábel Bt.', 'ABEL BT.'), (3, 'Zeta Bt.', 'ZETA BT.'),"
                                " (4, 'Ügyes Kezek Kft.', 'UGYES KEZEK KFT.'), (5, 'Óvári Kft.', 'OVARI KFT.');"));
        QVERIFY(f.start());
        answerPicker([](Tfrm_Valaszt *dlg) {
            QCOMPARE(listedIds(dlg), (QList<int>{2, 1, 5, 4, 3}));
            typeText(dlg->searchBox(), QStringLiteral("óbu"));
            QCOMPARE(currentId(dlg), 5);   // "ó" found Óvári; "óbu" finds nothing and the row stays
            QTest::keyClick(dlg->searchBox(), Qt::Key_Return);
            QVERIFY(dlg->isVisible());
            dlg->searchBox()->clear();
            typeText(dlg->searchBox(), QStringLiteral("ova"));   // accents fold as the key does
            QCOMPARE(currentId(dlg), 5);
            dlg->searchBox()->clear();
            typeText(dlg->searchBox(), QStringLiteral("ügy"));
            QCOMPARE(currentId(dlg), 4);
            QTest::keyClick(dlg->searchBox(), Qt::Key_Return);
            QVERIFY(!dlg->isVisible());
        });
        QString name;
        QCOMPARE(PickCustomer(0, name), 4);

        // A row the user walks to after a failed search is their choice.
        answerPicker([](Tfrm_Valaszt *dlg) {
            typeText(dlg->searchBox(), QStringLiteral("óbu"));
            QTest::keyClick(dlg->searchBox(), Qt::Key_Down);
            QCOMPARE(currentId(dlg), 4);
            QTest::keyClick(dlg->searchBox(), Qt::Key_Return);
            QVERIFY(!dlg->isVisible());
        });
        QCOMPARE(PickCustomer(0, name), 4);
    }

    void titleClickSortsAndSearchFollows()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kDemoSql));
        QVERIFY(f.start());
        answerPicker([](Tfrm_Valaszt *dlg) {
            DataGrid *grid = dlg->grid();
            QCOMPARE(dlg->sortField(), QStringLiteral("ugyfel_nev"));
            QCOMPARE(grid->recordSetModel()->shadedColumn(), grid->columnOfField(QStringLiteral("ugyfel_nev")));
            QCOMPARE(listedIds(dlg), (QList<int>{1, 2, 12, 3}));

            grid->setFocus();
            clickTitle(grid, QStringLiteral("telefon"));
            QCOMPARE(dlg->sortField(), QStringLiteral("telefon"));
            QCOMPARE(listedIds(dlg), (QList<int>{1, 3, 12, 2}));
            QCOMPARE(currentId(dlg), 12);                       // the same customer stays current
            QCOMPARE(grid->recordSetModel()->shadedColumn(), grid->columnOfField(QStringLiteral("telefon")));
            QVERIFY(dlg->searchBox()->hasFocus());

            typeText(dlg->searchBox(), QStringLiteral("06-3"));
            QCOMPARE(currentId(dlg), 2);
            clickOk(dlg);
        });
        QString name;
        QCOMPARE(PickCustomer(12, name), 2);
        QCOMPARE(name, QStringLiteral("Béta Zrt."));

        // The sort is not remembered between calls.
        answerPicker([](Tfrm_Valaszt *dlg) {
            QCOMPARE(dlg->sortField(), QStringLiteral("ugyfel_nev"));
            QCOMPARE(listedIds(dlg), (QList<int>{1, 2, 12, 3}));
        });
        QCOMPARE(PickCustomer(0, name), -1);
    }

    void doubleClickChooses()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kDemoSql));
        QVERIFY(f.start());
        answerPicker([](Tfrm_Valaszt *dlg) {
            DataGrid *grid = dlg->grid();
            const QRect cell = grid->visualRect(grid->model()->index(2, 0));   // Kovács
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            QVERIFY(!dlg->isVisible());
        });
        QString name;
        QCOMPARE(PickCustomer(0, name), 12);
        QCOMPARE(name, QStringLiteral("Kovács és Társa Bt."));
    }

    void projectFilterHidesClosedProjects()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kDemoSql));
        QVERIFY(f.start());
        answerPicker([](Tfrm_Valaszt *dlg) {
            QAction *aSzur = actionOf(dlg, QStringLiteral("aSzur"));
            QVERIFY(aSzur && aSzur->isChecked());
            QCOMPARE(listedIds(dlg), (QList<int>{1, 3}));
            QCOMPARE(currentId(dlg), 3);   // the linked closed project is not listed: the locate ends on the last row

            QTest::keyClick(dlg->searchBox(), Qt::Key_F8);
            QVERIFY(!aSzur->isChecked());
            QCOMPARE(listedIds(dlg), (QList<int>{1, 2, 3}));
            QCOMPARE(currentId(dlg), 1);   // the first row after a switch

            // The closed project is drawn grey, and yellow while selected; open ones normally.
            RecordSetModel *model = dlg->grid()->recordSetModel();
            const QModelIndex closed = model->index(1, 0);
            const QModelIndex open = model->index(0, 0);
            QCOMPARE(closed.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(128, 128, 128));
            QCOMPARE(closed.data(RecordSetModel::SelectedForegroundRole).value<QColor>(), QColor(255, 255, 0));
            QVERIFY(!open.data(Qt::ForegroundRole).isValid());
            QVERIFY(!open.data(RecordSetModel::SelectedForegroundRole).isValid());

            typeText(dlg->searchBox(), QStringLiteral("bér"));
            QCOMPARE(currentId(dlg), 2);

            QTest::keyClick(dlg->searchBox(), Qt::Key_F8);
            QVERIFY(aSzur->isChecked());
            QCOMPARE(listedIds(dlg), (QList<int>{1, 3}));
            QCOMPARE(currentId(dlg), 1);
            clickOk(dlg);
        });
        QString name;
        QCOMPARE(PickProject(2, name), 1);
        QCOMPARE(name, QStringLiteral("Alma projekt"));

        // Every call starts filtered again.
        answerPicker([](Tfrm_Valaszt *dlg) {
            QVERIFY(actionOf(dlg, QStringLiteral("aSzur"))->isChecked());
            QCOMPARE(listedIds(dlg), (QList<int>{1, 3}));
        });
        QCOMPARE(PickProject(0, name), -1);
    }
};

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"

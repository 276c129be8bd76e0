// The related tasks and calendar views of a customer, product or project.

#include "tests/app/appfixture.h"

#include "app/modules.h"

#include "masterdata/entries.h"
#include "masterdata/related.h"
#include "scheduling/entries.h"

#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"

#include "db/recordset.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

namespace {

// Customer 1: three open and two done tasks; product 7 on two of them.
const char *const kData = R"(
INSERT INTO dolog3 (dolog3, datum, dat_hatid, rovid, leiras, ugyfel, ugyfel_nev, termek, termek_nev, projekt, projekt_nev, kesz) VALUES
 (1, '2008-03-01', '2008-04-01', 'Árajánlat', 'Leírás', 1, 'Kovács Bt.', 7, 'Csavar', NULL, NULL, 'N'),
 (2, '2008-03-02', '2008-03-15', 'Bemutató', NULL, 1, 'Kovács Bt.', NULL, NULL, 3, 'Átadás', 'N'),
 (3, '2008-03-03', '2008-05-01', 'Ajándék', '', 1, 'Kovács Bt.', 7, 'Csavar', NULL, NULL, 'N'),
 (4, '2008-01-01', '2008-02-01', 'Régi', NULL, 1, 'Kovács Bt.', NULL, NULL, NULL, NULL, 'I'),
 (5, '2008-01-02', NULL, 'Kész munka', NULL, 1, 'Kovács Bt.', NULL, NULL, NULL, NULL, ''),
 (6, '2008-03-01', '2008-03-02', 'Másé', NULL, 2, 'Más Kft.', NULL, NULL, NULL, NULL, 'N');
INSERT INTO dolog1 (dolog1, datum, datumstr, ora, rovid, leiras, ugyfel, ugyfel_nev, termek, termek_nev, kesz) VALUES
 (1, '2008-03-03', '20080303', 9, 'Tárgyalás', 'Hosszú', 1, 'Kovács Bt.', 7, 'Csavar', 'N'),
 (2, '2008-03-04', '20080304', 25, 'Késő', NULL, 1, 'Kovács Bt.', NULL, NULL, 'N'),
 (3, '2008-03-05', '20080305', -1, 'Korai', NULL, 1, 'Kovács Bt.', NULL, NULL, 'N'),
 (4, '2008-03-06', '20080306', 'abc', 'Furcsa', NULL, 1, 'Kovács Bt.', NULL, NULL, 'N'),
 (9, '2008-03-02', '20080302', 8, 'Előbb', NULL, 1, 'Kovács Bt.', NULL, NULL, 'N');
)";

QList<int> ids(zdb::RecordSet *rs, const char *idField)
{
    QList<int> out;
    for (int r = 0; r < rs->recordCount(); ++r)
        out << rs->valueAt(r, QString::fromLatin1(idField)).toInt();
    return out;
}

template<class View>
void withView(void (*entry)(int, int), int linkKind, int id, const std::function<void(View *)> &body)
{
    bool ran = false;
    testhooks::onNextDialog([&](QDialog *d) {
        auto *v = qobject_cast<View *>(d);
        QVERIFY(v);
        ran = true;
        body(v);
        d->close();
    });
    entry(linkKind, id);
    QVERIFY(ran);
}

QString genText(zdb::RecordSet *rs)
{
    return rs->text(QStringLiteral("genszoveg"));
}

} // namespace

class TestRelated : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

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

    void tasksOpenByDeadlineAndF8ShowsAll()
    {
        withView<Tfrm_Ugyfel_feladat>(ShowRelatedTasks, LinkCustomer, 1, [](Tfrm_Ugyfel_feladat *v) {
            QCOMPARE(v->objectName(), QStringLiteral("frm_Ugyfel_feladat"));
            QCOMPARE(v->windowTitle(), QStringLiteral("Feladatok"));
            QCOMPARE(zdb::ShowBound({v->recordSet()->filter(), v->recordSet()->filterParams(), {}}), QStringLiteral("(ugyfel=1) and (kesz='N')"));
            QCOMPARE(ids(v->recordSet(), "dolog3"), (QList<int>{2, 1, 3}));
            QCOMPARE(v->headerLabel()->text(), QStringLiteral("ügyfél"));
            QCOMPARE(v->headerName()->text(), QStringLiteral("Kovács Bt."));
            QVERIFY(v->aSzur->isChecked());
            QCOMPARE(v->aSzur->shortcut(), QKeySequence(Qt::Key_F8));

            v->aSzur->trigger();
            QVERIFY(!v->aSzur->isChecked());
            QCOMPARE(zdb::ShowBound({v->recordSet()->filter(), v->recordSet()->filterParams(), {}}), QStringLiteral("(ugyfel=1)"));
            // A missing deadline sorts first; the task of customer 2 never shows.
            QCOMPARE(ids(v->recordSet(), "dolog3"), (QList<int>{5, 4, 2, 1, 3}));
            QVERIFY(genText(v->recordSet()).contains(QStringLiteral("elkészült : Igen")));
            v->aSzur->trigger();
            QCOMPARE(v->recordSet()->recordCount(), 3);

            // "rövid" sorts by the stored text, not by a sort key.
            v->sorter()->sortByColumn(v->grid()->columnOfField(QStringLiteral("rovid")), true);
            QCOMPARE(static_cast<zdb::Table *>(v->recordSet())->order(), QStringLiteral("rovid"));
            QCOMPARE(ids(v->recordSet(), "dolog3"), (QList<int>{3, 2, 1}));
        });
    }

    void taskTextHasItsOwnLinesAndIsCut()
    {
        testenv::execSql(f->dbPath(), QStringLiteral("UPDATE dolog3 SET leiras='%1' WHERE dolog3=3").arg(QString(600, QLatin1Char('y'))));
        withView<Tfrm_Ugyfel_feladat>(ShowRelatedTasks, LinkCustomer, 1, [](Tfrm_Ugyfel_feladat *v) {
            QVERIFY(v->recordSet()->locate(QStringLiteral("dolog3"), 1));
            QCOMPARE(genText(v->recordSet()),
                     QStringLiteral("Árajánlat\r\nbeérkezett: 2008.03.01\r\nhatáridő  : 2008.04.01\r\n"
                                    "ügyfél    : Kovács Bt.\r\ntermék    : Csavar\r\nprojekt   : \r\n"
                                    "elkészült : Nem\r\n\r\nLeírás\r\n"));
            QVERIFY(v->textBox()->toPlainText().startsWith(QStringLiteral("Árajánlat\nbeérkezett: 2008.03.01\n")));
            QVERIFY(v->recordSet()->locate(QStringLiteral("dolog3"), 3));
            const QString cut = genText(v->recordSet());
            QCOMPARE(cut.size(), 512);
            QVERIFY(cut.endsWith(QLatin1Char('y')));
        });
    }

    void productViewsNameTheProductInTasksAndTheCustomerInTheCalendar()
    {
        withView<Tfrm_Ugyfel_feladat>(ShowRelatedTasks, LinkProduct, 7, [](Tfrm_Ugyfel_feladat *v) {
            QCOMPARE(zdb::ShowBound({v->recordSet()->filter(), v->recordSet()->filterParams(), {}}), QStringLiteral("(termek=7) and (kesz='N')"));
            QCOMPARE(ids(v->recordSet(), "dolog3"), (QList<int>{1, 3}));
            QCOMPARE(v->headerLabel()->text(), QStringLiteral("termék:"));
            QCOMPARE(v->headerName()->text(), QStringLiteral("Csavar"));
        });
        withView<Tfrm_Ugyfel_feladat>(ShowRelatedTasks, LinkProject, 3, [](Tfrm_Ugyfel_feladat *v) {
            QCOMPARE(v->headerLabel()->text(), QStringLiteral("projekt:"));
            QCOMPARE(v->headerName()->text(), QStringLiteral("Átadás"));
        });
        QString pagePath;
        withView<Tfrm_Ugyfel_naptar>(ShowRelatedCalendar, LinkProduct, 7, [&](Tfrm_Ugyfel_naptar *v) {
            QCOMPARE(v->objectName(), QStringLiteral("frm_Ugyfel_naptar"));
            QCOMPARE(v->headerLabel()->text(), QStringLiteral("ügyfél"));
            QCOMPARE(v->headerName()->text(), QStringLiteral("Kovács Bt."));
            // The print subtitle is the product's name.
            testhooks::onNextDialog([&](QDialog *d) {
                d->findChild<QCheckBox *>(QStringLiteral("cbMegnyit"))->setChecked(false);
            pagePath = d->findChild<QLineEdit *>(QStringLiteral("edFajl"))->text();
                d->findChild<QPushButton *>(QStringLiteral("btOK"))->click();
            });
            v->aHtml->trigger();
        });
        const QByteArray page = testenv::fileBytes(pagePath);
        QVERIFY2(page.contains("Csavar"), page.left(400).constData());
    }

    void calendarTextCarriesTheHourAlsoOutOfRange()
    {
        withView<Tfrm_Ugyfel_naptar>(ShowRelatedCalendar, LinkCustomer, 1, [](Tfrm_Ugyfel_naptar *v) {
            // By date: the last row stored, with the largest identifier, comes
            // first for its earliest date.
            QCOMPARE(ids(v->recordSet(), "dolog1"), (QList<int>{9, 1, 2, 3, 4}));
            const struct
            {
                int id;
                const char *line;
            } cases[] = {{1, "dátum     : 2008.03.03 09:00\r\n"},
                         {2, "dátum     : 2008.03.04 25:00\r\n"},
                         {3, "dátum     : 2008.03.05 -1:00\r\n"},
                         {4, "dátum     : 2008.03.06 00:00\r\n"}};
            for (const auto &c : cases) {
                QVERIFY(v->recordSet()->locate(QStringLiteral("dolog1"), c.id));
                QVERIFY2(genText(v->recordSet()).contains(QString::fromUtf8(c.line)), qPrintable(genText(v->recordSet())));
            }
            QVERIFY(v->recordSet()->locate(QStringLiteral("dolog1"), 1));
            QVERIFY(genText(v->recordSet()).startsWith(QStringLiteral("Tárgyalás\r\ndátum     : ")));
            // The grid shows the rows in the same order, each with its own texts,
            // and paints them.
            const QStringList rovid{QStringLiteral("Előbb"), QStringLiteral("Tárgyalás"), QStringLiteral("Késő"),
                                    QStringLiteral("Korai"), QStringLiteral("Furcsa")};
            QAbstractItemModel *model = v->grid()->model();
            QCOMPARE(model->rowCount(), int(rovid.size()));
            for (int r = 0; r < model->rowCount(); ++r)
                QCOMPARE(model->index(r, 3).data().toString(), rovid[r]);
            QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("9"));
            QVERIFY(!v->grid()->grab().isNull());
        });
    }

    void anEmptyListHasAnEmptyHeaderAndSubtitle()
    {
        withView<Tfrm_Ugyfel_feladat>(ShowRelatedTasks, LinkCustomer, 99, [](Tfrm_Ugyfel_feladat *v) {
            QVERIFY(v->recordSet()->isEmpty());
            QCOMPARE(v->headerName()->text(), QString());
            QCOMPARE(v->textBox()->toPlainText(), QString());
            QStringList shown;
            testhooks::onNextDialog([&](QDialog *d) {
                shown << QString::fromLatin1(d->metaObject()->className());
                d->reject();
            });
            v->aNyomtatKep->trigger();
            QCOMPARE(shown, QStringList{QStringLiteral("QPrintPreviewDialog")});
            QVERIFY(testhooks::shownMessages().isEmpty());

            // The exported page carries an empty subtitle line.
            QString pagePath;
            testhooks::onNextDialog([&](QDialog *d) {
                d->findChild<QCheckBox *>(QStringLiteral("cbMegnyit"))->setChecked(false);
                pagePath = d->findChild<QLineEdit *>(QStringLiteral("edFajl"))->text();
                d->findChild<QPushButton *>(QStringLiteral("btOK"))->click();
            });
            v->aHtml->trigger();
            const QByteArray page = testenv::fileBytes(pagePath);
            QVERIFY2(page.contains("<p><strong><font face=\"Verdana\" size=\"1\"></font></strong></p>"),
                     page.left(600).constData());
        });
    }
};

QTEST_MAIN(TestRelated)
#include "tst_related.moc"

// The modal list dialog base through a small fixture dialog over the work
// entries of one task: sorting and shading, the output commands, row
// commands on an empty list and the remembered position.

#include "tests/app/appfixture.h"

#include "app/helpers/listdialog.h"

#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"
#include "db/catalog.h"
#include "db/codec.h"
#include "db/recordset.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

const char *const kData = R"(
INSERT INTO munka (munka, feladat, datum, rovid) VALUES
 (1, 7, '2026-01-03', 'Ajánlat'),
 (2, 7, '2026-01-01', 'Zárás'),
 (3, 8, '2026-01-02', 'Másik feladaté'),
 (4, 7, '2026-01-02', 'Egyeztetés');
)";

GridColumn column(const QString &field, const QString &title)
{
    GridColumn c;
    c.field = field;
    c.title = title;
    c.width = 90;
    return c;
}

// What a concrete dialog declares: its commands, its record set over one
// filter, the tool bar and the output title and subtitle.
class Tfrm_Proba : public ListDialog
{
public:
    explicit Tfrm_Proba(int task, bool search = false)
        : ListDialog(QStringLiteral("frm_Proba"), QStringLiteral("Végzett munkák"), QStringLiteral("munka"), nullptr)
    {
        aSzerkeszt = addCommand(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QStringLiteral("Szerkeszt"),
                                QKeySequence(Qt::Key_F2), QStringLiteral("szerkeszt"), [this] { ++edits; });
        auto *tbl = new zdb::Table(Db1());
        zdb::UseCatalogue(*tbl, QStringLiteral("munka"));
        showRecordSet(tbl, {column(QStringLiteral("datum"), QStringLiteral("dátum")),
                            column(QStringLiteral("rovid"), QStringLiteral("rövid"))});
        setToolBarCommands({aSzerkeszt, nullptr, aNyomtat, nullptr, aBezar});
        setActivateCommand(aSzerkeszt);
        setRowCommands({aSzerkeszt});
        if (search)
            addQuickSearch(QStringLiteral("rovid"));
        openFiltered(QStringLiteral("feladat=?"), {task});
    }
    QString outputSubtitle() const override { return QStringLiteral("Alcím"); }

    QAction *aSzerkeszt = nullptr;
    int edits = 0;
};

QStringList shortTexts(zdb::RecordSet *rs)
{
    QStringList out;
    for (int row = 0; row < rs->recordCount(); ++row)
        out << rs->textAt(row, rs->fieldIndex(QStringLiteral("rovid")));
    return out;
}

} // namespace

class TestListDialog : public QObject
{
    Q_OBJECT
    std::unique_ptr<AppFixture> f;

private Q_SLOTS:
    void initTestCase() { initAppTests(); }
    void init()
    {
        f = std::make_unique<AppFixture>();
        f->makeDb(QString::fromUtf8(kData));
        QVERIFY(f->start());
    }
    void cleanup() { f.reset(); }

    void listsOneFilterAndSortsByTitleClickWithShading()
    {
        Tfrm_Proba d(7);
        QCOMPARE(d.recordSet()->recordCount(), 3);
        DataGrid *g = d.grid();
        Q_EMIT g->titleClicked(g->columnOfField(QStringLiteral("rovid")));
        QCOMPARE(shortTexts(d.recordSet()),
                 QStringList({QStringLiteral("Ajánlat"), QStringLiteral("Egyeztetés"), QStringLiteral("Zárás")}));
        QCOMPARE(g->recordSetModel()->shadedColumn(), g->columnOfField(QStringLiteral("rovid")));
        Q_EMIT g->titleClicked(g->columnOfField(QStringLiteral("datum")));
        QCOMPARE(shortTexts(d.recordSet()),
                 QStringList({QStringLiteral("Zárás"), QStringLiteral("Egyeztetés"), QStringLiteral("Ajánlat")}));
        QCOMPARE(g->recordSetModel()->shadedColumn(), g->columnOfField(QStringLiteral("datum")));
        // The other task's entry never shows, whatever the order.
        QVERIFY(!shortTexts(d.recordSet()).contains(QStringLiteral("Másik feladaté")));
        // No sort label anywhere in the dialog.
        for (QLabel *label : d.findChildren<QLabel *>())
            QVERIFY(!label->text().startsWith(QStringLiteral("sorrend")));
    }

    // Another record set's write shows in the dialog without a command: the
    // current row, the order, the filter and the search text all stay.
    void refreshesItselfWhenItsTableIsWritten()
    {
        Tfrm_Proba d(7, true);
        DataGrid *g = d.grid();
        Q_EMIT g->titleClicked(g->columnOfField(QStringLiteral("rovid")));
        auto *search = d.findChild<QLineEdit *>(QStringLiteral("edKeres"));
        QVERIFY(search);
        search->setText(QStringLiteral("Egy"));
        zdb::RecordSet *rs = d.recordSet();
        QCOMPARE(rs->value(QStringLiteral("munka")).toInt(), 4);

        zdb::Table other(Db1());
        zdb::UseCatalogue(other, QStringLiteral("munka"));
        other.open();
        other.insert();
        other.setValue(QStringLiteral("feladat"), 7);
        other.setValue(QStringLiteral("datum"), QDate(2026, 1, 5));
        other.setValue(QStringLiteral("rovid"), QStringLiteral("Bejárás"));
        other.post();
        QVERIFY(other.locate(QStringLiteral("munka"), 2));
        other.edit();
        other.setValue(QStringLiteral("rovid"), QStringLiteral("Döntés"));
        other.post();
        // A row of the other task stays out.
        other.insert();
        other.setValue(QStringLiteral("feladat"), 8);
        other.setValue(QStringLiteral("rovid"), QStringLiteral("Nem ide"));
        other.post();

        QCOMPARE(shortTexts(rs), QStringList({QStringLiteral("Ajánlat"), QStringLiteral("Bejárás"),
                                              QStringLiteral("Döntés"), QStringLiteral("Egyeztetés")}));
        QCOMPARE(rs->value(QStringLiteral("munka")).toInt(), 4);
        QCOMPARE(g->currentIndex().row(), 3);
        QCOMPARE(search->text(), QStringLiteral("Egy"));
        QCOMPARE(rs->filterParams(), QVariantList{7});

        // A row being edited in the dialog is never reloaded under the user.
        rs->edit();
        rs->setValue(QStringLiteral("rovid"), QStringLiteral("Félkész"));
        other.edit();
        other.setValue(QStringLiteral("rovid"), QStringLiteral("Közben"));
        other.post();
        QCOMPARE(rs->text(QStringLiteral("rovid")), QStringLiteral("Félkész"));
        rs->cancel();
    }

    void quickSearchLocatesAndDoubleClickActivates()
    {
        Tfrm_Proba d(7, true);
        QVERIFY(d.searchBox());
        QCOMPARE(d.toolBar()->widgetForAction(d.toolBar()->actions().value(0)), d.searchBox());
        d.searchBox()->setText(QStringLiteral("egy"));
        QCOMPARE(d.recordSet()->text(QStringLiteral("rovid")), QStringLiteral("Egyeztetés"));
        Q_EMIT d.grid()->activated();
        QCOMPARE(d.edits, 1);
    }

    void emptyListDisablesRowCommands()
    {
        Tfrm_Proba d(99);
        QVERIFY(d.recordSet()->isEmpty());
        QVERIFY(!d.aSzerkeszt->isEnabled());
        Q_EMIT d.grid()->activated();
        QCOMPARE(d.edits, 0);
        // The output commands stay: an empty list prints as an empty list.
        QVERIFY(d.aNyomtat->isEnabled() && d.aHtml->isEnabled());
        Tfrm_Proba full(7);
        QVERIFY(full.aSzerkeszt->isEnabled());
    }

    void printMenuReachesTheOutputEntries()
    {
        Tfrm_Proba d(7);
        auto *button = d.findChild<QToolButton *>(QStringLiteral("NyomtatButton"));
        QVERIFY(button && button->menu());
        QCOMPARE(button->defaultAction(), d.aNyomtat);
        QCOMPARE(button->menu()->actions().value(0), d.aNyomtat);
        QCOMPARE(button->menu()->actions().size(), 5);

        QStringList shown;
        QString htmlName;
        testhooks::onNextDialog([&](QDialog *dlg) {
            shown << QString::fromLatin1(dlg->metaObject()->className());
            dlg->reject();
        });
        d.aNyomtatKep->trigger();
        testhooks::onNextDialog([&](QDialog *dlg) {
            shown << dlg->objectName();
            dlg->reject();
        });
        d.aExcelbe->trigger();
        testhooks::onNextDialog([&](QDialog *dlg) {
            shown << dlg->objectName();
            htmlName = QFileInfo(dlg->findChild<QLineEdit *>(QStringLiteral("edFajl"))->text()).fileName();
            dlg->findChild<QCheckBox *>(QStringLiteral("cbMegnyit"))->setChecked(false);
            dlg->findChild<QPushButton *>(QStringLiteral("btOK"))->click();
        });
        d.aHtml->trigger();
        QCOMPARE(shown, QStringList({QStringLiteral("QPrintPreviewDialog"), QStringLiteral("frm_Excelbe"),
                                     QStringLiteral("frm_HtmlExport")}));
        // The page carries the dialog's title and subtitle.
        QVERIFY(!htmlName.isEmpty());
        const QByteArray page = testenv::fileBytes(QDir(Beall().HtmlDir).filePath(htmlName));
        QVERIFY(page.contains(zdb::toCp1250(u"Végzett munkák")));
        QVERIFY(page.contains("Alcím") || page.contains(zdb::toCp1250(u"Alcím")));
        QVERIFY(testhooks::shownMessages().isEmpty());
    }

    void positionIsRememberedAndRecordSetClosed()
    {
        {
            Tfrm_Proba d(7);
            testhooks::onNextDialog([](QDialog *dlg) {
                dlg->move(123, 77);
                static_cast<Tfrm_Proba *>(dlg)->aBezar->trigger();
            });
            execDialog(&d);
            QVERIFY(!d.recordSet()->isOpen());
        }
        QCOMPARE(f->ini().value(QStringLiteral("frm_Proba/Left")).toInt(), 123);
        QCOMPARE(f->ini().value(QStringLiteral("frm_Proba/Top")).toInt(), 77);
        Tfrm_Proba again(7);
        testhooks::onNextDialog([](QDialog *dlg) {
            QCOMPARE(dlg->pos(), QPoint(123, 77));
            dlg->reject();
        });
        execDialog(&again);
    }
};

QTEST_MAIN(TestListDialog)
#include "tst_listdialog.moc"

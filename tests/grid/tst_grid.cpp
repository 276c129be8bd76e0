// The list grid: model over a record set, grid <-> current row, title-click
// sorting, quick search, picture cells, reported columns and width rules.

#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"
#include "app/helpers/fieldcolumn.h"
#include "app/helpers/listheader.h"
#include "app/helpers/recordsetmodel.h"
#include "tests/common/testenv.h"
#include "app/helpers/testhooks.h"

#include "db/connection.h"
#include "db/dberror.h"
#include "db/recordset.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

// A small customer-like table: a name with its sort key, a date and a flag.
struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<zdb::Connection> db;
    std::unique_ptr<zdb::Table> table;

    Fixture()
    {
        const QString path = dir.filePath(QStringLiteral("grid.sqb"));
        testenv::execSql(path, QStringLiteral(
            "create table ugyfel (ugyfel integer, ugyfel_nev varchar(75), ugyfel_nevs varchar(20),"
            " datum date, igen varchar(1));"
            "insert into ugyfel values (1, 'Ásvány Kft.', 'ASVANY KFT.', '2005-03-01', 'I');"
            "insert into ugyfel values (2, 'Bárány Bt.', 'BARANY BT.', '2005-01-15', 'N');"
            "insert into ugyfel values (3, 'Alma Kft.', 'ALMA KFT.', '2005-02-10', 'I');"));
        db = std::make_unique<zdb::Connection>();
        db->setPath(path);
        db->open();
        table = std::make_unique<zdb::Table>(db.get(), QStringLiteral("ugyfel"));
        table->addInteger(QStringLiteral("ugyfel"), QStringLiteral("azon."));
        table->addText(QStringLiteral("ugyfel_nev"), 75, QStringLiteral("ügyfél"), 77);
        table->addText(QStringLiteral("ugyfel_nevs"), 20);
        table->addDate(QStringLiteral("datum"), QStringLiteral("dátum"));
        table->addText(QStringLiteral("igen"), 1);
    }
    ~Fixture()
    {
        table.reset();
        db->close();
    }
};

QPixmap redPicture(const QVariant &value)
{
    if (value.toString() != QLatin1String("I"))
        return {};
    QPixmap pm(16, 16);
    pm.fill(Qt::red);
    return pm;
}

QList<GridColumn> standardColumns()
{
    QList<GridColumn> cols;
    GridColumn flag;
    flag.field = QStringLiteral("igen");
    flag.title = QStringLiteral("!");
    flag.width = 18;
    flag.picture = redPicture;
    cols << flag;
    GridColumn id;
    id.field = QStringLiteral("ugyfel");
    id.title = QStringLiteral("azon.");
    id.width = 50;
    id.alignment = Qt::AlignRight;
    cols << id;
    GridColumn name;
    name.field = QStringLiteral("ugyfel_nev");
    name.title = QStringLiteral("ügyfél");
    name.width = 150;
    name.sortField = QStringLiteral("ugyfel_nevs");
    cols << name;
    GridColumn date;
    date.field = QStringLiteral("datum");
    date.title = QStringLiteral("dátum");
    date.width = 80;
    cols << date;
    return cols;
}

enum Col { FlagCol = 0, IdCol = 1, NameCol = 2, DateCol = 3 };

QStringList namesInGrid(const QAbstractItemModel *m)
{
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, NameCol).data().toString();
    return out;
}

// Every shown cell must be the record set's current text of that row.
void verifyMirrors(const RecordSetModel &model, const zdb::RecordSet &rs)
{
    const int rows = rs.isOpen() ? rs.recordCount() : 0;
    QCOMPARE(model.rowCount(), rows);
    for (int r = 0; r < rows; ++r)
        for (int c = IdCol; c < model.columnCount(); ++c)
            QCOMPARE(model.index(r, c).data().toString(),
                     rs.displayTextAt(r, rs.fieldIndex(model.column(c)->field)));
}

// A list window in miniature: header strip over the grid.
struct ListWidget
{
    QWidget window;
    ListHeader *header;
    DataGrid *grid;
    GridSorter *sorter;

    explicit ListWidget(zdb::Table *table)
    {
        auto *layout = new QVBoxLayout(&window);
        header = new ListHeader(QStringLiteral("Ügyfelek"), &window);
        grid = new DataGrid(&window);
        layout->addWidget(header);
        layout->addWidget(grid);
        grid->setRecordSet(table, standardColumns());
        sorter = new GridSorter(grid, table, &window);
        sorter->setHeader(header);
        window.resize(600, 300);
    }
    bool showActive()
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    void clickTitle(int column)
    {
        QHeaderView *h = grid->horizontalHeader();
        const QPoint at(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
    }
};

} // namespace

class TestGrid : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        testhooks::setAutomatic(true);
    }
    void init()
    {
        testhooks::reset();
        testhooks::setAutomatic(true);
    }

    void modelFollowsRecordSet()
    {
        Fixture fx;
        zdb::Table &t = *fx.table;
        RecordSetModel model(&t, standardColumns());
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

        QCOMPARE(model.rowCount(), 0);
        t.open();
        verifyMirrors(model, t);
        QCOMPARE(model.rowCount(), 3);

        // a new row, posted
        t.insert();
        t.setValue(QStringLiteral("ugyfel"), 4);
        t.setValue(QStringLiteral("ugyfel_nev"), QStringLiteral("Cékla Zrt."));
        t.post();
        verifyMirrors(model, t);
        QCOMPARE(model.rowCount(), 4);
        QVERIFY(namesInGrid(&model).contains(QStringLiteral("Cékla Zrt.")));

        // a new row given up leaves no stale row behind
        t.insert();
        t.setValue(QStringLiteral("ugyfel_nev"), QStringLiteral("Elvetett"));
        t.cancel();
        verifyMirrors(model, t);
        QVERIFY(!namesInGrid(&model).contains(QStringLiteral("Elvetett")));

        // an edit shows while typed, and the old value comes back on cancel
        t.setCurrentRow(1);
        t.edit();
        t.setValue(QStringLiteral("ugyfel_nev"), QStringLiteral("Szerkesztett"));
        QCOMPARE(model.index(1, NameCol).data().toString(), QStringLiteral("Szerkesztett"));
        t.cancel();
        verifyMirrors(model, t);
        QVERIFY(!namesInGrid(&model).contains(QStringLiteral("Szerkesztett")));

        t.edit();
        t.setValue(QStringLiteral("ugyfel_nev"), QStringLiteral("Bárány és Tsa."));
        t.post();
        verifyMirrors(model, t);
        QCOMPARE(model.index(1, NameCol).data().toString(), QStringLiteral("Bárány és Tsa."));

        t.setCurrentRow(0);
        t.remove();
        verifyMirrors(model, t);
        QCOMPARE(model.rowCount(), 3);

        t.setCurrentRow(t.recordCount() - 1);
        t.remove();
        verifyMirrors(model, t);

        t.close();
        QCOMPARE(model.rowCount(), 0);
        t.open();
        verifyMirrors(model, t);
        QCOMPARE(model.rowCount(), 2);

        // picture cells carry the value, not text; alignment comes from the column
        QCOMPARE(model.index(0, FlagCol).data().toString(), QString());
        QVERIFY(model.index(0, FlagCol).data(RecordSetModel::ValueRole).isValid());
        QCOMPARE(Qt::Alignment(model.index(0, IdCol).data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask,
                 Qt::Alignment(Qt::AlignRight));
        QCOMPARE(model.headerData(NameCol, Qt::Horizontal).toString(), QStringLiteral("ügyfél"));

        // the record set going away empties the list instead of leaving dangling rows
        fx.table.reset();
        QCOMPARE(model.rowCount(), 0);
    }

    void gridAndRecordSetFollowEachOther()
    {
        Fixture fx;
        zdb::Table &t = *fx.table;
        t.open();
        ListWidget w(&t);
        QVERIFY(w.showActive());
        DataGrid *g = w.grid;
        QCOMPARE(g->currentIndex().row(), 0);

        QSignalSpy moves(&t, &zdb::RecordSet::currentChanged);
        const QRect cell = g->visualRect(g->model()->index(2, NameCol));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(t.currentRow(), 2);
        QCOMPARE(g->currentIndex().row(), 2);
        QCOMPARE(moves.count(), 1);   // one move, no echo back and forth

        QTest::keyClick(g, Qt::Key_Up);
        QCOMPARE(t.currentRow(), 1);

        t.setCurrentRow(0);
        QCOMPARE(g->currentIndex().row(), 0);
        QVERIFY(g->selectionModel()->isRowSelected(0, QModelIndex()));
        QCOMPARE(g->selectionModel()->selectedRows().size(), 1);

        t.last();
        QCOMPARE(g->currentIndex().row(), 2);

        // rows coming and going move the selection with the record set, and the
        // selection's own adjustments never reach back into the record set
        t.setCurrentRow(1);
        t.insert();
        QCOMPARE(g->currentIndex().row(), 1);
        QCOMPARE(g->model()->rowCount(), 4);
        t.cancel();
        QCOMPARE(t.recordCount(), 3);
        QCOMPARE(g->currentIndex().row(), t.currentRow());
        t.last();
        t.remove();
        QCOMPARE(t.recordCount(), 2);
        QCOMPARE(t.currentRow(), 1);
        QCOMPARE(g->currentIndex().row(), 1);
        QVERIFY(g->selectionModel()->isRowSelected(1, QModelIndex()));

        t.close();
        QVERIFY(!g->selectionModel()->hasSelection());
        t.open();
        QCOMPARE(g->currentIndex().row(), t.currentRow());
    }

    void titleClickSortsShadesAndFocuses()
    {
        Fixture fx;
        zdb::Table &t = *fx.table;
        t.open();
        ListWidget w(&t);
        QVERIFY(w.showActive());
        QCOMPARE(w.header->sortText(), QStringLiteral("Sorrend"));
        QVERIFY(!w.grid->model()->index(0, NameCol).data(Qt::BackgroundRole).isValid());
        w.grid->setFocus();

        w.clickTitle(NameCol);
        QCOMPARE(t.order(), QStringLiteral("ugyfel_nevs"));
        QCOMPARE(namesInGrid(w.grid->model()),
                 QStringList({QStringLiteral("Alma Kft."), QStringLiteral("Ásvány Kft."), QStringLiteral("Bárány Bt.")}));
        QCOMPARE(w.header->sortText(), QStringLiteral("sorrend\nügyfél szerint"));
        QCOMPARE(w.sorter->sortField(), QStringLiteral("ugyfel_nev"));
        QCOMPARE(t.currentRow(), 0);
        const QColor button = QGuiApplication::palette().color(QPalette::Button);
        const QColor base = QGuiApplication::palette().color(QPalette::Base);
        QAbstractItemModel *m = w.grid->model();
        QCOMPARE(m->index(1, NameCol).data(Qt::BackgroundRole).value<QBrush>().color(), button);
        QCOMPARE(m->index(1, DateCol).data(Qt::BackgroundRole).value<QBrush>().color(), base);
        QTRY_VERIFY(w.header->searchBox()->hasFocus());

        // a column without a sort key orders by its own field
        w.clickTitle(DateCol);
        QCOMPARE(t.order(), QStringLiteral("datum"));
        QCOMPARE(namesInGrid(w.grid->model()),
                 QStringList({QStringLiteral("Bárány Bt."), QStringLiteral("Alma Kft."), QStringLiteral("Ásvány Kft.")}));
        QCOMPARE(w.header->sortText(), QStringLiteral("sorrend\ndátum szerint"));
        QCOMPARE(m->index(0, DateCol).data(Qt::BackgroundRole).value<QBrush>().color(), button);
        QCOMPARE(m->index(0, NameCol).data(Qt::BackgroundRole).value<QBrush>().color(), base);

        // the initial sort of a window: label set, no shading, focus stays
        ListWidget w2(&t);
        w2.sorter->sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél"));
        QCOMPARE(w2.header->sortText(), QStringLiteral("sorrend\nügyfél szerint"));
        QVERIFY(!w2.grid->model()->index(0, NameCol).data(Qt::BackgroundRole).isValid());
        w2.sorter->shadeColumn(QStringLiteral("ugyfel_nev"));
        QCOMPARE(w2.grid->model()->index(0, NameCol).data(Qt::BackgroundRole).value<QBrush>().color(), button);
    }

    void resortKeepsRowWhenAsked()
    {
        Fixture fx;
        zdb::Table &t = *fx.table;
        t.open();
        ListWidget w(&t);
        w.sorter->setKeepRowField(QStringLiteral("ugyfel"));
        w.sorter->sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél"));
        t.setCurrentRow(2);   // Bárány
        w.sorter->sortByColumn(DateCol, true);
        QCOMPARE(t.value(QStringLiteral("ugyfel")).toInt(), 2);
        QCOMPARE(w.grid->currentIndex().row(), t.currentRow());
    }

    void quickSearch_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expectedId");   // 0: the row stays where it was
        QTest::addColumn<int>("startRow");     // in the order Alma, Ásvány, Bárány
        QTest::newRow("prefix ignoring case") << "ugyfel_nev" << "alm" << 3 << 1;
        QTest::newRow("upper case") << "ugyfel_nev" << "ALMA K" << 3 << 1;
        QTest::newRow("accented letters") << "ugyfel_nev" << "bár" << 2 << 1;
        QTest::newRow("accented capitals") << "ugyfel_nev" << "ÁSV" << 1 << 2;
        QTest::newRow("accented small letters") << "ugyfel_nev" << "ásv" << 1 << 2;
        QTest::newRow("accents folded as the sort key") << "ugyfel_nev" << "asv" << 1 << 2;
        QTest::newRow("accent folded the other way") << "ugyfel_nev" << "BÁRÁNY B" << 2 << 1;
        QTest::newRow("no match keeps the row") << "ugyfel_nev" << "óbu" << 0 << 0;
        QTest::newRow("empty text finds the first row") << "ugyfel_nev" << "" << 3 << 1;
        QTest::newRow("letters on a date column") << "datum" << "abc" << 0 << 1;
        QTest::newRow("letters on a number column") << "ugyfel" << "x" << 0 << 1;
    }
    void quickSearch()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(int, expectedId);
        QFETCH(int, startRow);
        Fixture fx;
        zdb::Table &t = *fx.table;
        t.open();
        ListWidget w(&t);
        w.sorter->sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél"));  // Alma, Ásvány, Bárány
        w.sorter->setSortField(field);
        t.setCurrentRow(startRow);
        const int before = t.value(QStringLiteral("ugyfel")).toInt();

        w.header->searchBox()->setText(QStringLiteral("q"));   // make the next set a real change
        t.setCurrentRow(startRow);
        w.header->searchBox()->setText(text);
        QCOMPARE(t.value(QStringLiteral("ugyfel")).toInt(), expectedId ? expectedId : before);
        QCOMPARE(w.grid->currentIndex().row(), t.currentRow());
        QVERIFY(testhooks::shownMessages().isEmpty());
    }

    void pictureCellsArePainted()
    {
        Fixture fx;
        zdb::Table &t = *fx.table;
        t.open();   // natural order: I, N, I
        DataGrid g;
        g.setRecordSet(&t, standardColumns());
        g.resize(500, 200);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        t.setCurrentRow(2);   // keep the checked rows unselected
        const QImage image = g.viewport()->grab().toImage();
        const QRect yes = g.visualRect(g.model()->index(0, FlagCol));
        const QRect no = g.visualRect(g.model()->index(1, FlagCol));
        QVERIFY(g.rowHeight() >= 18 && g.rowHeight() <= 24);
        QCOMPARE(QColor(image.pixel(yes.x() + 1 + 8, yes.y() + 1 + 8)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(yes.x() + 1, yes.y() + 1)), QColor(Qt::red));
        QVERIFY(QColor(image.pixel(yes.x(), yes.y() + 8)) != QColor(Qt::red));   // one pixel in
        QVERIFY(QColor(image.pixel(no.x() + 1 + 8, no.y() + 1 + 8)) != QColor(Qt::red));

        // the stock yes/no pictures tolerate missing artwork
        const auto yesNo = DataGrid::yesNoPicture();
        yesNo(QStringLiteral("I"));
        yesNo(QVariant());
    }

    void columnsReportDisplayOrderAndWidths()
    {
        Fixture fx;
        zdb::Table &t = *fx.table;
        t.open();
        DataGrid g;
        g.setRecordSet(&t, standardColumns());
        g.horizontalHeader()->moveSection(DateCol, 0);
        g.setColumnWidth(QStringLiteral("ugyfel_nev"), 222);
        // widths and order survive a reload of the rows
        t.close();
        t.open();
        const QList<GridColumn> cols = g.columns();
        QStringList fields;
        for (const GridColumn &c : cols)
            fields << c.field;
        QCOMPARE(fields, QStringList({QStringLiteral("datum"), QStringLiteral("igen"), QStringLiteral("ugyfel"),
                                      QStringLiteral("ugyfel_nev")}));
        QCOMPARE(cols.at(3).width, 222);
        QCOMPARE(cols.at(3).title, QStringLiteral("ügyfél"));
        QVERIFY(cols.at(1).isPicture());
        g.setColumnHidden(IdCol, true);
        QCOMPARE(g.columns().size(), 3);
    }

    void widthShares_data()
    {
        QTest::addColumn<int>("available");
        QTest::addColumn<double>("percent");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("expected");
        QTest::newRow("share cut to whole") << 903 << 10.0 << 64 << 90;
        QTest::newRow("raised to minimum") << 500 << 10.0 << 64 << 64;
        QTest::newRow("whole products stay whole") << 300 << 33.0 << 0 << 99;
        QTest::newRow("nothing left") << -40 << 16.0 << 80 << 80;
    }
    void widthShares()
    {
        QFETCH(int, available);
        QFETCH(double, percent);
        QFETCH(int, minimum);
        QFETCH(int, expected);
        QCOMPARE(DataGrid::shareWidth(available, percent, minimum), expected);
    }

    void widthSharesFollowTheViewport()
    {
        Fixture fx;
        DataGrid g;
        g.setRecordSet(fx.table.get(), standardColumns());
        g.resize(800, 200);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        const QList<DataGrid::Share> shares{{NameCol, 40, 150}, {DateCol, 10, 64}};
        g.setAutoWidthShares(52, shares);
        auto expect = [&] {
            const int avail = g.viewport()->width() - 52;
            QCOMPARE(g.columnWidth(NameCol), qMax(int(avail * 0.40), 150));
            QCOMPARE(g.columnWidth(DateCol), qMax(int(avail * 10 / 100), 64));
            QCOMPARE(g.columnWidth(FlagCol), 18);   // columns without a share keep theirs
        };
        expect();
        g.resize(1200, 200);
        QTRY_COMPARE(g.viewport()->width() > 1000, true);
        expect();
    }

    // Columns named by their field: title, sort key, width and alignment
    // from the catalogue unless overridden.
    void columnsFromTheCatalogue_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("orderField");
        QTest::addColumn<bool>("dateWide");
        QTest::newRow("marked name") << "ugyfel" << "ugyfel_nev" << "ügyfél" << "ugyfel_nevs" << false;
        QTest::newRow("marked category") << "termek" << "kategoria" << "kategória" << "kategorias" << false;
        QTest::newRow("task text") << "dolog3" << "rovid" << "feladat" << "rovids" << false;
        QTest::newRow("plain number") << "ugyfel" << "ugyfelkod" << "kód" << "ugyfelkod" << false;
        QTest::newRow("untitled: its name") << "alkalmazott" << "telefon" << "telefon" << "telefon" << false;
        QTest::newRow("date") << "dolog3" << "dat_hatid" << "határidő" << "dat_hatid" << true;
    }
    void columnsFromTheCatalogue()
    {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QString, title);
        QFETCH(QString, orderField);
        QFETCH(bool, dateWide);
        const GridColumn c = FieldColumn(table, field);
        QCOMPARE(c.field, field);
        QCOMPARE(c.title, title);
        QCOMPARE(c.orderField(), orderField);
        QCOMPARE(c.alignment, Qt::AlignLeft);
        QCOMPARE(c.titleAlignment, Qt::AlignLeft);
        const int dateText = QFontMetrics(QApplication::font()).horizontalAdvance(QStringLiteral("2000.12.28."));
        QCOMPARE(c.width > dateText, dateWide);
        QCOMPARE(c.width >= GridColumn().width, true);
    }
    void columnOverrides()
    {
        const GridColumn c = FieldColumn(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nev"),
                                         {.title = QStringLiteral("név"), .width = 220, .alignment = Qt::AlignRight,
                                          .titleAlignment = Qt::AlignCenter, .plainOrder = true});
        QCOMPARE(c.title, QStringLiteral("név"));
        QCOMPARE(c.width, 220);
        QCOMPARE(c.alignment, Qt::AlignRight);
        QCOMPARE(c.titleAlignment, Qt::AlignCenter);
        QCOMPARE(c.orderField(), QStringLiteral("ugyfel_nev"));
        // The title follows the cells unless given.
        QCOMPARE(FieldColumn(QStringLiteral("dolog1"), QStringLiteral("ora"), {.alignment = Qt::AlignCenter}).titleAlignment,
                 Qt::AlignCenter);
        QVERIFY_THROWS_EXCEPTION(zdb::Error, FieldColumn(QStringLiteral("ugyfel"), QStringLiteral("nincs")));
        QVERIFY_THROWS_EXCEPTION(zdb::Error, FieldColumn(QStringLiteral("nincs"), QStringLiteral("ugyfel")));
        // A title click on a catalogue column orders by its sort key.
        const QStringList fields{QStringLiteral("ugyfel_nev"), QStringLiteral("kapcsolattarto")};
        const QList<GridColumn> both = FieldColumns(QStringLiteral("ugyfel"), fields);
        QCOMPARE(both.size(), 2);
        QCOMPARE(both.at(1).orderField(), QStringLiteral("kapcsolattartos"));
    }

    void activationAndPopup()
    {
        Fixture fx;
        fx.table->open();
        DataGrid g;
        g.setRecordSet(fx.table.get(), standardColumns());
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        QSignalSpy activated(&g, &DataGrid::activated);
        QTest::keyClick(&g, Qt::Key_Return);
        QTest::keyClick(&g, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(activated.count(), 2);
        const QRect cell = g.visualRect(g.model()->index(1, NameCol));
        QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(activated.count(), 3);
        QCOMPARE(fx.table->currentRow(), 1);

        QAction edit(QStringLiteral("Szerkeszt"));
        QAction close(QStringLiteral("Bezár"));
        g.setPopupActions({&edit, nullptr, &close});
        std::unique_ptr<QMenu> menu(g.createPopupMenu());
        const QList<QAction *> items = menu->actions();
        QCOMPARE(items.size(), 3);
        QCOMPARE(items.at(0), &edit);
        QVERIFY(items.at(1)->isSeparator());
        QCOMPARE(items.at(2), &close);
    }
};

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"

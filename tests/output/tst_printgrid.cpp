// List printing: the column layout, the list report of a real list window,
// cut-off cells, empty lists and the PrintGrid entry.

#include "tests/app/appfixture.h"

#include "app/helpers/datagrid.h"
#include "scheduling/entries.h"
#include "output/output.h"
#include "output/printgrid.h"
#include "output/report.h"
#include "output/reportfont.h"
#include "scheduling/tasklist.h"

#include "db/recordset.h"

#include <QAction>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPdfWriter>
#include <QSignalSpy>
#include <QTest>

using namespace zrep;

namespace {

// Open tasks of a small office, deadlines spread over two months.
QString demoTasks(int count)
{
    const char *const jobs[] = {"Éves beszámoló előkészítése", "Bérszámfejtés – március", "ÁFA-bevallás",
                                "Szerverfrissítés", "Ajánlat: könyvelési csomag", "Leltár egyeztetése",
                                "Szerződés megújítása", "Hálózati nyomtató beállítása", "Számlák rendezése",
                                "Adatmentés ellenőrzése"};
    const char *const customers[] = {"Kovács és Társa Bt.", "Ásványvíz Kft.", "Bodnár Építő Zrt.",
                                     "Cserép-Ház Kft.", "Dél-Alföldi Szövetkezet", "Erdős Kereskedelmi Kft."};
    const char *const products[] = {"Könyvelés", "Bérszámfejtés", "Rendszergazda", "", "Tanácsadás"};
    const char *const projects[] = {"2026 zárás", "", "Irodaköltözés", "Új ügyviteli rendszer"};
    QString sql;
    for (int i = 1; i <= count; ++i) {
        const QDate start = QDate(2026, 3, 2).addDays(i % 23);
        const QDate due = start.addDays(3 + (i * 7) % 40);
        const QString job = QString::fromUtf8(jobs[i % 10]);
        const QString cust = QString::fromUtf8(customers[i % 6]);
        const QString prod = QString::fromUtf8(products[i % 5]);
        const QString proj = QString::fromUtf8(projects[i % 4]);
        sql += QStringLiteral("INSERT INTO dolog3 (dolog3, datum, dat_hatid, rovid, ugyfel, ugyfel_nev, termek_nev, "
                              "projekt_nev, fontos, kesz, statusz) VALUES (%1, '%2', '%3', '%4', %5, '%6', %7, %8, "
                              "%9, 'N', %10);\n")
                   .arg(i)
                   .arg(start.toString(Qt::ISODate), due.toString(Qt::ISODate), job)
                   .arg(i % 6 + 1)
                   .arg(cust, prod.isEmpty() ? QStringLiteral("NULL") : QLatin1Char('\'') + prod + QLatin1Char('\''),
                        proj.isEmpty() ? QStringLiteral("NULL") : QLatin1Char('\'') + proj + QLatin1Char('\''))
                   .arg(i % 4)
                   .arg(i % 2);
    }
    sql += QStringLiteral("INSERT INTO tulajdonos VALUES ('Példa Könyvelő Iroda Kft.', '+36 1 234 5678', '', "
                          "'1052', 'Budapest', 'Váci utca 12.');");
    return sql;
}

GridColumn col(const QString &field, const QString &title, int width, Qt::Alignment align = Qt::AlignLeft)
{
    GridColumn c;
    c.field = field;
    c.title = title;
    c.width = width;
    c.alignment = align;
    return c;
}

double lineSpacingOf(double pt)
{
    return lineSpacing(ReportFont::sans(pt));
}

QList<GridColumn> widths(const QList<int> &pixels)
{
    QList<GridColumn> out;
    for (int w : pixels)
        out << col(QStringLiteral("f"), QStringLiteral("t"), w);
    return out;
}

} // namespace

class TestPrintGrid : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

    Tfrm_Feladat *openTasks() { return openListWindow<Tfrm_Feladat>(f->main.get(), "aFeladat"); }

private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        RegisterSchedulingWindows();
    }
    void init()
    {
        f = std::make_unique<AppFixture>();
        f->makeDb(demoTasks(60));
        QVERIFY(f->start());
        f->main->resize(1200, 800);
        f->main->show();
    }
    void cleanup()
    {
        setShowReportHook({});
        f.reset();
    }

    void columnPlaces_data()
    {
        QTest::addColumn<QList<int>>("pixels");
        QTest::addColumn<int>("gridWidth");
        QTest::addColumn<double>("pageWidth");
        QTest::addColumn<QList<double>>("expected");   // x, w pairs
        QTest::newRow("portrait") << QList<int>{68, 165} << 272 << 575.0 << QList<double>{0, 144, 148, 349};
        // 209.5 rounds to the even 210.
        QTest::newRow("landscape") << QList<int>{68, 165} << 272 << 838.0 << QList<double>{0, 210, 214, 508};
        // 20 columns of 28.75 -> 29 units, 33 apart: the 18th is cut at the
        // margin, the last two start past it and are left out.
        QList<double> narrow;
        for (int i = 0; i < 17; ++i)
            narrow << 33.0 * i << 29;
        narrow << 561 << 14;
        QTest::newRow("narrow columns cut off") << QList<int>(20, 5) << 100 << 575.0 << narrow;
        // Exact halves however the fraction falls in binary: 575 * 28 / 200
        // is 80.5 and 575 * 63 / 230 is 157.5.
        QTest::newRow("half below even") << QList<int>{28} << 200 << 575.0 << QList<double>{0, 80};
        QTest::newRow("half above odd") << QList<int>{63} << 230 << 575.0 << QList<double>{0, 158};
        QTest::newRow("grid without width") << QList<int>{50, 50} << 0 << 575.0 << QList<double>{0, 288, 292, 283};
    }
    void columnPlaces()
    {
        QFETCH(QList<int>, pixels);
        QFETCH(int, gridWidth);
        QFETCH(double, pageWidth);
        QFETCH(QList<double>, expected);
        QList<double> got;
        for (const GridColumnPlace &p : placeGridColumns(widths(pixels), gridWidth, pageWidth))
            got << p.x << p.w;
        QCOMPARE(got, expected);
    }

    void taskListReport()
    {
        Tfrm_Feladat *w = openTasks();
        QVERIFY(w);
        DataGrid *grid = w->grid();
        zdb::RecordSet *rs = grid->recordSet();
        QCOMPARE(rs->recordCount(), 60);
        rs->setCurrentRow(17);
        const auto mark = rs->bookmark();
        QSignalSpy moved(rs, &zdb::RecordSet::currentChanged);

        const ReportLayout l = makeGridReport(grid->shape(), false, QStringLiteral("nyitott feladatok"), 8,
                                              QStringLiteral("Feladatok"));
        QCOMPARE(l.orientation(), Orientation::Landscape);
        // (575 - 91 - 44) / 20 = 22 rows a landscape page.
        QCOMPARE(l.pageCount(), 3);
        QCOMPARE(moved.count(), 0);
        QCOMPARE(rs->currentRow(), 17);
        QCOMPARE(rs->bookmark(), mark);

        const QList<GridColumn> cols = grid->columns();
        const QList<GridColumnPlace> places = placeGridColumns(cols, grid->width(), 838);
        for (int p = 0; p < l.pageCount(); ++p) {
            const ReportPage &pg = l.pages()[p];
            // Column titles on every page, in italics, at the columns' places.
            for (const GridColumnPlace &place : places) {
                bool found = false;
                for (const ReportText &t : pg.texts)
                    if (t.y == float(ColumnTitleTop) && t.x == float(place.x) && t.text == cols[place.column].title) {
                        found = l.fonts()[t.font].italic && l.fonts()[t.font].pointSize == 8 && t.w == float(place.w);
                    }
                QVERIFY2(found, qPrintable(cols[place.column].title));
            }
            QVERIFY(pg.findText(QStringLiteral("oldal: %1").arg(p + 1)));
            QVERIFY(pg.findText(QStringLiteral("qrGridPrint")));
            QVERIFY(pg.findText(QStringLiteral("Példa Könyvelő Iroda Kft.")));
            QVERIFY(pg.findText(QStringLiteral("nyitott feladatok")));
            const ReportText *heading = pg.findText(QStringLiteral("Feladatok"));
            QVERIFY(heading);
            QCOMPARE(l.fonts()[heading->font].family, QStringLiteral("Arial"));
        }

        // Row r of the grid is line r % 22 of page r / 22, the cells in display order.
        for (int r : {0, 21, 22, 59}) {
            const double y = 91 + (r % 22) * 20 + 4;
            QStringList expected;
            for (const GridColumnPlace &place : places)
                if (!cols[place.column].isPicture())
                    expected << rs->displayTextAt(r, rs->fieldIndex(cols[place.column].field));
            // Whole, or cut at a letter and ended with "…" where it does not fit.
            const QStringList printed = l.pages()[r / 22].textsInRow(y);
            QCOMPARE(printed.size(), expected.size());
            for (int i = 0; i < printed.size(); ++i)
                QVERIFY2(printed[i] == expected[i]
                             || (printed[i].endsWith(QChar(0x2026)) && expected[i].startsWith(printed[i].chopped(1))),
                         qPrintable(printed[i] + QStringLiteral(" / ") + expected[i]));
            // The picture columns print the grid's pictures.
            int icons = 0;
            for (const ReportIcon &i : l.pages()[r / 22].icons)
                icons += (i.y > y - 4 && i.y < y + 16 && !i.image.isNull()) ? 1 : 0;
            QCOMPARE(icons, 3);
        }
    }

    void cellTextEndsInAnEllipsisInsideItsColumn()
    {
        zdb::Query q(Db1(), QStringLiteral("SELECT 'WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW' AS a, '' AS b"));
        q.open();
        const QList<GridColumn> cols{col(QStringLiteral("a"), QStringLiteral("hosszú"), 50),
                                     col(QStringLiteral("b"), QStringLiteral("üres"), 150)};
        const ReportLayout l = makeGridReport(cols, 200, &q, true, {}, 8, QStringLiteral("Teszt"), {});
        const ReportText *cell = nullptr;
        for (const ReportText &t : l.pages()[0].texts)
            if (t.text.startsWith(QLatin1String("WWW")))
                cell = &t;
        QVERIFY(cell);
        QVERIFY(cell->text.endsWith(QChar(0x2026)));
        // The column is 144 units; its text keeps 3 units from either edge.
        QCOMPARE(cell->x, 3.0f);
        QCOMPARE(cell->w, float(std::nearbyint(575 * 0.25)) - 6);
        QCOMPARE(cell->mode, TextMode::Clip);

        // Painted: ink inside the cell, none in the gap after it or in the next column.
        const double dpi = 150, pxPerUnit = dpi / 25.4 * MillimetresPerUnit, margin = 10 * dpi / 25.4;
        const QImage img = l.renderPage(0, dpi);
        auto inkIn = [&](double x1, double x2) {
            int n = 0;
            for (int y = int(margin + (91 + 4) * pxPerUnit); y < int(margin + (91 + 17) * pxPerUnit); ++y)
                for (int x = int(margin + x1 * pxPerUnit) + 1; x < int(margin + x2 * pxPerUnit); ++x)
                    n += img.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
            return n;
        };
        QVERIFY(inkIn(100, 141) > 0);
        QCOMPARE(inkIn(141.5, 300), 0);
    }

    // A column left at its default alignment takes its field's: numbers to
    // the right, as in the HTML export; a stated alignment is kept.
    void defaultAlignmentFollowsTheField()
    {
        // Task 7: identifier 7, priority 3.
        zdb::Query q(Db1(), QStringLiteral("SELECT dolog3 AS n, rovid AS t, fontos AS c FROM dolog3 WHERE dolog3 = 7"));
        q.open();
        const QList<GridColumn> cols{col(QStringLiteral("n"), QStringLiteral("szám"), 60),
                                     col(QStringLiteral("t"), QStringLiteral("név"), 60),
                                     col(QStringLiteral("c"), QStringLiteral("közép"), 60, Qt::AlignHCenter)};
        const ReportLayout l = makeGridReport(cols, 180, &q, true, {}, 8, QStringLiteral("Teszt"), {});
        const auto alignOf = [&](const QString &text) {
            const ReportText *t = l.pages()[0].findText(text);
            return t ? int(t->align & Qt::AlignHorizontal_Mask) : -1;
        };
        QCOMPARE(alignOf(QStringLiteral("7")), int(Qt::AlignRight));
        QCOMPARE(alignOf(QStringLiteral("Hálózati nyomtató beállítása")), int(Qt::AlignLeft));
        QCOMPARE(alignOf(QStringLiteral("3")), int(Qt::AlignHCenter));
        // A right-aligned number and the name after it never touch.
        const ReportText *number = l.pages()[0].findText(QStringLiteral("7"));
        const ReportText *name = l.pages()[0].findText(QStringLiteral("Hálózati nyomtató beállítása"));
        QVERIFY(number && name);
        QVERIFY(name->x - (number->x + number->w) >= 6);
    }

    void largerFontGivesTallerLines()
    {
        zdb::Query q(Db1(), QStringLiteral("SELECT 'első' AS a UNION ALL SELECT 'második' ORDER BY 1"));
        q.open();
        const ReportLayout l = makeGridReport({col(QStringLiteral("a"), QStringLiteral("a"), 100)}, 100, &q, true, {},
                                              14, QStringLiteral("Teszt"), {});
        const ReportText *first = l.pages()[0].findText(QStringLiteral("első"));
        const ReportText *second = l.pages()[0].findText(QStringLiteral("második"));
        QVERIFY(first && second);
        QCOMPARE(l.fonts()[first->font].pointSize, 14.0);
        QVERIFY(first->h >= lineSpacingOf(14));
        QVERIFY(second->y >= first->y + first->h);
    }

    void emptyListPrintsFrameAndTitles()
    {
        Tfrm_Feladat *w = openTasks();
        QVERIFY(w);
        zdb::RecordSet *rs = w->grid()->recordSet();
        rs->setFiltered(true);
        rs->setFilter(QStringLiteral("dolog3 < 0"));
        QCOMPARE(rs->recordCount(), 0);
        const ReportLayout l = makeGridReport(w->grid()->shape(), true, {}, 8, QStringLiteral("Feladatok"));
        QCOMPARE(l.pageCount(), 1);
        const ReportPage &pg = l.pages()[0];
        QVERIFY(pg.findText(QStringLiteral("határidő")));
        QVERIFY(pg.findText(QStringLiteral("oldal: 1")));
        QVERIFY(pg.findText(QStringLiteral("Feladatok")));
        for (const ReportText &t : pg.texts)
            QVERIFY2(t.y < 91 || t.y >= l.height() - 44, qPrintable(t.text));
    }

    void printGridEntryHandsTheReportOn_data()
    {
        QTest::addColumn<bool>("print");
        QTest::addColumn<bool>("portrait");
        QTest::newRow("preview landscape") << false << false;
        QTest::newRow("print portrait") << true << true;
    }
    void printGridEntryHandsTheReportOn()
    {
        QFETCH(bool, print);
        QFETCH(bool, portrait);
        Tfrm_Feladat *w = openTasks();
        QVERIFY(w);
        int calls = 0;
        bool printed = !print;
        Orientation orientation{};
        QString title;
        setShowReportHook([&](const ReportLayout &l, bool p) {
            ++calls;
            printed = p;
            orientation = l.orientation();
            title = l.title();
        });
        PrintGrid(w->grid()->shape(), print, portrait, {}, {}, 8, QStringLiteral("Feladatok"));
        QCOMPARE(calls, 1);
        QCOMPARE(printed, print);
        QCOMPARE(orientation, portrait ? Orientation::Portrait : Orientation::Landscape);
        QCOMPARE(title, QStringLiteral("Feladatok"));
    }

    // The task list as a PDF: a valid file with every page. With
    // ZENTAVO_REPORT_PDF_DIR set the file is kept there to be looked at.
    void taskListAsPdf()
    {
        Tfrm_Feladat *w = openTasks();
        QVERIFY(w);
        const ReportLayout l = makeGridReport(w->grid()->shape(), true,
                                              QStringLiteral("Kovács és Társa Bt. – a könyvelési és bérszámfejtési "
                                                             "megbízás nyitott feladatai, határidő szerint"),
                                              8, QStringLiteral("Feladatok"));
        QTemporaryDir tmp;
        const QString keep = qEnvironmentVariable("ZENTAVO_REPORT_PDF_DIR");
        const QString path = (keep.isEmpty() ? tmp.path() : keep) + QStringLiteral("/feladatok.pdf");
        {
            QPdfWriter pdf(path);
            pdf.setTitle(l.title());
            QVERIFY(l.print(&pdf));
        }
        const QByteArray bytes = testenv::fileBytes(path);
        QVERIFY(bytes.startsWith("%PDF"));
        QVERIFY(bytes.size() > 5000);
    }
};

QTEST_MAIN(TestPrintGrid)
#include "tst_printgrid.moc"

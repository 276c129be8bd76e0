// The report engine (bands, pagination, painting, print and preview), the
// shared page frame and the output choice dialog.

#include "tests/app/appfixture.h"

#include "db/dberror.h"
#include "app/helpers/guard.h"
#include "output/output.h"
#include "output/report.h"
#include "output/reportfont.h"
#include "output/reportframe.h"
#include "app/reportoutputdialog.h"

#include <QDialog>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace zrep;

namespace {

constexpr double HeaderH = 91;
constexpr double FooterH = 44;

// A builder with a bare frame: header and footer bands holding one text each.
void bareFrame(ReportBuilder &b)
{
    ReportBand header(HeaderH);
    header.text(0, 4, 200, 13, QStringLiteral("FEJ"), 0);
    b.setPageHeader(header);
    ReportBand footer(FooterH);
    footer.text(0, 28, 100, 12, QStringLiteral("oldal: "), 0);
    footer.texts.last().field = TextField::PageNumber;
    footer.text(100, 28, 100, 12, QStringLiteral("/"), 0);
    footer.texts.last().field = TextField::PageCount;
    b.setPageFooter(footer);
}

ReportBand row(const QString &text, double height = 20)
{
    ReportBand band(height);
    band.bottomRule = 0.5;
    band.text(0, 4, 100, 13, text, 0);
    return band;
}

// Texts of a page that lie in the body (between the header and the footer).
QStringList bodyTexts(const ReportLayout &l, int page)
{
    QStringList out;
    for (const ReportText &t : l.pages()[page].texts)
        if (t.y >= HeaderH && t.y < l.height() - FooterH)
            out << t.text;
    return out;
}

int nonWhitePixels(const QImage &img, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255))
                ++n;
    return n;
}

QString longText(int words)
{
    QStringList w;
    for (int i = 0; i < words; ++i)
        w << QStringLiteral("szó%1").arg(i);
    return w.join(QLatin1Char(' '));
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initAppTests(); }
    void init()
    {
        testhooks::reset();
        testhooks::setAutomatic(true);
    }
    void cleanup() { setShowReportHook({}); }

    void pageGeometry()
    {
        QCOMPARE(pageWidth(Orientation::Portrait), 575.0);
        QCOMPARE(pageWidth(Orientation::Landscape), 838.0);
        // 277 mm of A4 less the margins.
        QVERIFY(qAbs(pageHeight(Orientation::Portrait) - 838.29) < 0.01);
        QCOMPARE(pageHeight(Orientation::Landscape), 575.0);
    }

    void fontsAreInterned()
    {
        ReportBuilder b;
        const FontId a = b.font(ReportFont::sans(9, true));
        const FontId c = b.font(ReportFont::fixed(9));
        QVERIFY(a != c);
        QCOMPARE(b.font(ReportFont::sans(9, true)), a);
        QCOMPARE(b.font(ReportFont::sans(8)), FontId(0));
    }

    void rowsFlowOntoNextPagesUnderARepeatedFrame()
    {
        ReportBuilder b;
        bareFrame(b);
        for (int i = 0; i < 80; ++i)
            b.addDetail(row(QString::number(i)));
        const ReportLayout l = b.paginate();

        // (838.29 - 91 - 44) / 20 = 35 rows a page.
        QCOMPARE(l.pageCount(), 3);
        QCOMPARE(bodyTexts(l, 0).size(), 35);
        QCOMPARE(bodyTexts(l, 1).size(), 35);
        QCOMPARE(bodyTexts(l, 2).size(), 10);
        QCOMPARE(bodyTexts(l, 1).first(), QStringLiteral("35"));
        QCOMPARE(bodyTexts(l, 2).last(), QStringLiteral("79"));
        for (int p = 0; p < 3; ++p) {
            const ReportPage &pg = l.pages()[p];
            QVERIFY(pg.findText(QStringLiteral("FEJ")));
            QCOMPARE(pg.findText(QStringLiteral("FEJ"))->y, 4.0f);
            const ReportText *num = pg.findText(QStringLiteral("oldal: %1").arg(p + 1));
            QVERIFY(num);
            QVERIFY(qAbs(num->y - (l.height() - FooterH + 28)) < 0.01);
            QVERIFY(pg.findText(QStringLiteral("/3")));
        }
        // The first row sits right under the header; one rule under every row.
        QCOMPARE(l.pages()[0].findText(QStringLiteral("0"))->y, float(HeaderH + 4));
        QCOMPARE(l.pages()[0].findText(QStringLiteral("1"))->y, float(HeaderH + 24));
        QCOMPARE(l.pages()[0].lines.size(), 35);
        QCOMPARE(l.pages()[0].lines.first().y1, float(HeaderH + 20 - 0.25));
    }

    void emptyReportHasOnePageWithTheFrame()
    {
        ReportBuilder b;
        bareFrame(b);
        const ReportLayout l = b.paginate();
        QCOMPARE(l.pageCount(), 1);
        QVERIFY(l.pages()[0].findText(QStringLiteral("FEJ")));
        QVERIFY(l.pages()[0].findText(QStringLiteral("oldal: 1")));
        QVERIFY(bodyTexts(l, 0).isEmpty());
    }

    void wrappedTextGrowsItsBand()
    {
        ReportBuilder b;
        bareFrame(b);
        const FontId mono = b.font(ReportFont::fixed(9));
        const QString text = longText(60) + QStringLiteral("\r\nmásodik bekezdés");
        ReportBand band(52);
        band.bottomRule = 0.5;
        band.text(0, 4, 100, 13, QStringLiteral("első sor"), 0);
        band.text(8, 36, 300, 13, text, mono, Qt::AlignLeft | Qt::AlignTop, TextMode::WrapGrow);
        b.addDetail(band);
        b.addDetail(row(QStringLiteral("utána")));
        const ReportLayout l = b.paginate();

        const QStringList lines = wrapText(text, ReportFont::fixed(9), 299.5);
        QVERIFY(lines.size() >= 4);
        QCOMPARE(lines.last(), QStringLiteral("második bekezdés"));
        const double ls = lineSpacing(ReportFont::fixed(9));
        const ReportPage &pg = l.pages()[0];
        // Every wrapped line is a one-line text of its own, one spacing apart.
        for (int i = 0; i < lines.size(); ++i) {
            const ReportText *t = pg.findText(lines[i]);
            QVERIFY2(t, qPrintable(lines[i]));
            QVERIFY(qAbs(t->y - (HeaderH + 36 + i * ls)) < 0.01);
            QCOMPARE(t->mode, TextMode::Clip);
            QCOMPARE(t->x, 8.0f);
        }
        // The band ends 3 units below the text (as below the 13-unit item).
        const double bandH = 36 + lines.size() * ls + 3;
        QVERIFY(qAbs(pg.findText(QStringLiteral("utána"))->y - (HeaderH + bandH + 4)) < 0.01);
        QVERIFY(qAbs(pg.lines.first().y1 - (HeaderH + bandH - 0.25)) < 0.01);
        // Each line fits its width when measured at print resolution.
        QVERIFY(wrapText(lines.first(), ReportFont::fixed(9), 300).size() == 1);
    }

    void wrapCases_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("width");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("short") << QStringLiteral("alma") << 100.0 << QStringList{QStringLiteral("alma")};
        QTest::newRow("line breaks kept") << QStringLiteral("a\r\nb\rc\nd") << 100.0
                                          << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                                         QStringLiteral("d")};
        QTest::newRow("empty line kept") << QStringLiteral("a\n\nb") << 100.0
                                         << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")};
        QTest::newRow("trailing breaks dropped") << QStringLiteral("a\r\n\r\n") << 100.0
                                                 << QStringList{QStringLiteral("a")};
    }
    void wrapCases()
    {
        QFETCH(QString, text);
        QFETCH(double, width);
        QFETCH(QStringList, expected);
        QCOMPARE(wrapText(text, ReportFont::fixed(9), width), expected);
    }

    void overlongWordBreaksAnywhere()
    {
        const QString word(200, QLatin1Char('x'));
        const QStringList lines = wrapText(word, ReportFont::fixed(9), 100);
        QVERIFY(lines.size() > 1);
        QCOMPARE(lines.join(QString()), word);
    }

    void wrapClipKeepsWhatFitsTheRectangle()
    {
        ReportBuilder b;
        const FontId f = b.font(ReportFont::sans(9, true));
        const double ls = lineSpacing(ReportFont::sans(9, true));
        ReportBand header(HeaderH);
        header.text(0, 28, 225, 2 * ls + 0.1, longText(80), f, Qt::AlignLeft | Qt::AlignTop, TextMode::WrapClip);
        b.setPageHeader(header);
        const ReportLayout l = b.paginate();
        QCOMPARE(l.pages()[0].texts.size(), 2);
        QVERIFY(l.pages()[0].texts[0].text.startsWith(QStringLiteral("szó0 szó1")));
        QVERIFY(qAbs(l.pages()[0].texts[1].y - (28 + ls)) < 0.01);
        // The text goes on past the rectangle: its last line says so.
        QVERIFY(l.pages()[0].texts[1].text.endsWith(QChar(0x2026)));
    }

    // A one-line text too long for its place ends in "…" at a letter boundary
    // and fits; a text that fits is left whole.
    void clippedTextEndsWithAnEllipsis_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cut");
        QTest::newRow("fits") << QStringLiteral("Kávézó Kft.") << false;
        QTest::newRow("too long") << QStringLiteral("Nagyon hosszú nevű Kávézó Kft. és társai") << true;
        QTest::newRow("one long word") << QStringLiteral("Árvíztűrőtükörfúrógépárvíztűrőtükörfúrógép") << true;
    }
    void clippedTextEndsWithAnEllipsis()
    {
        QFETCH(QString, text);
        QFETCH(bool, cut);
        ReportBuilder b;
        bareFrame(b);
        b.addDetail(row(text));
        const ReportLayout l = b.paginate();
        const QStringList body = bodyTexts(l, 0);
        QCOMPARE(body.size(), 1);
        if (!cut) {
            QCOMPARE(body[0], text);
            return;
        }
        QVERIFY(body[0].endsWith(QChar(0x2026)));
        QVERIFY(text.startsWith(body[0].chopped(1)));
        QVERIFY(body[0].size() > 3);
        QVERIFY(elideText(body[0], ReportFont::sans(8), 1000) == body[0]);
        QVERIFY(elideText(text, ReportFont::sans(8), 99.5) == body[0]);
    }

    void bandTallerThanAPageIsSplitWithoutLosingLines()
    {
        ReportBuilder b;
        bareFrame(b);
        const FontId mono = b.font(ReportFont::fixed(9));
        QStringList paras;
        for (int i = 0; i < 150; ++i)
            paras << QStringLiteral("sor %1").arg(i);
        b.addDetail(row(QStringLiteral("előtte")));
        ReportBand band(36);
        band.bottomRule = 0.5;
        band.text(0, 4, 100, 13, QStringLiteral("fej"), 0);
        band.text(8, 20, 500, 13, paras.join(QLatin1Char('\n')), mono, Qt::AlignLeft, TextMode::WrapGrow);
        b.addDetail(band);
        b.addDetail(row(QStringLiteral("utána")));
        const ReportLayout l = b.paginate();

        QVERIFY(l.pageCount() >= 3);
        QStringList all;
        for (int p = 0; p < l.pageCount(); ++p) {
            for (const ReportText &t : l.pages()[p].texts) {
                if (t.text.startsWith(QStringLiteral("sor "))) {
                    all << t.text;
                    // Nothing runs into the footer.
                    QVERIFY(t.y + t.h <= l.height() - FooterH + 0.01);
                    QVERIFY(t.y >= HeaderH);
                }
            }
        }
        QCOMPARE(all, paras);
        // The tall band starts on the first page, right under the first row.
        QVERIFY(l.pages()[0].findText(QStringLiteral("fej")));
        QVERIFY(l.pages()[0].findText(QStringLiteral("sor 0")));
        QVERIFY(l.pages().last().findText(QStringLiteral("utána")));
    }

    void groupHeaderStaysWithItsFirstRow()
    {
        ReportBuilder b;
        bareFrame(b);
        // 33 rows leave 43.3 units: the 24-unit group header would fit, the
        // 36-unit row after it would not.
        for (int i = 0; i < 33; ++i)
            b.addDetail(row(QString::number(i)));
        ReportBand group(24);
        group.text(4, 4, 200, 16, QStringLiteral("2026.03.01."), 0);
        b.addGroupHeader(group);
        b.addDetail(row(QStringLiteral("tétel"), 36));
        const ReportLayout l = b.paginate();
        QCOMPARE(l.pageCount(), 2);
        QVERIFY(!l.pages()[0].findText(QStringLiteral("2026.03.01.")));
        QCOMPARE(l.pages()[1].findText(QStringLiteral("2026.03.01."))->y, float(HeaderH + 4));
        QCOMPARE(l.pages()[1].findText(QStringLiteral("tétel"))->y, float(HeaderH + 24 + 4));
    }

    void iconsAndNullIcons()
    {
        ReportBuilder b;
        QImage img(16, 16, QImage::Format_ARGB32);
        img.fill(Qt::red);
        ReportBand band(20);
        band.icon(552, 2, 16, 16, img);
        band.icon(4, 2, 16, 16, QImage());   // a missing icon file
        b.addDetail(band);
        const ReportLayout l = b.paginate();
        QCOMPARE(l.pages()[0].icons.size(), 2);
        const QImage page = l.renderPage(0, 72);
        // 10 mm margin + 552 units, 2 units down, at 72 dpi.
        const double px = 72 / 25.4;
        const QPoint red(qRound((10 + 560 * MillimetresPerUnit) * px), qRound((10 + 10 * MillimetresPerUnit) * px));
        QCOMPARE(page.pixel(red), qRgb(255, 0, 0));
        const QPoint empty(qRound((10 + 12 * MillimetresPerUnit) * px), red.y());
        QCOMPARE(page.pixel(empty), qRgb(255, 255, 255));
    }

    void paintsToImageAndPdf()
    {
        ReportBuilder b(Orientation::Landscape);
        bareFrame(b);
        for (int i = 0; i < 40; ++i)
            b.addDetail(row(QStringLiteral("sor %1").arg(i)));
        const ReportLayout l = b.paginate();
        QCOMPARE(l.pageCount(), 2);

        const QImage img = l.renderPage(0, 60);
        QCOMPARE(img.width(), qRound(297 / 25.4 * 60));
        QCOMPARE(img.height(), qRound(210 / 25.4 * 60));
        const int margin = qRound(10 / 25.4 * 60);
        // The margins stay white; the header and the rows are drawn.
        QCOMPARE(nonWhitePixels(img, QRect(0, 0, img.width(), margin - 1)), 0);
        QVERIFY(nonWhitePixels(img, QRect(margin, margin, 60, 15)) > 0);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lista.pdf"));
        {
            QPdfWriter pdf(path);
            QVERIFY(l.print(&pdf));
            QCOMPARE(pdf.pageLayout().orientation(), QPageLayout::Landscape);
            QCOMPARE(pdf.pageLayout().pageSize().id(), QPageSize::A4);
        }
        const QByteArray bytes = testenv::fileBytes(path);
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 2);
    }

    void printWithoutPrinterIsReportedAsError()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("a default printer is installed here");
        ReportBuilder b;
        bareFrame(b);
        const ReportLayout l = b.paginate();
        testhooks::clearMessages();
        QVERIFY(!RunGuarded([&] { showReport(l, true); }));
        const testhooks::ShownMessage m = testhooks::lastMessage();
        QCOMPARE(m.caption, QStringLiteral("Zentavo"));
        QVERIFY2(m.text.contains(QStringLiteral("nyomtató")), qPrintable(m.text));

        // With the hook's printer check on, the same error comes before the hook.
        bool called = false;
        setShowReportHook([&](const ReportLayout &, bool) { called = true; }, true);
        QVERIFY_THROWS_EXCEPTION(zdb::Error, showReport(l, true));
        QVERIFY(!called);
        showReport(l, false);
        QVERIFY(called);
    }

    void previewShowsEveryPage()
    {
        ReportBuilder b;
        bareFrame(b);
        for (int i = 0; i < 50; ++i)
            b.addDetail(row(QString::number(i)));
        b.setTitle(QStringLiteral("Feladatok"));
        const ReportLayout l = b.paginate();
        int pages = -1;
        QString title;
        testhooks::onNextDialog([&](QDialog *d) {
            title = d->windowTitle();
            if (auto *w = d->findChild<QPrintPreviewWidget *>()) {
                w->updatePreview();
                pages = w->pageCount();
            }
            d->reject();
        });
        showReport(l, false);
        QCOMPARE(pages, 2);
        QCOMPARE(title, QStringLiteral("Nyomtatási kép - Feladatok"));
    }

    // ---- the page frame ---------------------------------------------------------

    void frameLayout_data()
    {
        QTest::addColumn<bool>("portrait");
        QTest::newRow("portrait") << true;
        QTest::newRow("landscape") << false;
    }
    void frameLayout()
    {
        QFETCH(bool, portrait);
        ReportBuilder b(portrait ? Orientation::Portrait : Orientation::Landscape);
        ReportFrame frame;
        frame.heading = QStringLiteral("Ügyfelek");
        frame.footerTitle = QStringLiteral("Ügyfelek lista");
        frame.subtitle = QStringLiteral("alcím");
        frame.identifier = QStringLiteral("qrGridPrint");
        frame.owner = ReportOwner{QStringLiteral("Minta Kft."), QStringLiteral("1111 Budapest"),
                                  QStringLiteral("Fő utca 1."), QStringLiteral("06-1-123-4567")};
        frame.printedAt = QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9));
        ReportBand titles;
        titles.text(0, ColumnTitleTop, 100, 13, QStringLiteral("oszlop"), 0);
        applyFrame(b, frame, titles);
        QCOMPARE(b.pageHeader().height, 91.0);
        QCOMPARE(b.pageHeader().bottomRule, 2.0);
        QCOMPARE(b.pageFooter().height, 44.0);
        QVERIFY(b.pageFooter().topRule > 0);
        QCOMPARE(b.title(), QStringLiteral("Ügyfelek lista"));

        const ReportLayout l = b.paginate();
        const ReportPage &pg = l.pages()[0];
        const double w = b.width();
        struct Expect
        {
            const char *text;
            double y;
            double right;   // right edge; < 0: left edge at 0
            double pt;
            bool bold;
        };
        const Expect expect[] = {
            {"Ügyfelek", 4, -1, 16, true},
            {"alcím", 28, -1, 9, true},
            {"Minta Kft.", 4, w, 10, true},
            {"1111 Budapest", 20, w, 10, false},
            {"Fő utca 1.", 32, w, 10, false},
            {"06-1-123-4567", 44, w, 10, false},
            {"oszlop", ColumnTitleTop, -1, 8, false},
        };
        for (const Expect &e : expect) {
            const ReportText *t = pg.findText(QString::fromUtf8(e.text));
            QVERIFY2(t, e.text);
            QCOMPARE(t->y, float(e.y));
            if (e.right < 0) {
                QCOMPARE(t->x, 0.0f);
            } else {
                QCOMPARE(t->x + t->w, float(e.right));
                QCOMPARE(t->align & Qt::AlignHorizontal_Mask, quint16(Qt::AlignRight));
            }
            QCOMPARE(l.fonts()[t->font].pointSize, e.pt);
            QCOMPARE(l.fonts()[t->font].bold, e.bold);
        }
        // A long owner name may use the free space left of the owner block, never the title block.
        const ReportText *name = pg.findText(QStringLiteral("Minta Kft."));
        QVERIFY(name->x > float(frame.leftBlockWidth) && name->x + name->w == float(w));

        // The footer, in fixed-pitch 8 pt, at the page's bottom.
        const double top = l.height() - 44;
        const QString stamp = QLocale().toString(QDate(2026, 3, 5), QLocale::ShortFormat);
        const ReportText *zentavo = pg.findText(QStringLiteral("Zentavo"));
        QVERIFY(zentavo);
        QVERIFY(qAbs(zentavo->y - (top + 4)) < 0.01);
        QVERIFY(l.fonts()[zentavo->font].fixedPitch);
        QCOMPARE(l.fonts()[zentavo->font].pointSize, 8.0);
        QVERIFY(qAbs(pg.findText(QStringLiteral("Ügyfelek lista"))->y - (top + 16)) < 0.01);
        QCOMPARE(pg.textsInRow(top + 28), (QStringList{QStringLiteral("oldal: 1"), publisherAddress(),
                                                       QStringLiteral("qrGridPrint")}));
        const QStringList row4 = pg.textsInRow(top + 4);
        QCOMPARE(row4.size(), 2);
        QVERIFY2(row4[1].startsWith(stamp) && row4[1].contains(QStringLiteral("07")), qPrintable(row4[1]));
        QVERIFY(!row4[1].contains(QStringLiteral("UTC")));

        // Two rules frame each block; grey rules under the header and over the footer.
        int blockRules = 0;
        bool headerRule = false, footerRule = false;
        for (const ReportLine &line : pg.lines) {
            if (line.y1 < 1.01 || qAbs(line.y1 - 60.5f) < 0.01f)
                ++blockRules;
            if (qAbs(line.y1 - 90) < 0.01 && line.width == 2.0f && line.color == RuleGrey)
                headerRule = true;
            if (qAbs(line.y1 - (top + 0.5)) < 0.01 && line.color == RuleGrey)
                footerRule = true;
        }
        QCOMPARE(blockRules, 4);
        QVERIFY(headerRule);
        QVERIFY(footerRule);
    }

    void ownerFromTheDatabase_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("full row") << QStringLiteral(
            "INSERT INTO tulajdonos VALUES ('Minta Kft.', '06-1-111', '06-30-222', '1111', 'Budapest', 'Fő u. 1.');"
            "INSERT INTO tulajdonos VALUES ('Második', '', '', '', '', '');")
                                  << QStringList{QStringLiteral("Minta Kft."), QStringLiteral("1111 Budapest"),
                                                 QStringLiteral("Fő u. 1."), QStringLiteral("06-1-111")};
        QTest::newRow("nulls") << QStringLiteral(
            "INSERT INTO tulajdonos (tulajdonos, varos) VALUES ('Egyéni', 'Pécs');")
                               << QStringList{QStringLiteral("Egyéni"), QStringLiteral("Pécs"), QString(), QString()};
        QTest::newRow("no row") << QString() << QStringList{QString(), QString(), QString(), QString()};
    }
    void ownerFromTheDatabase()
    {
        QFETCH(QString, sql);
        QFETCH(QStringList, expected);
        AppFixture f;
        f.makeDb(sql);
        QVERIFY(f.start());
        const ReportOwner o = ReportOwner::load();
        QCOMPARE((QStringList{o.name, o.postcodeCity, o.address, o.phone}), expected);
    }

    // ---- output choice ----------------------------------------------------------

    void chooseReportOutput_data()
    {
        QTest::addColumn<int>("pick");     // -1: leave the default
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("result");
        QTest::newRow("default is preview") << -1 << true << 0;
        QTest::newRow("print") << 1 << true << 1;
        QTest::newRow("csv") << 2 << true << 2;
        QTest::newRow("cancel") << 2 << false << -1;
    }
    void chooseReportOutput()
    {
        QFETCH(int, pick);
        QFETCH(bool, accept);
        QFETCH(int, result);
        AppFixture f;
        QStringList captions;
        bool fixedSize = false;
        bool defaultOk = false;
        testhooks::onNextDialog([&](QDialog *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Nyomtatás típusa"));
            for (QRadioButton *r : d->findChildren<QRadioButton *>())
                captions << r->text() + (r->isChecked() ? QStringLiteral("*") : QString());
            fixedSize = d->minimumSize() == d->maximumSize();
            // Room for the whole title beside the title bar's icon and buttons.
            QVERIFY(d->width() >= QFontMetrics(d->font()).horizontalAdvance(d->windowTitle()) + 100);
            auto *ok = d->findChild<QPushButton *>(QStringLiteral("btOK"));
            defaultOk = ok && ok->isDefault() && ok->text() == QStringLiteral("OK");
            if (pick >= 0)
                d->findChild<QRadioButton *>(QStringLiteral("rbItem%1").arg(pick))->setChecked(true);
            d->move(123, 77);
            if (accept)
                ok->click();
            else
                d->findChild<QPushButton *>(QStringLiteral("btMegsem"))->click();
        });
        QCOMPARE(ChooseReportOutput(), result);
        QCOMPARE(captions, (QStringList{QStringLiteral("Nyomtatási kép*"), QStringLiteral("Nyomtatás"),
                                        QStringLiteral("Excelbe (CSV)")}));
        QVERIFY(fixedSize);
        QVERIFY(defaultOk);
        // The position is remembered either way.
        QCOMPARE(f.ini().value(QStringLiteral("frm_NyomtatasTipus/Left")).toInt(), 123);
        QCOMPARE(f.ini().value(QStringLiteral("frm_NyomtatasTipus/Top")).toInt(), 77);
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"

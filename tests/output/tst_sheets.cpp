// The data sheets: their record sets (one record, the list's filter and
// order, the calendar period, the comments of one owner), the positions and
// band heights of their detail lines, the calendar's day groups, wrapped
// descriptions, the completion icons, the empty sheet, and the entries'
// output choice.

#include "tests/app/appfixture.h"

#include "app/delimitedexportdialog.h"
#include "app/reportoutputdialog.h"
#include "output/output.h"
#include "output/sheets.h"

#include "db/recordset.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTest>

#include <functional>
#include <memory>

using namespace zrep;

namespace {

constexpr double Body = 91;   // the detail bands start under the page header

const char *const kLongText =
    "Az ajánlatot a tavaszi akcióhoz kell igazítani, a szállítási határidőt egyeztetni a raktárral, "
    "és a régi árlistát visszavonni, mielőtt a viszonteladók megkapják az új feltételeket a hónap végéig."
    "\r\nMásodik bekezdés: számla másolat.";

QString dataSql()
{
    return QStringLiteral(
               "INSERT INTO tulajdonos (tulajdonos, telefon, irsz, varos, cim) VALUES "
               " ('Próba Kft.', '06-1-111-2222', '1111', 'Budapest', 'Fő utca 1.');"
               "INSERT INTO dolog3 (dolog3, datum, dat_hatid, rovid, leiras, ugyfel_nev, termek_nev, projekt_nev,"
               " kesz, dat_kesz, statusz, rovids) VALUES"
               " (1, '2008-03-01', '2008-03-10', 'Első feladat', '', 'Alfa Kft.', 'Csavar', 'Tavasz', 'I',"
               "  '2008-03-05', 2, 'ELSO FELADAT'),"
               " (2, '2008-03-02', '2008-03-12', 'Második feladat', '%1', NULL, NULL, NULL, 'N', NULL, 1,"
               "  'MASODIK FELADAT'),"
               " (3, '2008-03-03', NULL, 'Harmadik feladat', '   ' || char(13, 10) || '  ', NULL, NULL, NULL,"
               "  NULL, NULL, 0, 'HARMADIK FELADAT');"
               "INSERT INTO dolog1 (dolog1, datum, datumstr, ora, rovid, leiras, ugyfel_nev, projekt_nev, termek_nev,"
               " kesz) VALUES"
               " (11, '2008-03-01', '20080301', 14, 'Délutáni megbeszélés', 'Vigyük a szerződést.', 'Alfa Kft.',"
               "  'Tavasz', 'Csavar', 'I'),"
               " (12, '2008-03-01', '20080301', 9, 'Reggeli hívás', '', NULL, NULL, NULL, 'N'),"
               " (13, '2008-03-01', '20080301', 11, 'Ebéd', NULL, NULL, NULL, NULL, 'N'),"
               " (14, '2008-03-04', '20080304', 10, 'Szerdai bejegyzés', NULL, NULL, NULL, NULL, 'N'),"
               " (15, '2008-04-01', '20080401', 8, 'Áprilisi bejegyzés', NULL, NULL, NULL, NULL, 'N');"
               "INSERT INTO ugyfel (ugyfel, ugyfelkod, ugyfel_nev, kapcsolattarto, telefon, fax, mobil, emil, irsz,"
               " varos, cim, megjegyzes, ugyfel_nevs) VALUES"
               " (1, 42, 'Alfa Kft.', 'Kiss Anna', '06-1-222-3333', '06-1-222-3334', '06-30-111-2222',"
               "  'alfa@pelda.hu', '1111', 'Budapest', 'Fő u. 2.', 'Régi ügyfél, havonta számláz.', 'ALFA KFT.'),"
               " (2, 7, 'Béta Bt.', NULL, NULL, NULL, NULL, NULL, '6720', 'Szeged', NULL, NULL, 'BETA BT.'),"
               " (3, 123, 'Ceruza Zrt.', NULL, NULL, NULL, NULL, NULL, '1051', 'Budapest', NULL, NULL,"
               "  'CERUZA ZRT.');"
               "INSERT INTO termek (termek, cikkszam, termek_nev, megjegyzes) VALUES"
               " (1, 'CS-01', 'Csavar', 'M6-os, horganyzott'), (2, 'AN-02', 'Anya', NULL);"
               "INSERT INTO projekt (projekt, projekt_nev, dat_indul, dat_lezar, lezarva, megjegyzes) VALUES"
               " (1, 'Tavasz', '2008-03-01', '2008-06-30', 'N', 'Tavaszi kampány'),"
               " (2, 'Nyár', '2008-06-01', NULL, 'I', NULL);"
               "INSERT INTO jegyzet (jegyzet, datum, kategoria, rovid, szoveg) VALUES"
               " (1, '2008-03-01', 'Ötletek', 'Bevásárlás', 'tej' || char(13, 10) || 'kenyér'),"
               " (2, '2008-03-02', NULL, 'Üres jegyzet', NULL);"
               "INSERT INTO megjegyzes (megjegyzes, datum, rovid, ugyfel, termek, projekt, azonstr, szoveg) VALUES"
               " (1, '2008-03-05', 'Projekt második', NULL, NULL, 1, 'Tavasz', 'Szöveg a projekthez'),"
               " (2, '2008-03-01', 'Projekt első', NULL, NULL, 1, 'Tavasz', ''),"
               " (3, '2008-03-02', 'Ügyfél megjegyzés', 1, NULL, NULL, 'Alfa Kft.', 'x'),"
               " (4, '2008-03-03', 'Másik projekt', NULL, NULL, 2, 'Nyár', NULL);")
        .arg(QString::fromUtf8(kLongText));
}

bool near(double a, double b)
{
    return qAbs(a - b) < 0.01;
}

const ReportText *find(const ReportPage &page, const QString &text)
{
    return page.findText(text);
}

// The texts of a page that start at x, top to bottom.
QList<const ReportText *> textsAtX(const ReportPage &page, double x)
{
    QList<const ReportText *> out;
    for (const ReportText &t : page.texts)
        if (qAbs(t.x - x) < 0.01)
            out.append(&t);
    std::stable_sort(out.begin(), out.end(), [](auto *a, auto *b) { return a->y < b->y; });
    return out;
}

// Tops of the grey detail rules (their centre less half their thickness).
QList<double> detailRuleBottoms(const ReportPage &page)
{
    QList<double> out;
    for (const ReportLine &l : page.lines)
        if (l.color == RuleGrey && qAbs(l.width - 0.5) < 0.01)
            out.append(l.y1 + l.width / 2);
    std::sort(out.begin(), out.end());
    return out;
}

bool sameTops(const QList<double> &actual, const QList<double> &expected)
{
    if (actual.size() != expected.size())
        return false;
    for (qsizetype i = 0; i < actual.size(); ++i)
        if (!near(actual[i], expected[i]))
            return false;
    return true;
}

QStringList fieldNames(const zdb::RecordSet &rs)
{
    return rs.fieldNames();
}

QStringList column(const zdb::RecordSet &rs, const char *field)
{
    QStringList out;
    for (int r = 0; r < rs.recordCount(); ++r)
        out.append(rs.textAt(r, rs.fieldIndex(QString::fromLatin1(field))));
    return out;
}

struct Captured
{
    int calls = 0;
    bool print = false;
    ReportLayout layout;
};

} // namespace

#define VERIFY_AT(page, text, X, Y)                                                                                 \
    do {                                                                                                           \
        const ReportText *t_ = find(page, text);                                                                   \
        QVERIFY2(t_, qPrintable(QStringLiteral("missing: ") + (text)));                                          \
        QVERIFY2(near(t_->x, X) && near(t_->y, Y),                                                                 \
                 qPrintable(QStringLiteral("%1 at %2, %3").arg(text).arg(t_->x).arg(t_->y)));                      \
    } while (false)

class TestSheets : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> f;
    ReportOwner owner;
    Captured shown;
    QImage doneIcon, openIcon;

    // Answers the output choice dialog with `choice` (-1: "Mégsem").
    static void answerChoice(int choice)
    {
        testhooks::onNextDialog([choice](QDialog *d) {
            auto *dialog = qobject_cast<Tfrm_NyomtatasTipus *>(d);
            QVERIFY(dialog);
            if (choice < 0) {
                d->reject();
                return;
            }
            dialog->setChoice(choice);
            d->accept();
        });
    }

private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        f = std::make_unique<AppFixture>();
        QDir().mkpath(f->path(QStringLiteral("Pics")));
        for (const char *name : {"save16.ico", "cancel16.ico"})
            QVERIFY(QFile::copy(testenv::sourceDir() + QStringLiteral("/resources/program/Pics/") + QLatin1String(name),
                                f->path(QStringLiteral("Pics/")) + QLatin1String(name)));
        doneIcon = QImage(f->path(QStringLiteral("Pics/save16.ico")));
        openIcon = QImage(f->path(QStringLiteral("Pics/cancel16.ico")));
        QVERIFY(!doneIcon.isNull() && !openIcon.isNull() && doneIcon != openIcon);
        f->makeDb(dataSql());
        QVERIFY(f->start());
        owner = ReportOwner::load();
        QCOMPARE(owner.name, QStringLiteral("Próba Kft."));
        setShowReportHook([this](const ReportLayout &layout, bool print) {
            ++shown.calls;
            shown.print = print;
            shown.layout = layout;
        });
    }

    void cleanupTestCase()
    {
        setShowReportHook({});
        f.reset();
    }

    void init()
    {
        shown = Captured();
    }

    // Every sheet, over a record set with no rows, is one page with the
    // frame, its titles and nothing in the body.
    void emptySheetsKeepFrameAndTitles_data()
    {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QList<int>>("titleX");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<double>("pointSize");
        QTest::newRow("tasks") << 0 << "Feladatok" << "qrFeladat"
                               << QStringList{"dátum/elkészült", "határidő", "rövid", "ügyfél"}
                               << QList<int>{0, 68, 136, 352} << false << 8.0;
        QTest::newRow("calendar") << 1 << "Naptár" << "qrNaptar"
                                  << QStringList{"óra", "rövid", "ügyfél", "projekt", "termék"}
                                  << QList<int>{28, 56, 212, 324, 436} << false << 8.0;
        QTest::newRow("customers") << 2 << "Ügyfelek" << "qrUgyfel"
                                   << QStringList{"ügyfél", "ügyfélkód", "kapcs.tartó", "telefon", "fax", "mobil"}
                                   << QList<int>{0, 128, 180, 284, 380, 476} << true << 8.0;
        QTest::newRow("products") << 3 << "Termékek" << "qrTermek" << QStringList{"cikkszám", "termék neve"}
                                  << QList<int>{0, 128} << true << 8.0;
        QTest::newRow("projects") << 4 << "Projektek" << "qrProjekt" << QStringList{"projekt", "indul", "lezárva"}
                                  << QList<int>{0, 228, 308} << true << 8.0;
        QTest::newRow("notes") << 5 << "Jegyzetek" << "qrJegyzet" << QStringList{"dátum", "kategória", "rövid"}
                               << QList<int>{0, 80, 176} << false << 9.0;
        QTest::newRow("comments") << 6 << "Megjegyzések" << "qrMegj" << QStringList{"dátum", "rövid"}
                                  << QList<int>{0, 56} << false << 8.0;
    }

    void emptySheetsKeepFrameAndTitles()
    {
        QFETCH(int, sheet);
        QFETCH(QString, heading);
        QFETCH(QString, identifier);
        QFETCH(QStringList, titles);
        QFETCH(QList<int>, titleX);
        QFETCH(bool, italic);
        QFETCH(double, pointSize);

        std::unique_ptr<zdb::RecordSet> rs;
        std::function<ReportLayout()> make;
        switch (sheet) {
        case 0: rs = taskSheetRecordSet(999, {}, false, {}); make = [&] { return makeTaskSheet(*rs, owner); }; break;
        case 1:
            rs = calendarSheetRecordSet(QDate(2009, 1, 1), QDate(2009, 1, 31));
            make = [&] { return makeCalendarSheet(*rs, QStringLiteral("2009.01.01 - 2009.01.31"), owner); };
            break;
        case 2: rs = customerSheetRecordSet(-1, QStringLiteral("varos='Pécs'"), true, {}); make = [&] { return makeCustomerSheet(*rs, owner); }; break;
        case 3: rs = productSheetRecordSet(999, {}, false, {}); make = [&] { return makeProductSheet(*rs, owner); }; break;
        case 4: rs = projectSheetRecordSet(999, {}, false, {}); make = [&] { return makeProjectSheet(*rs, owner); }; break;
        case 5: rs = noteSheetRecordSet(999, {}, false, {}); make = [&] { return makeNoteSheet(*rs, owner); }; break;
        default:
            rs = commentSheetRecordSet(0, 999);
            make = [&] { return makeCommentSheet(*rs, QStringLiteral("Senki"), owner); };
        }
        rs->open();
        QCOMPARE(rs->recordCount(), 0);
        const ReportLayout layout = make();
        QCOMPARE(layout.pageCount(), 1);
        const ReportPage &page = layout.pages().first();

        VERIFY_AT(page, heading, 0, 4);
        QVERIFY(find(page, identifier));
        QCOMPARE(page.textsInRow(layout.height() - PageFooterHeight + 16), QStringList{heading});
        VERIFY_AT(page, QStringLiteral("oldal: 1"), 0, layout.height() - PageFooterHeight + 28);
        QCOMPARE(find(page, owner.name)->x + find(page, owner.name)->w, 575.0f);
        // The framed title block is 205 units wide in every sheet.
        bool block = false;
        for (const ReportLine &l : page.lines)
            block = block || (l.x1 == 0 && qAbs(l.x2 - 205) < 0.01);
        QVERIFY(block);

        QCOMPARE(page.textsInRow(ColumnTitleTop), titles);
        for (int i = 0; i < titles.size(); ++i) {
            const ReportText *t = find(page, titles[i]);
            QCOMPARE(t->y, float(ColumnTitleTop));
            QCOMPARE(int(t->x), titleX[i]);
            const ReportFont &font = layout.fonts()[t->font];
            QCOMPARE(font.italic, italic);
            QCOMPARE(font.pointSize, pointSize);
        }
        for (const ReportText &t : page.texts)
            QVERIFY2(t.y < Body || t.y >= layout.height() - PageFooterHeight, qPrintable(t.text));
    }

    // Two-line block without a description, a wrapped third line with one;
    // a description of nothing but white space counts as none.
    void taskSheetLinesBandsAndIcons()
    {
        auto rs = taskSheetRecordSet(-1, {}, false, QStringLiteral("dolog3"));
        rs->open();
        const ReportLayout layout = makeTaskSheet(*rs, owner);
        QCOMPARE(layout.pageCount(), 1);
        const ReportPage &page = layout.pages().first();

        const double r1 = Body;
        VERIFY_AT(page, QStringLiteral("2008.03.01."), 0, r1 + 4);
        VERIFY_AT(page, QStringLiteral("2008.03.10."), 68, r1 + 4);
        VERIFY_AT(page, QStringLiteral("Első feladat"), 136, r1 + 4);
        VERIFY_AT(page, QStringLiteral("Alfa Kft."), 352, r1 + 4);
        VERIFY_AT(page, QStringLiteral("2008.03.05."), 0, r1 + 20);
        VERIFY_AT(page, QStringLiteral("termék"), 68, r1 + 20);
        VERIFY_AT(page, QStringLiteral("Csavar"), 136, r1 + 20);
        VERIFY_AT(page, QStringLiteral("projekt"), 284, r1 + 20);
        VERIFY_AT(page, QStringLiteral("Tavasz"), 352, r1 + 20);
        QCOMPARE(find(page, QStringLiteral("Első feladat"))->w, 213.0f);
        QCOMPARE(find(page, QStringLiteral("Csavar"))->w, 145.0f);

        const double r2 = r1 + 36;
        VERIFY_AT(page, QStringLiteral("Második feladat"), 136, r2 + 4);
        const QList<const ReportText *> desc = textsAtX(page, 8);
        QVERIFY(desc.size() >= 3);
        QVERIFY(near(desc.first()->y, r2 + 36));
        QVERIFY(desc.first()->text.startsWith(QStringLiteral("Az ajánlatot")));
        QVERIFY(desc.last()->text.startsWith(QStringLiteral("Második bekezdés")));
        const ReportFont &descFont = layout.fonts()[desc.first()->font];
        QVERIFY(descFont.fixedPitch);
        QCOMPARE(descFont.pointSize, 9.0);
        QStringList words;
        for (qsizetype i = 0; i < desc.size(); ++i) {
            QCOMPARE(desc[i]->w, 565.0f);
            if (i > 0)
                QVERIFY(near(desc[i]->y - desc[i - 1]->y, desc[i - 1]->h));
            words += desc[i]->text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        }
        QCOMPARE(words.join(QLatin1Char(' ')),
                 QString::fromUtf8(kLongText).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));

        // The band ends 3 units under the last description line, as it does
        // under a single one; the third task has no description: 36 units.
        const double r3 = desc.last()->y + desc.last()->h + 3;
        VERIFY_AT(page, QStringLiteral("Harmadik feladat"), 136, r3 + 4);
        QVERIFY(sameTops(detailRuleBottoms(page), QList<double>{r2, r3, r3 + 36}));

        QCOMPARE(page.icons.size(), 3);
        const double tops[] = {r1, r2, r3};
        for (int i = 0; i < 3; ++i) {
            const ReportIcon &icon = page.icons[i];
            QVERIFY(near(icon.x, 552) && near(icon.y, tops[i] + 2) && icon.w == 16 && icon.h == 16);
            // Only "I" is done; "N" and an empty flag print the open icon.
            QCOMPARE(icon.image, i == 0 ? doneIcon : openIcon);
        }
    }

    void missingIconFilesLeaveTheirPlaceEmpty()
    {
        QTemporaryDir elsewhere;
        SetProgramDir(elsewhere.path());
        auto tasks = taskSheetRecordSet(-1, {}, false, {});
        tasks->open();
        auto entries = calendarSheetRecordSet(QDate(2008, 3, 1), QDate(2008, 3, 31));
        entries->open();
        const ReportLayout taskLayout = makeTaskSheet(*tasks, owner);
        const ReportLayout calendarLayout = makeCalendarSheet(*entries, {}, owner);
        SetProgramDir(f->dir.path());
        QVERIFY(taskLayout.pages().first().icons.isEmpty());
        QVERIFY(calendarLayout.pages().first().icons.isEmpty());
        QVERIFY(find(taskLayout.pages().first(), QStringLiteral("Első feladat")));
    }

    // One record by its key whatever the list's filter; all records under
    // the list's filter and switch; the list's order in both cases.
    void recordSetsFollowTheList_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("filtered");
        QTest::addColumn<bool>("listOrder");
        QTest::addColumn<QStringList>("tasks");
        QTest::addColumn<QStringList>("customers");
        QTest::newRow("filtered list") << -1 << true << true << QStringList{"Harmadik feladat", "Második feladat"}
                                       << QStringList{"Ceruza Zrt.", "Alfa Kft."};
        QTest::newRow("filter switched off") << -1 << false << false
                                             << QStringList{"Első feladat", "Második feladat", "Harmadik feladat"}
                                             << QStringList{"Alfa Kft.", "Béta Bt.", "Ceruza Zrt."};
        QTest::newRow("one record") << 2 << true << false << QStringList{"Második feladat"}
                                    << QStringList{"Béta Bt."};
    }

    void recordSetsFollowTheList()
    {
        QFETCH(int, id);
        QFETCH(bool, filtered);
        QFETCH(bool, listOrder);
        QFETCH(QStringList, tasks);
        QFETCH(QStringList, customers);
        auto t = taskSheetRecordSet(id, QStringLiteral("kesz='N' or kesz is null"), filtered,
                                    listOrder ? QStringLiteral("rovids") : QStringLiteral("dolog3"));
        t->open();
        QCOMPARE(column(*t, "rovid"), tasks);
        auto c = customerSheetRecordSet(id, QStringLiteral("varos='Budapest'"), filtered,
                                        listOrder ? QStringLiteral("irsz") : QStringLiteral("ugyfel"));
        c->open();
        QCOMPARE(column(*c, "ugyfel_nev"), customers);
    }

    // The fields each sheet's record set (and so its delimited export) offers.
    void recordSetFields()
    {
        QCOMPARE(fieldNames(*taskSheetRecordSet(1, {}, false, {})),
                 QString("dolog3 datum dat_hatid rovid leiras ugyfel termek projekt fontos fileban ugyfel_nev "
                         "termek_nev projekt_nev kesz dat_kesz").split(' '));
        QCOMPARE(fieldNames(*calendarSheetRecordSet({}, {})),
                 QString("dolog1 datum ora rovid leiras ugyfel termek projekt fontos fileban ugyfel_nev termek_nev "
                         "projekt_nev dat_kesz kesz datumstr").split(' '));
        QCOMPARE(fieldNames(*customerSheetRecordSet(1, {}, false, {})),
                 QString("ugyfel ugyfelkod ugyfel_nev kapcsolattarto telefon fax mobil emil irsz varos cim "
                         "megjegyzes").split(' '));
        QCOMPARE(fieldNames(*productSheetRecordSet(1, {}, false, {})),
                 QString("termek cikkszam termek_nev megjegyzes").split(' '));
        QCOMPARE(fieldNames(*projectSheetRecordSet(1, {}, false, {})),
                 QString("projekt projekt_nev dat_indul dat_lezar lezarva megjegyzes").split(' '));
        QCOMPARE(fieldNames(*noteSheetRecordSet(1, {}, false, {})),
                 QString("jegyzet datum kategoria rovid szoveg").split(' '));
        QCOMPARE(fieldNames(*commentSheetRecordSet(2, 1)),
                 QString("megjegyzes datum rovid ugyfel termek projekt azonstr szoveg").split(' '));
        QCOMPARE(calendarSheetRecordSet({}, {})->sql(),
                 QStringLiteral("SELECT * FROM dolog1\r\nWHERE datum BETWEEN :d1 AND :d2\r\nORDER BY datum, ora;"));
        QCOMPARE(commentSheetRecordSet(1, 7)->sql(),
                 QStringLiteral("SELECT * FROM megjegyzes\r\nWHERE termek=:owner\r\nORDER BY datum;"));
        QCOMPARE(commentSheetRecordSet(1, 7)->selectSql(),
                 QStringLiteral("SELECT * FROM megjegyzes\r\nWHERE termek=7\r\nORDER BY datum;"));
        QVERIFY(!commentSheetRecordSet(3, 7));
    }

    // One date group per day, entries by hour, the description under its
    // entry, the period as the subtitle; entries outside it stay out.
    void calendarSheetGroupsByDay()
    {
        auto rs = calendarSheetRecordSet(QDate(2008, 3, 1), QDate(2008, 3, 31));
        rs->open();
        const QString subtitle = calendarSheetSubtitle(QDate(2008, 3, 1), QDate(2008, 3, 31));
        QCOMPARE(subtitle, QStringLiteral("2008.03.01 - 2008.03.31"));
        const ReportLayout layout = makeCalendarSheet(*rs, subtitle, owner);
        const ReportPage &page = layout.pages().first();

        VERIFY_AT(page, subtitle, 0, 28);
        QCOMPARE(layout.fonts()[find(page, subtitle)->font].pointSize, 10.0);
        QVERIFY(!find(page, QStringLiteral("Áprilisi bejegyzés")));

        const double g1 = Body;
        VERIFY_AT(page, QStringLiteral("2008.03.01."), 4, g1 + 4);
        const ReportFont &dayFont = layout.fonts()[find(page, QStringLiteral("2008.03.01."))->font];
        QVERIFY(dayFont.bold);
        QCOMPARE(dayFont.pointSize, 11.0);
        const double e1 = g1 + 24, e2 = e1 + 20, e3 = e2 + 20;
        VERIFY_AT(page, QStringLiteral("9"), 28, e1 + 4);
        QVERIFY(layout.fonts()[find(page, QStringLiteral("9"))->font].bold);
        VERIFY_AT(page, QStringLiteral("Reggeli hívás"), 56, e1 + 4);
        VERIFY_AT(page, QStringLiteral("Ebéd"), 56, e2 + 4);
        VERIFY_AT(page, QStringLiteral("Délutáni megbeszélés"), 56, e3 + 4);
        VERIFY_AT(page, QStringLiteral("Alfa Kft."), 212, e3 + 4);
        VERIFY_AT(page, QStringLiteral("Tavasz"), 324, e3 + 4);
        VERIFY_AT(page, QStringLiteral("Csavar"), 436, e3 + 4);
        VERIFY_AT(page, QStringLiteral("Vigyük a szerződést."), 32, e3 + 20);

        const double g2 = e3 + 36;
        VERIFY_AT(page, QStringLiteral("2008.03.04."), 4, g2 + 4);
        VERIFY_AT(page, QStringLiteral("Szerdai bejegyzés"), 56, g2 + 24 + 4);

        // A line closes each date group.
        int groupLines = 0;
        for (const ReportLine &l : page.lines)
            if (qAbs(l.y1 + l.width / 2 - (g1 + 24)) < 0.01 || qAbs(l.y1 + l.width / 2 - (g2 + 24)) < 0.01)
                ++groupLines;
        QCOMPARE(groupLines, 2);

        QCOMPARE(page.icons.size(), 4);
        for (const ReportIcon &icon : page.icons) {
            QCOMPARE(icon.x, 4.0f);
            const bool done = qAbs(icon.y - (e3 + 2)) < 0.01;
            QCOMPARE(icon.image, done ? doneIcon : openIcon);
        }
    }

    void customerSheetLines()
    {
        auto rs = customerSheetRecordSet(-1, QStringLiteral("varos='Budapest'"), true, QStringLiteral("irsz"));
        rs->open();
        const ReportLayout layout = makeCustomerSheet(*rs, owner);
        const ReportPage &page = layout.pages().first();
        const double r1 = Body, r2 = Body + 52;
        VERIFY_AT(page, QStringLiteral("Ceruza Zrt."), 0, r1 + 4);
        VERIFY_AT(page, QStringLiteral("00123"), 128, r1 + 4);
        VERIFY_AT(page, QStringLiteral("Alfa Kft."), 0, r2 + 4);
        VERIFY_AT(page, QStringLiteral("00042"), 128, r2 + 4);
        VERIFY_AT(page, QStringLiteral("Kiss Anna"), 180, r2 + 4);
        VERIFY_AT(page, QStringLiteral("06-1-222-3333"), 284, r2 + 4);
        VERIFY_AT(page, QStringLiteral("06-1-222-3334"), 380, r2 + 4);
        VERIFY_AT(page, QStringLiteral("06-30-111-2222"), 476, r2 + 4);
        VERIFY_AT(page, QStringLiteral("alfa@pelda.hu"), 68, r2 + 20);
        VERIFY_AT(page, QStringLiteral("1111"), 280, r2 + 20);
        VERIFY_AT(page, QStringLiteral("Fő u. 2."), 404, r2 + 20);
        VERIFY_AT(page, QStringLiteral("Régi ügyfél, havonta számláz."), 4, r2 + 36);
        QVERIFY(layout.fonts()[find(page, QStringLiteral("Régi ügyfél, havonta számláz."))->font].fixedPitch);
        // Labels on both records, italic.
        QCOMPARE(textsAtX(page, 12).size(), 2);
        QCOMPARE(textsAtX(page, 224).size(), 2);
        QVERIFY(layout.fonts()[textsAtX(page, 224).first()->font].italic);
        QCOMPARE(textsAtX(page, 224).last()->text, QStringLiteral("cím"));
        QVERIFY(sameTops(detailRuleBottoms(page), QList<double>{r2, r2 + 52}));
    }

    // Products, projects and notes: line 1, the note line under it, 36 units.
    void twoLineSheets_data()
    {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<QStringList>("line1");
        QTest::addColumn<QList<int>>("x1");
        QTest::addColumn<QString>("line2");
        QTest::addColumn<double>("line2Points");
        QTest::addColumn<QString>("nextRecord");
        QTest::newRow("products") << 0 << QStringList{"CS-01", "Csavar"} << QList<int>{0, 128}
                                  << "M6-os, horganyzott" << 8.0 << "Anya";
        QTest::newRow("projects") << 1 << QStringList{"Tavasz", "2008.03.01.", "2008.06.30."}
                                  << QList<int>{0, 228, 308} << "Tavaszi kampány" << 8.0 << "Nyár";
        QTest::newRow("notes") << 2 << QStringList{"2008.03.01.", "Ötletek", "Bevásárlás"} << QList<int>{0, 80, 176}
                               << "tej" << 9.0 << "Üres jegyzet";
    }

    void twoLineSheets()
    {
        QFETCH(int, sheet);
        QFETCH(QStringList, line1);
        QFETCH(QList<int>, x1);
        QFETCH(QString, line2);
        QFETCH(double, line2Points);
        QFETCH(QString, nextRecord);
        std::unique_ptr<zdb::Table> rs = sheet == 0   ? productSheetRecordSet(-1, {}, false, QStringLiteral("termek"))
                                         : sheet == 1 ? projectSheetRecordSet(-1, {}, false, QStringLiteral("projekt"))
                                                      : noteSheetRecordSet(-1, {}, false, QStringLiteral("jegyzet"));
        rs->open();
        const ReportLayout layout = sheet == 0 ? makeProductSheet(*rs, owner)
                                    : sheet == 1 ? makeProjectSheet(*rs, owner)
                                                 : makeNoteSheet(*rs, owner);
        const ReportPage &page = layout.pages().first();
        for (int i = 0; i < line1.size(); ++i)
            VERIFY_AT(page, line1[i], x1[i], Body + 4);
        VERIFY_AT(page, line2, 4, Body + 20);
        const ReportFont &font = layout.fonts()[find(page, line2)->font];
        QVERIFY(font.fixedPitch);
        QCOMPARE(font.pointSize, line2Points);
        QCOMPARE(find(page, line2)->w, 565.0f);
        // A note's text keeps its own line breaks.
        if (sheet == 2)
            VERIFY_AT(page, QStringLiteral("kenyér"), 4, Body + 20 + find(page, line2)->h);
        const double next = sheet == 2 ? find(page, QStringLiteral("kenyér"))->y + find(page, line2)->h + 3 : Body + 36;
        QVERIFY(near(find(page, nextRecord)->y, next + 4));
        QCOMPARE(detailRuleBottoms(page).size(), 2);
        QVERIFY(near(detailRuleBottoms(page).last(), next + 36));
    }

    void commentSheetOfAProject()
    {
        auto rs = commentSheetRecordSet(2, 1);
        rs->open();
        const ReportLayout layout = makeCommentSheet(*rs, QStringLiteral("Tavasz"), owner);
        const ReportPage &page = layout.pages().first();
        VERIFY_AT(page, QStringLiteral("Tavasz"), 0, 28);
        // Oldest first; the one without text is a single line of 20 units.
        VERIFY_AT(page, QStringLiteral("2008.03.01."), 0, Body + 4);
        QVERIFY(layout.fonts()[find(page, QStringLiteral("2008.03.01."))->font].bold);
        VERIFY_AT(page, QStringLiteral("Projekt első"), 56, Body + 4);
        VERIFY_AT(page, QStringLiteral("Projekt második"), 56, Body + 24);
        VERIFY_AT(page, QStringLiteral("Szöveg a projekthez"), 32, Body + 40);
        QVERIFY(sameTops(detailRuleBottoms(page), QList<double>{Body + 20, Body + 56}));
        QVERIFY(!find(page, QStringLiteral("Ügyfél megjegyzés")));
        QVERIFY(!find(page, QStringLiteral("Másik projekt")));
    }

    // The comments sheet goes straight to print or preview.
    void commentEntryHasNoChoice()
    {
        PrintCommentSheet(2, 1, QStringLiteral("Tavasz"), true);
        QCOMPARE(shown.calls, 1);
        QVERIFY(shown.print);
        QVERIFY(find(shown.layout.pages().first(), QStringLiteral("Projekt első")));
        PrintCommentSheet(0, 1, QStringLiteral("Alfa Kft."), false);
        QCOMPARE(shown.calls, 2);
        QVERIFY(!shown.print);
        QVERIFY(find(shown.layout.pages().first(), QStringLiteral("Ügyfél megjegyzés")));
        PrintCommentSheet(7, 1, QString(), false);
        QCOMPARE(shown.calls, 2);
    }

    // Preview and print show the list's selection; "Mégsem" does nothing.
    void entriesFollowTheChoice()
    {
        zdb::Table *tasks = Shared().TblFeladat;
        const QString oldFilter = tasks->filter(), oldOrder = tasks->order();
        const bool oldFiltered = tasks->filtered();
        const bool wasOpen = tasks->isOpen();
        tasks->close();
        tasks->setFilter(QStringLiteral("kesz='N' or kesz is null"));
        tasks->setFiltered(true);
        tasks->setOrder(QStringLiteral("rovids"));

        answerChoice(0);
        PrintTaskSheet(-1);
        QCOMPARE(shown.calls, 1);
        QVERIFY(!shown.print);
        const ReportPage &page = shown.layout.pages().first();
        QVERIFY(!find(page, QStringLiteral("Első feladat")));
        QVERIFY(find(page, QStringLiteral("Harmadik feladat"))->y < find(page, QStringLiteral("Második feladat"))->y);

        answerChoice(1);
        PrintTaskSheet(1);
        QCOMPARE(shown.calls, 2);
        QVERIFY(shown.print);
        QVERIFY(find(shown.layout.pages().first(), QStringLiteral("Első feladat")));

        answerChoice(-1);
        PrintCustomerSheet(-1, {}, false, {});
        answerChoice(1);
        PrintCalendarSheet(QDate(2008, 3, 4), QDate(2008, 3, 4));
        QCOMPARE(shown.calls, 3);
        QVERIFY(find(shown.layout.pages().first(), QStringLiteral("2008.03.04 - 2008.03.04")));
        QVERIFY(find(shown.layout.pages().first(), QStringLiteral("Szerdai bejegyzés")));
        QVERIFY(!find(shown.layout.pages().first(), QStringLiteral("Ebéd")));
        QCOMPARE(testhooks::pendingDialogCallbacks(), 0);

        tasks->setFilter(oldFilter);
        tasks->setFiltered(oldFiltered);
        tasks->setOrder(oldOrder);
        if (wasOpen)
            tasks->open();
    }

    // "Excelbe (CSV)" for one task exports that one record with the sheet's fields.
    void exportChoiceExportsTheSheetRecords()
    {
        const QString path = f->path(QStringLiteral("feladat.csv"));
        QStringList offered;
        answerChoice(2);
        testhooks::onNextDialog([&](QDialog *d) {
            auto *dialog = qobject_cast<Tfrm_Excelbe *>(d);
            QVERIFY(dialog);
            auto *list = dialog->findChild<QListWidget *>();
            for (int i = 0; i < list->count(); ++i)
                offered.append(list->item(i)->text());
            dialog->setFileName(path);
            dialog->startExport();
            d->reject();
        });
        PrintTaskSheet(1);
        QCOMPARE(shown.calls, 0);
        QCOMPARE(offered.size(), 15);
        QCOMPARE(offered.first(), QStringLiteral("dolog3"));
        QCOMPARE(offered.last(), QStringLiteral("dat_kesz"));
        const QList<QByteArray> lines = testenv::fileBytes(path).split('\n');
        QCOMPARE(lines.size(), 3);   // header, the task, and the empty rest after the last CR LF
        QVERIFY(lines[1].startsWith("1;2008.03.01.;2008.03.10.;"));
    }
};

QTEST_MAIN(TestSheets)
#include "tst_sheets.moc"

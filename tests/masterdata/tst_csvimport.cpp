// The CSV import of customers, products and projects: the column list, the
// file's lines and encodings, matching by code, conversions, the errors that
// stop a load, and that an import leaves every other row as it was.

#include "tests/app/appfixture.h"
#include "masterdata/csvimport.h"
#include "masterdata/csvload.h"
#include "masterdata/entries.h"
#include "app/helpers/descriptioneditor.h"
#include "app/helpers/core/restorecopies.h"

#include "db/catalog.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "db/dberror.h"
#include "output/delimitedexport.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

#include <stdexcept>

namespace {

const char *const kDemoSql = R"(
insert into ugyfel (ugyfel, ugyfelkod, ugyfel_nev, kapcsolattarto, telefon, emil, varos, vanmegj, ugyfel_nevs) values
  (1, 123, 'Alfa Kft.', 'Nagy Éva', '06-1-555-0101', 'info@alfa.hu', 'Budapest', 'I', 'ALFA KFT.'),
  (2, 200, 'Béta Zrt.', 'Kiss Ádám', '06-30-111-2222', 'beta@beta.hu', 'Győr', 'N', 'BETA ZRT.'),
  (7, 300, 'Gamma Bt.', 'Szabó Anna', null, null, 'Pécs', 'N', 'GAMMA BT.');
insert into termek (termek, cikkszam, termek_nev, vanmegj) values
  (1, 'ABC-1', 'Csavar', 'N'), (2, 'X-2', 'Anyacsavar', 'N');
insert into projekt (projekt, projekt_kod, projekt_nev, dat_indul, lezarva, vanmegj) values
  (1, 'P1', 'Nyitott', '2024-01-10', 'N', 'N'),
  (2, 'P2', 'Lezárt', '2023-03-01', 'I', 'N');
)";

// Every row of a table as one text per row, cells as stored (typeof and bytes).
QStringList dumpTable(const QString &dbPath, const QString &table)
{
    QStringList rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(dbPath).constData(), &db) != SQLITE_OK)
        return rows;
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = "select * from " + table.toLatin1() + " order by rowid";
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList cells;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const char *t = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
                cells << QString::number(sqlite3_column_type(st, i)) + QLatin1Char(':')
                        + (t ? QString::fromLatin1(QByteArray(t, sqlite3_column_bytes(st, i)).toHex()) : QString());
            }
            rows << cells.join(QLatin1Char('|'));
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

QVariant stored(AppFixture &f, const QString &sql)
{
    return testenv::storedValue(f.dbPath(), sql);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray cp1250(const QString &text)
{
    return zdb::toCp1250(text);
}

// A list window's record set, as the customer, product and project windows hold it.
struct Target
{
    zdb::Table tbl;
    explicit Target(const QString &table, const QString &order, const QString &filter = {})
        : tbl(Db1())
    {
        zdb::UseCatalogue(tbl, table);
        tbl.setOrder(order);
        if (!filter.isEmpty()) {
            tbl.setFilter(filter);
            tbl.setFiltered(true);
        }
        tbl.open();
    }
};

// What the dialog showed below its list after the last runImport's load.
struct LoadShown
{
    QString result;
    bool barFull = false;
};
LoadShown lastLoad;

// Runs an import entry: chooses `file`, optionally adjusts the dialog, starts
// the load and closes the dialog. Returns the messages it showed.
QList<testhooks::ShownMessage> runImport(void (*entry)(zdb::Table *), zdb::Table &tbl, const QString &file,
                                         std::function<void(Tfrm_Betolt *)> adjust = {})
{
    testhooks::clearMessages();
    testhooks::onNextDialog([file, adjust](QDialog *d) {
        auto *dlg = qobject_cast<Tfrm_Betolt *>(d);
        QVERIFY(dlg);
        testhooks::setNextFileName(file);
        dlg->aMegnyit->trigger();
        if (adjust)
            adjust(dlg);
        dlg->aBetolt->trigger();
        QVERIFY(!dlg->loading());
        auto *bar = dlg->findChild<QProgressBar *>(QStringLiteral("progressBar"));
        lastLoad = {dlg->findChild<QLabel *>(QStringLiteral("lbEredmeny"))->text(),
                    bar->maximum() > 0 && bar->value() == bar->maximum()};
        dlg->aBezar->trigger();
    });
    entry(&tbl);
    return testhooks::shownMessages();
}

// A list's rows as the grid reads them, with their rowids, in its order.
QStringList listed(const zdb::RecordSet &rs)
{
    QStringList out;
    for (int r = 0; r < rs.recordCount(); ++r) {
        QStringList cells{QString::number(rs.bookmarkAt(r))};
        for (int f = 0; f < rs.fieldCount(); ++f)
            cells << rs.textAt(r, f);
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

// The list after a load shows what reading it again would show.
void showsWhatAReloadShows(const zdb::Table &tbl)
{
    Target fresh(tbl.tableName(), tbl.order(), tbl.filtered() ? tbl.filter() : QString());
    QCOMPARE(listed(tbl), listed(fresh.tbl));
}

QStringList texts(const QList<testhooks::ShownMessage> &messages)
{
    QStringList out;
    for (const auto &m : messages)
        out << m.text;
    return out;
}

} // namespace

class TestCsvImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initAppTests(); }

    void columnList_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("positions");
        QTest::newRow("trimmed, lower case") << "UGYFELKOD ; Ugyfel_nev ;telefon"
                                              << QStringList{"ugyfelkod", "ugyfel_nev", "telefon"} << QList<int>{1, 2, 3};
        QTest::newRow("blank names skipped, places kept")
            << "a;;c" << QStringList{"a", "c"} << QList<int>{1, 3};
        QTest::newRow("empty header") << "" << QStringList{} << QList<int>{};
        QTest::newRow("quoted names, a separator inside one")
            << "\"UGYFELKOD\";\" ugyfel_nev \";\"a;b\";\"\"" << QStringList{"ugyfelkod", "ugyfel_nev", "a;b"}
            << QList<int>{1, 2, 3};
        QTest::newRow("only the first 50 places")
            << (QStringLiteral("x;").repeated(49) + QStringLiteral("last;beyond")) << QStringList{} << QList<int>{};
    }
    void columnList()
    {
        QFETCH(QString, header);
        QFETCH(QStringList, names);
        QFETCH(QList<int>, positions);
        const QList<csvimport::Column> cols = csvimport::ColumnsFromHeader(header);
        if (QTest::currentDataTag() == QByteArray("only the first 50 places")) {
            QCOMPARE(cols.size(), 50);
            QCOMPARE(cols.last().name, QStringLiteral("last"));
            QCOMPARE(cols.last().position, 50);
            return;
        }
        QStringList got;
        QList<int> places;
        for (const auto &c : cols) {
            got << c.name;
            places << c.position;
            QVERIFY(c.ticked);
        }
        QCOMPARE(got, names);
        QCOMPARE(places, positions);
    }

    void fileLinesAndEncodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<int>>("lineNumbers");
        QTest::addColumn<bool>("utf8");
        const QString hu = QStringLiteral("Győr;Ősz");
        QTest::newRow("CR LF, final line end") << QByteArray("a;b\r\n1;2\r\n") << QStringList{"a;b", "1;2"} << QList<int>{1, 2} << false;
        QTest::newRow("LF, no final line end") << QByteArray("a;b\n1;2") << QStringList{"a;b", "1;2"} << QList<int>{1, 2} << false;
        QTest::newRow("lone CR") << QByteArray("a\r1\r") << QStringList{"a", "1"} << QList<int>{1, 2} << false;
        QTest::newRow("empty line inside kept") << QByteArray("a\r\n\r\n1\r\n") << QStringList{"a", "", "1"} << QList<int>{1, 2, 3} << false;
        QTest::newRow("empty line at the end kept") << QByteArray("a\n1\n\n") << QStringList{"a", "1", ""} << QList<int>{1, 2, 3} << false;
        QTest::newRow("Windows-1250") << cp1250(hu + QStringLiteral("\r\n")) << QStringList{hu} << QList<int>{1} << false;
        QTest::newRow("UTF-8 with mark") << (QByteArray("\xEF\xBB\xBF") + hu.toUtf8()) << QStringList{hu} << QList<int>{1} << true;
        QTest::newRow("UTF-8 without mark") << (hu.toUtf8() + "\n") << QStringList{hu} << QList<int>{1} << true;
        QByteArray le("\xFF\xFE"), be("\xFE\xFF");
        for (const QChar c : hu + QStringLiteral("\r\n1;2")) {
            le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
            be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
        }
        QTest::newRow("UTF-16 LE with mark") << le << QStringList{hu, "1;2"} << QList<int>{1, 2} << true;
        QTest::newRow("UTF-16 BE with mark") << be << QStringList{hu, "1;2"} << QList<int>{1, 2} << true;
        QTest::newRow("ASCII") << QByteArray("abc") << QStringList{"abc"} << QList<int>{1} << false;
        // Line breaks inside quotes belong to the value, whatever their kind.
        QTest::newRow("quoted line breaks")
            << QByteArray("a;b\r\n\"x\r\ny\";\"p\nq\rr\"\r\n3;4\n")
            << QStringList{"a;b", "\"x\r\ny\";\"p\nq\rr\"", "3;4"} << QList<int>{1, 2, 6} << false;
        QTest::newRow("doubled quote stays inside")
            << QByteArray("\"a\"\";\nb\"\n1") << QStringList{"\"a\"\";\nb\"", "1"} << QList<int>{1, 3} << false;
        QTest::newRow("quote inside a value is text")
            << QByteArray("ab\"c;d\n1;\"") << QStringList{"ab\"c;d", "1;\""} << QList<int>{1, 2} << false;
    }
    void fileLinesAndEncodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QFETCH(QList<int>, lineNumbers);
        QFETCH(bool, utf8);
        const csvimport::FileLines file(bytes);
        QStringList got;
        QList<int> numbers;
        for (int i = 0; i < file.count(); ++i) {
            got << file.line(i);
            numbers << file.lineNumber(i);
        }
        QCOMPARE(got, lines);
        QCOMPARE(numbers, lineNumbers);
        QCOMPARE(file.utf8(), utf8);
        QVERIFY(file.error().isEmpty());
        QCOMPARE(file.unclosedRecord(), QTest::currentDataTag() == QByteArray("quote inside a value is text") ? 1 : -1);
        if (!bytes.contains('"'))
            QCOMPARE(csvimport::SplitLines(csvimport::DecodeFileText(bytes)), lines);
    }

    void splitValues_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("plain") << "a; b ;c" << QStringList{"a", " b ", "c"};
        QTest::newRow("empty values") << ";;" << QStringList{"", "", ""};
        QTest::newRow("separator quoted") << "\"Kft; Bt\";x" << QStringList{"Kft; Bt", "x"};
        QTest::newRow("doubled quotes") << "\"say \"\"hi\"\"\";" << QStringList{"say \"hi\"", ""};
        QTest::newRow("line break quoted") << "\"a\r\nb\";2" << QStringList{"a\r\nb", "2"};
        QTest::newRow("quote inside is text") << "ab\"c;\"d\"" << QStringList{"ab\"c", "d"};
        QTest::newRow("text after the closing quote") << "\"x\"y;z" << QStringList{"xy", "z"};
        QTest::newRow("empty quoted") << "\"\";\"\"" << QStringList{"", ""};
        QTest::newRow("never closed") << "\"open;x" << QStringList{"open;x"};
    }
    void splitValues()
    {
        QFETCH(QString, record);
        QFETCH(QStringList, values);
        QCOMPARE(csvimport::SplitValues(record), values);
    }

    // Updates touch only ticked, non-empty values; unmatched codes add rows
    // through the before-save rule; every other row stays byte-identical.
    void customersUpdateAndAdd()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kDemoSql));
        QVERIFY(f.start());
        Target t(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nevs"));
        const QStringList before = dumpTable(f.dbPath(), QStringLiteral("ugyfel"));

        // 200: name and town updated, phone empty (kept); 00123 and " 123"
        // are customer 123 (the code is a number); 999 is new; the unticked
        // e-mail column is not read.
        const QString csv = QStringLiteral(
            "UGYFELKOD ; Ugyfel_nev ;telefon;varos;emil\r\n"
            "200;  Béta Új Zrt.  ;;Sopron;x@y.hu\r\n"
            "00123;Nulla előtt;;;\r\n"
            " 123;Szóköz előtt;;;\r\n"
            "999;Új Ügyfél Kft.;06 1 234 5678;Érd;\r\n");
        writeFile(f.path(QStringLiteral("ugyfel.csv")), cp1250(csv));
        const auto shown = runImport(ImportCustomers, t.tbl, f.path(QStringLiteral("ugyfel.csv")), [](Tfrm_Betolt *dlg) {
            auto *list = dlg->findChild<QListWidget *>(QStringLiteral("lstOszlopok"));
            QCOMPARE(list->count(), 5);
            QCOMPARE(list->item(0)->text(), QStringLiteral("[ugyfelkod]"));
            QCOMPARE(list->item(4)->text(), QStringLiteral("[emil]"));
            list->item(4)->setCheckState(Qt::Unchecked);
        });
        QCOMPARE(texts(shown), QStringList{QStringLiteral("Betöltés kész.")});
        // Three lines updated a customer, one added one; the bar ends full.
        QCOMPARE(lastLoad.result, QStringLiteral("Frissített sorok: 3, új sorok: 1"));
        QVERIFY(lastLoad.barFull);

        const QStringList after = dumpTable(f.dbPath(), QStringLiteral("ugyfel"));
        QCOMPARE(after.size(), 4);
        QCOMPARE(after[2], before[2]);   // 300 untouched
        QCOMPARE(stored(f, "select ugyfel_nev from ugyfel where ugyfel=1").toString(), QStringLiteral("Szóköz előtt"));
        QCOMPARE(stored(f, "select ugyfel_nev from ugyfel where ugyfel=2").toString(), QStringLiteral("Béta Új Zrt."));
        QCOMPARE(stored(f, "select varos from ugyfel where ugyfel=2").toString(), QStringLiteral("Sopron"));
        QCOMPARE(stored(f, "select telefon from ugyfel where ugyfel=2").toString(), QStringLiteral("06-30-111-2222"));
        QCOMPARE(stored(f, "select emil from ugyfel where ugyfel=2").toString(), QStringLiteral("beta@beta.hu"));
        QCOMPARE(stored(f, "select ugyfel_nevs from ugyfel where ugyfel=2").toString(), SortKeyOf(QStringLiteral("Béta Új Zrt.")));
        // New rows: identifiers from the largest one up, the comment flag, sort keys.
        QCOMPARE(stored(f, "select group_concat(ugyfel) from (select ugyfel from ugyfel where ugyfel > 7 order by ugyfel)").toString(),
                 QStringLiteral("8"));
        QCOMPARE(stored(f, "select count(*) from ugyfel where ugyfelkod=123").toInt(), 1);
        QCOMPARE(stored(f, "select ugyfel_nev from ugyfel where ugyfel=8").toString(), QStringLiteral("Új Ügyfél Kft."));
        QCOMPARE(stored(f, "select telefon from ugyfel where ugyfel=8").toString(), QStringLiteral("06 1 234 5678"));
        QCOMPARE(stored(f, "select vanmegj from ugyfel where ugyfel=8").toString(), QStringLiteral("N"));
        QCOMPARE(stored(f, "select ugyfel_nevs from ugyfel where ugyfel=8").toString(), SortKeyOf(QStringLiteral("Új Ügyfél Kft.")));
        QVERIFY(!stored(f, "select emil from ugyfel where ugyfel=8").isValid());
        // The list shows the result, still ordered, not in edit mode.
        QCOMPARE(t.tbl.recordCount(), 4);
        showsWhatAReloadShows(t.tbl);
        QVERIFY(!t.tbl.isEditing());
        // A copy of the database from before the load is there to go back to.
        const QList<RestoreCopy> copies = RestoreCopies();
        QCOMPARE(copies.size(), 1);
        QCOMPARE(copies.first().cause, CopyCause::Import);
        QCOMPARE(dumpTable(copies.first().path, QStringLiteral("ugyfel")), before);
    }

    // Rows as another installation left them: an identifier stored as text,
    // a code stored as text, no comment flag. A line updates only what it
    // sets (and what the before-save rule derives); the odd cells stay
    // byte for byte, and the row is still found by its identifier.
    void rowsAnotherInstallationWrote()
    {
        AppFixture f;
        f.makeDb(QStringLiteral(
            "insert into ugyfel (ugyfel, ugyfelkod, ugyfel_nev, varos, vanmegj, ugyfel_nevs) values"
            " ('A-1', 50, 'Régi Kft.', 'Eger', null, 'REGI KFT.'),"
            " (2, 'x7', 'Szöveg kód Bt.', 'Pécs', 'I', 'SZOVEG KOD BT.');"));
        QVERIFY(f.start());
        Target t(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nevs"));
        const QStringList before = dumpTable(f.dbPath(), QStringLiteral("ugyfel"));
        writeFile(f.path(QStringLiteral("u.csv")), cp1250(QStringLiteral("ugyfelkod;varos\n50;Miskolc\n0;Vác\n")));
        QCOMPARE(texts(runImport(ImportCustomers, t.tbl, f.path(QStringLiteral("u.csv")))),
                 QStringList{QStringLiteral("Betöltés kész.")});

        QCOMPARE(stored(f, "select typeof(ugyfel) || ':' || ugyfel from ugyfel where ugyfelkod = 50").toString(),
                 QStringLiteral("text:A-1"));
        QCOMPARE(stored(f, "select varos from ugyfel where ugyfelkod = 50").toString(), QStringLiteral("Miskolc"));
        QCOMPARE(stored(f, "select vanmegj from ugyfel where ugyfelkod = 50").toString(), QStringLiteral("N"));
        QCOMPARE(stored(f, "select ugyfel_nev || '|' || ugyfel_nevs from ugyfel where ugyfelkod = 50").toString(),
                 QStringLiteral("Régi Kft.|REGI KFT."));
        // The text code reads as 0 in the list, as the locate compares it:
        // the line with code 0 updates that row, its ticked code included.
        QCOMPARE(stored(f, "select typeof(ugyfelkod) || ':' || ugyfelkod || ':' || varos from ugyfel where ugyfel = 2").toString(),
                 QStringLiteral("integer:0:Vác"));
        QCOMPARE(stored(f, "select count(*) from ugyfel").toInt(), 2);
        const QStringList after = dumpTable(f.dbPath(), QStringLiteral("ugyfel"));
        QCOMPARE(after.size(), before.size());
        showsWhatAReloadShows(t.tbl);
    }

    // Each entry reads the value under its own header name, so a blank name
    // shifts nothing; an unticked unknown name is simply not read.
    void valuesByHeaderName()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kDemoSql));
        QVERIFY(f.start());
        Target t(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nevs"));
        writeFile(f.path(QStringLiteral("a.csv")), cp1250(QStringLiteral("ugyfel_nev;;ugyfelkod;nincsilyen\n"
                                                                          "Első;x;501;?\nMásodik;y;502;?\n")));
        const auto shown = runImport(ImportCustomers, t.tbl, f.path(QStringLiteral("a.csv")), [](Tfrm_Betolt *dlg) {
            dlg->findChild<QListWidget *>(QStringLiteral("lstOszlopok"))->item(2)->setCheckState(Qt::Unchecked);
        });
        QCOMPARE(texts(shown), QStringList{QStringLiteral("Betöltés kész.")});
        QCOMPARE(stored(f, "select ugyfel_nev from ugyfel where ugyfelkod=501").toString(), QStringLiteral("Első"));
        QCOMPARE(stored(f, "select ugyfel_nev from ugyfel where ugyfelkod=502").toString(), QStringLiteral("Második"));
    }

    // What stops a load before anything is written.
    void refusedLoads_data()
    {
        QTest::addColumn<QString>("csv");
        QTest::addColumn<QString>("message");
        QTest::newRow("no key") << "ugyfel_nev;telefon\nX;1\n" << "Az adatbázis nem tartalmaz ügyfélkódot";
        QTest::newRow("unknown ticked name") << "ugyfelkod;ugyfel_nev;szin\n200;X;kék\n" << "[szin]";
        QTest::newRow("identifier") << "ugyfelkod;ugyfel;ugyfel_nev\n200;1;X\n" << "[ugyfel] oszlop a sorok azonosítója";
        QTest::newRow("name into SQL") << "ugyfelkod;ugyfel_nev) values (1,1);--\n200;X\n" << "ugyfel_nev) values (1,1)";
    }
    void refusedLoads()
    {
        QFETCH(QString, csv);
        QFETCH(QString, message);
        AppFixture f;
        f.makeDb(QString::fromUtf8(kDemoSql));
        QVERIFY(f.start());
        Target t(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nevs"));
        const QStringList before = dumpTable(f.dbPath(), QStringLiteral("ugyfel"));
        writeFile(f.path(QStringLiteral("x.csv")), cp1250(csv));
        const auto shown = runImport(ImportCustomers, t.tbl, f.path(QStringLiteral("x.csv")));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].caption, QStringLiteral("Hiba"));
        QVERIFY2(shown[0].text.contains(message), qPrintable(shown[0].text));
        QCOMPARE(dumpTable(f.dbPath(), QStringLiteral("ugyfel")), before);
    }

    // An unreadable date names its line and column; the lines before it stay,
    // the failing row is not written and the record set is not left editing.
    void badDateStopsAtItsLine()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kDemoSql));
        QVERIFY(f.start());
        Target t(QStringLiteral("projekt"), QStringLiteral("projekt_nevs"));
        writeFile(f.path(QStringLiteral("p.csv")),
                  cp1250(QStringLiteral("projekt_kod;projekt_nev;dat_indul\r\n"
                                        "P1;Átnevezett;2024.02.03.\r\n"
                                        "P9;Új;2024-05-06\r\n"
                                        "P10;Rossz;2024.13.01.\r\n"
                                        "P11;Utána;2024-01-01\r\n")));
        const auto shown = runImport(ImportProjects, t.tbl, f.path(QStringLiteral("p.csv")));
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].text.contains(QStringLiteral("4. sor")), qPrintable(shown[0].text));
        QVERIFY2(shown[0].text.contains(QStringLiteral("[dat_indul]")), qPrintable(shown[0].text));
        QCOMPARE(stored(f, "select dat_indul from projekt where projekt_kod='P1'").toString(), QStringLiteral("2024-02-03"));
        QCOMPARE(stored(f, "select dat_indul from projekt where projekt_kod='P9'").toString(), QStringLiteral("2024-05-06"));
        QCOMPARE(stored(f, "select count(*) from projekt where projekt_kod in ('P10','P11')").toInt(), 0);
        QVERIFY(!t.tbl.isEditing());
        QCOMPARE(t.tbl.recordCount(), 3);
        QVERIFY(sqlite3_get_autocommit(Db1()->handle()));
    }

    // Codes match case-sensitively; under the open-projects filter a closed
    // project's code is not found, so a new project is added.
    void keysFollowTheLocateRule()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kDemoSql));
        QVERIFY(f.start());
        {
            Target t(QStringLiteral("termek"), QStringLiteral("termek_nevs"));
            writeFile(f.path(QStringLiteral("t.csv")), cp1250(QStringLiteral("cikkszam;termek_nev\nabc-1;Kisbetűs\nX-2;Anya\n")));
            runImport(ImportProducts, t.tbl, f.path(QStringLiteral("t.csv")));
            QCOMPARE(stored(f, "select termek_nev from termek where cikkszam='ABC-1'").toString(), QStringLiteral("Csavar"));
            QCOMPARE(stored(f, "select termek_nev from termek where cikkszam='abc-1'").toString(), QStringLiteral("Kisbetűs"));
            QCOMPARE(stored(f, "select termek_nev from termek where termek=2").toString(), QStringLiteral("Anya"));
            showsWhatAReloadShows(t.tbl);
        }
        Target p(QStringLiteral("projekt"), QStringLiteral("projekt_nevs"), QStringLiteral("lezarva='N'"));
        QCOMPARE(p.tbl.recordCount(), 1);
        writeFile(f.path(QStringLiteral("p.csv")), cp1250(QStringLiteral("projekt_kod;projekt_nev\nP2;Újra\nP2;Még egyszer\n")));
        runImport(ImportProjects, p.tbl, f.path(QStringLiteral("p.csv")));
        QCOMPARE(stored(f, "select projekt_nev from projekt where projekt=2").toString(), QStringLiteral("Lezárt"));
        // One new project, updated by the second line; no lezarva, so the filter hides it.
        QCOMPARE(stored(f, "select count(*) from projekt where projekt_kod='P2'").toInt(), 2);
        QCOMPARE(stored(f, "select projekt_nev from projekt where projekt=3").toString(), QStringLiteral("Még egyszer"));
        QVERIFY(!stored(f, "select lezarva from projekt where projekt=3").isValid());
        QCOMPARE(p.tbl.recordCount(), 1);
        showsWhatAReloadShows(p.tbl);
    }

    // The same spreadsheet saved four ways loads the same rows; numbers are
    // read loosely, a quoted value keeps its separator, a relative path is
    // taken from the program folder and the working folder stays.
    void encodingsLineEndsAndConversions_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString csv = QStringLiteral("ugyfelkod;ugyfel_nev;irsz;megjegyzes\n"
                                           "12 345;\"Kft; Bt\";9022;Győr\n"
                                           "abc;Hibás kód, Győr;;\n");
        QString crlf = csv;
        crlf.replace(QLatin1String("\n"), QLatin1String("\r\n"));
        QTest::newRow("Windows-1250 CR LF") << cp1250(crlf);
        QTest::newRow("Windows-1250 LF") << cp1250(csv);
        QTest::newRow("UTF-8 with mark CR LF") << (QByteArray("\xEF\xBB\xBF") + crlf.toUtf8());
        QTest::newRow("UTF-8 LF") << csv.toUtf8();
    }
    void encodingsLineEndsAndConversions()
    {
        QFETCH(QByteArray, bytes);
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        Target t(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nevs"));
        QDir(f.dir.path()).mkpath(QStringLiteral("Import"));
        writeFile(f.path(QStringLiteral("Import/u.csv")), bytes);
        const QString cwd = QDir::currentPath();
        const auto shown = runImport(ImportCustomers, t.tbl, f.path(QStringLiteral("Import/u.csv")), [](Tfrm_Betolt *dlg) {
            dlg->findChild<QLineEdit *>(QStringLiteral("edFile"))->setText(QStringLiteral("Import/u.csv"));
        });
        QCOMPARE(texts(shown), QStringList{QStringLiteral("Betöltés kész.")});
        QCOMPARE(QDir::currentPath(), cwd);
        QCOMPARE(stored(f, "select count(*) from ugyfel").toInt(), 2);
        QCOMPARE(stored(f, "select ugyfel_nev from ugyfel where ugyfelkod=12345").toString(), QStringLiteral("Kft; Bt"));
        QCOMPARE(stored(f, "select irsz from ugyfel where ugyfelkod=12345").toString(), QStringLiteral("9022"));
        QCOMPARE(stored(f, "select megjegyzes from ugyfel where ugyfelkod=12345").toString(), QStringLiteral("Győr"));
        QCOMPARE(stored(f, "select ugyfel_nev from ugyfel where ugyfelkod=0").toString(), QStringLiteral("Hibás kód, Győr"));
    }

    // A path typed into the box and confirmed shows that file (a name without
    // ".csv" finds the .csv file); a half-typed one changes nothing; a path
    // typed and loaded at once loads the file it names, with its own columns.
    void typedPathShowsItsFile()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        Target t(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nevs"));
        writeFile(f.path(QStringLiteral("a.csv")), cp1250(QStringLiteral("ugyfelkod;ugyfel_nev\r\n5;Ágnes Kft.\r\n")));
        writeFile(f.path(QStringLiteral("b.csv")), cp1250(QStringLiteral("ugyfelkod;varos\r\n6;Győr\r\n")));
        const auto entries = [](Tfrm_Betolt *dlg) {
            QStringList out;
            for (const csvimport::Column &c : dlg->columns())
                out << c.entry();
            return out;
        };
        const auto confirm = [](Tfrm_Betolt *dlg, const QString &typed) {
            auto *edit = dlg->findChild<QLineEdit *>(QStringLiteral("edFile"));
            dlg->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(dlg));
            edit->setFocus();
            edit->setText(typed);
            QTest::keyClick(edit, Qt::Key_Return);
        };
        const auto shown = runImport(ImportCustomers, t.tbl, f.path(QStringLiteral("a.csv")), [&](Tfrm_Betolt *dlg) {
            auto *text = dlg->findChild<DescriptionEditor *>(QStringLiteral("memFile"));
            confirm(dlg, QStringLiteral("b"));
            QCOMPARE(entries(dlg), (QStringList{QStringLiteral("[ugyfelkod]"), QStringLiteral("[varos]")}));
            QVERIFY(text->text().startsWith(QStringLiteral("ugyfelkod;varos")));
            confirm(dlg, QStringLiteral("nincs_ilye"));
            QCOMPARE(entries(dlg), (QStringList{QStringLiteral("[ugyfelkod]"), QStringLiteral("[varos]")}));
            dlg->findChild<QLineEdit *>(QStringLiteral("edFile"))->setText(f.path(QStringLiteral("a.csv")));
        });
        QCOMPARE(texts(shown), QStringList{QStringLiteral("Betöltés kész.")});
        QCOMPARE(stored(f, "select ugyfel_nev || '|' || ifnull(varos, '-') from ugyfel").toString(), QStringLiteral("Ágnes Kft.|-"));
    }

    // An empty line has an empty code: it matches the customer without one
    // and leaves it unchanged; a final line end adds nothing.
    void emptyLines()
    {
        AppFixture f;
        // Rows as the program saves them, sort keys included, so that a post
        // of an unchanged row would write the very same bytes.
        f.makeDb(QStringLiteral("insert into ugyfel (ugyfel, ugyfelkod, ugyfel_nev, vanmegj, ugyfel_nevs, kapcsolattartos) values"
                                " (20, null, 'Kód nélkül', 'N', '%1', ''), (7, 300, 'Gamma Bt.', 'N', '%2', '');")
                     .arg(SortKeyOf(QStringLiteral("Kód nélkül")), SortKeyOf(QStringLiteral("Gamma Bt."))));
        QVERIFY(f.start());
        Target t(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nevs"));
        const QStringList before = dumpTable(f.dbPath(), QStringLiteral("ugyfel"));
        writeFile(f.path(QStringLiteral("e.csv")), cp1250(QStringLiteral("ugyfelkod;ugyfel_nev\r\n\r\n300;Gamma Bt.\r\n")));
        runImport(ImportCustomers, t.tbl, f.path(QStringLiteral("e.csv")));
        QCOMPARE(dumpTable(f.dbPath(), QStringLiteral("ugyfel")), before);
    }

    // The load keeps an outer transaction open (a savepoint of its own), and
    // while it runs the dialog can neither start again nor close.
    void loadInsideTransactionAndLockedDialog()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kDemoSql));
        QVERIFY(f.start());
        Target t(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nevs"));
        QString csv = QStringLiteral("ugyfelkod;ugyfel_nev\n");
        for (int i = 1; i <= 9; ++i)
            csv += QStringLiteral("%1;Ügyfél %1\n").arg(1000 + i);
        writeFile(f.path(QStringLiteral("n.csv")), csv.toUtf8());
        Db1()->executeDirect(QStringLiteral("BEGIN"));
        bool checked = false;
        int maximum = -1;
        runImport(ImportCustomers, t.tbl, f.path(QStringLiteral("n.csv")), [&](Tfrm_Betolt *dlg) {
            QTimer::singleShot(0, dlg, [&checked, dlg] {
                QVERIFY(dlg->loading());
                QVERIFY(!dlg->aBetolt->isEnabled());
                QVERIFY(!dlg->aBezar->isEnabled());
                QVERIFY(!dlg->aMegnyit->isEnabled());
                dlg->reject();
                QVERIFY(!dlg->close());
                QVERIFY(dlg->isVisible());
                checked = true;
            });
            connect(dlg->findChild<QProgressBar *>(), &QProgressBar::valueChanged, dlg,
                    [&maximum, dlg](int) { maximum = dlg->findChild<QProgressBar *>()->maximum(); });
        });
        QVERIFY(checked);
        QCOMPARE(maximum, 9);
        QVERIFY(!sqlite3_get_autocommit(Db1()->handle()));
        Db1()->executeDirect(QStringLiteral("COMMIT"));
        QCOMPARE(stored(f, "select count(*) from ugyfel where ugyfelkod between 1001 and 1009").toInt(), 9);
    }

    // A customer file as spreadsheets write it: every cell quoted, header
    // included; ";", quotes and line breaks inside values; blank rows. Saved
    // in each encoding they offer, it loads every value exactly.
    void spreadsheetFileLoadsEveryValue_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("lineEnd");
        QTest::newRow("Windows-1250, CR LF") << "cp1250" << "\r\n";
        QTest::newRow("UTF-8 with mark, CR LF") << "utf8bom" << "\r\n";
        QTest::newRow("UTF-8, LF") << "utf8" << "\n";
        QTest::newRow("UTF-16 LE with mark, CR LF") << "utf16" << "\r\n";
    }
    void spreadsheetFileLoadsEveryValue()
    {
        QFETCH(QString, encoding);
        QFETCH(QString, lineEnd);
        AppFixture f;
        f.makeDb(QString::fromUtf8(kDemoSql));
        QVERIFY(f.start());
        Target t(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nevs"));
        QString csv = QStringLiteral(
            "\"Ugyfelkod\";\"ugyfel_nev\";\"cim\";\"megjegyzes\";\"varos\"\n"
            "\"00123\";\"Alfa; Béta Kft.\";\"Fő utca 1.\n2. emelet\";\"Azt mondta: \"\"jó\"\"\";\"Győr\"\n"
            "\n"
            ";;;;\n"
            "\"0500\";\"Új \"\"Ügyfél\"\" Bt.\";\"\";\"első sor\nmásodik; sor\";Pécs\n");
        csv.replace(QLatin1String("\n"), lineEnd);
        QByteArray bytes;
        if (encoding == QLatin1String("cp1250"))
            bytes = cp1250(csv);
        else if (encoding == QLatin1String("utf8"))
            bytes = csv.toUtf8();
        else if (encoding == QLatin1String("utf8bom"))
            bytes = "\xEF\xBB\xBF" + csv.toUtf8();
        else
            bytes = QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(csv.utf16()), csv.size() * 2);
        writeFile(f.path(QStringLiteral("s.csv")), bytes);
        const auto shown = runImport(ImportCustomers, t.tbl, f.path(QStringLiteral("s.csv")), [](Tfrm_Betolt *dlg) {
            QCOMPARE(dlg->columns().size(), 5);
            QCOMPARE(dlg->columns().first().entry(), QStringLiteral("[ugyfelkod]"));
        });
        QCOMPARE(texts(shown), QStringList{QStringLiteral("Betöltés kész.")});
        QCOMPARE(stored(f, "select count(*) from ugyfel").toInt(), 4);   // blank rows add nobody
        const QString br = lineEnd;
        QCOMPARE(stored(f, "select ugyfel_nev || '|' || cim || '|' || megjegyzes || '|' || varos from ugyfel where ugyfel=1").toString(),
                 QStringLiteral("Alfa; Béta Kft.|Fő utca 1.{br}2. emelet|Azt mondta: \"jó\"|Győr").replace(QLatin1String("{br}"), br));
        QCOMPARE(stored(f, "select ugyfelkod || '|' || ugyfel_nev || '|' || ifnull(cim, '-') || '|' || megjegyzes || '|' || varos"
                           " from ugyfel where ugyfel=8").toString(),
                 QStringLiteral("500|Új \"Ügyfél\" Bt.|-|első sor{br}második; sor|Pécs").replace(QLatin1String("{br}"), br));
        showsWhatAReloadShows(t.tbl);
    }

    // A blank row is skipped; a row with more values than the header stops
    // the load at its file line (counted as the text view counts them, quoted
    // line breaks included); an empty value past the header holds nothing.
    void linesThatDoNotFit_data()
    {
        QTest::addColumn<QString>("csv");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("codes");
        QTest::newRow("too many values")
            << "ugyfelkod;ugyfel_nev\n401;A\n402;B;\n403;\"C\nD\";x\n404;E\n" << "Hiba a(z) 4. sorban" << "401,402";
        QTest::newRow("quote never closed")
            << "ugyfelkod;ugyfel_nev\n401;A\n\n402;\"B\n403;C\n" << "Hiba a(z) 4. sorban" << "401";
        QTest::newRow("blank rows") << "ugyfelkod;ugyfel_nev\r\n\r\n ; \r\n401;A\r\n\r\n" << QString() << "401";
    }
    void linesThatDoNotFit()
    {
        QFETCH(QString, csv);
        QFETCH(QString, message);
        QFETCH(QString, codes);
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        Target t(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nevs"));
        writeFile(f.path(QStringLiteral("l.csv")), cp1250(csv));
        const auto shown = runImport(ImportCustomers, t.tbl, f.path(QStringLiteral("l.csv")));
        QCOMPARE(shown.size(), 1);
        if (message.isEmpty()) {
            QCOMPARE(shown[0].text, QStringLiteral("Betöltés kész."));
        } else {
            QCOMPARE(shown[0].caption, QStringLiteral("Hiba"));
            QVERIFY2(shown[0].text.startsWith(message), qPrintable(shown[0].text));
        }
        QCOMPARE(stored(f, "select group_concat(ifnull(ugyfelkod, '-')) from (select ugyfelkod from ugyfel order by ugyfel)").toString(), codes);
        QVERIFY(sqlite3_get_autocommit(Db1()->handle()));
    }

    // A file that is UTF-8 but for one broken sequence is not read as
    // Windows-1250 with every accent garbled: the load names the line and
    // writes nothing, and the dialog does not show the garbled text.
    void brokenUtf8NamesItsLine()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        Target t(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nevs"));
        const QByteArray bytes = QStringLiteral("ugyfelkod;ugyfel_nev\n1;Győr\n2;Pécs\n").toUtf8() + "3;Gy\xF5r\n";
        const csvimport::FileLines lines(bytes);
        const auto cols = csvimport::ColumnsFromHeader(QStringLiteral("ugyfelkod;ugyfel_nev"));
        const csvimport::Outcome out = csvimport::Load(t.tbl, csvimport::CustomerImport(), cols, lines);
        QVERIFY2(out.error.contains(QStringLiteral("4. sor")), qPrintable(out.error));
        QVERIFY(out.nothingWritten);
        QCOMPARE(stored(f, "select count(*) from ugyfel").toInt(), 0);

        writeFile(f.path(QStringLiteral("b.csv")), bytes);
        const auto shown = runImport(ImportCustomers, t.tbl, f.path(QStringLiteral("b.csv")), [](Tfrm_Betolt *dlg) {
            QVERIFY(dlg->findChild<DescriptionEditor *>(QStringLiteral("memFile"))->text().isEmpty());
        });
        QVERIFY(!shown.isEmpty());
        QVERIFY2(shown[0].text.contains(QStringLiteral("4. sor")), qPrintable(shown[0].text));
        QCOMPARE(stored(f, "select count(*) from ugyfel").toInt(), 0);
    }

    // A row stored without an identifier (empty or 0) gets one when a line
    // updates it, as any save would give it.
    void updatedRowWithoutIdentifierGetsOne()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("insert into ugyfel (ugyfel, ugyfelkod, ugyfel_nev, vanmegj) values"
                                " (null, 61, 'Üres', 'N'), (0, 62, 'Nulla', 'N'), (5, 63, 'Van', 'N');"));
        QVERIFY(f.start());
        Target t(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nevs"));
        writeFile(f.path(QStringLiteral("i.csv")), cp1250(QStringLiteral("ugyfelkod;varos\n61;Eger\n62;Vác\n63;Ózd\n")));
        QCOMPARE(texts(runImport(ImportCustomers, t.tbl, f.path(QStringLiteral("i.csv")))), QStringList{QStringLiteral("Betöltés kész.")});
        QCOMPARE(stored(f, "select group_concat(ugyfelkod || ':' || ifnull(ugyfel, 'null') || ':' || varos, ',')"
                           " from (select * from ugyfel order by ugyfelkod)").toString(),
                 QStringLiteral("61:6:Eger,62:7:Vác,63:5:Ózd"));
        showsWhatAReloadShows(t.tbl);
    }

    // Whatever ends a load early (here the progress callback throwing after
    // a row was written) settles its savepoint: outside a transaction the
    // load is undone and nothing is left open; inside one, the outer
    // transaction stays and the savepoint is gone.
    void savepointSettledOnEveryPath()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kDemoSql));
        QVERIFY(f.start());
        const QByteArray bytes("ugyfelkod;ugyfel_nev\n701;A\n702;B\n703;C\n");
        const auto cols = csvimport::ColumnsFromHeader(QStringLiteral("ugyfelkod;ugyfel_nev"));
        for (const bool outer : {false, true}) {
            Target t(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nevs"));
            if (outer)
                Db1()->executeDirect(QStringLiteral("BEGIN"));
            const csvimport::FileLines lines(bytes);
            bool thrown = false;
            try {
                csvimport::Load(t.tbl, csvimport::CustomerImport(), cols, lines, [](int line) {
                    if (line == 3)
                        throw std::runtime_error("stop");
                });
            } catch (const std::runtime_error &) {
                thrown = true;
            }
            QVERIFY(thrown);
            QCOMPARE(bool(sqlite3_get_autocommit(Db1()->handle())), !outer);
            if (outer) {
                bool released = true;
                try {
                    Db1()->executeDirect(QStringLiteral("RELEASE zentavo_csv_import"));
                } catch (const zdb::Error &) {
                    released = false;
                }
                QVERIFY(!released);   // no savepoint of the load is left
                Db1()->executeDirect(QStringLiteral("COMMIT"));
            }
            QCOMPARE(stored(f, "select count(*) from ugyfel where ugyfelkod > 700").toInt(), 0);
            QCOMPARE(t.tbl.recordCount(), 3);
            // A later save is stored for good.
            Db1()->executeDirect(QStringLiteral("update ugyfel set varos='Tata' where ugyfel=7"));
            QCOMPARE(stored(f, "select varos from ugyfel where ugyfel=7").toString(), QStringLiteral("Tata"));
        }
    }

    // The program's own delimited export, with the dialog's default settings,
    // read back by the import gives the values it wrote: the header's column
    // titles find their fields, and values holding ";", quotes and line
    // breaks come back whole.
    void ownExportReadsBack()
    {
        AppFixture f;
        f.makeDb(QStringLiteral(
            "insert into ugyfel (ugyfel, ugyfelkod, ugyfel_nev, kapcsolattarto, telefon, emil, cim, varos, megjegyzes, vanmegj) values"
            " (1, 123, 'Alfa; Béta Kft.', 'Nagy \"Öcsi\" Éva', '06 1 555', 'a@b.hu', 'Fő u. 1.' || char(13,10) || '2. em.',"
            "  'Győr', '\"idézet\"', 'I'),"
            " (2, 7, 'Ősz Bt.', null, null, null, null, 'Pécs', 'x;y;z', 'N');"));
        QVERIFY(f.start());
        Target t(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nevs"));
        const char *fields = "ugyfelkod || '|' || ugyfel_nev || '|' || ifnull(kapcsolattarto, '-') || '|' || ifnull(telefon, '-')"
                             " || '|' || ifnull(emil, '-') || '|' || ifnull(cim, '-') || '|' || varos || '|' || megjegyzes"
                             " || '|' || vanmegj";
        const QString query = QStringLiteral("select group_concat(%1, '#') from (select * from ugyfel order by ugyfelkod)")
                                  .arg(QString::fromLatin1(fields));
        const QString original = stored(f, query.toUtf8().constData()).toString();

        DelimitedOptions options;   // the dialog's defaults: ";", no qualifier
        options.fields = AllDelimitedFields(t.tbl);
        QFile out(f.path(QStringLiteral("export.csv")));
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(WriteDelimited(t.tbl, options, out), 2);
        out.close();

        Db1()->executeDirect(QStringLiteral("delete from ugyfel"));
        t.tbl.refresh();
        const auto shown = runImport(ImportCustomers, t.tbl, f.path(QStringLiteral("export.csv")), [](Tfrm_Betolt *dlg) {
            auto *list = dlg->findChild<QListWidget *>(QStringLiteral("lstOszlopok"));
            QCOMPARE(list->item(0)->text(), QStringLiteral("[ugyfel]"));
            list->item(0)->setCheckState(Qt::Unchecked);   // the identifier is the program's own
        });
        QCOMPARE(texts(shown), QStringList{QStringLiteral("Betöltés kész.")});
        QCOMPARE(stored(f, query.toUtf8().constData()).toString(), original);
    }
};

QTEST_MAIN(TestCsvImport)
#include "tst_csvimport.moc"

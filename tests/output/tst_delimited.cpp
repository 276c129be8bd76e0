// Delimited text export: the lines the writer builds, whole files against
// golden bytes, and the dialog's run, stop, messages and failures.

#include "tests/app/appfixture.h"
#include "app/delimitedexportdialog.h"
#include "output/delimitedexport.h"
#include "output/output.h"

#include "db/codec.h"
#include "db/connection.h"
#include "db/recordset.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// Four rows that carry what the export must get right: accents, a separator
// and both qualifiers inside values, line breaks in a plain text field and in
// memos, nulls, a blob and characters the code page lacks.
const char *const kSampleSql =
    "create table t_export (kod integer, nev varchar(50), cim varchar(50), datum date, megj text, kep blob);"
    "insert into t_export values (12, 'Kis Kft', null, null, null, null);"
    "insert into t_export values (7, 'Árvíztűrő \"tükör\" fúrógép; Kft', 'Fő u. 1.', '2005-01-31',"
    "  'első sor' || char(13, 10) || 'második' || char(13, 10) || 'harmadik', x'00ff');"
    "insert into t_export values (300, 'O''Brian & Társa', '', '1999-12-01', 'egy' || char(10) || 'kettő', null);"
    "insert into t_export values (null, 'sor' || char(13, 10) || 'törés ж€', null, null, '', x'41');"
    "create table t_sok (kod integer, nev varchar(50));"
    "insert into t_sok with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000)"
    "  select i, 'Név ' || i from n;";

enum Field { Kod, Nev, Cim, Datum, Megj, Kep };

void declareSample(zdb::Table &t)
{
    t.addInteger(QStringLiteral("kod"), QStringLiteral("kód"));
    t.addText(QStringLiteral("nev"), 50, QStringLiteral("név"));
    t.addText(QStringLiteral("cim"), 50);
    t.addDate(QStringLiteral("datum"), QStringLiteral("dátum"));
    zdb::FieldDef memo;
    memo.name = QStringLiteral("megj");
    memo.kind = zdb::FieldKind::Memo;
    memo.title = QStringLiteral("megjegyzés");
    t.addField(memo);
    zdb::FieldDef blob;
    blob.name = QStringLiteral("kep");
    blob.kind = zdb::FieldKind::Blob;
    t.addField(blob);
}

DelimitedOptions opts(char separator, char qualifier, bool multiLine, const QList<int> &fields)
{
    DelimitedOptions o;
    o.separator = QLatin1Char(separator);
    o.qualifier = qualifier ? QChar(QLatin1Char(qualifier)) : QChar();
    o.multiLine = multiLine;
    o.fields = fields;
    return o;
}

QByteArray cp(const QString &text)
{
    return zdb::toCp1250(text);
}

QString goldenPath(const QString &name)
{
    return testenv::sourceDir() + QStringLiteral("/tests/output/golden/") + name;
}

template <typename T>
T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

QList<QByteArray> linesOf(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(DelimitedOptions)

class TestDelimited : public QObject
{
    Q_OBJECT

    // One database for every test (they only read it); each test writes its
    // files into a folder of its own.
    std::unique_ptr<AppFixture> f;
    std::unique_ptr<QTemporaryDir> out;
    std::unique_ptr<zdb::Connection> conn;
    std::unique_ptr<zdb::Table> sample;
    std::unique_ptr<zdb::Table> many;

    QString outPath(const QString &name) const { return out->filePath(name); }

    // Runs the dialog through the entry function; `work` plays the user.
    void withDialog(zdb::RecordSet *rs, const std::function<void(Tfrm_Excelbe *)> &work)
    {
        bool ran = false;
        testhooks::onNextDialog([&](QDialog *d) {
            auto *dialog = qobject_cast<Tfrm_Excelbe *>(d);
            QVERIFY(dialog);
            ran = true;
            work(dialog);
        });
        ExportDelimited(rs);
        QVERIFY(ran);
    }

private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        f = std::make_unique<AppFixture>();
        f->makeDb(QString::fromUtf8(kSampleSql));
    }

    void cleanupTestCase() { f.reset(); }

    void init()
    {
        testhooks::reset();
        testhooks::setAutomatic(true);
        out = std::make_unique<QTemporaryDir>();
        conn = std::make_unique<zdb::Connection>();
        conn->setPath(f->dbPath());
        conn->open();
        sample = std::make_unique<zdb::Table>(conn.get(), QStringLiteral("t_export"));
        declareSample(*sample);
        sample->setOrder(QStringLiteral("rowid"));
        sample->open();
        many = std::make_unique<zdb::Table>(conn.get(), QStringLiteral("t_sok"));
        many->addInteger(QStringLiteral("kod"));
        many->addText(QStringLiteral("nev"), 50);
        many->setOrder(QStringLiteral("kod"));
        many->open();
    }

    void cleanup()
    {
        many.reset();
        sample.reset();
        conn.reset();
        out.reset();
    }

    // ---- the writer ------------------------------------------------------------

    void recordLines_data()
    {
        QTest::addColumn<DelimitedOptions>("options");
        QTest::addColumn<int>("row");   // -1: the header
        QTest::addColumn<QString>("expected");

        const QList<int> all = {Kod, Nev, Cim, Datum, Megj, Kep};
        QTest::newRow("defaults, empty text last") << opts(';', 0, false, {Kod, Nev, Cim}) << 0 << "12;Kis Kft;;\r\n";
        QTest::newRow("header quoted, comma") << opts(',', '"', false, {Kod, Nev}) << -1 << "\"kód\",\"név\",\r\n";
        QTest::newRow("header, name when no title") << opts('|', 0, false, all) << -1
                                                    << "kód|név|cim|dátum|megjegyzés|kep|\r\n";
        QTest::newRow("nulls, memo off, blob") << opts(';', 0, false, all) << 0 << "12;Kis Kft;;;BLOB;BLOB;\r\n";
        QTest::newRow("nulls quoted") << opts(';', '"', true, all) << 0 << "\"12\";\"Kis Kft\";\"\";\"\";\"\";\"BLOB\";\r\n";
        // Without a qualifier, a value that would break the line apart is
        // enclosed in double quotes; the others go out as they are.
        QTest::newRow("Semmi encloses separator and quotes") << opts(';', 0, false, {Nev, Datum}) << 1
                                                             << "\"Árvíztűrő \"\"tükör\"\" fúrógép; Kft\";2005.01.31.;\r\n";
        QTest::newRow("Semmi leaves plain values") << opts(';', 0, false, {Kod, Nev}) << 2 << "300;O'Brian & Társa;\r\n";
        QTest::newRow("Semmi, quotes without separator") << opts(',', 0, false, {Nev}) << 1
                                                         << "\"Árvíztűrő \"\"tükör\"\" fúrógép; Kft\",\r\n";
        QTest::newRow("Semmi, memo bars under the bar separator") << opts('|', 0, true, {Kod, Megj}) << 2
                                                                  << "300|\"egy|kettő|\"|\r\n";
        QTest::newRow("double quote doubled") << opts(';', '"', false, {Nev}) << 1
                                              << "\"Árvíztűrő \"\"tükör\"\" fúrógép; Kft\";\r\n";
        QTest::newRow("apostrophe doubled") << opts(',', '\'', false, {Nev}) << 2 << "'O''Brian & Társa',\r\n";
        QTest::newRow("apostrophe leaves double quotes") << opts(',', '\'', false, {Nev}) << 1
                                                         << "'Árvíztűrő \"tükör\" fúrógép; Kft',\r\n";
        QTest::newRow("memo three lines") << opts(';', 0, true, {Megj}) << 1 << "első sor|második|harmadik|;\r\n";
        QTest::newRow("memo off") << opts(';', 0, false, {Megj}) << 1 << "BLOB;\r\n";
        QTest::newRow("memo LF, tab") << opts('\t', '"', true, {Kod, Megj}) << 2 << "\"300\"\t\"egy|kettő|\"\t\r\n";
        QTest::newRow("empty memo, blob stays BLOB") << opts(';', 0, true, {Megj, Kep}) << 3 << ";BLOB;\r\n";
        QTest::newRow("line break enclosed, ? outside code page")
            << opts(';', 0, false, {Kod, Nev}) << 3 << ";\"sor\r\ntörés ?€\";\r\n";
        QTest::newRow("line break, apostrophe qualifier") << opts(';', '\'', false, {Nev}) << 3 << "'sor\r\ntörés ?€';\r\n";
        QTest::newRow("no field checked") << opts(';', '"', true, {}) << 1 << "\r\n";
        QTest::newRow("no field checked, header") << opts(';', '"', true, {}) << -1 << "\r\n";
    }

    void recordLines()
    {
        QFETCH(DelimitedOptions, options);
        QFETCH(int, row);
        QFETCH(QString, expected);
        const DelimitedWriter writer(*sample, options);
        QByteArray out("x");   // appends, never replaces
        if (row < 0)
            writer.appendHeader(out);
        else
            writer.appendRecord(row, out);
        QCOMPARE(out, QByteArray("x") + cp(expected));
    }

    void goldenFiles_data()
    {
        QTest::addColumn<DelimitedOptions>("options");
        QTest::addColumn<QString>("golden");
        const QList<int> all = {Kod, Nev, Cim, Datum, Megj, Kep};
        QTest::newRow("defaults") << opts(';', 0, false, all) << "delimited_defaults.csv";
        QTest::newRow("comma, quote, multi-line") << opts(',', '"', true, all) << "delimited_comma_quote_memo.csv";
        QTest::newRow("tab, apostrophe, some fields") << opts('\t', '\'', true, {Nev, Datum, Megj})
                                                      << "delimited_tab_apostrophe.txt";
        QTest::newRow("bar, no fields") << opts('|', 0, false, {}) << "delimited_bar_nofields.csv";
    }

    void goldenFiles()
    {
        QFETCH(DelimitedOptions, options);
        QFETCH(QString, golden);
        QBuffer device;
        device.open(QIODevice::WriteOnly);
        QCOMPARE(WriteDelimited(*sample, options, device), 4);
        const QByteArray bytes = device.data();
        QFile file(goldenPath(golden));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(goldenPath(golden)));
        QCOMPARE(bytes, file.readAll());
        // Every line ends in CR LF: no bare LF anywhere outside values.
        QCOMPARE(bytes.right(2), QByteArray("\r\n"));
    }

    void emptyRecordSetGivesHeaderOnly()
    {
        sample->setFilter(QStringLiteral("kod = -1"));
        sample->setFiltered(true);
        sample->refresh();
        QCOMPARE(sample->recordCount(), 0);
        QBuffer device;
        device.open(QIODevice::WriteOnly);
        QCOMPARE(WriteDelimited(*sample, opts(';', 0, false, {Kod, Nev}), device), 0);
        QCOMPARE(device.data(), cp(QStringLiteral("kód;név;\r\n")));
    }

    // The walk over the rows moves no bound grid, and the user's row comes back.
    void writerHoldsControlsAndRestoresRow()
    {
        many->setCurrentRow(41);
        QSignalSpy moved(many.get(), &zdb::RecordSet::currentChanged);
        QBuffer device;
        device.open(QIODevice::WriteOnly);
        int asked = 0;
        bool inOrder = true;
        QCOMPARE(WriteDelimited(*many, opts(';', 0, false, {0, 1}), device, [&](int done) {
                     inOrder = inOrder && done == asked;
                     ++asked;
                     return true;
                 }),
                 3000);
        QCOMPARE(asked, 3000);
        QVERIFY(inOrder);
        QCOMPARE(many->currentRow(), 41);
        QVERIFY(moved.count() <= 1);
        const QList<QByteArray> lines = linesOf(device.data());
        QCOMPARE(lines.size(), 3001);
        QCOMPARE(lines[1], cp(QStringLiteral("1;Név 1;\r")));
        QCOMPARE(lines[3000], cp(QStringLiteral("3000;Név 3000;\r")));
    }

    // ---- the dialog --------------------------------------------------------------

    void dialogDefaultsAndControls()
    {
        withDialog(sample.get(), [&](Tfrm_Excelbe *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Határolt szöveg export"));
            auto *list = child<QListWidget>(d, "lbMezok");
            QCOMPARE(list->count(), 6);
            QCOMPARE(list->item(4)->text(), QStringLiteral("megj"));
            QCOMPARE(d->checkedFields(), (QList<int>{0, 1, 2, 3, 4, 5}));
            QCOMPARE(d->separator(), QLatin1Char(';'));
            QCOMPARE(d->qualifier(), QChar());
            QVERIFY(!d->multiLine());
            QVERIFY(d->fileName().isEmpty());
            QVERIFY(!child<QPushButton>(d, "btMegallit")->isEnabled());
            QVERIFY(child<QPushButton>(d, "btExport")->isDefault());

            child<QPushButton>(d, "btEgyikSem")->click();
            QVERIFY(d->checkedFields().isEmpty());
            list->item(3)->setCheckState(Qt::Checked);
            list->item(1)->setCheckState(Qt::Checked);
            QCOMPARE(d->checkedFields(), (QList<int>{1, 3}));
            child<QPushButton>(d, "btOsszes")->click();
            QCOMPARE(d->checkedFields().size(), 6);

            child<QRadioButton>(d, "rbCso")->click();
            child<QRadioButton>(d, "rbAposztrof")->click();
            child<QCheckBox>(d, "cbTobbsoros")->click();
            QCOMPARE(d->separator(), QLatin1Char('|'));
            QCOMPARE(d->qualifier(), QLatin1Char('\''));
            QVERIFY(d->multiLine());
            child<QRadioButton>(d, "rbTabulator")->click();
            child<QRadioButton>(d, "rbIdezojel")->click();
            QCOMPARE(d->separator(), QLatin1Char('\t'));
            QCOMPARE(d->qualifier(), QLatin1Char('"'));

            // The browser gets the box's text and adds the default extension.
            testhooks::setNextFileName(outPath(QStringLiteral("lista")));
            child<QPushButton>(d, "btTallozas")->click();
            QCOMPARE(d->fileName(), QDir::toNativeSeparators(outPath(QStringLiteral("lista.csv"))));
            testhooks::setNextFileName(QString());   // cancelled: the box keeps its text
            child<QPushButton>(d, "btTallozas")->click();
            QCOMPARE(d->fileName(), QDir::toNativeSeparators(outPath(QStringLiteral("lista.csv"))));
            // With the text-file type chosen the name gets ".txt".
            testhooks::setNextFileName(outPath(QStringLiteral("lista")));
            testhooks::setNextFileFilter(QStringLiteral("Text állományok (*.txt)"));
            child<QPushButton>(d, "btTallozas")->click();
            QCOMPARE(d->fileName(), QDir::toNativeSeparators(outPath(QStringLiteral("lista.txt"))));
        });
        QVERIFY(f->ini().childGroups().contains(QStringLiteral("frm_Excelbe")));
    }

    void dialogExportReplacesFileAndReports()
    {
        const QString path = outPath(QStringLiteral("ugyfel.csv"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("egy régi, sokkal hosszabb tartalom, amit az export lecserél\r\n");
        old.close();
        sample->setCurrentRow(2);
        withDialog(sample.get(), [&](Tfrm_Excelbe *d) {
            d->setFileName(path);
            child<QRadioButton>(d, "rbVesszo")->click();
            child<QRadioButton>(d, "rbIdezojel")->click();
            child<QCheckBox>(d, "cbTobbsoros")->click();
            child<QPushButton>(d, "btExport")->click();
            QVERIFY(d->isVisible());
            QCOMPARE(child<QProgressBar>(d, "ProgressBar1")->value(), 0);
            QVERIFY(!child<QPushButton>(d, "btMegallit")->isEnabled());
        });
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Üzenet"));
        QCOMPARE(testhooks::lastMessage().text, path + QStringLiteral(" file kész."));
        QCOMPARE(testenv::fileBytes(path), testenv::fileBytes(goldenPath(QStringLiteral("delimited_comma_quote_memo.csv"))));
        QCOMPARE(sample->currentRow(), 2);
    }

    // A bare name never lands in the working folder: it goes into the folder
    // last browsed to, else the user's documents, and the message names the
    // full path.
    void bareFileNameGoesWhereTheUserLooks()
    {
        const QString work = outPath(QStringLiteral("munka"));
        const QString home = outPath(QStringLiteral("otthon"));
        const QString chosen = outPath(QStringLiteral("valasztott"));
        for (const QString &dir : {work, home, home + QStringLiteral("/Documents"), chosen})
            QVERIFY(QDir().mkpath(dir));
        const QString oldCwd = QDir::currentPath();
        const QByteArray oldHome = qgetenv("HOME");
        QDir::setCurrent(work);
        qputenv("HOME", QFile::encodeName(home));
        withDialog(sample.get(), [&](Tfrm_Excelbe *d) {
            d->setFileName(QStringLiteral("ugyfelek.csv"));
            child<QPushButton>(d, "btExport")->click();
            testhooks::setNextFileName(chosen + QStringLiteral("/elso.csv"));
            child<QPushButton>(d, "btTallozas")->click();
            d->setFileName(QStringLiteral("masodik.csv"));
            child<QPushButton>(d, "btExport")->click();
            QCOMPARE(d->fileName(), QDir::toNativeSeparators(chosen + QStringLiteral("/masodik.csv")));
        });
        QDir::setCurrent(oldCwd);
        qputenv("HOME", oldHome);
        QVERIFY(QDir(work).isEmpty());
        const QString first = home + QStringLiteral("/Documents/ugyfelek.csv");
        QVERIFY(QFileInfo::exists(first));
        QVERIFY(QFileInfo::exists(chosen + QStringLiteral("/masodik.csv")));
        QCOMPARE(testhooks::shownMessages().at(0).text, QDir::toNativeSeparators(first) + QStringLiteral(" file kész."));
    }

    void emptyFileNameIsRefused()
    {
        withDialog(sample.get(), [&](Tfrm_Excelbe *d) {
            d->setFileName(QStringLiteral("   "));
            child<QPushButton>(d, "btExport")->setFocus();
            child<QPushButton>(d, "btExport")->click();
            QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Hiba"));
            QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Nincs filenév megadva."));
            QCOMPARE(d->focusWidget(), child<QLineEdit>(d, "edFilenev"));
            QVERIFY(d->isVisible());
        });
        QCOMPARE(testhooks::shownMessages().size(), 1);
        QCOMPARE(QDir(out->path()).entryList(QDir::Files), QStringList());
    }

    void unwritablePathIsReported_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("missing folder") << "nincs/ilyen/mappa/lista.csv";
        QTest::newRow("folder as file") << "mappa";
    }

    void unwritablePathIsReported()
    {
        QFETCH(QString, relative);
        QVERIFY(QDir(out->path()).mkdir(QStringLiteral("mappa")));
        const QString bad = outPath(relative);
        const QString good = outPath(QStringLiteral("jo.csv"));
        withDialog(sample.get(), [&](Tfrm_Excelbe *d) {
            d->setFileName(bad);
            child<QPushButton>(d, "btExport")->click();
            const testhooks::ShownMessage m = testhooks::lastMessage();
            QCOMPARE(m.caption, QStringLiteral("Hiba"));
            QVERIFY2(m.text.startsWith(QStringLiteral("Hiba: ")) && m.text.contains(bad), qPrintable(m.text));
            QVERIFY(d->isVisible());
            QVERIFY(child<QPushButton>(d, "btExport")->isEnabled());
            QVERIFY(!child<QPushButton>(d, "btMegallit")->isEnabled());
            // Still usable: the next export goes through.
            d->setFileName(good);
            child<QPushButton>(d, "btExport")->click();
            QCOMPARE(testhooks::lastMessage().text, good + QStringLiteral(" file kész."));
        });
        QVERIFY(QFileInfo(outPath(QStringLiteral("mappa"))).isDir());
        QVERIFY(!QFileInfo::exists(outPath(QStringLiteral("nincs"))));
        QCOMPARE(testenv::fileBytes(good), testenv::fileBytes(goldenPath(QStringLiteral("delimited_defaults.csv"))));
    }

    // "Megállít" (or Esc) during a run: the header and the records before the
    // stop are written and reported; the dialog stays open and works again.
    void stopDuringExport_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Megállít") << false;
        QTest::newRow("Esc") << true;
    }

    void stopDuringExport()
    {
        QFETCH(bool, escape);
        const QString path = outPath(QStringLiteral("sok.csv"));
        many->setCurrentRow(9);
        int stoppedAt = -1;
        withDialog(many.get(), [&](Tfrm_Excelbe *d) {
            auto *progress = child<QProgressBar>(d, "ProgressBar1");
            auto *stop = child<QPushButton>(d, "btMegallit");
            const auto hook = connect(progress, &QProgressBar::valueChanged, d, [&](int value) {
                if (value < 2 * Tfrm_Excelbe::kEventInterval || stoppedAt >= 0)
                    return;
                QVERIFY(d->running());
                QVERIFY(stop->isEnabled());
                QVERIFY(!child<QPushButton>(d, "btExport")->isEnabled());
                QVERIFY(!child<QPushButton>(d, "btBezar")->isEnabled());
                QCOMPARE(progress->maximum(), 3000);
                stoppedAt = value;
                if (escape)
                    QTest::keyClick(d, Qt::Key_Escape);
                else
                    QTest::mouseClick(stop, Qt::LeftButton);
            });
            d->show();
            d->setFileName(path);
            child<QPushButton>(d, "btExport")->click();
            disconnect(hook);

            QVERIFY(d->isVisible());
            QVERIFY(!d->running());
            QVERIFY(!stop->isEnabled());
            QVERIFY(child<QPushButton>(d, "btExport")->isEnabled());
            QCOMPARE(testhooks::lastMessage().text, path + QStringLiteral(" file kész."));
            QVERIFY(stoppedAt > 0);
            const QList<QByteArray> lines = linesOf(testenv::fileBytes(path));
            QCOMPARE(lines.size(), 1 + stoppedAt);
            QCOMPARE(lines.first(), QByteArray("kod;nev;\r"));
            QCOMPARE(lines.last(), cp(QStringLiteral("%1;Név %1;\r").arg(stoppedAt)));
            QCOMPARE(many->currentRow(), 9);

            // A second run goes to the end.
            child<QPushButton>(d, "btExport")->click();
            QCOMPARE(linesOf(testenv::fileBytes(path)).size(), 3001);
        });
    }

    // A record set that fails in the middle: the error is shown, no file
    // appears and an older file is left as it was.
    void failingRecordSet_data()
    {
        QTest::addColumn<bool>("closeMidway");
        QTest::addColumn<QString>("message");
        QTest::newRow("value fails") << false << "Hiba: Számítási hiba az 1500. sorban";
        QTest::newRow("closed midway") << true << "Hiba: Cannot perform this operation on a closed dataset";
    }

    void failingRecordSet()
    {
        QFETCH(bool, closeMidway);
        QFETCH(QString, message);
        zdb::Query q(conn.get(), QStringLiteral("select kod, nev from t_sok order by kod"));
        q.addInteger(QStringLiteral("kod"));
        q.addText(QStringLiteral("nev"), 50);
        q.addCalculated(QStringLiteral("szamolt"), 20);
        q.setCalcHandler([](const zdb::RecordSet &, int row, const QString &) -> QVariant {
            if (row == 1499)
                throw zdb::Error(QStringLiteral("Számítási hiba az 1500. sorban"));
            return QStringLiteral("ok");
        });
        q.open();

        const QString kept = outPath(QStringLiteral("marad.csv"));
        const QString fresh = outPath(QStringLiteral("uj.csv"));
        QFile old(kept);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("regi\r\n");
        old.close();

        withDialog(&q, [&](Tfrm_Excelbe *d) {
            auto *progress = child<QProgressBar>(d, "ProgressBar1");
            if (closeMidway)
                connect(progress, &QProgressBar::valueChanged, d, [&](int value) {
                    if (value >= Tfrm_Excelbe::kEventInterval && q.isOpen())
                        q.close();
                });
            for (const QString &path : {kept, fresh}) {
                if (closeMidway && !q.isOpen())
                    q.open();
                d->setFileName(path);
                child<QPushButton>(d, "btExport")->click();
                QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Hiba"));
                QCOMPARE(testhooks::lastMessage().text, message);
                QVERIFY(d->isVisible());
                QVERIFY(!d->running());
                QVERIFY(child<QPushButton>(d, "btExport")->isEnabled());
            }
        });
        QCOMPARE(testenv::fileBytes(kept), QByteArray("regi\r\n"));
        QVERIFY(!QFileInfo::exists(fresh));
        // No temporary file is left behind either.
        QCOMPARE(QDir(out->path()).entryList(QDir::Files), QStringList{QStringLiteral("marad.csv")});
    }
};

QTEST_MAIN(TestDelimited)
#include "tst_delimited.moc"

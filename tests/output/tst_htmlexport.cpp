// The HTML export: the page byte for byte against a golden file, the width
// rounding, the escaping of texts, and the dialog's save, open and mail paths.

#include "tests/app/appfixture.h"

#include "app/helpers/datagrid.h"
#include "scheduling/entries.h"
#include "app/htmlexportdialog.h"
#include "output/htmlexport.h"
#include "output/output.h"
#include "scheduling/tasklist.h"

#include "db/recordset.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

namespace {

const char *const kTasks = R"(
INSERT INTO dolog3 (dolog3, datum, rovid, ugyfel_nev, fontos, kesz) VALUES
 (1, '2026-01-05', 'Ajánlat & "árak" <sürgős>', 'Kovács Bt.', 2, 'N'),
 (2, NULL, 'első' || char(13) || char(10) || 'második', 'Őrség Kft.', NULL, 'N'),
 (3, '2026-12-31', 'Telefon', NULL, 0, 'N');
)";

QByteArray golden(const char *name)
{
    return testenv::fileBytes(testenv::sourceDir() + QStringLiteral("/tests/output/golden/") + QLatin1String(name));
}

// Where the time stamp line of a page is: two lines above the program's name.
qsizetype stampLineIndex(const QList<QByteArray> &lines)
{
    for (qsizetype i = 2; i < lines.size(); ++i)
        if (lines[i].startsWith("<p><font face=\"Courier New\""))
            return i - 2;
    return -1;
}

QByteArray stampLine(const QByteArray &page)
{
    const QList<QByteArray> lines = page.split('\n');
    return lines.value(stampLineIndex(lines));
}

// The page with its time stamp masked.
QByteArray maskStamp(const QByteArray &page)
{
    QList<QByteArray> lines = page.split('\n');
    const qsizetype i = stampLineIndex(lines);
    if (i >= 0)
        lines[i] = "STAMP";
    return lines.join('\n');
}

} // namespace

class TestHtmlExport : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> f;
    std::unique_ptr<zdb::Table> tbl;
    std::unique_ptr<DataGrid> grid;
    QStringList opened;

    // A grid of 400 pixels: a picture column, a number, a date, two texts
    // (one right-aligned) and a column without a field.
    void makeGrid()
    {
        tbl = std::make_unique<zdb::Table>(Db1(), QStringLiteral("dolog3"));
        tbl->addInteger(QStringLiteral("dolog3"));
        tbl->addDate(QStringLiteral("datum"));
        tbl->addText(QStringLiteral("rovid"), 50);
        tbl->addText(QStringLiteral("ugyfel_nev"), 75);
        tbl->addInteger(QStringLiteral("fontos"));
        tbl->setOrder(QStringLiteral("dolog3"));
        tbl->open();

        auto column = [](const char *field, const char *title, int width, Qt::Alignment a = Qt::AlignLeft) {
            GridColumn c;
            c.field = QString::fromUtf8(field);
            c.title = QString::fromUtf8(title);
            c.width = width;
            c.alignment = a;
            return c;
        };
        GridColumn picture = column("fontos", "!", 20, Qt::AlignCenter);
        picture.picture = [](const QVariant &) { return QPixmap(); };
        grid = std::make_unique<DataGrid>();
        grid->setRecordSet(tbl.get(), {picture, column("dolog3", "sorszám", 50), column("datum", "dátum", 54),
                                       column("rovid", "feladat & leírás", 150), column("", "x", 30),
                                       column("ugyfel_nev", "ügyfél", 90, Qt::AlignRight)});
        grid->setColumnWidths({20, 50, 54, 150, 30, 90});
        grid->resize(400, 200);
    }

    QString htmlDir() const { return f->path(QStringLiteral("Html")); }

private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        RegisterSchedulingWindows();
    }
    void init()
    {
        f = std::make_unique<AppFixture>();
        f->makeDb(QString::fromUtf8(kTasks));
        QVERIFY(f->start());
        QDir().mkpath(htmlDir());
        Beall().HtmlDir = htmlDir();
        opened.clear();
        SetOpenDocumentHook([this](const QString &target) { opened << target; });
        makeGrid();
    }
    void cleanup()
    {
        SetOpenDocumentHook({});
        grid.reset();
        tbl.reset();
        f.reset();
    }

    void widthPercentRoundsHalvesToEven_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("gridWidth");
        QTest::addColumn<int>("percent");
        QTest::newRow("68 of 272") << 68 << 272 << 25;
        QTest::newRow("165 of 272") << 165 << 272 << 61;
        QTest::newRow("1/8 = 12.5") << 50 << 400 << 12;
        QTest::newRow("3/8 = 37.5") << 150 << 400 << 38;
        QTest::newRow("5/8 = 62.5") << 250 << 400 << 62;
        QTest::newRow("13.5") << 54 << 400 << 14;
        QTest::newRow("just under a half") << 149 << 400 << 37;
        QTest::newRow("no width") << 10 << 0 << 0;
    }
    void widthPercentRoundsHalvesToEven()
    {
        QFETCH(int, width);
        QFETCH(int, gridWidth);
        QFETCH(int, percent);
        QCOMPARE(HtmlColumnPercent(width, gridWidth), percent);
    }

    void pageMatchesGolden()
    {
        const QByteArray expected = golden("htmlexport_small.htm");
        QVERIFY(!expected.isEmpty());
        tbl->setCurrentRow(1);
        const QByteArray page = GridHtmlPage(grid->shape(), QStringLiteral("Feladatok"), QStringLiteral("Kovács & Társa <Kft>"),
                                             QDateTime(QDate(2008, 3, 5), QTime(14, 7, 9)));
        QCOMPARE(page, expected);
        // The export reads every row but leaves the list where it was.
        QCOMPARE(tbl->currentRow(), 1);
        QCOMPARE(grid->currentIndex().row(), 1);

        // The written file: the same bytes, stamped now.
        const QString path = f->path(QStringLiteral("Html/oldal.htm"));
        WriteGridHtml(grid->shape(), QStringLiteral("Feladatok"), QStringLiteral("Kovács & Társa <Kft>"), path);
        const QByteArray written = testenv::fileBytes(path);
        QCOMPARE(maskStamp(written), maskStamp(expected));
        const QByteArray stamp = stampLine(written);
        QVERIFY2(QRegularExpression(QStringLiteral("^<p><font face=\"Verdana\" size=\"1\">\\d{4}\\.\\d\\d\\.\\d\\d "
                                                   "\\d\\d:\\d\\d:\\d\\d</font></p>\r$"))
                     .match(QString::fromLatin1(stamp))
                     .hasMatch(),
                 stamp.constData());
    }

    void textsAreEscapedAndEncoded()
    {
        QCOMPARE(HtmlPageText(u"a & b < c > d \"e\""), QByteArray("a &amp; b &lt; c &gt; d &quot;e&quot;"));
        QCOMPARE(HtmlPageText(u"sor1\r\nsor2\nsor3\rsor4"), QByteArray("sor1<br>sor2<br>sor3<br>sor4"));
        // Windows-1250 bytes; one "?" per character outside the code page.
        QCOMPARE(HtmlPageText(u"Őz €✓\U0001F600!"), QByteArray("\xD5z \x80?" "?!"));

        // The title goes into <title> and the heading, escaped in both.
        const QByteArray page = GridHtmlPage(grid->shape(), QStringLiteral("<b>Lista</b>"), QString());
        QVERIFY(page.contains("<title>&lt;b&gt;Lista&lt;/b&gt;</title>\r\n"));
        QVERIFY(page.contains("size=\"2\">&lt;b&gt;Lista&lt;/b&gt;</font>"));
        QVERIFY(!page.contains("<b>"));
    }

    void emptyListGivesHeaderOnly()
    {
        tbl->setFilter(QStringLiteral("dolog3 < 0"));
        tbl->setFiltered(true);
        tbl->refresh();
        const QByteArray page = GridHtmlPage(grid->shape(), QStringLiteral("Feladatok"), QString());
        QCOMPARE(page.count("  <tr>\r\n"), 1);
        QVERIFY(page.contains("<p><strong><font face=\"Verdana\" size=\"1\"></font></strong></p>\r\n"));
        QVERIFY(page.contains(QByteArray("\xD6sszesen 0 sor.")));
    }

    void dialogSavesAndOpens()
    {
        // An earlier page of the same name is replaced.
        const QString path = QDir::toNativeSeparators(htmlDir() + QStringLiteral("/feladatok.htm"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("régi");
        old.close();

        bool checked = false;
        testhooks::onNextDialog([&](QDialog *d) {
            QCOMPARE(d->objectName(), QStringLiteral("frm_HtmlExport"));
            QCOMPARE(d->windowTitle(), QStringLiteral("HTML export"));
            QCOMPARE(d->findChild<QLineEdit *>()->text(), path);
            auto *open = d->findChild<QCheckBox *>();
            QCOMPARE(open->text(), QStringLiteral("Mentés után megnyitás"));
            checked = open->isChecked();
            d->accept();
        });
        ExportGridToHtml(grid.get(), QStringLiteral("Feladatok"), QString());
        QVERIFY(checked);
        QVERIFY(testenv::fileBytes(path).startsWith("<html>\r\n"));
        QCOMPARE(opened, QStringList{QDir::fromNativeSeparators(path)});
        QVERIFY(f->ini().childGroups().contains(QStringLiteral("frm_HtmlExport")));

        // Unchecked: written, not opened. Another title, another name.
        opened.clear();
        testhooks::onNextDialog([](QDialog *d) {
            QCOMPARE(d->findChild<QLineEdit *>()->text(),
                     QDir::toNativeSeparators(QDir(Beall().HtmlDir).filePath(QStringLiteral("v_gzett-munk_k.htm"))));
            d->findChild<QCheckBox *>()->setChecked(false);
            d->accept();
        });
        ExportGridToHtml(grid.get(), QStringLiteral("Végzett munkák"), QString());
        QVERIFY(QFile::exists(htmlDir() + QStringLiteral("/v_gzett-munk_k.htm")));
        QVERIFY(opened.isEmpty());

        // "Mégsem" writes nothing.
        testhooks::onNextDialog([](QDialog *d) { d->reject(); });
        ExportGridToHtml(grid.get(), QStringLiteral("Projektek"), QString());
        QVERIFY(!QFile::exists(htmlDir() + QStringLiteral("/projektek.htm")));
    }

    // A bare name is a page in the HTML folder: the file that is written is
    // the one that is opened, wherever the program was started from.
    void bareNameLandsInTheHtmlFolder()
    {
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(f->path(QString())));
        testhooks::onNextDialog([](QDialog *d) {
            d->findChild<QLineEdit *>()->setText(QStringLiteral("sajat.htm"));
            d->accept();
        });
        ExportGridToHtml(grid.get(), QStringLiteral("Feladatok"), QString());
        QDir::setCurrent(cwd);
        const QString page = htmlDir() + QStringLiteral("/sajat.htm");
        QVERIFY(testenv::fileBytes(page).endsWith("</html>\r\n"));
        QVERIFY(!QFile::exists(f->path(QStringLiteral("sajat.htm"))));
        QCOMPARE(opened, QStringList{page});
    }

    // Enter in the file name, Enter again: the page is written; the browse
    // button beside the name is never pressed on the way.
    void enterTwiceExports()
    {
        int browsed = 0;
        testhooks::onNextDialog([&browsed](QDialog *d) {
            auto *browse = d->findChild<QToolButton *>(QStringLiteral("btTalloz"));
            QObject::connect(browse, &QToolButton::clicked, d, [&browsed] { ++browsed; });
            auto *file = d->findChild<QLineEdit *>(QStringLiteral("edFajl"));
            file->setFocus();
            QTest::keyClick(file, Qt::Key_Return);
            QVERIFY(d->focusWidget() != browse);
            QTest::keyClick(d->focusWidget(), Qt::Key_Return);
        });
        ExportGridToHtml(grid.get(), QStringLiteral("Feladatok"), QString());
        QCOMPARE(browsed, 0);
        QVERIFY(QFile::exists(htmlDir() + QStringLiteral("/feladatok.htm")));
    }

    void browseSetsThePath()
    {
        testhooks::setNextFileName(f->path(QStringLiteral("masik/lista")));
        QString shown;
        testhooks::onNextDialog([&](QDialog *d) {
            d->findChild<QToolButton *>(QStringLiteral("btTalloz"))->click();
            shown = d->findChild<QLineEdit *>()->text();
            d->reject();
        });
        ExportGridToHtml(grid.get(), QStringLiteral("Feladatok"), QString());
        QCOMPARE(shown, QDir::toNativeSeparators(f->path(QStringLiteral("masik/lista.htm"))));
    }

    void unwritablePlacesAreReported_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing folder") << QStringLiteral("nincs/ilyen/lista.htm") << QStringLiteral("mappa nem létezik");
        QTest::newRow("empty name") << QString() << QStringLiteral("Nincs megadva a fájl neve");
        QTest::newRow("a folder's name") << QStringLiteral("Html") << QStringLiteral("egy mappa neve");
        // Nothing can be created in /proc, not even by root.
        QTest::newRow("unwritable folder") << QStringLiteral("/proc/zentavo-lista.htm") << QStringLiteral("nem hozható létre");
    }
    void unwritablePlacesAreReported()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        const QString target = path.isEmpty() || path.startsWith(QLatin1Char('/')) ? path : f->path(path);
        testhooks::onNextDialog([&](QDialog *d) {
            d->findChild<QLineEdit *>()->setText(target);
            d->accept();
        });
        ExportGridToHtml(grid.get(), QStringLiteral("Feladatok"), QString());
        QCOMPARE(testhooks::shownMessages().size(), 1);
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Zentavo"));
        QVERIFY2(testhooks::lastMessage().text.contains(message), qPrintable(testhooks::lastMessage().text));
        QVERIFY(opened.isEmpty());
        if (!target.isEmpty())
            QVERIFY(!QFileInfo(target).isFile());
        // Nothing half-written is left behind either.
        QCOMPARE(QDir(htmlDir()).entryList(QDir::Files), QStringList());
        // The program goes on: the next export works.
        testhooks::onNextDialog([](QDialog *d) { d->accept(); });
        ExportGridToHtml(grid.get(), QStringLiteral("Feladatok"), QString());
        QVERIFY(QFile::exists(htmlDir() + QStringLiteral("/feladatok.htm")));
    }

    void mailButtonAttachesThePage()
    {
        QTemporaryDir bin;
        QFile script(bin.filePath(QStringLiteral("xdg-email")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\036' \"$a\"; done > \"$ZENTAVO_MAIL_LOG.part\"\n"
                     "mv \"$ZENTAVO_MAIL_LOG.part\" \"$ZENTAVO_MAIL_LOG\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + oldPath);
        const QString log = bin.filePath(QStringLiteral("args.log"));
        qputenv("ZENTAVO_MAIL_LOG", QFile::encodeName(log));

        const QString path = htmlDir() + QStringLiteral("/feladatok.htm");
        bool stillOpen = false;
        bool openChecked = true;
        testhooks::onNextDialog([&](QDialog *d) {
            d->findChild<QPushButton *>(QStringLiteral("btEmail"))->click();
            stillOpen = d->isVisible();
            openChecked = d->findChild<QCheckBox *>()->isChecked();
            d->reject();
        });
        ExportGridToHtml(grid.get(), QStringLiteral("Feladatok"), QString());
        qputenv("PATH", oldPath);

        QVERIFY(stillOpen);
        QVERIFY(!openChecked);
        QVERIFY(testenv::fileBytes(path).endsWith("</html>\r\n"));
        QVERIFY(opened.isEmpty());
        // The mail client starts on its own; its hand-off arrives a moment later.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(log), 5000);
        QStringList args = QString::fromUtf8(testenv::fileBytes(log)).split(QChar(0x1E));
        args.removeLast();
        // No body, no recipient: the user picks who gets the page.
        QCOMPARE(args, (QStringList{"--utf8", "--attach", path, "mailto:?subject=Zentavo%20program%20gener%C3%A1lt%20lev%C3%A9l"}));
    }

    // The real task list: picture columns show their field's text.
    void taskListPage()
    {
        f->main->resize(1000, 700);
        f->main->show();
        actionOf(f->main, QStringLiteral("aFeladat"))->trigger();
        QMdiSubWindow *sub = f->main->mdiArea()->activeSubWindow();
        auto *list = sub ? qobject_cast<Tfrm_Feladat *>(sub->widget()) : nullptr;
        QVERIFY(list);
        const QByteArray page = GridHtmlPage(list->grid()->shape(), QStringLiteral("Feladatok"), QString());
        QCOMPARE(page.count("bgcolor=\"#C0C0C0\""), list->grid()->columns().size());
        QVERIFY(page.contains("<p align=\"center\">2</font></td>"));
        QVERIFY(page.contains(QByteArray("\xD6sszesen 3 sor.")));
    }
};

QTEST_MAIN(TestHtmlExport)
#include "tst_htmlexport.moc"

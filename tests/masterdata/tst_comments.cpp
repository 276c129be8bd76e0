// The comments and documents dialog and its editors, opened from the product
// list and directly.

#include "tests/masterdata/masterfixture.h"

#include "masterdata/commenteditor.h"
#include "masterdata/comments.h"
#include "masterdata/productlist.h"
#include "app/helpers/descriptioneditor.h"
#include "scheduling/pickers.h"

#include "app/helpers/datagrid.h"
#include "app/helpers/datefield.h"
#include "db/connection.h"
#include "db/recordset.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

// Product 7 Kalapács without comments; customer 1 with an address, with one
// comment and a document whose path was written on Windows.
const char *const kRows = R"(
INSERT INTO termek (termek, cikkszam, termek_nev, vanmegj, termek_nevs) VALUES (7, 'K-7', 'Kalapács', 'N', 'KALAPACS');
INSERT INTO ugyfel (ugyfel, ugyfelkod, ugyfel_nev, emil, vanmegj) VALUES (1, 1, 'Ásvány Kft.', 'info@asvany.hu', NULL);
INSERT INTO megjegyzes (megjegyzes, datum, rovid, ugyfel, azonstr, szoveg) VALUES
 (1, '2026-01-02', 'Hívás', 1, 'Ásvány Kft.', 'egy' || char(13,10) || 'kettő' || char(13,10));
INSERT INTO doksi (doksi, datum, rovid, ugyfel, azonstr, fileban) VALUES
 (1, NULL, 'Szerződés', 1, 'Ásvány Kft.', 'C:\Dokumentumok\szerzodes.doc');
)";

} // namespace

class TestComments : public QObject
{
    Q_OBJECT

    MasterFixture m;
    QTemporaryDir files;
    QTemporaryDir bin;
    QByteArray oldPath;
    QStringList opened;

    QString storedText(const QString &sql) const { return m.stored(sql).toString(); }
    QString logPath() const { return files.filePath(QStringLiteral("mail.log")); }

    // Runs ShowComments with `steps` inside the open dialog.
    void withDialog(int kind, int id, const QString &name, const std::function<void(Tfrm_Megjegyzes *)> &steps)
    {
        answerDialog<Tfrm_Megjegyzes>([steps](Tfrm_Megjegyzes *d) {
            steps(d);
            d->reject();
        });
        ShowComments(kind, id, name);
        QCOMPARE(testhooks::pendingDialogCallbacks(), 0);
    }
    // The mail client starts without the program waiting for it: the
    // stand-in's log is complete once the address (the last argument) is in.
    QStringList mailArguments() const
    {
        QString log;
        for (int waited = 0; waited < 20000; waited += 50) {
            log = QString::fromUtf8(testenv::fileBytes(logPath()));
            if (log.contains(QStringLiteral("mailto:")) && log.endsWith(QChar(0x1e)))
                break;
            QTest::qWait(50);
        }
        if (log.endsWith(QChar(0x1e)))
            log.chop(1);
        return log.split(QChar(0x1e));
    }
    void answerCustomerPicker(bool choose)
    {
        answerDialog<Tfrm_Valaszt>([choose](Tfrm_Valaszt *p) {
            if (choose) {
                QVERIFY(p->table()->locate(QStringLiteral("ugyfel"), 1));
                p->accept();
            } else {
                p->reject();
            }
        });
    }

private Q_SLOTS:
    void initTestCase()
    {
        initMasterTests();
        QFile script(bin.filePath(QStringLiteral("xdg-email")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n"
                     ": > \"$ZENTAVO_MAIL_LOG\"\n"
                     "for a in \"$@\"; do printf '%s\\036' \"$a\" >> \"$ZENTAVO_MAIL_LOG\"; done\n"
                     "exit 0\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + oldPath);
        qputenv("ZENTAVO_MAIL_LOG", QFile::encodeName(logPath()));
    }
    void cleanupTestCase() { qputenv("PATH", oldPath); }
    void init()
    {
        m.start(QString::fromUtf8(kRows));
        opened.clear();
        SetOpenDocumentHook([this](const QString &target) { opened << target; });
        QFile::remove(logPath());
    }
    void cleanup()
    {
        SetOpenDocumentHook({});
        m.f.reset();
    }

    void commentAddedAndDeletedKeepsTheProductFlag()
    {
        auto *w = openListWindow<Tfrm_Termek>(m.f->main.get(), "aTermek");
        QVERIFY(w);
        answerDialog<Tfrm_Megjegyzes>([this](Tfrm_Megjegyzes *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Megjegyzések, dokumentumok"));
            QCOMPARE(d->pages()->tabText(d->pages()->currentIndex()), QStringLiteral("Megjegyzések"));
            QVERIFY(!d->aSzerkeszt->isEnabled());
            d->editRow();   // empty page: no unlinked row
            answerDialog<Tfrm_MegjSzerkeszt>([](Tfrm_MegjSzerkeszt *e) {
                QCOMPARE(e->datum()->date(), QDate::currentDate());
                typeInto(e->rovid(), QStringLiteral("Ár"));
                e->szoveg()->setText(QStringLiteral("első\nmásodik\nharmadik"));
                e->szoveg()->setModified(true);
                e->accept();
            });
            d->aUj->trigger();
            QCOMPARE(d->comments()->recordCount(), 1);
            QCOMPARE(d->commentText()->toPlainText(), QStringLiteral("első\nmásodik\nharmadik"));
            QVERIFY(d->commentText()->isReadOnly());
            // Saved again unchanged, and again: no line is added.
            for (int i = 0; i < 2; ++i) {
                answerDialog<Tfrm_MegjSzerkeszt>([](Tfrm_MegjSzerkeszt *e) {
                    e->szoveg()->setModified(true);
                    e->accept();
                });
                d->aSzerkeszt->trigger();
            }
            QCOMPARE(storedText(QStringLiteral("SELECT szoveg FROM megjegyzes WHERE termek=7")),
                     QStringLiteral("első\r\nmásodik\r\nharmadik\r\n"));
        });
        w->linked.aMegjegyzes->trigger();
        QCOMPARE(m.stored(QStringLiteral("SELECT COUNT(*) FROM megjegyzes WHERE termek=7")).toInt(), 1);
        QVERIFY(!m.stored(QStringLiteral("SELECT ugyfel FROM megjegyzes WHERE termek=7")).isValid());
        QVERIFY(!m.stored(QStringLiteral("SELECT projekt FROM megjegyzes WHERE termek=7")).isValid());
        QCOMPARE(storedText(QStringLiteral("SELECT azonstr FROM megjegyzes WHERE termek=7")), QStringLiteral("Kalapács"));
        QCOMPARE(storedText(QStringLiteral("SELECT datum FROM megjegyzes WHERE termek=7")),
                 QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(storedText(QStringLiteral("SELECT vanmegj FROM termek WHERE termek=7")), QStringLiteral("I"));
        QCOMPARE(w->table()->text(QStringLiteral("vanmegj")), QStringLiteral("I"));

        answerDialog<Tfrm_Megjegyzes>([](Tfrm_Megjegyzes *d) {
            testhooks::setNextAnswer(true);
            d->aTorol->trigger();
            QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Valóban töröljem a megjegyzést?"));
            d->reject();
        });
        w->linked.aMegjegyzes->trigger();
        QCOMPARE(storedText(QStringLiteral("SELECT vanmegj FROM termek WHERE termek=7")), QStringLiteral("N"));
        QCOMPARE(m.count(QStringLiteral("termek")), 1);
    }

    void withoutAListTheOwnerIsFoundByItsIdentifier()
    {
        // A comment-less customer with an empty flag: closing writes "I" (it has rows).
        withDialog(LinkCustomer, 1, QStringLiteral("Ásvány Kft."), [](Tfrm_Megjegyzes *d) {
            QCOMPARE(d->comments()->recordCount(), 1);
            QCOMPARE(d->documents()->recordCount(), 1);
        });
        QCOMPARE(storedText(QStringLiteral("SELECT vanmegj FROM ugyfel WHERE ugyfel=1")), QStringLiteral("I"));
        // An owner that is gone gets no new row.
        withDialog(LinkProject, 42, QString(), [](Tfrm_Megjegyzes *) {});
        QCOMPARE(m.count(QStringLiteral("projekt")), 0);
    }

    void documentsOpenThroughTheDesktopAndKeepTheirFiles()
    {
        const QString doc = files.filePath(QStringLiteral("ajánlat.pdf"));
        QFile(doc).open(QIODevice::WriteOnly);
        withDialog(LinkCustomer, 1, QStringLiteral("Ásvány Kft."), [&](Tfrm_Megjegyzes *d) {
            d->pages()->setCurrentIndex(1);
            QCOMPARE(d->documentLink()->text().contains(QStringLiteral("C:\\Dokumentumok\\szerzodes.doc")), true);
            // A path from another machine: a message naming it, nothing handed over.
            d->openDocument();
            QVERIFY(testhooks::lastMessage().text.contains(QStringLiteral("C:\\Dokumentumok\\szerzodes.doc")));
            QVERIFY(opened.isEmpty());

            // A too long path is refused, never stored cut.
            answerDialog<Tfrm_DoksiSzerkeszt>([&](Tfrm_DoksiSzerkeszt *e) {
                QVERIFY(e->datum()->isBlank());   // stored without a date
                e->fileban()->setText(QLatin1Char('/') + QString(120, QLatin1Char('a')));
                e->accept();
                QVERIFY(e->isVisible());
                QVERIFY(testhooks::lastMessage().text.contains(QStringLiteral("túl hosszú")));
                testhooks::setNextFileName(doc);
                e->browse();
                QCOMPARE(e->fileban()->text(), QDir::toNativeSeparators(doc));
                QCOMPARE(e->focusWidget(), static_cast<QWidget *>(e->okButton()));
                e->accept();
            });
            d->aSzerkeszt->trigger();
            QCOMPARE(storedText(QStringLiteral("SELECT fileban FROM doksi WHERE doksi=1")), doc);
            QVERIFY(!m.stored(QStringLiteral("SELECT datum FROM doksi WHERE doksi=1")).isValid());
            d->openDocument();
            QCOMPARE(opened, QStringList{doc});

            testhooks::setNextAnswer(true);
            d->aTorol->trigger();
            QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Valóban töröljem a bejegyzést?"));
            QCOMPARE(d->documents()->recordCount(), 0);
            QVERIFY(!d->aSzerkeszt->isEnabled());
            d->editRow();
        });
        QCOMPARE(m.count(QStringLiteral("doksi")), 0);
        QVERIFY(QFile::exists(doc));
    }

    void mailGoesToTheChosenCustomer()
    {
        withDialog(LinkCustomer, 1, QStringLiteral("Ásvány Kft."), [&](Tfrm_Megjegyzes *d) {
            answerCustomerPicker(false);
            d->aLevelben->trigger();
            QVERIFY(!QFile::exists(logPath()));

            answerCustomerPicker(true);
            d->aLevelben->trigger();
            // One mailto: address carries the subject and the body.
            const QStringList args = mailArguments();
            const QString uri = QUrl::fromPercentEncoding(args.last().toUtf8());
            QVERIFY2(uri.startsWith(QStringLiteral("mailto:info@asvany.hu?")), qPrintable(args.join(QLatin1Char('|'))));
            QVERIFY(uri.contains(QStringLiteral("subject=Hívás")));
            QVERIFY(uri.contains(QStringLiteral("body=egy\r\nkettő\r\n")));

            // The document's file is missing here: said so, nothing sent.
            QFile::remove(logPath());
            d->pages()->setCurrentIndex(1);
            d->aLevelben->trigger();
            QVERIFY(testhooks::lastMessage().text.contains(QStringLiteral("C:\\Dokumentumok\\szerzodes.doc")));
            QVERIFY(!QFile::exists(logPath()));

            // No mail client at all.
            d->pages()->setCurrentIndex(0);
            QTemporaryDir empty;
            qputenv("PATH", QFile::encodeName(empty.path()));
            answerCustomerPicker(true);
            testhooks::clearMessages();
            d->aLevelben->trigger();
            qputenv("PATH", QFile::encodeName(bin.path()) + ':' + oldPath);
            // One box says so, not one more on top of it.
            const auto shown = testhooks::shownMessages();
            QCOMPARE(shown.size(), 1);
            QVERIFY(shown[0].text.contains(QStringLiteral("xdg-email")));
        });
    }

    // A relative document path is taken from the program folder by the
    // link, the mail's check and its attachment alike; a path the database's
    // code page cannot hold is refused, as a too long one is; a mail hand-off
    // that fails says so once.
    void documentPathsAndFailedHandOff()
    {
        const QString folder = QDir(ProgramDir()).filePath(QStringLiteral("Doksi"));
        QVERIFY(QDir().mkpath(folder));
        const QString doc = QDir(folder).filePath(QStringLiteral("ajanlat.pdf"));
        QVERIFY(QFile(doc).open(QIODevice::WriteOnly));
        const QString foreign = files.filePath(QStringLiteral("árajánlat-漢字.pdf"));
        QVERIFY(QFile(foreign).open(QIODevice::WriteOnly));
        Db1()->executeDirect(QStringLiteral("UPDATE doksi SET fileban='Doksi/ajanlat.pdf' WHERE doksi=1"));
        withDialog(LinkCustomer, 1, QStringLiteral("Ásvány Kft."), [&](Tfrm_Megjegyzes *d) {
            d->pages()->setCurrentIndex(1);
            testhooks::clearMessages();
            d->openDocument();
            QCOMPARE(opened, QStringList{QDir::toNativeSeparators(doc)});
            answerCustomerPicker(true);
            d->aLevelben->trigger();
            QVERIFY2(testhooks::shownMessages().isEmpty(), qPrintable(testhooks::lastMessage().text));
            const QStringList args = mailArguments();
            QVERIFY2(args.contains(doc), qPrintable(args.join(QLatin1Char('|'))));

            answerDialog<Tfrm_DoksiSzerkeszt>([&](Tfrm_DoksiSzerkeszt *e) {
                testhooks::setNextFileName(foreign);
                e->browse();
                QCOMPARE(e->fileban()->text(), QStringLiteral("Doksi/ajanlat.pdf"));
                e->fileban()->setText(foreign);
                e->accept();
                QVERIFY(e->isVisible());
                e->reject();
            });
            d->aSzerkeszt->trigger();
            const auto shown = testhooks::shownMessages();
            QCOMPARE(shown.size(), 2);
            for (const auto &message : shown)
                QVERIFY2(message.text.contains(QStringLiteral("nem tud tárolni")), qPrintable(message.text));

            // No mail client: one message, not two.
            d->pages()->setCurrentIndex(0);
            QTemporaryDir empty;
            qputenv("PATH", QFile::encodeName(empty.path()));
            testhooks::clearMessages();
            answerCustomerPicker(true);
            d->aLevelben->trigger();
            qputenv("PATH", QFile::encodeName(bin.path()) + ':' + oldPath);
            QCOMPARE(testhooks::shownMessages().size(), 1);
        });
        QCOMPARE(storedText(QStringLiteral("SELECT fileban FROM doksi WHERE doksi=1")), QStringLiteral("Doksi/ajanlat.pdf"));
    }

    void commentTextsKeepTheirLines_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("one line") << QStringLiteral("a") << QStringLiteral("a\r\n");
        QTest::newRow("three lines") << QStringLiteral("a\nb\nc") << QStringLiteral("a\r\nb\r\nc\r\n");
        QTest::newRow("empty last line") << QStringLiteral("a\n") << QStringLiteral("a\r\n\r\n");
        QTest::newRow("empty") << QString() << QString();
    }
    void commentTextsKeepTheirLines()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(CommentTextToStore(typed), stored);
        QCOMPARE(CommentTextToStore(CommentTextToShow(stored)), stored);
    }
};

QTEST_MAIN(TestComments)
#include "tst_comments.moc"

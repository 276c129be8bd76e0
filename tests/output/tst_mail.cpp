// The mail hand-off: what reaches the desktop's xdg-email (a stand-in script
// first on PATH records its arguments; one test runs the real xdg-email to
// show that the mailto: URI the stand-in receives is what a mail client
// gets) and the main window's "E-Mail" command.

#include "tests/app/appfixture.h"

#include "masterdata/entries.h"
#include "scheduling/entries.h"
#include "app/helpers/listwindow.h"
#include "app/helpers/mail.h"
#include "output/output.h"
#include "scheduling/records.h"
#include "scheduling/tasklist.h"

#include "db/recordset.h"

#include <QAction>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QFileInfo>
#include <QMap>
#include <QStandardPaths>
#include <QUrl>

namespace {

const char *const kData = R"(
INSERT INTO beallit (beallit, vanbelep, sendername, senderemil) VALUES (1, 'N', 'Iroda', 'iroda@zentavo.hu');
INSERT INTO ugyfel (ugyfel, ugyfel_nev, emil) VALUES
 (1, 'Kovács Bt.', 'kovacs@pelda.hu'),
 (2, 'Címtelen Kft.', NULL),
 (3, NULL, 'nevtelen@pelda.hu');
INSERT INTO dolog3 (dolog3, datum, dat_hatid, rovid, leiras, ugyfel, ugyfel_nev, fontos, kesz, statusz) VALUES
 (1, '2026-01-05', '2026-02-01', 'Árajánlat', 'Három tétel', 1, 'Kovács Bt.', 2, 'N', 0),
 (2, '2026-01-06', '2026-03-01', 'Számla', NULL, 2, 'Címtelen Kft.', 1, 'N', 1),
 (3, '2026-01-07', '2026-04-01', 'Telefon', NULL, NULL, NULL, 0, 'N', 0);
INSERT INTO dolog1 (dolog1, datum, datumstr, ora, rovid, leiras, ugyfel, ugyfel_nev, kesz) VALUES
 (1, '2026-01-05', '20260105', 9, 'Megbeszélés', 'Tárgyaló', 1, 'Kovács Bt.', 'N');
)";

// Stands in for a list window the test does not need to build.
struct StubList : ListWindow
{
    int kind = 0;
    zdb::RecordSet *rs = nullptr;
    StubList(int k, zdb::RecordSet *r) : kind(k), rs(r) {}
    int childKind() const override { return kind; }
    DataGrid *listGrid() const override { return nullptr; }
    zdb::RecordSet *listRecordSet() const override { return rs; }
};

// The parts of a mailto: URI, decoded: "to" and every field by its name.
QMap<QString, QString> decodeMailTo(const QString &uri)
{
    QMap<QString, QString> parts;
    if (!uri.startsWith(QLatin1String("mailto:")))
        return parts;
    const QString rest = uri.mid(7);
    const qsizetype q = rest.indexOf(QLatin1Char('?'));
    parts.insert(QStringLiteral("to"), QUrl::fromPercentEncoding(rest.left(q).toLatin1()));
    if (q >= 0) {
        for (const QString &field : rest.mid(q + 1).split(QLatin1Char('&'))) {
            const qsizetype eq = field.indexOf(QLatin1Char('='));
            parts.insert(field.left(eq), QUrl::fromPercentEncoding(field.mid(eq + 1).toLatin1()));
        }
    }
    return parts;
}

} // namespace

class TestMail : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> f;
    QTemporaryDir bin;
    QByteArray oldPath;

    QString logPath() const { return bin.filePath(QStringLiteral("args.log")); }
    // The arguments of the last hand-off; empty when none ran. The mail
    // client runs on its own, so its arguments arrive a moment later.
    QStringList handedOver() const
    {
        if (!QTest::qWaitFor([this] { return handOffRan(); }, 5000))
            return {};
        QFile log(logPath());
        if (!log.open(QIODevice::ReadOnly))
            return {};
        QStringList args = QString::fromUtf8(log.readAll()).split(QChar(0x1E));
        args.removeLast();
        return args;
    }
    bool handOffRan() const { return QFile::exists(logPath()); }

private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        RegisterSchedulingWindows();
        RegisterMasterDataWindows();
        QVERIFY(bin.isValid());
        QFile script(bin.filePath(QStringLiteral("xdg-email")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        // Waits while the file named by ZENTAVO_MAIL_HOLD is missing (a mail
        // client that keeps xdg-email running), then records its arguments.
        script.write("#!/bin/sh\n"
                     "while [ -n \"$ZENTAVO_MAIL_HOLD\" ] && [ ! -e \"$ZENTAVO_MAIL_HOLD\" ]; do sleep 0.05; done\n"
                     ": > \"$ZENTAVO_MAIL_LOG.part\"\n"
                     "for a in \"$@\"; do printf '%s\\036' \"$a\" >> \"$ZENTAVO_MAIL_LOG.part\"; done\n"
                     "mv \"$ZENTAVO_MAIL_LOG.part\" \"$ZENTAVO_MAIL_LOG\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + oldPath);
        qputenv("ZENTAVO_MAIL_LOG", QFile::encodeName(logPath()));
    }
    void cleanupTestCase()
    {
        qputenv("PATH", oldPath);
    }
    void init()
    {
        QFile::remove(logPath());
        qunsetenv("ZENTAVO_MAIL_HOLD");
        f = std::make_unique<AppFixture>();
        f->makeDb(QString::fromUtf8(kData));
        QVERIFY(f->start());
    }
    void cleanup()
    {
        RegisterListCommandHandler(ListCommand::Mail, {});
        f.reset();
    }

    // Subject and body reach the mail client exactly, whatever they hold:
    // backslash sequences, CR LF, URI punctuation and accents.
    void textsArriveExactly()
    {
        const QString subject = QStringLiteral("Árajánlat & kérdés? 100% #1 \\c vége");
        const QString body = QStringLiteral("Mappa: C:\\cegek\\new\\cikk.txt\r\n\\c\\n\\t\\\\ marad\r\n"
                                            "a=1&b=2?c#d%41 ő ű ÁÉ \"idéző\" <x>\r\nutolsó");
        QCOMPARE(SendMail(subject, body, QString(), QStringLiteral("kovacs@pelda.hu"), QStringLiteral("Kovács Bt."),
                          QStringLiteral("iroda@zentavo.hu"), QStringLiteral("Iroda")),
                 0);
        const QStringList args = handedOver();
        QCOMPARE(args.size(), 2);
        QCOMPARE(args[0], QStringLiteral("--utf8"));
        // Nothing in the URI that a shell's echo or a mail client could read otherwise.
        for (const QChar c : args[1])
            QVERIFY2(c.isLetterOrNumber() || QStringLiteral("-._~%:?&=@").contains(c), qPrintable(args[1]));
        const QMap<QString, QString> parts = decodeMailTo(args[1]);
        QCOMPARE(parts.value(QStringLiteral("to")), QStringLiteral("kovacs@pelda.hu"));
        QCOMPARE(parts.value(QStringLiteral("subject")), subject);
        QCOMPARE(parts.value(QStringLiteral("body")), body);
        QCOMPARE(parts.size(), 3);
    }

    void uriParts_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("expected");
        const QString addr = QStringLiteral("kovacs@pelda.hu");
        QTest::newRow("everything") << "Tárgy" << "egy\r\nkettő" << addr
                                    << "mailto:kovacs@pelda.hu?subject=T%C3%A1rgy&body=egy%0D%0Akett%C5%91";
        QTest::newRow("LF and CR alone become CR LF") << QString() << "a\nb\rc" << addr
                                                      << "mailto:kovacs@pelda.hu?body=a%0D%0Ab%0D%0Ac";
        QTest::newRow("empty parts are left out") << QString() << QString() << addr << "mailto:kovacs@pelda.hu";
        QTest::newRow("nothing at all") << QString() << QString() << QString() << "mailto:";
        QTest::newRow("subject on one line") << "egy\r\nkettő" << QString() << QString() << "mailto:?subject=egy%20%20kett%C5%91";
        QTest::newRow("blanks around the address") << "T" << QString() << " kovacs@pelda.hu " << "mailto:kovacs@pelda.hu?subject=T";
        // Only a plain address is handed over; the others are left out.
        QTest::newRow("smuggled parameters") << "T" << QString() << "mailto:x@y.hu?bcc=a@b&attach=/home/u/.ssh/id_rsa"
                                             << "mailto:?subject=T";
        QTest::newRow("query without scheme") << "T" << QString() << "x@y.hu?bcc=a@b.hu" << "mailto:?subject=T";
        QTest::newRow("ampersand") << "T" << QString() << "x@y.hu&cc=a@b.hu" << "mailto:?subject=T";
        QTest::newRow("display name") << "T" << QString() << "Kovács <x@y.hu>" << "mailto:?subject=T";
        QTest::newRow("two addresses") << "T" << QString() << "x@y.hu,a@b.hu" << "mailto:?subject=T";
        QTest::newRow("semicolon list") << "T" << QString() << "x@y.hu;a@b.hu" << "mailto:?subject=T";
        QTest::newRow("header in the address") << "T" << QString() << "a@b.hu\nBcc: c@d.hu" << "mailto:?subject=T";
        QTest::newRow("two @") << "T" << QString() << "a@b@c.hu" << "mailto:?subject=T";
        QTest::newRow("no @") << "T" << QString() << "nincs" << "mailto:?subject=T";
    }
    void uriParts()
    {
        QFETCH(QString, subject);
        QFETCH(QString, body);
        QFETCH(QString, address);
        QFETCH(QString, expected);
        QCOMPARE(MailToUri(subject, body, address), expected);
    }

    void attachmentGoesBesideTheUri()
    {
        const QString file = f->path(QStringLiteral("lista ügyfél.htm"));
        QFile page(file);
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        QCOMPARE(SendMail(QStringLiteral("T"), QString(), file, QStringLiteral("-x@pelda.hu"), QString(), {}, {}), 0);
        QCOMPARE(handedOver(), (QStringList{"--utf8", "--attach", file, "mailto:-x@pelda.hu?subject=T"}));
    }

    // The stand-in's premise, checked against the real xdg-email: the URI
    // it is given reaches the mail client unchanged, with the attachment
    // added. The real script hands its final URI to "xdg-email-hook.sh"
    // when one is on PATH, before it looks for any mail client; the hook
    // here records it.
    void realXdgEmailPassesTheUriOn()
    {
        const QString real = QStandardPaths::findExecutable(QStringLiteral("xdg-email"), {QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin")});
        if (real.isEmpty())
            QSKIP("xdg-email is not installed");
        QTemporaryDir hookDir;
        QFile hook(hookDir.filePath(QStringLiteral("xdg-email-hook.sh")));
        QVERIFY(hook.open(QIODevice::WriteOnly));
        hook.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$ZENTAVO_MAIL_LOG.part\"\nmv \"$ZENTAVO_MAIL_LOG.part\" \"$ZENTAVO_MAIL_LOG\"\n");
        hook.close();
        hook.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString file = f->path(QStringLiteral("lista ügyfél.htm"));
        QFile page(file);
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();

        qputenv("PATH", QFile::encodeName(hookDir.path()) + ':' + QFile::encodeName(QFileInfo(real).path()) + ':' + oldPath);
        const QString subject = QStringLiteral("Ár & ? \\c");
        const QString body = QStringLiteral("C:\\cegek\\new\r\n100% #2 ő");
        const int rc = SendMail(subject, body, file, QStringLiteral("kovacs@pelda.hu"), {}, {}, {});
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + oldPath);
        QCOMPARE(rc, 0);
        QVERIFY(QTest::qWaitFor([this] { return handOffRan(); }, 10000));
        const QString uri = QString::fromUtf8(testenv::fileBytes(logPath()));
        const QString ours = MailToUri(subject, body, QStringLiteral("kovacs@pelda.hu"));
        QVERIFY2(uri.startsWith(ours + QStringLiteral("&attach=")), qPrintable(uri));
        const QMap<QString, QString> parts = decodeMailTo(uri);
        QCOMPARE(parts.value(QStringLiteral("subject")), subject);
        QCOMPARE(parts.value(QStringLiteral("body")), body);
        QCOMPARE(parts.value(QStringLiteral("attach")), file);
    }

    // The mail client is started, not waited for; a start that fails is
    // reported.
    void startsWithoutWaitingAndReportsAFailedStart()
    {
        const QString hold = f->path(QStringLiteral("hold"));
        qputenv("ZENTAVO_MAIL_HOLD", QFile::encodeName(hold));
        QCOMPARE(SendMail("T", {}, {}, {}, {}, {}, {}), 0);   // back while xdg-email still runs
        QVERIFY(!handOffRan());
        QFile(hold).open(QIODevice::WriteOnly);
        QCOMPARE(handedOver(), (QStringList{"--utf8", "mailto:?subject=T"}));
        qunsetenv("ZENTAVO_MAIL_HOLD");
        QVERIFY(testhooks::shownMessages().isEmpty());

        // No xdg-email anywhere on PATH.
        QFile::remove(logPath());
        QTemporaryDir empty;
        qputenv("PATH", QFile::encodeName(empty.path()));
        const int rc = SendMail("T", {}, {}, {}, {}, {}, {});
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + oldPath);
        QCOMPARE(rc, -1);
        QCOMPARE(testhooks::lastMessage().text, QStringLiteral("A levelezőprogram nem indítható (xdg-email)."));
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Hiba"));
        QTest::qWait(200);
        QVERIFY(!handOffRan());
    }

    // Through the real task list and the main window's "E-Mail" command.
    void taskGoesToItsCustomer()
    {
        RegisterListCommandHandler(ListCommand::Mail, [](ListWindow *w, ListCommand) { MailListEntry(w); });
        f->main->resize(1000, 700);
        f->main->show();
        actionOf(f->main, QStringLiteral("aFeladat"))->trigger();
        QMdiSubWindow *sub = f->main->mdiArea()->activeSubWindow();
        QVERIFY(sub && qobject_cast<Tfrm_Feladat *>(sub->widget()));
        zdb::Table *tbl = Shared().TblFeladat;
        QCOMPARE(Beall().SenderEmail, QStringLiteral("iroda@zentavo.hu"));

        struct Case
        {
            int task;
            QString address;
        };
        const Case cases[] = {
            {1, QStringLiteral("kovacs@pelda.hu")},
            {2, QString()},   // the customer has no address
            {3, QString()},   // no customer at all
        };
        for (const Case &c : cases) {
            QVERIFY(tbl->locate(QStringLiteral("dolog3"), c.task));
            const QString body = TaskGeneratedText(*tbl, tbl->currentRow());
            QVERIFY(!body.isEmpty());
            QFile::remove(logPath());
            actionOf(f->main, QStringLiteral("aEmil"))->trigger();
            QCOMPARE(handedOver(), (QStringList{QStringLiteral("--utf8"), MailToUri(tbl->text(QStringLiteral("rovid")), body, c.address)}));
        }
    }

    void calendarEntryGoesToItsCustomer()
    {
        zdb::Table *tbl = Shared().TblNaptar;
        tbl->open();
        QVERIFY(tbl->locate(QStringLiteral("dolog1"), 1));
        StubList calendar(KindCalendar, tbl);
        MailListEntry(&calendar);
        const QMap<QString, QString> parts = decodeMailTo(handedOver().value(1));
        QCOMPARE(parts.value(QStringLiteral("to")), QStringLiteral("kovacs@pelda.hu"));
        QCOMPARE(parts.value(QStringLiteral("subject")), QStringLiteral("Megbeszélés"));
        QCOMPARE(parts.value(QStringLiteral("body")), CalendarGeneratedText(*tbl, tbl->currentRow()));
        tbl->close();
    }

    void customerGetsThePlaceholders()
    {
        zdb::Table customers(Db1(), QStringLiteral("ugyfel"));
        customers.setOrder(QStringLiteral("ugyfel"));
        customers.open();
        StubList list(KindCustomers, &customers);
        const QString fields = QStringLiteral("?subject=%3Ct%C3%A1rgysor%3E&body=%3Clev%C3%A9lt%C3%B6rzs%3E");

        MailListEntry(&list);
        QCOMPARE(handedOver(), (QStringList{"--utf8", "mailto:kovacs@pelda.hu" + fields}));
        QFile::remove(logPath());
        customers.setCurrentRow(1);   // no address
        MailListEntry(&list);
        QCOMPARE(handedOver(), (QStringList{"--utf8", "mailto:" + fields}));
        QFile::remove(logPath());
        customers.setCurrentRow(2);   // no name
        MailListEntry(&list);
        QCOMPARE(handedOver(), (QStringList{"--utf8", "mailto:nevtelen@pelda.hu" + fields}));
    }

    void listsWithoutCustomersRefuse()
    {
        for (int kind : {KindProducts, KindProjects, KindNotes}) {
            testhooks::clearMessages();
            StubList list(kind, nullptr);
            MailListEntry(&list);
            QCOMPARE(testhooks::shownMessages().size(), 1);
            QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Nincs elérhető ügyfél"));
            QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Hiba"));
            QVERIFY(!handOffRan());
        }
    }

    // A kind mails what its descriptor drafts, with no edit to the mail
    // command; a kind nobody registered mails nothing and says nothing.
    void kindDraftsItsOwnMessage()
    {
        const int newKind = 77;
        RegisterListKind({.kind = newKind, .title = QStringLiteral("Próba"), .mailDraft = [](ListWindow *w) {
                              return MailDraft{QStringLiteral("Tárgy %1").arg(w->childKind()), QStringLiteral("Törzs"),
                                               QStringLiteral("proba@pelda.hu"), QStringLiteral("Próba")};
                          }});
        StubList list(newKind, nullptr);
        testhooks::clearMessages();
        MailListEntry(&list);
        const QMap<QString, QString> parts = decodeMailTo(handedOver().value(1));
        UnregisterListKind(newKind);
        QCOMPARE(parts.value(QStringLiteral("to")), QStringLiteral("proba@pelda.hu"));
        QCOMPARE(parts.value(QStringLiteral("subject")), QStringLiteral("Tárgy 77"));
        QCOMPARE(parts.value(QStringLiteral("body")), QStringLiteral("Törzs"));
        QVERIFY(testhooks::shownMessages().isEmpty());

        QFile::remove(logPath());
        StubList unknown(newKind + 1, nullptr);
        MailListEntry(&unknown);
        QTest::qWait(200);
        QVERIFY(!handOffRan());
        QVERIFY(testhooks::shownMessages().isEmpty());
    }
};

QTEST_MAIN(TestMail)
#include "tst_mail.moc"

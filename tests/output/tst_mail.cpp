// The mail hand-off: what reaches the desktop's xdg-email (a stand-in script
// first on PATH records its arguments) and the main window's "E-Mail" command.

#include "tests/app/appfixture.h"

#include "scheduling/entries.h"
#include "app/helpers/listwindow.h"
#include "output/mail.h"
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

} // namespace

class TestMail : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> f;
    QTemporaryDir bin;
    QByteArray oldPath;

    QString logPath() const { return bin.filePath(QStringLiteral("args.log")); }
    // The arguments of the last hand-off; empty when none ran.
    QStringList handedOver() const
    {
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
        QVERIFY(bin.isValid());
        QFile script(bin.filePath(QStringLiteral("xdg-email")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n"
                     ": > \"$ZENTAVO_MAIL_LOG\"\n"
                     "for a in \"$@\"; do printf '%s\\036' \"$a\" >> \"$ZENTAVO_MAIL_LOG\"; done\n"
                     "exit ${ZENTAVO_MAIL_RC:-0}\n");
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
        qunsetenv("ZENTAVO_MAIL_RC");
        f = std::make_unique<AppFixture>();
        f->makeDb(QString::fromUtf8(kData));
        QVERIFY(f->start());
    }
    void cleanup()
    {
        RegisterListCommandHandler(ListCommand::Mail, {});
        f.reset();
    }

    void handsTheMessageOver_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("attach");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("expected");   // "@attach" stands for the attached file

        const QString addr = QStringLiteral("kovacs@pelda.hu");
        QTest::newRow("everything") << QStringLiteral("Árajánlat") << QStringLiteral("első sor\r\nmásodik sor") << true
                                    << addr << QStringLiteral("Kovács Bt.")
                                    << QStringList{"--utf8", "--subject", "Árajánlat", "--body", "első sor\r\nmásodik sor",
                                                   "--attach", "@attach", "Kovács Bt. <kovacs@pelda.hu>"};
        QTest::newRow("no name: the address alone")
            << "Tárgy" << QString() << false << addr << QString()
            << QStringList{"--utf8", "--subject", "Tárgy", "kovacs@pelda.hu"};
        QTest::newRow("no address: no recipient, the name alone is dropped")
            << "Tárgy" << "Szöveg" << false << QString() << "Kovács Bt."
            << QStringList{"--utf8", "--subject", "Tárgy", "--body", "Szöveg"};
        QTest::newRow("empty subject and body are left out")
            << QString() << QString() << false << addr << "Kovács Bt."
            << QStringList{"--utf8", "Kovács Bt. <kovacs@pelda.hu>"};
        QTest::newRow("address punctuation in the name is quoted")
            << "T" << QString() << false << addr << "Kovács, \"Fia\" <Bt>"
            << QStringList{"--utf8", "--subject", "T", "\"Kovács, \\\"Fia\\\" <Bt>\" <kovacs@pelda.hu>"};
        QTest::newRow("a name that looks like an option is quoted")
            << "T" << QString() << false << addr << "--attach"
            << QStringList{"--utf8", "--subject", "T", "\"--attach\" <kovacs@pelda.hu>"};
        QTest::newRow("an address that looks like an option is bracketed")
            << "T" << QString() << false << "-x@pelda.hu" << QString()
            << QStringList{"--utf8", "--subject", "T", "<-x@pelda.hu>"};
        QTest::newRow("line breaks cannot reach the headers")
            << "egy\r\nkettő" << QString() << false << "a@b.hu\nBcc: c@d.hu" << "Név\r\nCc: e@f.hu"
            << QStringList{"--utf8", "--subject", "egy  kettő", "\"Név  Cc: e@f.hu\" <a@b.hu Bcc: c@d.hu>"};
        QTest::newRow("no e-mail address at all: no recipient")
            << "T" << QString() << false << "nincs" << "Kovács Bt." << QStringList{"--utf8", "--subject", "T"};
    }
    void handsTheMessageOver()
    {
        QFETCH(QString, subject);
        QFETCH(QString, body);
        QFETCH(bool, attach);
        QFETCH(QString, address);
        QFETCH(QString, name);
        QFETCH(QStringList, expected);

        const QString file = f->path(QStringLiteral("lista ügyfél.htm"));
        QFile page(file);
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        expected.replaceInStrings(QStringLiteral("@attach"), file);

        QCOMPARE(SendMail(subject, body, attach ? file : QString(), address, name, QStringLiteral("iroda@zentavo.hu"),
                          QStringLiteral("Iroda")),
                 0);
        QCOMPARE(handedOver(), expected);
    }

    void resultOfTheHandOff()
    {
        qputenv("ZENTAVO_MAIL_RC", "3");
        QCOMPARE(SendMail("T", {}, {}, {}, {}, {}, {}), 3);
        QVERIFY(handOffRan());

        // No xdg-email anywhere on PATH.
        QFile::remove(logPath());
        QTemporaryDir empty;
        qputenv("PATH", QFile::encodeName(empty.path()));
        const int rc = SendMail("T", {}, {}, {}, {}, {}, {});
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + oldPath);
        QCOMPARE(rc, -1);
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
            QStringList recipient;
        };
        const Case cases[] = {
            {1, {QStringLiteral("Kovács Bt. <kovacs@pelda.hu>")}},
            {2, {}},   // the customer has no address
            {3, {}},   // no customer at all
        };
        for (const Case &c : cases) {
            QVERIFY(tbl->locate(QStringLiteral("dolog3"), c.task));
            const QString body = TaskGeneratedText(*tbl, tbl->currentRow());
            QVERIFY(!body.isEmpty());
            QFile::remove(logPath());
            actionOf(f->main, QStringLiteral("aEmil"))->trigger();
            QStringList expected{QStringLiteral("--utf8"), QStringLiteral("--subject"),
                                 tbl->text(QStringLiteral("rovid")), QStringLiteral("--body"), body};
            expected += c.recipient;
            QCOMPARE(handedOver(), expected);
        }
    }

    void calendarEntryGoesToItsCustomer()
    {
        zdb::Table *tbl = Shared().TblNaptar;
        tbl->open();
        QVERIFY(tbl->locate(QStringLiteral("dolog1"), 1));
        StubList calendar(KindCalendar, tbl);
        MailListEntry(&calendar);
        QCOMPARE(handedOver(), (QStringList{"--utf8", "--subject", "Megbeszélés", "--body",
                                            CalendarGeneratedText(*tbl, tbl->currentRow()),
                                            "Kovács Bt. <kovacs@pelda.hu>"}));
        tbl->close();
    }

    void customerGetsThePlaceholders()
    {
        zdb::Table customers(Db1(), QStringLiteral("ugyfel"));
        customers.setOrder(QStringLiteral("ugyfel"));
        customers.open();
        StubList list(KindCustomers, &customers);
        const QStringList start{"--utf8", "--subject", "<tárgysor>", "--body", "<levéltörzs>"};

        MailListEntry(&list);
        QCOMPARE(handedOver(), start + QStringList{"Kovács Bt. <kovacs@pelda.hu>"});
        customers.setCurrentRow(1);   // no address
        MailListEntry(&list);
        QCOMPARE(handedOver(), start);
        customers.setCurrentRow(2);   // no name: the address shows as itself
        MailListEntry(&list);
        QCOMPARE(handedOver(), start + QStringList{"nevtelen@pelda.hu"});
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
};

QTEST_MAIN(TestMail)
#include "tst_mail.moc"

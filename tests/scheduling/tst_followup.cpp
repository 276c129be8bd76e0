// Follow-up: reminders of today's entries on a fake clock, the notice of
// tasks due today or overdue, the overdue count in the status bar and the
// tray hint, the quick list's overdue tasks, the settings that drive them
// and the calendar and contact export commands of the list windows.

#include "tests/app/appfixture.h"

#include "app/helpers/datagrid.h"
#include "app/settingsdialog.h"
#include "masterdata/customerlist.h"
#include "masterdata/entries.h"
#include "output/feedfolder.h"
#include "scheduling/calendarwindow.h"
#include "scheduling/entries.h"
#include "scheduling/followup.h"
#include "scheduling/prompts.h"
#include "scheduling/tasklist.h"
#include "scheduling/quicklist.h"
#include "scheduling/reminderpopup.h"

#include "db/connection.h"
#include "db/recordset.h"

#include <QDateEdit>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTest>

namespace {

const QDate Day(2026, 12, 11);

QDateTime at(int h, int m, const QDate &day = Day)
{
    return QDateTime(day, QTime(h, m));
}

// A clock the test moves by hand.
struct FakeClock
{
    QDateTime now;
    FakeClock(const QDateTime &start) : now(start)
    {
        SetFollowUpClock([this] { return now; });
    }
    ~FakeClock() { SetFollowUpClock({}); }
};

QString sqlDate(const QDate &d)
{
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

QString entrySql(int id, const QDate &day, const char *hour, const char *text, const char *kesz)
{
    return QStringLiteral("INSERT INTO dolog1 (dolog1, datum, datumstr, ora, rovid, ugyfel_nev, kesz) VALUES "
                          "(%1, '%2', '%3', %4, '%5', 'Kovács Kft', '%6');")
        .arg(id)
        .arg(sqlDate(day), day.toString(QStringLiteral("yyyyMMdd")), QString::fromLatin1(hour), QString::fromUtf8(text),
             QString::fromLatin1(kesz));
}

QString taskSql(int id, const QDate &deadline, const char *kesz)
{
    return QStringLiteral("INSERT INTO dolog3 (dolog3, datum, dat_hatid, rovid, kesz, statusz) VALUES "
                          "(%1, '%2', %3, 'Feladat %1', '%4', 0);")
        .arg(id)
        .arg(sqlDate(Day), deadline.isValid() ? QLatin1Char('\'') + sqlDate(deadline) + QLatin1Char('\'') : QStringLiteral("NULL"),
             QString::fromLatin1(kesz));
}

struct Service
{
    QTemporaryDir dir;
    zdb::Connection conn;
    int minutes = 15;
    std::unique_ptr<FollowUpService> service;
    QList<Reminder> given;

    explicit Service(const QString &sql)
    {
        const QString path = dir.filePath(QStringLiteral("z.sqb"));
        testenv::makeDatabase(path);
        if (!sql.isEmpty())
            testenv::execSql(path, sql);
        conn.setPath(path);
        conn.open();
        service = std::make_unique<FollowUpService>(&conn, [this] { return minutes; });
        QObject::connect(service.get(), &FollowUpService::reminderDue, service.get(),
                         [this](const Reminder &r) { given << r; });
    }
    // The reminders one look at the clock gives, as "id:late" texts.
    QStringList look()
    {
        given.clear();
        service->check();
        QStringList out;
        for (const Reminder &r : given)
            out << QStringLiteral("%1%2").arg(r.entry.id).arg(r.late ? QStringLiteral(" late") : QString());
        return out;
    }
};

} // namespace

class TestReminders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        RegisterSchedulingWindows();
        RegisterMasterDataWindows();
    }
    void init() { SetFollowUpClock({}); }
    void remindsOnceBeforeTheHour();
    void laterBringsItBackAfterFiveMinutes();
    void givesNoneForDoneEntriesOrWhenOff();
    void lateStartRemindsAtOnce();
    void dueTaskNoticeText_data();
    void dueTaskNoticeText();
    void reminderWindowOpensAndSnoozes();
    void noticeAtStartAndAtDayChangeOpensTheQuickList();
    void quickListShowsOverdueTasksFirst();
    void settingsTakeReminderLeadAndFeedFolder();
    void exportCommandsWriteTheChosenFiles();
};

void TestReminders::remindsOnceBeforeTheHour()
{
    Service s(entrySql(1, Day, "10", "Ügyféllátogatás", "N") + entrySql(2, Day, "NULL", "Egész nap", "N")
              + entrySql(3, Day.addDays(1), "10", "Holnap", "N"));
    FakeClock clock(at(9, 44));
    QCOMPARE(s.look(), QStringList());
    clock.now = at(9, 45);
    QCOMPARE(s.look(), QStringList{QStringLiteral("1")});
    QCOMPARE(s.given.first().entry.text, QStringLiteral("Ügyféllátogatás"));
    QCOMPARE(s.given.first().entry.customer, QStringLiteral("Kovács Kft"));
    // Once per entry and day, also when the hour comes.
    for (const QDateTime &t : {at(9, 50), at(10, 0), at(12, 0)}) {
        clock.now = t;
        QCOMPARE(s.look(), QStringList());
    }
    // The next day's entry reminds on its day, not before.
    clock.now = at(9, 45, Day.addDays(1));
    QCOMPARE(s.look(), QStringList{QStringLiteral("3")});
}

void TestReminders::laterBringsItBackAfterFiveMinutes()
{
    Service s(entrySql(1, Day, "10", "Ügyféllátogatás", "N"));
    FakeClock clock(at(9, 45));
    QCOMPARE(s.look(), QStringList{QStringLiteral("1")});
    clock.now = at(9, 46);
    s.service->snooze(1);
    clock.now = at(9, 50);
    QCOMPARE(s.look(), QStringList());
    clock.now = at(9, 51);
    QCOMPARE(s.look(), QStringList{QStringLiteral("1")});
    clock.now = at(9, 58);
    QCOMPARE(s.look(), QStringList());
    // Snoozed past the hour, it comes back marked late.
    s.service->snooze(1);
    clock.now = at(10, 3);
    QCOMPARE(s.look(), QStringList{QStringLiteral("1 late")});
}

void TestReminders::givesNoneForDoneEntriesOrWhenOff()
{
    Service s(entrySql(1, Day, "10", "Kész már", "I") + entrySql(2, Day, "11", "Nyitott", "N"));
    FakeClock clock(at(9, 45));
    s.minutes = 0;
    QCOMPARE(s.look(), QStringList());
    clock.now = at(10, 50);
    QCOMPARE(s.look(), QStringList());
    // Switched on again: the open entry only.
    s.minutes = 15;
    QCOMPARE(s.look(), QStringList{QStringLiteral("2")});
    // A snoozed entry marked done meanwhile does not come back.
    s.service->snooze(2);
    s.conn.executeDirect(QStringLiteral("update dolog1 set kesz = 'I' where dolog1 = 2"));
    clock.now = at(11, 0);
    QCOMPARE(s.look(), QStringList());
}

void TestReminders::lateStartRemindsAtOnce()
{
    Service s(entrySql(1, Day, "10", "Ügyféllátogatás", "N") + entrySql(2, Day, "11", "Éppen most", "N")
              + entrySql(3, Day, "14", "Délután", "N"));
    FakeClock clock(at(11, 0));
    QCOMPARE(s.look(), (QStringList{QStringLiteral("1 late"), QStringLiteral("2 late")}));
    QCOMPARE(s.look(), QStringList());
    clock.now = at(13, 45);
    QCOMPARE(s.look(), QStringList{QStringLiteral("3")});
}

void TestReminders::dueTaskNoticeText_data()
{
    QTest::addColumn<int>("overdue");
    QTest::addColumn<int>("today");
    QTest::addColumn<QString>("text");
    QTest::newRow("both") << 3 << 2 << QStringLiteral("3 lejárt és 2 mai határidős feladat");
    QTest::newRow("overdue only") << 1 << 0 << QStringLiteral("1 lejárt feladat");
    QTest::newRow("today only") << 0 << 4 << QStringLiteral("4 mai határidős feladat");
    QTest::newRow("none") << 0 << 0 << QString();
}

void TestReminders::dueTaskNoticeText()
{
    QFETCH(int, overdue);
    QFETCH(int, today);
    QFETCH(QString, text);
    QCOMPARE(DueTasksNotice(overdue, today), text);
}

void TestReminders::reminderWindowOpensAndSnoozes()
{
    AppFixture f;
    f.makeDb(entrySql(1, Day, "10", "Ügyféllátogatás", "N"));
    QVERIFY(f.start());
    FakeClock clock(at(9, 45));
    f.main->startFollowUp();

    Tfrm_Emlekezteto *popup = f.main->reminderWindow();
    QVERIFY(popup);
    QTRY_VERIFY(popup->isVisible());
    QVERIFY(popup->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(popup->shownText(), QStringLiteral("10:00  Ügyféllátogatás\nKovács Kft"));

    popup->findChild<QPushButton *>(QStringLiteral("btnKesobb"))->click();
    QVERIFY(!popup->isVisible());
    clock.now = at(9, 49);
    f.main->followUp()->check();
    QVERIFY(!popup->isVisible());
    clock.now = at(9, 50);
    f.main->followUp()->check();
    QVERIFY(popup->isVisible());

    // "Megnyit": the entry's editor on that very entry.
    QString shownText;
    testhooks::onNextDialog([&](QDialog *d) {
        shownText = d->windowTitle() + QLatin1Char('|') + Shared().TblNaptar->text(QStringLiteral("rovid"));
        d->reject();
    });
    popup->findChild<QPushButton *>(QStringLiteral("btnMegnyit"))->click();
    QCOMPARE(shownText, QStringLiteral("Bejegyzés szerkesztés|Ügyféllátogatás"));
    QVERIFY(!popup->isVisible());
    // The editor opened the shared record set for itself only.
    QVERIFY(!Shared().TblNaptar->isOpen());
    f.closeMain();
}

void TestReminders::noticeAtStartAndAtDayChangeOpensTheQuickList()
{
    AppFixture f;
    f.makeDb(taskSql(1, Day.addDays(-3), "N") + taskSql(2, Day.addDays(-1), "N") + taskSql(3, Day.addDays(-1), "N")
             + taskSql(4, Day, "N") + taskSql(5, Day, "N") + taskSql(6, Day.addDays(-5), "I")
             + taskSql(7, Day.addDays(2), "N") + taskSql(8, QDate(), "N"));
    QVERIFY(f.start());
    FakeClock clock(at(8, 0));
    f.main->startFollowUp();

    Tfrm_Emlekezteto *popup = f.main->reminderWindow();
    QVERIFY(popup && popup->isVisible());
    QCOMPARE(popup->shownText(), QStringLiteral("3 lejárt és 2 mai határidős feladat"));
    QCOMPARE(f.main->overduePanel()->text(), QStringLiteral("3 lejárt feladat"));
    QCOMPARE(f.main->trayIcon()->toolTip(), QStringLiteral("Zentavo – 3 lejárt feladat"));

    // Not again the same day.
    clock.now = at(16, 0);
    f.main->followUp()->check();
    popup->findChild<QPushButton *>(QStringLiteral("btnMegnyit"))->click();
    Tfrm_GyorsLista *quick = Tfrm_GyorsLista::instance();
    QVERIFY(quick && quick->isVisible());
    QCOMPARE(quick->shownPage(), Tfrm_GyorsLista::TaskPage);
    QVERIFY(!popup->isVisible());

    // The next day: today's tasks are overdue now.
    clock.now = at(0, 1, Day.addDays(1));
    f.main->followUp()->check();
    QVERIFY(popup->isVisible());
    QCOMPARE(popup->shownText(), QStringLiteral("5 lejárt feladat"));
    QCOMPARE(f.main->overduePanel()->text(), QStringLiteral("5 lejárt feladat"));

    // A task marked done lowers the count.
    RunSql(QStringLiteral("update dolog3 set kesz = 'I' where dolog3 = :id"), {{QStringLiteral("id"), 1}});
    QTRY_COMPARE(f.main->overduePanel()->text(), QStringLiteral("4 lejárt feladat"));
    f.closeMain();
}

void TestReminders::quickListShowsOverdueTasksFirst()
{
    AppFixture f;
    // The quick list orders by the database's today; the clock follows it here.
    const QDate today = QDate::currentDate();
    f.makeDb(taskSql(1, today.addDays(1), "N") + taskSql(2, today.addDays(-1), "N") + taskSql(3, QDate(), "N")
             + taskSql(4, today.addDays(-3), "N") + taskSql(5, today, "N"));
    QVERIFY(f.start());
    const QString before = testenv::storedValue(f.dbPath(), QStringLiteral("select group_concat(dolog3 || rovid || ifnull(dat_hatid, '')) from dolog3")).toString();
    Tfrm_GyorsLista *quick = OpenQuickList();
    QVERIFY(quick);
    zdb::Table *tasks = Shared().TblFeladat;
    QList<int> order;
    for (int row = 0; row < tasks->recordCount(); ++row)
        order << tasks->valueAt(row, QStringLiteral("dolog3")).toInt();
    QCOMPARE(order.mid(0, 2), (QList<int>{4, 2}));
    QCOMPARE(QuickListOverdueDays(*tasks, 0), 3);
    QCOMPARE(QuickListOverdueDays(*tasks, 1), 1);
    for (int row = 2; row < tasks->recordCount(); ++row)
        QCOMPARE(QuickListOverdueDays(*tasks, row), 0);

    // Overdue rows in their own colour, the others drawn normally.
    RecordSetModel *model = quick->taskGrid()->recordSetModel();
    const int textColumn = model->columnOfField(QStringLiteral("rovid"));
    QCOMPARE(model->index(0, textColumn).data(Qt::ForegroundRole).value<QColor>(), QuickListOverdueColor());
    QVERIFY(model->index(3, textColumn).data(Qt::ForegroundRole).value<QColor>() != QuickListOverdueColor());

    // Nothing of it was written back.
    QCOMPARE(testenv::storedValue(f.dbPath(), QStringLiteral("select group_concat(dolog3 || rovid || ifnull(dat_hatid, '')) from dolog3")).toString(),
             before);
    quick->close();
    f.closeMain();
}

void TestReminders::settingsTakeReminderLeadAndFeedFolder()
{
    AppFixture f;
    f.makeDb(entrySql(1, Day, "10", "Ügyféllátogatás", "N"));
    // A lead that does not read as a number keeps the default.
    {
        QSettings ini = f.ini();
        ini.setValue(QStringLiteral("Defaults/ReminderMinutes"), QStringLiteral("negyed"));
    }
    QVERIFY(f.start());
    QCOMPARE(Beall().ReminderMinutes, 15);
    QCOMPARE(Beall().FeedDir, QString());
    // The looks run on the test's clock from the start: on the real clock the
    // entry's day may be today, and its time near or past.
    FakeClock clock(at(9, 0));
    f.main->startFollowUp();

    const QString folder = f.path(QStringLiteral("feed"));
    testhooks::setNextFolder(folder);
    testhooks::onNextDialog([](QDialog *dialog) {
        auto *d = static_cast<Tfrm_Beallit *>(dialog);
        QCOMPARE(d->reminderBox()->value(), 15);
        d->reminderBox()->setValue(30);
        d->feedButton()->click();
        d->accept();
    });
    actionOf(f.main, QStringLiteral("aBeallit"))->trigger();
    QCOMPARE(Beall().ReminderMinutes, 30);
    QCOMPARE(QDir::fromNativeSeparators(Beall().FeedDir), folder);
    // The folder is filled at once.
    QVERIFY(QFile::exists(QDir(folder).filePath(QStringLiteral("naptar.ics"))));
    QVERIFY(QFile::exists(QDir(folder).filePath(QStringLiteral("ugyfelek.vcf"))));

    // The new lead counts from the next look on: 09:30 for a 10:00 entry.
    clock.now = at(9, 29);
    f.main->followUp()->check();
    QVERIFY(!f.main->reminderWindow() || !f.main->reminderWindow()->isVisible());
    clock.now = at(9, 30);
    f.main->followUp()->check();
    QVERIFY(f.main->reminderWindow() && f.main->reminderWindow()->isVisible());

    f.closeMain();
    QCOMPARE(f.ini().value(QStringLiteral("Defaults/ReminderMinutes")).toString(), QStringLiteral("30"));
    f.main.reset();
    Beall() = TBeall{};
    QVERIFY(f.start());
    QCOMPARE(Beall().ReminderMinutes, 30);
    QCOMPARE(QDir::fromNativeSeparators(Beall().FeedDir), folder);
    f.closeMain();
}

void TestReminders::exportCommandsWriteTheChosenFiles()
{
    AppFixture f;
    f.makeDb(entrySql(1, Day, "10", "Ügyféllátogatás", "N") + entrySql(2, Day.addMonths(2), "9", "Később", "N")
             + taskSql(1, Day.addDays(3), "N")
             + QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfelkod, ugyfel_nev, ugyfel_nevs) VALUES (1, 1, 'Kovács Kft', 'KOVACS KFT');"
                              "INSERT INTO alkalmazott (alkalmazott, ugyfel, alkalmazott_nev) VALUES (5, 1, 'Kovács Anna');"));
    QVERIFY(f.start());
    Beall().CalendarDay = Day;

    // The calendar window: the shown day's month is offered; the name gets ".ics".
    auto *calendar = openListWindow<Tfrm_Naptar>(f.main.get(), "aNaptar");
    QVERIFY(calendar);
    QCOMPARE(calendar->aIcs->text(), QStringLiteral("Naptár export (.ics)..."));
    QDate offeredFrom, offeredTo;
    testhooks::onNextDialog([&](QDialog *d) {
        auto *prompt = qobject_cast<Tfrm_Idoszak *>(d);
        QVERIFY(prompt);
        offeredFrom = prompt->from();
        offeredTo = prompt->to();
        d->accept();
    });
    testhooks::setNextFileName(f.path(QStringLiteral("honap")));
    calendar->aIcs->trigger();
    QCOMPARE(offeredFrom, QDate(2026, 12, 1));
    QCOMPARE(offeredTo, QDate(2026, 12, 31));
    QFile ics(f.path(QStringLiteral("honap.ics")));
    QVERIFY(ics.open(QIODevice::ReadOnly));
    const QByteArray calendarText = ics.readAll();
    QVERIFY(calendarText.contains("UID:dolog1-1@zentavo"));
    QVERIFY(!calendarText.contains("UID:dolog1-2@zentavo"));
    QVERIFY(calendarText.contains("UID:dolog3-1@zentavo"));
    QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Kiírva: 1 naptárbejegyzés és 1 feladat\r\n")
                                                + QDir::toNativeSeparators(ics.fileName()));

    // Cancelling the period writes nothing.
    testhooks::clearMessages();
    testhooks::onNextDialog([](QDialog *d) { d->reject(); });
    calendar->aIcs->trigger();
    QVERIFY(testhooks::shownMessages().isEmpty());

    auto *tasks = openListWindow<Tfrm_Feladat>(f.main.get(), "aFeladat");
    QVERIFY(tasks && tasks->aIcs);
    QCOMPARE(tasks->aIcs->text(), QStringLiteral("Naptár export (.ics)..."));

    // The customer list: the customers it shows and their employees.
    auto *customers = openListWindow<Tfrm_Ugyfel>(f.main.get(), "aUgyfel");
    QVERIFY(customers);
    QCOMPARE(customers->aVcf->text(), QStringLiteral("Névjegy export (.vcf)..."));
    testhooks::setNextFileName(f.path(QStringLiteral("nevjegyek.vcf")));
    customers->aVcf->trigger();
    QFile vcf(f.path(QStringLiteral("nevjegyek.vcf")));
    QVERIFY2(vcf.open(QIODevice::ReadOnly), qPrintable(testhooks::lastMessage().text));
    const QByteArray cards = vcf.readAll();
    QCOMPARE(cards.count("BEGIN:VCARD"), 2);
    QVERIFY(cards.contains("FN:Kovács Anna\r\nN:Kovács;Anna;;;\r\nORG:Kovács Kft\r\n"));
    f.closeMain();
}

QTEST_MAIN(TestReminders)
#include "tst_followup.moc"

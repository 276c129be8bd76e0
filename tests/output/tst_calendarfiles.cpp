// Calendar and contact files for other programs: the iCalendar and vCard
// writers against hand-written lines, whole files read back by independent
// parsers (python3-icalendar, python3-vobject), and the feed folder.

#include "output/feedfolder.h"
#include "output/icalendar.h"
#include "output/vcard.h"

#include "tests/common/testenv.h"

#include "db/catalog.h"
#include "db/connection.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

namespace {

const QDateTime kStamp(QDate(2026, 12, 1), QTime(8, 30), Qt::UTC);

QByteArray crlf(const char *lines)
{
    QByteArray text(lines);
    text.replace("\n", "\r\n");
    return text;
}

QString itemText(const IcsItem &item)
{
    QByteArray out;
    IcsWriter(kStamp).append(out, item);
    return QString::fromUtf8(out);
}

// Unfolds content lines: a CR LF followed by one space joins the lines.
QByteArray unfold(QByteArray text)
{
    return text.replace("\r\n ", "");
}

// The rows behind the file tests: texts with accents, commas, semicolons,
// quotes, backslashes and line breaks; a long description to fold; timed,
// all-day and late-night entries; open and done tasks, with and without dates.
const char *const kRowsSql =
    "insert into dolog1 (dolog1, datum, datumstr, ora, rovid, leiras, ugyfel_nev, fontos, kesz) values"
    " (1, '2026-12-11', '20261211', 10, 'Ügyféllátogatás, Kovács; \"sürgős\"', 'első sor' || char(13, 10) || 'második\\sor',"
    "  'Árvíztűrő Kft', 3, 'N'),"
    " (2, '2026-12-12', '20261212', null, 'Egész napos', '%LONG%', null, 0, 'I'),"
    " (3, '2026-12-13', '20261213', 23, 'Késő este', null, null, 1, 'N'),"
    " (4, '2027-02-01', '20270201', 9, 'Jövő év', null, null, 0, 'N');"
    "insert into dolog3 (dolog3, datum, dat_hatid, rovid, leiras, fontos, kesz, dat_kesz, statusz, termek_nev) values"
    " (1, '2026-12-01', '2026-12-15', 'Ajánlat \\ árak', 'Két sor' || char(10) || 'itt', 2, 'N', null, 1, 'Zentavo Pro'),"
    " (2, '2026-12-01', '2026-12-10', 'Kész munka', null, 0, 'I', '2026-12-09', 2, null),"
    " (3, '2026-12-01', null, 'Határidő nélkül', null, 0, 'N', null, 0, null),"
    " (4, '2026-12-01', '2026-12-20', 'Elutasított', null, 3, 'I', null, 3, null),"
    " (5, '2026-12-01', '', 'Üres határidő', null, 0, 'N', null, 0, null);"
    "insert into ugyfel (ugyfel, ugyfelkod, ugyfel_nev, kapcsolattarto, telefon, fax, mobil, emil, irsz, varos, cim, megjegyzes) values"
    " (1, 1, 'Árvíztűrő, Tükör; Kft', 'Nagy Éva', '+36 1 234 5678', '+36 1 234 5679', '+36 30 123 4567',"
    "  'info@arviz.hu', '1051', 'Budapest', 'Fő u. 1.; II. em.', 'első' || char(13, 10) || 'második \"idézet\"'),"
    " (2, 2, 'Csak Név Bt', null, null, null, null, null, null, null, null, null),"
    " (3, 3, 'Nem listázott', null, null, null, null, null, null, null, null, null);"
    "insert into alkalmazott (alkalmazott, ugyfel, alkalmazott_nev, emil, telefon) values"
    " (10, 1, 'Kovács János Péter', 'janos@arviz.hu', '+36 1 111 2222'),"
    " (11, 1, 'Szőke Ödön', null, null),"
    " (12, 3, 'Más Cég Embere', null, null);";

QString longText()
{
    QString text;
    for (int i = 0; i < 12; ++i)
        text += QStringLiteral("Őszi ügyintézés %1, határidő; ").arg(i);
    return text;
}

struct Db
{
    QTemporaryDir dir;
    zdb::Connection conn;
    Db()
    {
        testenv::makeDatabase(path());
        QString rows = QString::fromUtf8(kRowsSql);
        rows.replace(QStringLiteral("%LONG%"), longText());
        testenv::execSql(path(), rows);
        conn.setPath(path());
        conn.open();
    }
    QString path() const { return dir.filePath(QStringLiteral("z.sqb")); }
};

// Runs a Python reader on a file and returns what it printed as JSON.
QJsonValue readBack(const QString &script, const QString &file)
{
    // Debian's own interpreter: the readers are Debian packages (scripts/deps).
    const QString python = QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                             : QStringLiteral("python3");
    QProcess p;
    p.start(python, {QStringLiteral("-c"), script, file});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning().noquote() << "reader failed:" << QString::fromUtf8(p.readAllStandardError());
        return {};
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &error);
    if (error.error != QJsonParseError::NoError)
        return {};
    return doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
}

const char *const kIcalReader = R"PY(
import sys, json
from icalendar import Calendar
data = open(sys.argv[1], 'rb').read()
cal = Calendar.from_ical(data)
items = {}
for c in cal.walk():
    if c.errors:
        raise SystemExit('errors in %s: %r' % (c.name, c.errors))
    if c.name not in ('VEVENT', 'VTODO'):
        continue
    def d(name):
        return c.decoded(name).isoformat() if name in c else None
    items[str(c['UID'])] = {
        'kind': c.name, 'summary': str(c.get('SUMMARY')), 'description': str(c.get('DESCRIPTION', '')),
        'start': d('DTSTART'), 'end': d('DTEND'), 'due': d('DUE'), 'status': str(c.get('STATUS', '')),
        'priority': int(c.get('PRIORITY', 0)), 'completed': d('COMPLETED'), 'stamp': d('DTSTAMP')}
print(json.dumps({'version': str(cal['VERSION']), 'items': items}))
)PY";

const char *const kVcardReader = R"PY(
import sys, json, vobject
text = open(sys.argv[1], 'rb').read().decode('utf-8')
cards = []
for card in vobject.readComponents(text, validate=True):
    def val(name):
        return getattr(card, name).value if hasattr(card, name) else None
    tels = {}
    for t in card.contents.get('tel', []):
        tels[','.join(sorted(x.upper() for x in t.params.get('TYPE', [])))] = t.value
    adr = card.adr.value if hasattr(card, 'adr') else None
    cards.append({'version': val('version'), 'uid': val('uid'), 'fn': val('fn'),
                  'family': card.n.value.family, 'given': card.n.value.given,
                  'org': card.org.value if hasattr(card, 'org') else None,
                  'tel': tels, 'email': val('email'), 'note': val('note'),
                  'adr': [adr.street, adr.city, adr.code] if adr else None})
print(json.dumps(cards))
)PY";

} // namespace

class TestCalendarFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void escapesTextValues();
    void foldsLongLinesWithoutBreakingCharacters();
    void writesItems();
    void calendarFileReadsBackInIcalendar();
    void periodLimitsTheCalendarFile();
    void writesContactCards();
    void contactsFileReadsBackInVobject();
    void feedFolderFollowsChanges();
    void feedFolderReportsAnUnwritableFolder();
};

void TestCalendarFiles::escapesTextValues()
{
    const struct
    {
        const char *name;
        const char *value;
        const char *escaped;
    } cases[] = {
        {"accents stay UTF-8", "Árvíztűrő tükörfúrógép", "Árvíztűrő tükörfúrógép"},
        {"comma and semicolon", "Kovács, Nagy; Társa", "Kovács\\, Nagy\\; Társa"},
        {"CR LF, lone LF and lone CR", "a\r\nb\nc\rd", "a\\nb\\nc\\nd"},
        {"backslash first", "C:\\mappa\\n", "C:\\\\mappa\\\\n"},
        {"quotes need nothing", "\"idézet\" 'egyes'", "\"idézet\" 'egyes'"},
        {"control characters", "a\x01" "b", "a b"},
    };
    for (const auto &c : cases)
        QVERIFY2(IcsEscape(QString::fromUtf8(c.value)) == QByteArray(c.escaped), c.name);
}

void TestCalendarFiles::foldsLongLinesWithoutBreakingCharacters()
{
    const struct
    {
        const char *name;
        QByteArray line;
    } cases[] = {
        {"75 octets stay one line", "SUMMARY:" + QByteArray(67, 'x')},
        {"76 octets fold", "SUMMARY:" + QByteArray(68, 'x')},
        {"ASCII, many lines", "DESCRIPTION:" + QByteArray(400, 'y')},
        {"two-octet characters", "DESCRIPTION:" + QString(200, QChar(0x0151)).toUtf8()},
        {"three-octet characters at odd places", "X:" + QString(101, QChar(0x20AC)).toUtf8()},
    };
    for (const auto &c : cases) {
        QByteArray out;
        IcsAppendLine(out, c.line);
        QVERIFY2(out.endsWith("\r\n"), c.name);
        const QList<QByteArray> lines = out.chopped(2).split('\n');
        for (int i = 0; i < lines.size(); ++i) {
            QByteArray physical = lines[i];
            if (i + 1 < lines.size()) {
                QVERIFY2(physical.endsWith('\r'), c.name);
                physical.chop(1);
            }
            QVERIFY2(physical.size() <= 75, c.name);
            QVERIFY2(i == 0 || physical.startsWith(' '), c.name);
            // Every physical line is whole UTF-8 on its own.
            QVERIFY2(QString::fromUtf8(physical).toUtf8() == physical, c.name);
        }
        QVERIFY2(unfold(out) == c.line + "\r\n", c.name);
        QCOMPARE(lines.size() == 1, c.line.size() <= 75);
    }
}

void TestCalendarFiles::writesItems()
{
    IcsItem timed;
    timed.uid = QStringLiteral("dolog1-7@zentavo");
    timed.date = QDate(2026, 12, 11);
    timed.hour = 10;
    timed.summary = QStringLiteral("Látogatás, Kovács");
    timed.priority = 3;

    IcsItem allDay = timed;
    allDay.hour = -1;
    allDay.description = QStringLiteral("egy\r\nkettő");
    allDay.priority = 0;

    IcsItem lateNight = timed;
    lateNight.hour = 23;
    lateNight.priority = 1;

    IcsItem oddHour = timed;   // an hour the editor let through
    oddHour.hour = 25;
    oddHour.priority = 0;

    IcsItem open;
    open.kind = IcsItem::Kind::Todo;
    open.uid = QStringLiteral("dolog3-1@zentavo");
    open.date = QDate(2026, 12, 15);
    open.summary = QStringLiteral("Ajánlat");
    open.status = 1;
    open.priority = 2;

    IcsItem done = open;
    done.done = true;
    done.status = 3;
    done.completed = QDate(2026, 12, 9);
    done.priority = 0;

    IcsItem doneNoDate = done;
    doneNoDate.completed = QDate();

    const struct
    {
        const char *name;
        IcsItem item;
        QByteArray expected;
    } cases[] = {
        {"timed event: one hour, floating time", timed,
         crlf("BEGIN:VEVENT\nUID:dolog1-7@zentavo\nDTSTAMP:20261201T083000Z\nDTSTART:20261211T100000\n"
              "DTEND:20261211T110000\nSUMMARY:Látogatás\\, Kovács\nPRIORITY:1\nEND:VEVENT\n")},
        {"all-day event", allDay,
         crlf("BEGIN:VEVENT\nUID:dolog1-7@zentavo\nDTSTAMP:20261201T083000Z\nDTSTART;VALUE=DATE:20261211\n"
              "DTEND;VALUE=DATE:20261212\nSUMMARY:Látogatás\\, Kovács\nDESCRIPTION:egy\\nkettő\nEND:VEVENT\n")},
        {"23 o'clock ends the next day", lateNight,
         crlf("BEGIN:VEVENT\nUID:dolog1-7@zentavo\nDTSTAMP:20261201T083000Z\nDTSTART:20261211T230000\n"
              "DTEND:20261212T000000\nSUMMARY:Látogatás\\, Kovács\nPRIORITY:9\nEND:VEVENT\n")},
        {"an hour out of the day is all-day", oddHour,
         crlf("BEGIN:VEVENT\nUID:dolog1-7@zentavo\nDTSTAMP:20261201T083000Z\nDTSTART;VALUE=DATE:20261211\n"
              "DTEND;VALUE=DATE:20261212\nSUMMARY:Látogatás\\, Kovács\nEND:VEVENT\n")},
        {"open task in progress", open,
         crlf("BEGIN:VTODO\nUID:dolog3-1@zentavo\nDTSTAMP:20261201T083000Z\nDUE;VALUE=DATE:20261215\n"
              "SUMMARY:Ajánlat\nPRIORITY:5\nSTATUS:IN-PROCESS\nEND:VTODO\n")},
        {"done task with its completion", done,
         crlf("BEGIN:VTODO\nUID:dolog3-1@zentavo\nDTSTAMP:20261201T083000Z\nDUE;VALUE=DATE:20261215\n"
              "SUMMARY:Ajánlat\nSTATUS:COMPLETED\nPERCENT-COMPLETE:100\nCOMPLETED:20261209T120000Z\nEND:VTODO\n")},
        {"done task without a done date: no 1899", doneNoDate,
         crlf("BEGIN:VTODO\nUID:dolog3-1@zentavo\nDTSTAMP:20261201T083000Z\nDUE;VALUE=DATE:20261215\n"
              "SUMMARY:Ajánlat\nSTATUS:COMPLETED\nPERCENT-COMPLETE:100\nEND:VTODO\n")},
    };
    for (const auto &c : cases)
        QVERIFY2(itemText(c.item) == QString::fromUtf8(c.expected),
                 qPrintable(QString::fromUtf8(c.name) + QStringLiteral(":\n") + itemText(c.item)));

    // An item without a date is left out whole.
    IcsItem undated = open;
    undated.date = QDate();
    QByteArray out;
    QVERIFY(!IcsWriter(kStamp).append(out, undated));
    QVERIFY(out.isEmpty());
}

void TestCalendarFiles::calendarFileReadsBackInIcalendar()
{
    Db db;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("naptar.ics"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const IcsCounts counts = WriteCalendarFile(&db.conn, {}, {}, file);
    file.close();
    QCOMPARE(counts.events, 4);
    QCOMPARE(counts.todos, 3);

    QFile in(path);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    QVERIFY(!bytes.contains("1899"));
    QVERIFY(!bytes.contains("Határidő nélkül"));
    QVERIFY(!bytes.contains("Üres határidő"));
    // Every line ends in CR LF.
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));

    const QJsonObject parsed = readBack(QString::fromUtf8(kIcalReader), path).toObject();
    QVERIFY2(!parsed.isEmpty(), "python3-icalendar could not read the file");
    QCOMPARE(parsed[u"version"].toString(), QStringLiteral("2.0"));
    const QJsonObject items = parsed[u"items"].toObject();
    QCOMPARE(items.size(), 7);

    const QJsonObject visit = items[u"dolog1-1@zentavo"].toObject();
    QCOMPARE(visit[u"kind"].toString(), QStringLiteral("VEVENT"));
    QCOMPARE(visit[u"summary"].toString(), QStringLiteral("Ügyféllátogatás, Kovács; \"sürgős\""));
    QCOMPARE(visit[u"description"].toString(), QStringLiteral("első sor\nmásodik\\sor\n\nügyfél: Árvíztűrő Kft"));
    QCOMPARE(visit[u"start"].toString(), QStringLiteral("2026-12-11T10:00:00"));
    QCOMPARE(visit[u"end"].toString(), QStringLiteral("2026-12-11T11:00:00"));
    QCOMPARE(visit[u"priority"].toInt(), 1);

    const QJsonObject allDay = items[u"dolog1-2@zentavo"].toObject();
    QCOMPARE(allDay[u"start"].toString(), QStringLiteral("2026-12-12"));
    QCOMPARE(allDay[u"end"].toString(), QStringLiteral("2026-12-13"));
    QCOMPARE(allDay[u"description"].toString(), longText());

    QCOMPARE(items[u"dolog1-3@zentavo"].toObject()[u"end"].toString(), QStringLiteral("2026-12-14T00:00:00"));

    const QJsonObject offer = items[u"dolog3-1@zentavo"].toObject();
    QCOMPARE(offer[u"kind"].toString(), QStringLiteral("VTODO"));
    QCOMPARE(offer[u"summary"].toString(), QStringLiteral("Ajánlat \\ árak"));
    QCOMPARE(offer[u"description"].toString(), QStringLiteral("Két sor\nitt\n\ntermék: Zentavo Pro"));
    QCOMPARE(offer[u"due"].toString(), QStringLiteral("2026-12-15"));
    QCOMPARE(offer[u"status"].toString(), QStringLiteral("IN-PROCESS"));
    QCOMPARE(offer[u"priority"].toInt(), 5);
    QVERIFY(offer[u"completed"].isNull());

    const QJsonObject done = items[u"dolog3-2@zentavo"].toObject();
    QCOMPARE(done[u"status"].toString(), QStringLiteral("COMPLETED"));
    QCOMPARE(done[u"completed"].toString(), QStringLiteral("2026-12-09T12:00:00+00:00"));
    const QJsonObject rejected = items[u"dolog3-4@zentavo"].toObject();
    QCOMPARE(rejected[u"status"].toString(), QStringLiteral("COMPLETED"));
    QVERIFY(rejected[u"completed"].isNull());
}

void TestCalendarFiles::periodLimitsTheCalendarFile()
{
    Db db;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const IcsCounts counts = WriteCalendarFile(&db.conn, QDate(2026, 12, 11), QDate(2026, 12, 15), buffer);
    QCOMPARE(counts.events, 3);
    QCOMPARE(counts.todos, 1);
    const QByteArray text = buffer.data();
    QVERIFY(text.contains("UID:dolog1-1@zentavo"));
    QVERIFY(!text.contains("UID:dolog1-4@zentavo"));
    QVERIFY(text.contains("UID:dolog3-1@zentavo"));
    QVERIFY(!text.contains("UID:dolog3-2@zentavo"));

    // The same rows written again give the same identifiers, so a reader updates them.
    QBuffer again;
    again.open(QIODevice::WriteOnly);
    WriteCalendarFile(&db.conn, QDate(2026, 12, 11), QDate(2026, 12, 15), again);
    auto uids = [](const QByteArray &t) {
        QList<QByteArray> u;
        for (const QByteArray &line : t.split('\n'))
            if (line.startsWith("UID:"))
                u << line;
        return u;
    };
    QCOMPARE(uids(again.data()), uids(text));
}

void TestCalendarFiles::writesContactCards()
{
    VCardContact org;
    org.uid = QStringLiteral("ugyfel-1@zentavo");
    org.organisation = true;
    org.name = QStringLiteral("Kis, Nagy; Bt");
    org.org = org.name;
    org.workPhone = QStringLiteral("+36 1 234");
    org.street = QStringLiteral("Fő u. 1.");
    org.city = QStringLiteral("Pécs");
    org.postcode = QStringLiteral("7621");

    VCardContact person;
    person.uid = QStringLiteral("alkalmazott-4@zentavo");
    person.name = QStringLiteral("Kovács János Péter");
    person.org = org.name;
    person.mobile = QStringLiteral("+36 30 1");
    person.fax = QStringLiteral("+36 1 9");
    person.email = QStringLiteral("j@k.hu");
    person.note = QStringLiteral("egy\r\nkettő");

    const struct
    {
        const char *name;
        VCardContact contact;
        QByteArray expected;
    } cases[] = {
        {"organisation card", org,
         crlf("BEGIN:VCARD\nVERSION:3.0\nUID:ugyfel-1@zentavo\nFN:Kis\\, Nagy\\; Bt\nN:Kis\\, Nagy\\; Bt;;;;\n"
              "X-ABSHOWAS:COMPANY\nORG:Kis\\, Nagy\\; Bt\nTEL;TYPE=WORK,VOICE:+36 1 234\nADR;TYPE=WORK:;;Fő u. 1.;Pécs;;7621;\n"
              "END:VCARD\n")},
        {"employee card: family name first", person,
         crlf("BEGIN:VCARD\nVERSION:3.0\nUID:alkalmazott-4@zentavo\nFN:Kovács János Péter\nN:Kovács;János Péter;;;\n"
              "ORG:Kis\\, Nagy\\; Bt\nTEL;TYPE=CELL,VOICE:+36 30 1\nTEL;TYPE=WORK,FAX:+36 1 9\nEMAIL;TYPE=INTERNET:j@k.hu\n"
              "NOTE:egy\\nkettő\nEND:VCARD\n")},
    };
    for (const auto &c : cases) {
        QByteArray out;
        AppendVCard(out, c.contact);
        QVERIFY2(out == c.expected, qPrintable(QString::fromUtf8(c.name) + QStringLiteral(":\n") + QString::fromUtf8(out)));
    }
}

void TestCalendarFiles::contactsFileReadsBackInVobject()
{
    Db db;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ugyfelek.vcf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // The list shows customers 2 and 1, in this order; customer 3 is not shown.
    QCOMPARE(WriteContactsFile(&db.conn, {2, 1}, false, file), 4);
    file.close();

    const QJsonArray cards = readBack(QString::fromUtf8(kVcardReader), path).toArray();
    QVERIFY2(cards.size() == 4, "python3-vobject could not read the file");
    QCOMPARE(cards[0].toObject()[u"fn"].toString(), QStringLiteral("Csak Név Bt"));
    const QJsonObject org = cards[1].toObject();
    QCOMPARE(org[u"version"].toString(), QStringLiteral("3.0"));
    QCOMPARE(org[u"uid"].toString(), QStringLiteral("ugyfel-1@zentavo"));
    QCOMPARE(org[u"fn"].toString(), QStringLiteral("Árvíztűrő, Tükör; Kft"));
    QCOMPARE(org[u"org"].toArray().first().toString(), QStringLiteral("Árvíztűrő, Tükör; Kft"));
    const QJsonObject tel = org[u"tel"].toObject();
    QCOMPARE(tel[u"VOICE,WORK"].toString(), QStringLiteral("+36 1 234 5678"));
    QCOMPARE(tel[u"CELL,VOICE"].toString(), QStringLiteral("+36 30 123 4567"));
    QCOMPARE(tel[u"FAX,WORK"].toString(), QStringLiteral("+36 1 234 5679"));
    QCOMPARE(org[u"email"].toString(), QStringLiteral("info@arviz.hu"));
    QCOMPARE(org[u"adr"].toArray(), QJsonArray({QStringLiteral("Fő u. 1.; II. em."), QStringLiteral("Budapest"),
                                                QStringLiteral("1051")}));
    QCOMPARE(org[u"note"].toString(), QStringLiteral("kapcsolattartó: Nagy Éva\nelső\nmásodik \"idézet\""));

    const QJsonObject janos = cards[2].toObject();
    QCOMPARE(janos[u"fn"].toString(), QStringLiteral("Kovács János Péter"));
    QCOMPARE(janos[u"family"].toString(), QStringLiteral("Kovács"));
    QCOMPARE(janos[u"given"].toString(), QStringLiteral("János Péter"));
    QCOMPARE(janos[u"org"].toArray().first().toString(), QStringLiteral("Árvíztűrő, Tükör; Kft"));
    QCOMPARE(janos[u"email"].toString(), QStringLiteral("janos@arviz.hu"));
    QCOMPARE(janos[u"tel"].toObject()[u"VOICE,WORK"].toString(), QStringLiteral("+36 1 111 2222"));
    QCOMPARE(cards[3].toObject()[u"fn"].toString(), QStringLiteral("Szőke Ödön"));
}

void TestCalendarFiles::feedFolderFollowsChanges()
{
    Db db;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("feed"));
    FeedFolder feed(&db.conn);
    feed.setFolder(folder);
    QFile ics(QDir(folder).filePath(FeedFolder::calendarFileName()));
    QFile vcf(QDir(folder).filePath(FeedFolder::contactsFileName()));
    QVERIFY(ics.exists());
    QVERIFY(vcf.exists());
    QVERIFY(ics.open(QIODevice::ReadOnly));
    QVERIFY(!ics.readAll().contains("dolog1-9@zentavo"));
    ics.close();

    // A change another window posts is announced; the file follows shortly.
    testenv::execSql(db.path(), QStringLiteral("insert into dolog1 (dolog1, datum, datumstr, ora, rovid, kesz) "
                                               "values (9, '2026-12-24', '20261224', 18, 'Karácsony', 'N');"));
    const QDateTime before = QFileInfo(vcf).lastModified();
    zdb::TableChanges::notify(QStringLiteral("dolog1"));
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QFile f(ics.fileName());
            return f.open(QIODevice::ReadOnly) && f.readAll().contains("UID:dolog1-9@zentavo");
        }(),
        5000);
    // The contacts were not touched by a calendar change.
    QCOMPARE(QFileInfo(vcf).lastModified(), before);

    testenv::execSql(db.path(), QStringLiteral("update ugyfel set ugyfel_nev = 'Új Név Kft' where ugyfel = 2;"));
    zdb::TableChanges::notify(QStringLiteral("ugyfel"));
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QFile f(vcf.fileName());
            return f.open(QIODevice::ReadOnly) && f.readAll().contains("FN:Új Név Kft");
        }(),
        5000);

    // Switched off: nothing follows any more.
    feed.setFolder(QString());
    testenv::execSql(db.path(), QStringLiteral("update dolog1 set rovid = 'Szilveszter' where dolog1 = 9;"));
    zdb::TableChanges::notify(QStringLiteral("dolog1"));
    QTest::qWait(FeedFolder::kDelayMs * 2);
    QFile f(ics.fileName());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(!f.readAll().contains("Szilveszter"));
}

void TestCalendarFiles::feedFolderReportsAnUnwritableFolder()
{
    Db db;
    QTemporaryDir dir;
    // A file stands where the folder should be.
    const QString blocker = dir.filePath(QStringLiteral("foglalt"));
    QFile block(blocker);
    QVERIFY(block.open(QIODevice::WriteOnly));
    block.close();
    FeedFolder feed(&db.conn);
    QStringList failures;
    connect(&feed, &FeedFolder::failed, this, [&](const QString &m) { failures << m; });
    feed.setFolder(blocker);
    QCOMPARE(failures.size(), 2);
    QVERIFY(failures[0].startsWith(QStringLiteral("A naptárfájl nem írható")));
    QVERIFY(!feed.writePending() || failures.size() == 2);
}

QTEST_MAIN(TestCalendarFiles)
#include "tst_calendarfiles.moc"

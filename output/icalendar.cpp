#include "output/icalendar.h"

#include "db/dberror.h"
#include "db/recordset.h"

#include <QIODevice>
#include <QTime>

namespace {

const QByteArray kCrLf("\r\n");

// Fixed-width digits; the date and time formatters of the library are slow
// for a hundred thousand items.
void appendDigits(QByteArray &out, int value, int width)
{
    char buf[8];
    for (int i = width - 1; i >= 0; --i) {
        buf[i] = char('0' + value % 10);
        value /= 10;
    }
    out.append(buf, width);
}

QByteArray dateValue(const QDate &d)
{
    QByteArray out;
    out.reserve(8);
    appendDigits(out, d.year(), 4);
    appendDigits(out, d.month(), 2);
    appendDigits(out, d.day(), 2);
    return out;
}

QByteArray dateTimeValue(const QDateTime &t)
{
    QByteArray out = dateValue(t.date());
    out += 'T';
    const QTime time = t.time();
    appendDigits(out, time.hour(), 2);
    appendDigits(out, time.minute(), 2);
    appendDigits(out, time.second(), 2);
    return out;
}

QByteArray hourValue(const QDate &d, int hour)
{
    QByteArray out = dateValue(d);
    out += 'T';
    appendDigits(out, hour, 2);
    out += "0000";
    return out;
}

// The program's task status as a to-do status; a done task is completed
// whatever its status says (the quick list files finished tasks as 3).
QByteArray todoStatus(const IcsItem &item)
{
    if (item.done)
        return "COMPLETED";
    return item.status == 1 ? QByteArray("IN-PROCESS") : QByteArray("NEEDS-ACTION");
}

} // namespace

QByteArray IcsEscape(QStringView text)
{
    // Most values need nothing escaped.
    bool plain = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == '\\' || u == ';' || u == ',') {
            plain = false;
            break;
        }
    }
    if (plain)
        return text.toUtf8();
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case ';': out += QLatin1String("\\;"); break;
        case ',': out += QLatin1String("\\,"); break;
        case '\r':
            // CR LF and a lone CR are one line break each.
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            out += QLatin1String("\\n");
            break;
        case '\n': out += QLatin1String("\\n"); break;
        default:
            // Other control characters are not allowed in a text value.
            if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
                out += QLatin1Char(' ');
            else
                out += c;
        }
    }
    return out.toUtf8();
}

void IcsAppendLine(QByteArray &out, const QByteArray &line)
{
    constexpr qsizetype kMax = 75;
    qsizetype pos = 0;
    qsizetype room = kMax;   // the first line has 75 octets, the others a leading space and 74
    while (line.size() - pos > room) {
        qsizetype cut = pos + room;
        // Step back to the start of a UTF-8 sequence.
        while (cut > pos && (uchar(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line.constData() + pos, cut - pos);
        out.append(kCrLf);
        out.append(' ');
        pos = cut;
        room = kMax - 1;
    }
    out.append(line.constData() + pos, line.size() - pos);
    out.append(kCrLf);
}

int IcsPriority(int fontos)
{
    switch (fontos) {
    case 1: return 9;   // information
    case 2: return 5;   // warning
    case 3: return 1;   // urgent
    }
    return 0;
}

IcsWriter::IcsWriter(const QDateTime &stamp)
    : m_stamp(dateTimeValue(stamp.toUTC()) + 'Z')
{
}

void IcsWriter::begin(QByteArray &out) const
{
    IcsAppendLine(out, "BEGIN:VCALENDAR");
    IcsAppendLine(out, "VERSION:2.0");
    IcsAppendLine(out, "PRODID:-//Zentavo//Zentavo naptar//HU");
    IcsAppendLine(out, "CALSCALE:GREGORIAN");
    IcsAppendLine(out, "X-WR-CALNAME:Zentavo");
}

void IcsWriter::end(QByteArray &out) const
{
    IcsAppendLine(out, "END:VCALENDAR");
}

bool IcsWriter::append(QByteArray &out, const IcsItem &item) const
{
    if (!item.date.isValid())
        return false;
    const bool event = item.kind == IcsItem::Kind::Event;
    IcsAppendLine(out, event ? QByteArray("BEGIN:VEVENT") : QByteArray("BEGIN:VTODO"));
    IcsAppendLine(out, "UID:" + IcsEscape(item.uid));
    IcsAppendLine(out, "DTSTAMP:" + m_stamp);
    if (event) {
        if (item.hour >= 0 && item.hour <= 23) {
            // Floating local time: the hour is the office's hour wherever it
            // is read. Built from digits: a local QDateTime asks the time zone
            // database on every item.
            IcsAppendLine(out, "DTSTART:" + hourValue(item.date, item.hour));
            IcsAppendLine(out, "DTEND:" + (item.hour == 23 ? hourValue(item.date.addDays(1), 0) : hourValue(item.date, item.hour + 1)));
        } else {
            IcsAppendLine(out, "DTSTART;VALUE=DATE:" + dateValue(item.date));
            IcsAppendLine(out, "DTEND;VALUE=DATE:" + dateValue(item.date.addDays(1)));
        }
    } else {
        IcsAppendLine(out, "DUE;VALUE=DATE:" + dateValue(item.date));
    }
    IcsAppendLine(out, "SUMMARY:" + IcsEscape(item.summary));
    if (!item.description.isEmpty())
        IcsAppendLine(out, "DESCRIPTION:" + IcsEscape(item.description));
    if (const int p = IcsPriority(item.priority))
        IcsAppendLine(out, "PRIORITY:" + QByteArray::number(p));
    if (!event) {
        IcsAppendLine(out, "STATUS:" + todoStatus(item));
        if (item.done) {
            IcsAppendLine(out, "PERCENT-COMPLETE:100");
            // COMPLETED is a UTC date-time; noon keeps the day in every time zone near ours.
            if (item.completed.isValid())
                IcsAppendLine(out, "COMPLETED:" + dateValue(item.completed) + "T120000Z");
        }
    }
    IcsAppendLine(out, event ? QByteArray("END:VEVENT") : QByteArray("END:VTODO"));
    return true;
}

namespace {

// The description of an item: the stored text, then the linked names.
QString describe(const zdb::RecordSet &rs, int row, int leiras, int ugyfel, int termek, int projekt)
{
    QString text = rs.textAt(row, leiras);
    QString links;
    const std::pair<int, const char *> names[] = {{ugyfel, "ügyfél"}, {termek, "termék"}, {projekt, "projekt"}};
    for (const auto &[field, label] : names) {
        const QString name = rs.textAt(row, field);
        if (!name.isEmpty())
            links += QString::fromUtf8(label) + QStringLiteral(": ") + name + QLatin1Char('\n');
    }
    if (!links.isEmpty()) {
        links.chop(1);
        if (!text.isEmpty())
            text += QStringLiteral("\n\n");
        text += links;
    }
    return text;
}

QString periodCondition(const char *field, const QDate &from, const QDate &to)
{
    QString sql;
    if (from.isValid())
        sql += QStringLiteral(" and %1 >= :tol").arg(QLatin1String(field));
    if (to.isValid())
        sql += QStringLiteral(" and %1 <= :ig").arg(QLatin1String(field));
    return sql;
}

void bindPeriod(zdb::Query &q, const QDate &from, const QDate &to)
{
    if (from.isValid())
        q.setParam(QStringLiteral("tol"), from);
    if (to.isValid())
        q.setParam(QStringLiteral("ig"), to);
}

void flush(QIODevice &device, QByteArray &out, qsizetype above)
{
    if (out.size() < above)
        return;
    if (device.write(out) != out.size())
        throw zdb::Error(QStringLiteral("Az állomány nem írható: ") + device.errorString());
    out.clear();
}

// The columns calendar entries and tasks share, read the same way for both.
struct SharedColumns
{
    int id, rovid, leiras, ugyfel, termek, projekt, fontos, kesz, datKesz;

    SharedColumns(const zdb::RecordSet &q, const QString &idField)
        : id(q.fieldIndex(idField)), rovid(q.fieldIndex(QStringLiteral("rovid"))),
          leiras(q.fieldIndex(QStringLiteral("leiras"))), ugyfel(q.fieldIndex(QStringLiteral("ugyfel_nev"))),
          termek(q.fieldIndex(QStringLiteral("termek_nev"))), projekt(q.fieldIndex(QStringLiteral("projekt_nev"))),
          fontos(q.fieldIndex(QStringLiteral("fontos"))), kesz(q.fieldIndex(QStringLiteral("kesz"))),
          datKesz(q.fieldIndex(QStringLiteral("dat_kesz")))
    {
    }

    void fill(IcsItem &item, const zdb::RecordSet &q, int row, const QString &uidPrefix) const
    {
        item.uid = uidPrefix + q.textAt(row, id) + QStringLiteral("@zentavo");
        item.summary = q.textAt(row, rovid);
        item.description = describe(q, row, leiras, ugyfel, termek, projekt);
        item.priority = q.valueAt(row, fontos).toInt();
        item.done = q.textAt(row, kesz) != QLatin1String("N");
        item.completed = q.valueAt(row, datKesz).toDate();
    }
};

} // namespace

IcsCounts WriteCalendarFile(zdb::Connection *connection, const QDate &from, const QDate &to, QIODevice &device)
{
    IcsCounts counts;
    const IcsWriter writer;
    QByteArray out;
    out.reserve(1 << 20);
    writer.begin(out);

    {
        zdb::Query q(connection, QStringLiteral("select dolog1, datum, ora, rovid, leiras, ugyfel_nev, termek_nev, "
                                                "projekt_nev, fontos, kesz, dat_kesz from dolog1 "
                                                "where cast(datum as varchar(10)) <> ''")
                                     + periodCondition("datum", from, to) + QStringLiteral(" order by datum, ora"));
        bindPeriod(q, from, to);
        q.open();
        const SharedColumns shared(q, QStringLiteral("dolog1"));
        const int datum = q.fieldIndex(QStringLiteral("datum")), ora = q.fieldIndex(QStringLiteral("ora"));
        const int n = q.recordCount();
        for (int row = 0; row < n; ++row) {
            IcsItem item;
            item.kind = IcsItem::Kind::Event;
            shared.fill(item, q, row, QStringLiteral("dolog1-"));
            item.date = q.valueAt(row, datum).toDate();
            const QVariant hour = q.valueAt(row, ora);
            item.hour = hour.isValid() ? hour.toInt() : -1;
            if (writer.append(out, item))
                ++counts.events;
            flush(device, out, 1 << 20);
        }
    }
    {
        zdb::Query q(connection, QStringLiteral("select dolog3, dat_hatid, rovid, leiras, ugyfel_nev, termek_nev, "
                                                "projekt_nev, fontos, kesz, dat_kesz, statusz from dolog3 "
                                                "where cast(dat_hatid as varchar(10)) <> ''")
                                     + periodCondition("dat_hatid", from, to) + QStringLiteral(" order by dat_hatid"));
        bindPeriod(q, from, to);
        q.open();
        const SharedColumns shared(q, QStringLiteral("dolog3"));
        const int hatid = q.fieldIndex(QStringLiteral("dat_hatid")), statusz = q.fieldIndex(QStringLiteral("statusz"));
        const int n = q.recordCount();
        for (int row = 0; row < n; ++row) {
            IcsItem item;
            item.kind = IcsItem::Kind::Todo;
            shared.fill(item, q, row, QStringLiteral("dolog3-"));
            item.date = q.valueAt(row, hatid).toDate();
            item.status = q.valueAt(row, statusz).toInt();
            if (writer.append(out, item))
                ++counts.todos;
            flush(device, out, 1 << 20);
        }
    }
    writer.end(out);
    flush(device, out, 0);
    return counts;
}

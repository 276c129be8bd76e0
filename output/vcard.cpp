#include "output/vcard.h"

#include "output/icalendar.h"

#include "db/dberror.h"
#include "db/recordset.h"

#include <QHash>
#include <QIODevice>

QByteArray VCardEscape(QStringView text)
{
    // The same rules as iCalendar text values.
    return IcsEscape(text);
}

QPair<QString, QString> SplitPersonName(const QString &fullName)
{
    const QString name = fullName.simplified();
    const qsizetype space = name.indexOf(QLatin1Char(' '));
    if (space < 0)
        return {name, QString()};
    return {name.left(space), name.mid(space + 1)};
}

void AppendVCard(QByteArray &out, const VCardContact &c)
{
    IcsAppendLine(out, "BEGIN:VCARD");
    IcsAppendLine(out, "VERSION:3.0");
    IcsAppendLine(out, "UID:" + VCardEscape(c.uid));
    IcsAppendLine(out, "FN:" + VCardEscape(c.name));
    if (c.organisation) {
        IcsAppendLine(out, "N:" + VCardEscape(c.name) + ";;;;");
        IcsAppendLine(out, "X-ABSHOWAS:COMPANY");
    } else {
        const auto [family, given] = SplitPersonName(c.name);
        IcsAppendLine(out, "N:" + VCardEscape(family) + ';' + VCardEscape(given) + ";;;");
    }
    if (!c.org.isEmpty())
        IcsAppendLine(out, "ORG:" + VCardEscape(c.org));
    if (!c.workPhone.isEmpty())
        IcsAppendLine(out, "TEL;TYPE=WORK,VOICE:" + VCardEscape(c.workPhone));
    if (!c.mobile.isEmpty())
        IcsAppendLine(out, "TEL;TYPE=CELL,VOICE:" + VCardEscape(c.mobile));
    if (!c.fax.isEmpty())
        IcsAppendLine(out, "TEL;TYPE=WORK,FAX:" + VCardEscape(c.fax));
    if (!c.email.isEmpty())
        IcsAppendLine(out, "EMAIL;TYPE=INTERNET:" + VCardEscape(c.email));
    if (!c.street.isEmpty() || !c.city.isEmpty() || !c.postcode.isEmpty())
        IcsAppendLine(out, "ADR;TYPE=WORK:;;" + VCardEscape(c.street) + ';' + VCardEscape(c.city) + ";;"
                               + VCardEscape(c.postcode) + ";");
    if (!c.note.isEmpty())
        IcsAppendLine(out, "NOTE:" + VCardEscape(c.note));
    IcsAppendLine(out, "END:VCARD");
}

namespace {

void writeOut(QIODevice &device, QByteArray &out)
{
    if (device.write(out) != out.size())
        throw zdb::Error(QStringLiteral("Az állomány nem írható: ") + device.errorString());
    out.clear();
}

} // namespace

int WriteContactsFile(zdb::Connection *connection, const QList<int> &customerIds, bool all, QIODevice &device)
{
    // The employees grouped by customer, in name order.
    QHash<int, QList<VCardContact>> people;
    {
        zdb::Query q(connection, QStringLiteral("select alkalmazott, ugyfel, alkalmazott_nev, emil, telefon "
                                                "from alkalmazott order by ugyfel, alkalmazott_nevs, alkalmazott"));
        q.open();
        for (int row = 0; row < q.recordCount(); ++row) {
            const QString name = q.textAt(row, 2).trimmed();
            if (name.isEmpty())
                continue;
            VCardContact c;
            c.uid = QStringLiteral("alkalmazott-%1@zentavo").arg(q.textAt(row, 0));
            c.name = name;
            c.email = q.textAt(row, 3);
            c.workPhone = q.textAt(row, 4);
            people[q.valueAt(row, 1).toInt()] << c;
        }
    }

    zdb::Query q(connection, QStringLiteral("select ugyfel, ugyfel_nev, kapcsolattarto, telefon, fax, mobil, emil, irsz, "
                                            "varos, cim, megjegyzes from ugyfel order by ugyfel_nevs, ugyfel"));
    q.open();
    QHash<int, int> rowOf;
    for (int row = 0; row < q.recordCount(); ++row)
        rowOf.insert(q.valueAt(row, 0).toInt(), row);
    QList<int> rows;
    if (all) {
        for (int row = 0; row < q.recordCount(); ++row)
            rows << row;
    } else {
        for (int id : customerIds)
            if (rowOf.contains(id))
                rows << rowOf.value(id);
    }

    int cards = 0;
    QByteArray out;
    for (int row : rows) {
        VCardContact c;
        const int id = q.valueAt(row, 0).toInt();
        c.uid = QStringLiteral("ugyfel-%1@zentavo").arg(q.textAt(row, 0));
        c.organisation = true;
        c.name = q.textAt(row, 1);
        c.org = c.name;
        c.workPhone = q.textAt(row, 3);
        c.fax = q.textAt(row, 4);
        c.mobile = q.textAt(row, 5);
        c.email = q.textAt(row, 6);
        c.postcode = q.textAt(row, 7);
        c.city = q.textAt(row, 8);
        c.street = q.textAt(row, 9);
        c.note = q.textAt(row, 10);
        const QString contact = q.textAt(row, 2).trimmed();
        if (!contact.isEmpty())
            c.note = QStringLiteral("kapcsolattartó: ") + contact + (c.note.isEmpty() ? QString() : QStringLiteral("\n") + c.note);
        AppendVCard(out, c);
        ++cards;
        for (VCardContact person : people.value(id)) {
            person.org = c.name;
            AppendVCard(out, person);
            ++cards;
        }
        if (out.size() > (1 << 20))
            writeOut(device, out);
    }
    writeOut(device, out);
    return cards;
}

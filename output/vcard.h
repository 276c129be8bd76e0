#pragma once

// vCard 3.0 files of the customers and, as cards of their own that name the
// customer as their organisation, of the customers' employees. UTF-8, CR LF,
// lines folded at 75 octets, text values escaped.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

class QIODevice;

namespace zdb {
class Connection;
}

struct VCardContact
{
    QString uid;
    bool organisation = false;   // a customer's own card
    QString name;                // the full name (the customer's name for its own card)
    QString org;
    QString workPhone, mobile, fax, email;
    QString street, city, postcode;
    QString note;
};

// A text value with backslash, semicolon, comma and line breaks escaped.
QByteArray VCardEscape(QStringView text);
void AppendVCard(QByteArray &out, const VCardContact &contact);

// Family and given name of a Hungarian-ordered full name: the first word is
// the family name, the rest the given names.
QPair<QString, QString> SplitPersonName(const QString &fullName);

// Writes the customers with these identifiers (every customer when `all`),
// in the given order, each followed by its employees' cards. Returns the
// number of cards written; throws zdb::Error on a database or device failure.
int WriteContactsFile(zdb::Connection *connection, const QList<int> &customerIds, bool all, QIODevice &device);

#include "output/mail.h"

#include "output/output.h"

#include "app/helpers/appcore.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listwindow.h"

#include "db/recordset.h"

#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

// A header value must stay on one line: a line break in a subject would let
// the text smuggle extra header lines into the message.
QString oneLine(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return out.trimmed();
}

// Line breaks of any kind become CR LF, the form a mailto: body carries.
QString crLfLines(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            out += QStringLiteral("\r\n");
        } else if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

QString percentEncoded(const QString &text, const QByteArray &keep = {})
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, keep));
}

} // namespace

bool IsPlainMailAddress(const QString &address)
{
    const QString a = address.trimmed();
    if (a.count(QLatin1Char('@')) != 1 || a.startsWith(QLatin1Char('@')) || a.endsWith(QLatin1Char('@')))
        return false;
    // A scheme ("mailto:") or URI punctuation would let a stored address add
    // hidden recipients, headers or attachments to the message.
    static const QString forbidden = QStringLiteral("?&<>,;:\"%#()[]\\");
    for (const QChar c : a)
        if (c.isSpace() || c.unicode() < 0x20 || forbidden.contains(c))
            return false;
    return true;
}

QString MailToUri(const QString &subject, const QString &body, const QString &toAddress)
{
    QString uri = QStringLiteral("mailto:");
    if (IsPlainMailAddress(toAddress))
        uri += percentEncoded(toAddress.trimmed(), "@");
    QStringList fields;
    const QString subjectLine = oneLine(subject);
    if (!subjectLine.isEmpty())
        fields << QStringLiteral("subject=") + percentEncoded(subjectLine);
    if (!body.isEmpty())
        fields << QStringLiteral("body=") + percentEncoded(crLfLines(body));
    if (!fields.isEmpty())
        uri += QLatin1Char('?') + fields.join(QLatin1Char('&'));
    return uri;
}

QStringList MailHandOffArguments(const QString &subject, const QString &body, const QString &attachment,
                                 const QString &toAddress)
{
    // Only the URI carries the texts: xdg-email would pass --subject and
    // --body through "echo" under /bin/sh, which reads backslash sequences
    // ("\c" ends the text) and doubles the CR of CR LF. The URI holds
    // nothing but unreserved characters and percent escapes.
    QStringList args{QStringLiteral("--utf8")};
    if (!attachment.isEmpty())
        args << QStringLiteral("--attach") << attachment;
    args << MailToUri(subject, body, toAddress);
    return args;
}

namespace {

// A field of the record set's current row as text; empty when there is none.
QString currentText(const zdb::RecordSet *rs, const QString &field)
{
    if (!rs || !rs->isOpen() || (!rs->isEditing() && rs->currentRow() < 0))
        return {};
    return VarToStrNull(rs->value(field));
}

int currentInt(const zdb::RecordSet *rs, const QString &field)
{
    if (!rs || !rs->isOpen() || (!rs->isEditing() && rs->currentRow() < 0))
        return 0;
    const QVariant v = rs->value(field);
    return v.isValid() ? v.toInt() : 0;
}

// The e-mail address of a customer; empty when it has none or is not found.
QString customerEmail(int customerId)
{
    zdb::Query QryUgyf(Db1());
    QryUgyf.setSql(QStringLiteral("SELECT * FROM ugyfel\nWHERE ugyfel = :pugyfel;"));
    QryUgyf.setParam(QStringLiteral("pugyfel"), customerId);
    QryUgyf.open();
    const QString emil = QryUgyf.isEmpty() ? QString() : VarToStrNull(QryUgyf.value(QStringLiteral("emil")));
    QryUgyf.close();
    return emil;
}

// A task or calendar entry to its customer.
void mailEntry(const zdb::RecordSet *rs)
{
    const QString emil = customerEmail(currentInt(rs, QStringLiteral("ugyfel")));
    SendMail(currentText(rs, QStringLiteral("rovid")), currentText(rs, QStringLiteral("genszoveg")), QString(), emil,
             currentText(rs, QStringLiteral("ugyfel_nev")), Beall().SenderEmail, Beall().SenderName);
}

} // namespace

int SendMail(const QString &subject, const QString &body, const QString &attachment, const QString &toAddress,
             const QString &toName, const QString &fromAddress, const QString &fromName)
{
    // A mailto: URI names neither the recipient's display name nor a sender:
    // the mail client shows the address and sends from the account the user
    // has set up there.
    Q_UNUSED(toName)
    Q_UNUSED(fromAddress)
    Q_UNUSED(fromName)

    // Started on its own, never waited for: some mail clients keep xdg-email
    // until their compose window closes. Arguments never pass a shell.
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty()
        || !QProcess::startDetached(program, MailHandOffArguments(subject, body, attachment, toAddress))) {
        ShowError(QStringLiteral("A levelezőprogram nem indítható (xdg-email)."));
        return -1;
    }
    return 0;
}

void MailListEntry(ListWindow *window)
{
    if (!window)
        return;
    switch (window->childKind()) {
    case KindTasks:
        mailEntry(Shared().TblFeladat);
        break;
    case KindCalendar:
        mailEntry(Shared().TblNaptar);
        break;
    case KindCustomers: {
        // The placeholders are for the user to overwrite in the mail client.
        const zdb::RecordSet *rs = window->listRecordSet();
        SendMail(QStringLiteral("<tárgysor>"), QStringLiteral("<levéltörzs>"), QString(),
                 currentText(rs, QStringLiteral("emil")), currentText(rs, QStringLiteral("ugyfel_nev")),
                 Beall().SenderEmail, Beall().SenderName);
        break;
    }
    case KindProducts:
    case KindProjects:
    case KindNotes:
        ShowError(QStringLiteral("Nincs elérhető ügyfél"));
        break;
    default:
        break;
    }
}

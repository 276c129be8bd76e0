#include "app/helpers/mail.h"

#include "app/helpers/appcore.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listwindow.h"

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
    const ListKind kind = ListKindOf(window->childKind());
    if (!kind.kind)
        return;
    if (!kind.mailDraft) {
        ShowError(QStringLiteral("Nincs elérhető ügyfél"));
        return;
    }
    const MailDraft draft = kind.mailDraft(window);
    SendMail(draft.subject, draft.body, QString(), draft.toAddress, draft.toName, Beall().SenderEmail,
             Beall().SenderName);
}

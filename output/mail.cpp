#include "output/mail.h"

#include "output/output.h"

#include "app/helpers/appcore.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listwindow.h"

#include "db/recordset.h"

#include <QObject>
#include <QProcess>
#include <QStandardPaths>

namespace {

// How long the hand-off may take before we stop waiting for its answer.
constexpr int kHandOffWaitMs = 10000;

// A header value must stay on one line: a line break in a name or subject
// would let the text smuggle extra header lines into the message.
QString oneLine(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return out.trimmed();
}

// "Name <address>", just the address without a name, nothing without an
// address. A text that xdg-email could take for one of its options (leading
// "-") or that holds address punctuation gets the name quoted.
QString recipientArgument(const QString &address, const QString &name)
{
    const QString addr = oneLine(address);
    // Without "@" xdg-email refuses the whole message; the user is better
    // served by a compose window with an empty recipient list.
    if (!addr.contains(QLatin1Char('@')))
        return {};
    const QString display = oneLine(name);
    if (display.isEmpty())
        return addr.startsWith(QLatin1Char('-')) ? QLatin1Char('<') + addr + QLatin1Char('>') : addr;
    static const QString specials = QStringLiteral("\"(),:;<>@[\\]");
    bool quote = display.startsWith(QLatin1Char('-'));
    for (const QChar c : display)
        quote = quote || specials.contains(c);
    QString shown = display;
    if (quote) {
        shown.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        shown.replace(QLatin1Char('"'), QStringLiteral("\\\""));
        shown = QLatin1Char('"') + shown + QLatin1Char('"');
    }
    return shown + QStringLiteral(" <") + addr + QLatin1Char('>');
}

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

QStringList MailHandOffArguments(const QString &subject, const QString &body, const QString &attachment,
                                 const QString &toAddress, const QString &toName)
{
    // The arguments travel as UTF-8; xdg-email refuses an option with an
    // empty value, so empty parts are left out altogether.
    QStringList args{QStringLiteral("--utf8")};
    const QString subjectLine = oneLine(subject);
    if (!subjectLine.isEmpty())
        args << QStringLiteral("--subject") << subjectLine;
    if (!body.isEmpty())
        args << QStringLiteral("--body") << body;
    if (!attachment.isEmpty())
        args << QStringLiteral("--attach") << attachment;
    const QString to = recipientArgument(toAddress, toName);
    if (!to.isEmpty())
        args << to;
    return args;
}

int SendMail(const QString &subject, const QString &body, const QString &attachment, const QString &toAddress,
             const QString &toName, const QString &fromAddress, const QString &fromName)
{
    // xdg-email has no way to name a sender: a mailto hand-off always leaves
    // the From line to the account the user has set up in the mail client,
    // so the sender data stops here.
    Q_UNUSED(fromAddress)
    Q_UNUSED(fromName)

    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty())
        return -1;

    // Arguments go straight to the program, never through a shell.
    auto *process = new QProcess;
    process->setProgram(program);
    process->setArguments(MailHandOffArguments(subject, body, attachment, toAddress, toName));
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start();
    if (!process->waitForStarted(kHandOffWaitMs)) {
        delete process;
        return -1;
    }
    if (!process->waitForFinished(kHandOffWaitMs)) {
        // Some mail clients keep xdg-email until their compose window is
        // closed. Killing it could take the window with it: let it run on.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return 0;
    }
    const int result = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : 1;
    delete process;
    return result;
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

#pragma once

// Messages handed to the desktop mail client: the main window's "E-Mail"
// command (the current entry or customer of the active list as a prefilled
// message) and SendMail, which the other mail commands use.

#include <QString>
#include <QStringList>

class ListWindow;

// Hands a prefilled message to the desktop mail client. -1 when no hand-off
// program exists (the user is told); otherwise the hand-off's own result
// (0 = success).
int SendMail(const QString &subject, const QString &body, const QString &attachment, const QString &toAddress,
             const QString &toName, const QString &fromAddress, const QString &fromName);

// The message the window's kind drafts for its current row (its module
// registers it with the kind); a kind that drafts none has no customer to
// write to. A window of an unknown kind gets nothing.
void MailListEntry(ListWindow *window);

// An address that can be handed over as it is: one "@" and no scheme, URI
// punctuation, brackets, list separators or whitespace. Others are left out.
bool IsPlainMailAddress(const QString &address);

// The message as a mailto: URI (RFC 6068): the address, then subject and
// body percent-encoded as UTF-8, line breaks as %0D%0A.
QString MailToUri(const QString &subject, const QString &body, const QString &toAddress);

// The command line handed to xdg-email for a message (without the program).
QStringList MailHandOffArguments(const QString &subject, const QString &body, const QString &attachment,
                                 const QString &toAddress);

#pragma once

// The main window's "E-Mail" command: the current entry or customer of the
// active list as a prefilled message in the desktop mail client.

#include <QString>
#include <QStringList>

class ListWindow;

// Tasks and calendar entries write to the entry's customer, the customer
// list to the current customer; the other lists have no customer to write to.
void MailListEntry(ListWindow *window);

// The command line handed to xdg-email for a message (without the program).
QStringList MailHandOffArguments(const QString &subject, const QString &body, const QString &attachment,
                                 const QString &toAddress, const QString &toName);

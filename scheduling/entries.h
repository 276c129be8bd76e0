#pragma once

// The dialogs of the scheduling subsystem that other windows call.

#include "db/catalog.h"

#include <QDate>
#include <QString>

#include <functional>

// The link kinds are the catalogue's.
using zdb::LinkCustomer;
using zdb::LinkProduct;
using zdb::LinkProject;

// The task editor on a new task or the task record set's current row.
void EditTask(bool isNew, int linkKind, int linkId, const QString &linkName);
// The calendar entry editor on a new entry or the calendar record set's current row.
void EditCalendarEntry(bool isNew, int linkKind, int linkId, const QString &linkName);

// Date and period prompts; true when the user confirmed.
bool AskDate(QDate &date);
bool AskPeriod(QDate &from, QDate &to);

// Pickers: the chosen identifier (0 on an empty list) or -1 when cancelled.
int PickCustomer(int currentId, QString &name);
int PickCustomerWithEmail(int currentId, QString &name, QString &email);
int PickProduct(int currentId, QString &name);
int PickProject(int currentId, QString &name);

// The work log of a task (its `dolog3`).
void OpenWorkLog(int taskId);

// Registers the scheduling windows with the main window's dispatch.
void RegisterSchedulingWindows();

#pragma once

// The dialogs of the master-data subsystem that other windows call.

#include <QString>

namespace zdb {
class Table;
}

// The tasks and the calendar entries linked to one customer, product or
// project (linkKind: LinkCustomer, LinkProduct, LinkProject).
void ShowRelatedTasks(int linkKind, int id);
void ShowRelatedCalendar(int linkKind, int id);

// The employees of a customer; the name heads their printed list.
void ShowEmployees(int customerId, const QString &customerName);

// The comments and attached documents of a master record.
void ShowComments(int linkKind, int ownerId, const QString &ownerName);

// The CSV import of customers, writing through the customer list's record set.
void ImportCustomers(zdb::Table *tbl);

// CSV import of products and projects through the list window's record set.
void ImportProducts(zdb::Table *table);
void ImportProjects(zdb::Table *table);

// Registers the master-data list windows with the main window's dispatch.
void RegisterMasterDataWindows();

#pragma once

// The dialogs of the master-data subsystem that other windows call.

#include <QString>

namespace zdb {
class Table;
}

// The comments and attached documents of a customer (linkKind 0), product (1)
// or project (2). When the dialog closes, the owner's comment flag `vanmegj`
// is brought up to date.
void ShowComments(int linkKind, int ownerId, const QString &ownerName);
// The owner list window of a link kind hands its record set over, so the
// comments dialog writes the flag into its current row (nullptr when it goes).
void SetCommentOwnerList(int linkKind, zdb::Table *table);

// CSV import of products and projects through the list window's record set.
void ImportProducts(zdb::Table *table);
void ImportProjects(zdb::Table *table);

// Registers the master-data list windows with the main window's dispatch.
void RegisterMasterDataWindows();

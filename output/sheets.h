#pragma once

// The data sheets: fixed-layout reports of one record or of every record of
// a list (tasks, calendar entries, customers, products, projects, notes and
// the comments of a master record). Each sheet is a record set, declared
// with the fields the sheet and its delimited export offer, and a layout
// built from that record set's rows; the Print*Sheet entries of output.h
// join the two with the output choice.

#include "output/report.h"
#include "output/reportframe.h"

#include <QDate>
#include <QString>

#include <memory>

namespace zdb {
class Query;
class RecordSet;
class Table;
}

namespace zrep {

// Width of the framed title block in every data sheet.
constexpr double SheetTitleBlockWidth = 205;

// The record sets, on Db1, set up but not opened. An identifier of -1 means
// every record under the given filter (and filtered switch); any other one
// selects that record alone. The order applies in both cases.
std::unique_ptr<zdb::Table> taskSheetRecordSet(int taskId, const QString &filter, bool filtered,
                                               const QString &order,
                                               const QVariantList &filterParams = {});
std::unique_ptr<zdb::Query> calendarSheetRecordSet(const QDate &first, const QDate &last);
std::unique_ptr<zdb::Table> customerSheetRecordSet(int customerId, const QString &filter, bool filtered,
                                                   const QString &order,
                                               const QVariantList &filterParams = {});
std::unique_ptr<zdb::Table> productSheetRecordSet(int productId, const QString &filter, bool filtered,
                                                  const QString &order,
                                               const QVariantList &filterParams = {});
std::unique_ptr<zdb::Table> projectSheetRecordSet(int projectId, const QString &filter, bool filtered,
                                                  const QString &order,
                                               const QVariantList &filterParams = {});
std::unique_ptr<zdb::Table> noteSheetRecordSet(int noteId, const QString &filter, bool filtered,
                                               const QString &order,
                                               const QVariantList &filterParams = {});
// Comments of a customer (link kind 0), product (1) or project (2), oldest
// first; nullptr for any other kind.
std::unique_ptr<zdb::Query> commentSheetRecordSet(int linkKind, int ownerId);

// "2008.03.01 - 2008.03.31"
QString calendarSheetSubtitle(const QDate &first, const QDate &last);

// The layouts of every row of an open record set of the matching kind above,
// read by row index (the current row does not move).
ReportLayout makeTaskSheet(const zdb::RecordSet &rs, const ReportOwner &owner);
// Grouped by `datum`: the rows are expected in date order.
ReportLayout makeCalendarSheet(const zdb::RecordSet &rs, const QString &subtitle, const ReportOwner &owner);
ReportLayout makeCustomerSheet(const zdb::RecordSet &rs, const ReportOwner &owner);
ReportLayout makeProductSheet(const zdb::RecordSet &rs, const ReportOwner &owner);
ReportLayout makeProjectSheet(const zdb::RecordSet &rs, const ReportOwner &owner);
ReportLayout makeNoteSheet(const zdb::RecordSet &rs, const ReportOwner &owner);
ReportLayout makeCommentSheet(const zdb::RecordSet &rs, const QString &subtitle, const ReportOwner &owner);

} // namespace zrep

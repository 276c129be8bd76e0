#pragma once

// The output entries: mail hand-off, HTML and delimited export, list
// printing and data sheets. Every list window calls the same entries with
// its own grid and record set.

#include <QDate>
#include <QString>

class DataGrid;
namespace zdb {
class RecordSet;
}

// Hands a prefilled message to the desktop mail client. -1 when no hand-off
// program exists; otherwise the hand-off's own result (0 = success).
int SendMail(const QString &subject, const QString &body, const QString &attachment, const QString &toAddress,
             const QString &toName, const QString &fromAddress, const QString &fromName);

// The grid as an HTML page, through the export dialog.
void ExportGridToHtml(DataGrid *grid, const QString &title, const QString &subtitle);

// The record set as delimited text, through the export dialog.
void ExportDelimited(zdb::RecordSet *recordSet);

// The grid as a printed list (print = true) or in the preview window.
void PrintGrid(DataGrid *grid, bool print, bool portrait, const QString &subtitle, const QString &sumField, int fontSize,
               const QString &title);

// "Nyomtatás típusa": 0 preview, 1 print, 2 delimited export, -1 cancelled.
int ChooseReportOutput();

// Data sheets; -1 as identifier means every record of the list.
void PrintTaskSheet(int taskId);
void PrintCalendarSheet(const QDate &first, const QDate &last);
void PrintCustomerSheet(int customerId, const QString &filter, bool filtered, const QString &order,
                        const QVariantList &filterParams = {});
void PrintProductSheet(int productId, const QString &filter, bool filtered, const QString &order,
                        const QVariantList &filterParams = {});
void PrintProjectSheet(int projectId, const QString &filter, bool filtered, const QString &order,
                        const QVariantList &filterParams = {});
void PrintNoteSheet(int noteId, const QString &filter, bool filtered, const QString &order,
                        const QVariantList &filterParams = {});
void PrintCommentSheet(int linkKind, int ownerId, const QString &subtitle, bool print);


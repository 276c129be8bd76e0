#pragma once

// The output entries: list printing and data sheets. Every list calls the
// same entries with its own columns and record set (DataGrid::shape()). The
// dialogs that ask how (the delimited and HTML export, "Nyomtatás típusa")
// live in the program's top layer and reach the engines from there; a data
// sheet asks through the output host (output/outputhost.h).

#include <QDate>
#include <QString>
#include <QVariantList>

struct ListShape;

// The list as a printed list (print = true) or in the preview window.
void PrintGrid(const ListShape &list, bool print, bool portrait, const QString &subtitle, const QString &sumField,
               int fontSize, const QString &title);

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

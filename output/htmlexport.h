#pragma once

// A list written as a static HTML page (Windows-1250, CR LF). The dialog
// "HTML export" (app/htmlexportdialog.h) asks where and runs it.

#include <QByteArray>
#include <QDateTime>
#include <QString>

struct ListShape;

// A column's width as a whole percentage of the grid's width, halves going
// to the even neighbour (12.5 -> 12, 13.5 -> 14); 0 for a grid of no width.
int HtmlColumnPercent(int columnWidth, int gridWidth);

// Text as it goes into the page: HTML-escaped (& < > "), line breaks as
// <br>, converted to Windows-1250 (characters outside it become "?").
QByteArray HtmlPageText(QStringView text);

// The whole page of the list, stamped with the given time. The record set's
// current row is the same afterwards.
QByteArray GridHtmlPage(const ListShape &list, const QString &title, const QString &subtitle,
                        const QDateTime &stamp = QDateTime::currentDateTime());

// Writes the page to path, replacing an existing file. The file is written
// completely or not at all; a failure throws zdb::Error saying why.
void WriteGridHtml(const ListShape &list, const QString &title, const QString &subtitle, const QString &path);

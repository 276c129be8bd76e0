#pragma once

// The page frame every report of the program shares: a page header with the
// heading title, the subtitle and the owner's block, and a page footer with
// the program's name, the print time, the report's title, the page number,
// the publisher's address and the report's identifier.
//
//   zrep::ReportFrame frame;
//   frame.heading = frame.footerTitle = "Feladatok";
//   frame.identifier = "qrFeladat";
//   frame.leftBlockWidth = 205;
//   frame.owner = zrep::ReportOwner::load();
//   zrep::ReportBand header = zrep::makePageHeader(builder, frame);
//   header.text(0, zrep::ColumnTitleTop, 65, 13, "dátum", f8);   // column titles
//   builder.setPageHeader(header);
//   builder.setPageFooter(zrep::makePageFooter(builder, frame));

#include "output/report.h"

#include <QDateTime>

namespace zrep {

constexpr double PageHeaderHeight = 91;
constexpr double PageFooterHeight = 44;
constexpr double ColumnTitleTop = 72;   // column titles in the page header
constexpr double LineHeight = 13;       // one line of 8-9 pt text
constexpr double OwnerBlockWidth = 177;
constexpr double TitleBlockHeight = 61;

// The publisher's web address in the footer.
QString publisherAddress();

// The owner's data from the first row of `tulajdonos`; all empty when the
// table has no row. Reads the open database on its own record set.
struct ReportOwner
{
    QString name;          // tulajdonos
    QString postcodeCity;  // irsz + " " + varos, each empty when null
    QString address;       // cim
    QString phone;         // telefon

    static ReportOwner load();
};

struct ReportFrame
{
    QString heading;                 // heading title, top left
    QString headingFamily;           // empty: the sans-serif default
    QString subtitle;                // may be empty
    double subtitleTop = 28;
    double subtitlePointSize = 9;
    bool subtitleBold = true;
    double subtitleWidth = 225;      // wraps to at most two lines
    double leftBlockWidth = 229;     // the framed block around the titles
    QString footerTitle;             // report's title in the footer
    QString identifier;              // report identifier in the footer, e.g. "qrGridPrint"
    ReportOwner owner;
    QDateTime printedAt = QDateTime::currentDateTime();
};

// The page header band (91 units, grey 2-unit rule along its bottom). The
// caller adds its column titles at ColumnTitleTop before setting it.
ReportBand makePageHeader(ReportBuilder &builder, const ReportFrame &frame);
// The page footer band (44 units, grey rule along its top).
ReportBand makePageFooter(ReportBuilder &builder, const ReportFrame &frame);
// Both at once, with `columnTitles` (items at band-relative positions)
// merged into the header. Also sets the builder's title to the footer title.
void applyFrame(ReportBuilder &builder, const ReportFrame &frame, const ReportBand &columnTitles = ReportBand());

} // namespace zrep

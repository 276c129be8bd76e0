// Layouts of the task, calendar, note and comment sheets.

#include "output/sheetskit.h"

#include "db/recordset.h"

namespace zrep {

using sheets::Line1;
using sheets::Line2;
using sheets::Line3;
using sheets::SheetBuilder;

ReportLayout makeTaskSheet(const zdb::RecordSet &rs, const ReportOwner &owner)
{
    SheetBuilder s(rs, {QStringLiteral("Feladatok"), QStringLiteral("qrFeladat"), {}}, owner);
    const FontId f8 = s.font(ReportFont::sans(8));
    const FontId desc = s.font(ReportFont::fixed(9));

    s.title(0, 65, QStringLiteral("dátum/elkészült"), f8);
    s.title(68, 65, QStringLiteral("határidő"), f8);
    s.title(136, 213, QStringLiteral("rövid"), f8);
    s.title(352, 153, QStringLiteral("ügyfél"), f8);
    s.finishFrame();

    const int datum = s.field(QStringLiteral("datum")), hatid = s.field(QStringLiteral("dat_hatid")),
              rovid = s.field(QStringLiteral("rovid")), leiras = s.field(QStringLiteral("leiras")),
              ugyfel = s.field(QStringLiteral("ugyfel_nev")), termek = s.field(QStringLiteral("termek_nev")),
              projekt = s.field(QStringLiteral("projekt_nev")), kesz = s.field(QStringLiteral("kesz")),
              datKesz = s.field(QStringLiteral("dat_kesz"));

    for (int row = 0, n = s.rowCount(); row < n; ++row) {
        const QString text = s.description(row, leiras);
        ReportBand band = sheets::detailBand(text.isEmpty() ? 36 : 52);
        s.cell(band, 0, Line1, 65, row, datum, f8);
        s.cell(band, 68, Line1, 65, row, hatid, f8);
        s.cell(band, 136, Line1, 213, row, rovid, f8);
        s.cell(band, 352, Line1, 153, row, ugyfel, f8);
        s.statusIcon(band, 552, 2, row, kesz);

        s.cell(band, 0, Line2, 65, row, datKesz, f8);
        SheetBuilder::label(band, 68, Line2, 65, QStringLiteral("termék"), f8);
        s.cell(band, 136, Line2, 145, row, termek, f8);
        SheetBuilder::label(band, 284, Line2, 65, QStringLiteral("projekt"), f8);
        s.cell(band, 352, Line2, 153, row, projekt, f8);

        if (!text.isEmpty())
            SheetBuilder::addDescription(band, 8, Line3, 565, text, desc);
        s.builder().addDetail(band);
    }
    return s.paginate();
}

QString calendarSheetSubtitle(const QDate &first, const QDate &last)
{
    const QString format = QStringLiteral("yyyy.MM.dd");
    return first.toString(format) + QStringLiteral(" - ") + last.toString(format);
}

ReportLayout makeCalendarSheet(const zdb::RecordSet &rs, const QString &subtitle, const ReportOwner &owner)
{
    SheetBuilder s(rs, {QStringLiteral("Naptár"), QStringLiteral("qrNaptar"), subtitle}, owner);
    const FontId f8 = s.font(ReportFont::sans(8));
    const FontId f8b = s.font(ReportFont::sans(8, true));
    const FontId day = s.font(ReportFont::sans(11, true));
    const FontId desc = s.font(ReportFont::fixed(9));

    s.title(28, 25, QStringLiteral("óra"), f8);
    s.title(56, 153, QStringLiteral("rövid"), f8);
    s.title(212, 109, QStringLiteral("ügyfél"), f8);
    s.title(324, 109, QStringLiteral("projekt"), f8);
    s.title(436, 109, QStringLiteral("termék"), f8);
    s.finishFrame();

    const int datum = s.field(QStringLiteral("datum")), ora = s.field(QStringLiteral("ora")),
              rovid = s.field(QStringLiteral("rovid")), leiras = s.field(QStringLiteral("leiras")),
              ugyfel = s.field(QStringLiteral("ugyfel_nev")), termek = s.field(QStringLiteral("termek_nev")),
              projekt = s.field(QStringLiteral("projekt_nev")), kesz = s.field(QStringLiteral("kesz"));
    const double width = s.builder().width();

    QString currentDay;
    for (int row = 0, n = s.rowCount(); row < n; ++row) {
        const QString dayText = rs.displayTextAt(row, datum);
        if (row == 0 || dayText != currentDay) {
            currentDay = dayText;
            ReportBand group(24);
            group.bottomRule = 1;
            group.ruleColor = 0xff404040;
            group.text(4, 4, width - 4, 16, dayText, day);
            s.builder().addGroupHeader(group);
        }

        const QString text = s.description(row, leiras);
        ReportBand band = sheets::detailBand(text.isEmpty() ? 20 : 36);
        s.statusIcon(band, 4, 2, row, kesz);
        s.cell(band, 28, Line1, 25, row, ora, f8b);
        s.cell(band, 56, Line1, 153, row, rovid, f8);
        s.cell(band, 212, Line1, 109, row, ugyfel, f8);
        s.cell(band, 324, Line1, 109, row, projekt, f8);
        s.cell(band, 436, Line1, 109, row, termek, f8);
        if (!text.isEmpty())
            SheetBuilder::addDescription(band, 32, Line2, 533, text, desc);
        s.builder().addDetail(band);
    }
    return s.paginate();
}

ReportLayout makeNoteSheet(const zdb::RecordSet &rs, const ReportOwner &owner)
{
    SheetBuilder s(rs, {QStringLiteral("Jegyzetek"), QStringLiteral("qrJegyzet"), {}}, owner);
    const FontId f9 = s.font(ReportFont::sans(9));
    const FontId desc = s.font(ReportFont::fixed(9));

    s.title(0, 77, QStringLiteral("dátum"), f9);
    s.title(80, 93, QStringLiteral("kategória"), f9);
    s.title(176, 213, QStringLiteral("rövid"), f9);
    s.finishFrame();

    const int datum = s.field(QStringLiteral("datum")), kategoria = s.field(QStringLiteral("kategoria")),
              rovid = s.field(QStringLiteral("rovid")), szoveg = s.field(QStringLiteral("szoveg"));

    for (int row = 0, n = s.rowCount(); row < n; ++row) {
        ReportBand band = sheets::detailBand(36);
        s.cell(band, 0, Line1, 77, row, datum, f9);
        s.cell(band, 80, Line1, 93, row, kategoria, f9);
        s.cell(band, 176, Line1, 213, row, rovid, f9);
        const QString text = s.description(row, szoveg);
        if (!text.isEmpty())
            SheetBuilder::addDescription(band, 4, Line2, 565, text, desc);
        s.builder().addDetail(band);
    }
    return s.paginate();
}

ReportLayout makeCommentSheet(const zdb::RecordSet &rs, const QString &subtitle, const ReportOwner &owner)
{
    SheetBuilder s(rs, {QStringLiteral("Megjegyzések"), QStringLiteral("qrMegj"), subtitle}, owner);
    const FontId f8 = s.font(ReportFont::sans(8));
    const FontId f8b = s.font(ReportFont::sans(8, true));
    const FontId desc = s.font(ReportFont::fixed(9));

    s.title(0, 53, QStringLiteral("dátum"), f8);
    s.title(56, 293, QStringLiteral("rövid"), f8);
    s.finishFrame();

    const int datum = s.field(QStringLiteral("datum")), rovid = s.field(QStringLiteral("rovid")),
              szoveg = s.field(QStringLiteral("szoveg"));

    for (int row = 0, n = s.rowCount(); row < n; ++row) {
        const QString text = s.description(row, szoveg);
        ReportBand band = sheets::detailBand(text.isEmpty() ? 20 : 36);
        s.cell(band, 0, Line1, 53, row, datum, f8b);
        s.cell(band, 56, Line1, 293, row, rovid, f8);
        if (!text.isEmpty())
            SheetBuilder::addDescription(band, 32, Line2, 533, text, desc);
        s.builder().addDetail(band);
    }
    return s.paginate();
}

} // namespace zrep

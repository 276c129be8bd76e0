// Layouts of the customer, product and project sheets.

#include "output/sheetskit.h"

#include "db/recordset.h"

namespace zrep {

using sheets::Line1;
using sheets::Line2;
using sheets::Line3;
using sheets::SheetBuilder;

ReportLayout makeCustomerSheet(const zdb::RecordSet &rs, const ReportOwner &owner)
{
    SheetBuilder s(rs, {QStringLiteral("Ügyfelek"), QStringLiteral("qrUgyfel"), {}}, owner);
    const FontId f8 = s.font(ReportFont::sans(8));
    const FontId f8i = s.font(ReportFont::sans(8, false, true));
    const FontId note = s.font(ReportFont::fixed(8));

    s.title(0, 125, QStringLiteral("ügyfél"), f8i);
    s.title(128, 49, QStringLiteral("ügyfélkód"), f8i);
    s.title(180, 101, QStringLiteral("kapcs.tartó"), f8i);
    s.title(284, 93, QStringLiteral("telefon"), f8i);
    s.title(380, 93, QStringLiteral("fax"), f8i);
    s.title(476, 93, QStringLiteral("mobil"), f8i);
    s.finishFrame();

    const int nev = s.field(QStringLiteral("ugyfel_nev")), kod = s.field(QStringLiteral("ugyfelkod")),
              kapcs = s.field(QStringLiteral("kapcsolattarto")), telefon = s.field(QStringLiteral("telefon")),
              fax = s.field(QStringLiteral("fax")), mobil = s.field(QStringLiteral("mobil")),
              emil = s.field(QStringLiteral("emil")), irsz = s.field(QStringLiteral("irsz")),
              varos = s.field(QStringLiteral("varos")), cim = s.field(QStringLiteral("cim")),
              megj = s.field(QStringLiteral("megjegyzes"));

    for (int row = 0, n = s.rowCount(); row < n; ++row) {
        ReportBand band = sheets::detailBand(52);
        s.cell(band, 0, Line1, 125, row, nev, f8);
        s.cell(band, 128, Line1, 49, row, kod, f8);
        s.cell(band, 180, Line1, 101, row, kapcs, f8);
        s.cell(band, 284, Line1, 93, row, telefon, f8);
        s.cell(band, 380, Line1, 93, row, fax, f8);
        s.cell(band, 476, Line1, 93, row, mobil, f8);

        SheetBuilder::label(band, 12, Line2, 53, QStringLiteral("e-mail"), f8i);
        s.cell(band, 68, Line2, 145, row, emil, f8);
        SheetBuilder::label(band, 224, Line2, 53, QStringLiteral("cím"), f8i);
        s.cell(band, 280, Line2, 41, row, irsz, f8);
        s.cell(band, 324, Line2, 77, row, varos, f8);
        s.cell(band, 404, Line2, 165, row, cim, f8);

        const QString text = s.description(row, megj);
        if (!text.isEmpty())
            SheetBuilder::addDescription(band, 4, Line3, 565, text, note);
        s.builder().addDetail(band);
    }
    return s.paginate();
}

ReportLayout makeProductSheet(const zdb::RecordSet &rs, const ReportOwner &owner)
{
    SheetBuilder s(rs, {QStringLiteral("Termékek"), QStringLiteral("qrTermek"), {}}, owner);
    const FontId f8 = s.font(ReportFont::sans(8));
    const FontId f8i = s.font(ReportFont::sans(8, false, true));
    const FontId note = s.font(ReportFont::fixed(8));

    s.title(0, 125, QStringLiteral("cikkszám"), f8i);
    s.title(128, 177, QStringLiteral("termék neve"), f8i);
    s.finishFrame();

    const int cikkszam = s.field(QStringLiteral("cikkszam")), nev = s.field(QStringLiteral("termek_nev")),
              megj = s.field(QStringLiteral("megjegyzes"));

    for (int row = 0, n = s.rowCount(); row < n; ++row) {
        ReportBand band = sheets::detailBand(36);
        s.cell(band, 0, Line1, 125, row, cikkszam, f8);
        s.cell(band, 128, Line1, 177, row, nev, f8);
        const QString text = s.description(row, megj);
        if (!text.isEmpty())
            SheetBuilder::addDescription(band, 4, Line2, 565, text, note);
        s.builder().addDetail(band);
    }
    return s.paginate();
}

ReportLayout makeProjectSheet(const zdb::RecordSet &rs, const ReportOwner &owner)
{
    SheetBuilder s(rs, {QStringLiteral("Projektek"), QStringLiteral("qrProjekt"), {}}, owner);
    const FontId f8 = s.font(ReportFont::sans(8));
    const FontId f8i = s.font(ReportFont::sans(8, false, true));
    const FontId note = s.font(ReportFont::fixed(8));

    s.title(0, 221, QStringLiteral("projekt"), f8i);
    s.title(228, 77, QStringLiteral("indul"), f8i);
    s.title(308, 77, QStringLiteral("lezárva"), f8i);
    s.finishFrame();

    const int nev = s.field(QStringLiteral("projekt_nev")), indul = s.field(QStringLiteral("dat_indul")),
              lezar = s.field(QStringLiteral("dat_lezar")), megj = s.field(QStringLiteral("megjegyzes"));

    for (int row = 0, n = s.rowCount(); row < n; ++row) {
        ReportBand band = sheets::detailBand(36);
        s.cell(band, 0, Line1, 221, row, nev, f8);
        s.cell(band, 228, Line1, 77, row, indul, f8);
        s.cell(band, 308, Line1, 77, row, lezar, f8);
        const QString text = s.description(row, megj);
        if (!text.isEmpty())
            SheetBuilder::addDescription(band, 4, Line2, 565, text, note);
        s.builder().addDetail(band);
    }
    return s.paginate();
}

} // namespace zrep

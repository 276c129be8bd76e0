// The data sheets' record sets and the Print*Sheet entries: open the record
// set, ask how to produce the sheet, then preview, print or export it.

#include "output/sheets.h"

#include "output/output.h"

#include "output/outputhost.h"

#include "app/helpers/core/shared.h"
#include "db/catalog.h"
#include "db/recordset.h"

#include <functional>

namespace zrep {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The fields a sheet reads, in the order the delimited export offers them.
QStringList fieldList(const char *names)
{
    return QString::fromLatin1(names).split(QLatin1Char(' '));
}

// One record by its key, or the list's own selection.
std::unique_ptr<zdb::Table> sheetTable(const QString &table, int id, const QString &filter, bool filtered,
                                       const QString &order, const QVariantList &filterParams, const QStringList &fields)
{
    auto rs = std::make_unique<zdb::Table>(Db1(), table);
    rs->setReadOnly(true);
    zdb::DeclareFields(*rs, table, fields, zdb::FieldTitles::Names);
    if (id == -1) {
        rs->setFilter(filter, filterParams);
        rs->setFiltered(filtered);
    } else {
        rs->setFilter(table + QStringLiteral("=?"), {id});
        rs->setFiltered(true);
    }
    rs->setOrder(order);
    return rs;
}

using LayoutMaker = std::function<ReportLayout(const zdb::RecordSet &, const ReportOwner &)>;

// The sheets with the output choice. The record set is open before the
// choice, so that a failing one is reported before anything is asked.
void produceSheet(zdb::RecordSet &rs, const LayoutMaker &make)
{
    rs.open();
    const ReportOwner owner = ReportOwner::load();
    switch (CurrentOutputHost().chooseSheetOutput()) {
    case 0:
        showReport(make(rs, owner), false);
        break;
    case 1:
        showReport(make(rs, owner), true);
        break;
    case 2:
        CurrentOutputHost().exportDelimited(&rs);
        break;
    default:
        break;
    }
    rs.close();
}

} // namespace

std::unique_ptr<zdb::Table> taskSheetRecordSet(int taskId, const QString &filter, bool filtered,
                                               const QString &order, const QVariantList &filterParams)
{
    return sheetTable(QStringLiteral("dolog3"), taskId, filter, filtered, order, filterParams,
                      fieldList("dolog3 datum dat_hatid rovid leiras ugyfel termek projekt fontos fileban ugyfel_nev termek_nev projekt_nev kesz dat_kesz"));
}

std::unique_ptr<zdb::Query> calendarSheetRecordSet(const QDate &first, const QDate &last)
{
    auto rs = std::make_unique<zdb::Query>(Db1());
    zdb::DeclareFields(*rs, QStringLiteral("dolog1"), fieldList("dolog1 datum ora rovid leiras ugyfel termek projekt fontos fileban ugyfel_nev termek_nev projekt_nev dat_kesz kesz datumstr"), zdb::FieldTitles::Names);
    rs->setSql(QStringLiteral("SELECT * FROM dolog1") + kCrLf + QStringLiteral("WHERE datum BETWEEN :d1 AND :d2")
               + kCrLf + QStringLiteral("ORDER BY datum, ora;"));
    rs->setParam(QStringLiteral("d1"), first);
    rs->setParam(QStringLiteral("d2"), last);
    return rs;
}

std::unique_ptr<zdb::Table> customerSheetRecordSet(int customerId, const QString &filter, bool filtered,
                                                   const QString &order, const QVariantList &filterParams)
{
    auto rs = sheetTable(QStringLiteral("ugyfel"), customerId, filter, filtered, order, filterParams,
                         fieldList("ugyfel ugyfelkod ugyfel_nev kapcsolattarto telefon fax mobil emil irsz varos cim megjegyzes"));
    rs->fieldDef(QStringLiteral("ugyfelkod")).displayFormat = QStringLiteral("00000");
    return rs;
}

std::unique_ptr<zdb::Table> productSheetRecordSet(int productId, const QString &filter, bool filtered,
                                                  const QString &order, const QVariantList &filterParams)
{
    return sheetTable(QStringLiteral("termek"), productId, filter, filtered, order, filterParams,
                      fieldList("termek cikkszam termek_nev megjegyzes"));
}

std::unique_ptr<zdb::Table> projectSheetRecordSet(int projectId, const QString &filter, bool filtered,
                                                  const QString &order, const QVariantList &filterParams)
{
    return sheetTable(QStringLiteral("projekt"), projectId, filter, filtered, order, filterParams,
                      fieldList("projekt projekt_nev dat_indul dat_lezar lezarva megjegyzes"));
}

std::unique_ptr<zdb::Table> noteSheetRecordSet(int noteId, const QString &filter, bool filtered,
                                               const QString &order, const QVariantList &filterParams)
{
    return sheetTable(QStringLiteral("jegyzet"), noteId, filter, filtered, order, filterParams,
                      fieldList("jegyzet datum kategoria rovid szoveg"));
}

std::unique_ptr<zdb::Query> commentSheetRecordSet(int linkKind, int ownerId)
{
    static const char *const ownerColumn[] = {"ugyfel", "termek", "projekt"};
    if (linkKind < 0 || linkKind > 2)
        return nullptr;
    auto rs = std::make_unique<zdb::Query>(Db1());
    zdb::DeclareFields(*rs, QStringLiteral("megjegyzes"), fieldList("megjegyzes datum rovid ugyfel termek projekt azonstr szoveg"), zdb::FieldTitles::Names);
    rs->setSql(QStringLiteral("SELECT * FROM megjegyzes") + kCrLf + QStringLiteral("WHERE ")
               + QString::fromLatin1(ownerColumn[linkKind]) + QStringLiteral("=:owner") + kCrLf
               + QStringLiteral("ORDER BY datum;"));
    rs->setParam(QStringLiteral("owner"), ownerId);
    return rs;
}

} // namespace zrep

void PrintTaskSheet(int taskId)
{
    // "Adatlap lista" prints what the task list shows: its filter and order.
    const zdb::Table *tasks = Shared().TblFeladat;
    auto rs = zrep::taskSheetRecordSet(taskId, tasks ? tasks->filter() : QString(), tasks && tasks->filtered(),
                                       tasks ? tasks->order() : QString(), tasks ? tasks->filterParams() : QVariantList());
    zrep::produceSheet(*rs, &zrep::makeTaskSheet);
}

void PrintCalendarSheet(const QDate &first, const QDate &last)
{
    auto rs = zrep::calendarSheetRecordSet(first, last);
    const QString subtitle = zrep::calendarSheetSubtitle(first, last);
    zrep::produceSheet(*rs, [&subtitle](const zdb::RecordSet &r, const zrep::ReportOwner &owner) {
        return zrep::makeCalendarSheet(r, subtitle, owner);
    });
}

void PrintCustomerSheet(int customerId, const QString &filter, bool filtered, const QString &order, const QVariantList &filterParams)
{
    auto rs = zrep::customerSheetRecordSet(customerId, filter, filtered, order, filterParams);
    zrep::produceSheet(*rs, &zrep::makeCustomerSheet);
}

void PrintProductSheet(int productId, const QString &filter, bool filtered, const QString &order, const QVariantList &filterParams)
{
    auto rs = zrep::productSheetRecordSet(productId, filter, filtered, order, filterParams);
    zrep::produceSheet(*rs, &zrep::makeProductSheet);
}

void PrintProjectSheet(int projectId, const QString &filter, bool filtered, const QString &order, const QVariantList &filterParams)
{
    auto rs = zrep::projectSheetRecordSet(projectId, filter, filtered, order, filterParams);
    zrep::produceSheet(*rs, &zrep::makeProjectSheet);
}

void PrintNoteSheet(int noteId, const QString &filter, bool filtered, const QString &order, const QVariantList &filterParams)
{
    auto rs = zrep::noteSheetRecordSet(noteId, filter, filtered, order, filterParams);
    zrep::produceSheet(*rs, &zrep::makeNoteSheet);
}

void PrintCommentSheet(int linkKind, int ownerId, const QString &subtitle, bool print)
{
    auto rs = zrep::commentSheetRecordSet(linkKind, ownerId);
    if (!rs)
        return;
    rs->open();
    const zrep::ReportOwner owner = zrep::ReportOwner::load();
    const zrep::ReportLayout layout = zrep::makeCommentSheet(*rs, subtitle, owner);
    rs->close();
    zrep::showReport(layout, print);
}

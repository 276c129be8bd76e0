// The data sheets' record sets and the Print*Sheet entries: open the record
// set, ask how to produce the sheet, then preview, print or export it.

#include "output/sheets.h"

#include "output/output.h"

#include "app/helpers/appcore.h"
#include "db/recordset.h"

#include <functional>

namespace zrep {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Field declarations: name, kind and length; the order is the order the
// delimited export offers them in.
struct FieldSpec
{
    const char *name;
    char kind;   // 'i' integer, 'd' date, 't' text
    int size;
};

void declare(zdb::RecordSet &rs, std::initializer_list<FieldSpec> fields)
{
    for (const FieldSpec &f : fields) {
        const QString name = QString::fromLatin1(f.name);
        switch (f.kind) {
        case 'i': rs.addInteger(name); break;
        case 'd': rs.addDate(name); break;
        default: rs.addText(name, f.size); break;
        }
    }
}

// One record by its key, or the list's own selection.
std::unique_ptr<zdb::Table> sheetTable(const QString &table, int id, const QString &filter, bool filtered,
                                       const QString &order, std::initializer_list<FieldSpec> fields)
{
    auto rs = std::make_unique<zdb::Table>(Db1(), table);
    rs->setReadOnly(true);
    declare(*rs, fields);
    if (id == -1) {
        rs->setFilter(filter);
        rs->setFiltered(filtered);
    } else {
        rs->setFilter(table + QLatin1Char('=') + QString::number(id));
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
    switch (ChooseReportOutput()) {
    case 0:
        showReport(make(rs, owner), false);
        break;
    case 1:
        showReport(make(rs, owner), true);
        break;
    case 2:
        ExportDelimited(&rs);
        break;
    default:
        break;
    }
    rs.close();
}

} // namespace

std::unique_ptr<zdb::Table> taskSheetRecordSet(int taskId, const QString &filter, bool filtered,
                                               const QString &order)
{
    return sheetTable(QStringLiteral("dolog3"), taskId, filter, filtered, order,
                      {{"dolog3", 'i', 0},
                       {"datum", 'd', 0},
                       {"dat_hatid", 'd', 0},
                       {"rovid", 't', 50},
                       {"leiras", 't', 2048},
                       {"ugyfel", 'i', 0},
                       {"termek", 'i', 0},
                       {"projekt", 'i', 0},
                       {"fontos", 'i', 0},
                       {"fileban", 't', 255},
                       {"ugyfel_nev", 't', 75},
                       {"termek_nev", 't', 75},
                       {"projekt_nev", 't', 75},
                       {"kesz", 't', 1},
                       {"dat_kesz", 'd', 0}});
}

std::unique_ptr<zdb::Query> calendarSheetRecordSet(const QDate &first, const QDate &last)
{
    auto rs = std::make_unique<zdb::Query>(Db1());
    declare(*rs, {{"dolog1", 'i', 0},
                  {"datum", 'd', 0},
                  {"ora", 'i', 0},
                  {"rovid", 't', 50},
                  {"leiras", 't', 2048},
                  {"ugyfel", 'i', 0},
                  {"termek", 'i', 0},
                  {"projekt", 'i', 0},
                  {"fontos", 'i', 0},
                  {"fileban", 't', 255},
                  {"ugyfel_nev", 't', 75},
                  {"termek_nev", 't', 75},
                  {"projekt_nev", 't', 75},
                  {"dat_kesz", 'd', 0},
                  {"kesz", 't', 1},
                  {"datumstr", 't', 8}});
    rs->setSql(QStringLiteral("SELECT * FROM dolog1") + kCrLf + QStringLiteral("WHERE datum BETWEEN :d1 AND :d2")
               + kCrLf + QStringLiteral("ORDER BY datum, ora;"));
    rs->setParam(QStringLiteral("d1"), first);
    rs->setParam(QStringLiteral("d2"), last);
    return rs;
}

std::unique_ptr<zdb::Table> customerSheetRecordSet(int customerId, const QString &filter, bool filtered,
                                                   const QString &order)
{
    auto rs = sheetTable(QStringLiteral("ugyfel"), customerId, filter, filtered, order,
                         {{"ugyfel", 'i', 0},
                          {"ugyfelkod", 'i', 0},
                          {"ugyfel_nev", 't', 75},
                          {"kapcsolattarto", 't', 50},
                          {"telefon", 't', 25},
                          {"fax", 't', 25},
                          {"mobil", 't', 25},
                          {"emil", 't', 75},
                          {"irsz", 't', 6},
                          {"varos", 't', 25},
                          {"cim", 't', 50},
                          {"megjegyzes", 't', 255}});
    rs->fieldDef(QStringLiteral("ugyfelkod")).displayFormat = QStringLiteral("00000");
    return rs;
}

std::unique_ptr<zdb::Table> productSheetRecordSet(int productId, const QString &filter, bool filtered,
                                                  const QString &order)
{
    return sheetTable(QStringLiteral("termek"), productId, filter, filtered, order,
                      {{"termek", 'i', 0}, {"cikkszam", 't', 15}, {"termek_nev", 't', 50}, {"megjegyzes", 't', 255}});
}

std::unique_ptr<zdb::Table> projectSheetRecordSet(int projectId, const QString &filter, bool filtered,
                                                  const QString &order)
{
    return sheetTable(QStringLiteral("projekt"), projectId, filter, filtered, order,
                      {{"projekt", 'i', 0},
                       {"projekt_nev", 't', 50},
                       {"dat_indul", 'd', 0},
                       {"dat_lezar", 'd', 0},
                       {"lezarva", 't', 1},
                       {"megjegyzes", 't', 255}});
}

std::unique_ptr<zdb::Table> noteSheetRecordSet(int noteId, const QString &filter, bool filtered,
                                               const QString &order)
{
    return sheetTable(QStringLiteral("jegyzet"), noteId, filter, filtered, order,
                      {{"jegyzet", 'i', 0},
                       {"datum", 'd', 0},
                       {"kategoria", 't', 25},
                       {"rovid", 't', 50},
                       {"szoveg", 't', 4096}});
}

std::unique_ptr<zdb::Query> commentSheetRecordSet(int linkKind, int ownerId)
{
    static const char *const ownerColumn[] = {"ugyfel", "termek", "projekt"};
    if (linkKind < 0 || linkKind > 2)
        return nullptr;
    auto rs = std::make_unique<zdb::Query>(Db1());
    declare(*rs, {{"megjegyzes", 'i', 0},
                  {"datum", 'd', 0},
                  {"rovid", 't', 100},
                  {"ugyfel", 'i', 0},
                  {"termek", 'i', 0},
                  {"projekt", 'i', 0},
                  {"azonstr", 't', 75},
                  {"szoveg", 't', 4096}});
    rs->setSql(QStringLiteral("SELECT * FROM megjegyzes") + kCrLf + QStringLiteral("WHERE ")
               + QString::fromLatin1(ownerColumn[linkKind]) + QLatin1Char('=') + QString::number(ownerId) + kCrLf
               + QStringLiteral("ORDER BY datum;"));
    return rs;
}

} // namespace zrep

void PrintTaskSheet(int taskId)
{
    // "Adatlap lista" prints what the task list shows: its filter and order.
    const zdb::Table *tasks = Shared().TblFeladat;
    auto rs = zrep::taskSheetRecordSet(taskId, tasks ? tasks->filter() : QString(), tasks && tasks->filtered(),
                                       tasks ? tasks->order() : QString());
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

void PrintCustomerSheet(int customerId, const QString &filter, bool filtered, const QString &order)
{
    auto rs = zrep::customerSheetRecordSet(customerId, filter, filtered, order);
    zrep::produceSheet(*rs, &zrep::makeCustomerSheet);
}

void PrintProductSheet(int productId, const QString &filter, bool filtered, const QString &order)
{
    auto rs = zrep::productSheetRecordSet(productId, filter, filtered, order);
    zrep::produceSheet(*rs, &zrep::makeProductSheet);
}

void PrintProjectSheet(int projectId, const QString &filter, bool filtered, const QString &order)
{
    auto rs = zrep::projectSheetRecordSet(projectId, filter, filtered, order);
    zrep::produceSheet(*rs, &zrep::makeProjectSheet);
}

void PrintNoteSheet(int noteId, const QString &filter, bool filtered, const QString &order)
{
    auto rs = zrep::noteSheetRecordSet(noteId, filter, filtered, order);
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

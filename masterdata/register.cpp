#include "masterdata/entries.h"

#include "masterdata/customerlist.h"
#include "masterdata/productlist.h"
#include "masterdata/projectlist.h"

#include "app/helpers/appcore.h"
#include "app/helpers/core/common.h"
#include "app/helpers/listwindow.h"
#include "output/output.h"

void RegisterMasterDataWindows()
{
    RegisterListKind({.kind = KindCustomers, .title = QStringLiteral("Ügyfelek"), .iconName = QStringLiteral("ugyfel"),
                      .actionName = QStringLiteral("aUgyfel"), .trayActionName = QStringLiteral("aTrUgyfel"),
                      .group = MenuGroup::Adatok, .place = 0,
                      .factory = [](QWidget *) -> QWidget * { return new Tfrm_Ugyfel; },
                      .idField = QStringLiteral("ugyfel"),
                      .printSheet = [](const SheetRequest &r) { PrintCustomerSheet(r.id, r.filter, r.filtered, r.order, r.filterParams); },
                      // To the current customer; the placeholders are for the user to overwrite.
                      .mailDraft = [](ListWindow *w) {
                          const zdb::RecordSet *rs = w->listRecordSet();
                          return MailDraft{QStringLiteral("<tárgysor>"), QStringLiteral("<levéltörzs>"),
                                           CurrentRowText(rs, QStringLiteral("emil")),
                                           CurrentRowText(rs, QStringLiteral("ugyfel_nev"))};
                      }});
    RegisterListKind({.kind = KindProducts, .title = QStringLiteral("Termékek"), .iconName = QStringLiteral("termek"),
                      .actionName = QStringLiteral("aTermek"), .trayActionName = QStringLiteral("aTrTermek"),
                      .group = MenuGroup::Adatok, .place = 1,
                      .factory = [](QWidget *) -> QWidget * { return new Tfrm_Termek; },
                      .idField = QStringLiteral("termek"),
                      .printSheet = [](const SheetRequest &r) { PrintProductSheet(r.id, r.filter, r.filtered, r.order, r.filterParams); }});
    RegisterListKind({.kind = KindProjects, .title = QStringLiteral("Projektek"), .iconName = QStringLiteral("projekt"),
                      .actionName = QStringLiteral("aProjekt"), .trayActionName = QStringLiteral("aTrProjekt"),
                      .group = MenuGroup::Adatok, .place = 2,
                      .factory = [](QWidget *) -> QWidget * { return new Tfrm_Projekt; },
                      .idField = QStringLiteral("projekt"),
                      .printSheet = [](const SheetRequest &r) { PrintProjectSheet(r.id, r.filter, r.filtered, r.order, r.filterParams); }});
}

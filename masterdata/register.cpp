#include "masterdata/entries.h"

#include "masterdata/customerlist.h"
#include "masterdata/productlist.h"
#include "masterdata/projectlist.h"

#include "app/helpers/listwindow.h"

void RegisterMasterDataWindows()
{
    RegisterListWindow(KindCustomers, [](QWidget *) -> QWidget * { return new Tfrm_Ugyfel; });
    RegisterListWindow(KindProducts, [](QWidget *) -> QWidget * { return new Tfrm_Termek; });
    RegisterListWindow(KindProjects, [](QWidget *) -> QWidget * { return new Tfrm_Projekt; });
}

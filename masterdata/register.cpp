#include "masterdata/entries.h"

#include "masterdata/customerlist.h"

#include "app/helpers/listwindow.h"

void RegisterMasterDataWindows()
{
    RegisterListWindow(KindCustomers, [](QWidget *) -> QWidget * { return new Tfrm_Ugyfel; });
}

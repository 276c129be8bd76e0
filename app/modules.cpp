#include "app/modules.h"

#include "masterdata/entries.h"
#include "scheduling/entries.h"
#include "app/listcommands.h"

void RegisterModules()
{
    RegisterSchedulingWindows();
    RegisterMasterDataWindows();
    RegisterListCommands();
}

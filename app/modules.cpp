#include "app/modules.h"

#include "scheduling/entries.h"
#include "app/listcommands.h"

void RegisterModules()
{
    RegisterSchedulingWindows();
    RegisterListCommands();
}

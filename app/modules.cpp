#include "modules.h"

#include "entries.h"
#include "output.h"

void RegisterModules()
{
    RegisterSchedulingWindows();
    RegisterOutputCommands();
}

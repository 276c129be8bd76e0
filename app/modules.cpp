#include "modules.h"

#include "entries.h"

void RegisterModules()
{
    RegisterSchedulingWindows();
}

#include "entries.h"

void RegisterSchedulingWindows()
{
    // Each scheduling window registers its factory with the main window here.
}

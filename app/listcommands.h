#pragma once

// Which output entry each of the main window's list commands calls for which
// window kind: the program is assembled here, so the output library stays a
// leaf that knows no window.
void RegisterListCommands();

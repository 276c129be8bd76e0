#pragma once

// The main window's list commands for the active list window: the output
// entries get the grid, record set, title and orientation that the window's
// kind registered, and the data sheets are the ones its module registered,
// so the output library stays a leaf that knows no window.
void RegisterListCommands();

// Hands the output engines to the list dialogs of the UI layer (print,
// preview, delimited and HTML export). RegisterListCommands does it too; the
// main window does it when created, so a dialog never finds them missing.
void InstallListOutput();

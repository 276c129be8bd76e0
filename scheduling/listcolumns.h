#pragma once

// Grid columns shared by the task and calendar lists: the picture columns of
// priority, status and done flag (the plain text columns are the UI layer's
// TextColumn).

#include "app/helpers/fieldcolumn.h"

// One picture wide: the 16-pixel picture, its one-pixel inset and the grid line.
constexpr int PictureColumnWidth = 20;

GridColumn PriorityColumn();   // `fontos`, "!"
GridColumn StatusColumn();     // `statusz`, "!"
GridColumn DoneColumn();       // `kesz`, "?"

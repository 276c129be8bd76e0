#pragma once

// Grid columns shared by the task and calendar lists: the picture columns of
// priority, status and done flag, and text columns that sort by a sort key.

#include "app/helpers/recordsetmodel.h"

// One picture wide: the 16-pixel picture, its one-pixel inset and the grid line.
constexpr int PictureColumnWidth = 20;

GridColumn PriorityColumn();   // `fontos`, "!"
GridColumn StatusColumn();     // `statusz`, "!"
GridColumn DoneColumn();       // `kesz`, "?"
// A plain column; sortKey names the sort-key column its title click orders by.
GridColumn TextColumn(const QString &field, const QString &title, const QString &sortKey = {},
                      Qt::Alignment alignment = Qt::AlignLeft);

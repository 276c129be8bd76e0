#pragma once

// Grid columns shared by the customer, product and project lists.

#include "app/helpers/recordsetmodel.h"

// The comment marker `vanmegj`, titled "!", 18 pixels: a small dark-red cross
// for "N", a note sheet with a red pin for every other value (empty included).
GridColumn CommentMarkerColumn();

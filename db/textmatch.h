#pragma once

#include "db/codec.h"

struct sqlite3;

namespace zdb {

// Gives the connection its own LIKE and GLOB. SQLite's built-in ones read
// the stored Windows-1250 bytes as UTF-8, so every accented letter becomes
// the same broken character and they all match each other. These read the
// text in the connection's encoding: a letter matches only itself, and for
// LIKE its other case too, for every letter the code page holds.
// Also the collating sequence "hungarian": names ordered by their folded sort
// key, as the lists order them (Ábel before Béla, not after Zoltán), ties by
// the text itself, so that drop-downs and pickers order the same way.
// `encoding` must outlive the handle.
void registerTextMatch(sqlite3 *db, const Encoding *encoding);

} // namespace zdb

#pragma once

#include <QString>

namespace zdb {

// The accent- and case-folded form by which the lists sort names: upper case,
// with the Hungarian accented vowels folded to their plain letters. Letter by
// letter, so the key keeps the text's length.
QString foldSortKey(const QString &text);

} // namespace zdb

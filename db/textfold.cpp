#include "db/textfold.h"

namespace zdb {

QString foldSortKey(const QString &text)
{
    // ß stays ß instead of growing into SS and overflowing the key column.
    QString key = text;
    for (QChar &c : key) {
        c = c.toUpper();
        switch (c.unicode()) {
        case 0x00C1: c = QLatin1Char('A'); break;              // Á
        case 0x00C9: c = QLatin1Char('E'); break;              // É
        case 0x00CD: c = QLatin1Char('I'); break;              // Í
        case 0x00D3: case 0x00D6: case 0x0150:                 // Ó Ö Ő
            c = QLatin1Char('O'); break;
        case 0x00DA: case 0x00DC: case 0x0170:                 // Ú Ü Ű
            c = QLatin1Char('U'); break;
        default: break;
        }
    }
    return key;
}

} // namespace zdb

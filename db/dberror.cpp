#include "db/dberror.h"

#include <sqlite3.h>

namespace zdb {

QString RowConflict::messageOf(Kind kind)
{
    return kind == Kind::Deleted ? QStringLiteral("Egy másik felhasználó időközben törölte ezt a rekordot.")
                                 : QStringLiteral("Egy másik felhasználó időközben módosította ezt a rekordot.");
}

QString sqliteExplanation(int resultCode)
{
    // Extended codes (SQLITE_BUSY_SNAPSHOT, SQLITE_READONLY_DBMOVED...) carry
    // their primary code in the low byte.
    switch (resultCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("Az adatbázist most egy másik program használja. Próbálja újra egy kicsit később.");
    case SQLITE_READONLY:
        return QStringLiteral("Az adatbázis csak olvasható, a változás nem menthető. "
                              "Ellenőrizze, hogy a fájl és a mappája írható-e.");
    case SQLITE_NOTADB:
        return QStringLiteral("A megadott fájl nem adatbázis. "
                              "Ellenőrizze az adatbázis elérési útját a beállításokban.");
    case SQLITE_FULL:
        return QStringLiteral("Megtelt a lemez, a változás nem menthető. "
                              "Szabadítson fel helyet, majd próbálja újra.");
    case SQLITE_CORRUPT:
        return QStringLiteral("Az adatbázis megsérült. Állítsa vissza egy biztonsági mentésből.");
    case SQLITE_IOERR:
        return QStringLiteral("Az adatbázisfájl olvasása vagy írása nem sikerült (lemez- vagy hálózati hiba).");
    case SQLITE_CANTOPEN:
        return QStringLiteral("Az adatbázisfájl nem nyitható meg. "
                              "Ellenőrizze, hogy a fájl és a mappája elérhető és írható-e.");
    default:
        return {};
    }
}

QString sqliteErrorText(int resultCode, const QString &sqliteMessage)
{
    const QString explanation = sqliteExplanation(resultCode);
    if (explanation.isEmpty())
        return sqliteMessage;
    // SQLite's text stays: it is what a helper or a search engine knows.
    return explanation + QLatin1Char('\n') + sqliteMessage;
}

QString errorDisplayText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

} // namespace zdb

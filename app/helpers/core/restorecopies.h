#pragma once

// Restore copies of the database: taken before anything large happens (a
// CSV import, the first writing statement of an SQL console session, a
// restore) and once a day when the program closes, into the folder of the
// copies ("Backup" under the program folder unless another one is chosen in
// "Beállítások"). Each copy is checked once written and has a small record
// beside it ("<copy>.ini"): the database it was taken of (its identity and
// path), when, why, its order number and the check's verdict. Per database
// the newest ten event copies and seven daily copies are kept, and one daily
// copy a week for the last nine weeks; the newest sound copy, and a copy
// about to be restored, are never removed, and damaged copies never push
// sound ones out.

#include <QDateTime>
#include <QList>
#include <QString>

namespace zdb {
class Connection;
}

enum class CopyCause { Import, Sql, Restore, Daily };

// Which database a copy belongs to: the identity in its header when both
// sides have one, else its path.
struct DatabaseKey
{
    QString path;
    quint32 identity = 0;
};
DatabaseKey KeyOfDatabase(zdb::Connection *db);   // gives the database its identity when it has none
DatabaseKey KeyOfFile(const QString &path);       // read from the file's header, if it has one

struct RestoreCopy
{
    QString path;
    QDateTime taken;          // local time
    CopyCause cause = CopyCause::Daily;
    qint64 size = 0;
    qint64 serial = 0;        // order of taking; the clock may go back, this does not
    bool checked = false;     // copies of older versions carry no verdict
    bool sound = false;
    QString database;         // the database's path when the copy was taken; empty when unknown
    quint32 identity = 0;
};
bool CopyBelongsTo(const RestoreCopy &copy, const DatabaseKey &key);

QString RestoreCopyFolder();                      // the chosen folder, else ProgramDir/Backup
void SetRestoreCopyFolder(const QString &folder); // empty: the default
QString ChosenRestoreCopyFolder();                // what was set; empty for the default
QString CopyCauseName(CopyCause cause);           // "CSV betöltés előtt", ...

// Takes a checked copy of the open database now and prunes that database's
// copies, never removing `keep`; returns the copy's path. Throws zdb::Error.
QString MakeRestoreCopy(zdb::Connection *db, CopyCause cause, const QString &keep = {});
// The daily copy when none of this database was taken today; then pruning.
void MakeDailyCopy(zdb::Connection *db);
// Every copy in the folder, newest first.
QList<RestoreCopy> RestoreCopies();
// The copies of one database, newest first.
QList<RestoreCopy> RestoreCopiesOf(const DatabaseKey &key);

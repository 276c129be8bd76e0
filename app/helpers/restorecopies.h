#pragma once

// Restore copies of the database: taken before anything large happens (a
// CSV import, the first writing statement of an SQL console session, a
// restore) and once a day when the program closes, into the folder
// "Backup" under the program folder. The newest ten event copies and the
// daily copies of the last seven days are kept.

#include <QDateTime>
#include <QList>
#include <QString>

namespace zdb {
class Connection;
}

enum class CopyCause { Import, Sql, Restore, Daily };

struct RestoreCopy
{
    QString path;
    QDateTime taken;
    CopyCause cause = CopyCause::Daily;
    qint64 size = 0;
    int sequence = 1;    // copies taken within one second are numbered
};

QString RestoreCopyFolder();                 // ProgramDir/Backup
QString CopyCauseName(CopyCause cause);      // "CSV betöltés előtt", ...

// Takes a copy of the open database now; returns its path. Throws zdb::Error.
QString MakeRestoreCopy(zdb::Connection *db, CopyCause cause);
// The daily copy when none was taken today; old ones beyond seven days go.
void MakeDailyCopy(zdb::Connection *db);
// Every copy, newest first.
QList<RestoreCopy> RestoreCopies();

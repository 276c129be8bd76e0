#include "scheduling/calendarexport.h"

#include "scheduling/entries.h"

#include "output/icalendar.h"

#include "app/helpers/appcore.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include "db/dberror.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

bool ExportCalendarWithPrompts(const QDate &fromDefault, const QDate &toDefault, QWidget *parent)
{
    QDate from = fromDefault, to = toDefault;
    if (!AskPeriod(from, to))
        return false;
    if (from.isValid() && to.isValid() && from > to)
        std::swap(from, to);
    const QString suggested = QDir(Beall().HtmlDir).filePath(QStringLiteral("naptar.ics"));
    QString file = chooseSaveFile(parent, QStringLiteral("Naptár export"), suggested,
                                  QStringLiteral("iCalendar naptár (*.ics)"));
    if (file.isEmpty())
        return false;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".ics");
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        throw zdb::Error(QStringLiteral("Az állomány nem hozható létre: ") + QDir::toNativeSeparators(file) + QStringLiteral("\r\n")
                         + out.errorString());
    const IcsCounts counts = WriteCalendarFile(Db1(), from, to, out);
    if (!out.commit())
        throw zdb::Error(QStringLiteral("Az állomány nem írható: ") + QDir::toNativeSeparators(file) + QStringLiteral("\r\n")
                         + out.errorString());
    ShowInfo(QStringLiteral("Kiírva: %1 naptárbejegyzés és %2 feladat\r\n%3")
                 .arg(counts.events)
                 .arg(counts.todos)
                 .arg(QDir::toNativeSeparators(file)),
             parent);
    return true;
}

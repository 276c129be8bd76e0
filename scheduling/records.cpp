#include "scheduling/records.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/helpers.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QDate>

QString GenTextDate(const QVariant &v)
{
    return VarToDateNull(v).toString(QStringLiteral("yyyy.MM.dd"));
}

QString GenTextLine(const QString &text)
{
    return text + QStringLiteral("\r\n");
}

QString GenTextDoneLine(const QVariant &kesz)
{
    return GenTextLine(IsDoneFlag(VarToStrNull(kesz)) ? QStringLiteral("elkészült : Igen")
                                                      : QStringLiteral("elkészült : Nem"));
}

namespace {

QString padded(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

int intAt(const zdb::RecordSet &rs, int row, const char *field)
{
    return IntOrZero(rs.valueAt(row, QString::fromLatin1(field)));
}

} // namespace

QString TaskStatusName(int status)
{
    switch (status) {
    case StatusReceived: return QStringLiteral("Beérkezett");
    case StatusInProgress: return QStringLiteral("Folyamatban");
    case StatusDone: return QStringLiteral("Kész");
    case StatusRejected: return QStringLiteral("Visszautasítva");
    }
    return {};
}

QString TaskGeneratedText(const zdb::RecordSet &rs, int row)
{
    auto v = [&](const char *f) { return rs.valueAt(row, QString::fromLatin1(f)); };
    const QVariant status = v("statusz");
    QString text;
    text += GenTextLine(VarToStrNull(v("rovid")));
    text += GenTextLine(QString());
    text += GenTextLine(QStringLiteral("azonosító : ") + padded(intAt(rs, row, "dolog3"), 5));
    text += GenTextLine(QStringLiteral("beérkezett: ") + GenTextDate(v("datum")));
    text += GenTextLine(QStringLiteral("határidő  : ") + GenTextDate(v("dat_hatid")));
    text += GenTextLine(QStringLiteral("ügyfél    : ") + VarToStrNull(v("ugyfel_nev")));
    text += GenTextLine(QStringLiteral("termék    : ") + VarToStrNull(v("termek_nev")));
    text += GenTextLine(QStringLiteral("projekt   : ") + VarToStrNull(v("projekt_nev")));
    text += GenTextLine(QStringLiteral("státusz   : ") + (status.isValid() ? TaskStatusName(intAt(rs, row, "statusz")) : QString()));
    text += GenTextDoneLine(v("kesz"));
    text += GenTextLine(QString());
    text += GenTextLine(VarToStrNull(v("leiras")));
    return text;
}

QString CalendarGeneratedText(const zdb::RecordSet &rs, int row)
{
    auto v = [&](const char *f) { return rs.valueAt(row, QString::fromLatin1(f)); };
    QString text;
    text += GenTextLine(VarToStrNull(v("rovid")));
    text += GenTextLine(QStringLiteral("dátum     : ") + GenTextDate(v("datum")));
    text += GenTextLine(QStringLiteral("ora       : ") + padded(intAt(rs, row, "ora"), 2));
    text += GenTextLine(QStringLiteral("ügyfél    : ") + VarToStrNull(v("ugyfel_nev")));
    text += GenTextLine(QStringLiteral("termék    : ") + VarToStrNull(v("termek_nev")));
    text += GenTextLine(QStringLiteral("projekt   : ") + VarToStrNull(v("projekt_nev")));
    text += GenTextDoneLine(v("kesz"));
    text += GenTextLine(QString());
    text += GenTextLine(VarToStrNull(v("leiras")));
    return text;
}

void SetUpTaskRecordSet(zdb::Table *tbl)
{
    zdb::UseCatalogue(*tbl, QStringLiteral("dolog3"));
    tbl->addCalculated(QStringLiteral("genszoveg"), 4096);
    tbl->setCalcHandler([](const zdb::RecordSet &rs, int row, const QString &) { return QVariant(TaskGeneratedText(rs, row)); });
}

void SetUpCalendarRecordSet(zdb::Table *tbl)
{
    zdb::UseCatalogue(*tbl, QStringLiteral("dolog1"));
    tbl->addCalculated(QStringLiteral("genszoveg"), 4096);
    tbl->setCalcHandler([](const zdb::RecordSet &rs, int row, const QString &) { return QVariant(CalendarGeneratedText(rs, row)); });
}

namespace {
void postOrCancel(zdb::Table *tbl)
{
    try {
        tbl->post();
    } catch (...) {
        tbl->cancel();
        throw;
    }
}
} // namespace

void SetTaskStatus(zdb::Table *tbl, int status)
{
    if (!tbl->isOpen() || tbl->isEmpty())
        return;
    tbl->edit();
    tbl->setValue(QStringLiteral("statusz"), status);
    tbl->setValue(QStringLiteral("kesz"), status >= StatusDone ? QStringLiteral("I") : QStringLiteral("N"));
    postOrCancel(tbl);
}

void ToggleTaskDone(zdb::Table *tbl, int doneStatus)
{
    if (!tbl->isOpen() || tbl->isEmpty())
        return;
    const bool open = !IsDoneFlag(tbl->text(QStringLiteral("kesz")));
    tbl->edit();
    if (open) {
        tbl->setValue(QStringLiteral("kesz"), QStringLiteral("I"));
        tbl->setValue(QStringLiteral("dat_kesz"), QDate::currentDate());
        tbl->setValue(QStringLiteral("statusz"), doneStatus);
    } else {
        tbl->setValue(QStringLiteral("kesz"), QStringLiteral("N"));
        tbl->setValue(QStringLiteral("dat_kesz"), QVariant());
        tbl->setValue(QStringLiteral("statusz"), int(StatusInProgress));
    }
    postOrCancel(tbl);
}

void ToggleCalendarDone(zdb::Table *tbl)
{
    if (!tbl->isOpen() || tbl->isEmpty())
        return;
    const bool open = !IsDoneFlag(tbl->text(QStringLiteral("kesz")));
    tbl->edit();
    tbl->setValue(QStringLiteral("kesz"), open ? QStringLiteral("I") : QStringLiteral("N"));
    tbl->setValue(QStringLiteral("dat_kesz"), open ? QVariant(QDate::currentDate()) : QVariant());
    postOrCancel(tbl);
}

QPixmap PriorityPicture(int fontos, int size)
{
    return ZPicture(QStringLiteral("prio%1").arg(fontos >= 0 && fontos <= 3 ? fontos : 0), size);
}

QPixmap StatusPicture(int statusz, int size)
{
    // Values outside 0..3 written by other programs show no picture.
    if (statusz < 0 || statusz > 3) {
        QPixmap empty(size, size);
        empty.fill(Qt::transparent);
        return empty;
    }
    return ZPicture(QStringLiteral("statusz%1").arg(statusz), size);
}

QPixmap DonePicture(const QString &kesz, int size)
{
    return ZPicture(IsDoneFlag(kesz) ? QStringLiteral("kesz_i") : QStringLiteral("kesz_n"), size);
}

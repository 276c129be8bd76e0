#include "scheduling/records.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/helpers.h"

#include "db/recordset.h"

#include <QDate>

namespace {

const QString kMarked[] = {QStringLiteral("ugyfel_nev"), QStringLiteral("termek_nev"), QStringLiteral("projekt_nev"),
                           QStringLiteral("rovid")};

// The sort keys follow the first 20 characters of their marked column.
void fillSortKeys(zdb::RecordSet &rs)
{
    for (const QString &field : kMarked)
        rs.setValue(field + QLatin1Char('s'), SortKeyOf(VarToStrNull(rs.value(field)).left(20)));
}

void giveId(zdb::RecordSet &rs, const QString &idField)
{
    if (VarToIntNull(rs.value(idField)) == 0)
        rs.setValue(idField, NextId(idField));
}

void declareLinks(zdb::Table *tbl)
{
    tbl->addInteger(QStringLiteral("ugyfel"));
    tbl->addText(QStringLiteral("ugyfel_nev"), 75, QStringLiteral("ügyfél"), 77);
    tbl->addInteger(QStringLiteral("termek"));
    tbl->addText(QStringLiteral("termek_nev"), 75, QStringLiteral("termék"), 77);
    tbl->addInteger(QStringLiteral("projekt"));
    tbl->addText(QStringLiteral("projekt_nev"), 75, QStringLiteral("projekt"), 77);
    tbl->addInteger(QStringLiteral("fontos"));
    tbl->addText(QStringLiteral("fileban"), 255);
}

void declareSortKeys(zdb::Table *tbl)
{
    for (const char *name : {"rovids", "ugyfel_nevs", "termek_nevs", "projekt_nevs"})
        tbl->addText(QString::fromLatin1(name), 20);
}

// "yyyy.mm.dd"; an empty date is day 0 of the date type.
QString genDate(const QVariant &v)
{
    return VarToDateNull(v).toString(QStringLiteral("yyyy.MM.dd"));
}

QString padded(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

QString line(const QString &text)
{
    return text + QStringLiteral("\r\n");
}

QString doneLine(const QVariant &kesz)
{
    return line(IsDoneFlag(VarToStrNull(kesz)) ? QStringLiteral("elkészült : Igen") : QStringLiteral("elkészült : Nem"));
}

int intAt(const zdb::RecordSet &rs, int row, const char *field)
{
    const QVariant v = rs.valueAt(row, QString::fromLatin1(field));
    bool ok = false;
    const int n = v.toInt(&ok);
    return v.isValid() && ok ? n : 0;
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
    text += line(VarToStrNull(v("rovid")));
    text += line(QString());
    text += line(QStringLiteral("azonosító : ") + padded(intAt(rs, row, "dolog3"), 5));
    text += line(QStringLiteral("beérkezett: ") + genDate(v("datum")));
    text += line(QStringLiteral("határidő  : ") + genDate(v("dat_hatid")));
    text += line(QStringLiteral("ügyfél    : ") + VarToStrNull(v("ugyfel_nev")));
    text += line(QStringLiteral("termék    : ") + VarToStrNull(v("termek_nev")));
    text += line(QStringLiteral("projekt   : ") + VarToStrNull(v("projekt_nev")));
    text += line(QStringLiteral("státusz   : ") + (status.isValid() ? TaskStatusName(intAt(rs, row, "statusz")) : QString()));
    text += doneLine(v("kesz"));
    text += line(QString());
    text += line(VarToStrNull(v("leiras")));
    return text;
}

QString CalendarGeneratedText(const zdb::RecordSet &rs, int row)
{
    auto v = [&](const char *f) { return rs.valueAt(row, QString::fromLatin1(f)); };
    QString text;
    text += line(VarToStrNull(v("rovid")));
    text += line(QStringLiteral("dátum     : ") + genDate(v("datum")));
    text += line(QStringLiteral("ora       : ") + padded(intAt(rs, row, "ora"), 2));
    text += line(QStringLiteral("ügyfél    : ") + VarToStrNull(v("ugyfel_nev")));
    text += line(QStringLiteral("termék    : ") + VarToStrNull(v("termek_nev")));
    text += line(QStringLiteral("projekt   : ") + VarToStrNull(v("projekt_nev")));
    text += doneLine(v("kesz"));
    text += line(QString());
    text += line(VarToStrNull(v("leiras")));
    return text;
}

void SetUpTaskRecordSet(zdb::Table *tbl)
{
    tbl->clearFields();
    tbl->addInteger(QStringLiteral("dolog3"));
    tbl->addDate(QStringLiteral("datum"), QStringLiteral("dátum"));
    tbl->addDate(QStringLiteral("dat_hatid"), QStringLiteral("határidő"));
    tbl->addText(QStringLiteral("rovid"), 50, QStringLiteral("feladat"), 77);
    tbl->addText(QStringLiteral("leiras"), 2048, QStringLiteral("leírás"));
    declareLinks(tbl);
    tbl->addText(QStringLiteral("kesz"), 1, QStringLiteral("kész"));
    tbl->addDate(QStringLiteral("dat_kesz"), QStringLiteral("kész.dátum"));
    tbl->addInteger(QStringLiteral("statusz"));
    declareSortKeys(tbl);
    tbl->addCalculated(QStringLiteral("genszoveg"), 4096);
    tbl->setCalcHandler([](const zdb::RecordSet &rs, int row, const QString &) { return QVariant(TaskGeneratedText(rs, row)); });
    tbl->setBeforePost([](zdb::RecordSet &rs) {
        giveId(rs, QStringLiteral("dolog3"));
        fillSortKeys(rs);
    });
}

void SetUpCalendarRecordSet(zdb::Table *tbl)
{
    tbl->clearFields();
    tbl->addInteger(QStringLiteral("dolog1"));
    tbl->addDate(QStringLiteral("datum"), QStringLiteral("dátum"));
    tbl->addText(QStringLiteral("datumstr"), 8);
    tbl->addInteger(QStringLiteral("ora"), QStringLiteral("óra"));
    tbl->addText(QStringLiteral("rovid"), 50, QStringLiteral("feladat"), 77);
    tbl->addText(QStringLiteral("leiras"), 2048, QStringLiteral("leírás"));
    declareLinks(tbl);
    tbl->addDate(QStringLiteral("dat_kesz"), QStringLiteral("kész.dátum"));
    tbl->addText(QStringLiteral("kesz"), 1, QStringLiteral("elkészült"));
    declareSortKeys(tbl);
    tbl->addCalculated(QStringLiteral("genszoveg"), 4096);
    tbl->setCalcHandler([](const zdb::RecordSet &rs, int row, const QString &) { return QVariant(CalendarGeneratedText(rs, row)); });
    tbl->setBeforePost([](zdb::RecordSet &rs) {
        giveId(rs, QStringLiteral("dolog1"));
        const QVariant day = rs.value(QStringLiteral("datum"));
        // An entry without a day cannot be filed under one.
        if (!day.isValid() || !day.toDate().isValid())
            throw zdb::Error(QStringLiteral("'' is not a valid date"));
        rs.setValue(QStringLiteral("datumstr"), day.toDate().toString(QStringLiteral("yyyyMMdd")));
        fillSortKeys(rs);
    });
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

#include "scheduling/taskeditor.h"

#include "scheduling/entries.h"
#include "scheduling/records.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/testhooks.h"

#include "db/recordset.h"

#include <QLineEdit>

QDate TaskDeadlineFor(const QDate &day)
{
    return day.addMonths(1);
}

Tfrm_Feladat_Szerkeszt::Tfrm_Feladat_Szerkeszt(zdb::Table *tbl, QWidget *parent)
    : EntryEditor(tbl, QStringLiteral("frm_Feladat_Szerkeszt"), QStringLiteral("Feladat szerkesztés"),
                  QStringLiteral("Feladat"), parent)
{
    setWindowIcon(ZIcon(QStringLiteral("feladat")));
    m_datum = addDateRow(QStringLiteral("dátum"), QStringLiteral("edDatum"));
    m_hatid = addDateRow(QStringLiteral("határidő"), QStringLiteral("edHatid"));
    m_rovid = addLineRow(QStringLiteral("feladat"), QStringLiteral("edRovid"));
    bind().date(m_datum, QStringLiteral("datum"));
    bind().date(m_hatid, QStringLiteral("dat_hatid"));
    bind().text(m_rovid, QStringLiteral("rovid"));
    addCommonRows();
    finishTabOrder({m_datum, m_hatid, m_rovid});
    resize(480, sizeHint().height());

    // The short text edits the row as it is typed, so the other views of the
    // shared record set follow it.
    connect(m_rovid, &QLineEdit::textEdited, this,
            [this](const QString &text) { table()->setValue(QStringLiteral("rovid"), text); });
}

void EditTask(bool isNew, int linkKind, int linkId, const QString &linkName)
{
    zdb::Table *tbl = Shared().TblFeladat;
    Tfrm_Feladat_Szerkeszt dialog(tbl, DialogParent());
    RunEntryEditor(tbl, dialog, isNew, [tbl] {
        const QDate today = QDate::currentDate();
        tbl->setValue(QStringLiteral("datum"), today);
        tbl->setValue(QStringLiteral("dat_hatid"), TaskDeadlineFor(today));
        tbl->setValue(QStringLiteral("fontos"), 0);
        tbl->setValue(QStringLiteral("kesz"), QStringLiteral("N"));
        tbl->setValue(QStringLiteral("statusz"), int(StatusReceived));
    }, linkKind, linkId, linkName);
}

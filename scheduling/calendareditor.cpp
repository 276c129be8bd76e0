#include "scheduling/calendareditor.h"

#include "scheduling/entries.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/testhooks.h"
#include "app/helpers/helpers.h"

#include "db/recordset.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

Tfrm_Naptar_Szerkeszt::Tfrm_Naptar_Szerkeszt(zdb::Table *tbl, QWidget *parent)
    : EntryEditor(tbl, QStringLiteral("frm_Naptar_Szerkeszt"), QStringLiteral("Bejegyzés szerkesztés"),
                  QStringLiteral("Feledat"), parent)
{
    setWindowIcon(ZIcon(QStringLiteral("naptar")));
    m_datum = addDateRow(QStringLiteral("dátum"), QStringLiteral("edDatum"));
    m_ora = addLineRow(QStringLiteral("óra"), QStringLiteral("edOra"));
    // A whole number: digits and a sign; nine digits keep it inside the field.
    m_ora->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[+-]?\\d{0,9}")), m_ora));
    m_ora->setMaximumWidth(m_datum->sizeHint().width());
    m_rovid = addLineRow(QStringLiteral("feladat"), QStringLiteral("edRovid"));
    bind().date(m_datum, QStringLiteral("datum"));
    bind().text(m_rovid, QStringLiteral("rovid"));
    addCommonRows();
    finishTabOrder({m_datum, m_ora, m_rovid});
    resize(480, sizeHint().height());

    // Hour and short text edit the row as they are typed.
    connect(m_ora, &QLineEdit::textEdited, this, &Tfrm_Naptar_Szerkeszt::hourEdited);
    connect(m_rovid, &QLineEdit::textEdited, this,
            [this](const QString &text) { table()->setValue(QStringLiteral("rovid"), text); });
}

void Tfrm_Naptar_Szerkeszt::hourEdited(const QString &text)
{
    m_hourEdited = true;
    // A lone sign is a number still being typed; OK reports it if it stays.
    bool number = false;
    text.toInt(&number);
    if (number || text.isEmpty())
        table()->setValue(QStringLiteral("ora"), text.isEmpty() ? QVariant() : QVariant(text.toInt()));
}

void Tfrm_Naptar_Szerkeszt::loadOwnFields()
{
    m_ora->setText(table()->text(QStringLiteral("ora")));
    m_hourEdited = false;
}

bool Tfrm_Naptar_Szerkeszt::readyToStore()
{
    // An entry is filed under its day; without one it could not be saved.
    if (m_datum->isBlank()) {
        ShowWarning(QStringLiteral("Add meg a bejegyzés dátumát!"), this);
        focusField(m_datum);
        return false;
    }
    return true;
}

void Tfrm_Naptar_Szerkeszt::storeOwnFields()
{
    if (m_hourEdited)
        table()->setValue(QStringLiteral("ora"), m_ora->text());
}

void EditCalendarEntry(bool isNew, int linkKind, int linkId, const QString &linkName)
{
    zdb::Table *tbl = Shared().TblNaptar;
    Tfrm_Naptar_Szerkeszt dialog(tbl, DialogParent());
    RunEntryEditor(tbl, dialog, isNew, [tbl] {
        const QDate day = Beall().CalendarDay.isValid() ? Beall().CalendarDay : QDate::currentDate();
        tbl->setValue(QStringLiteral("datum"), day);
        tbl->setValue(QStringLiteral("fontos"), 0);
        tbl->setValue(QStringLiteral("kesz"), QStringLiteral("N"));
    }, linkKind, linkId, linkName);
}

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
    // An hour of the day, typed as "10" or as a time "10:00"; what else can be
    // typed is refused with a word on OK instead of turning into 1000.
    m_ora->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-+0-9:. ]{0,6}")), m_ora));
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

namespace {

bool ParseHourOfDay(const QString &text, QVariant &hour)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        hour = QVariant();
        return true;
    }
    // "10", "9", "10:00", "9.00": the minutes, when given, must be whole hours.
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2})(?:[:.](\\d{1,2}))?$"));
    const QRegularExpressionMatch m = form.match(t);
    if (!m.hasMatch())
        return false;
    const int h = m.captured(1).toInt();
    if (h > 23 || (m.hasCaptured(2) && m.captured(2).toInt() != 0))
        return false;
    hour = h;
    return true;
}

} // namespace

void Tfrm_Naptar_Szerkeszt::hourEdited(const QString &text)
{
    m_hourEdited = true;
    // A text still being typed ("10:") waits for OK, which reports it if it stays.
    QVariant hour;
    if (ParseHourOfDay(text, hour))
        table()->setValue(QStringLiteral("ora"), hour);
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
    QVariant hour;
    if (m_hourEdited && !ParseHourOfDay(m_ora->text(), hour)) {
        ShowWarning(QStringLiteral("Az óra 0 és 23 közötti egész szám lehet (például 10 vagy 10:00)."), this);
        focusField(m_ora);
        return false;
    }
    return true;
}

void Tfrm_Naptar_Szerkeszt::storeOwnFields()
{
    QVariant hour;
    if (m_hourEdited && ParseHourOfDay(m_ora->text(), hour))
        table()->setValue(QStringLiteral("ora"), hour);
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

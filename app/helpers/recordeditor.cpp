#include "app/helpers/recordeditor.h"

#include "app/helpers/actions.h"
#include "app/helpers/datefield.h"
#include "app/helpers/descriptioneditor.h"
#include "app/helpers/dialogbehaviour.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include "db/catalog.h"
#include "db/codec.h"
#include "db/dberror.h"
#include "db/connection.h"
#include "db/recordset.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

RecordEditor::RecordEditor(zdb::Table *tbl, const QString &formName, const QString &caption, QWidget *parent)
    : QDialog(parent), m_tbl(tbl), m_binder(tbl), m_formName(formName)
{
    setObjectName(formName);
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_ok = new QPushButton(ZIcon(QStringLiteral("ok")), QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("btOK"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(ZIcon(QStringLiteral("megsem")), QStringLiteral("Mégsem"), this);
    m_cancel->setObjectName(QStringLiteral("btMegsem"));
    m_buttons = new QHBoxLayout;
    m_buttons->addStretch(1);
    m_buttons->addWidget(m_ok);
    m_buttons->addWidget(m_cancel);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void RecordEditor::loadFromRow()
{
    // The declared limit is kept on the control, so loading again (another
    // row in the same editor) starts from it, not from a raised one.
    static const char *const kDeclared = "zentavoDeclaredMaxLength";
    constexpr int kUnlimited = 32767;   // a line edit's own default
    QList<QPair<QPointer<QLineEdit>, int>> lines;
    for (QLineEdit *e : findChildren<QLineEdit *>()) {
        if (!e->property(kDeclared).isValid())
            e->setProperty(kDeclared, e->maxLength());
        const int limit = e->property(kDeclared).toInt();
        if (limit < kUnlimited) {
            lines.append({e, limit});
            e->setMaxLength(kUnlimited);
        }
    }
    QList<QPair<QPointer<DescriptionEditor>, int>> memos;
    for (DescriptionEditor *m : findChildren<DescriptionEditor *>()) {
        if (!m->property(kDeclared).isValid())
            m->setProperty(kDeclared, m->maxLength());
        const int limit = m->property(kDeclared).toInt();
        if (limit > 0) {
            memos.append({m, limit});
            m->setMaxLength(0);
        }
    }
    m_binder.load(*m_tbl);
    loadFields();
    for (const auto &[e, limit] : std::as_const(lines)) {
        if (e)
            e->setMaxLength(qMax(limit, int(e->text().size())));
    }
    for (const auto &[m, limit] : std::as_const(memos)) {
        if (m)
            m->setMaxLength(qMax(limit, int(m->plainText().size())));
    }
}

RecordEditor::~RecordEditor()
{
    // A layout never placed by the editor would otherwise be left behind.
    if (!m_buttons->parent())
        delete m_buttons;
}

void RecordEditor::storeDate(DateField *field, const QString &name)
{
    // An empty field had no date in the row and got none from the user.
    if (field->isBlank())
        return;
    if (m_tbl->value(name).toDate() != field->date())
        m_tbl->setValue(name, field->date());
}

bool RecordEditor::store()
{
    m_binder.store(*m_tbl);
    storeFields();
    if (!confirmCodePage() || !confirmStore())
        return false;
    m_tbl->post();
    return true;
}

void RecordEditor::resolveConflict(const zdb::RowConflict &conflict)
{
    bool deleted = conflict.kind() == zdb::RowConflict::Kind::Deleted;
    if (!deleted) {
        const bool reload = AskChoice(conflict.message()
                                          + QStringLiteral("\nÚjratöltéskor a tárolt értékek jelennek meg; amit Ön"
                                                           " beírt, ott marad, ahol a másik felhasználó nem változtatott."),
                                      QStringLiteral("Ütközés"), QStringLiteral("Újratöltés"), QStringLiteral("Mégsem"),
                                      this);
        if (!reload)
            return;   // back to the edits; nothing was written
        if (m_tbl->reloadCurrentRow()) {
            loadFromRow();
            return;   // the user looks at the merged row and stores again
        }
        deleted = true;   // gone while the user was deciding
    }
    // Nothing is created anew in place of a deleted row: the edits go, and
    // the lists drop the row.
    ShowWarning(zdb::RowConflict::messageOf(zdb::RowConflict::Kind::Deleted)
                    + QStringLiteral("\nA módosítások nem menthetők."),
                this);
    m_tbl->cancel();
    zdb::TableChanges::notify(m_tbl->tableName());
}

bool RecordEditor::confirmUniqueCode(const QString &codeField, const QString &nameField)
{
    const QVariant code = m_tbl->value(codeField);
    if (!code.isValid() || code.toString().trimmed().isEmpty())
        return true;
    const QString idField = m_tbl->tableName().trimmed();
    const QVariant id = m_tbl->identifierField() >= 0 ? m_tbl->value(idField) : QVariant();
    QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = :kod").arg(nameField, m_tbl->tableName(), codeField);
    if (id.isValid())
        sql += QStringLiteral(" AND %1 <> :azon").arg(idField);
    zdb::Query q(m_tbl->connection(), sql);
    q.setParam(QStringLiteral("kod"), code);
    if (id.isValid())
        q.setParam(QStringLiteral("azon"), id);
    q.open();
    if (q.isEmpty())
        return true;
    return AskYesNoDefaultNo(QStringLiteral("A kód már létezik: %1 (%2). Mentsem így is?")
                                 .arg(code.toString(), q.text(nameField)),
                             QStringLiteral("Megerősítés"), this);
}

bool RecordEditor::confirmCodePage()
{
    // A server database holds any character; the file keeps Windows-1250 and
    // would store the others as "?" without a word.
    const zdb::Connection *connection = m_tbl->connection();
    if (!connection || connection->encoding != zdb::Encoding::Standard)
        return true;
    QStringList missing;
    const QVector<QVariant> &values = m_tbl->bufferValues();
    for (int i = 0; i < values.size(); ++i) {
        if (values[i].typeId() != QMetaType::QString)
            continue;
        const QString text = values[i].toString();
        for (qsizetype at = 0; at < text.size(); ++at) {
            const QChar c = text[at];
            if (c.unicode() < 0x80 || zdb::cp1250Byte(c.unicode()) != 0)
                continue;
            QString one(c);
            if (c.isHighSurrogate() && at + 1 < text.size())
                one += text[++at];
            if (!missing.contains(one))
                missing << one;
        }
    }
    if (missing.isEmpty())
        return true;
    return AskYesNoDefaultNo(QStringLiteral("Ezeket a karaktereket az adatbázis nem tudja tárolni: %1\n"
                                            "Mentéskor mindegyik helyére „?” kerül. Mentsem így?")
                                 .arg(missing.join(QStringLiteral(" "))),
                             QStringLiteral("Megerősítés"), this);
}

void RecordEditor::done(int result)
{
    if (result == QDialog::Accepted) {
        if (!readyToStore())
            return;
        // A failed post leaves the row in its mode with the edits, and the
        // dialog open, so the user can try again or cancel.
        bool stored = false;
        bool gone = false;
        const bool ran = RunGuarded(
            [this, &stored, &gone] {
                try {
                    stored = store();
                } catch (const zdb::RowConflict &conflict) {
                    resolveConflict(conflict);
                    gone = !m_tbl->isEditing();
                }
            },
            this);
        if (gone) {
            RememberFormPosition(this, m_formName);
            QDialog::done(QDialog::Rejected);
            return;
        }
        if (!ran || !stored)
            return;
    } else if (m_tbl->isEditing()) {
        m_tbl->cancel();
    }
    RememberFormPosition(this, m_formName);
    QDialog::done(result);
}

void RecordEditor::showEvent(QShowEvent *event)
{
    if (!m_positioned) {
        m_positioned = true;
        RestoreFormPosition(this, m_formName);
        focusFirstField();
    }
    QDialog::showEvent(event);
}

void RecordEditor::focusFirstField()
{
    // The buttons are made before the fields, so they lead the focus chain:
    // an editor that names no field of its own would open on "OK", and Enter
    // would store the row untouched. The field after "Mégsem" is the first.
    QWidget *current = focusWidget();
    if (!current || current == m_ok || current == m_cancel)
        FocusNextControl(m_cancel);
}

// ---- running an editor ------------------------------------------------------

namespace {

void leave(zdb::Table *tbl, bool wasClosed)
{
    if (tbl->isEditing())
        tbl->cancel();
    if (wasClosed)
        tbl->close();
}

} // namespace

bool RunRecordEditor(zdb::Table *tbl, RecordEditor &editor, bool isNew, const std::function<void()> &presetNew)
{
    if (!tbl)
        return false;
    const bool wasClosed = !tbl->isOpen();
    if (wasClosed)
        tbl->open();
    int result = QDialog::Rejected;
    try {
        if (isNew) {
            tbl->insert();
            if (presetNew)
                presetNew();
        } else {
            // Edit would insert a row into an empty record set.
            if (tbl->currentRow() < 0 || tbl->isEmpty()) {
                leave(tbl, wasClosed);
                return false;
            }
            tbl->edit();
        }
        editor.loadFromRow();
        result = execDialog(&editor);
    } catch (...) {
        leave(tbl, wasClosed);
        throw;
    }
    leave(tbl, wasClosed);
    return result == QDialog::Accepted;
}

#pragma once

// The base of every record editor: a modal dialog over the current row of a
// table record set, held in insert or edit mode while the dialog is open.
// Controls bound to the row write it as they are edited; the others are
// copied in by loadFields() and out by storeFields(). "OK" posts the row (a
// failed post is reported and keeps the dialog open with the edits, the row
// still in its mode); "Mégsem", Esc and closing cancel it. A row another
// desk changed since it was read is never written over: the user may read
// it again (what was typed stays where the other desk left the field alone)
// or go back to the edits; a row another desk deleted closes the editor. The position is
// restored when first shown and remembered when closed, under the form name.

#include "app/helpers/fieldbinder.h"

#include <QDialog>
#include <functional>

class DateField;
class QHBoxLayout;
class QPushButton;

namespace zdb {
class RowConflict;
class Table;
}

class RecordEditor : public QDialog
{
    Q_OBJECT
public:
    ~RecordEditor() override;

    zdb::Table *table() const { return m_tbl; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

    // Fills the controls from the row in insert or edit mode. A control's
    // length limit never cuts a longer stored value: the limit is lifted
    // while loading and set no lower than the loaded text, so OK never
    // writes a cut value over a field the user did not touch.
    void loadFromRow();

    void done(int result) override;

protected:
    // formName is the object name (frm_...) and the position's ini section.
    RecordEditor(zdb::Table *tbl, const QString &formName, const QString &caption, QWidget *parent);

    // The row of "OK" and "Mégsem" at the right; the editor places it in its
    // layout (usually last).
    QHBoxLayout *buttonRow() const { return m_buttons; }

    // Controls bound to fields of the row: loaded before loadFields(),
    // stored before storeFields(), only what the user changed.
    FieldBinder &bind() { return m_binder; }

    // Copies the unbound controls in and out; storing may throw, which keeps
    // the dialog open like a failed post.
    virtual void loadFields() {}
    virtual void storeFields() {}
    // False keeps the dialog open (the editor has told the user why).
    virtual bool readyToStore() { return true; }
    // Asked after the controls are stored, just before the post: false goes
    // back to the dialog with the edits (the editor has asked the user).
    virtual bool confirmStore() { return true; }

    // Whether the row's code may be stored: a code another row of the table
    // already has is asked about first, going back being the default (an
    // import matches only the first of two rows with one code).
    bool confirmUniqueCode(const QString &codeField, const QString &nameField);

    // Writes a date field back unless it stands empty or shows the row's value.
    void storeDate(DateField *field, const QString &name);

    void showEvent(QShowEvent *event) override;

private:
    bool store();
    // A post refused because another desk changed or deleted the row.
    void resolveConflict(const zdb::RowConflict &conflict);
    bool confirmCodePage();
    void focusFirstField();

    zdb::Table *m_tbl;
    FieldBinder m_binder;
    QString m_formName;
    bool m_positioned = false;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QHBoxLayout *m_buttons = nullptr;
};

// Runs an editor over `tbl`: opens the record set when it is closed, inserts
// a row (filled by `presetNew`) or edits the current one, shows the dialog
// and closes the record set again if it was closed. Editing with no current
// row does nothing. True when the row was stored.
bool RunRecordEditor(zdb::Table *tbl, RecordEditor &editor, bool isNew, const std::function<void()> &presetNew = {});

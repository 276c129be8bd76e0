#pragma once

// What the task editor and the calendar entry editor share: a modal dialog
// over the current row of a shared record set held in insert or edit mode,
// with the pages "Feladat"/"Leírás", the link rows with their pickers, the
// file row, the priority chooser, the done box and the description page.
// "OK" posts the row (a failed post keeps the dialog open with the edits),
// "Mégsem" cancels it.

#include <QDateEdit>
#include <QDialog>
#include <functional>

class DescriptionEditor;
class PriorityChooser;
class QCheckBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace zdb {
class Table;
}

// A date field that can also stand empty, for rows written without a date:
// it shows nothing until the user steps or types a date into it.
class DateField : public QDateEdit
{
    Q_OBJECT
public:
    explicit DateField(QWidget *parent = nullptr);

    bool isBlank() const { return date() == minimumDate(); }
    void setBlank() { setDate(minimumDate()); }
    // An invalid date leaves the field empty.
    void setValue(const QDate &date);

    void stepBy(int steps) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

class EntryEditor : public QDialog
{
    Q_OBJECT
public:
    ~EntryEditor() override;

    zdb::Table *table() const { return m_tbl; }
    // Fills the controls from the row in insert or edit mode.
    void loadFromRow();

    void done(int result) override;

protected:
    EntryEditor(zdb::Table *tbl, const QString &formName, const QString &caption,
                const QString &firstPage, QWidget *parent);

    // The editors add their own rows first, then the common ones.
    DateField *addDateRow(const QString &label, const QString &objectName);
    QLineEdit *addLineRow(const QString &label, const QString &objectName);
    void addCommonRows();
    // Puts the controls taking the focus by Tab in order, after `first`.
    void finishTabOrder(const QList<QWidget *> &first);

    // Copies the editor's own fields in and out; storing may throw.
    virtual void loadOwnFields() = 0;
    virtual void storeOwnFields() = 0;
    // False keeps the dialog open (the editor has told the user why).
    virtual bool readyToStore() { return true; }

    // Brings the first page forward with `field` focused.
    void focusField(QWidget *field);
    // Writes a date field back unless it stands empty or shows the row's value.
    void storeDate(DateField *field, const QString &name);

    void showEvent(QShowEvent *event) override;

private:
    void pickLink(int kind);
    void chooseFile();
    void store();

    zdb::Table *m_tbl;
    QString m_formName;
    bool m_positioned = false;
    QTabWidget *m_pages = nullptr;
    QGridLayout *m_grid = nullptr;
    QLineEdit *m_links[3] = {};
    QToolButton *m_linkButtons[3] = {};
    QLineEdit *m_file = nullptr;
    QToolButton *m_fileButton = nullptr;
    PriorityChooser *m_priority = nullptr;
    QCheckBox *m_done = nullptr;
    QLineEdit *m_doneDate = nullptr;
    DescriptionEditor *m_description = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

// Runs an editor over `tbl`: opens the record set when it is closed, inserts
// a row (preset by `presetNew` and the link arguments) or edits the current
// one, shows the dialog and closes the record set again if it was closed.
// Editing with no current row does nothing.
void RunEntryEditor(zdb::Table *tbl, EntryEditor &editor, bool isNew, const std::function<void()> &presetNew,
                    int linkKind, int linkId, const QString &linkName);

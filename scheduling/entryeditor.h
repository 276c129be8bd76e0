#pragma once

// What the task editor and the calendar entry editor share on top of the
// record editor: the pages "Feladat"/"Leírás", the link rows with their
// pickers, the file row, the priority chooser, the done box and the
// description page.

#include "app/helpers/datefield.h"
#include "app/helpers/recordeditor.h"

#include <functional>

class DescriptionEditor;
class PriorityChooser;
class QCheckBox;
class QGridLayout;
class QLineEdit;
class QTabWidget;
class QToolButton;

class EntryEditor : public RecordEditor
{
    Q_OBJECT
public:
    ~EntryEditor() override;

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
    virtual void loadOwnFields() {}
    virtual void storeOwnFields() {}

    // Brings the first page forward with `field` focused.
    void focusField(QWidget *field);

    // RecordEditor: the common fields, then the editor's own.
    void loadFields() override;
    void storeFields() override;

private:
    void pickLink(int kind);
    void chooseFile();

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
};

// RunRecordEditor with a new row preset by `presetNew` and then linked to
// the master record given (a linkId of -1 links none).
void RunEntryEditor(zdb::Table *tbl, EntryEditor &editor, bool isNew, const std::function<void()> &presetNew,
                    int linkKind, int linkId, const QString &linkName);

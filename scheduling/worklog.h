#pragma once

// The work log of a task "Végzett munkák": the dated work entries and
// sub-tasks kept for one task (table `munka`, linked by `feladat`), with
// their editor "Végzett munka, részfeladat".

#include "app/helpers/recordeditor.h"
#include "app/helpers/listdialog.h"

class DateField;
class DescriptionEditor;
class QLineEdit;
class QPlainTextEdit;

namespace zdb {
class Table;
}

// The filter of a task's entries; the task's identifier is its value.
QString WorkLogFilter();

class Tfrm_Munka : public ListDialog
{
    Q_OBJECT
public:
    Tfrm_Munka(int taskId, QWidget *parent = nullptr);

    int taskId() const { return m_taskId; }
    zdb::Table *entries() const { return m_entries; }
    QPlainTextEdit *remarkPane() const { return m_remark; }

    // The commands (the actions run these).
    void newEntry();
    void editEntry();
    void deleteEntry();

    QAction *aUj = nullptr;
    QAction *aSzerkeszt = nullptr;
    QAction *aTorol = nullptr;

protected:
    // Printed with the task's short text under the title; the HTML page has none.
    void printList(bool print) override;

private:
    bool hasCurrentEntry() const;
    void showRemark();

    int m_taskId;
    zdb::Table *m_entries = nullptr;
    QPlainTextEdit *m_remark = nullptr;
};

class Tfrm_MunkaSzerkeszt : public RecordEditor
{
    Q_OBJECT
public:
    explicit Tfrm_MunkaSzerkeszt(zdb::Table *entries, QWidget *parent = nullptr);

    DateField *dateField() const { return m_date; }
    QLineEdit *shortEdit() const { return m_rovid; }
    DescriptionEditor *remarkEditor() const { return m_remark; }

private:
    DateField *m_date = nullptr;
    QLineEdit *m_rovid = nullptr;
    DescriptionEditor *m_remark = nullptr;
};

// The entry editor on a new entry of the task or on the current entry of
// the work log's record set.
void EditWorkEntry(zdb::Table *entries, bool isNew, int taskId);

// The short text of a task, the subtitle of its printed work log.
QString TaskShortText(int taskId);

#pragma once

// The tasks ("Feladatok") and the calendar entries ("Naptár") linked to one
// customer, product or project: a read-only list of their own, open rows or
// all rows (F8), the generated description of the selected row beside it.

#include "app/helpers/listdialog.h"

class QLabel;
class QPlainTextEdit;

class RelatedView : public ListDialog
{
    Q_OBJECT
public:
    QAction *aSzur = nullptr;

    // "Szűrés": only the open rows (on) or all rows of the master record.
    void setOpenOnly(bool on);
    bool openOnly() const { return m_openOnly; }

    QLabel *headerLabel() const { return m_label; }
    QLabel *headerName() const { return m_name; }
    QPlainTextEdit *textBox() const { return m_text; }

    // The filters: "(ugyfel=?) and (kesz='N')" and "(ugyfel=?)".
    // The master record's identifier is the filters' value.
    static QString openRowsFilter(const QString &keyField);
    static QString allRowsFilter(const QString &keyField);
    // The link column and the copied name of a link kind, from the catalogue.
    static QString keyFieldOf(int linkKind);
    static QString nameFieldOf(int linkKind);

protected:
    RelatedView(const QString &formName, const QString &caption, const QString &iconName, int linkKind, int id,
                QWidget *parent);
    // The header shows this label and the selected row's value of nameField.
    void setHeader(const QString &label, const QString &nameField);
    // Shows the table through the columns and opens it on the open rows.
    void start(zdb::Table *tbl, const QList<GridColumn> &columns, const QString &order);

    QString outputSubtitle() const override;

private:
    void showCurrent();

    QString m_keyField;
    QString m_linkNameField;
    int m_id;
    bool m_openOnly = true;
    QString m_nameField;
    QLabel *m_label = nullptr;
    QLabel *m_name = nullptr;
    QPlainTextEdit *m_text = nullptr;
};

class Tfrm_Ugyfel_feladat : public RelatedView
{
    Q_OBJECT
public:
    Tfrm_Ugyfel_feladat(int linkKind, int id, QWidget *parent = nullptr);
};

class Tfrm_Ugyfel_naptar : public RelatedView
{
    Q_OBJECT
public:
    Tfrm_Ugyfel_naptar(int linkKind, int id, QWidget *parent = nullptr);
};

// The generated descriptions of these views, at most 512 characters.
QString RelatedTaskText(const zdb::RecordSet &rs, int row);
QString RelatedCalendarText(const zdb::RecordSet &rs, int row);

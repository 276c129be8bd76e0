#pragma once

// The customer, product and project pickers: one modal dialog over its own
// read-only record set, described by a PickerKind. The entries (PickCustomer,
// PickCustomerWithEmail, PickProduct, PickProject) are declared in entries.h.

#include "db/recordset.h"
#include "app/helpers/recordsetmodel.h"
#include "app/helpers/listdialog.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

class QAction;

namespace zdb {
class Table;
}

// What tells the three pickers apart.
struct PickerKind
{
    QString formName;      // ini section of the position, also the object name
    QString caption;
    QString iconName;
    QString table;
    QString idField;
    QString nameField;     // the first sort field
    QString extraField;    // read for the caller beside the name (e-mail); may be empty
    QString closedFlag;    // "I"/"N" field of closed rows; empty: no filter, no greying
    QStringList fields;    // declared from the table catalogue
    QList<GridColumn> columns;

    // The table, identifier, name and closed flag of a link kind, from the catalogue.
    static PickerKind linked(int linkKind);
    static PickerKind customer();
    static PickerKind product();
    static PickerKind project();
};

class Tfrm_Valaszt : public ListDialog
{
    Q_OBJECT
public:
    explicit Tfrm_Valaszt(const PickerKind &kind, QWidget *parent = nullptr);
    ~Tfrm_Valaszt() override;

    // Opens the list (ordered by the name field, closed rows filtered out)
    // and makes the given row current: the first row for 0 or less unless
    // alwaysLocate, otherwise the row with that identifier; a row not listed
    // leaves the last one current.
    void openOn(int currentId, bool alwaysLocate = false);

    // The current row: identifier (0 on an empty list), name, extra field.
    // Once the dialog is closed, the row it was closed on.
    int chosenId() const;
    QString chosenName() const;
    QString chosenExtra() const;

    const PickerKind &kind() const { return m_kind; }
    QString sortField() const;

    // Commands, by their object names; aSzur only where closed rows exist.
    // The base's aBezar is "Mégsem" here.
    QAction *aElfogad = nullptr;
    QAction *aSzur = nullptr;

    void done(int result) override;

    // The grey / yellow text of closed projects.
    static QColor closedTextColor() { return QColor(128, 128, 128); }
    static QColor closedSelectedTextColor() { return QColor(255, 255, 0); }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void toggleFilter();
    void acceptChosen();
    void applyFilter();
    int currentId() const;
    QString currentText(const QString &field) const;

    PickerKind m_kind;
    zdb::Table *m_tbl = nullptr;
    bool m_focused = false;
    // What the dialog was closed on (the base closes the record set).
    bool m_closed = false;
    int m_chosenId = 0;
    QString m_chosenName;
    QString m_chosenExtra;
    bool m_movedSinceSearch = false;
};

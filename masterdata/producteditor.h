#pragma once

// The product editor "Termék szerkesztés" over the product list's current
// row: article number in capitals, name, category from those in use (or a
// new one) and the free note.

#include "app/helpers/recordeditor.h"

#include <QStringList>

class DescriptionEditor;
class QComboBox;
class QLineEdit;

class Tfrm_Termek_Szerkeszt : public RecordEditor
{
    Q_OBJECT
public:
    explicit Tfrm_Termek_Szerkeszt(zdb::Table *tbl, QWidget *parent = nullptr);

    QLineEdit *cikkszam() const { return m_cikkszam; }
    QLineEdit *termekNev() const { return m_nev; }
    QComboBox *kategoria() const { return m_kategoria; }
    DescriptionEditor *megjegyzes() const { return m_megjegyzes; }

protected:
    bool confirmStore() override;

private:
    QLineEdit *m_cikkszam;
    QLineEdit *m_nev;
    QComboBox *m_kategoria;
    DescriptionEditor *m_megjegyzes;
};

// The categories in use, each once, in the database's order; products
// without a category give one empty entry (NULL and '' alike).
QStringList ProductCategories();

// The editor on a new product (isNew) or the current row of `tbl`; true when stored.
bool EditProduct(zdb::Table *tbl, bool isNew);

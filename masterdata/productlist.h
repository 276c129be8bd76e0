#pragma once

// The product list "Termékek": the product register with its article
// numbers, names and categories, the comment marker, and the commands that
// reach a product's tasks, calendar entries and comments.

#include "app/helpers/listchild.h"
#include "masterdata/masterlist.h"

class Tfrm_Termek : public ListChild
{
    Q_OBJECT
public:
    explicit Tfrm_Termek(QWidget *parent = nullptr);
    ~Tfrm_Termek() override;

    void newProduct();
    // Re-saves the products whose stored identifier, comment flag or sort keys
    // are not what the before-save rule gives, edits the selected product and
    // rewrites its name in tasks and calendar entries.
    void editProduct();
    void deleteProduct();
    // The re-save part of editProduct; returns the number of rows written.
    int resaveProducts();

    QAction *aUj = nullptr;
    QAction *aImport = nullptr;
    QAction *aSzerkeszt = nullptr;
    QAction *aTorol = nullptr;
    LinkedCommands linked;
    QAction *aBezar = nullptr;

private:
    zdb::Table *m_tbl = nullptr;
};

// The record set of the product list: every product, its fields and
// before-save rule from the catalogue, the window's titles.
void SetUpProductTable(zdb::Table *tbl);

#pragma once

// The dialog "Megjegyzések, dokumentumok" of one customer, product or
// project: its dated comments and its attached documents on two pages.
// ShowComments (entries.h) opens it.

#include "app/helpers/listdialog.h"

class DataGrid;
class GridSorter;
class QLabel;
class QPlainTextEdit;
class QTabWidget;

// The link column of a link kind and the owner's table, from the catalogue.
QString CommentLinkField(int linkKind);
QString CommentOwnerTable(int linkKind);

class Tfrm_Megjegyzes : public ListDialog
{
    Q_OBJECT
public:
    Tfrm_Megjegyzes(int linkKind, int ownerId, const QString &ownerName, QWidget *parent = nullptr);
    ~Tfrm_Megjegyzes() override;

    zdb::Table *comments() const { return m_comments; }
    zdb::Table *documents() const { return m_documents; }
    DataGrid *documentGrid() const { return m_docGrid; }
    QTabWidget *pages() const { return m_pages; }
    QPlainTextEdit *commentText() const { return m_text; }
    QLabel *documentLink() const { return m_link; }
    bool documentsShown() const;
    // Whether the owner has any comment or document now.
    bool hasAny() const;

    // The commands of the shown page.
    void newRow();
    void editRow();
    void deleteRow();
    void sendByMail();
    void openDocument();

    QAction *aUj = nullptr;
    QAction *aSzerkeszt = nullptr;
    QAction *aTorol = nullptr;
    QAction *aLevelben = nullptr;

    void done(int result) override;

protected:
    QString outputTitle() const override;
    QString outputSubtitle() const override;
    DataGrid *outputGrid() const override;
    zdb::RecordSet *outputRecordSet() const override;
    void printList(bool print) override;

private:
    zdb::Table *shownTable() const;
    void updateCommands();
    void showCurrentComment();
    void showCurrentDocument();

    int m_linkKind;
    int m_ownerId;
    QString m_ownerName;
    zdb::Table *m_comments;
    zdb::Table *m_documents;
    DataGrid *m_docGrid = nullptr;
    GridSorter *m_docSorter = nullptr;
    QTabWidget *m_pages = nullptr;
    QPlainTextEdit *m_text = nullptr;
    QLabel *m_link = nullptr;
};

// Brings the owner's `vanmegj` up to date ("I" with any comment or document,
// "N" with none) in the owner's table; the owner's list shows it by
// refreshing itself. An owner that no longer exists gets no row.
void UpdateCommentFlag(int linkKind, int ownerId, bool hasAny);

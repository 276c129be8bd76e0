#pragma once

// The note pad "Jegyzettömb": the category list, the notes of the chosen
// category and the text of the current note side by side, with new, edit,
// delete and the text search. Categories are no table of their own: the list
// is what the notes use, the empty entry first (it stands for every note).

#include "app/helpers/listchild.h"

class QPlainTextEdit;
class QSplitter;

namespace zdb {
class Query;
class RecordSet;
}

// The lines of the category query.
QString NoteCategorySql();
// Filters the notes to a category, its name bound; the empty category lists
// every note.
void SetNoteCategoryFilter(zdb::RecordSet &rs, const QString &category);

class Tfrm_Jegyzetek : public ListChild
{
    Q_OBJECT
public:
    explicit Tfrm_Jegyzetek(QWidget *parent = nullptr);

    zdb::Table *notes() const { return m_notes; }
    zdb::Query *categories() const { return m_categories; }
    DataGrid *categoryGrid() const { return m_categoryGrid; }
    QPlainTextEdit *textPane() const { return m_text; }

    // The commands (the actions run these).
    void newNote();
    void editNote();
    void deleteNote();
    void searchNotes();

    QAction *aUj = nullptr;
    QAction *aSzerkeszt = nullptr;
    QAction *aTorol = nullptr;
    QAction *aKeres = nullptr;
    QAction *aBezar = nullptr;

private:
    bool hasCurrentNote() const;
    // The notes of the current category, the same note kept current where listed.
    void applyCategory();
    // Runs the category query again and makes `category` current.
    void reloadCategories(const QString &category);
    void showCurrentText();
    void afterEdit(const QString &newCategory);

    zdb::Table *m_notes = nullptr;
    zdb::Query *m_categories = nullptr;
    DataGrid *m_categoryGrid = nullptr;
    QPlainTextEdit *m_text = nullptr;
    QSplitter *m_panes = nullptr;
    QString m_shownCategory;
    bool m_categoryChosen = false;
};

#pragma once

// The text search of the notes "Szöveg keresés": the notes whose text holds
// the searched text (SQLite's LIKE, so "%" and "_" are wildcards), and an
// excerpt of the current one with the match in bold.

#include <QDialog>
#include <QString>

class DataGrid;
class QLineEdit;
class QPushButton;
class QTextEdit;

namespace zdb {
class Query;
}

// The piece of a note's text shown around the first match: up to 50
// characters before it, the match, and up to 50 after. The comparison ignores
// case one character at a time, so positions in the excerpt are positions in
// the text (upper-casing "ß" gives "SS" and would shift them).
struct NoteExcerpt
{
    QString text;
    int boldStart = -1;   // in text; -1 when the searched text is not in it
    int boldLength = 0;
};
NoteExcerpt MakeNoteExcerpt(const QString &noteText, const QString &searched);

// The lines of the search query, with the parameter :pszoveg.
QString NoteSearchSql();

class Tfrm_SzovegKeres : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrm_SzovegKeres(const QString &initial, QWidget *parent = nullptr);
    ~Tfrm_SzovegKeres() override;

    QLineEdit *searchBox() const { return m_search; }
    QPushButton *searchButton() const { return m_keres; }
    QPushButton *confirmButton() const { return m_megvan; }
    QPushButton *closeButton() const { return m_bezar; }
    DataGrid *results() const { return m_grid; }
    QTextEdit *excerptPane() const { return m_excerpt; }
    zdb::Query *query() const { return m_query; }

    // "Keres": the notes holding the search box's text.
    void search();
    // The current result's `jegyzet`; 0 when there is none (or it is empty).
    int chosenId() const;

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showExcerpt();

    QLineEdit *m_search = nullptr;
    QPushButton *m_keres = nullptr;
    QPushButton *m_megvan = nullptr;
    QPushButton *m_bezar = nullptr;
    DataGrid *m_grid = nullptr;
    QTextEdit *m_excerpt = nullptr;
    zdb::Query *m_query = nullptr;
    QString m_searched;   // the text the results were searched for
    bool m_positioned = false;
};

// Opens the search dialog with the initial text. The `jegyzet` of the result
// row current on "Megvan" or a double-click (0 with none), -1 when closed.
int SearchNotes(const QString &initial);

#pragma once

// The import dialog of customers, products and projects: the file, its text
// with line numbers, the column list with check boxes, and the load with a
// moving progress bar. One design with three settings (csvload.h).

#include "masterdata/csvload.h"

#include <QDialog>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QToolButton;
class DescriptionEditor;

namespace zdb {
class Table;
}

class Tfrm_Betolt : public QDialog
{
    Q_OBJECT
public:
    Tfrm_Betolt(const csvimport::ImportKind &kind, zdb::Table *target, QWidget *parent = nullptr);

    QAction *aMegnyit = nullptr;
    QAction *aEllenoriz = nullptr;
    QAction *aBetolt = nullptr;
    QAction *aBezar = nullptr;

    // The column list as the user left it (names, header places, ticks).
    QList<csvimport::Column> columns() const;
    bool loading() const { return m_loading; }

    // The commands themselves (tests call them as the toolbar does).
    void chooseFile();
    void rebuildColumns();
    void startLoad();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void openFile(const QString &path);
    void openTypedFile();
    void setLoading(bool on);
    // A typed path is taken from the program folder when it is relative.
    QString resolvedPath() const;

    const csvimport::ImportKind &m_kind;
    zdb::Table *m_target;
    QList<csvimport::Column> m_columns;   // names and header places of the list's entries
    QString m_shownPath;                   // the file whose text the editor shows
    QLineEdit *m_path = nullptr;
    QToolButton *m_browse = nullptr;
    QListWidget *m_list = nullptr;
    DescriptionEditor *m_text = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_result = nullptr;
    bool m_loading = false;
    bool m_positioned = false;
};

#pragma once

// "SQL lekérdezés": the free SQL console. Any statement typed (or the
// selected part of the text) runs against the program's database; the rows of
// a SELECT appear in a read-only grid and can be exported as delimited text;
// statements are kept in ".sql" files under the program's "SQL" folder.

#include <QDialog>
#include <QString>
#include <QStringList>

class DataGrid;
class DescriptionEditor;
class QAction;
class QMenu;
class QMenuBar;
class QTabWidget;
class QToolBar;
namespace zdb {
class Connection;
class Query;
}

class Tfrm_Sql : public QDialog
{
    Q_OBJECT
public:
    // Works on the program's connection (Db1).
    explicit Tfrm_Sql(QWidget *parent = nullptr);
    ~Tfrm_Sql() override;

    // The commands.
    QAction *aUj = nullptr;
    QAction *aMegnyit = nullptr;
    QAction *aMent = nullptr;
    QAction *aExport = nullptr;
    QAction *aFuttat = nullptr;
    QAction *aLeallit = nullptr;   // stops the running statement (also Esc)
    QAction *aKivag = nullptr;
    QAction *aMasol = nullptr;
    QAction *aBeilleszt = nullptr;
    QAction *aMindet = nullptr;
    QAction *aBezar = nullptr;

    DescriptionEditor *editor() const { return m_editor; }
    DataGrid *grid() const { return m_grid; }
    QTabWidget *pages() const { return m_pages; }
    zdb::Query *query() const { return m_qry; }
    QMenu *editorPopup() const { return m_editorPopup; }
    QToolBar *toolBar() const { return m_toolBar; }
    bool onResultPage() const;
    // True while a statement runs; the window keeps painting meanwhile.
    bool running() const { return m_running; }
    // Asks the running statement to stop; nothing when none runs.
    void stopStatement();
    // Esc: stops a running statement instead of closing the window.
    void reject() override;

    // The path of the ".sql" file last opened or saved here; empty at first.
    QString fileName() const { return m_fileName; }

    // The commands' work, without their file dialogs. Each reports its own
    // failure to the user and returns false.
    bool runStatement();
    bool loadFile(const QString &path);
    bool saveFile(const QString &path);

    // Where the file dialogs start: the "SQL" folder of the program, or the
    // program folder while that is missing.
    static QString sqlFolder();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createActions();
    void createMenus();
    void newSql();
    void openSql();
    void saveSql();
    void exportResult();
    void copy();
    void closeResult();
    void showResult();
    void updateCommands();
    // Asks about a transaction the console left open; false keeps the window.
    bool settleTransaction();
    // Runs the statement with the window alive; false when it was stopped or failed.
    void runAlive(bool isQuery);
    // Announces the tables written, so open lists reload them.
    void announce(const QStringList &tables);

    zdb::Connection *m_db = nullptr;
    zdb::Query *m_qry = nullptr;
    DescriptionEditor *m_editor = nullptr;
    DataGrid *m_grid = nullptr;
    QTabWidget *m_pages = nullptr;
    QMenuBar *m_menuBar = nullptr;
    QToolBar *m_toolBar = nullptr;
    QMenu *m_editorPopup = nullptr;
    QString m_fileName;
    bool m_positioned = false;
    bool m_transactionAtStart = false;
    bool m_copyTaken = false;   // the restore copy of this session
    bool m_running = false;
    bool m_stopRequested = false;
    QStringList m_writtenInTransaction;   // to announce again when it ends
};

// The main window's "Szabad lekérdezés": runs the console modally.
void ShowSqlConsole(QWidget *parent);

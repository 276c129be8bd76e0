#include "app/sqlconsole.h"

#include "output/sqlstatement.h"

#include "app/helpers/core/restorecopies.h"
#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/descriptioneditor.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"
#include "app/helpers/core/textfile.h"
#include "app/delimitedexportdialog.h"
#include "output/output.h"

#include "db/catalog.h"
#include "db/connection.h"
#include "db/dberror.h"
#include "db/recordset.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>


namespace {

const QString kFormName = QStringLiteral("frm_Sql");
const QString kRestNotRun = QStringLiteral(
    "A szöveg több utasítást tartalmaz: csak az első futott le, a többi nem.\n"
    "A többit egyenként kijelölve lehet futtatni.");

// A result bigger than this would crowd out the rest of the machine.
constexpr qint64 kResultLimit = qint64(1) << 30;

QString sqlError(const QString &message)
{
    return QStringLiteral("SQL hiba:\n") + message;
}

bool isNumeric(zdb::FieldKind kind)
{
    return kind == zdb::FieldKind::Integer || kind == zdb::FieldKind::Float || kind == zdb::FieldKind::Currency;
}

} // namespace

Tfrm_Sql::Tfrm_Sql(QWidget *parent)
    : QDialog(parent), m_db(Db1())
{
    setObjectName(kFormName);
    // On a server the statements are its dialect's, not a file's.
    setWindowTitle(m_db && m_db->isServer() ? QStringLiteral("SQL lekérdezés (PostgreSQL)") : QStringLiteral("SQL lekérdezés"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);
    resize(820, 560);

    m_qry = new zdb::Query(m_db, this);
    m_qry->setObjectName(QStringLiteral("QrySql"));
    m_qry->setLoadLimit(kResultLimit);
    // Only a transaction begun here is this window's to settle.
    m_transactionAtStart = m_db && m_db->inTransaction();

    m_editor = new DescriptionEditor(this);
    m_editor->setObjectName(QStringLiteral("SqlEditor"));
    m_editor->setSqlSyntax();
    m_editor->setContextMenuPolicy(Qt::CustomContextMenu);

    m_grid = new DataGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->horizontalHeader()->setSectionsClickable(false);
    m_grid->setRecordSet(m_qry, {});

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->addTab(m_editor, QStringLiteral("SQL"));
    m_pages->addTab(m_grid, QStringLiteral("Eredmény"));

    createActions();
    createMenus();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->setSpacing(2);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_pages, 1);

    connect(m_pages, &QTabWidget::currentChanged, this, [this] { updateCommands(); });
    connect(m_editor, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_editorPopup->exec(m_editor->mapToGlobal(pos)); });
    updateCommands();
}

Tfrm_Sql::~Tfrm_Sql() = default;

void Tfrm_Sql::createActions()
{
    auto make = [this](const char *name, const QString &caption, const QString &hint, const QKeySequence &key,
                       const char *icon) {
        QAction *a = MakeAction(this, QString::fromLatin1(name), caption, hint, key,
                                icon ? QString::fromLatin1(icon) : QString());
        addAction(a);   // the shortcuts work on both pages
        return a;
    };
    aUj = make("aUj", QStringLiteral("Új SQL"), QStringLiteral("Az SQL szöveg törlése"),
               QKeySequence(QStringLiteral("Ctrl+N")), "uj");
    aMegnyit = make("aMegnyit", QStringLiteral("SQL megnyitása"), QStringLiteral("SQL utasítás betöltése fájlból"),
                    QKeySequence(QStringLiteral("Ctrl+O")), "megnyit");
    aMent = make("aMent", QStringLiteral("SQL mentése"), QStringLiteral("Az SQL utasítás mentése fájlba"),
                 QKeySequence(QStringLiteral("Ctrl+S")), "mentes");
    aExport = make("aExport", QStringLiteral("Export"), QStringLiteral("Az eredmény exportálása határolt szövegként"),
                   QKeySequence(QStringLiteral("Ctrl+E")), "excel");
    aFuttat = make("aFuttat", QStringLiteral("SQL lekérdezés"),
                   QStringLiteral("A kijelölt szöveg, vagy kijelölés nélkül a teljes szöveg futtatása"),
                   QKeySequence(Qt::Key_F5), "sql");
    aLeallit = make("aLeallit", QStringLiteral("Leállítás"), QStringLiteral("A futó utasítás leállítása (Esc)"), {},
                    "megsem");
    aKivag = make("aKivag", QStringLiteral("Kivág"), QStringLiteral("A kijelölt szöveg kivágása a vágólapra"),
                  QKeySequence(QStringLiteral("Ctrl+X")), "kivag");
    aMasol = make("aMasol", QStringLiteral("Másol"), QStringLiteral("A kijelölés másolása a vágólapra"),
                  QKeySequence(QStringLiteral("Ctrl+C")), "masol");
    aBeilleszt = make("aBeilleszt", QStringLiteral("Beilleszt"), QStringLiteral("Beillesztés a vágólapról"),
                      QKeySequence(QStringLiteral("Ctrl+V")), "beilleszt");
    aMindet = make("aMindet", QStringLiteral("Mindet kijelöl"), QStringLiteral("A teljes szöveg kijelölése"),
                   QKeySequence(QStringLiteral("Ctrl+A")), nullptr);
    aBezar = make("aBezar", QStringLiteral("Bezár"), QStringLiteral("Az ablak bezárása"), {}, "bezar");

    connect(aUj, &QAction::triggered, this, Guarded([this] { newSql(); }));
    connect(aMegnyit, &QAction::triggered, this, Guarded([this] { openSql(); }));
    connect(aMent, &QAction::triggered, this, Guarded([this] { saveSql(); }));
    connect(aExport, &QAction::triggered, this, Guarded([this] { exportResult(); }));
    connect(aFuttat, &QAction::triggered, this, Guarded([this] { runStatement(); }));
    connect(aLeallit, &QAction::triggered, this, [this] { stopStatement(); });
    connect(aKivag, &QAction::triggered, this, [this] {
        if (!onResultPage())
            m_editor->cut();
    });
    connect(aMasol, &QAction::triggered, this, Guarded([this] { copy(); }));
    connect(aBeilleszt, &QAction::triggered, this, [this] {
        if (!onResultPage())
            m_editor->paste();
    });
    connect(aMindet, &QAction::triggered, this, [this] {
        if (!onResultPage())
            m_editor->selectAll(true);
    });
    connect(aBezar, &QAction::triggered, this, &QWidget::close);
}

void Tfrm_Sql::createMenus()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("MainMenu1"));
    AddActions(m_menuBar->addMenu(QStringLiteral("Fájl")),
               {aUj, aMegnyit, aMent, nullptr, aExport, nullptr, aBezar});
    AddActions(m_menuBar->addMenu(QStringLiteral("Szerkesztés")), {aKivag, aMasol, aBeilleszt, nullptr, aMindet});
    AddActions(m_menuBar->addMenu(QStringLiteral("SQL")), {aFuttat, aLeallit});

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (QAction *a : {aUj, aMegnyit, aMent, static_cast<QAction *>(nullptr), aExport, static_cast<QAction *>(nullptr),
                       aFuttat, aLeallit, static_cast<QAction *>(nullptr), aKivag, aMasol, aBeilleszt,
                       static_cast<QAction *>(nullptr), aBezar}) {
        if (a)
            m_toolBar->addAction(a);
        else
            m_toolBar->addSeparator();
    }

    m_editorPopup = new QMenu(this);
    m_editorPopup->setObjectName(QStringLiteral("PopupMenuSql"));
    AddActions(m_editorPopup, {aFuttat, nullptr, aUj, aMegnyit, aMent, nullptr, aKivag, aMasol, aBeilleszt, aMindet});
    m_grid->setPopupActions({aMasol, nullptr, aExport});
}

bool Tfrm_Sql::onResultPage() const
{
    return m_pages->currentWidget() == m_grid;
}

QString Tfrm_Sql::sqlFolder()
{
    const QString folder = ProgramPath(QStringLiteral("SQL"));
    return QFileInfo(folder).isDir() ? folder : ProgramDir();
}

void Tfrm_Sql::updateCommands()
{
    // While a statement runs, only stopping it is offered: the window keeps
    // handling events, and nothing else may touch the connection meanwhile.
    const bool idle = !m_running;
    for (QAction *a : {aUj, aMegnyit, aMent, aFuttat, aBezar})
        a->setEnabled(idle);
    aLeallit->setEnabled(m_running);
    const bool result = idle && m_qry->isOpen();
    aExport->setEnabled(result);
    const bool sqlPage = idle && !onResultPage();
    aKivag->setEnabled(sqlPage);
    aBeilleszt->setEnabled(sqlPage);
    aMindet->setEnabled(sqlPage);
    aMasol->setEnabled(sqlPage || (result && m_qry->currentRow() >= 0));
}

void Tfrm_Sql::stopStatement()
{
    if (m_running)
        m_stopRequested = true;
}

void Tfrm_Sql::announce(const QStringList &tables)
{
    for (const QString &table : tables)
        zdb::TableChanges::notify(table);
}

void Tfrm_Sql::runAlive(bool isQuery)
{
    m_running = true;
    m_stopRequested = false;
    updateCommands();
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    // The engine calls back every few thousand steps; events are handled about
    // twenty times a second, so the window paints and the stop button works.
    m_db->setProgressPoll([this, &sinceEvents] {
        if (sinceEvents.elapsed() >= 50) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            sinceEvents.restart();
        }
        return m_stopRequested;
    });
    auto finish = qScopeGuard([this] {
        m_db->setProgressPoll({});
        m_running = false;
        updateCommands();
    });
    if (isQuery)
        m_qry->open();
    else
        m_qry->execute();
}

// ---- running -------------------------------------------------------------------

void Tfrm_Sql::closeResult()
{
    m_qry->close();
    m_grid->setRecordSet(m_qry, {});
    updateCommands();
}

void Tfrm_Sql::showResult()
{
    QList<GridColumn> columns;
    for (int i = 0; i < m_qry->fieldCount(); ++i) {
        const zdb::FieldDef &f = m_qry->field(i);
        GridColumn c;
        c.field = f.name;
        c.title = f.displayTitle();
        c.width = 64;
        if (isNumeric(f.kind))
            c.alignment = Qt::AlignRight | Qt::AlignVCenter;
        columns.append(c);
    }
    m_grid->setRecordSet(m_qry, columns);
    m_pages->setCurrentWidget(m_grid);
    m_grid->setFocus(Qt::OtherFocusReason);
    updateCommands();
}

bool Tfrm_Sql::runStatement()
{
    if (m_running || !m_db)
        return false;
    closeResult();
    const QString selection = m_editor->currentSelection();
    const QString statement = selection.isEmpty() ? m_editor->text() : selection;
    const bool isQuery = statement.trimmed().toUpper().startsWith(QLatin1String("SELECT"));
    bool more = false;
    const bool transactionBefore = m_db->inTransaction();
    QStringList written;
    try {
        m_qry->setSql(statement);
        // Asked before running: the first statement may change what the rest
        // would mean (a dropped table, say).
        more = m_qry->hasMoreStatements();
        const QStringList words = isQuery ? QStringList() : FirstStatementWords(statement);
        const QString verb = words.value(0);
        // A slip of the hand must not empty or overwrite a whole table unasked.
        // (A statement that does not compile is left to report its error.)
        if ((verb == QLatin1String("UPDATE") || verb == QLatin1String("DELETE")) && !words.contains(QLatin1String("WHERE"))
            && !m_db->tablesWrittenBy(statement).isEmpty()
            && !AskYesNoDefaultNo(QStringLiteral("Az utasításban nincs WHERE feltétel: a tábla minden sorára hat.\n"
                                                 "Biztosan futtassam?"),
                                  QStringLiteral("Megerősítés"), this))
            return false;
        if (!isQuery) {
            // The first writing statement of a session may undo much: a copy
            // to go back to comes first.
            if (!m_copyTaken) {
                MakeRestoreCopy(m_qry->connection(), CopyCause::Sql);
                m_copyTaken = true;
            }
            // Read before it runs: a statement that drops its table leaves
            // nothing to read afterwards.
            written = m_db->tablesWrittenBy(statement);
        }
        runAlive(isQuery);
    } catch (const zdb::Error &e) {
        const bool stopped = m_stopRequested;
        m_stopRequested = false;
        closeResult();
        // A write stopped half-way takes its whole transaction back with it.
        QStringList undone;
        if (transactionBefore && !m_db->inTransaction()) {
            undone = m_writtenInTransaction;
            m_writtenInTransaction.clear();
        }
        announce(undone);
        if (stopped) {
            QString text = QStringLiteral("Az utasítás leállítva, nem futott le.");
            if (!undone.isEmpty() || (transactionBefore && !m_db->inTransaction()))
                text += QStringLiteral("\nA nyitott tranzakciót az adatbázis visszavonta.");
            else if (transactionBefore)
                text += QStringLiteral("\nA nyitott tranzakció megmaradt.");
            ShowWarning(text, this);
        } else if (e.message() == zdb::RecordSet::tooLargeMessage()) {
            ShowError(e.message(), this);
        } else {
            ShowError(sqlError(e.message()), this);
        }
        return false;
    }
    // Every write is announced at once, so open lists reload and none of
    // their stale rows is posted back over it; when the transaction ends
    // (a rollback especially) its tables are announced again.
    announce(written);
    if (m_db->inTransaction()) {
        for (const QString &table : std::as_const(written)) {
            if (!m_writtenInTransaction.contains(table))
                m_writtenInTransaction.append(table);
        }
    } else if (transactionBefore) {
        announce(m_writtenInTransaction);
        m_writtenInTransaction.clear();
    }
    if (isQuery) {
        showResult();
        if (more)
            ShowWarning(kRestNotRun, this);
    } else {
        // How many rows the statement changed, for a statement that changes rows.
        QString done = QStringLiteral("SQL futtatás kész.");
        const QString verb = FirstStatementWords(statement).value(0);
        if (!written.isEmpty()
            && (verb == QLatin1String("INSERT") || verb == QLatin1String("UPDATE") || verb == QLatin1String("DELETE")
                || verb == QLatin1String("REPLACE") || verb == QLatin1String("WITH"))) {
            // Asked of the connection: a server has no changes() to select, and a
            // failed statement there would end the user's open transaction.
            done += QStringLiteral("\nMódosított sorok száma: %1").arg(m_db->changes());
        }
        if (more)
            ShowWarning(done + QStringLiteral("\n\n") + kRestNotRun, this);
        else
            ShowInfo(done, this);
    }
    return true;
}

// ---- files ---------------------------------------------------------------------

void Tfrm_Sql::newSql()
{
    m_editor->setPlainText(QString());
    m_pages->setCurrentWidget(m_editor);
    m_editor->setFocus(Qt::OtherFocusReason);
}

void Tfrm_Sql::openSql()
{
    QString path = chooseOpenFile(this, QStringLiteral("SQL megnyitás"), sqlFolder(),
                                  QStringLiteral("SQL állományok (*.sql)"));
    if (path.isEmpty())
        return;
    // A name typed without its extension means the ".sql" file.
    if (!QFileInfo::exists(path) && QFileInfo(path).suffix().isEmpty() && QFileInfo::exists(path + QStringLiteral(".sql")))
        path += QStringLiteral(".sql");
    loadFile(path);
}

bool Tfrm_Sql::loadFile(const QString &path)
{
    QString text;
    try {
        text = ReadTextFile(path);
    } catch (const zdb::Error &e) {
        ShowError(e.message(), this);
        return false;
    }
    m_editor->setPlainText(text);
    m_fileName = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    m_pages->setCurrentWidget(m_editor);
    m_editor->setFocus(Qt::OtherFocusReason);
    return true;
}

void Tfrm_Sql::saveSql()
{
    const QString preset = m_fileName.isEmpty() ? sqlFolder() : m_fileName;
    const QString path = chooseSaveFileWithSuffix(this, QStringLiteral("SQL mentése"), preset,
                                                  QStringLiteral("SQL file-ok (*.sql)"), QStringLiteral("sql"));
    if (path.isEmpty())
        return;
    saveFile(path);
}

bool Tfrm_Sql::saveFile(const QString &path)
{
    try {
        WriteTextFile(path, m_editor->plainText());
    } catch (const zdb::Error &e) {
        ShowError(e.message(), this);
        return false;
    }
    m_fileName = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    m_editor->setModified(false);
    return true;
}

// ---- the result ----------------------------------------------------------------

void Tfrm_Sql::exportResult()
{
    if (m_qry->isOpen())
        ExportDelimited(m_qry);
}

void Tfrm_Sql::copy()
{
    if (!onResultPage()) {
        m_editor->copy();
        return;
    }
    // The result's current row, its values separated by tabs as spreadsheets paste them.
    const int row = m_qry->isOpen() ? m_qry->currentRow() : -1;
    if (row < 0)
        return;
    QStringList cells;
    for (int i = 0; i < m_qry->fieldCount(); ++i)
        cells.append(m_qry->textAt(row, i));
    QApplication::clipboard()->setText(cells.join(QLatin1Char('\t')));
}

// ---- opening and closing --------------------------------------------------------

void Tfrm_Sql::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_positioned) {
        m_positioned = true;
        RestoreFormPosition(this, kFormName);
        m_pages->setCurrentWidget(m_editor);
        m_editor->setFocus(Qt::OtherFocusReason);
    }
}

bool Tfrm_Sql::settleTransaction()
{
    if (!m_db || m_transactionAtStart || !m_db->inTransaction())
        return true;
    const bool commit = AskYesNo(QStringLiteral("Az SQL ablakban indított tranzakció még nyitva van.\n\n"
                                                "Véglegesítsem a változásokat (COMMIT)?\n"
                                                "„Nem” esetén visszavonom őket (ROLLBACK)."),
                                 QStringLiteral("Megerősítés"), this);
    try {
        if (commit)
            m_db->commit();
        else
            m_db->rollback();
    } catch (const zdb::Error &e) {
        ShowError(sqlError(e.message()), this);
        return false;
    }
    if (!commit)
        announce(m_writtenInTransaction);
    m_writtenInTransaction.clear();
    return true;
}

void Tfrm_Sql::reject()
{
    // Esc while a statement runs stops it; the window stays.
    if (m_running) {
        stopStatement();
        return;
    }
    QDialog::reject();
}

void Tfrm_Sql::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        stopStatement();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void Tfrm_Sql::done(int result)
{
    if (m_running) {
        stopStatement();
        return;
    }
    if (!settleTransaction())
        return;
    closeResult();
    if (m_positioned)
        RememberFormPosition(this, kFormName);
    QDialog::done(result);
}

void ShowSqlConsole(QWidget *parent)
{
    Tfrm_Sql console(parent);
    execDialog(&console);
}

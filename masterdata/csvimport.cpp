#include "masterdata/csvimport.h"

#include "masterdata/entries.h"

#include "app/helpers/core/restorecopies.h"
#include "app/helpers/actions.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"
#include "db/recordset.h"
#include "app/helpers/descriptioneditor.h"
#include "app/helpers/core/textfile.h"
#include "db/dberror.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A whole file, or an error message naming it (a file too large to show is
// refused before it is read).
bool readWholeFile(const QString &path, QByteArray &bytes, QString &error)
{
    try {
        bytes = ReadFileBytes(path, csvimport::kMaxImportFile);
        return true;
    } catch (const zdb::Error &e) {
        error = e.message();
        return false;
    }
}

} // namespace

Tfrm_Betolt::Tfrm_Betolt(const csvimport::ImportKind &kind, zdb::Table *target, QWidget *parent)
    : QDialog(parent)
    , m_kind(kind)
    , m_target(target)
{
    setObjectName(kind.formName);
    setWindowTitle(kind.caption);
    setWindowIcon(ZIcon(QStringLiteral("import")));
    resize(760, 520);

    aMegnyit = MakeAction(this, QStringLiteral("aMegnyit"), QStringLiteral("Megnyit"), QStringLiteral("File megnyitás"),
                          QKeySequence(Qt::CTRL | Qt::Key_O), QStringLiteral("megnyit"));
    aEllenoriz = MakeAction(this, QStringLiteral("aEllenoriz"), QStringLiteral("Ellenőriz"), {}, {},
                            QStringLiteral("kesz"));
    aBetolt = MakeAction(this, QStringLiteral("aBetolt"), QStringLiteral("Betöltés indít"), QStringLiteral("Betöltés"),
                         QKeySequence(Qt::CTRL | Qt::Key_R), QStringLiteral("import"));
    aBezar = MakeAction(this, QStringLiteral("aBezar"), QStringLiteral("Bezár"), {}, QKeySequence(Qt::Key_Escape),
                        QStringLiteral("bezar"));
    for (QAction *a : {aMegnyit, aEllenoriz, aBetolt, aBezar}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
    connect(aMegnyit, &QAction::triggered, this, Guarded([this] { chooseFile(); }));
    connect(aEllenoriz, &QAction::triggered, this, Guarded([this] { rebuildColumns(); }));
    connect(aBetolt, &QAction::triggered, this, Guarded([this] { startLoad(); }));
    connect(aBezar, &QAction::triggered, this, &QDialog::reject);

    auto *toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar->setIconSize(QSize(16, 16));
    toolBar->addAction(aMegnyit);
    toolBar->addAction(aEllenoriz);
    toolBar->addAction(aBetolt);
    toolBar->addSeparator();
    toolBar->addAction(aBezar);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstOszlopok"));
    m_list->setMinimumWidth(150);

    auto *right = new QWidget(this);
    auto *label = new QLabel(QStringLiteral("File"), right);
    m_path = new QLineEdit(right);
    m_path->setObjectName(QStringLiteral("edFile"));
    label->setBuddy(m_path);
    // A path typed and confirmed (Enter, or leaving the box) shows that file,
    // so the text and columns on screen are those of the file to be loaded.
    connect(m_path, &QLineEdit::editingFinished, this, Guarded([this] { openTypedFile(); }));
    m_browse = new QToolButton(right);
    m_browse->setObjectName(QStringLiteral("btnTalloz"));
    m_browse->setIcon(ZIcon(QStringLiteral("mappa")));
    m_browse->setToolTip(QStringLiteral("File megnyitás"));
    connect(m_browse, &QToolButton::clicked, this, Guarded([this] { chooseFile(); }));
    m_text = new DescriptionEditor(right);
    m_text->setObjectName(QStringLiteral("memFile"));
    m_text->setWrapMode(QsciScintilla::WrapNone);
    // Room for the line numbers of a long file.
    m_text->setMarginWidth(0, m_text->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 10);
    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(label);
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_browse);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addLayout(pathRow);
    rightLayout->addWidget(m_text, 1);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(m_list);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({180, 560});

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);

    // What the last load did, beside the progress bar.
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("lbEredmeny"));
    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->addWidget(m_progress, 1);
    bottom->addWidget(m_result);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(toolBar);
    layout->addWidget(splitter, 1);
    layout->addLayout(bottom);
}

QList<csvimport::Column> Tfrm_Betolt::columns() const
{
    QList<csvimport::Column> out = m_columns;
    for (int i = 0; i < out.size() && i < m_list->count(); ++i)
        out[i].ticked = m_list->item(i)->checkState() == Qt::Checked;
    return out;
}

namespace {

// A name given without its extension means the .csv file of that name.
QString withCsvExtension(const QString &name)
{
    if (!name.isEmpty() && !QFileInfo::exists(name) && QFileInfo(name).suffix().isEmpty()
        && QFileInfo::exists(name + QStringLiteral(".csv")))
        return name + QStringLiteral(".csv");
    return name;
}

} // namespace

void Tfrm_Betolt::chooseFile()
{
    if (m_loading)
        return;
    const QString start = m_path->text().trimmed().isEmpty() ? ProgramDir() : QFileInfo(resolvedPath()).absolutePath();
    const QString name = chooseOpenFile(this, m_kind.caption, start, QStringLiteral("CSV file-ok (*.csv)"));
    if (!name.isEmpty())
        openFile(withCsvExtension(name));
}

void Tfrm_Betolt::openTypedFile()
{
    if (m_loading)
        return;
    const QString path = withCsvExtension(resolvedPath());
    if (path.isEmpty())
        return;
    // Half-typed names are left alone: the load itself reports a missing file.
    if (!QFileInfo(path).isFile() || QFileInfo(path) == QFileInfo(m_shownPath))
        return;
    openFile(path);
}

void Tfrm_Betolt::openFile(const QString &path)
{
    QByteArray bytes;
    QString error;
    if (!readWholeFile(path, bytes, error)) {
        ShowError(error, this);
        return;
    }
    QString text;
    try {
        text = csvimport::DecodeFileText(bytes);
    } catch (const zdb::Error &e) {
        ShowError(QDir::toNativeSeparators(path) + QStringLiteral("\n") + e.message(), this);
        return;
    }
    m_shownPath = path;
    m_path->setText(QDir::toNativeSeparators(path));
    m_list->clear();
    m_columns.clear();
    m_text->setPlainText(text);
    rebuildColumns();
}

void Tfrm_Betolt::rebuildColumns()
{
    if (m_loading)
        return;
    m_list->clear();
    // Only the first record is wanted: a long file is not split whole. A
    // quoted header name may hold a line break, so lines are taken until the
    // record is complete.
    QString header;
    const int count = m_text->lines();
    for (int i = 0; i < count && i < 1000; ++i) {
        header += m_text->text(i);
        const qsizetype end = csvimport::FirstRecordEnd(header);
        if (end >= 0 && (end < header.size() || i + 1 == count)) {
            header.truncate(end);
            break;
        }
    }
    m_columns = csvimport::ColumnsFromHeader(header);
    for (const csvimport::Column &c : std::as_const(m_columns)) {
        auto *item = new QListWidgetItem(c.entry(), m_list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

QString Tfrm_Betolt::resolvedPath() const
{
    const QString typed = QDir::fromNativeSeparators(m_path->text().trimmed());
    if (typed.isEmpty() || QDir::isAbsolutePath(typed))
        return typed;
    return QDir(ProgramDir()).absoluteFilePath(typed);
}

void Tfrm_Betolt::startLoad()
{
    if (m_loading)
        return;
    openTypedFile();   // a path typed but not yet confirmed
    const QList<csvimport::Column> cols = columns();
    const QString problem = csvimport::CheckColumns(m_kind, cols);
    if (!problem.isEmpty()) {
        ShowError(problem, this);
        return;
    }
    const QString path = resolvedPath();
    if (path.isEmpty()) {
        ShowError(QStringLiteral("Nincs megadva a betöltendő file."), this);
        return;
    }
    QByteArray bytes;
    QString error;
    if (!readWholeFile(path, bytes, error)) {
        ShowError(error, this);
        return;
    }
    const csvimport::FileLines lines(std::move(bytes));
    // A load may change thousands of rows: a copy to go back to comes first
    // (a failure to make it stops the load; the general error handling says why).
    MakeRestoreCopy(m_target->connection(), CopyCause::Import);

    m_progress->setRange(0, qMax(1, lines.count() - 1));
    m_progress->setValue(0);
    m_result->clear();
    setLoading(true);
    struct EndLoading
    {
        Tfrm_Betolt *dlg;
        ~EndLoading() { dlg->setLoading(false); }
    } endLoading{this};
    const csvimport::Outcome outcome = csvimport::Load(*m_target, m_kind, cols, lines, [this](int line) {
        m_progress->setValue(line);
        if (line % 3 == 0)
            QCoreApplication::processEvents();   // the dialog stays responsive and repaints
    });
    // A finished load shows a full bar; a failed one starts again from nothing.
    m_progress->setValue(outcome.error.isEmpty() ? m_progress->maximum() : 0);
    m_result->setText(QStringLiteral("Frissített sorok: %1, új sorok: %2").arg(outcome.updated).arg(outcome.inserted));
    if (!outcome.error.isEmpty())
        ShowError(outcome.error, this);
    else
        ShowInfo(QStringLiteral("Betöltés kész."), this);
}

void Tfrm_Betolt::setLoading(bool on)
{
    m_loading = on;
    for (QAction *a : {aMegnyit, aEllenoriz, aBetolt, aBezar})
        a->setEnabled(!on);
    m_browse->setEnabled(!on);
    m_path->setReadOnly(on);
    m_list->setEnabled(!on);
    m_text->setReadOnly(on);
}

void Tfrm_Betolt::done(int result)
{
    if (m_loading)
        return;   // the load finishes first
    RememberFormPosition(this, m_kind.formName);
    QDialog::done(result);
}

void Tfrm_Betolt::closeEvent(QCloseEvent *event)
{
    if (m_loading) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void Tfrm_Betolt::showEvent(QShowEvent *event)
{
    if (!m_positioned) {
        m_positioned = true;
        RestoreFormPosition(this, m_kind.formName);
    }
    QDialog::showEvent(event);
}

// ---- entries ---------------------------------------------------------------

namespace {

void runImport(const csvimport::ImportKind &kind, zdb::Table *tbl)
{
    Tfrm_Betolt dlg(kind, tbl, DialogParent());
    execDialog(&dlg);
}

} // namespace

void ImportCustomers(zdb::Table *tbl)
{
    runImport(csvimport::CustomerImport(), tbl);
}

void ImportProducts(zdb::Table *tbl)
{
    runImport(csvimport::ProductImport(), tbl);
}

void ImportProjects(zdb::Table *tbl)
{
    runImport(csvimport::ProjectImport(), tbl);
}

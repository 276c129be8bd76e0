#include "scheduling/pickers.h"

#include "scheduling/entries.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"
#include "db/catalog.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString kClosed = QStringLiteral("I");

GridColumn gridColumn(const QString &field, const QString &title, int width,
                      Qt::Alignment alignment = Qt::AlignLeft)
{
    GridColumn c;
    c.field = field;
    c.title = title;
    c.width = width;
    c.alignment = alignment;
    return c;
}

// The keys that walk the list; typed into the search box they move the grid.
bool isListNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

} // namespace

PickerKind PickerKind::customer()
{
    PickerKind k;
    k.formName = QStringLiteral("frm_UgyfelValaszt");
    k.caption = QStringLiteral("Ügyfél választás");
    k.iconName = QStringLiteral("ugyfel");
    k.table = QStringLiteral("ugyfel");
    k.idField = QStringLiteral("ugyfel");
    k.nameField = QStringLiteral("ugyfel_nev");
    k.extraField = QStringLiteral("emil");
    k.fields = QStringLiteral("ugyfel ugyfelkod ugyfel_nev kapcsolattarto telefon emil").split(QLatin1Char(' '));
    k.columns = {gridColumn(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél"), 220),
                 gridColumn(QStringLiteral("kapcsolattarto"), QStringLiteral("kapcs.tartó"), 140),
                 gridColumn(QStringLiteral("ugyfelkod"), QStringLiteral("ügyfélkód"), 70, Qt::AlignRight),
                 gridColumn(QStringLiteral("telefon"), QStringLiteral("telefon"), 110)};
    return k;
}

PickerKind PickerKind::product()
{
    PickerKind k;
    k.formName = QStringLiteral("frm_TermekValaszt");
    k.caption = QStringLiteral("Termék választás");
    k.iconName = QStringLiteral("termek");
    k.table = QStringLiteral("termek");
    k.idField = QStringLiteral("termek");
    k.nameField = QStringLiteral("termek_nev");
    k.fields = QStringLiteral("termek cikkszam termek_nev kategoria").split(QLatin1Char(' '));
    k.columns = {gridColumn(QStringLiteral("cikkszam"), QStringLiteral("cikkszám"), 100),
                 gridColumn(QStringLiteral("termek_nev"), QStringLiteral("megnevezés"), 240),
                 gridColumn(QStringLiteral("kategoria"), QStringLiteral("kategória"), 130)};
    return k;
}

PickerKind PickerKind::project()
{
    PickerKind k;
    k.formName = QStringLiteral("frm_ProjektValaszt");
    k.caption = QStringLiteral("Projekt választás");
    k.iconName = QStringLiteral("projekt");
    k.table = QStringLiteral("projekt");
    k.idField = QStringLiteral("projekt");
    k.nameField = QStringLiteral("projekt_nev");
    k.closedFlag = QStringLiteral("lezarva");
    k.fields = QStringLiteral("projekt projekt_nev dat_indul dat_lezar lezarva").split(QLatin1Char(' '));
    k.columns = {gridColumn(QStringLiteral("projekt_nev"), QStringLiteral("projekt"), 260),
                 gridColumn(QStringLiteral("dat_indul"), QStringLiteral("indul"), 95),
                 gridColumn(QStringLiteral("dat_lezar"), QStringLiteral("lezár"), 95)};
    return k;
}

Tfrm_Valaszt::Tfrm_Valaszt(const PickerKind &kind, QWidget *parent)
    : QDialog(parent), m_kind(kind)
{
    setObjectName(kind.formName);
    setWindowTitle(kind.caption);
    setWindowIcon(ZIcon(kind.iconName));

    m_tbl = new zdb::Table(Db1(), kind.table, this);
    zdb::DeclareFields(*m_tbl, kind.table, kind.fields, zdb::FieldTitles::Names);
    m_tbl->setReadOnly(true);
    // By the folded sort key, as the lists order names: Ábel before Béla, not after Zoltán.
    const QString nameKey = kind.nameField + QLatin1Char('s');
    m_tbl->setOrder(nameKey);

    aElfogad = MakeAction(this, QStringLiteral("aElfogad"), QStringLiteral("Rendben"), {},
                                   QKeySequence(Qt::Key_Return), QStringLiteral("ok"));
    aElfogad->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    aBezar = MakeAction(this, QStringLiteral("aBezar"), QStringLiteral("Mégsem"),
                                 QStringLiteral("Bezár"), QKeySequence(Qt::Key_Escape), QStringLiteral("megsem"));
    QList<QAction *> own{aElfogad, aBezar};
    if (!kind.closedFlag.isEmpty()) {
        aSzur = MakeAction(this, QStringLiteral("aSzur"), QStringLiteral("Szűr"), QStringLiteral("Szűr"),
                             QKeySequence(Qt::Key_F8), QStringLiteral("szur"));
        aSzur->setCheckable(true);
        aSzur->setChecked(true);   // every call starts with the open projects only
        own.prepend(aSzur);
        connect(aSzur, &QAction::triggered, this, Guarded([this] { toggleFilter(); }));
    }
    for (QAction *a : own) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
    connect(aElfogad, &QAction::triggered, this, [this] { acceptChosen(); });
    connect(aBezar, &QAction::triggered, this, &QDialog::reject);
    applyFilter();

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("searchBox"));
    m_search->setClearButtonEnabled(true);
    m_search->setMaxLength(75);
    m_search->setFixedWidth(qMax(160, m_search->fontMetrics().averageCharWidth() * 24));
    m_search->addAction(ZIcon(QStringLiteral("keres")), QLineEdit::LeadingPosition);
    // Enter here chooses the row the search made current, not the next control.
    m_search->setProperty("zentavoEnterKeepsDefault", true);
    m_search->installEventFilter(this);

    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->addWidget(m_search);
    m_toolBar->addSeparator();
    if (aSzur) {
        m_toolBar->addAction(aSzur);
        m_toolBar->addSeparator();
    }
    m_toolBar->addAction(aElfogad);
    m_toolBar->addAction(aBezar);

    m_grid = new DataGrid(this);
    m_grid->setObjectName(QStringLiteral("grid"));
    QList<GridColumn> columns = kind.columns;
    for (GridColumn &c : columns)
        if (c.field == kind.nameField)
            c.sortField = nameKey;
    m_grid->setRecordSet(m_tbl, columns);
    if (aSzur)
        m_grid->setPopupActions({aSzur, nullptr, aElfogad, aBezar});
    else
        m_grid->setPopupActions({aElfogad, aBezar});
    connect(m_grid, &DataGrid::activated, aElfogad, &QAction::trigger);

    if (!kind.closedFlag.isEmpty()) {
        const QString flag = kind.closedFlag;
        m_grid->setRowStyle([flag](const zdb::RecordSet &rs, int row) {
            GridRowStyle style;
            if (rs.valueAt(row, flag).toString() == kClosed) {
                style.text = closedTextColor();
                style.selectedText = closedSelectedTextColor();
            }
            return style;
        });
    }

    // The name column takes what the other columns leave of the grid's width.
    const int nameColumn = m_grid->columnOfField(kind.nameField);
    int others = 0;
    int total = 0;
    for (const GridColumn &c : kind.columns) {
        total += c.width;
        if (c.field != kind.nameField)
            others += c.width;
    }
    if (nameColumn >= 0) {
        const int nameWidth = kind.columns.at(nameColumn).width;
        m_grid->setAutoWidthShares(others, {{nameColumn, 100.0, qMin(nameWidth, 160)}});
    }

    m_sorter = new GridSorter(m_grid, m_tbl, this);
    m_sorter->setSearchBox(m_search);
    // After the search has moved (or kept) the row: a row the user then walks
    // to with the keys or the mouse is their own choice again.
    connect(m_search, &QLineEdit::textChanged, this, [this] { m_movedSinceSearch = false; });
    connect(m_tbl, &zdb::RecordSet::currentChanged, this, [this] { m_movedSinceSearch = true; });
    m_sorter->setKeepRowField(kind.idField);
    m_sorter->setSortField(kind.nameField);
    m_sorter->shadeColumn(kind.nameField);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_grid, 1);

    // Room for every column, the frame and a vertical scroll bar.
    resize(qMax(total + 40, m_toolBar->sizeHint().width() + 8), 400);
    setMinimumSize(360, 220);
}

Tfrm_Valaszt::~Tfrm_Valaszt() = default;

void Tfrm_Valaszt::openOn(int currentId, bool alwaysLocate)
{
    m_tbl->open();
    if (currentId <= 0 && !alwaysLocate)
        m_tbl->first();
    else
        m_tbl->locate(m_kind.idField, currentId);
    m_grid->syncFromRecordSet();
    m_grid->scrollToCurrent();
}

int Tfrm_Valaszt::chosenId() const
{
    if (!m_tbl->isOpen() || m_tbl->currentRow() < 0)
        return 0;
    return VarToIntNull(m_tbl->value(m_kind.idField));
}

QString Tfrm_Valaszt::chosenName() const
{
    return m_tbl->isOpen() ? VarToStrNull(m_tbl->value(m_kind.nameField)) : QString();
}

QString Tfrm_Valaszt::chosenExtra() const
{
    if (m_kind.extraField.isEmpty() || !m_tbl->isOpen())
        return {};
    return VarToStrNull(m_tbl->value(m_kind.extraField));
}

QString Tfrm_Valaszt::sortField() const
{
    return m_sorter->sortField();
}

void Tfrm_Valaszt::done(int result)
{
    RememberFormPosition(this, m_kind.formName);
    QDialog::done(result);
}

void Tfrm_Valaszt::showEvent(QShowEvent *event)
{
    if (!m_positioned) {
        m_positioned = true;
        RestoreFormPosition(this, m_kind.formName);
        m_search->setFocus(Qt::OtherFocusReason);
        // The current row may lie below the first screenful once the grid has its size.
        QTimer::singleShot(0, m_grid, &DataGrid::scrollToCurrent);
    }
    QDialog::showEvent(event);
}

bool Tfrm_Valaszt::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (isListNavigationKey(key->key()) && !(key->modifiers() & ~Qt::KeypadModifier)) {
            QCoreApplication::sendEvent(m_grid, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tfrm_Valaszt::acceptChosen()
{
    // Typed text that finds nothing chooses nothing: the highlighted row is
    // one the user never looked for.
    if (!m_search->text().isEmpty() && !m_sorter->lastSearchFound() && !m_movedSinceSearch) {
        QApplication::beep();
        m_search->setFocus(Qt::OtherFocusReason);
        m_search->selectAll();
        return;
    }
    accept();
}

void Tfrm_Valaszt::applyFilter()
{
    if (aSzur && aSzur->isChecked()) {
        m_tbl->setFilter(m_kind.closedFlag + QStringLiteral("='N'"));
        m_tbl->setFiltered(true);
    } else {
        m_tbl->setFilter(QString());
        m_tbl->setFiltered(false);
    }
}

void Tfrm_Valaszt::toggleFilter()
{
    // The action has flipped its check mark already; the order stays.
    m_tbl->close();
    applyFilter();
    m_tbl->open();
    m_tbl->first();
    m_grid->syncFromRecordSet();
    m_grid->scrollToCurrent();
}

namespace {

// Runs one picker call. The out arguments change only when the user chose.
int runPicker(const PickerKind &kind, int currentId, bool alwaysLocate, QString &name, QString *extra)
{
    QWidget *parent = QApplication::activeWindow();
    if (!parent)
        parent = Shared().mainWindow;
    auto dialog = std::make_unique<Tfrm_Valaszt>(kind, parent);
    dialog->openOn(currentId, alwaysLocate);
    if (execDialog(dialog.get()) != QDialog::Accepted)
        return -1;
    const int id = dialog->chosenId();
    const QString chosen = dialog->chosenName();
    const QString chosenExtra = dialog->chosenExtra();
    name = chosen;
    if (extra)
        *extra = chosenExtra;
    return id;
}

} // namespace

int PickCustomer(int currentId, QString &name)
{
    return runPicker(PickerKind::customer(), currentId, false, name, nullptr);
}

int PickCustomerWithEmail(int currentId, QString &name, QString &email)
{
    return runPicker(PickerKind::customer(), currentId, true, name, &email);
}

int PickProduct(int currentId, QString &name)
{
    return runPicker(PickerKind::product(), currentId, false, name, nullptr);
}

int PickProject(int currentId, QString &name)
{
    return runPicker(PickerKind::project(), currentId, false, name, nullptr);
}

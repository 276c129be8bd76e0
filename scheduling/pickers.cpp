#include "scheduling/pickers.h"

#include "scheduling/entries.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"
#include "app/helpers/fieldcolumn.h"
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

// A picker's columns order by the field itself on a title click; the name
// column is given the folded sort key in the dialog, as the opening order.
GridColumn column(const PickerKind &kind, const QString &field, ColumnOverrides overrides)
{
    overrides.plainOrder = true;
    return FieldColumn(kind.table, field, overrides);
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

PickerKind PickerKind::linked(int linkKind)
{
    const zdb::LinkDecl &link = zdb::CatalogueLink(linkKind);
    PickerKind k;
    k.table = link.table;
    k.idField = link.idField;
    k.nameField = link.nameField;
    k.closedFlag = link.closedFlag;
    return k;
}

PickerKind PickerKind::customer()
{
    PickerKind k = linked(zdb::LinkCustomer);
    k.formName = QStringLiteral("frm_UgyfelValaszt");
    k.caption = QStringLiteral("Ügyfél választás");
    k.iconName = QStringLiteral("ugyfel");
    k.extraField = QStringLiteral("emil");
    k.fields = QStringList{k.idField, QStringLiteral("ugyfelkod"), k.nameField, QStringLiteral("kapcsolattarto"),
                           QStringLiteral("telefon"), k.extraField};
    k.columns = {column(k, k.nameField, {.width = 220}), column(k, QStringLiteral("kapcsolattarto"), {.width = 140}),
                 column(k, QStringLiteral("ugyfelkod"),
                        {.title = QStringLiteral("ügyfélkód"), .width = 70, .alignment = Qt::AlignRight,
                         .titleAlignment = Qt::AlignLeft}),
                 column(k, QStringLiteral("telefon"), {.width = 110})};
    return k;
}

PickerKind PickerKind::product()
{
    PickerKind k = linked(zdb::LinkProduct);
    k.formName = QStringLiteral("frm_TermekValaszt");
    k.caption = QStringLiteral("Termék választás");
    k.iconName = QStringLiteral("termek");
    k.fields = QStringList{k.idField, QStringLiteral("cikkszam"), k.nameField, QStringLiteral("kategoria")};
    k.columns = {column(k, QStringLiteral("cikkszam"), {.width = 100}),
                 column(k, k.nameField, {.title = QStringLiteral("megnevezés"), .width = 240}),
                 column(k, QStringLiteral("kategoria"), {.width = 130})};
    return k;
}

PickerKind PickerKind::project()
{
    PickerKind k = linked(zdb::LinkProject);
    k.formName = QStringLiteral("frm_ProjektValaszt");
    k.caption = QStringLiteral("Projekt választás");
    k.iconName = QStringLiteral("projekt");
    k.fields = QStringList{k.idField, k.nameField, QStringLiteral("dat_indul"), QStringLiteral("dat_lezar"),
                           k.closedFlag};
    k.columns = {column(k, k.nameField, {.width = 260}), column(k, QStringLiteral("dat_indul"), {.width = 95}),
                 column(k, QStringLiteral("dat_lezar"), {.title = QStringLiteral("lezár"), .width = 95})};
    return k;
}

Tfrm_Valaszt::Tfrm_Valaszt(const PickerKind &kind, QWidget *parent)
    : ListDialog(kind.formName, kind.caption, kind.iconName, parent), m_kind(kind)
{
    m_tbl = new zdb::Table(Db1(), kind.table);
    zdb::DeclareFields(*m_tbl, kind.table, kind.fields, zdb::FieldTitles::Names);
    m_tbl->setReadOnly(true);
    // By the folded sort key, as the lists order names: Ábel before Béla, not after Zoltán.
    const QString nameKey = kind.nameField + QLatin1Char('s');
    m_tbl->setOrder(nameKey);

    aElfogad = addCommand(QStringLiteral("aElfogad"), QStringLiteral("Rendben"), {}, QKeySequence(Qt::Key_Return),
                          QStringLiteral("ok"), [this] { acceptChosen(); });
    aElfogad->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    // Closing a picker is cancelling the choice.
    aBezar->setText(QStringLiteral("Mégsem"));
    aBezar->setIcon(ZIcon(QStringLiteral("megsem")));
    // A picker chooses; it has no output of its own.
    for (QAction *a : {aNyomtat, aNyomtatKep, aExcelbe, aHtml}) {
        a->setEnabled(false);
        a->setVisible(false);
    }
    if (!kind.closedFlag.isEmpty()) {
        aSzur = addCommand(QStringLiteral("aSzur"), QStringLiteral("Szűr"), QStringLiteral("Szűr"),
                           QKeySequence(Qt::Key_F8), QStringLiteral("szur"), [this] { toggleFilter(); });
        aSzur->setCheckable(true);
        aSzur->setChecked(true);   // every call starts with the open projects only
    }
    applyFilter();

    QList<GridColumn> columns = kind.columns;
    for (GridColumn &c : columns)
        if (c.field == kind.nameField)
            c.sortField = nameKey;
    showRecordSet(m_tbl, columns);
    addQuickSearch(kind.nameField);
    QLineEdit *search = searchBox();
    search->setObjectName(QStringLiteral("searchBox"));
    search->setClearButtonEnabled(true);
    search->setMaxLength(75);
    search->setFixedWidth(qMax(160, search->fontMetrics().averageCharWidth() * 24));
    search->addAction(ZIcon(QStringLiteral("keres")), QLineEdit::LeadingPosition);
    // Enter here chooses the row the search made current, not the next control.
    search->setProperty("zentavoEnterKeepsDefault", true);
    search->installEventFilter(this);

    toolBar()->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar()->setIconSize(QSize(16, 16));
    if (aSzur) {
        setToolBarCommands({aSzur, nullptr, aElfogad, aBezar});
        setPopupCommands({aSzur, nullptr, aElfogad, aBezar});
    } else {
        setToolBarCommands({aElfogad, aBezar});
        setPopupCommands({aElfogad, aBezar});
    }
    setActivateCommand(aElfogad);

    if (!kind.closedFlag.isEmpty()) {
        const QString flag = kind.closedFlag;
        grid()->setRowStyle([flag](const zdb::RecordSet &rs, int row) {
            GridRowStyle style;
            if (rs.valueAt(row, flag).toString() == kClosed) {
                style.text = closedTextColor();
                style.selectedText = closedSelectedTextColor();
            }
            return style;
        });
    }

    // The name column takes what the other columns leave of the grid's width.
    const int nameColumn = grid()->columnOfField(kind.nameField);
    int others = 0;
    int total = 0;
    for (const GridColumn &c : kind.columns) {
        total += c.width;
        if (c.field != kind.nameField)
            others += c.width;
    }
    if (nameColumn >= 0) {
        const int nameWidth = kind.columns.at(nameColumn).width;
        grid()->setAutoWidthShares(others, {{nameColumn, 100.0, qMin(nameWidth, 160)}});
    }

    // After the search has moved (or kept) the row: a row the user then walks
    // to with the keys or the mouse is their own choice again.
    connect(searchBox(), &QLineEdit::textChanged, this, [this] { m_movedSinceSearch = false; });
    connect(m_tbl, &zdb::RecordSet::currentChanged, this, [this] { m_movedSinceSearch = true; });
    sorter()->setKeepRowField(kind.idField);
    sorter()->setSortField(kind.nameField);
    sorter()->shadeColumn(kind.nameField);

    mainLayout()->setContentsMargins(4, 4, 4, 4);
    mainLayout()->setSpacing(2);

    // Room for every column, the frame and a vertical scroll bar.
    resize(qMax(total + 40, toolBar()->sizeHint().width() + 8), 400);
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
    grid()->syncFromRecordSet();
    grid()->scrollToCurrent();
}

int Tfrm_Valaszt::currentId() const
{
    if (!m_tbl->isOpen() || m_tbl->currentRow() < 0)
        return 0;
    return VarToIntNull(m_tbl->value(m_kind.idField));
}

QString Tfrm_Valaszt::currentText(const QString &field) const
{
    if (field.isEmpty() || !m_tbl->isOpen())
        return {};
    return VarToStrNull(m_tbl->value(field));
}

int Tfrm_Valaszt::chosenId() const
{
    return m_closed ? m_chosenId : currentId();
}

QString Tfrm_Valaszt::chosenName() const
{
    return m_closed ? m_chosenName : currentText(m_kind.nameField);
}

QString Tfrm_Valaszt::chosenExtra() const
{
    return m_closed ? m_chosenExtra : currentText(m_kind.extraField);
}

QString Tfrm_Valaszt::sortField() const
{
    return sorter()->sortField();
}

void Tfrm_Valaszt::done(int result)
{
    if (!m_closed) {
        m_chosenId = currentId();
        m_chosenName = currentText(m_kind.nameField);
        m_chosenExtra = currentText(m_kind.extraField);
        m_closed = true;
    }
    ListDialog::done(result);
}

void Tfrm_Valaszt::showEvent(QShowEvent *event)
{
    ListDialog::showEvent(event);
    if (!m_focused) {
        m_focused = true;
        searchBox()->setFocus(Qt::OtherFocusReason);
        // The current row may lie below the first screenful once the grid has its size.
        QTimer::singleShot(0, grid(), &DataGrid::scrollToCurrent);
    }
}

bool Tfrm_Valaszt::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == searchBox() && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (isListNavigationKey(key->key()) && !(key->modifiers() & ~Qt::KeypadModifier)) {
            QCoreApplication::sendEvent(grid(), event);
            return true;
        }
    }
    return ListDialog::eventFilter(watched, event);
}

void Tfrm_Valaszt::acceptChosen()
{
    // Typed text that finds nothing chooses nothing: the highlighted row is
    // one the user never looked for.
    if (!searchBox()->text().isEmpty() && !sorter()->lastSearchFound() && !m_movedSinceSearch) {
        QApplication::beep();
        searchBox()->setFocus(Qt::OtherFocusReason);
        searchBox()->selectAll();
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
    grid()->syncFromRecordSet();
    grid()->scrollToCurrent();
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

#include "scheduling/notes.h"

#include "scheduling/noteeditor.h"
#include "scheduling/notesearch.h"

#include "app/helpers/appcore.h"
#include "app/helpers/datagridsorter.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listheader.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QAction>
#include <QFontDatabase>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QSplitter>

namespace {

const QString kId = QStringLiteral("jegyzet");
const QString kCategory = QStringLiteral("kategoria");

} // namespace

QString NoteCategorySql()
{
    // Ordered outside the union: a server reads "1 COLLATE ..." as an
    // expression, not as the first column, and a union's order takes none.
    return QStringList{QStringLiteral("SELECT kategoria FROM ("),
                       QStringLiteral("SELECT DISTINCT kategoria"),
                       QStringLiteral("FROM jegyzet"),
                       QStringLiteral("WHERE (kategoria IS NOT NULL) AND (kategoria <> '')"),
                       QStringLiteral("UNION"),
                       QStringLiteral("SELECT"),
                       QStringLiteral("'' AS kategoria"),
                       QStringLiteral(") AS k"),
                       QStringLiteral("ORDER BY kategoria COLLATE hungarian;")}
        .join(QLatin1Char('\n'));
}

void SetNoteCategoryFilter(zdb::RecordSet &rs, const QString &category)
{
    if (category.isEmpty())
        rs.setFilter(QString());
    else
        rs.setFilter(QStringLiteral("kategoria=?"), {category});
    rs.setFiltered(!category.isEmpty());
}

Tfrm_Jegyzetek::Tfrm_Jegyzetek(QWidget *parent)
    : ListChild(KindNotes, QStringLiteral("frm_Jegyzetek"), QStringLiteral("Jegyzettömb"),
                QStringLiteral("jegyzet"), parent)
{
    header()->setTitle(QStringLiteral("Jegyzetek"));

    m_notes = new zdb::Table(Db1(), QStringLiteral("jegyzet"), this);
    zdb::UseCatalogue(*m_notes, QStringLiteral("jegyzet"));
    m_categories = new zdb::Query(Db1(), NoteCategorySql(), this);
    zdb::DeclareFields(*m_categories, QStringLiteral("jegyzet"), {kCategory});

    QPointer<zdb::Table> notes(m_notes);
    QPointer<zdb::Query> categories(m_categories);
    QObject *self = this;
    onClosing([self, notes, categories] {
        // Closing must not filter or show anything in a window that is going.
        for (QObject *rs : {static_cast<QObject *>(categories), static_cast<QObject *>(notes)})
            if (rs)
                QObject::disconnect(rs, nullptr, self, nullptr);
        if (categories)
            categories->close();
        if (notes)
            notes->close();
    });

    aUj = addCommand(QStringLiteral("aUj"), QStringLiteral("Új jegyzet"), QStringLiteral("Új jegyzet"),
                     QKeySequence(Qt::Key_Insert), QStringLiteral("uj"), [this] { newNote(); });
    aSzerkeszt = addCommand(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QStringLiteral("Szerkeszt"),
                            QKeySequence(Qt::Key_F2), QStringLiteral("szerkeszt"), [this] { editNote(); });
    aTorol = addCommand(QStringLiteral("aTorol"), QStringLiteral("Töröl"), QStringLiteral("Töröl"),
                        QKeySequence(Qt::CTRL | Qt::Key_Delete), QStringLiteral("torol"), [this] { deleteNote(); });
    aKeres = addCommand(QStringLiteral("aKeres"), QStringLiteral("Keresés"), QStringLiteral("Keresés"),
                        QKeySequence(Qt::CTRL | Qt::Key_F), QStringLiteral("keres"), [this] { searchNotes(); });
    aBezar = addCommand(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QStringLiteral("Bezár"), {},
                        QStringLiteral("bezar"), [this] { closeWindow(); });

    setToolBarCommands({aUj, aSzerkeszt, aTorol, nullptr, aKeres, nullptr, aBezar});
    setPopupCommands({aUj, aSzerkeszt, aTorol, nullptr, aKeres, nullptr, aBezar});
    setActivateCommand(aSzerkeszt);

    // The note list sorts by the raw fields: notes have no sort-key columns.
    showTable(m_notes, {{QStringLiteral("datum"), QStringLiteral("dátum"), 80},
                        {QStringLiteral("rovid"), QStringLiteral("rövid"), 200}});
    const int dateWidth = qMax(70, grid()->fontMetrics().horizontalAdvance(zdb::dateToText(QDate(2000, 12, 28))) + 12);
    setWidthShares(dateWidth + 4, {{QStringLiteral("rovid"), 100, 120}});
    grid()->setColumnWidth(QStringLiteral("datum"), dateWidth);
    setRowCommands({aSzerkeszt, aTorol});

    m_categoryGrid = new DataGrid(this);
    m_categoryGrid->setObjectName(QStringLiteral("categoryGrid"));
    m_categoryGrid->setRecordSet(m_categories, {{kCategory, QStringLiteral("kategória"), 120}});
    m_categoryGrid->horizontalHeader()->setStretchLastSection(true);
    m_categoryGrid->horizontalHeader()->setSectionsClickable(false);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("textPane"));
    m_text->setReadOnly(true);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    // Category list, note list and text side by side where the grid stood.
    m_panes = new QSplitter(Qt::Horizontal, this);
    m_panes->setObjectName(QStringLiteral("panes"));
    m_panes->setChildrenCollapsible(false);
    delete gridRow()->replaceWidget(grid(), m_panes);
    m_panes->addWidget(m_categoryGrid);
    m_panes->addWidget(grid());
    m_panes->addWidget(m_text);
    m_panes->setStretchFactor(0, 2);
    m_panes->setStretchFactor(1, 4);
    m_panes->setStretchFactor(2, 5);
    m_panes->setSizes({150, 290, 360});

    // Opening the query makes the empty category current: every note, in
    // date order (the opening sort opens the list once).
    m_categories->open();
    m_categoryGrid->syncFromRecordSet();
    m_shownCategory = m_categories->currentRow() >= 0 ? m_categories->text(kCategory) : QString();
    m_categoryChosen = true;
    SetNoteCategoryFilter(*m_notes, m_shownCategory);
    initialSort(QStringLiteral("datum"), QStringLiteral("dátum"));
    grid()->syncFromRecordSet();

    connect(m_categories, &zdb::RecordSet::currentChanged, this, [this] { RunGuarded([this] { applyCategory(); }, this); });
    connect(m_categories, &zdb::RecordSet::reset, this, [this] {
        m_categoryChosen = false;
        RunGuarded([this] { applyCategory(); }, this);
    });
    // The text follows the current row, wherever it moves or changes.
    connect(m_notes, &zdb::RecordSet::reset, this, &Tfrm_Jegyzetek::showCurrentText);
    for (auto signal : {&zdb::RecordSet::rowChanged, &zdb::RecordSet::rowRemoved, &zdb::RecordSet::currentChanged})
        connect(m_notes, signal, this, &Tfrm_Jegyzetek::showCurrentText);
    showCurrentText();
}

bool Tfrm_Jegyzetek::hasCurrentNote() const
{
    return m_notes->isOpen() && m_notes->currentRow() >= 0;
}

void Tfrm_Jegyzetek::applyCategory()
{
    if (!m_categories->isOpen())
        return;
    const QString category = m_categories->currentRow() >= 0 ? m_categories->text(kCategory) : QString();
    if (m_categoryChosen && category == m_shownCategory)
        return;
    m_categoryChosen = true;
    m_shownCategory = category;

    const QVariant remembered = hasCurrentNote() ? m_notes->value(kId) : QVariant();
    m_notes->close();
    SetNoteCategoryFilter(*m_notes, category);
    m_notes->open();
    if (remembered.isValid())
        m_notes->locate(kId, remembered);
    grid()->syncFromRecordSet();
}

void Tfrm_Jegyzetek::reloadCategories(const QString &category)
{
    m_categories->close();
    m_categories->open();
    m_categories->locate(kCategory, category);
    m_categoryGrid->syncFromRecordSet();
}

void Tfrm_Jegyzetek::showCurrentText()
{
    const QString text = hasCurrentNote() ? m_notes->text(QStringLiteral("szoveg")) : QString();
    if (m_text->toPlainText() != text)
        m_text->setPlainText(text);
}

void Tfrm_Jegyzetek::newNote()
{
    afterEdit(EditNote(m_notes, true));
}

void Tfrm_Jegyzetek::editNote()
{
    // An empty list has no note to edit (editing would start a new, unasked-for one).
    if (!hasCurrentNote())
        return;
    afterEdit(EditNote(m_notes, false));
}

void Tfrm_Jegyzetek::afterEdit(const QString &newCategory)
{
    if (!newCategory.isEmpty())
        reloadCategories(newCategory);
    grid()->syncFromRecordSet();
    showCurrentText();
}

void Tfrm_Jegyzetek::deleteNote()
{
    if (!hasCurrentNote())
        return;
    if (!AskYesNo(QStringLiteral("Valóban töröljem a jegyzetet?"), QStringLiteral("Megerősítés"), this))
        return;
    // The category stays listed until the list is next built.
    m_notes->remove();
    grid()->syncFromRecordSet();
}

void Tfrm_Jegyzetek::searchNotes()
{
    const int id = SearchNotes(QString());
    // A note outside the current category is not listed, so not found.
    if (id > 0 && m_notes->isOpen() && m_notes->locate(kId, id))
        grid()->syncFromRecordSet();
}

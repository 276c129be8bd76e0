#include "app/helpers/datagridsorter.h"

#include "app/helpers/datagrid.h"
#include "app/helpers/guard.h"
#include "app/helpers/listheader.h"
#include "db/recordset.h"

#include <QLabel>
#include <QLineEdit>

#include <exception>

GridSorter::GridSorter(DataGrid *grid, zdb::Table *table, QObject *parent)
    : QObject(parent ? parent : grid), m_grid(grid), m_table(table)
{
    if (m_grid)
        connect(m_grid, &DataGrid::titleClicked, this, &GridSorter::onTitleClicked);
}

void GridSorter::setHeader(ListHeader *header)
{
    setSearchBox(header ? header->searchBox() : nullptr);
    setSortLabel(header ? header->sortLabel() : nullptr);
}

void GridSorter::setSearchBox(QLineEdit *box)
{
    if (m_search)
        disconnect(m_search, nullptr, this, nullptr);
    m_search = box;
    if (m_search)
        connect(m_search, &QLineEdit::textChanged, this, &GridSorter::search);
}

void GridSorter::setSortLabel(QLabel *label)
{
    m_label = label;
}

void GridSorter::setKeepRowField(const QString &idField)
{
    m_keepField = idField;
}

void GridSorter::sortBy(const QString &field, const QString &title, bool fromClick)
{
    if (!m_table)
        return;
    m_sortField = field;
    if (m_label)
        m_label->setText(ListHeader::sortLabelText(title));

    const int column = m_grid ? m_grid->columnOfField(field) : -1;
    const GridColumn *col = m_grid ? m_grid->column(column) : nullptr;
    const QString order = col ? col->orderField() : field;

    QVariant keep;
    if (!m_keepField.isEmpty() && m_table->isOpen() && m_table->currentRow() >= 0)
        keep = m_table->value(m_keepField);

    // Closing first also makes an unchanged order read the rows again.
    m_table->close();
    m_table->setOrder(order);
    m_table->open();
    if (keep.isValid())
        m_table->locate(m_keepField, keep);

    if (fromClick) {
        if (m_grid)
            m_grid->shadeColumn(column);
        if (m_search && m_search->isEnabled())
            m_search->setFocus(Qt::OtherFocusReason);
    }
    if (m_grid) {
        m_grid->syncFromRecordSet();
        m_grid->scrollToCurrent();
    }
    Q_EMIT sorted(field);
}

void GridSorter::sortByColumn(int logicalColumn, bool fromClick)
{
    const GridColumn *col = m_grid ? m_grid->column(logicalColumn) : nullptr;
    if (col)
        sortBy(col->field, col->title, fromClick);
}

void GridSorter::shadeColumn(const QString &field)
{
    if (m_grid)
        m_grid->shadeField(field);
}

void GridSorter::onTitleClicked(int logicalColumn)
{
    // A failed reopen is reported like any failed user action; the list stays closed.
    RunGuarded([&] { sortByColumn(logicalColumn, true); }, m_grid ? m_grid->window() : nullptr);
}

namespace {

// Text typed into the search box can only fall short of a date or a number
// (letters on a date column, say): that is a failed comparison, not a
// search that walked past the last row.
bool isTextKind(zdb::FieldKind kind)
{
    return kind == zdb::FieldKind::Text || kind == zdb::FieldKind::Memo || kind == zdb::FieldKind::WideText;
}

} // namespace

void GridSorter::search(const QString &text)
{
    if (!m_table || !m_table->isOpen() || m_sortField.isEmpty())
        return;
    const int before = m_table->currentRow();
    bool stay = false;
    try {
        const bool found = m_table->locate(m_sortField, text, zdb::LocateCaseInsensitive | zdb::LocatePartial);
        stay = !found && !isTextKind(m_table->field(m_sortField).kind);
    } catch (const std::exception &) {
        stay = true;   // errors of the search are swallowed
    }
    if (stay) {
        try {
            if (m_table->isOpen() && before >= 0 && before < m_table->recordCount()
                && m_table->currentRow() != before)
                m_table->setCurrentRow(before);
        } catch (const std::exception &) {
        }
    }
    if (m_grid) {
        m_grid->syncFromRecordSet();
        m_grid->scrollToCurrent();
    }
}

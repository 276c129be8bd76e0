#include "app/helpers/datagridsorter.h"

#include "app/helpers/datagrid.h"
#include "app/helpers/guard.h"
#include "app/helpers/listheader.h"
#include "db/recordset.h"
#include "db/textfold.h"

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

void GridSorter::search(const QString &text)
{
    if (!m_table || !m_table->isOpen() || m_sortField.isEmpty())
        return;
    const int before = m_table->currentRow();
    bool found = false;
    try {
        const int column = m_grid ? m_grid->columnOfField(m_sortField) : -1;
        const GridColumn *col = m_grid ? m_grid->column(column) : nullptr;
        if (col && col->orderField().compare(m_sortField, Qt::CaseInsensitive) != 0)
            found = locateByKey(text);
        else
            found = m_table->locate(m_sortField, text, zdb::LocateCaseInsensitive | zdb::LocatePartial);
    } catch (const std::exception &) {
        found = false;   // errors of the search are swallowed
    }
    m_lastFound = found;
    // Text that finds nothing leaves the user where they were.
    if (!found) {
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

bool GridSorter::locateByKey(const QString &text)
{
    // The rows lie in sort-key order, so the search reads names the way the key
    // does: "ovari" finds "Óvári" and "Ováry" alike.
    const QString key = zdb::foldSortKey(text);
    const int field = m_table->fieldIndex(m_sortField);
    if (field < 0)
        return false;
    const int n = m_table->recordCount();
    for (int row = 0; row < n; ++row) {
        if (zdb::foldSortKey(m_table->textAt(row, field)).startsWith(key)) {
            m_table->setCurrentRow(row);
            return true;
        }
    }
    return false;
}

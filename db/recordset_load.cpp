// Loading a result: binding the fields to the columns and reading every row
// into the compact store.

#include "db/recordset_p.h"
#include "db/connection.h"
#include "db/cursor.h"

#include <QSet>

#include <sqlite3.h>

namespace zdb {

namespace {

struct Column
{
    QString name;
    ColumnType type;
    int index = 0;
};

struct Slot
{
    int column = 0;
    FieldKind kind = FieldKind::Text;
    int cut = 0;   // characters kept of a text; 0 keeps all
};

class BusyScope
{
public:
    BusyScope() { showBusy(true); }
    ~BusyScope() { showBusy(false); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;
};

bool isTextKind(FieldKind k)
{
    return k == FieldKind::Text || k == FieldKind::WideText;
}

} // namespace

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

int Statement::finish()
{
    const int rc = sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    return rc;
}

QString RecordSet::tooLargeMessage()
{
    return QStringLiteral("Az eredmény túl nagy, nem fér el a memóriában: a lekérdezés leállt.\n"
                          "Szűkítse a feltételt (WHERE, LIMIT) vagy a kért oszlopokat.");
}

void RecordSet::load(const BoundSql &statement)
{
    Connection *conn = m_connection;
    if (!conn)
        throw Error(QStringLiteral("no database connection"));
    if (!conn->isConnected())
        conn->open();
    const Encoding encoding = conn->encoding;

    BusyScope busy;
    const std::unique_ptr<Cursor> st = conn->query(statement);

    // Result columns: "rowid" is the row identifier; repeated names get "_n".
    const int columnCount = st->columnCount();
    int rowidColumn = -1;
    std::vector<Column> columns;
    QHash<QString, int> columnByName;
    for (int i = 0; i < columnCount; ++i) {
        const QByteArray rawName = st->columnName(i);
        const QString name = conn->decode(rawName.constData(), rawName.size());
        if (name.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0) {
            rowidColumn = i;
            continue;
        }
        QString unique = name;
        for (int n = 1; columnByName.contains(unique.toLower()); ++n)
            unique = name + QLatin1Char('_') + QString::number(n);
        Column c;
        c.name = unique;
        c.type = columnTypeOf(st->declaredType(i));
        c.index = i;
        columnByName.insert(unique.toLower(), int(columns.size()));
        columns.push_back(c);
    }

    // Fields: the declared ones, or one per column when none are declared.
    const bool autoFields = d->autoFields || d->fields.isEmpty();
    QVector<FieldDef> fields = autoFields ? QVector<FieldDef>() : d->fields;
    if (autoFields) {
        for (const Column &c : columns) {
            FieldDef f;
            f.name = c.name;
            f.kind = c.type.kind;
            f.size = isTextKind(c.type.kind) ? c.type.size : 0;
            fields.append(f);
        }
    }
    std::vector<int> slotOf(size_t(fields.size()), -1);
    std::vector<Slot> slots;
    for (int i = 0; i < fields.size(); ++i) {
        const FieldDef &f = fields[i];
        if (f.calculated)
            continue;
        const int ci = columnByName.value(f.name.toLower(), -1);
        if (ci < 0)
            throw Error(msgNotFound(f.name));
        const Column &c = columns[size_t(ci)];
        if (c.type.kind != f.kind)
            throw Error(QStringLiteral("Type mismatch for field '%1', expecting: %2 actual: %3")
                            .arg(f.name, fieldKindName(f.kind), fieldKindName(c.type.kind)));
        Slot s;
        s.column = c.index;
        s.kind = f.kind;
        s.cut = isTextKind(f.kind) ? c.type.size : 0;
        slotOf[size_t(i)] = int(slots.size());
        slots.push_back(s);
    }

    // Rows: each cell's bytes are copied once into the arena, still encoded;
    // dates are checked here so that a bad one fails the open.
    const int slotCount = int(slots.size());
    Arena arena;
    std::vector<Row> rows;
    std::vector<CellRef> cells(size_t(slotCount) + 1);
    qint64 ordinal = 0;
    // What the rows will take: their cells' bytes plus the bookkeeping of
    // each cell and row, counted generously.
    qint64 taken = 0;
    const qint64 perRow = qint64(sizeof(Row)) + qint64(slotCount + 1) * qint64(sizeof(CellRef)) + 16;
    while (st->next()) {
        ++ordinal;
        taken += perRow;
        for (int s = 0; s < slotCount; ++s) {
            const Slot &sl = slots[size_t(s)];
            CellRef &c = cells[size_t(s)];
            if (st->isNull(sl.column)) {
                c = CellRef();
                continue;
            }
            const char *p = st->data(sl.column);
            if (!p) {
                c = CellRef();
                continue;
            }
            const qsizetype n = st->size(sl.column);
            taken += n;
            c.null = false;
            c.data = p;
            c.size = n;
            if (sl.kind == FieldKind::Date) {
                int y, m, dd;
                if (readDate(p, n, y, m, dd) == DateRead::Invalid)
                    throw Error(QStringLiteral("'%1' is not a valid date").arg(decodeText(p, n, encoding)));
            } else if (sl.cut > 0 && n > sl.cut) {
                c.size = cutToChars(p, n, sl.cut, encoding);
            }
        }
        if (m_loadLimit > 0 && taken > m_loadLimit)
            throw Error(tooLargeMessage());
        Row row;
        row.cells = buildRowBlock(arena, cells.data(), slotCount);
        row.key = (rowidColumn >= 0 && !st->isNull(rowidColumn)) ? st->integer(rowidColumn) : ordinal;
        rows.push_back(row);
    }

    Q_EMIT aboutToReset();
    if (autoFields) {
        d->fields = fields;
        d->rebuildIndex();
    }
    d->autoFields = autoFields;
    d->slotOf = std::move(slotOf);
    d->slotCut.clear();
    for (const Slot &s : slots)
        d->slotCut.push_back(s.cut);
    d->slotCount = slotCount;
    d->encoding = encoding;
    d->arena.swap(arena);
    d->rows.swap(rows);
    d->buffer.clear();
    d->modified = false;
    m_mode = Mode::Browsing;
    m_eof = d->rows.empty();
    m_current = m_eof ? -1 : 0;
    Q_EMIT reset();
    Q_EMIT modeChanged(m_mode);
    Impl::emitCurrent(*this);
}

} // namespace zdb

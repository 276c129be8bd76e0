#include "tools/mkdb/dbwriter.h"

#include "db/catalog.h"
#include "db/codec.h"
#include "db/connection.h"
#include "db/dberror.h"
#include "db/recordset.h"
#include "db/rowwriter.h"

#include <QDate>

namespace mkdb {

// A table's row writer, and a row of its own on which the before-save rule
// runs before the row is written. Neither loads a stored row.
struct Writer::Target
{
    zdb::Table table;
    zdb::Table scratch;
    std::unique_ptr<zdb::RowWriter> writer;   // goes before the tables

    Target(zdb::Connection &connection, const QString &name)
        : table(&connection, name), scratch(&connection, name)
    {
        for (zdb::Table *t : {&table, &scratch}) {
            zdb::DeclareFields(*t, name);
            t->setFilter(QStringLiteral("1=0"));
            t->setFiltered(true);
            t->open();
        }
        writer = std::make_unique<zdb::RowWriter>(table);
    }
};

Writer::Writer(zdb::Connection &connection) : m_connection(connection) {}

Writer::~Writer() = default;

void Writer::execute(const QString &sql)
{
    m_connection.executeDirect(sql);
}

Writer::Target &Writer::target(const QString &table)
{
    std::shared_ptr<Target> &t = m_targets[table];
    if (!t)
        t = std::make_shared<Target>(m_connection, table);
    return *t;
}

namespace {

// A value as the maker stores it, checked against its column.
QVariant checked(const QString &table, const zdb::FieldDef &field, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QVariant(value.toLongLong());
    case QMetaType::QDate:
        return value.toDate().isValid() ? value : QVariant();
    case QMetaType::QString: {
        const QString text = value.toString();
        if (text.isEmpty())
            return {};
        if (zdb::fromCp1250(zdb::toCp1250(text)) != text)
            throw zdb::Error(QStringLiteral("%1.%2: Windows-1250 kódolásban nem ábrázolható: %3").arg(table, field.name, text));
        if (field.kind == zdb::FieldKind::Text && text.size() > field.size)
            throw zdb::Error(QStringLiteral("%1.%2: hosszabb %3 karakternél: %4").arg(table, field.name).arg(field.size).arg(text));
        return text;
    }
    default:
        throw zdb::Error(QStringLiteral("%1.%2: ismeretlen értéktípus").arg(table, field.name));
    }
}

} // namespace

void Writer::insert(const QString &table, std::initializer_list<Column> values)
{
    const zdb::TableDecl &decl = zdb::CatalogueTable(table);
    Target &t = target(decl.name);
    QVector<QVariant> row(t.scratch.fieldCount());
    for (const Column &c : values) {
        const QString name = QString::fromLatin1(c.first);
        for (const zdb::SortKeyDecl &k : decl.sortKeys)
            if (k.key == name)
                throw zdb::Error(QStringLiteral("%1.%2 értéke a(z) %3 oszlopból számolódik").arg(table, k.key, k.source));
        const int f = t.scratch.fieldIndex(name);
        if (f < 0)
            throw zdb::Error(QStringLiteral("%1.%2: nincs ilyen oszlop").arg(table, name));
        row[f] = checked(table, t.scratch.field(f), c.second);
    }
    t.scratch.insert();
    try {
        t.scratch.setValues(row);
        t.scratch.runBeforeSave();
        row = t.scratch.bufferValues();
    } catch (...) {
        t.scratch.cancel();
        throw;
    }
    t.scratch.cancel();
    // Empty texts stay null, a sort key of an empty text too.
    for (QVariant &v : row)
        if (v.typeId() == QMetaType::QString && v.toString().isEmpty())
            v = QVariant();
    t.writer->append(row);
}

} // namespace mkdb

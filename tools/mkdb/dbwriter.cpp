#include "tools/mkdb/dbwriter.h"

#include "db/catalog.h"
#include "db/codec.h"
#include "db/dberror.h"
#include "db/textfold.h"

#include <QDate>
#include <QStringList>

#include <sqlite3.h>

namespace mkdb {

Writer::Writer(sqlite3 *db) : m_db(db) {}

Writer::~Writer()
{
    for (sqlite3_stmt *stmt : std::as_const(m_statements))
        sqlite3_finalize(stmt);
}

void Writer::fail(const QString &what) const
{
    throw zdb::Error(what + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(m_db)));
}

void Writer::execute(const QString &sql)
{
    char *message = nullptr;
    if (sqlite3_exec(m_db, zdb::toCp1250(sql).constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = message ? QString::fromUtf8(message) : QString();
        sqlite3_free(message);
        throw zdb::Error(text);
    }
}

sqlite3_stmt *Writer::statement(const QByteArray &sql)
{
    if (sqlite3_stmt *cached = m_statements.value(sql))
        return cached;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
        fail(QString::fromLatin1(sql));
    m_statements.insert(sql, stmt);
    return stmt;
}

void Writer::bind(sqlite3_stmt *stmt, int index, const QString &table, const QString &column,
                  const QVariant &value)
{
    int rc = SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        rc = sqlite3_bind_null(stmt, index);
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
        rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
        break;
    case QMetaType::QDate: {
        const QDate date = value.toDate();
        rc = date.isValid() ? sqlite3_bind_text(stmt, index, qPrintable(date.toString(Qt::ISODate)), -1,
                                                SQLITE_TRANSIENT)
                            : sqlite3_bind_null(stmt, index);
        break;
    }
    case QMetaType::QString: {
        const QString text = value.toString();
        if (text.isEmpty()) {
            rc = sqlite3_bind_null(stmt, index);
            break;
        }
        const QByteArray bytes = zdb::toCp1250(text);
        if (zdb::fromCp1250(bytes) != text)
            throw zdb::Error(QStringLiteral("%1.%2: Windows-1250 kódolásban nem ábrázolható: %3").arg(table, column, text));
        const zdb::FieldDef *field = zdb::CatalogueTable(table).find(column);
        const int size = field && field->kind == zdb::FieldKind::Text ? field->size : -1;
        if (size >= 0 && text.size() > size)
            throw zdb::Error(QStringLiteral("%1.%2: hosszabb %3 karakternél: %4").arg(table, column).arg(size).arg(text));
        rc = sqlite3_bind_text(stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    default:
        throw zdb::Error(QStringLiteral("%1.%2: ismeretlen értéktípus").arg(table, column));
    }
    if (rc != SQLITE_OK)
        fail(table + QLatin1Char('.') + column);
}

void Writer::insert(const QString &table, std::initializer_list<Column> values)
{
    QStringList names;
    QVariantList row;
    for (const Column &c : values) {
        names.append(QString::fromLatin1(c.first));
        row.append(c.second);
    }
    // The before-save rule of every window: shadow := key of the first 20 characters.
    for (const zdb::SortKeyDecl &k : zdb::CatalogueTable(table).sortKeys) {
        if (names.contains(k.key))
            throw zdb::Error(QStringLiteral("%1.%2 értéke a(z) %3 oszlopból számolódik").arg(table, k.key, k.source));
        const qsizetype at = names.indexOf(k.source);
        if (at < 0)
            continue;
        names.append(k.key);
        row.append(zdb::foldSortKey(row.at(at).toString().left(20)));
    }

    QByteArray sql = "INSERT INTO " + table.toLatin1() + " (" + names.join(QLatin1Char(',')).toLatin1()
        + ") VALUES (";
    for (qsizetype i = 0; i < names.size(); ++i)
        sql += i ? ",?" : "?";
    sql += ')';

    sqlite3_stmt *stmt = statement(sql);
    for (qsizetype i = 0; i < names.size(); ++i)
        bind(stmt, int(i + 1), table, names.at(i), row.at(i));
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (rc != SQLITE_DONE)
        fail(table);
}

} // namespace mkdb

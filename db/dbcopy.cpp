#include "db/dbcopy.h"

#include "db/catalog.h"
#include "db/connection.h"
#include "db/cursor.h"
#include "db/dberror.h"
#include "db/recordset_p.h"
#include "db/serverschema.h"

#include <QStringList>

#include <climits>

namespace zdb {

namespace {

// The value as the target stores it, or an Error naming where it stands.
QVariant targetValue(const TableDecl &table, const FieldDef &field, qint64 row, const QString &text, bool server)
{
    auto refuse = [&](const QString &why) {
        return Error(QStringLiteral("%1 tábla %2. sora, %3 oszlop: %4\r\nA másolás leállt, a célba semmi sem került át.")
                         .arg(table.name)
                         .arg(row)
                         .arg(field.name, why));
    };
    switch (field.kind) {
    case FieldKind::Integer: {
        bool ok = false;
        const qlonglong v = text.trimmed().toLongLong(&ok);
        if (ok && v >= INT_MIN && v <= INT_MAX)
            return QVariant(v);
        // A file holds whatever another program wrote; a server's column only integers.
        if (server)
            throw refuse(QStringLiteral("'%1' nem egész szám").arg(text));
        return QVariant(text);
    }
    case FieldKind::Date: {
        if (text.trimmed().isEmpty())
            return QVariant();   // an empty date reads as no date from either engine
        const QByteArray bytes = text.toLatin1();
        int y, m, d;
        if (readDate(bytes.constData(), bytes.size(), y, m, d) != DateRead::Ok)
            throw refuse(QStringLiteral("'%1' nem dátum").arg(text));
        return QVariant(QDate(y, m, d));
    }
    default:
        if (server && field.size > 0 && text.size() > field.size)
            throw refuse(QStringLiteral("%1 karakternél hosszabb szöveg").arg(field.size));
        return QVariant(text);
    }
}

} // namespace

namespace {

// Every catalogue table's rows of `from` into `to`'s tables, in the order of
// their rowid. The caller holds the target's transaction.
void copyRows(Connection &from, Connection &to, const std::function<void(const QString &, qint64)> &progress)
{
    const bool server = to.isServer();
    for (const TableDecl &t : Catalogue()) {
        QStringList names, marks;
        for (const FieldDef &f : t.fields) {
            names << f.name;
            marks << QStringLiteral("?");
        }
        const QString columns = names.join(QLatin1Char(','));
        const std::unique_ptr<Cursor> rows =
            from.query(BoundSql{QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(columns, t.name), {}, {}});
        BoundSql insert{QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(t.name, columns, marks.join(QLatin1Char(','))),
                        {}, {}};
        qint64 row = 0;
        while (rows->next()) {
            ++row;
            insert.values.clear();
            for (int c = 0; c < t.fields.size(); ++c) {
                if (rows->isNull(c)) {
                    insert.values.append(QVariant());
                    continue;
                }
                const QString text = from.decode(rows->data(c), rows->size(c));
                insert.values.append(targetValue(t, t.fields[c], row, text, server));
            }
            to.execute(insert);
            if (progress && row % 1000 == 0)
                progress(t.name, row);
        }
        if (progress)
            progress(t.name, row);
    }
}

// Runs `work` inside a transaction of `to` opened with `begin`, and one of
// `from` that reads every table as of one moment (other desks may write
// meanwhile). Whatever fails, both are rolled back and the first failure
// goes on.
void inTransactions(Connection &from, Connection &to, const QString &begin, const std::function<void()> &work)
{
    if (!from.isConnected())
        from.open();
    if (!to.isConnected())
        to.open();
    const bool reading = !from.inTransaction();
    if (reading)
        from.executeDirect(from.isServer() ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")
                                           : QStringLiteral("BEGIN"));
    auto endReading = [&] {
        if (reading && from.inTransaction()) {
            try {
                from.rollback();
            } catch (const Error &) {
                // Only read: nothing to lose.
            }
        }
    };
    try {
        to.executeDirect(begin);
        work();
        to.commit();
    } catch (...) {
        if (to.inTransaction()) {
            try {
                to.rollback();
            } catch (const Error &) {
                // The first failure is the one to report.
            }
        }
        endReading();
        throw;
    }
    endReading();
}

} // namespace

void CopyDatabase(Connection &from, Connection &to, const QString &fileSchema,
                  const std::function<void(const QString &, qint64)> &progress)
{
    inTransactions(from, to, QStringLiteral("BEGIN"), [&] {
        to.executeDirect(to.isServer() ? serverSchema(fileSchema) : fileSchema);
        copyRows(from, to, progress);
    });
}

void RestoreDatabase(Connection &from, Connection &to)
{
    // The write lock the posts take, and the tables themselves: no desk
    // writes between the emptying and the last row; reading goes on.
    if (!to.isConnected())
        to.open();
    // Inside another transaction the commit would close that one as well.
    if (to.inTransaction())
        throw Error(QStringLiteral("Az adatbázisban nyitott tranzakció van; a visszaállítás előtt zárja le."));
    inTransactions(from, to, QStringLiteral("BEGIN IMMEDIATE"), [&] {
        QStringList tables;
        for (const TableDecl &t : Catalogue())
            tables << t.name;
        if (to.isServer())
            to.executeDirect(QStringLiteral("LOCK TABLE %1 IN EXCLUSIVE MODE").arg(tables.join(QStringLiteral(", "))));
        for (const QString &t : std::as_const(tables))
            to.executeDirect(QStringLiteral("DELETE FROM %1").arg(t));
        copyRows(from, to, {});
    });
}

QString FileSchema()
{
    return QString::fromUtf8(
#include "db/schema_sql.inc"
    );
}

} // namespace zdb

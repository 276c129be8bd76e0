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

void CopyDatabase(Connection &from, Connection &to, const QString &fileSchema,
                  const std::function<void(const QString &, qint64)> &progress)
{
    if (!from.isConnected())
        from.open();
    if (!to.isConnected())
        to.open();
    const bool server = to.isServer();
    to.beginTransaction();
    try {
        to.executeDirect(server ? serverSchema(fileSchema) : fileSchema);
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
        to.commit();
    } catch (...) {
        if (to.inTransaction()) {
            try {
                to.rollback();
            } catch (const Error &) {
                // The first failure is the one to report.
            }
        }
        throw;
    }
}

} // namespace zdb

#include "db/catalog.h"

#include "db/connection.h"
#include "db/dberror.h"
#include "db/textfold.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>

#include <sqlite3.h>

namespace zdb {

namespace {

constexpr int kMarked = 77;

// Compact column declarations: I integer, D date, T text(n), M marked text(n)
// (with a sort key), K a sort-key column, F a flag.
FieldDef I(const char *name, const char *title = nullptr)
{
    FieldDef f;
    f.name = QString::fromLatin1(name);
    f.kind = FieldKind::Integer;
    f.title = title ? QString::fromUtf8(title) : QString();
    return f;
}
FieldDef D(const char *name, const char *title = nullptr)
{
    FieldDef f = I(name, title);
    f.kind = FieldKind::Date;
    return f;
}
FieldDef T(const char *name, int size, const char *title = nullptr)
{
    FieldDef f = I(name, title);
    f.kind = FieldKind::Text;
    f.size = size;
    return f;
}
FieldDef M(const char *name, int size, const char *title = nullptr)
{
    FieldDef f = T(name, size, title);
    f.tag = kMarked;
    return f;
}
FieldDef K(const char *name)
{
    return T(name, 20);
}
FieldDef F(const char *name, const char *title = nullptr)
{
    return T(name, 1, title);
}

TableDecl table(const char *name, const char *idField, QList<FieldDef> fields, int extras = NoExtras)
{
    TableDecl t;
    t.name = QString::fromLatin1(name);
    t.idField = idField ? QString::fromLatin1(idField) : QString();
    t.extras = extras;
    for (const FieldDef &f : fields) {
        if (f.tag == kMarked)
            t.sortKeys.append({f.name, f.name + QLatin1Char('s')});
        if (f.kind == FieldKind::Text && f.size == 1)
            t.flags.append(f.name);
    }
    t.fields = std::move(fields);
    return t;
}

// Tasks and calendar entries share the link columns.
QList<FieldDef> links()
{
    return {I("ugyfel"), M("ugyfel_nev", 75, "ügyfél"), I("termek"), M("termek_nev", 75, "termék"),
            I("projekt"), M("projekt_nev", 75, "projekt"), I("fontos"), T("fileban", 255)};
}
QList<FieldDef> linkKeys()
{
    return {K("rovids"), K("ugyfel_nevs"), K("termek_nevs"), K("projekt_nevs")};
}

QList<TableDecl> makeCatalogue()
{
    QList<TableDecl> c;
    c << table("dolog3", "dolog3",
               QList<FieldDef>{I("dolog3"), D("datum", "dátum"), D("dat_hatid", "határidő"),
                               M("rovid", 50, "feladat"), T("leiras", 2048, "leírás")}
                   + links()
                   + QList<FieldDef>{F("kesz", "kész"), D("dat_kesz", "kész.dátum"), I("statusz")}
                   + linkKeys());
    c << table("dolog1", "dolog1",
               QList<FieldDef>{I("dolog1"), D("datum", "dátum"), T("datumstr", 8), I("ora", "óra"),
                               M("rovid", 50, "feladat"), T("leiras", 2048, "leírás")}
                   + links()
                   + QList<FieldDef>{D("dat_kesz", "kész.dátum"), F("kesz", "elkészült")}
                   + linkKeys(),
               DayKeyFromDate);
    c << table("munka", "munka",
               {I("munka"), I("feladat"), D("datum", "dátum"), T("rovid", 100, "rövid"), T("leiras", 4096, "leírás")});
    c << table("jegyzet", "jegyzet",
               {I("jegyzet"), D("datum", "dátum"), T("kategoria", 25, "kategória"), T("rovid", 50, "rövid"),
                T("szoveg", 4096, "szöveg")});
    c << table("ugyfel", "ugyfel",
               {I("ugyfel"), I("ugyfelkod", "kód"), M("ugyfel_nev", 75, "ügyfél"),
                M("kapcsolattarto", 50, "kapcs.tartó"), T("telefon", 25), T("fax", 25), T("mobil", 25),
                T("emil", 75, "e-mail"), T("irsz", 6), T("varos", 25, "város"), T("cim", 50, "cím"),
                T("megjegyzes", 255), F("vanmegj", "!"), K("ugyfel_nevs"), K("kapcsolattartos")},
               CommentFlagDefault);
    c << table("alkalmazott", "alkalmazott",
               {I("alkalmazott"), I("ugyfel"), M("alkalmazott_nev", 50, "alkalmazott"), T("emil", 75),
                T("telefon", 50), K("alkalmazott_nevs")});
    c << table("termek", "termek",
               {I("termek"), T("cikkszam", 15, "cikkszám"), M("termek_nev", 50, "termék"), T("megjegyzes", 255),
                F("vanmegj", "!"), M("kategoria", 20, "kategória"), K("termek_nevs"), K("kategorias")},
               CommentFlagDefault);
    c << table("projekt", "projekt",
               {I("projekt"), T("projekt_kod", 15, "kód"), M("projekt_nev", 50, "projekt"), D("dat_indul", "indul"),
                D("dat_lezar", "lezárás"), F("lezarva", "?"), T("megjegyzes", 255), F("vanmegj", "!"),
                K("projekt_nevs")},
               CommentFlagDefault);
    c << table("megjegyzes", "megjegyzes",
               {I("megjegyzes"), D("datum", "dátum"), T("rovid", 100, "rövid"), I("ugyfel"), I("termek"),
                I("projekt"), T("azonstr", 75), T("szoveg", 4096)});
    c << table("doksi", "doksi",
               {I("doksi"), D("datum", "dátum"), T("rovid", 100, "rövid"), I("ugyfel"), I("termek"), I("projekt"),
                T("azonstr", 75), T("fileban", 100)});
    c << table("felhasznalo", nullptr,
               {T("felhasznalo", 15, "felh.kód"), T("felhasznalo_nev", 20, "felh.név"), T("jelszo", 15, "jelszó"),
                F("rendszergazda", "rendszergazda"), F("torzsszerkeszt", "törzs.szerkeszt")});
    c << table("beallit", nullptr, {I("beallit"), F("vanbelep"), T("sendername", 50), T("senderemil", 75)});
    c << table("tulajdonos", nullptr,
               {T("tulajdonos", 75), T("telefon", 25), T("mobil", 25), T("irsz", 6), T("varos", 25), T("cim", 50)});
    return c;
}

// An identifier is given when it is empty or 0. Anything else that another
// program stored (even a text) is kept, so saving never rewrites it.
bool needsId(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return true;
    bool ok = false;
    const qlonglong n = v.toString().trimmed().toLongLong(&ok);
    return v.toString().trimmed().isEmpty() || (ok && n == 0);
}

bool isEmptyText(const QVariant &v)
{
    return !v.isValid() || v.isNull() || v.toString().isEmpty();
}

} // namespace

const FieldDef *TableDecl::find(const QString &field) const
{
    for (const FieldDef &f : fields)
        if (f.name.compare(field, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

QString TableDecl::declaredType(const FieldDef &field)
{
    switch (field.kind) {
    case FieldKind::Integer: return QStringLiteral("integer");
    case FieldKind::Date: return QStringLiteral("date");
    default: return QStringLiteral("varchar(%1)").arg(field.size);
    }
}

const QList<TableDecl> &Catalogue()
{
    static const QList<TableDecl> catalogue = makeCatalogue();
    return catalogue;
}

const LinkDecl &CatalogueLink(int linkKind)
{
    static const LinkDecl links[] = {
        {QStringLiteral("ugyfel"), QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nev"), QString()},
        {QStringLiteral("termek"), QStringLiteral("termek"), QStringLiteral("termek_nev"), QString()},
        {QStringLiteral("projekt"), QStringLiteral("projekt"), QStringLiteral("projekt_nev"), QStringLiteral("lezarva")},
    };
    return links[linkKind >= LinkCustomer && linkKind <= LinkProject ? linkKind : LinkCustomer];
}

const TableDecl &CatalogueTable(const QString &table)
{
    if (const TableDecl *t = FindCatalogueTable(table))
        return *t;
    throw Error(QStringLiteral("Unknown table '%1'").arg(table));
}

const TableDecl *FindCatalogueTable(const QString &table)
{
    static const QHash<QString, const TableDecl *> byName = [] {
        QHash<QString, const TableDecl *> h;
        for (const TableDecl &t : Catalogue())
            h.insert(t.name, &t);
        return h;
    }();
    return byName.value(table.trimmed().toLower());
}

void DeclareFields(RecordSet &rs, const QString &table, const QStringList &only, FieldTitles titles)
{
    const TableDecl &t = CatalogueTable(table);
    auto add = [&](FieldDef f) {
        if (titles == FieldTitles::Names)
            f.title.clear();
        rs.addField(f);
    };
    if (only.isEmpty()) {
        for (const FieldDef &f : t.fields)
            add(f);
        return;
    }
    for (const QString &name : only) {
        const FieldDef *f = t.find(name);
        if (!f)
            throw Error(QStringLiteral("Field '%1' not found").arg(name));
        add(*f);
    }
}

void ApplyBeforeSave(RecordSet &rs, const TableDecl &t)
{
    auto has = [&rs](const QString &field) { return rs.fieldIndex(field) >= 0; };
    if (!t.idField.isEmpty() && has(t.idField) && needsId(rs.value(t.idField)))
        rs.setValue(t.idField, NextIdOn(rs.connection(), t.idField, t.name));
    if ((t.extras & CommentFlagDefault) && has(QStringLiteral("vanmegj"))
        && isEmptyText(rs.value(QStringLiteral("vanmegj"))))
        rs.setValue(QStringLiteral("vanmegj"), QStringLiteral("N"));
    if ((t.extras & DayKeyFromDate) && has(QStringLiteral("datumstr"))) {
        const QVariant day = rs.value(QStringLiteral("datum"));
        // An entry without a day cannot be filed under one.
        if (!day.isValid() || !day.toDate().isValid())
            throw Error(QStringLiteral("'' is not a valid date"));
        rs.setValue(QStringLiteral("datumstr"), day.toDate().toString(QStringLiteral("yyyyMMdd")));
    }
    for (const SortKeyDecl &k : t.sortKeys) {
        if (has(k.source) && has(k.key)) {
            const QVariant v = rs.value(k.source);
            rs.setValue(k.key, foldSortKey((v.isValid() ? v.toString() : QString()).left(20)));
        }
    }
}

QList<int> RowsBeforeSaveWouldChange(const RecordSet &rs, const TableDecl &t)
{
    const int id = t.idField.isEmpty() ? -1 : rs.fieldIndex(t.idField);
    const int flag = (t.extras & CommentFlagDefault) ? rs.fieldIndex(QStringLiteral("vanmegj")) : -1;
    const int day = (t.extras & DayKeyFromDate) ? rs.fieldIndex(QStringLiteral("datum")) : -1;
    const int dayKey = day >= 0 ? rs.fieldIndex(QStringLiteral("datumstr")) : -1;
    QList<std::pair<int, int>> keys;
    for (const SortKeyDecl &k : t.sortKeys) {
        const int source = rs.fieldIndex(k.source);
        const int key = rs.fieldIndex(k.key);
        if (source >= 0 && key >= 0)
            keys.append({source, key});
    }
    QList<int> out;
    const int n = rs.recordCount();
    for (int row = 0; row < n; ++row) {
        bool differs = (id >= 0 && needsId(rs.valueAt(row, id))) || (flag >= 0 && isEmptyText(rs.valueAt(row, flag)));
        if (!differs && dayKey >= 0) {
            const QVariant d = rs.valueAt(row, day);
            differs = d.isValid() && d.toDate().isValid()
                && rs.textAt(row, dayKey) != d.toDate().toString(QStringLiteral("yyyyMMdd"));
        }
        for (qsizetype i = 0; !differs && i < keys.size(); ++i) {
            const QVariant v = rs.valueAt(row, keys[i].first);
            QString folded = foldSortKey((v.isValid() ? v.toString() : QString()).left(20));
            // The stored key is cut to its column, like every posted text.
            if (const int size = rs.field(keys[i].second).size; size > 0)
                folded.truncate(size);
            const QVariant stored = rs.valueAt(row, keys[i].second);
            // An empty key and a NULL one are the same to every reader.
            differs = (stored.isValid() ? stored.toString() : QString()) != folded;
        }
        if (differs)
            out.append(row);
    }
    return out;
}

void UseCatalogue(Table &tbl, const QString &table, const QStringList &only, std::function<void(RecordSet &)> extraRule)
{
    const TableDecl &t = CatalogueTable(table);
    tbl.setTableName(t.name);
    tbl.clearFields();
    DeclareFields(tbl, t.name, only);
    tbl.setBeforePost(std::move(extraRule));
}

int UpdateWhere(Connection *connection, const QString &table, const QList<std::pair<QString, QVariant>> &values,
                const QString &where, const QVariantList &whereParams)
{
    const TableDecl &t = CatalogueTable(table);
    // Texts are cut to their columns, as a post cuts them.
    auto cut = [&t](const QString &field, QVariant value) {
        const FieldDef *f = t.find(field);
        if (f && f->kind == FieldKind::Text && f->size > 0 && value.typeId() == QMetaType::QString
            && value.toString().size() > f->size)
            value = value.toString().left(f->size);
        return value;
    };
    QList<std::pair<QString, QVariant>> all;
    for (const auto &[field, value] : values)
        all.append({field, cut(field, value)});
    auto has = [&all](const QString &field) {
        for (const auto &v : all)
            if (v.first.compare(field, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    for (const auto &[field, value] : values) {
        if (!t.find(field))
            throw Error(QStringLiteral("Field '%1' not found").arg(field));
        for (const SortKeyDecl &k : t.sortKeys)
            if (k.source.compare(field, Qt::CaseInsensitive) == 0 && !has(k.key))
                all.append({k.key, cut(k.key, foldSortKey((value.isValid() ? value.toString() : QString()).left(20)))});
        if ((t.extras & DayKeyFromDate) && field.compare(QLatin1String("datum"), Qt::CaseInsensitive) == 0
            && !has(QStringLiteral("datumstr"))) {
            const QDate day = value.toDate();
            if (!day.isValid())
                throw Error(QStringLiteral("'' is not a valid date"));
            all.append({QStringLiteral("datumstr"), day.toString(QStringLiteral("yyyyMMdd"))});
        }
    }
    BoundSql statement;
    QStringList pairs;
    for (const auto &[field, value] : all) {
        pairs.append(field + QStringLiteral("=?"));
        statement.values.append(value);
    }
    statement.sql = QStringLiteral("UPDATE ") + t.name + QStringLiteral(" SET ") + pairs.join(QLatin1Char(','));
    if (!where.trimmed().isEmpty())
        statement.sql += QStringLiteral(" WHERE ") + where;
    statement.values += whereParams;
    connection->execute(statement);
    const int changed = int(connection->changes());
    if (changed > 0)
        TableChanges::notify(t.name);
    return changed;
}

QStringList CatalogueDifferences(sqlite3 *db)
{
    QStringList out;
    for (const TableDecl &t : Catalogue()) {
        QList<std::pair<QString, QString>> columns;
        sqlite3_stmt *stmt = nullptr;
        const QByteArray sql = "PRAGMA table_info(" + t.name.toLatin1() + ')';
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            out << QStringLiteral("%1: %2").arg(t.name, QString::fromUtf8(sqlite3_errmsg(db)));
            continue;
        }
        while (sqlite3_step(stmt) == SQLITE_ROW)
            columns.append({QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 1))),
                            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 2))).toLower()});
        sqlite3_finalize(stmt);
        if (columns.isEmpty()) {
            out << QStringLiteral("%1: no such table").arg(t.name);
            continue;
        }
        const qsizetype n = qMax(columns.size(), t.fields.size());
        for (qsizetype i = 0; i < n; ++i) {
            const QString want = i < t.fields.size()
                ? t.fields[i].name + QLatin1Char(' ') + TableDecl::declaredType(t.fields[i])
                : QStringLiteral("(none)");
            const QString have = i < columns.size() ? columns[i].first + QLatin1Char(' ') + columns[i].second
                                                    : QStringLiteral("(none)");
            if (want != have)
                out << QStringLiteral("%1 column %2: catalogue '%3', database '%4'").arg(t.name).arg(i + 1).arg(want, have);
        }
    }
    return out;
}

int NextIdOn(Connection *connection, const QString &field, const QString &table)
{
    const QString from = table.isEmpty() ? field : table;
    Query qryMax(connection);
    // Numbers sort before texts: a text another program left in the column
    // ('abc') is passed over, and the index still answers at once.
    // A server's integer column holds integers only.
    qryMax.setSql(QStringLiteral("SELECT MAX(") + field + QStringLiteral(") AS maxid FROM ") + from
                  + (connection->isServer() ? QStringLiteral(";")
                                            : QStringLiteral(" WHERE ") + field + QStringLiteral(" < '';")));
    qryMax.open();
    const QVariant v = qryMax.value(QStringLiteral("maxid"));
    bool ok = false;
    const qlonglong maxId = v.isValid() ? v.toString().trimmed().toLongLong(&ok) : 0;
    qryMax.close();
    if (v.isValid() && !ok)
        throw Error(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()));
    return int(maxId + 1);
}

int GiveIdentifier(Table *tbl, const QString &idField)
{
    if (!tbl || !tbl->isOpen() || tbl->currentRow() < 0)
        return 0;
    auto idOf = [&] {
        bool ok = false;
        const int id = tbl->value(idField).toString().trimmed().toInt(&ok);
        return ok ? id : 0;
    };
    if (const int id = idOf())
        return id;
    tbl->edit();
    try {
        tbl->post();
    } catch (...) {
        tbl->cancel();
        throw;
    }
    return idOf();
}

TableChanges &TableChanges::instance()
{
    static TableChanges changes;
    return changes;
}

void TableChanges::notify(const QString &table, const QObject *source, const QList<qint64> &ids)
{
    if (table.isEmpty())
        return;
    const QString name = table.toLower();
    Q_EMIT instance().rowsWritten(name, ids);
    Q_EMIT instance().changed(name, source);
}

namespace {
quint64 s_batch = 0;
quint64 s_lastBatch = 0;
} // namespace

void TableChanges::notifyMany(const QStringList &tables, const QObject *source)
{
    const quint64 outer = s_batch;
    s_batch = ++s_lastBatch;
    struct Restore
    {
        quint64 outer;
        ~Restore() { s_batch = outer; }
    } restore{outer};
    for (const QString &table : tables)
        notify(table, source);
}

quint64 TableChanges::batch()
{
    return s_batch;
}

QString TableWrittenBy(const QString &sql)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*(?:INSERT\\s+(?:OR\\s+\\w+\\s+)?INTO|UPDATE(?:\\s+OR\\s+\\w+)?|DELETE\\s+FROM|REPLACE\\s+INTO)\\s+[\"`\\[]?(\\w+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(sql);
    return m.hasMatch() ? m.captured(1).toLower() : QString();
}

} // namespace zdb

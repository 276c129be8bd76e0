#pragma once

// The table catalogue: one declaration per table of the database — fields in
// order with their kinds and sizes, default titles, the identifier column,
// the sort-key columns with their source fields, the flag columns and the
// table's own before-save extras. The record sets, the before-save rule and
// the database maker all read it, so a column is described in one place.

#include "db/recordset.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace zdb {

class Connection;

struct SortKeyDecl
{
    QString source;   // the marked text column
    QString key;      // its shadow column, 20 characters
};

enum TableExtra {
    NoExtras = 0,
    CommentFlagDefault = 1,  // `vanmegj` := "N" when empty
    DayKeyFromDate = 2,      // `datumstr` := `datum` as yyyymmdd; an entry needs a day
};

struct TableDecl
{
    QString name;
    QString idField;             // empty for the users, settings and owner tables
    QList<FieldDef> fields;      // the stored columns in their order
    QList<SortKeyDecl> sortKeys;
    QStringList flags;           // one-character "I"/"N" columns
    int extras = NoExtras;

    const FieldDef *find(const QString &field) const;
    // The declared type of a column: "integer", "date" or "varchar(n)".
    static QString declaredType(const FieldDef &field);
};

// The master records that tasks, calendar entries, comments and documents
// link to. The numbers are stored nowhere; they index CatalogueLink.
enum LinkKindNumber { LinkCustomer = 0, LinkProduct = 1, LinkProject = 2 };

struct LinkDecl
{
    QString table;       // the master table
    QString idField;     // its identifier, also the link column of the linking tables
    QString nameField;   // its name, also the copy kept in tasks and calendar entries
    QString closedFlag;  // "I"/"N" column of closed records; empty when none close
};

// The link of a kind; an unknown number reads as the customer link, the
// kind every caller falls back to.
const LinkDecl &CatalogueLink(int linkKind);

// Every table, in the order of the schema file.
const QList<TableDecl> &Catalogue();
// Throws Error for a table the catalogue does not know.
const TableDecl &CatalogueTable(const QString &table);
// nullptr for a table the catalogue does not know.
const TableDecl *FindCatalogueTable(const QString &table);

// Declares fields of `table` on a record set: all of them in the catalogue's
// order, or just `only`, in that order (kinds, sizes, titles and sort-key
// marks from the catalogue). Throws for an unknown field. With
// FieldTitles::Names the fields carry no titles (the export and report
// record sets head their columns with the field names).
enum class FieldTitles { Catalogue, Names };
void DeclareFields(RecordSet &rs, const QString &table, const QStringList &only = {},
                   FieldTitles titles = FieldTitles::Catalogue);

// The before-save rule of every table: the identifier from NextIdOn when it
// is empty or 0, the table's extras, then every sort key folded from the
// first 20 characters of its source. Fields the record set does not declare
// are left alone.
void ApplyBeforeSave(RecordSet &rs, const TableDecl &table);

// The loaded rows of `rs` that the before-save rule would change if posted
// as they stand (an identifier to give, a flag default, a stale sort key):
// bulk re-save passes write only these.
QList<int> RowsBeforeSaveWouldChange(const RecordSet &rs, const TableDecl &table);

// A table record set over `table`, its fields declared from the catalogue.
// `extraRule`, when given, becomes the record set's own before-save rule (a
// window's defaults); the table's common rule follows it on every post.
void UseCatalogue(Table &tbl, const QString &table, const QStringList &only = {},
                  std::function<void(RecordSet &)> extraRule = {});

// Writes `values` (field, value) into the rows of `table` that `where`
// selects, every value and every one of `whereParams` bound. The table's
// before-save rule goes with them: a sort-key source in `values` takes its
// key along, so a list sorted by that column puts the rows in their place.
// Returns how many rows changed and announces the change when there is one.
int UpdateWhere(Connection *connection, const QString &table, const QList<std::pair<QString, QVariant>> &values,
                const QString &where, const QVariantList &whereParams);

// Where the tables of an open database differ from the catalogue (a missing
// table or column, another order or declared type); empty when they agree.
QStringList CatalogueDifferences(sqlite3 *db);

// The identifier of the current row of `tbl`; a row without one (empty or
// 0) is first posted as it stands, so the before-save rule gives it one.
// 0 when there is no current row. A failed post is cancelled and thrown.
int GiveIdentifier(Table *tbl, const QString &idField);

// Largest identifier plus 1 (1 on an empty table).
int NextIdOn(Connection *connection, const QString &field, const QString &table = {});

// Announces row changes per table, so that a window showing a copy of
// another table's data (the task list shows customer names) can refresh.
// `source` is the record set that wrote, or nullptr for a free statement.
class TableChanges : public QObject
{
    Q_OBJECT
public:
    static TableChanges &instance();
    // `ids`: the identifiers of the rows written, when the writer knows them.
    static void notify(const QString &table, const QObject *source = nullptr, const QList<qint64> &ids = {});
    // Several tables at once (another desk committed): each is announced,
    // all under one batch number, so that a watcher of several of them
    // refreshes once.
    static void notifyMany(const QStringList &tables, const QObject *source = nullptr);
    // The number of the batch being announced; 0 outside a batch.
    static quint64 batch();

Q_SIGNALS:
    void changed(const QString &table, const QObject *source);
    // The same change for keepers of derived data: the rows written, or none
    // when any row of the table may have changed.
    void rowsWritten(const QString &table, const QList<qint64> &ids);
};

// The table an INSERT, UPDATE or DELETE statement writes; empty for others.
QString TableWrittenBy(const QString &sql);

} // namespace zdb

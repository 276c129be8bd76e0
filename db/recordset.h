#pragma once

#include "db/binder.h"
#include "db/dberror.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>

namespace zdb {

class Connection;

// Field kinds. Integer, Date and Text are what the windows declare; the others
// come from result columns of free queries.
enum class FieldKind { Integer, Date, Text, Float, DateTime, Time, Boolean, Currency, Blob, Memo, WideText };
QString fieldKindName(FieldKind kind); // "Integer", "Date", "String", ...

// The kind and length a declared column type maps to ("varchar(50)" -> Text 50,
// "" or unknown -> Text 255, "text" -> Memo).
struct ColumnType
{
    FieldKind kind = FieldKind::Text;
    int size = 255;
};
ColumnType columnTypeOf(const QString &declaredType);

struct FieldDef
{
    QString name;
    FieldKind kind = FieldKind::Text;
    int size = 0;              // maximum length of text fields, in characters
    QString title;             // grid header; the name when empty
    int tag = 0;               // 77 marks a field with a sort-key column
    bool calculated = false;   // computed by the owner, never stored
    bool required = false;
    QString displayFormat;     // e.g. "00000" zero-pads integers in display text

    QString displayTitle() const { return title.isEmpty() ? name : title; }
};

// Text forms shared by searching, export and SQL building.
QString dateToText(const QDate &date);          // the short date form, "2005.01.31."
QString dateToSql(const QDate &date);           // "2005-01-31"
// The readings of a stored date text; throws "'%s' is not a valid date".
QDate parseStoredDate(const QByteArray &text);

enum LocateOption { LocateCaseInsensitive = 1, LocatePartial = 2 };

// The in-memory result of one table or one query, with a current row and the
// modes closed, browsing, editing and inserting. Every failure throws Error.
// Values: an empty (null) field reads as an invalid QVariant; integers as int,
// dates as QDate, everything else as QString.
class RecordSet : public QObject
{
    Q_OBJECT
public:
    enum class Mode { Closed, Browsing, Editing, Inserting };
    enum class Variant { Table, Query };

    ~RecordSet() override;

    Variant variant() const { return m_variant; }
    Connection *connection() const { return m_connection; }
    void setConnection(Connection *connection);

    // Field declarations. With none declared, every result column becomes a field.
    void addField(const FieldDef &def);
    void addInteger(const QString &name, const QString &title = {});
    void addDate(const QString &name, const QString &title = {});
    void addText(const QString &name, int size, const QString &title = {}, int tag = 0);
    void addCalculated(const QString &name, int size, const QString &title = {});
    void clearFields();
    int fieldCount() const;
    QStringList fieldNames() const;              // declaration order, calculated included
    int fieldIndex(const QString &name) const;   // -1 when unknown; names ignore case
    const FieldDef &field(int index) const;
    const FieldDef &field(const QString &name) const; // throws "Field '%s' not found"
    FieldDef &fieldDef(const QString &name);     // to set a title or display format

    // Calculated fields: the owner computes a value for a row. In edit and
    // insert mode the current row's values come from the edit buffer.
    using CalcHandler = std::function<QVariant(const RecordSet &rs, int row, const QString &field)>;
    void setCalcHandler(CalcHandler handler) { m_calc = std::move(handler); }

    // The record set's own before-save rule (a window's defaults), run at the
    // start of every post (may set values, may throw). A table record set
    // then runs its table's rule from the catalogue itself.
    void setBeforePost(std::function<void(RecordSet &)> rule) { m_beforePost = std::move(rule); }
    const std::function<void(RecordSet &)> &beforePost() const { return m_beforePost; }
    // Both rules on the edit buffer, as a post runs them, so that a bulk
    // writer can run them on a row of its own.
    void runBeforeSave();

    // State
    Mode mode() const { return m_mode; }
    bool isOpen() const { return m_mode != Mode::Closed; }
    bool isEditing() const { return m_mode == Mode::Editing || m_mode == Mode::Inserting; }
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    void open();
    void close();
    void refresh() { close(); open(); }
    // An upper bound on the memory a load may take, in bytes; 0 sets none.
    // Past it the open fails with TooLargeMessage() and the rows read so far
    // are dropped, so a runaway result cannot take the machine down.
    void setLoadLimit(qint64 bytes) { m_loadLimit = bytes; }
    qint64 loadLimit() const { return m_loadLimit; }
    static QString tooLargeMessage();

    // Navigation
    int recordCount() const;
    int currentRow() const { return m_current; }  // -1 when there are no rows
    void setCurrentRow(int row);                  // grids move the current row
    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return m_eof; }
    bool isEmpty() const { return recordCount() == 0; }
    using Bookmark = quint64;
    Bookmark bookmark() const;
    Bookmark bookmarkAt(int row) const;           // 0 for a row out of range
    bool gotoBookmark(Bookmark mark);             // false when the row is gone

    // Bound controls: while held, row moves are not announced.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_hold > 0; }

    // Values of the current row (edit buffer in edit and insert mode).
    QVariant value(const QString &name) const;
    QVariant value(int field) const { return valueAt(m_current, field); }
    bool isNull(const QString &name) const { return !value(name).isValid(); }
    QString text(const QString &name) const;         // the text form; empty for null
    QString displayText(const QString &name) const;  // with the display format
    // Any loaded row; the current row in edit mode reads the buffer.
    QVariant valueAt(int row, int field) const;
    QVariant valueAt(int row, const QString &name) const;
    QString textAt(int row, int field) const;
    QString displayTextAt(int row, int field) const;

    // Editing
    void setValue(const QString &name, const QVariant &value);
    void setValue(int field, const QVariant &value);
    // Every stored field at once, by field index (an import's row): each
    // value converted as setValue does, the change announced once.
    void setValues(const QVector<QVariant> &values);
    // The edit buffer by field index, as value() reads it; empty when browsing.
    const QVector<QVariant> &bufferValues() const;
    void insert();
    void edit();
    void post();
    void cancel();
    void remove();           // "delete"

    bool locate(const QString &fields, const QVariant &values, int options = 0);

    // Filter (SQL condition) and its switch. The condition's values are
    // bound to its "?" in order, never written into its text.
    QString filter() const { return m_filter; }
    const QVariantList &filterParams() const { return m_filterParams; }
    void setFilter(const QString &filter, const QVariantList &params = {});
    bool filtered() const { return m_filtered; }
    void setFiltered(bool on) { m_filtered = on; }

    // The statement that open runs, with its values (parameters and filter).
    virtual BoundSql selectStatement() const = 0;
    // The same with the values shown in place: for reading, never for running.
    virtual QString selectSql() const { return ShowBound(selectStatement()); }

    // Hook for the busy mouse pointer while rows load (set once by the GUI).
    static void setBusyHook(std::function<void(bool)> hook);

Q_SIGNALS:
    void aboutToReset();
    void reset();                        // opened, closed or reloaded
    void currentChanged(int row);
    void modeChanged(RecordSet::Mode mode);
    void aboutToInsertRow(int row);
    void rowInserted(int row);
    void aboutToRemoveRow(int row);
    void rowRemoved(int row);
    void rowChanged(int row);            // a posted row, or the edit buffer changed
    void fieldChanged(int field);        // edit buffer value set

protected:
    RecordSet(Variant variant, Connection *connection, QObject *parent);
    void load(const BoundSql &statement); // prepare, bind values and fields, read every row
    virtual BoundSql postStatement() const; // the insert or update of the buffer
    // After an update or delete of the current row: throws RowConflict when
    // it changed no row.
    void checkRowWritten() const;

    struct Impl;
    std::unique_ptr<Impl> d;

    Variant m_variant;
    Connection *m_connection = nullptr;
    Mode m_mode = Mode::Closed;
    int m_current = -1;
    bool m_eof = true;
    bool m_readOnly = false;
    qint64 m_loadLimit = 0;
    int m_hold = 0;
    QString m_filter;
    QVariantList m_filterParams;
    bool m_filtered = false;
    CalcHandler m_calc;
    std::function<void(RecordSet &)> m_beforePost;

    friend class RecordSetTestAccess;
    friend class RowWriter;
};

// A record set bound to one table, writing changes back by rowid.
class Table : public RecordSet
{
    Q_OBJECT
public:
    explicit Table(Connection *connection = nullptr, QObject *parent = nullptr);
    Table(Connection *connection, const QString &tableName, QObject *parent = nullptr);

    QString tableName() const { return m_table; }
    void setTableName(const QString &name);
    QString order() const { return m_order; }
    void setOrder(const QString &order);  // a different order closes the record set

    BoundSql selectStatement() const override;
    BoundSql postStatement() const override;   // public for tests of the generated statement
    BoundSql deleteStatement() const;

    // The identifier field (named like the table), matched with the rowid
    // when a row is written back; -1 when the table has none.
    int identifierField() const { return fieldIndex(m_table.trimmed()); }

    // An update or delete requires every column the row was read with to
    // hold still what was read, so a row another desk changed meanwhile is
    // refused (RowConflict) instead of written over. On unless switched off.
    void setGuardReadValues(bool on) { m_guardValues = on; }
    bool guardsReadValues() const { return m_guardValues; }

    // Why an update or delete of the current row changed no row: the row
    // still there (by rowid and identifier) was changed, else it was deleted.
    RowConflict::Kind conflictKind() const;

    // Reads the current row again from the file. In edit mode a field the
    // user changed keeps the typing where the file still holds what was
    // read; every other field shows what the file holds. False (nothing
    // changed) when the row is gone.
    bool reloadCurrentRow();

private:
    // The WHERE naming the current row, its values appended to `values`;
    // with `readValues`, also every column's value as it was read.
    QString rowCondition(QVariantList &values, bool readValues) const;

    QString m_table;
    QString m_order;
    bool m_guardValues = true;
};

// A record set over an SQL text with named parameters (":name").
class Query : public RecordSet
{
    Q_OBJECT
public:
    explicit Query(Connection *connection = nullptr, QObject *parent = nullptr);
    Query(Connection *connection, const QString &sql, QObject *parent = nullptr);

    QString sql() const { return m_sql; }
    void setSql(const QString &sql);       // closes; parses the parameters
    QStringList paramNames() const;
    // Integer (int/qlonglong), date (QDate) or text (QString); empty text or an
    // invalid QVariant is written as NULL.
    void setParam(const QString &name, const QVariant &value);
    void execute();                        // runs the first statement, keeps closed
    // Whether the text holds more than its first statement: anything but
    // blanks, ";" and comments after it. False when the first statement does
    // not compile (running it reports that).
    bool hasMoreStatements() const;

    BoundSql selectStatement() const override;
    QString selectSql() const override;    // the parameters' literals in place, for reading

private:
    BoundSql boundText() const;            // the text with its parameters named, and their values
    QString m_sql;
    QString m_parsed;                      // the text with "?" in the parameters' places
    QStringList m_paramNames;
    QVector<QVariant> m_paramValues;
};

} // namespace zdb

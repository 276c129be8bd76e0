// Query record set: named parameters, their literals and running the first
// statement of the text.

#include "db/recordset_p.h"
#include "db/connection.h"
#include "db/cursor.h"

#include <QDateTime>

#include <sqlite3.h>

namespace zdb {

namespace {

// When s[i] opens a quoted string, a quoted name or a comment, the index just
// past it; otherwise i.
qsizetype skipLiteral(const QString &s, qsizetype i)
{
    const qsizetype n = s.size();
    const QChar c = s[i];
    if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
        qsizetype j = i + 1;
        while (j < n) {
            if (s[j] == c) {
                if (j + 1 < n && s[j + 1] == c) {   // a doubled quote stays inside
                    j += 2;
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
        return n;
    }
    // A server's function body ($$ ... $$) holds statements of its own.
    if (c == QLatin1Char('$') && i + 1 < n && s[i + 1] == QLatin1Char('$')) {
        const qsizetype j = s.indexOf(QLatin1String("$$"), i + 2);
        return j < 0 ? n : j + 2;
    }
    if (c == QLatin1Char('[')) {
        const qsizetype j = s.indexOf(QLatin1Char(']'), i + 1);
        return j < 0 ? n : j + 1;
    }
    if (c == QLatin1Char('-') && i + 1 < n && s[i + 1] == QLatin1Char('-')) {
        const qsizetype j = s.indexOf(QLatin1Char('\n'), i + 2);
        return j < 0 ? n : j + 1;
    }
    if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
        const qsizetype j = s.indexOf(QLatin1String("*/"), i + 2);
        return j < 0 ? n : j + 2;
    }
    return i;
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// The text up to the first ";" that ends a statement, trimmed.
QString firstStatement(const QString &s)
{
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype j = skipLiteral(s, i);
        if (j != i) {
            i = j;
            continue;
        }
        if (s[i] == QLatin1Char(';'))
            return s.left(i).trimmed();
        ++i;
    }
    return s.trimmed();
}

// A parameter's value as the query binds and shows it: empty text of any
// type is NULL.
QVariant paramValue(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QVariant();
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return v;
    default: {
        const QString text = v.toString();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    }
}

QString paramLiteral(const QVariant &v)
{
    return LiteralOf(paramValue(v));
}

} // namespace

Query::Query(Connection *connection, QObject *parent) : RecordSet(Variant::Query, connection, parent) {}

Query::Query(Connection *connection, const QString &sql, QObject *parent)
    : RecordSet(Variant::Query, connection, parent)
{
    setSql(sql);
}

void Query::setSql(const QString &sql)
{
    close();
    const QStringList oldNames = m_paramNames;
    const QVector<QVariant> oldValues = m_paramValues;

    m_sql = sql;
    m_parsed.clear();
    m_parsed.reserve(sql.size());
    m_paramNames.clear();
    d->paramPos.clear();
    d->paramOf.clear();
    qsizetype i = 0;
    const qsizetype n = sql.size();
    while (i < n) {
        const qsizetype j = skipLiteral(sql, i);
        if (j != i) {
            m_parsed += QStringView(sql).mid(i, j - i);
            i = j;
            continue;
        }
        const QChar c = sql[i];
        if (c == QLatin1Char(':') && i + 1 < n && sql[i + 1] == QLatin1Char(':')) {
            m_parsed += QLatin1String("::");
            i += 2;
            continue;
        }
        if (c == QLatin1Char(':') && i + 1 < n && isNameChar(sql[i + 1])) {
            qsizetype e = i + 1;
            while (e < n && isNameChar(sql[e]))
                ++e;
            const QString name = sql.mid(i + 1, e - i - 1);
            int index = -1;
            for (int k = 0; k < m_paramNames.size(); ++k)
                if (m_paramNames[k].compare(name, Qt::CaseInsensitive) == 0)
                    index = k;
            if (index < 0) {
                index = int(m_paramNames.size());
                m_paramNames.append(name);
            }
            d->paramPos.push_back(m_parsed.size());
            d->paramOf.push_back(index);
            m_parsed += QLatin1Char('?');
            i = e;
            continue;
        }
        m_parsed += c;
        ++i;
    }

    // Values of parameters that kept their name survive a change of the text.
    m_paramValues = QVector<QVariant>(m_paramNames.size());
    for (int k = 0; k < m_paramNames.size(); ++k)
        for (int o = 0; o < oldNames.size(); ++o)
            if (oldNames[o].compare(m_paramNames[k], Qt::CaseInsensitive) == 0)
                m_paramValues[k] = oldValues.value(o);
}

QStringList Query::paramNames() const
{
    return m_paramNames;
}

void Query::setParam(const QString &name, const QVariant &value)
{
    for (int k = 0; k < m_paramNames.size(); ++k) {
        if (m_paramNames[k].compare(name, Qt::CaseInsensitive) == 0) {
            m_paramValues[k] = value;
            return;
        }
    }
    throw Error(QStringLiteral("Parameter '%1' not found").arg(name));
}

// True when `a` followed by `b` would read as one token, or start a comment:
// "5-" and "-2" make "5--2", "'a'" and "'x'" one string "a'x", "x" and "5" a name.
static bool glues(QChar a, QChar b)
{
    return (a == QLatin1Char('-') && b == QLatin1Char('-')) || (a == QLatin1Char('\'') && b == QLatin1Char('\''))
        || (isNameChar(a) && isNameChar(b));
}

// The text with each parameter's literal in its own place: a "?" that a value
// brings along is never taken for the next parameter, and a literal never
// runs together with its neighbours (a space parts them where they would).
static QString substituted(const QString &parsed, const std::vector<qsizetype> &positions,
                           const std::vector<int> &owners, const QVector<QVariant> &values)
{
    QString out;
    out.reserve(parsed.size() + qsizetype(positions.size()) * 8);
    qsizetype from = 0;
    for (size_t k = 0; k < positions.size(); ++k) {
        out += QStringView(parsed).mid(from, positions[k] - from);
        const QString literal = paramLiteral(values.value(owners[k]));
        if (!out.isEmpty() && !literal.isEmpty() && glues(out.back(), literal.front()))
            out += QLatin1Char(' ');
        out += literal;
        from = positions[k] + 1;
        if (from < parsed.size() && !literal.isEmpty() && glues(literal.back(), parsed[from]))
            out += QLatin1Char(' ');
    }
    out += QStringView(parsed).mid(from);
    return out;
}

// Each parameter keeps its name, in the spelling it first had (names are
// the same whatever their case), so a message of the engine quotes the text
// as it was written. A name beyond plain ASCII letters, digits and "_" might
// not survive the text's encoding; it gets a name of the program's own.
static QString boundName(const QString &name, int index)
{
    for (const QChar c : name)
        if (c.unicode() > 127 || !(c.isLetterOrNumber() || c == QLatin1Char('_')))
            return QStringLiteral("$zentavo_p") + QString::number(index + 1);
    return QLatin1Char(':') + name;
}

BoundSql Query::boundText() const
{
    BoundSql out;
    out.sql.reserve(m_parsed.size() + qsizetype(d->paramPos.size()) * 4);
    qsizetype from = 0;
    for (size_t k = 0; k < d->paramPos.size(); ++k) {
        out.sql += QStringView(m_parsed).mid(from, d->paramPos[k] - from);
        out.sql += boundName(m_paramNames[d->paramOf[k]], d->paramOf[k]);
        from = d->paramPos[k] + 1;
    }
    out.sql += QStringView(m_parsed).mid(from);
    for (int k = 0; k < m_paramNames.size(); ++k)
        out.named.append({boundName(m_paramNames[k], k), paramValue(m_paramValues.value(k))});
    return out;
}

BoundSql Query::selectStatement() const
{
    if (m_sql.trimmed().isEmpty())
        throw Error(QStringLiteral("no query specified"));
    BoundSql out = boundText();
    if (m_filtered && !m_filter.trimmed().isEmpty()) {
        out.sql = QStringLiteral("select * from (") + firstStatement(out.sql) + QStringLiteral(") where ") + m_filter;
        out.values = m_filterParams;
    } else if (m_connection && m_connection->isServer()) {
        // The server would refuse a text of several statements whole; the
        // first one runs, as a file's engine runs it.
        out.sql = firstStatement(out.sql);
    }
    return out;
}

QString Query::selectSql() const
{
    if (m_sql.trimmed().isEmpty())
        throw Error(QStringLiteral("no query specified"));
    const QString text = substituted(m_parsed, d->paramPos, d->paramOf, m_paramValues);
    if (m_filtered && !m_filter.trimmed().isEmpty())
        return QStringLiteral("select * from (") + firstStatement(text) + QStringLiteral(") where ")
            + ShowBound({m_filter, m_filterParams, {}});
    return text;
}

// The server prepares no part of a text: the rest after the first ";"
// outside literals and comments is read the same way as below.
static bool hasMoreStatementsText(const QString &sql)
{
    qsizetype i = 0;
    bool first = true;
    while (i < sql.size()) {
        const qsizetype j = skipLiteral(sql, i);
        if (j != i) {
            i = j;
            continue;
        }
        if (first) {
            if (sql[i] == QLatin1Char(';'))
                first = false;
        } else if (!sql[i].isSpace() && sql[i] != QLatin1Char(';')) {
            return true;
        }
        ++i;
    }
    return false;
}

void Query::execute()
{
    if (!m_connection)
        throw Error(QStringLiteral("no database connection"));
    if (m_sql.trimmed().isEmpty())
        throw Error(QStringLiteral("no query specified"));
    BoundSql bound = boundText();
    if (!m_connection->isConnected())
        m_connection->open();
    if (m_connection->isServer())
        bound.sql = firstStatement(bound.sql);
    const std::unique_ptr<Cursor> cursor = m_connection->query(bound);
    while (cursor->next()) {
    }
}

bool Query::hasMoreStatements() const
{
    if (!m_connection || !m_connection->isConnected() || m_sql.trimmed().isEmpty())
        return false;
    if (m_connection->isServer())
        return hasMoreStatementsText(boundText().sql);
    const QByteArray bytes = m_connection->encode(boundText().sql);
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(m_connection->handle(), bytes.constData(), int(bytes.size()), &stmt, &tail);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_OK || !tail)
        return false;
    // What follows is read as text rather than compiled: it may well name a
    // table that only the first statement creates.
    const QString rest = m_connection->decode(tail, bytes.constData() + bytes.size() - tail);
    qsizetype i = 0;
    while (i < rest.size()) {
        const qsizetype j = skipLiteral(rest, i);
        const bool comment = j != i && (rest[i] == QLatin1Char('-') || rest[i] == QLatin1Char('/'));
        if (comment) {
            i = j;
            continue;
        }
        if (!rest[i].isSpace() && rest[i] != QLatin1Char(';'))
            return true;
        ++i;
    }
    return false;
}

} // namespace zdb

#include "db/binder.h"

#include "db/dberror.h"
#include "db/recordset.h"

#include <sqlite3.h>

#include <limits>

namespace zdb {

namespace {

// How a value is bound and how it is shown: one reading for both.
enum class ValueClass { Null, Integer, LargeUnsigned, Date, Bytes, Text };

ValueClass classOf(const QVariant &value, QDate &date)
{
    if (!value.isValid() || value.isNull())
        return ValueClass::Null;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Bool:
        return ValueClass::Integer;
    case QMetaType::ULongLong:
        return value.toULongLong() <= quint64(std::numeric_limits<qint64>::max()) ? ValueClass::Integer
                                                                                  : ValueClass::LargeUnsigned;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        date = value.typeId() == QMetaType::QDate ? value.toDate() : value.toDateTime().date();
        return date.isValid() ? ValueClass::Date : ValueClass::Null;
    case QMetaType::QByteArray:
        return ValueClass::Bytes;
    default:
        return ValueClass::Text;
    }
}

} // namespace

void BindValue(sqlite3_stmt *stmt, int index, const QVariant &value, Encoding encoding)
{
    int rc = SQLITE_OK;
    QDate date;
    switch (classOf(value, date)) {
    case ValueClass::Null:
        rc = sqlite3_bind_null(stmt, index);
        break;
    case ValueClass::Integer:
        rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
        break;
    case ValueClass::LargeUnsigned:
        rc = sqlite3_bind_text(stmt, index, QByteArray::number(value.toULongLong()).constData(), -1, SQLITE_TRANSIENT);
        break;
    case ValueClass::Date:
        rc = sqlite3_bind_text(stmt, index, dateToSql(date).toLatin1().constData(), -1, SQLITE_TRANSIENT);
        break;
    case ValueClass::Bytes: {
        const QByteArray bytes = value.toByteArray();
        rc = sqlite3_bind_text(stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    case ValueClass::Text: {
        const QByteArray bytes = encodeText(value.toString(), encoding);
        // A non-null pointer: an empty text is bound as '' rather than NULL.
        rc = sqlite3_bind_text(stmt, index, bytes.constData() ? bytes.constData() : "", int(bytes.size()),
                               SQLITE_TRANSIENT);
        break;
    }
    }
    if (rc != SQLITE_OK)
        throw Error(QString::fromUtf8(sqlite3_errstr(rc)));
}

void BindAll(sqlite3_stmt *stmt, const BoundSql &bound, Encoding encoding)
{
    if (!stmt) {
        if (!bound.values.isEmpty() || !bound.named.isEmpty())
            throw Error(QStringLiteral("No statement to bind the values to"));
        return;
    }
    const int count = sqlite3_bind_parameter_count(stmt);
    qsizetype next = 0;
    for (int i = 1; i <= count && next < bound.values.size(); ++i)
        if (!sqlite3_bind_parameter_name(stmt, i))
            BindValue(stmt, i, bound.values[next++], encoding);
    if (next < bound.values.size())
        throw Error(QStringLiteral("The statement has %1 places for %2 values").arg(next).arg(bound.values.size()));
    for (const auto &[name, value] : bound.named) {
        // The name as it stands in the text the statement was prepared from.
        const int i = sqlite3_bind_parameter_index(stmt, encodeText(name, encoding).constData());
        if (i > 0)
            BindValue(stmt, i, value, encoding);
    }
}

bool ValueBytes(const QVariant &value, Encoding encoding, QByteArray &out)
{
    QDate date;
    switch (classOf(value, date)) {
    case ValueClass::Null:
        return false;
    case ValueClass::Integer:
        out = QByteArray::number(value.toLongLong());
        break;
    case ValueClass::LargeUnsigned:
        out = QByteArray::number(value.toULongLong());
        break;
    case ValueClass::Date:
        out = dateToSql(date).toLatin1();
        break;
    case ValueClass::Bytes:
        out = value.toByteArray();
        break;
    case ValueClass::Text:
        out = encodeText(value.toString(), encoding);
        break;
    }
    return true;
}

QString LiteralOf(const QVariant &value)
{
    QDate date;
    switch (classOf(value, date)) {
    case ValueClass::Null:
        return QStringLiteral("NULL");
    case ValueClass::Integer:
        return QString::number(value.toLongLong());
    case ValueClass::LargeUnsigned:
        return QString::number(value.toULongLong());
    case ValueClass::Date:
        return QLatin1Char('\'') + dateToSql(date) + QLatin1Char('\'');
    case ValueClass::Bytes:
    case ValueClass::Text:
        break;
    }
    QString text = value.typeId() == QMetaType::QByteArray ? QString::fromLatin1(value.toByteArray()) : value.toString();
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

QString ShowBound(const BoundSql &bound)
{
    const QString &s = bound.sql;
    QString out;
    out.reserve(s.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            qsizetype j = s.indexOf(c, i + 1);
            j = j < 0 ? s.size() - 1 : j;
            out += QStringView(s).mid(i, j - i + 1);
            i = j;
            continue;
        }
        if (c == QLatin1Char('?') && next < bound.values.size()) {
            out += LiteralOf(bound.values[next++]);
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace zdb

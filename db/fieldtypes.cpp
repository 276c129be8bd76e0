// Field kinds, the mapping of declared column types, and the text forms and
// readers of stored values.

#include "db/recordset_p.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>

namespace zdb {

QString fieldKindName(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Integer: return QStringLiteral("Integer");
    case FieldKind::Date: return QStringLiteral("Date");
    case FieldKind::Text: return QStringLiteral("String");
    case FieldKind::Float: return QStringLiteral("Float");
    case FieldKind::DateTime: return QStringLiteral("DateTime");
    case FieldKind::Time: return QStringLiteral("Time");
    case FieldKind::Boolean: return QStringLiteral("Boolean");
    case FieldKind::Currency: return QStringLiteral("Currency");
    case FieldKind::Blob: return QStringLiteral("Blob");
    case FieldKind::Memo: return QStringLiteral("Memo");
    case FieldKind::WideText: return QStringLiteral("WideString");
    }
    return QString();
}

ColumnType columnTypeOf(const QString &declaredType)
{
    const QString t = declaredType.trimmed().toLower();
    QString base = t;
    int length = -1;
    const qsizetype open = t.indexOf(QLatin1Char('('));
    if (open >= 0) {
        base = t.left(open).trimmed();
        const qsizetype close = t.indexOf(QLatin1Char(')'), open);
        const QString args = t.mid(open + 1, close < 0 ? -1 : close - open - 1);
        bool ok = false;
        const int n = args.section(QLatin1Char(','), 0, 0).trimmed().toInt(&ok);
        if (ok && n > 0)
            length = n;
    }

    auto is = [&base](std::initializer_list<const char *> names) {
        for (const char *n : names)
            if (base == QLatin1String(n))
                return true;
        return false;
    };

    if (is({"integer", "int"}))
        return {FieldKind::Integer, 0};
    if (is({"date"}))
        return {FieldKind::Date, 0};
    if (is({"varchar", "char", "varchar2"}) && length > 0)
        return {FieldKind::Text, length};
    if (is({"string", "shorttext"}))
        return {FieldKind::Text, 255};
    if (is({"datetime", "timestamp"}))
        return {FieldKind::DateTime, 0};
    if (is({"time"}))
        return {FieldKind::Time, 0};
    if (is({"float", "real", "numeric"}))
        return {FieldKind::Float, 0};
    if (is({"boolean", "logical"}))
        return {FieldKind::Boolean, 0};
    if (is({"currency", "financial", "money"}))
        return {FieldKind::Currency, 0};
    if (is({"blob", "graphic"}))
        return {FieldKind::Blob, 0};
    if (is({"clob", "memo", "text", "longtext"}))
        return {FieldKind::Memo, 0};
    if (is({"nvarchar", "nchar", "nvarchar2"}) && length > 0)
        return {FieldKind::WideText, length};
    if (is({"widestring", "widetext", "ntext", "nvarchar", "nchar", "nvarchar2"}))
        return {FieldKind::WideText, 255};
    return {FieldKind::Text, 255};
}

QString dateToText(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return QStringLiteral("%1.%2.%3.")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString dateToSql(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return QStringLiteral("%1-%2-%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Reads 1..maxDigits digits; `digits` tells how many there were.
bool readNumber(const char *&p, const char *e, int maxDigits, int &value, int &digits)
{
    value = 0;
    digits = 0;
    while (p < e && *p >= '0' && *p <= '9') {
        if (++digits > maxDigits)
            return false;
        value = value * 10 + (*p - '0');
        ++p;
    }
    return digits > 0;
}

int daysInMonth(int y, int m)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0))
        return 29;
    return days[m - 1];
}

// Two-digit years fall into 1950..2049, as short date entries usually mean.
int expandYear(int year, int digits)
{
    if (digits > 2)
        return year;
    return year < 50 ? 2000 + year : 1900 + year;
}

bool validDate(int y, int m, int d)
{
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= daysInMonth(y, m);
}

// Three numbers separated by `sep`, in the order given by `yearFirst`; a
// trailing separator is allowed where `trailing` says so.
bool readParts(const char *p, const char *e, char sep, bool yearFirst, bool trailing, int &y, int &m, int &d)
{
    int a = 0, b = 0, c = 0, da = 0, db = 0, dc = 0;
    if (!readNumber(p, e, yearFirst ? 4 : 2, a, da) || p >= e || *p++ != sep)
        return false;
    if (!readNumber(p, e, 2, b, db) || p >= e || *p++ != sep)
        return false;
    if (!readNumber(p, e, yearFirst ? 2 : 4, c, dc))
        return false;
    if (p < e && trailing && *p == sep)
        ++p;
    if (p != e)
        return false;
    if (yearFirst) {
        y = expandYear(a, da);
        m = b;
        d = c;
    } else {
        d = a;
        m = b;
        y = expandYear(c, dc);
    }
    return validDate(y, m, d);
}

} // namespace

DateRead readDate(const char *p, qsizetype n, int &y, int &m, int &d)
{
    const char *e = p + n;
    while (p < e && isBlank(*p))
        ++p;
    while (e > p && isBlank(e[-1]))
        --e;
    if (p == e) {
        y = 1900;
        m = 1;
        d = 1;
        return DateRead::Blank;
    }
    // The stored form yyyy-mm-dd: a four-digit first number fits neither the
    // dotted reading nor day-month-year, so it goes straight to the last one.
    if (e - p == 10 && p[4] == '-' && p[7] == '-') {
        bool digits = true;
        for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
            digits = digits && p[i] >= '0' && p[i] <= '9';
        if (digits) {
            y = (p[0] - '0') * 1000 + (p[1] - '0') * 100 + (p[2] - '0') * 10 + (p[3] - '0');
            m = (p[5] - '0') * 10 + (p[6] - '0');
            d = (p[8] - '0') * 10 + (p[9] - '0');
            return validDate(y, m, d) ? DateRead::Ok : DateRead::Invalid;
        }
    }
    if (readParts(p, e, '.', true, true, y, m, d))
        return DateRead::Ok;
    if (readParts(p, e, '-', false, false, y, m, d))
        return DateRead::Ok;
    if (readParts(p, e, '-', true, false, y, m, d))
        return DateRead::Ok;
    return DateRead::Invalid;
}

QDate parseStoredDate(const QByteArray &text)
{
    int y = 0, m = 0, d = 0;
    if (readDate(text.constData(), text.size(), y, m, d) == DateRead::Invalid)
        throw Error(QStringLiteral("'%1' is not a valid date").arg(fromCp1250(text)));
    return QDate(y, m, d);
}

bool readInt(const char *p, qsizetype n, int &value)
{
    const char *e = p + n;
    while (p < e && isBlank(*p))
        ++p;
    while (e > p && isBlank(e[-1]))
        --e;
    bool negative = false;
    if (p < e && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    if (p == e)
        return false;
    qint64 v = 0;
    for (; p < e; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        v = v * 10 + (*p - '0');
        if (v > qint64(2147483648LL))
            return false;
    }
    if (negative)
        v = -v;
    if (v > 2147483647LL)
        return false;
    value = int(v);
    return true;
}

QString textForm(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QDate:
        return dateToText(value.toDate());
    case QMetaType::QDateTime:
        return dateToText(value.toDateTime().date());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::Short:
        return QString::number(value.toLongLong());
    default:
        return value.toString();
    }
}

namespace {

// Numbers by a picture such as "00000", "#,##0" or "0.00": zeros force digits,
// "#" shows digits only when needed, "," groups thousands; other characters
// are kept before or after the number.
QString formatNumber(double v, const QString &format)
{
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        return format;
    const QString picture = format.mid(first, last - first + 1);
    const qsizetype dot = picture.indexOf(QLatin1Char('.'));
    const QString intPart = dot < 0 ? picture : picture.left(dot);
    const QString fracPart = dot < 0 ? QString() : picture.mid(dot + 1);
    const int minInt = int(intPart.count(QLatin1Char('0')));
    const int decimals = int(fracPart.count(QLatin1Char('0')) + fracPart.count(QLatin1Char('#')));
    const bool group = intPart.contains(QLatin1Char(','));

    const QLocale locale;
    QString digits = QString::number(std::abs(v), 'f', decimals);
    QString whole = digits, frac;
    const qsizetype pt = digits.indexOf(QLatin1Char('.'));
    if (pt >= 0) {
        whole = digits.left(pt);
        frac = digits.mid(pt + 1);
    }
    if (whole == QLatin1String("0") && minInt == 0)
        whole.clear();
    while (whole.size() < minInt)
        whole.prepend(QLatin1Char('0'));
    if (group) {
        for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
            whole.insert(i, locale.groupSeparator());
    }
    QString out = whole;
    if (decimals > 0)
        out += locale.decimalPoint() + frac;
    if (v < 0)
        out.prepend(QLatin1Char('-'));
    return format.left(first) + out + format.mid(last + 1);
}

QString formatDate(const QDate &date, const QString &format)
{
    // Day and year letters read alike; months are "m" in these pictures.
    QString qt;
    qt.reserve(format.size());
    for (QChar c : format)
        qt += (c == QLatin1Char('m')) ? QLatin1Char('M') : c;
    return date.toString(qt);
}

} // namespace

QString formatWith(const QVariant &value, const QString &format)
{
    if (format.isEmpty() || !value.isValid() || value.isNull())
        return textForm(value);
    switch (value.typeId()) {
    case QMetaType::QDate:
        return formatDate(value.toDate(), format);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return formatNumber(value.toDouble(), format);
    default:
        return textForm(value);
    }
}

qsizetype cutToChars(const char *p, qsizetype n, int chars, Encoding encoding)
{
    if (chars <= 0 || n <= chars)
        return n;
    if (encoding == Encoding::Standard)
        return chars;
    // UTF-8: count lead bytes; the cut falls before the (chars+1)th character.
    int count = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80) {
            if (count == chars)
                return i;
            ++count;
        }
    }
    return n;
}

QString msgNotFound(const QString &name)
{
    return QStringLiteral("Field '%1' not found").arg(name);
}

QString msgClosed()
{
    return QStringLiteral("Cannot perform this operation on a closed dataset");
}

QString msgNotEditing()
{
    return QStringLiteral("Dataset not in edit or insert mode");
}

// ---- Arena -----------------------------------------------------------------

char *Arena::alloc(size_t size)
{
    size = (size + 3) & ~size_t(3);
    if (size > kChunk / 4) {
        // Large cells get a block of their own, leaving the current chunk's room.
        m_blocks.emplace_back(new char[size]);
        return m_blocks.back().get();
    }
    if (size_t(m_end - m_cur) < size) {
        m_blocks.emplace_back(new char[kChunk]);
        m_cur = m_blocks.back().get();
        m_end = m_cur + kChunk;
    }
    char *p = m_cur;
    m_cur += size;
    return p;
}

void Arena::clear()
{
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_cur = m_end = nullptr;
}

void Arena::swap(Arena &other) noexcept
{
    m_blocks.swap(other.m_blocks);
    std::swap(m_cur, other.m_cur);
    std::swap(m_end, other.m_end);
}

size_t rowBlockSize(const CellRef *cells, int slotCount)
{
    size_t total = 0;
    for (int s = 0; s < slotCount; ++s)
        total += size_t(cells[s].size);
    if (total > kOffsetMask)
        throw Error(QStringLiteral("Row too large"));
    // Never empty: a null block marks the pending row of an insert.
    return std::max<size_t>(size_t(slotCount) * sizeof(quint32) + total, 4);
}

quint32 *writeRowBlock(char *mem, const CellRef *cells, int slotCount)
{
    auto *header = reinterpret_cast<quint32 *>(mem);
    char *data = mem + size_t(slotCount) * sizeof(quint32);
    quint32 offset = 0;
    for (int s = 0; s < slotCount; ++s) {
        const CellRef &c = cells[s];
        if (c.size > 0) {
            std::memcpy(data + offset, c.data, size_t(c.size));
            offset += quint32(c.size);
        }
        header[s] = offset | (c.null ? kNullBit : 0u);
    }
    return header;
}

quint32 *buildRowBlock(Arena &arena, const CellRef *cells, int slotCount)
{
    return writeRowBlock(arena.alloc(rowBlockSize(cells, slotCount)), cells, slotCount);
}

bool cellBytes(FieldKind kind, const QVariant &value, Encoding encoding, QByteArray &out)
{
    if (!value.isValid())
        return false;
    switch (kind) {
    case FieldKind::Integer:
        out = QByteArray::number(value.toInt());
        break;
    case FieldKind::Date:
        out = dateToSql(value.toDate()).toLatin1();
        break;
    default:
        out = encodeText(value.toString(), encoding);
        break;
    }
    return true;
}

} // namespace zdb

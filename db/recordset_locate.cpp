// Locate: the first row whose named fields match the searched values.

#include "db/recordset_p.h"

#include <array>

namespace zdb {

namespace {

// Every letter of the code page folds to its small form, the accented ones
// too (Á to á, Ő to ő); other bytes match themselves alone.
struct FoldTable
{
    std::array<unsigned char, 256> map{};
    FoldTable()
    {
        for (int i = 0; i < 256; ++i) {
            const char16_t c = i < 0x80 ? char16_t(i) : kCp1250High[i - 0x80];
            const char16_t lower = QChar(c).toLower().unicode();
            const unsigned char b = lower < 0x80 ? static_cast<unsigned char>(lower) : cp1250Byte(lower);
            map[size_t(i)] = b != 0 ? b : static_cast<unsigned char>(i);
        }
    }
};

const FoldTable &foldTable()
{
    static const FoldTable table;
    return table;
}

bool bytesMatch(const char *field, qsizetype fieldSize, const QByteArray &searched, bool partial, bool folded)
{
    const qsizetype n = searched.size();
    if (partial ? fieldSize < n : fieldSize != n)
        return false;
    if (!folded)
        return n == 0 || std::memcmp(field, searched.constData(), size_t(n)) == 0;
    const auto &fold = foldTable().map;
    const auto *a = reinterpret_cast<const unsigned char *>(field);
    const auto *b = reinterpret_cast<const unsigned char *>(searched.constData());
    for (qsizetype i = 0; i < n; ++i)
        if (fold[a[i]] != b[i])   // the searched bytes are folded already
            return false;
    return true;
}

bool textMatch(QStringView field, QStringView searched, bool partial, bool folded)
{
    const qsizetype n = searched.size();
    if (partial ? field.size() < n : field.size() != n)
        return false;
    for (qsizetype i = 0; i < n; ++i) {
        char16_t a = field[i].unicode(), b = searched[i].unicode();
        if (folded) {
            a = QChar(a).toLower().unicode();
            b = QChar(b).toLower().unicode();
        }
        if (a != b)
            return false;
    }
    return true;
}

enum class MatchWay { Bytes, Integer, Text, Never };

struct Criterion
{
    int field = 0;
    int slot = -1;
    MatchWay way = MatchWay::Text;
    QString text;        // the searched text form
    QByteArray bytes;    // encoded (and folded) for byte matching
    int number = 0;      // exact integer search
};

} // namespace

bool RecordSet::locate(const QString &fields, const QVariant &values, int options)
{
    if (!isOpen())
        return false;
    const bool folded = options & LocateCaseInsensitive;
    const bool partial = options & LocatePartial;

    QStringList names;
    for (const QString &n : fields.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!n.trimmed().isEmpty())
            names.append(n.trimmed());
    if (names.isEmpty())
        return false;
    QVariantList wanted;
    if (values.typeId() == QMetaType::QVariantList || values.typeId() == QMetaType::QStringList)
        wanted = values.toList();
    else
        wanted.append(values);

    std::vector<Criterion> criteria;
    for (int i = 0; i < names.size(); ++i) {
        Criterion c;
        c.field = fieldIndex(names[i]);
        if (c.field < 0)
            throw Error(msgNotFound(names[i]));
        c.text = textForm(wanted.value(i));
        criteria.push_back(c);
    }

    Impl::checkBrowseMode(*this);

    // Stored cells are compared as they lie in memory: texts as encoded bytes,
    // exact integers as numbers. Dates and calculated fields use their text form.
    for (Criterion &c : criteria) {
        const FieldDef &f = d->fields[c.field];
        c.slot = d->slotOfField(c.field);
        if (f.calculated || c.slot < 0 || f.kind == FieldKind::Date) {
            c.way = MatchWay::Text;
        } else if (f.kind == FieldKind::Integer) {
            if (partial) {
                c.way = MatchWay::Text;
            } else if (c.text.isEmpty()) {
                c.way = MatchWay::Integer;   // only null fields have empty text
            } else {
                const QByteArray b = c.text.toUtf8();
                // The text form of an integer is canonical; anything else never matches.
                c.way = (readInt(b.constData(), b.size(), c.number) && QString::number(c.number) == c.text)
                    ? MatchWay::Integer
                    : MatchWay::Never;
            }
        } else {
            c.bytes = encodeText(c.text, d->encoding);
            // UTF-8 letters span several bytes: fold them as characters.
            const bool byteFold = d->encoding == Encoding::Standard;
            // A character the stored encoding cannot hold is in no stored text.
            if (decodeText(c.bytes.constData(), c.bytes.size(), d->encoding) != c.text) {
                c.way = MatchWay::Never;
            } else if (folded && !byteFold) {
                c.way = MatchWay::Text;
            } else {
                c.way = MatchWay::Bytes;
                if (folded) {
                    const auto &fold = foldTable().map;
                    for (char &ch : c.bytes)
                        ch = char(fold[static_cast<unsigned char>(ch)]);
                }
            }
        }
    }

    struct Hold
    {
        RecordSet &rs;
        explicit Hold(RecordSet &r) : rs(r) { rs.disableControls(); }
        ~Hold() { rs.enableControls(); }
    } hold(*this);
    const int n = recordCount();
    int found = -1;
    for (int row = 0; row < n && found < 0; ++row) {
        const Row &r = d->rows[size_t(row)];
        bool all = true;
        for (const Criterion &c : criteria) {
            bool ok;
            if (c.way == MatchWay::Never) {
                ok = false;
            } else if (c.way == MatchWay::Text || !r.cells || (isEditing() && row == m_current)) {
                ok = textMatch(textAt(row, c.field), c.text, partial, folded);
            } else {
                const CellRef cell = cellOf(r, c.slot, d->slotCount);
                if (c.way == MatchWay::Bytes) {
                    ok = cell.null ? textMatch(QStringView(), c.text, partial, folded)
                                   : bytesMatch(cell.data, cell.size, c.bytes, partial, folded);
                } else if (c.text.isEmpty()) {
                    ok = cell.null;
                } else {
                    int v = 0;
                    if (!cell.null && !readInt(cell.data, cell.size, v))
                        v = 0;
                    ok = !cell.null && v == c.number;
                }
            }
            if (!ok) {
                all = false;
                break;
            }
        }
        if (all)
            found = row;
    }
    if (found >= 0) {
        m_current = found;
        m_eof = false;
    } else if (n > 0) {
        // The search walked to the end: the last row stays current.
        m_current = n - 1;
        m_eof = true;
    }
    return found >= 0;
}

} // namespace zdb

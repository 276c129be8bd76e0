#include "output/delimitedexport.h"

#include "app/helpers/core/common.h"

#include "db/codec.h"
#include "db/dberror.h"
#include "db/recordset.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScopeGuard>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace {

// ---- encoding ----------------------------------------------------------------

// Makes room for `n` more bytes after `used`; the array's size serves as the
// capacity and is cut back to `used` by the caller when a line is done.
inline char *room(QByteArray &out, qsizetype used, qsizetype n)
{
    if (used + n > out.size())
        out.resize(std::max(used + n, out.size() * 2 + 4096));
    return out.data() + used;
}

constexpr qsizetype kChunk = qsizetype(1) << 20;

} // namespace

// ---- writer --------------------------------------------------------------------

QList<int> AllDelimitedFields(const zdb::RecordSet &rs)
{
    QList<int> fields;
    for (int i = 0; i < rs.fieldCount(); ++i)
        fields.append(i);
    return fields;
}

DelimitedWriter::DelimitedWriter(const zdb::RecordSet &rs, const DelimitedOptions &options)
    : m_rs(rs),
      m_separator(char(options.separator.unicode() < 0x80 ? options.separator.unicode() : ';')),
      m_qualifier(char(options.qualifier.unicode() < 0x80 ? options.qualifier.unicode() : 0))
{
    for (int f : options.fields) {
        if (f < 0 || f >= rs.fieldCount())
            continue;
        How how = How::Text;
        switch (rs.field(f).kind) {
        case zdb::FieldKind::Integer:
        case zdb::FieldKind::Date: how = How::Value; break;
        case zdb::FieldKind::Memo: how = options.multiLine ? How::Memo : How::Blob; break;
        case zdb::FieldKind::Blob: how = How::Blob; break;
        default: break;
        }
        m_columns.push_back({f, how});
    }
}

bool DelimitedWriter::breaksField(QStringView text) const
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\r' || u == u'\n' || u == u'"' || u == char16_t(m_separator))
            return true;
    }
    return false;
}

void DelimitedWriter::appendField(QStringView text, QByteArray &out, qsizetype &used) const
{
    // Without a qualifier a value holding the separator, a line break or a
    // double quote would fall apart into several fields or lines: such a
    // value alone is enclosed in double quotes, inner ones doubled, the way
    // spreadsheets read it. Every other value goes out exactly as it is.
    if (m_qualifier || !breaksField(text)) {
        appendText(text, out, used, m_qualifier);
        return;
    }
    *room(out, used, 1) = '"';
    ++used;
    appendText(text, out, used, '"');
    *room(out, used, 1) = '"';
    ++used;
}

void DelimitedWriter::appendText(QStringView text, QByteArray &out, qsizetype &used, char doubled) const
{
    const qsizetype n = text.size();
    char *p = room(out, used, 2 * n);
    const char16_t *s = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            *p++ = char(c);
            if (doubled && c == char16_t(doubled))
                *p++ = char(c);
            continue;
        }
        unsigned char b = zdb::cp1250Byte(c);
        if (b == 0) {
            b = '?';
            // A surrogate pair is one character outside the code page: one "?".
            if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1]))
                ++i;
        }
        *p++ = char(b);
    }
    used = p - out.data();
}

void DelimitedWriter::appendValue(int row, const Column &c, QByteArray &out, qsizetype &used) const
{
    switch (c.how) {
    case How::Text:
        appendField(m_rs.textAt(row, c.field), out, used);
        return;
    case How::Blob:
        appendText(u"BLOB", out, used, m_qualifier);
        return;
    case How::Memo:
        appendField(JoinLines(m_rs.textAt(row, c.field)), out, used);
        return;
    case How::Value:
        break;
    }

    // Integers and dates straight into the line, in the record set's text
    // forms ("12", "2005.01.31."), without a string per cell.
    const QVariant v = m_rs.valueAt(row, c.field);
    if (!v.isValid() || v.isNull())
        return;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::Short: {
        char *p = room(out, used, 24);
        used = std::to_chars(p, p + 24, v.toLongLong()).ptr - out.data();
        return;
    }
    case QMetaType::QDate: {
        const QDate d = v.toDate();
        if (!d.isValid())
            return;
        if (d.year() >= 1 && d.year() <= 9999) {
            char *p = room(out, used, 11);
            const int parts[3] = {d.year(), d.month(), d.day()};
            const int widths[3] = {4, 2, 2};
            for (int i = 0; i < 3; ++i) {
                int value = parts[i];
                for (int k = widths[i] - 1; k >= 0; --k) {
                    p[k] = char('0' + value % 10);
                    value /= 10;
                }
                p += widths[i];
                *p++ = '.';
            }
            used = p - out.data();
            return;
        }
        break;
    }
    default:
        break;
    }
    appendField(m_rs.textAt(row, c.field), out, used);
}

void DelimitedWriter::appendHeader(QByteArray &out) const
{
    qsizetype used = out.size();
    for (const Column &c : m_columns) {
        if (m_qualifier) {
            *room(out, used, 1) = m_qualifier;
            ++used;
        }
        appendField(m_rs.field(c.field).displayTitle(), out, used);
        char *p = room(out, used, 2);
        if (m_qualifier)
            *p++ = m_qualifier;
        *p++ = m_separator;
        used = p - out.data();
    }
    char *p = room(out, used, 2);
    p[0] = '\r';
    p[1] = '\n';
    out.resize(used + 2);
}

void DelimitedWriter::appendRecord(int row, QByteArray &out) const
{
    qsizetype used = out.size();
    for (const Column &c : m_columns) {
        if (m_qualifier) {
            *room(out, used, 1) = m_qualifier;
            ++used;
        }
        appendValue(row, c, out, used);
        char *p = room(out, used, 2);
        if (m_qualifier)
            *p++ = m_qualifier;
        *p++ = m_separator;
        used = p - out.data();
    }
    char *p = room(out, used, 2);
    p[0] = '\r';
    p[1] = '\n';
    out.resize(used + 2);
}

int WriteDelimited(zdb::RecordSet &rs, const DelimitedOptions &options, QIODevice &device,
                   const std::function<bool(int done)> &keepGoing)
{
    QPointer<zdb::RecordSet> alive(&rs);
    const int savedRow = rs.currentRow();
    const zdb::RecordSet::Bookmark mark = rs.bookmark();

    // The grids bound to the record set stay where they are while it walks
    // its rows, and the user finds the row he was on afterwards.
    rs.disableControls();
    const auto restore = qScopeGuard([&] {
        if (!alive)
            return;
        if (savedRow >= 0 && rs.isOpen() && !rs.isEditing() && !rs.isEmpty()) {
            if (!rs.gotoBookmark(mark))
                rs.setCurrentRow(std::min(savedRow, rs.recordCount() - 1));
        }
        rs.enableControls();
    });

    QByteArray buffer;
    buffer.reserve(kChunk + kChunk / 4);
    auto flush = [&] {
        if (buffer.isEmpty())
            return;
        if (device.write(buffer.constData(), buffer.size()) != buffer.size())
            throw zdb::Error(device.errorString());
        buffer.resize(0);
    };

    rs.first();
    const DelimitedWriter writer(rs, options);
    writer.appendHeader(buffer);
    int done = 0;
    while (!rs.eof()) {
        if (keepGoing && !keepGoing(done))
            break;
        // Whatever ran meanwhile may have closed or destroyed the record set;
        // its rows are gone then, and a partial file must not pass for a full one.
        if (!alive)
            throw zdb::Error(QStringLiteral("Az exportált adathalmaz megszűnt."));
        if (!rs.isOpen())
            throw zdb::Error(QStringLiteral("Cannot perform this operation on a closed dataset"));
        writer.appendRecord(rs.currentRow(), buffer);
        ++done;
        if (buffer.size() >= kChunk)
            flush();
        rs.next();
    }
    flush();
    return done;
}

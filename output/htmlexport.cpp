#include "output/htmlexport.h"

#include "output/printgrid.h"

#include "app/helpers/core/gridcolumn.h"

#include "db/codec.h"
#include "db/dberror.h"
#include "db/recordset.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>
#include <cstring>

namespace {

constexpr char kCrLf[] = "\r\n";

// ASCII characters that need more than themselves in the page.
constexpr bool needsEscape(char16_t c)
{
    return c == u'&' || c == u'<' || c == u'>' || c == u'"' || c == u'\r' || c == u'\n';
}

// The page grows in one buffer: pieces are copied in, texts are escaped and
// encoded straight into it, with no string per piece.
class PageBuffer
{
public:
    explicit PageBuffer(qsizetype capacity) { m_data.resize(qMax<qsizetype>(capacity, 4096)); }

    void append(const char *s, qsizetype n)
    {
        std::memcpy(room(n), s, size_t(n));
        m_size += n;
    }
    void append(const QByteArray &b) { append(b.constData(), b.size()); }
    template<size_t N>
    void literal(const char (&s)[N]) { append(s, qsizetype(N - 1)); }
    void line(const QByteArray &b)
    {
        append(b);
        literal(kCrLf);
    }

    void text(QStringView text)
    {
        const qsizetype n = text.size();
        if (n == 0)
            return;
        // The longest replacement ("&quot;") is six bytes.
        char *q = room(n * 6);
        const char16_t *p = text.utf16();
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = p[i];
            if (c < 0x80) {
                if (!needsEscape(c)) {
                    *q++ = char(c);
                    continue;
                }
                const char *rep = nullptr;
                switch (c) {
                case u'&': rep = "&amp;"; break;
                case u'<': rep = "&lt;"; break;
                case u'>': rep = "&gt;"; break;
                case u'"': rep = "&quot;"; break;
                case u'\r':
                    if (i + 1 < n && p[i + 1] == u'\n')
                        ++i;
                    rep = "<br>";
                    break;
                default: rep = "<br>"; break;
                }
                while (*rep)
                    *q++ = *rep++;
                continue;
            }
            unsigned char b = zdb::cp1250Byte(c);
            if (b == 0) {
                b = '?';
                // A surrogate pair is one character outside the code page: one "?".
                if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1]))
                    ++i;
            }
            *q++ = char(b);
        }
        m_size = q - m_data.constData();
    }

    QByteArray take()
    {
        m_data.truncate(m_size);
        return std::move(m_data);
    }

private:
    char *room(qsizetype extra)
    {
        if (m_size + extra > m_data.size())
            m_data.resize(qMax(m_data.size() * 2, m_size + extra));
        return m_data.data() + m_size;
    }

    QByteArray m_data;
    qsizetype m_size = 0;
};

QByteArray encoded(const QString &text)
{
    return HtmlPageText(text);
}

// A column's stated alignment, numbers right by default, as on paper.
QByteArray alignmentPrefix(const GridColumn &column, const zdb::RecordSet *rs, int field)
{
    const Qt::Alignment h = zrep::cellAlignment(column, rs, field);
    if (h & Qt::AlignRight)
        return QByteArrayLiteral("<p align=\"right\">");
    if (h & Qt::AlignHCenter)
        return QByteArrayLiteral("<p align=\"center\">");
    return {};
}

// The cell text as the grid shows it. A value the grid cannot show (a stored
// text that is no valid date, say) is an empty cell there, and here too.
QString cellText(const zdb::RecordSet *rs, int row, int field)
{
    if (field < 0)
        return {};
    try {
        return rs->displayTextAt(row, field);
    } catch (const std::exception &) {
        return {};
    }
}

// Rows are read by index, so the current row never moves; holding the bound
// controls keeps anything that reacts to a row change quiet meanwhile.
class HoldRows
{
public:
    explicit HoldRows(zdb::RecordSet *rs) : m_rs(rs)
    {
        if (!m_rs)
            return;
        m_row = m_rs->currentRow();
        m_mark = m_rs->bookmark();
        m_rs->disableControls();
    }
    ~HoldRows()
    {
        if (!m_rs)
            return;
        m_rs->enableControls();
        if (m_rs->isOpen() && m_rs->currentRow() != m_row && m_row >= 0) {
            try {
                m_rs->gotoBookmark(m_mark);
            } catch (const std::exception &) {
                // The row stays where it is; the page is written all the same.
            }
        }
    }
    HoldRows(const HoldRows &) = delete;
    HoldRows &operator=(const HoldRows &) = delete;

private:
    zdb::RecordSet *m_rs;
    int m_row = -1;
    zdb::RecordSet::Bookmark m_mark = 0;
};

QByteArray buildPage(const QList<GridColumn> &gridColumns, int gridWidth, zdb::RecordSet *rs, const QString &title,
                     const QString &subtitle, const QDateTime &stamp)
{
    const bool hasRows = rs && rs->isOpen();
    const int rowCount = hasRows ? rs->recordCount() : 0;

    struct Column
    {
        int field;          // in the record set; -1 when it has no such field
        QByteArray open;    // the data cell up to its text
    };
    QList<Column> columns;
    QByteArray headerCells;
    for (const GridColumn &c : gridColumns) {
        if (c.field.isEmpty())
            continue;
        const int field = hasRows ? rs->fieldIndex(c.field) : -1;
        const QByteArray width = QByteArray::number(HtmlColumnPercent(c.width, gridWidth));
        const QByteArray prefix = alignmentPrefix(c, rs, field);
        headerCells += "    <td width=\"" + width + "%\" bgcolor=\"#C0C0C0\"><font face=\"Verdana\" size=\"1\"><strong>"
                       + prefix + encoded(c.title) + "</strong></font></td>" + kCrLf;
        columns.append({field, "    <td width=\"" + width + "%\"><font face=\"Verdana\" size=\"1\">" + prefix});
    }

    PageBuffer out(4096 + qsizetype(rowCount) * (24 + qsizetype(columns.size()) * 80));
    const QByteArray titleText = encoded(title);
    out.literal("<html>\r\n\r\n<head>\r\n");
    out.literal("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">\r\n");
    out.line("<title>" + titleText + "</title>");
    out.literal("<meta name=\"GENERATOR\" content=\"Bertalox Bt. Grid2Html\">\r\n");
    out.literal("</head>\r\n\r\n<body>\r\n");
    out.line("<p><strong><font face=\"Verdana\" size=\"2\">" + titleText + "</font></strong></p>");
    out.line("<p><strong><font face=\"Verdana\" size=\"1\">" + encoded(subtitle) + "</font></strong></p>");
    out.literal("<div align=\"center\"><center>\r\n\r\n");
    out.literal("<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\" width=\"90%\">\r\n");
    out.literal("  <tr>\r\n");
    out.append(headerCells);
    out.literal("  </tr>\r\n");

    for (int row = 0; row < rowCount; ++row) {
        out.literal("  <tr>\r\n");
        for (const Column &c : columns) {
            out.append(c.open);
            out.text(cellText(rs, row, c.field));
            out.literal("</font></td>\r\n");
        }
        out.literal("  </tr>\r\n");
    }

    out.literal("</table>\r\n</center></div>\r\n\r\n");
    out.line("<p><font face=\"Verdana\" size=\"1\">" + encoded(QStringLiteral("Összesen ")) + QByteArray::number(rowCount)
             + " sor.</font></p>");
    out.literal(kCrLf);
    out.line("<p><font face=\"Verdana\" size=\"1\">" + encoded(stamp.toString(QStringLiteral("yyyy.MM.dd HH:mm:ss")))
             + "</font></p>");
    out.literal(kCrLf);
    out.literal("<p><font face=\"Courier New\" size=\"1\">Zentavo 1.0.0.52</font></p>\r\n");
    out.literal("\r\n</body>\r\n</html>\r\n");
    return out.take();
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

// ---- the page ---------------------------------------------------------------

int HtmlColumnPercent(int columnWidth, int gridWidth)
{
    if (gridWidth <= 0 || columnWidth <= 0)
        return 0;
    // Exact in integers, so a half is a half and goes to the even neighbour.
    const qint64 num = qint64(columnWidth) * 100;
    const qint64 q = num / gridWidth;
    const qint64 twice = (num % gridWidth) * 2;
    if (twice > gridWidth || (twice == gridWidth && (q % 2) != 0))
        return int(q + 1);
    return int(q);
}

QByteArray HtmlPageText(QStringView text)
{
    PageBuffer out(text.size() * 6);
    out.text(text);
    return out.take();
}

QByteArray GridHtmlPage(const ListShape &list, const QString &title, const QString &subtitle, const QDateTime &stamp)
{
    HoldRows hold(list.recordSet);
    return buildPage(list.columns, list.width, list.recordSet, title, subtitle, stamp);
}

void WriteGridHtml(const ListShape &list, const QString &title, const QString &subtitle, const QString &path)
{
    if (path.trimmed().isEmpty())
        throw zdb::Error(QStringLiteral("Nincs megadva a fájl neve"));
    const QFileInfo info(QDir::fromNativeSeparators(path));
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        throw zdb::Error(QStringLiteral("A lap nem menthető: a(z) \"%1\" mappa nem létezik").arg(shown(folder)));
    if (info.isDir())
        throw zdb::Error(QStringLiteral("A lap nem menthető: a(z) \"%1\" egy mappa neve").arg(shown(info.filePath())));

    // Written beside the target and renamed over it at the end: a failure
    // half-way leaves the old file (or none) and never half a page.
    QSaveFile file(info.filePath());
    if (!file.open(QIODevice::WriteOnly))
        throw zdb::Error(QStringLiteral("A(z) \"%1\" fájl nem hozható létre: %2")
                             .arg(shown(info.filePath()), file.errorString()));
    const QByteArray page = GridHtmlPage(list, title, subtitle);
    // A failed flush (a full disk) must stop the commit, which would put
    // the part written so far over the old file.
    if (file.write(page) != page.size() || !file.flush() || !file.commit())
        throw zdb::Error(QStringLiteral("A(z) \"%1\" fájl írása nem sikerült: %2")
                             .arg(shown(info.filePath()), file.errorString()));
}

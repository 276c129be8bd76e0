// The search index beside the database file, its queries and its keeper.

#include "db/searchindex.h"

#include "db/catalog.h"
#include "db/connection.h"
#include "db/dberror.h"
#include "db/pgsession.h"
#include "db/serversearch.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace zdb {

namespace {

// Bumped when what the index holds changes shape: an older index is rebuilt.
constexpr int kIndexVersion = 2;
constexpr int kBatchRows = 10000;
// The digits of one number may be typed from anywhere inside it: every tail
// of a number (its digits joined over spaces and dashes) is a token. Longer
// runs are not phone numbers or codes; their tails would only bloat the index.
constexpr int kMaxNumberDigits = 24;
constexpr QChar kFieldSep = QChar(0x1e);
constexpr QChar kLabelSep = QChar(0x1f);

SearchIndexKeeper *g_current = nullptr;

class Stmt
{
public:
    Stmt(sqlite3 *db, const char *sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw Error(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    Stmt(sqlite3 *db, const QString &sql) : Stmt(db, sql.toUtf8().constData()) {}
    ~Stmt() { sqlite3_finalize(m_stmt); }
    sqlite3_stmt *operator*() const { return m_stmt; }
    void bind(int i, const QString &text)
    {
        const QByteArray u = text.toUtf8();
        sqlite3_bind_text(m_stmt, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    }
    void bind(int i, qint64 v) { sqlite3_bind_int64(m_stmt, i, v); }
    // The bytes must outlive the step.
    void bindUtf8(int i, const QByteArray &utf8)
    {
        sqlite3_bind_text(m_stmt, i, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
    }
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw Error(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_stmt))));
        return false;
    }
    void reset() { sqlite3_reset(m_stmt); sqlite3_clear_bindings(m_stmt); }
    QString text(int i) const
    {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, i));
        return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, i)) : QString();
    }
    qint64 integer(int i) const { return sqlite3_column_int64(m_stmt, i); }
    QByteArray bytes(int i) const
    {
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(m_stmt, i)), sqlite3_column_bytes(m_stmt, i));
    }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

void exec(sqlite3 *db, const char *sql)
{
    char *err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : sqlite3_errmsg(db));
        sqlite3_free(err);
        throw Error(msg);
    }
}

bool isDigitSeparator(QChar c)
{
    return c == u' ' || c == u'-' || c == u'/' || c == u'.' || c == u'(' || c == u')' || c == u'+';
}

bool isDigitSeparator(char c)
{
    return c == ' ' || c == '-' || c == '/' || c == '.' || c == '(' || c == ')' || c == '+';
}

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The numbers of a stored text are runs of digits joined over single
// separators ("06-30 123-4567" is one number); every tail of a number goes
// into `out` as a token. Digits are ASCII in every stored encoding, so the
// stored bytes are read as they are.
void appendDigitTokens(QByteArray &out, QByteArray &run, const char *p, qsizetype n)
{
    auto flush = [&] {
        if (run.size() > kMaxNumberDigits) {
            out.append(run).append(' ');   // not a phone number or a code: whole only
        } else {
            for (qsizetype k = 0; k < run.size(); ++k)
                out.append(run.constData() + k, run.size() - k).append(' ');
        }
        run.resize(0);
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char c = p[i];
        if (isAsciiDigit(c))
            run.append(c);
        else if (!run.isEmpty() && isDigitSeparator(c) && i + 1 < n && isAsciiDigit(p[i + 1]))
            continue;
        else if (!run.isEmpty())
            flush();
    }
    if (!run.isEmpty())
        flush();
}

bool isDigitWord(const QString &word)
{
    bool digit = false;
    for (QChar c : word) {
        if (c.isDigit())
            digit = true;
        else if (!isDigitSeparator(c))
            return false;
    }
    return digit;
}

QString digitsOnly(const QString &word)
{
    QString d;
    for (QChar c : word)
        if (c.isDigit())
            d += c;
    return d;
}

// The word parts of a folded query word, as the tokenizer cuts them.
QStringList partsOf(const QString &folded)
{
    QStringList parts;
    QString cur;
    for (QChar c : folded) {
        if (c.isLetterOrNumber()) {
            cur += c;
        } else if (!cur.isEmpty()) {
            parts << cur;
            cur.clear();
        }
    }
    if (!cur.isEmpty())
        parts << cur;
    return parts;
}

} // namespace

QList<SearchTerm> SearchTermsOf(const QString &query)
{
    QList<SearchTerm> terms;
    for (const QString &word : query.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        if (isDigitWord(word)) {
            terms.append({digitsOnly(word), true});
            continue;
        }
        for (const QString &part : partsOf(SearchFold(word)))
            terms.append({part, false});
    }
    return terms;
}

namespace {

// "2024-05-10" -> 20240510 for the ordering key; 0 when there is no date.
qint64 dateKey(const QByteArray &date)
{
    if (date.size() < 10)
        return 0;
    qint64 k = 0;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!isAsciiDigit(date[i]))
            return 0;
        k = k * 10 + (date[i] - '0');
    }
    return k;
}

// The FTS rowid orders the entries newest first: the date in the high bits,
// then the record's identifier and kind, unique per record.
qint64 docIdOf(int kind, qint64 id, const QByteArray &date)
{
    return (dateKey(date) << 36) | ((quint64(id) & 0xFFFFFFFFu) << 4) | quint64(kind & 0xF);
}

QString selectOf(const SearchSource &s)
{
    return QStringLiteral("SELECT %1 FROM %2").arg(SearchColumnsOf(s).join(QStringLiteral(", ")), s.table);
}

// Stored Windows-1250 text to UTF-8 by table, one look-up per byte instead
// of a converter per field.
struct CodePageTable
{
    char bytes[256][4];
    quint8 length[256];
};

const CodePageTable &windows1250Table()
{
    static const CodePageTable table = [] {
        CodePageTable t{};
        for (int b = 0; b < 256; ++b) {
            const char c = char(b);
            // A NUL would end the text for some readers: it is a space here.
            const QByteArray text = (b == 0 ? QStringLiteral(" ") : decodeText(&c, 1, Encoding::Standard)).toUtf8().left(3);
            memcpy(t.bytes[b], text.constData(), size_t(text.size()));
            t.length[b] = quint8(text.size());
        }
        return t;
    }();
    return table;
}

// The folded UTF-8 of every one- and two-byte character (U+0000-U+07FF, all
// the Latin letters); longer ones are folded one by one.
struct FoldTable
{
    char bytes[0x800][4];
    quint8 length[0x800];
};

const FoldTable &foldTable()
{
    static const FoldTable table = [] {
        FoldTable t{};
        for (int cp = 0; cp < 0x800; ++cp) {
            const QByteArray folded = SearchFold(QString(QChar(char16_t(cp)))).toUtf8().left(3);
            memcpy(t.bytes[cp], folded.constData(), size_t(folded.size()));
            t.length[cp] = quint8(folded.size());
        }
        return t;
    }();
    return table;
}

void appendFolded(QByteArray &out, const char *text, qsizetype n)
{
    const FoldTable &t = foldTable();
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    const qsizetype start = out.size();
    out.resize(start + n * 3 / 2 + 4);   // no character folds to more than 1.5 times its bytes
    char *w = out.data() + start;
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            *w++ = b >= 'A' && b <= 'Z' ? char(b + ('a' - 'A')) : char(b);
            ++i;
        } else if ((b & 0xE0) == 0xC0 && i + 1 < n) {
            const int cp = ((b & 0x1F) << 6) | (p[i + 1] & 0x3F);
            memcpy(w, t.bytes[cp], t.length[cp]);
            w += t.length[cp];
            i += 2;
        } else if ((b & 0xF0) == 0xE0 && i + 2 < n) {
            const char16_t cp = char16_t(((b & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F));
            const QByteArray folded = SearchFold(QString(QChar(cp))).toUtf8().left(3);
            memcpy(w, folded.constData(), size_t(folded.size()));
            w += folded.size();
            i += 3;
        } else {
            *w++ = char(b);   // four-byte characters and stray bytes stay as they are
            ++i;
        }
    }
    out.truncate(w - out.constData());
}

bool isBlank(const char *p, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        if (p[i] != ' ' && p[i] != '\t' && p[i] != '\r' && p[i] != '\n')
            return false;
    return true;
}

// Column `i` of the current row, as UTF-8.
void appendColumn(sqlite3_stmt *st, int i, Encoding encoding, QByteArray &out)
{
    const auto *p = reinterpret_cast<const unsigned char *>(sqlite3_column_text(st, i));
    const qsizetype n = sqlite3_column_bytes(st, i);
    if (!p || n == 0)
        return;
    if (encoding == Encoding::Utf8) {
        out.append(reinterpret_cast<const char *>(p), n);
        return;
    }
    const CodePageTable &t = windows1250Table();
    const qsizetype start = out.size();
    out.resize(start + n * 3);
    char *w = out.data() + start;
    for (qsizetype k = 0; k < n; ++k) {
        const unsigned char b = p[k];
        if (b < 0x80 && b != 0) {
            *w++ = char(b);
        } else {
            memcpy(w, t.bytes[b], t.length[b]);
            w += t.length[b];
        }
    }
    out.truncate(w - out.constData());
}

constexpr char kFieldSepUtf8 = '\x1e';
constexpr char kLabelSepUtf8 = '\x1f';

// What the full-text table holds of a record, made from its stored fields
// ("label\x1f text\x1e" each) alone: the entry of a record is taken out of
// the table with the same texts, made again from the same fields.
void indexTextsOf(const QByteArray &fields, QByteArray &body, QByteArray &digits, QByteArray &scratch)
{
    body.resize(0);
    digits.resize(0);
    const char *p = fields.constData();
    const char *end = p + fields.size();
    while (p < end) {
        const char *label = static_cast<const char *>(memchr(p, kLabelSepUtf8, size_t(end - p)));
        if (!label)
            break;
        const char *text = label + 1;
        const char *stop = static_cast<const char *>(memchr(text, kFieldSepUtf8, size_t(end - text)));
        if (!stop)
            stop = end;
        appendFolded(body, text, stop - text);
        body.append('\n');
        appendDigitTokens(digits, scratch, text, stop - text);
        p = stop + 1;
    }
}

// One record as the index keeps it, all texts UTF-8.
struct Entry
{
    qint64 docid = 0;
    qint64 id = 0;
    qint64 owner = 0;
    int kind = 0;
    int ownerKind = -1;
    QByteArray caption, date, fields, body, digits;
};

// Buffers reused from row to row: an entry gets copies of its exact size.
struct EntryBuffers
{
    QByteArray fields, body, digits, number;
};

QByteArray exactCopy(const QByteArray &b)
{
    return QByteArray(b.constData(), b.size());
}

// The current row of a selectOf() statement as an entry; false when the
// record has no text to search.
bool readEntry(const SearchSource &s, sqlite3_stmt *st, Encoding encoding, Entry &e, EntryBuffers &buf)
{
    e.kind = s.kind;
    e.id = sqlite3_column_int64(st, 0);
    e.owner = 0;
    e.ownerKind = -1;
    for (int k = 0; k < 3; ++k)
        if (sqlite3_column_type(st, 3 + k) != SQLITE_NULL && sqlite3_column_int64(st, 3 + k) != 0) {
            e.owner = sqlite3_column_int64(st, 3 + k);
            e.ownerKind = s.kind == SearchEmployee ? 0 : k;
            break;
        }
    buf.fields.resize(0);
    for (int f = 0; f < s.fields.size(); ++f) {
        const int column = 6 + f;
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, column));
        if (!p || isBlank(p, sqlite3_column_bytes(st, column)))
            continue;
        buf.fields.append(s.fields[f].labelUtf8).append(kLabelSepUtf8);
        appendColumn(st, column, encoding, buf.fields);
        buf.fields.append(kFieldSepUtf8);
    }
    if (buf.fields.isEmpty())
        return false;
    indexTextsOf(buf.fields, buf.body, buf.digits, buf.number);
    e.fields = exactCopy(buf.fields);
    e.body = exactCopy(buf.body);
    e.digits = exactCopy(buf.digits);
    e.caption.clear();
    appendColumn(st, 1, encoding, e.caption);
    e.caption = e.caption.trimmed();
    e.date.clear();
    appendColumn(st, 2, encoding, e.date);
    e.date.truncate(10);
    e.docid = docIdOf(e.kind, e.id, e.date);
    return true;
}

class Writer
{
public:
    explicit Writer(sqlite3 *db)
        : m_findDocs(db, "SELECT docid, fields FROM doc WHERE kind = ?1 AND rid = ?2"),
          m_findDoc(db, "SELECT fields FROM doc WHERE docid = ?1"),
          m_delFts(db, "INSERT INTO fts (fts, rowid, body, digits) VALUES ('delete', ?1, ?2, ?3)"),
          m_delDoc(db, "DELETE FROM doc WHERE docid = ?1"),
          m_insDoc(db, "INSERT INTO doc (docid, kind, rid, caption, datum, owner, ownerkind, fields) "
                       "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)"),
          m_insFts(db, "INSERT INTO fts (rowid, body, digits) VALUES (?1, ?2, ?3)")
    {
    }

    void remove(int kind, qint64 id)
    {
        QList<std::pair<qint64, QByteArray>> docs;
        m_findDocs.bind(1, qint64(kind));
        m_findDocs.bind(2, id);
        while (m_findDocs.step())
            docs.append({m_findDocs.integer(0), m_findDocs.bytes(1)});
        m_findDocs.reset();
        for (const auto &[docid, fields] : docs)
            removeDoc(docid, fields);
    }

    // An entry the index holds, by its stored fields.
    void removeDoc(qint64 docid, const QByteArray &fields)
    {
        indexTextsOf(fields, m_body, m_digits, m_scratch);
        m_delFts.bind(1, docid);
        m_delFts.bindUtf8(2, m_body);
        m_delFts.bindUtf8(3, m_digits);
        m_delFts.step();
        m_delFts.reset();
        m_delDoc.bind(1, docid);
        m_delDoc.step();
        m_delDoc.reset();
    }

    // `fresh`: the index holds no entry of this identifier (a re-index).
    void insert(const Entry &e, bool fresh = false)
    {
        if (!fresh) {
            // A duplicate identifier keeps one entry.
            m_findDoc.bind(1, e.docid);
            const bool found = m_findDoc.step();
            const QByteArray fields = found ? m_findDoc.bytes(0) : QByteArray();
            m_findDoc.reset();
            if (found)
                removeDoc(e.docid, fields);
        }
        insertRecord(e);
        insertTerms(e);
    }

    // The two halves of an insert: a re-index writes all the records, then
    // all the terms, so that neither table's pages push the other's out.
    void insertRecord(const Entry &e)
    {
        m_insDoc.bind(1, e.docid);
        m_insDoc.bind(2, qint64(e.kind));
        m_insDoc.bind(3, e.id);
        m_insDoc.bindUtf8(4, e.caption);
        m_insDoc.bindUtf8(5, e.date);
        m_insDoc.bind(6, e.owner);
        m_insDoc.bind(7, qint64(e.ownerKind));
        m_insDoc.bindUtf8(8, e.fields);
        m_insDoc.step();
        m_insDoc.reset();
    }

    void insertTerms(const Entry &e)
    {
        m_insFts.bind(1, e.docid);
        m_insFts.bindUtf8(2, e.body);
        m_insFts.bindUtf8(3, e.digits);
        m_insFts.step();
        m_insFts.reset();
    }

private:
    Stmt m_findDocs, m_findDoc, m_delFts, m_delDoc, m_insDoc, m_insFts;
    QByteArray m_body, m_digits, m_scratch;
};

// Marks, in `text`, where the terms match at a word start (letters) or
// inside a number (digits); returns how many terms matched.
int markMatches(const QString &text, const QList<SearchTerm> &terms, QVector<bool> &bold)
{
    const QString folded = SearchFold(text);
    bold.fill(false, text.size());
    int matched = 0;
    for (const SearchTerm &t : terms) {
        bool found = false;
        if (t.digits) {
            // Digits by position, over separators.
            QVector<int> pos;
            QString digits;
            for (int i = 0; i < text.size(); ++i)
                if (text[i].isDigit()) {
                    digits += text[i];
                    pos << i;
                }
            for (int at = digits.indexOf(t.text); at >= 0; at = digits.indexOf(t.text, at + 1)) {
                found = true;
                for (int i = pos[at]; i <= pos[at + t.text.size() - 1]; ++i)
                    bold[i] = true;
            }
        } else {
            for (int at = folded.indexOf(t.text); at >= 0; at = folded.indexOf(t.text, at + 1)) {
                if (at > 0 && folded[at - 1].isLetterOrNumber())
                    continue;
                found = true;
                for (int i = at; i < at + t.text.size(); ++i)
                    bold[i] = true;
            }
        }
        if (found)
            ++matched;
    }
    return matched;
}

QString excerptHtml(const QString &text, const QVector<bool> &bold)
{
    constexpr int kBefore = 30, kLength = 120;
    int first = int(bold.indexOf(true));
    if (first < 0)
        first = 0;
    int from = qMax(0, first - kBefore);
    int to = qMin(int(text.size()), from + kLength);
    QString out;
    if (from > 0)
        out += QStringLiteral("…");
    bool inBold = false;
    for (int i = from; i < to; ++i) {
        if (bold[i] != inBold) {
            out += bold[i] ? QStringLiteral("<b>") : QStringLiteral("</b>");
            inBold = bold[i];
        }
        const QChar c = text[i];
        if (c == u'<')
            out += QStringLiteral("&lt;");
        else if (c == u'>')
            out += QStringLiteral("&gt;");
        else if (c == u'&')
            out += QStringLiteral("&amp;");
        else if (c == u'\r' || c == u'\n' || c == u'\t')
            out += u' ';
        else
            out += c;
    }
    if (inBold)
        out += QStringLiteral("</b>");
    if (to < text.size())
        out += QStringLiteral("…");
    return out;
}

void createTables(sqlite3 *db, bool withLookup = true)
{
    exec(db, "CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT);"
             "CREATE TABLE IF NOT EXISTS doc (docid INTEGER PRIMARY KEY, kind INTEGER, rid INTEGER, caption TEXT,"
             " datum TEXT, owner INTEGER, ownerkind INTEGER, fields TEXT);"
             "CREATE VIRTUAL TABLE IF NOT EXISTS fts USING fts5 (body, digits, content='', prefix='2 3');"
             // Terms gather in memory up to this size before they are written
             // as a segment: a re-index writes a few large segments instead of
             // many small ones that must be merged again.
             "INSERT INTO fts (fts, rank) VALUES ('hashsize', 33554432);");
    if (withLookup)
        exec(db, "CREATE INDEX IF NOT EXISTS doc_kind_rid ON doc (kind, rid);");
}

} // namespace

const QList<SearchSource> &SearchSources()
{
    static const QList<SearchSource> sources = [] {
        auto f = [](const char *col, const char *label) {
            return SearchField{QString::fromLatin1(col), QString::fromUtf8(label), QByteArray(label)};
        };
        auto s = [](SearchKind k, const char *table, const char *title, const char *caption, const char *date,
                    QList<SearchField> fields) {
            return SearchSource{k, QString::fromLatin1(table), QString::fromUtf8(title), QString::fromLatin1(caption),
                                QString::fromLatin1(date), {}, std::move(fields)};
        };
        return QList<SearchSource>{
            s(SearchCustomer, "ugyfel", "Ügyfelek", "ugyfel_nev", "",
              {f("ugyfel_nev", "Név"), f("kapcsolattarto", "Kapcsolattartó"), f("varos", "Város"), f("telefon", "Telefon"),
               f("mobil", "Mobil"), f("fax", "Fax"), f("emil", "E-mail"), f("megjegyzes", "Megjegyzés"), f("ugyfelkod", "Kód")}),
            s(SearchEmployee, "alkalmazott", "Alkalmazottak", "alkalmazott_nev", "",
              {f("alkalmazott_nev", "Név"), f("telefon", "Telefon"), f("emil", "E-mail")}),
            s(SearchProduct, "termek", "Termékek", "termek_nev", "",
              {f("cikkszam", "Cikkszám"), f("termek_nev", "Név"), f("kategoria", "Kategória")}),
            s(SearchProject, "projekt", "Projektek", "projekt_nev", "dat_indul",
              {f("projekt_kod", "Kód"), f("projekt_nev", "Név"), f("megjegyzes", "Megjegyzés")}),
            s(SearchTask, "dolog3", "Feladatok", "rovid", "datum", {f("rovid", "Rövid szöveg"), f("leiras", "Leírás")}),
            s(SearchCalendar, "dolog1", "Naptár", "rovid", "datum", {f("rovid", "Rövid szöveg"), f("leiras", "Leírás")}),
            s(SearchNote, "jegyzet", "Jegyzetek", "rovid", "datum", {f("rovid", "Rövid szöveg"), f("szoveg", "Szöveg")}),
            s(SearchComment, "megjegyzes", "Megjegyzések", "rovid", "datum", {f("rovid", "Rövid szöveg"), f("szoveg", "Szöveg")}),
            s(SearchDocument, "doksi", "Dokumentumok", "rovid", "datum", {f("rovid", "Rövid szöveg"), f("fileban", "Fájlnév")}),
        };
    }();
    return sources;
}

const SearchSource *SearchSourceOf(int kind)
{
    for (const SearchSource &s : SearchSources())
        if (s.kind == kind)
            return &s;
    return nullptr;
}

const SearchSource *SearchSourceOfTable(const QString &table)
{
    for (const SearchSource &s : SearchSources())
        if (s.table.compare(table, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

QString SearchFold(const QString &text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar *o = out.data();
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            *o++ = c.toLower();
            continue;
        }
        QChar l = c.toLower();
        if (l.decompositionTag() == QChar::Canonical) {
            const QString d = l.decomposition();
            if (!d.isEmpty() && d[0].unicode() < 0x80)
                l = d[0];
        }
        *o++ = l;
    }
    return out;
}

QStringList SearchColumnsOf(const SearchSource &s)
{
    QStringList cols{s.table, s.captionColumn, s.dateColumn.isEmpty() ? QStringLiteral("NULL") : s.dateColumn};
    if (s.kind == SearchEmployee)
        cols << QStringLiteral("ugyfel") << QStringLiteral("NULL") << QStringLiteral("NULL");
    else if (s.kind == SearchComment || s.kind == SearchDocument)
        cols << QStringLiteral("ugyfel") << QStringLiteral("termek") << QStringLiteral("projekt");
    else
        cols << QStringLiteral("NULL") << QStringLiteral("NULL") << QStringLiteral("NULL");
    for (const SearchField &f : s.fields)
        cols << f.column;
    return cols;
}

void SearchShowField(SearchHit &hit, const QList<SearchTerm> &terms, const QList<std::pair<QString, QString>> &fields)
{
    // The field that matched: the one matching most words, first of equals.
    int best = -1;
    QVector<bool> bold;
    for (const auto &[label, text] : fields) {
        const int n = markMatches(text, terms, bold);
        if (n > best) {
            best = n;
            hit.fieldLabel = label;
            hit.fieldHtml = excerptHtml(text, bold);
        }
    }
}

QString SearchMatchText(const QString &query, bool exact)
{
    QStringList parts;
    for (const SearchTerm &t : SearchTermsOf(query)) {
        if (t.text.isEmpty())
            continue;
        parts << QStringLiteral("%1 : \"%2\"%3")
                     .arg(t.digits ? QStringLiteral("digits") : QStringLiteral("body"), t.text,
                          exact ? QString() : QStringLiteral("*"));
    }
    return parts.join(QStringLiteral(" AND "));
}

QString SearchIndexPath(const QString &databasePath)
{
    return databasePath + QStringLiteral("-kereses");
}

QString DatabaseFingerprint(const QString &databasePath)
{
    QFile f(databasePath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = f.read(100);
    QString fp = QStringLiteral("%1:%2:%3")
                     .arg(QString::fromLatin1(header.mid(24, 8).toHex()))
                     .arg(f.size())
                     .arg(QFileInfo(f).lastModified().toMSecsSinceEpoch());
    const QFileInfo wal(databasePath + QStringLiteral("-wal"));
    if (wal.exists())
        fp += QStringLiteral(":%1:%2").arg(wal.size()).arg(wal.lastModified().toMSecsSinceEpoch());
    return fp;
}

SearchIndexFile::SearchIndexFile(const QString &indexPath)
{
    if (sqlite3_open_v2(QFile::encodeName(indexPath).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close(m_db);
        m_db = nullptr;
        throw Error(msg);
    }
    sqlite3_busy_timeout(m_db, 30000);
    try {
        // The entries go in date order, not file order: a cache of a fair
        // size keeps a re-index from reading its pages back from disk.
        exec(m_db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-65536;");
        exec(m_db, "CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT)");
        const QString version = QString::number(kIndexVersion);
        if (meta(QStringLiteral("version")) != version) {
            // A new file, or one of another shape: made anew, and re-indexed
            // as it is not complete.
            exec(m_db, "BEGIN IMMEDIATE");
            try {
                if (meta(QStringLiteral("version")) != version) {
                    exec(m_db, "DROP TABLE IF EXISTS fts; DROP TABLE IF EXISTS doc; DELETE FROM meta;");
                    createTables(m_db);
                    setMeta(QStringLiteral("version"), version);
                }
                exec(m_db, "COMMIT");
            } catch (...) {
                sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
                throw;
            }
        }
    } catch (...) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw;
    }
}

Searcher::~Searcher() = default;

SearchIndexFile::~SearchIndexFile()
{
    sqlite3_close(m_db);
}

QString SearchIndexFile::meta(const QString &key) const
{
    Stmt st(m_db, "SELECT value FROM meta WHERE key = ?1");
    st.bind(1, key);
    return st.step() ? st.text(0) : QString();
}

void SearchIndexFile::setMeta(const QString &key, const QString &value)
{
    Stmt st(m_db, "INSERT OR REPLACE INTO meta (key, value) VALUES (?1, ?2)");
    st.bind(1, key);
    st.bind(2, value);
    st.step();
}

bool SearchIndexFile::isCurrentFor(const QString &databasePath) const
{
    return meta(QStringLiteral("complete")) == QStringLiteral("1")
        && meta(QStringLiteral("fingerprint")) == DatabaseFingerprint(databasePath);
}

QList<SearchHit> SearchIndexFile::search(const QString &query, int limit, int perKind) const
{
    QList<SearchHit> hits;
    const QList<SearchTerm> terms = SearchTermsOf(query);
    if (terms.isEmpty())
        return hits;
    QSet<qint64> seen;
    // The match runs on the full-text table alone, as bare as it can be;
    // only the results that will be shown read their record.
    Stmt match(m_db, "SELECT rowid FROM fts WHERE fts MATCH ?1 ORDER BY rowid DESC LIMIT ?2");
    Stmt doc(m_db, "SELECT rid, caption, datum, owner, ownerkind, fields FROM doc WHERE docid = ?1");
    int shownOfKind[16] = {};
    for (bool exact : {true, false}) {
        if (hits.size() >= limit)
            break;
        match.bind(1, SearchMatchText(query, exact));
        match.bind(2, qint64(limit + (exact ? 0 : hits.size())));
        while (hits.size() < limit && match.step()) {
            const qint64 docid = match.integer(0);
            if (seen.contains(docid))
                continue;
            seen.insert(docid);
            SearchHit h;
            h.kind = int(docid & 0xF);
            h.id = (docid >> 4) & 0xFFFFFFFF;
            h.exact = exact;
            if (perKind < 0 || shownOfKind[h.kind] < perKind) {
                doc.bind(1, docid);
                if (!doc.step()) {
                    doc.reset();
                    continue;   // an entry without its record is no result
                }
                ++shownOfKind[h.kind];
                h.shown = true;
                h.id = doc.integer(0);
                h.caption = doc.text(1);
                h.date = doc.text(2);
                h.ownerId = doc.integer(3);
                h.ownerKind = int(doc.integer(4));
                QList<std::pair<QString, QString>> fields;
                for (const QString &field : doc.text(5).split(kFieldSep, Qt::SkipEmptyParts)) {
                    const qsizetype sep = field.indexOf(kLabelSep);
                    fields.append({field.left(sep), field.mid(sep + 1)});
                }
                SearchShowField(h, terms, fields);
                doc.reset();
            }
            hits << h;
        }
        match.reset();
    }
    return hits;
}

void SearchIndexFile::syncRows(sqlite3 *mainDb, Encoding encoding, const QString &table, const QList<qint64> &ids)
{
    const SearchSource *s = SearchSourceOfTable(table);
    if (!s || ids.isEmpty())
        return;
    Stmt read(mainDb, selectOf(*s) + QStringLiteral(" WHERE %1 = ?1").arg(s->table));
    exec(m_db, "BEGIN IMMEDIATE");
    try {
        Writer w(m_db);
        Entry e;
        EntryBuffers buf;
        for (qint64 id : ids) {
            w.remove(s->kind, id);
            read.bind(1, id);
            while (read.step())
                if (readEntry(*s, *read, encoding, e, buf))
                    w.insert(e);
            read.reset();
        }
        exec(m_db, "COMMIT");
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

bool SearchIndexFile::reindexTables(sqlite3 *mainDb, Encoding encoding, const QStringList &tables,
                                    const std::function<void(qint64, qint64)> &progress, const std::atomic_bool *cancel)
{
    QList<const SearchSource *> sources;
    for (const QString &t : tables)
        if (const SearchSource *s = SearchSourceOfTable(t); s && !sources.contains(s))
            sources << s;
    qint64 total = 0;
    // Reading counts for one half of the work, writing for the other.
    qint64 done = 0;
    const auto report = [&](qint64 step) {
        done += step;
        if (progress)
            progress(done, 2 * total);
    };
    const auto cancelled = [cancel] { return cancel && cancel->load(); };

    // The database is read first, in one snapshot, and let go before the
    // index is written: its readers and writers never wait for the index.
    std::vector<Entry> entries;
    exec(mainDb, "BEGIN");
    try {
        for (const SearchSource *s : sources) {
            Stmt count(mainDb, QStringLiteral("SELECT count(*) FROM %1").arg(s->table));
            if (count.step())
                total += count.integer(0);
        }
        entries.reserve(size_t(total));
        report(0);
        EntryBuffers buf;
        Entry e;
        for (const SearchSource *s : sources) {
            Stmt read(mainDb, selectOf(*s));
            qint64 n = 0;
            while (read.step()) {
                if (readEntry(*s, *read, encoding, e, buf))
                    entries.push_back(std::move(e));
                if (++n % 4096 == 0) {
                    if (cancelled()) {
                        exec(mainDb, "COMMIT");
                        return false;
                    }
                    report(4096);
                }
            }
            report(n % 4096);
        }
        exec(mainDb, "COMMIT");
    } catch (...) {
        sqlite3_exec(mainDb, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    // The full-text table takes rows in ascending rowid order cheaply; a
    // lower rowid makes it write out what it holds first.
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.docid < b.docid; });
    // Of records that share an identifier (and date) the first one counts.
    entries.erase(std::unique(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.docid == b.docid; }),
                  entries.end());

    const bool everything = sources.size() == SearchSources().size();
    exec(m_db, "BEGIN IMMEDIATE");
    try {
        if (everything) {
            // Emptying the tables row by row costs as much as filling them.
            exec(m_db, "DROP TABLE fts; DROP TABLE doc;");
            createTables(m_db, false);   // the look-up index is made once, at the end
        } else {
            Writer old(m_db);
            for (const SearchSource *s : sources) {
                Stmt docs(m_db, "SELECT docid, fields FROM doc WHERE kind = ?1");
                docs.bind(1, qint64(s->kind));
                QList<std::pair<qint64, QByteArray>> gone;
                while (docs.step())
                    gone.append({docs.integer(0), docs.bytes(1)});
                for (const auto &[docid, fields] : gone)
                    old.removeDoc(docid, fields);
            }
        }
        Writer w(m_db);
        qint64 n = 0;
        for (bool terms : {false, true})
            for (const Entry &e : entries) {
                if (++n % 8192 == 0) {
                    if (cancelled()) {
                        exec(m_db, "ROLLBACK");
                        return false;
                    }
                    report(4096);
                }
                if (terms)
                    w.insertTerms(e);
                else
                    w.insertRecord(e);
            }
        if (everything)
            createTables(m_db);
        exec(m_db, "COMMIT");
        if (progress)
            progress(2 * total, 2 * total);
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    return true;
}

// The keeper's background work and how it ended.
class KeeperThread : public QThread
{
public:
    bool complete = false;
    QString error;
};

// The making of a server's search table, on a session of its own: a large
// database takes a while to fill, and the program is usable meanwhile.
class ServerBuildThread : public KeeperThread
{
public:
    ServerBuildThread(QString address, QString password) : m_address(std::move(address)), m_password(std::move(password)) {}

protected:
    void run() override
    {
        try {
            PgSession session(m_address, [password = m_password] { return password; });
            EnsureServerSearch(session);
            complete = true;
        } catch (const std::exception &e) {
            error = QString::fromUtf8(e.what());
        }
    }

private:
    QString m_address, m_password;
};

// The background re-index: its own connections to the database and the index.
class ReindexThread : public KeeperThread
{
public:
    ReindexThread(QString databasePath, QString indexPath, Encoding encoding, QStringList tables,
                  std::atomic_bool *cancel, SearchIndexKeeper *keeper)
        : m_databasePath(std::move(databasePath)), m_indexPath(std::move(indexPath)), m_encoding(encoding),
          m_tables(std::move(tables)), m_cancel(cancel), m_keeper(keeper)
    {
    }

protected:
    void run() override
    {
        sqlite3 *mainDb = nullptr;
        try {
            const QString before = DatabaseFingerprint(m_databasePath);
            if (sqlite3_open_v2(QFile::encodeName(m_databasePath).constData(), &mainDb, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
                throw Error(QString::fromUtf8(sqlite3_errmsg(mainDb)));
            sqlite3_busy_timeout(mainDb, 30000);
            SearchIndexFile index(m_indexPath);
            QPointer<SearchIndexKeeper> keeper = m_keeper;
            complete = index.reindexTables(mainDb, m_encoding, m_tables, [keeper](qint64 done, qint64 total) {
                if (keeper)
                    QMetaObject::invokeMethod(keeper, [keeper, done, total] {
                        if (keeper)
                            Q_EMIT keeper->reindexProgress(done, total);
                    }, Qt::QueuedConnection);
            }, m_cancel);
            // Nobody wrote during the re-index: the index is made for this file.
            if (complete && DatabaseFingerprint(m_databasePath) == before)
                index.setMeta(QStringLiteral("fingerprint"), before);
        } catch (const std::exception &e) {
            error = QString::fromUtf8(e.what());
            complete = false;
        }
        sqlite3_close(mainDb);
    }

private:
    QString m_databasePath, m_indexPath;
    Encoding m_encoding;
    QStringList m_tables;
    std::atomic_bool *m_cancel;
    SearchIndexKeeper *m_keeper;
};

SearchIndexKeeper::SearchIndexKeeper(Connection *connection, QObject *parent)
    : QObject(parent), m_connection(connection)
{
    connect(&TableChanges::instance(), &TableChanges::rowsWritten, this, &SearchIndexKeeper::onRowsWritten);
    // The worker reads the file: it stops before the connection closes.
    connect(connection, &Connection::connectedChanged, this, [this](bool connected) {
        if (connected)
            tryStart();
        else
            stop();
    });
}

bool SearchIndexKeeper::tryStart()
{
    try {
        start();
        return true;
    } catch (const std::exception &e) {
        stop();
        m_error = QString::fromUtf8(e.what());
        return false;
    }
}

SearchIndexKeeper::~SearchIndexKeeper()
{
    stop();
}

SearchIndexKeeper *SearchIndexKeeper::current()
{
    return g_current;
}

void SearchIndexKeeper::start()
{
    stop();
    m_error.clear();
    if (m_connection->isServer()) {
        // The server's triggers keep its search table current for every
        // writer; an older database gets the table made in the background.
        m_serverAddress = m_connection->database;
        m_serverPassword = ServerPasswordOf(*m_connection);
        m_server = true;
        g_current = this;
        if (ServerSearchIsCurrent(*m_connection->server()))
            return;
        launch(new ServerBuildThread(m_serverAddress, m_serverPassword));
        Q_EMIT reindexProgress(0, 0);   // no measure of it: busy
        return;
    }
    m_databasePath = m_connection->fullPath();
    m_indexPath = SearchIndexPath(m_databasePath);
    m_index = new SearchIndexFile(m_indexPath);
    g_current = this;
    if (!m_index->isCurrentFor(m_databasePath)) {
        QStringList all;
        for (const SearchSource &s : SearchSources())
            all << s.table;
        queueTables(all);
    }
}

void SearchIndexKeeper::stop()
{
    if (m_worker) {
        m_cancel = true;
        m_worker->wait();
        delete m_worker;
        m_worker = nullptr;
        m_cancel = false;
    }
    m_pendingTables.clear();
    m_pendingRows.clear();
    m_server = false;
    m_serverPassword.clear();
    delete m_index;
    m_index = nullptr;
    if (g_current == this)
        g_current = nullptr;
}

void SearchIndexKeeper::waitForReindex()
{
    while (m_worker) {
        m_worker->wait();
        workerDone(static_cast<KeeperThread *>(m_worker)->complete);
    }
}

std::function<std::unique_ptr<Searcher>()> SearchIndexKeeper::searcherFactory() const
{
    if (m_server)
        return [address = m_serverAddress, password = m_serverPassword]() -> std::unique_ptr<Searcher> {
            return std::make_unique<ServerSearcher>(address, password);
        };
    if (!m_index)
        return {};
    return [path = m_indexPath]() -> std::unique_ptr<Searcher> { return std::make_unique<SearchIndexFile>(path); };
}

void SearchIndexKeeper::onRowsWritten(const QString &table, const QList<qint64> &ids)
{
    if (m_server) {
        // Written by the triggers already; the open search shows it again.
        if (SearchSourceOfTable(table))
            Q_EMIT indexChanged();
        return;
    }
    if (!m_index || !SearchSourceOfTable(table))
        return;
    if (ids.isEmpty()) {
        // Another desk committed: its program keeps the index beside the
        // shared file current itself, so only an index that no longer
        // matches the file is read again.
        if (TableChanges::batch() != 0 && !m_worker && m_index->isCurrentFor(m_databasePath))
            return;
        queueTables({table});
        return;
    }
    if (m_worker) {
        // The re-index holds the index's write lock for a while; the rows
        // follow once it is done, read as they are then.
        QSet<qint64> &pending = m_pendingRows[table.toLower()];
        for (qint64 id : ids)
            pending.insert(id);
        return;
    }
    syncNow(table, ids);
}

void SearchIndexKeeper::syncNow(const QString &table, const QList<qint64> &ids)
{
    try {
        m_index->syncRows(m_connection->handle(), m_connection->encoding, table, ids);
        recordFingerprint();
        Q_EMIT indexChanged();
    } catch (const std::exception &) {
        // The index must not fail the write that the user made: the table is
        // re-read in the background instead.
        queueTables({table});
    }
}

void SearchIndexKeeper::recordFingerprint()
{
    // Inside a transaction the file is not written yet; the commit's write is
    // recorded with the next change, or found at the next start.
    if (m_connection->inTransaction())
        return;
    m_index->setMeta(QStringLiteral("fingerprint"), DatabaseFingerprint(m_databasePath));
}

void SearchIndexKeeper::queueTables(const QStringList &tables)
{
    for (const QString &t : tables)
        if (!m_pendingTables.contains(t))
            m_pendingTables << t;
    // A running re-index marked the index incomplete already; the pending
    // tables follow it.
    if (!m_worker) {
        m_index->setMeta(QStringLiteral("complete"), QStringLiteral("0"));
        startWorker();
    }
}

void SearchIndexKeeper::startWorker()
{
    if (m_pendingTables.isEmpty())
        return;
    auto *thread = new ReindexThread(m_databasePath, m_indexPath, m_connection->encoding, m_pendingTables, &m_cancel, this);
    m_pendingTables.clear();
    launch(thread);
}

void SearchIndexKeeper::launch(KeeperThread *thread)
{
    m_worker = thread;
    connect(thread, &QThread::finished, this, [this, thread] {
        if (m_worker == thread)
            workerDone(thread->complete);
    }, Qt::QueuedConnection);
    Q_EMIT reindexingChanged(true);
    thread->start(QThread::LowPriority);
}

void SearchIndexKeeper::workerDone(bool complete)
{
    if (!m_worker)
        return;
    m_worker->wait();
    if (m_server) {
        const QString error = static_cast<KeeperThread *>(m_worker)->error;
        m_worker->deleteLater();
        m_worker = nullptr;
        if (!complete) {
            // Never searched half made: the search is unavailable.
            m_server = false;
            m_serverPassword.clear();
            m_error = error;
        }
        Q_EMIT reindexingChanged(false);
        if (complete)
            Q_EMIT indexChanged();
        return;
    }
    m_worker->deleteLater();
    m_worker = nullptr;
    // Rows the program wrote meanwhile, unless their whole table is re-read next.
    const auto rows = std::exchange(m_pendingRows, {});
    for (auto it = rows.cbegin(); it != rows.cend(); ++it)
        if (m_index && !m_pendingTables.contains(it.key()))
            syncNow(it.key(), it.value().values());
    if (!complete || !m_pendingTables.isEmpty()) {
        if (m_pendingTables.isEmpty())
            return Q_EMIT reindexingChanged(false);   // failed: the next start tries again
        startWorker();
        return;
    }
    if (m_index)
        m_index->setMeta(QStringLiteral("complete"), QStringLiteral("1"));
    Q_EMIT reindexingChanged(false);
    Q_EMIT indexChanged();
}

} // namespace zdb

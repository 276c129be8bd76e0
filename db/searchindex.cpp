// The search index beside the database file, its queries and its keeper.

#include "db/searchindex.h"

#include "db/catalog.h"
#include "db/connection.h"
#include "db/dberror.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace zdb {

namespace {

// Bumped when what the index holds changes shape: an older index is rebuilt.
constexpr int kIndexVersion = 1;
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

// The numbers of a text: runs of digits joined over single separators
// ("06-30 123-4567" is one number).
QStringList numbersOf(const QString &text)
{
    QStringList numbers;
    QString run;
    int i = 0;
    const int n = int(text.size());
    while (i < n) {
        const QChar c = text[i];
        if (c.isDigit()) {
            run += c;
            ++i;
        } else if (!run.isEmpty() && isDigitSeparator(c) && i + 1 < n && text[i + 1].isDigit()) {
            ++i;
        } else {
            if (!run.isEmpty())
                numbers << run;
            run.clear();
            ++i;
        }
    }
    if (!run.isEmpty())
        numbers << run;
    return numbers;
}

QString digitTokens(const QStringList &texts)
{
    QString out;
    for (const QString &t : texts)
        for (const QString &number : numbersOf(t)) {
            if (number.size() > kMaxNumberDigits) {
                out += number + u' ';
                continue;
            }
            for (int k = 0; k < number.size(); ++k)
                out += QStringView(number).mid(k).toString() + u' ';
        }
    return out;
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

struct Term
{
    QString text;
    bool digits = false;
};

QList<Term> termsOf(const QString &query)
{
    QList<Term> terms;
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

// "dolog3" -> "yyyymmdd" as a number for the ordering key; 0 when none.
qint64 dateKey(const QString &date)
{
    if (date.size() < 10)
        return 0;
    bool ok = false;
    const qint64 k = QString(date.left(4) + date.mid(5, 2) + date.mid(8, 2)).toLongLong(&ok);
    return ok && k > 0 && k < 100000000 ? k : 0;
}

// The FTS rowid orders the entries newest first: the date in the high bits,
// then the record's identifier and kind, unique per record.
qint64 docIdOf(int kind, qint64 id, const QString &date)
{
    return (dateKey(date) << 36) | ((quint64(id) & 0xFFFFFFFFu) << 4) | quint64(kind & 0xF);
}

struct Doc
{
    int kind = 0;
    qint64 id = 0;
    QString caption;
    QString date;
    qint64 owner = 0;
    int ownerKind = -1;
    QStringList texts;   // per field
};

// The columns read from a source table, in this order: id, caption, date,
// owner columns, then the fields.
QString selectOf(const SearchSource &s)
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
    cols << QStringLiteral("rowid");
    return QStringLiteral("SELECT %1 FROM %2").arg(cols.join(QStringLiteral(", ")), s.table);
}

QString columnText(sqlite3_stmt *st, int i, Encoding encoding)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QString::number(sqlite3_column_int64(st, i));
    default: {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
        return decodeText(p, sqlite3_column_bytes(st, i), encoding);
    }
    }
}

Doc readDoc(const SearchSource &s, sqlite3_stmt *st, Encoding encoding)
{
    Doc d;
    d.kind = s.kind;
    d.id = sqlite3_column_int64(st, 0);
    d.caption = columnText(st, 1, encoding).trimmed();
    d.date = columnText(st, 2, encoding).left(10);
    for (int k = 0; k < 3; ++k)
        if (sqlite3_column_type(st, 3 + k) != SQLITE_NULL && sqlite3_column_int64(st, 3 + k) != 0) {
            d.owner = sqlite3_column_int64(st, 3 + k);
            d.ownerKind = s.kind == SearchEmployee ? 0 : k;
            break;
        }
    for (int f = 0; f < s.fields.size(); ++f)
        d.texts << columnText(st, 6 + f, encoding);
    return d;
}

class Writer
{
public:
    explicit Writer(sqlite3 *db)
        : m_findDocs(db, "SELECT docid FROM doc WHERE kind = ?1 AND rid = ?2"),
          m_delFts(db, "DELETE FROM fts WHERE rowid = ?1"),
          m_delDoc(db, "DELETE FROM doc WHERE docid = ?1"),
          m_insDoc(db, "INSERT OR REPLACE INTO doc (docid, kind, rid, caption, datum, owner, ownerkind, fields) "
                       "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)"),
          m_insFts(db, "INSERT INTO fts (rowid, body, digits) VALUES (?1, ?2, ?3)")
    {
    }

    void remove(int kind, qint64 id)
    {
        QList<qint64> docs;
        m_findDocs.bind(1, qint64(kind));
        m_findDocs.bind(2, id);
        while (m_findDocs.step())
            docs << m_findDocs.integer(0);
        m_findDocs.reset();
        for (qint64 doc : docs) {
            m_delFts.bind(1, doc);
            m_delFts.step();
            m_delFts.reset();
            m_delDoc.bind(1, doc);
            m_delDoc.step();
            m_delDoc.reset();
        }
    }

    // `fresh`: the caller removed the record's entries already.
    void insert(const SearchSource &s, const Doc &d, bool fresh = false)
    {
        QString fields, body;
        for (int f = 0; f < s.fields.size(); ++f) {
            const QString &t = d.texts[f];
            if (t.trimmed().isEmpty())
                continue;
            fields += s.fields[f].label + kLabelSep + t + kFieldSep;
            body += SearchFold(t) + u'\n';
        }
        if (body.isEmpty())
            return;
        const qint64 docid = docIdOf(d.kind, d.id, d.date);
        m_insDoc.bind(1, docid);
        m_insDoc.bind(2, qint64(d.kind));
        m_insDoc.bind(3, d.id);
        m_insDoc.bind(4, d.caption);
        m_insDoc.bind(5, d.date);
        m_insDoc.bind(6, d.owner);
        m_insDoc.bind(7, qint64(d.ownerKind));
        m_insDoc.bind(8, fields);
        m_insDoc.step();
        m_insDoc.reset();
        if (!fresh) {
            m_delFts.bind(1, docid);   // a duplicate identifier keeps one entry
            m_delFts.step();
            m_delFts.reset();
        }
        m_insFts.bind(1, docid);
        m_insFts.bind(2, body);
        m_insFts.bind(3, digitTokens(d.texts));
        m_insFts.step();
        m_insFts.reset();
    }

private:
    Stmt m_findDocs, m_delFts, m_delDoc, m_insDoc, m_insFts;
};

// Marks, in `text`, where the terms match at a word start (letters) or
// inside a number (digits); returns how many terms matched.
int markMatches(const QString &text, const QList<Term> &terms, QVector<bool> &bold)
{
    const QString folded = SearchFold(text);
    bold.fill(false, text.size());
    int matched = 0;
    for (const Term &t : terms) {
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

} // namespace

const QList<SearchSource> &SearchSources()
{
    static const QList<SearchSource> sources = [] {
        auto f = [](const char *col, const char *label) { return SearchField{QString::fromLatin1(col), QString::fromUtf8(label)}; };
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

QString SearchMatchText(const QString &query, bool exact)
{
    QStringList parts;
    for (const Term &t : termsOf(query)) {
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
        exec(m_db, "CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT);"
                   "CREATE TABLE IF NOT EXISTS doc (docid INTEGER PRIMARY KEY, kind INTEGER, rid INTEGER, caption TEXT,"
                   " datum TEXT, owner INTEGER, ownerkind INTEGER, fields TEXT);"
                   "CREATE INDEX IF NOT EXISTS doc_kind_rid ON doc (kind, rid);"
                   "CREATE VIRTUAL TABLE IF NOT EXISTS fts USING fts5 (body, digits, prefix='2 3');");
        if (meta(QStringLiteral("version")) != QString::number(kIndexVersion)) {
            exec(m_db, "BEGIN IMMEDIATE; DELETE FROM doc; DELETE FROM fts; DELETE FROM meta;");
            setMeta(QStringLiteral("version"), QString::number(kIndexVersion));
            exec(m_db, "COMMIT");
        }
    } catch (...) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw;
    }
}

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

QList<SearchHit> SearchIndexFile::search(const QString &query, int limit) const
{
    QList<SearchHit> hits;
    const QList<Term> terms = termsOf(query);
    if (terms.isEmpty())
        return hits;
    QSet<qint64> seen;
    Stmt st(m_db, "SELECT d.docid, d.kind, d.rid, d.caption, d.datum, d.owner, d.ownerkind, d.fields"
                  " FROM fts JOIN doc d ON d.docid = fts.rowid WHERE fts MATCH ?1 ORDER BY fts.rowid DESC LIMIT ?2");
    for (bool exact : {true, false}) {
        if (hits.size() >= limit)
            break;
        st.bind(1, SearchMatchText(query, exact));
        st.bind(2, qint64(limit + (exact ? 0 : hits.size())));
        while (st.step() && hits.size() < limit) {
            const qint64 docid = st.integer(0);
            if (seen.contains(docid))
                continue;
            seen.insert(docid);
            SearchHit h;
            h.kind = int(st.integer(1));
            h.id = st.integer(2);
            h.caption = st.text(3);
            h.date = st.text(4);
            h.ownerId = st.integer(5);
            h.ownerKind = int(st.integer(6));
            h.exact = exact;
            // The field that matched: the one matching most words, first of equals.
            int best = -1;
            QVector<bool> bold;
            for (const QString &field : st.text(7).split(kFieldSep, Qt::SkipEmptyParts)) {
                const qsizetype sep = field.indexOf(kLabelSep);
                const QString text = field.mid(sep + 1);
                const int n = markMatches(text, terms, bold);
                if (n > best) {
                    best = n;
                    h.fieldLabel = field.left(sep);
                    h.fieldHtml = excerptHtml(text, bold);
                }
            }
            hits << h;
        }
        st.reset();
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
        for (qint64 id : ids) {
            w.remove(s->kind, id);
            read.bind(1, id);
            while (read.step())
                w.insert(*s, readDoc(*s, *read, encoding));
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
    qint64 total = 0;
    for (const QString &t : tables)
        if (const SearchSource *s = SearchSourceOfTable(t); s && !sources.contains(s)) {
            sources << s;
            Stmt count(mainDb, QStringLiteral("SELECT count(*) FROM %1").arg(s->table));
            if (count.step())
                total += count.integer(0);
        }
    qint64 done = 0;
    if (progress)
        progress(0, total);
    for (const SearchSource *s : sources) {
        Stmt read(mainDb, selectOf(*s) + QStringLiteral(" WHERE rowid > ?1 ORDER BY rowid LIMIT %1").arg(kBatchRows));
        const int rowidColumn = 6 + int(s->fields.size());
        qint64 after = std::numeric_limits<qint64>::min();
        bool first = true;
        for (;;) {
            if (cancel && cancel->load())
                return false;
            exec(m_db, "BEGIN IMMEDIATE");
            int n = 0;
            try {
                Writer w(m_db);
                if (first) {
                    Stmt del(m_db, "DELETE FROM fts WHERE rowid IN (SELECT docid FROM doc WHERE kind = ?1)");
                    del.bind(1, qint64(s->kind));
                    del.step();
                    Stmt delDoc(m_db, "DELETE FROM doc WHERE kind = ?1");
                    delDoc.bind(1, qint64(s->kind));
                    delDoc.step();
                    first = false;
                }
                exec(mainDb, "BEGIN");   // one snapshot for the batch and its end
                read.bind(1, after);
                std::vector<Doc> docs;
                docs.reserve(kBatchRows);
                while (read.step()) {
                    docs.push_back(readDoc(*s, *read, encoding));
                    after = read.integer(rowidColumn);
                    ++n;
                }
                read.reset();
                // The full-text table takes rows in ascending rowid order
                // cheaply; a lower rowid makes it write out what it holds.
                std::sort(docs.begin(), docs.end(), [](const Doc &a, const Doc &b) {
                    return docIdOf(a.kind, a.id, a.date) < docIdOf(b.kind, b.id, b.date);
                });
                for (const Doc &d : docs) {
                    // A row the program wrote meanwhile is in the index already.
                    w.remove(d.kind, d.id);
                    w.insert(*s, d, true);
                }
                exec(mainDb, "COMMIT");
                exec(m_db, "COMMIT");
            } catch (...) {
                sqlite3_exec(mainDb, "ROLLBACK", nullptr, nullptr, nullptr);
                sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
                throw;
            }
            done += n;
            if (progress)
                progress(done, total);
            if (n < kBatchRows)
                break;
        }
    }
    return true;
}

// The background re-index: its own connections to the database and the index.
class ReindexThread : public QThread
{
public:
    ReindexThread(QString databasePath, QString indexPath, Encoding encoding, QStringList tables,
                  std::atomic_bool *cancel, SearchIndexKeeper *keeper)
        : m_databasePath(std::move(databasePath)), m_indexPath(std::move(indexPath)), m_encoding(encoding),
          m_tables(std::move(tables)), m_cancel(cancel), m_keeper(keeper)
    {
    }
    bool complete = false;
    QString error;

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
    delete m_index;
    m_index = nullptr;
    if (g_current == this)
        g_current = nullptr;
}

void SearchIndexKeeper::waitForReindex()
{
    while (m_worker) {
        m_worker->wait();
        workerDone(static_cast<ReindexThread *>(m_worker)->complete);
    }
}

void SearchIndexKeeper::onRowsWritten(const QString &table, const QList<qint64> &ids)
{
    if (!m_index || !SearchSourceOfTable(table))
        return;
    if (ids.isEmpty()) {
        queueTables({table});
        return;
    }
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
    m_index->setMeta(QStringLiteral("complete"), QStringLiteral("0"));
    if (!m_worker)
        startWorker();
}

void SearchIndexKeeper::startWorker()
{
    if (m_pendingTables.isEmpty())
        return;
    auto *thread = new ReindexThread(m_databasePath, m_indexPath, m_connection->encoding, m_pendingTables, &m_cancel, this);
    m_pendingTables.clear();
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
    m_worker->deleteLater();
    m_worker = nullptr;
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

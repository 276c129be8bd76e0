// The search table of a server database: its schema, its upkeep on the
// server and its queries.

#include "db/serversearch.h"

#include "db/codec.h"
#include "db/connection.h"
#include "db/cursor.h"
#include "db/dberror.h"
#include "db/pgsession.h"
#include "db/serverschema.h"

#include <libpq-fe.h>

#include <QCryptographicHash>
#include <QSet>

namespace zdb {

namespace {

// Numbers longer than this are no phone numbers or codes: only their start
// is searched, as in a file's index.
constexpr int kMaxNumberDigits = 24;

struct FoldChars
{
    QString from, to;
};

// The characters beyond ASCII that SearchFold changes, each with what it
// becomes: every one of the Basic Multilingual Plane (SearchFold maps code
// units one to one and leaves the others alone), or only those of `within`.
// ASCII letters are lowered before, as SearchFold lowers them.
FoldChars foldChars(const QString &within = {})
{
    FoldChars out;
    const auto add = [&out](char16_t cp) {
        if (cp < 0x80)
            return;
        const QChar c(cp);
        const QString folded = SearchFold(QString(c));
        if (folded.size() == 1 && folded[0] != c) {
            out.from += c;
            out.to += folded[0];
        }
    };
    if (!within.isEmpty()) {
        for (QChar c : within)
            add(c.unicode());
        return out;
    }
    for (char32_t cp = 1; cp <= 0xFFFF; ++cp)
        if (cp < 0xD800 || cp > 0xDFFF)
            add(char16_t(cp));
    return out;
}

// The characters a Windows-1250 text can hold beyond ASCII: the texts the
// program writes mostly stay within them, and a table of those few folds
// them many times faster than the whole table (translate() looks each
// character up in its table one by one).
QString windows1250Letters()
{
    QString letters;
    for (int b = 0x80; b < 0x100; ++b) {
        const char c = char(b);
        const QString text = decodeText(&c, 1, Encoding::Standard);
        for (QChar ch : text)
            if (ch.unicode() >= 0x80 && !letters.contains(ch))
                letters += ch;
    }
    return letters;
}

QString quoted(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

QString triggerName(const SearchSource &s)
{
    return s.table.toLower() + QStringLiteral("_kereses");
}

// The record's searched fields as a text array, from a row of its table.
QString fieldArray(const SearchSource &s)
{
    QStringList fields;
    for (const SearchField &f : s.fields)
        fields << f.column.toLower() + QStringLiteral("::text");
    return QStringLiteral("ARRAY[%1]").arg(fields.join(QStringLiteral(", ")));
}

// Everything but the stamp, which is made of it.
QString searchObjects()
{
    const FoldChars all = foldChars();
    const QString letters = windows1250Letters();
    const FoldChars few = foldChars(letters);
    QStringList out;

    for (const SearchSource &s : SearchSources()) {
        out << QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(triggerName(s), s.table.toLower());
        out << QStringLiteral("DROP TRIGGER IF EXISTS %1_ures ON %2").arg(triggerName(s), s.table.toLower());
    }
    out << QStringLiteral("DROP TABLE IF EXISTS zentavo_kereses");

    // The program's folding, character for character: ASCII letters lowered
    // by the "C" rules (those alone), then the table. A text within the
    // Windows-1250 letters takes the short table; any other the whole one.
    // translate() reads its table through for every character, so the
    // shorter it is, the faster every write.
    out << QStringLiteral("CREATE OR REPLACE FUNCTION zentavo_fold(t text) RETURNS text LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS $$ "
                          "SELECT CASE WHEN t ~ '[^\\u0001-\\u007f%1]' THEN translate(lower(t COLLATE \"C\"), %2, %3) "
                          "ELSE translate(lower(t COLLATE \"C\"), %4, %5) END $$")
               .arg(letters, quoted(all.from), quoted(all.to), quoted(few.from), quoted(few.to));
    // The folded words, one space around each: a word starts after a space.
    // Letters and digits are Unicode's (the collation's character classes);
    // everything else parts words, as in a file's index.
    out << QStringLiteral("CREATE OR REPLACE FUNCTION zentavo_kereses_body(f text[]) RETURNS text LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$ "
                          "SELECT ' ' || regexp_replace(zentavo_fold(array_to_string(f, E'\\n')) COLLATE zentavo_text, "
                          "'[^[:alnum:]]+', ' ', 'g') || ' ' $$");
    // Numbers: digits joined over single separators, each field apart; every
    // tail of a number is a word, so digits are found inside it.
    out << QStringLiteral("CREATE OR REPLACE FUNCTION zentavo_kereses_digits(f text[]) RETURNS text LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$ "
                          "SELECT ' ' || coalesce(string_agg(CASE WHEN length(n) > %1 THEN n ELSE "
                          "(SELECT string_agg(substr(n, k), ' ' ORDER BY k) FROM generate_series(1, length(n)) k) END, ' '), '') || ' ' "
                          "FROM (SELECT regexp_replace(m[1], '[^0-9]', '', 'g') AS n "
                          "FROM unnest(f) x, regexp_matches(x, '([0-9]+(?:[-/.()+ ][0-9]+)*)', 'g') m) s $$")
               .arg(kMaxNumberDigits);
    out << QStringLiteral("CREATE OR REPLACE FUNCTION zentavo_kereses_hastext(f text[]) RETURNS boolean LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$ "
                          "SELECT EXISTS (SELECT 1 FROM unnest(f) x WHERE btrim(x, E' \\t\\r\\n') <> '') $$");
    // Newer first: the date, then the identifier and the kind, as a file's index orders.
    out << QStringLiteral("CREATE OR REPLACE FUNCTION zentavo_kereses_docid(k integer, id bigint, d text) RETURNS bigint LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$ "
                          "SELECT (CASE WHEN d ~ '^[0-9]{4}.[0-9]{2}.[0-9]{2}' "
                          "THEN (substr(d, 1, 4) || substr(d, 6, 2) || substr(d, 9, 2))::bigint ELSE 0 END << 36) "
                          "| ((id & 4294967295) << 4) | (k & 15) $$");

    out << QStringLiteral("CREATE TABLE zentavo_kereses (kind smallint NOT NULL, sor bigint NOT NULL, rid bigint NOT NULL, "
                          "docid bigint NOT NULL, body text COLLATE \"C\" NOT NULL, digits text COLLATE \"C\" NOT NULL, "
                          "PRIMARY KEY (kind, sor))");
    out << QStringLiteral("CREATE INDEX zentavo_kereses_docid ON zentavo_kereses (docid, sor)");

    // One trigger function for every table: its arguments name the kind,
    // the identifier column, the date column and the fields. It runs with
    // its maker's rights: a role that may write a table keeps the search
    // table current without rights of its own on it.
    out << QStringLiteral(
        "CREATE OR REPLACE FUNCTION zentavo_kereses_changed() RETURNS trigger LANGUAGE plpgsql "
        "SECURITY DEFINER SET search_path FROM CURRENT AS $$ "
        "DECLARE k integer := TG_ARGV[0]::integer; j jsonb; f text[] := ARRAY[]::text[]; id bigint; "
        "BEGIN "
        "IF TG_OP = 'TRUNCATE' THEN DELETE FROM zentavo_kereses WHERE kind = k; RETURN NULL; END IF; "
        "IF TG_OP <> 'INSERT' THEN DELETE FROM zentavo_kereses WHERE kind = k AND sor = OLD.rowid; END IF; "
        "IF TG_OP = 'DELETE' THEN RETURN NULL; END IF; "
        "j := to_jsonb(NEW); "
        "FOR i IN 3 .. TG_NARGS - 1 LOOP f := f || (j ->> TG_ARGV[i]); END LOOP; "
        "IF zentavo_kereses_hastext(f) THEN "
        "id := coalesce((j ->> TG_ARGV[1])::bigint, 0); "
        "INSERT INTO zentavo_kereses VALUES (k, NEW.rowid, id, "
        "zentavo_kereses_docid(k, id, CASE WHEN TG_ARGV[2] = '' THEN NULL ELSE j ->> TG_ARGV[2] END), "
        "zentavo_kereses_body(f), zentavo_kereses_digits(f)); "
        "END IF; "
        "RETURN NULL; "
        "END $$");

    for (const SearchSource &s : SearchSources()) {
        const QString table = s.table.toLower();
        const QString id = table;
        const QString date = s.dateColumn.toLower();
        QStringList args{QString::number(s.kind), id, date};
        for (const SearchField &f : s.fields)
            args << f.column.toLower();
        for (QString &a : args)
            a = quoted(a);
        out << QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR UPDATE OR DELETE ON %2 FOR EACH ROW "
                              "EXECUTE FUNCTION zentavo_kereses_changed(%3)")
                   .arg(triggerName(s), table, args.join(QStringLiteral(", ")));
        out << QStringLiteral("CREATE TRIGGER %1_ures AFTER TRUNCATE ON %2 FOR EACH STATEMENT "
                              "EXECUTE FUNCTION zentavo_kereses_changed(%3)")
                   .arg(triggerName(s), table, quoted(QString::number(s.kind)));
        // The rows already there.
        out << QStringLiteral("INSERT INTO zentavo_kereses SELECT %1, rowid, id, zentavo_kereses_docid(%1, id, d), "
                              "zentavo_kereses_body(a), zentavo_kereses_digits(a) FROM "
                              "(SELECT rowid, coalesce(%2::bigint, 0) AS id, %3 AS d, %4 AS a FROM %5) s "
                              "WHERE zentavo_kereses_hastext(a)")
                   .arg(QString::number(s.kind), id,
                        date.isEmpty() ? QStringLiteral("NULL::text") : QStringLiteral("to_jsonb(%1) #>> '{}'").arg(date),
                        fieldArray(s), table);
    }
    // Trigrams find the words without reading every row; without the
    // extension (a role that may not add it) the same search reads the
    // table. Made after the rows are in: built at once, not row by row.
    out << QStringLiteral("DO $$ BEGIN CREATE EXTENSION IF NOT EXISTS pg_trgm; EXCEPTION WHEN OTHERS THEN NULL; END $$");
    out << QStringLiteral("DO $$ BEGIN IF EXISTS (SELECT 1 FROM pg_opclass WHERE opcname = 'gin_trgm_ops') THEN "
                          "EXECUTE 'CREATE INDEX zentavo_kereses_words ON zentavo_kereses USING gin (body gin_trgm_ops, digits gin_trgm_ops)'; "
                          "END IF; END $$");
    // The planner's figures of the new table: without them a keystroke's
    // query may read it all until autovacuum comes by.
    out << QStringLiteral("ANALYZE zentavo_kereses");
    return out.join(QStringLiteral(";\n")) + QStringLiteral(";\n");
}

// A stamp of the objects: another program's folding or matching makes
// another stamp, and its objects are made again.
QString searchStamp()
{
    static const QString stamp =
        QString::fromLatin1(QCryptographicHash::hash(searchObjects().toUtf8(), QCryptographicHash::Md5).toHex());
    return stamp;
}

QString cellText(const Cursor &c, int column)
{
    return c.isNull(column) ? QString() : QString::fromUtf8(c.data(column), c.size(column));
}

// Blank as a file's index sees it: spaces, tabs and line breaks only.
bool isBlank(const QString &text)
{
    for (QChar c : text)
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n')
            return false;
    return true;
}

QString likeWord(const QString &word, bool exact)
{
    QString escaped;
    for (QChar ch : word) {
        if (ch == u'\\' || ch == u'%' || ch == u'_')
            escaped += u'\\';
        escaped += ch;
    }
    return QStringLiteral("% ") + escaped + (exact ? QStringLiteral(" %") : QStringLiteral("%"));
}

} // namespace

QString serverSearchSchema()
{
    return searchObjects()
        + QStringLiteral("CREATE OR REPLACE FUNCTION zentavo_kereses_version() RETURNS text LANGUAGE sql IMMUTABLE AS $$ SELECT '%1' $$;\n")
              .arg(searchStamp());
}

namespace {

QString currentStamp(PgSession &session)
{
    auto c = session.query({QStringLiteral(
        "SELECT CASE WHEN to_regclass('zentavo_kereses') IS NULL THEN '' ELSE "
        "(SELECT prosrc FROM pg_proc WHERE proname = 'zentavo_kereses_version' LIMIT 1) END"), {}, {}});
    return c->next() ? cellText(*c, 0) : QString();
}

} // namespace

bool ServerSearchIsCurrent(PgSession &session)
{
    if (!currentStamp(session).contains(searchStamp()))
        return false;
    // A role the owner gave no right to read the table has no search.
    auto c = session.query({QStringLiteral("SELECT has_table_privilege('zentavo_kereses', 'SELECT')"), {}, {}});
    if (!c->next() || cellText(*c, 0) != QLatin1String("t"))
        throw Error(QStringLiteral("A keresőindexet (zentavo_kereses) ez a felhasználó nem olvashatja az adatbázis-kiszolgálón."));
    return true;
}

void EnsureServerSearch(PgSession &session)
{
    if (ServerSearchIsCurrent(session))
        return;
    // Desks starting together make it once: the others wait and find it made.
    try {
        session.execute({QStringLiteral("BEGIN"), {}, {}});
        session.query({QStringLiteral("SELECT pg_advisory_xact_lock(7405361)"), {}, {}})->next();
        if (!currentStamp(session).contains(searchStamp()))
            session.executeScript(serverSearchSchema());
        session.execute({QStringLiteral("COMMIT"), {}, {}});
    } catch (const std::exception &e) {
        if (session.inTransaction())
            session.execute({QStringLiteral("ROLLBACK"), {}, {}});
        throw Error(QStringLiteral("A keresőindex nem készíthető el az adatbázis-kiszolgálón:\r\n%1")
                        .arg(QString::fromUtf8(e.what())));
    }
    ServerSearchIsCurrent(session);
}

void EnsureServerSearch(Connection &connection)
{
    if (!connection.server())
        throw Error(QStringLiteral("Nincs adatbázis-kiszolgáló kapcsolat."));
    EnsureServerSearch(*connection.server());
}

QString ServerSearchFold(Connection &connection, const QString &text)
{
    auto c = connection.query({QStringLiteral("SELECT zentavo_fold(?)"), {text}, {}});
    return c->next() ? cellText(*c, 0) : QString();
}

QString ServerPasswordOf(const Connection &connection)
{
    const PgSession *session = connection.server();
    const char *password = session ? PQpass(session->handle()) : nullptr;
    return password ? QString::fromUtf8(password) : QString();
}

ServerSearcher::ServerSearcher(const QString &address, const QString &password)
    : m_session(std::make_unique<PgSession>(address, [password] { return password; }))
{
}

ServerSearcher::~ServerSearcher() = default;

QList<SearchHit> ServerSearcher::search(const QString &query, int limit, int perKind) const
{
    const QList<SearchTerm> terms = SearchTermsOf(query);
    if (terms.isEmpty())
        return {};
    QList<SearchHit> hits;
    QList<qint64> rowOf;   // each hit's row in its table
    QSet<std::pair<int, qint64>> seen;
    // Whole-word matches, then the others: each its own statement, which
    // walks the ordering index from the newest entry and stops at its page
    // (a common word matches most rows; sorting all of them would not stop).
    for (bool exact : {true, false}) {
        if (hits.size() >= limit)
            break;
        // "~~" is LIKE itself: the layer sends a bare LIKE as ILIKE.
        BoundSql match;
        QStringList conditions;
        for (const SearchTerm &t : terms) {
            conditions << (t.digits ? QStringLiteral("digits ~~ ?") : QStringLiteral("body ~~ ?"));
            match.values << likeWord(t.text, exact);
        }
        match.sql = QStringLiteral("SELECT kind, rid, sor FROM zentavo_kereses WHERE %1 ORDER BY docid DESC, sor DESC LIMIT ?")
                        .arg(conditions.join(QStringLiteral(" AND ")));
        match.values << qint64(limit + (exact ? 0 : hits.size()));
        for (auto c = m_session->query(match); hits.size() < limit && c->next();) {
            const int kind = int(c->integer(0));
            const qint64 row = c->integer(2);
            if (seen.contains({kind, row}) || !SearchSourceOf(kind))
                continue;
            seen.insert({kind, row});
            SearchHit h;
            h.kind = kind;
            h.id = c->integer(1);
            h.exact = exact;
            hits << h;
            rowOf << row;
        }
    }

    // The records to show are read whole, one statement per kind.
    QSet<int> gone;
    for (const SearchSource &s : SearchSources()) {
        QList<int> shown;
        for (int i = 0; i < hits.size() && (perKind < 0 || shown.size() < perKind); ++i)
            if (hits[i].kind == s.kind)
                shown << i;
        if (shown.isEmpty())
            continue;
        QStringList rows;
        for (int i : shown)
            rows << QString::number(rowOf[i]);
        QHash<qint64, int> indexOfRow;
        for (int i : shown)
            indexOfRow.insert(rowOf[i], i);
        QSet<int> read;
        auto c = m_session->query({QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid = ANY (?::bigint[])")
                                       .arg(SearchColumnsOf(s).join(QStringLiteral(", ")), s.table),
                                   {QStringLiteral("{%1}").arg(rows.join(QLatin1Char(',')))}, {}});
        while (c->next()) {
            const int i = indexOfRow.value(c->integer(0), -1);
            if (i < 0)
                continue;
            read.insert(i);
            SearchHit &h = hits[i];
            h.shown = true;
            h.caption = cellText(*c, 2).trimmed();
            h.date = cellText(*c, 3).left(10);
            for (int k = 0; k < 3; ++k)
                if (!c->isNull(4 + k) && c->integer(4 + k) != 0) {
                    h.ownerId = c->integer(4 + k);
                    h.ownerKind = s.kind == SearchEmployee ? 0 : k;
                    break;
                }
            QList<std::pair<QString, QString>> fields;
            for (int f = 0; f < s.fields.size(); ++f) {
                const QString text = cellText(*c, 7 + f);
                if (!isBlank(text))
                    fields.append({s.fields[f].label, text});
            }
            SearchShowField(h, terms, fields);
        }
        // Deleted since the match: no result.
        for (int i : shown)
            if (!read.contains(i))
                gone.insert(i);
    }
    if (gone.isEmpty())
        return hits;
    QList<SearchHit> kept;
    for (int i = 0; i < hits.size(); ++i)
        if (!gone.contains(i))
            kept << hits[i];
    return kept;
}

} // namespace zdb

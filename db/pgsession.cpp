#include "db/pgsession.h"

#include "db/dberror.h"

#include <libpq-fe.h>

#include <QObject>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <poll.h>
#endif

namespace zdb {

namespace {

// libpq's result, cleared with its owner.
struct Result
{
    PGresult *res = nullptr;
    explicit Result(PGresult *r = nullptr) : res(r) {}
    ~Result() { PQclear(res); }
    Result(const Result &) = delete;
    Result &operator=(const Result &) = delete;
};

// A statement that waited for another session's lock past lock_timeout
// (SQLSTATE 55P03, lock_not_available).
bool isLockTimeout(const PGresult *res)
{
    const char *state = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
    return state && std::strcmp(state, "55P03") == 0;
}

// That failure inside a transaction: the caller may begin it again.
class LockTimeout : public Error
{
public:
    using Error::Error;
};

QString busyMessage(const QString &serverText)
{
    return QStringLiteral("Egy másik munkahely éppen ír az adatbázisba, ezért a művelet most nem végezhető el. (%1)")
        .arg(serverText);
}

// Waits up to `ms` for the socket to have something to read.
void waitReadable(int socket, int ms)
{
#ifdef _WIN32
    WSAPOLLFD p{SOCKET(socket), POLLIN, 0};
    WSAPoll(&p, 1, ms);
#else
    pollfd p{socket, POLLIN, 0};
    ::poll(&p, 1, ms);
#endif
}

// The server's message without its "ERROR:  " head and trailing line break.
QString serverMessage(const char *raw)
{
    QString text = QString::fromUtf8(raw ? raw : "").trimmed();
    static const QRegularExpression head(QStringLiteral("^(ERROR|FATAL|HIBA):\\s+"));
    text.remove(head);
    return text;
}

// Statements prepared per session: as many as the file engine keeps compiled.
constexpr size_t kPreparedStatements = 64;

// A write with bound values is prepared once per session: posts run the same
// text row after row. Rows a statement returns could change their type
// with the schema, which a prepared statement refuses; those run unprepared.
bool keptStatement(const ServerSql &sql)
{
    if (sql.values.isEmpty() || sql.lockForWrite)
        return false;
    const QString text = sql.text.trimmed();
    qsizetype end = 0;
    while (end < text.size() && text[end].isLetter())
        ++end;
    const QString head = text.left(end).toLower();
    return (head == QLatin1String("update") || head == QLatin1String("delete") || head == QLatin1String("insert"))
        && !text.contains(QLatin1String("returning"), Qt::CaseInsensitive);
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Type OIDs of the server's catalogue.
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kFloat4 = 700, kFloat8 = 701,
              kBpchar = 1042, kVarchar = 1043, kDate = 1082, kTime = 1083, kTimestamp = 1114, kNumeric = 1700,
              kBytea = 17;

// A column's type as the file's schema would declare it, so that the record
// sets give it the same field kind from both engines.
QString declaredTypeOf(Oid type, int modifier)
{
    switch (type) {
    case kInt2:
    case kInt4:
    case kInt8:
        return QStringLiteral("integer");
    case kDate:
        return QStringLiteral("date");
    case kVarchar:
    case kBpchar:
        return modifier > 4 ? QStringLiteral("varchar(%1)").arg(modifier - 4) : QStringLiteral("varchar(255)");
    case kText:
        return QStringLiteral("text");
    case kBool:
        return QStringLiteral("boolean");
    case kFloat4:
    case kFloat8:
    case kNumeric:
        return QStringLiteral("float");
    case kTime:
        return QStringLiteral("time");
    case kTimestamp:
        return QStringLiteral("timestamp");
    case kBytea:
        return QStringLiteral("blob");
    default:
        return QString();
    }
}

class PgCursor final : public Cursor
{
public:
    explicit PgCursor(PGresult *res) : m_res(res), m_rows(PQntuples(res)) {}
    ~PgCursor() override { PQclear(m_res); }
    PgCursor(const PgCursor &) = delete;
    PgCursor &operator=(const PgCursor &) = delete;

    int columnCount() const override { return PQnfields(m_res); }
    QByteArray columnName(int column) const override { return QByteArray(PQfname(m_res, column)); }
    QString declaredType(int column) const override
    {
        // Only a table's column has a declared type, as in a file.
        if (PQftable(m_res, column) == InvalidOid)
            return QString();
        return declaredTypeOf(PQftype(m_res, column), PQfmod(m_res, column));
    }
    bool next() override { return ++m_row < m_rows; }
    bool isNull(int column) const override { return PQgetisnull(m_res, m_row, column) != 0; }
    const char *data(int column) const override
    {
        return isNull(column) ? nullptr : PQgetvalue(m_res, m_row, column);
    }
    qsizetype size(int column) const override { return PQgetlength(m_res, m_row, column); }
    qint64 integer(int column) const override { return std::strtoll(PQgetvalue(m_res, m_row, column), nullptr, 10); }

private:
    PGresult *m_res;
    int m_rows;
    int m_row = -1;
};

// Skips a quoted literal, a quoted name or a comment starting at i; the
// index after it, or i when none starts there.
qsizetype skipQuoted(const QString &s, qsizetype i)
{
    const QChar c = s[i];
    if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
        qsizetype j = i + 1;
        while (j < s.size()) {
            if (s[j] == c) {
                if (j + 1 < s.size() && s[j + 1] == c) {
                    j += 2;
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
        return s.size();
    }
    if (c == QLatin1Char('$') && i + 1 < s.size() && s[i + 1] == QLatin1Char('$')) {
        // A function body: its ";" and words are the server's own.
        const qsizetype j = s.indexOf(QLatin1String("$$"), i + 2);
        return j < 0 ? s.size() : j + 2;
    }
    if (c == QLatin1Char('-') && i + 1 < s.size() && s[i + 1] == QLatin1Char('-')) {
        const qsizetype j = s.indexOf(QLatin1Char('\n'), i);
        return j < 0 ? s.size() : j + 1;
    }
    if (c == QLatin1Char('/') && i + 1 < s.size() && s[i + 1] == QLatin1Char('*')) {
        const qsizetype j = s.indexOf(QLatin1String("*/"), i + 2);
        return j < 0 ? s.size() : j + 2;
    }
    return i;
}

QString connectMessage(PGconn *conn, const QString &conninfo)
{
    const QString raw = serverMessage(PQerrorMessage(conn));
    if (PQconnectionNeedsPassword(conn) || raw.contains(QLatin1String("password authentication failed"))
        || raw.contains(QLatin1String("no password supplied")))
        return QStringLiteral("Hibás jelszó vagy felhasználó az adatbázis-kiszolgálón:\r\n%1").arg(raw);
    if (raw.contains(QLatin1String("does not exist")) && raw.contains(QLatin1String("database")))
        return QStringLiteral("Nem létező adatbázis:\r\n%1").arg(raw);
    if (raw.contains(QLatin1String("invalid connection option")) || raw.contains(QLatin1String("invalid URI"))
        || raw.contains(QLatin1String("missing \"=\"")))
        return QStringLiteral("Hibás adatbázis-kapcsolat megadás: %1\r\n%2").arg(conninfo, raw);
    return QStringLiteral("Az adatbázis-kiszolgáló nem érhető el:\r\n%1").arg(raw);
}

} // namespace

bool isServerAddress(const QString &database)
{
    const QString t = database.trimmed();
    if (t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive))
        return true;
    // key=value pairs: the first word is a libpq keyword followed by "=".
    static const QRegularExpression pairs(
        QStringLiteral("^(host|hostaddr|port|dbname|user|service|password|passfile|sslmode)\\s*="),
        QRegularExpression::CaseInsensitiveOption);
    return pairs.match(t).hasMatch();
}

QString addressWithoutPassword(const QString &address)
{
    if (!isServerAddress(address))
        return address;
    QString out = address.trimmed();
    if (out.contains(QLatin1String("://"))) {
        static const QRegularExpression userInfo(QStringLiteral("^([a-z]+://[^:@/?]*):[^@/?]*@"),
                                                 QRegularExpression::CaseInsensitiveOption);
        out.replace(userInfo, QStringLiteral("\\1@"));
        static const QRegularExpression param(QStringLiteral("([?&])password=[^&]*&?"),
                                              QRegularExpression::CaseInsensitiveOption);
        out.replace(param, QStringLiteral("\\1"));
        if (out.endsWith(QLatin1Char('?')) || out.endsWith(QLatin1Char('&')))
            out.chop(1);
        return out;
    }
    static const QRegularExpression pair(QStringLiteral("\\s*\\bpassword\\s*=\\s*('(?:[^'\\\\]|\\\\.)*'|\\S*)"),
                                         QRegularExpression::CaseInsensitiveOption);
    out.replace(pair, QString());
    return out.trimmed();
}

namespace {
const QRegularExpression &today()
{
    static const QRegularExpression re(QStringLiteral("\\s*\\(\\s*'now'\\s*,\\s*'localtime'\\s*\\)"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}
} // namespace

ServerSql toServerSql(const BoundSql &statement)
{
    const QString &s = statement.sql;
    ServerSql out;
    QString &text = out.text;
    text.reserve(s.size() + 16);
    qsizetype nextValue = 0;
    QList<QString> namedSeen;   // names in the order of their first "$n"
    std::vector<int> namedIndex;

    static const QRegularExpression begin(
        QStringLiteral("^\\s*begin(\\s+(deferred|immediate|exclusive))?(\\s+transaction)?\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch b = begin.match(s);
    if (b.hasMatch()) {
        const QString kind = b.captured(2).toLower();
        out.lockForWrite = kind == QLatin1String("immediate") || kind == QLatin1String("exclusive");
        text = QStringLiteral("BEGIN");
        return out;
    }

    auto addValue = [&out](const QVariant &v) {
        out.values.append(v);
        return QStringLiteral("$%1").arg(out.values.size());
    };

    for (qsizetype i = 0; i < s.size();) {
        const qsizetype j = skipQuoted(s, i);
        if (j != i) {
            text += QStringView(s).mid(i, j - i);
            i = j;
            continue;
        }
        const QChar c = s[i];
        if (c == QLatin1Char('?')) {
            // An unbound place is NULL, as in a file database.
            text += addValue(nextValue < statement.values.size() ? statement.values[nextValue] : QVariant());
            ++nextValue;
            ++i;
            continue;
        }
        if (c == QLatin1Char(':') && i + 1 < s.size() && (s[i + 1].isLetter() || s[i + 1] == QLatin1Char('_'))
            && (i == 0 || s[i - 1] != QLatin1Char(':'))) {
            qsizetype k = i + 1;
            while (k < s.size() && isWordChar(s[k]))
                ++k;
            const QString name = s.mid(i, k - i);
            const qsizetype seen = namedSeen.indexOf(name.toLower());
            if (seen >= 0) {
                text += QStringLiteral("$%1").arg(namedIndex[size_t(seen)]);
            } else {
                QVariant value;
                for (const auto &[n, v] : statement.named)
                    if (n.compare(name, Qt::CaseInsensitive) == 0)
                        value = v;
                text += addValue(value);
                namedSeen.append(name.toLower());
                namedIndex.push_back(int(out.values.size()));
            }
            i = k;
            continue;
        }
        if (c.isLetter() || c == QLatin1Char('_')) {
            qsizetype k = i;
            while (k < s.size() && isWordChar(s[k]))
                ++k;
            const QStringView word = QStringView(s).mid(i, k - i);
            if (word.compare(QLatin1String("like"), Qt::CaseInsensitive) == 0) {
                // SQLite's LIKE ignores case; the server's ILIKE does the same.
                text += QLatin1String("ILIKE");
            } else if (word.compare(QLatin1String("is"), Qt::CaseInsensitive) == 0) {
                qsizetype m = k;
                while (m < s.size() && s[m].isSpace())
                    ++m;
                // "x IS ?" compares with NULL as a value; the server says it so.
                text += (m < s.size() && s[m] == QLatin1Char('?')) ? QLatin1String("IS NOT DISTINCT FROM")
                                                                   : QLatin1String("IS");
            } else if (word.compare(QLatin1String("date"), Qt::CaseInsensitive) == 0
                       && today().match(s, k, QRegularExpression::NormalMatch,
                                        QRegularExpression::AnchorAtOffsetMatchOption).hasMatch()) {
                // The file engine's local today.
                text += QLatin1String("CURRENT_DATE");
                k += today().match(s, k, QRegularExpression::NormalMatch,
                                   QRegularExpression::AnchorAtOffsetMatchOption).capturedLength();
            } else if (word.compare(QLatin1String("ifnull"), Qt::CaseInsensitive) == 0) {
                text += QLatin1String("COALESCE");
            } else if (word.compare(QLatin1String("hungarian"), Qt::CaseInsensitive) == 0
                       || word.compare(QLatin1String("system"), Qt::CaseInsensitive) == 0
                       || word.compare(QLatin1String("systemnocase"), Qt::CaseInsensitive) == 0) {
                // Collations of the file engine; the server orders bytes.
                const QString before = text.trimmed();
                text += before.endsWith(QLatin1String("collate"), Qt::CaseInsensitive) ? QStringLiteral("\"C\"")
                                                                                       : word.toString();
            } else {
                text += word;
            }
            i = k;
            continue;
        }
        text += c;
        ++i;
    }
    return out;
}

PgSession::PgSession(const QString &conninfo, const std::function<QString()> &askPassword)
{
    const QByteArray address = conninfo.trimmed().toUtf8();
    m_conn = PQconnectdb(address.constData());
    if (m_conn && PQstatus(m_conn) != CONNECTION_OK && PQconnectionNeedsPassword(m_conn) && askPassword) {
        const QByteArray password = askPassword().toUtf8();
        if (!password.isEmpty()) {
            // The address with the password beside it; it is kept nowhere.
            const char *keys[] = {"dbname", "password", nullptr};
            const char *values[] = {address.constData(), password.constData(), nullptr};
            PQfinish(m_conn);
            m_conn = PQconnectdbParams(keys, values, 1);
        }
    }
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        const QString message = m_conn ? connectMessage(m_conn, conninfo) : QStringLiteral("Nincs memória");
        PQfinish(m_conn);
        m_conn = nullptr;
        throw Error(message);
    }
    // The server's notices ("no transaction in progress") are no messages for the user.
    PQsetNoticeProcessor(m_conn, [](void *, const char *) {}, nullptr);
    // Texts travel as UTF-8 and dates as yyyy-mm-dd, as the layer reads them.
    PQsetClientEncoding(m_conn, "UTF8");
    Result r(PQexec(m_conn, "SET datestyle TO ISO, YMD"));
}

PgSession::~PgSession()
{
    m_notifier.reset();   // before its socket closes
    m_context.reset();
    PQfinish(m_conn);
}

void PgSession::watch(std::function<void(const QStringList &)> changed)
{
    m_changed = std::move(changed);
    Result r(PQexec(m_conn, "LISTEN zentavo_changes"));
    m_context = std::make_unique<QObject>();
    m_notifier = std::make_unique<QSocketNotifier>(qintptr(PQsocket(m_conn)), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_context.get(), [this] {
        PQconsumeInput(m_conn);
        collectNotices();
    });
}

void PgSession::collectNotices()
{
    const int self = PQbackendPID(m_conn);
    while (PGnotify *n = PQnotifies(m_conn)) {
        const QString table = QString::fromUtf8(n->extra).toLower();
        if (n->be_pid != self && !table.isEmpty() && !m_pending.contains(table))
            m_pending.append(table);
        PQfreemem(n);
    }
    if (m_pending.isEmpty() || !m_changed || m_deliveryQueued)
        return;
    // Notices read along with a statement's result are told after it, from
    // the event loop, never in the middle of the statement's caller.
    m_deliveryQueued = true;
    QMetaObject::invokeMethod(m_context.get(), [this] { deliverNotices(); }, Qt::QueuedConnection);
}

void PgSession::deliverNotices()
{
    m_deliveryQueued = false;
    const QStringList tables = std::exchange(m_pending, {});
    if (m_changed && !tables.isEmpty())
        m_changed(tables);
}

QString PgSession::version() const
{
    const int v = PQserverVersion(m_conn);
    return QStringLiteral("PostgreSQL %1.%2").arg(v / 10000).arg(v % 10000);
}

bool PgSession::inTransaction() const
{
    const PGTransactionStatusType t = PQtransactionStatus(m_conn);
    return t == PQTRANS_INTRANS || t == PQTRANS_INERROR || t == PQTRANS_ACTIVE;
}

void PgSession::run(const ServerSql &sql, bool keepRows, void **result)
{
    const int n = int(sql.values.size());
    std::vector<QByteArray> bytes(static_cast<size_t>(n));
    std::vector<const char *> values(static_cast<size_t>(n), nullptr);
    std::vector<int> lengths(static_cast<size_t>(n), 0);
    for (int i = 0; i < n; ++i) {
        if (ValueBytes(sql.values[i], Encoding::Utf8, bytes[size_t(i)])) {
            // A non-null pointer: an empty text stays empty text, not NULL.
            values[size_t(i)] = bytes[size_t(i)].constData() ? bytes[size_t(i)].constData() : "";
            lengths[size_t(i)] = int(bytes[size_t(i)].size());
        }
    }
    const QByteArray text = sql.text.toUtf8();
    const auto failed = [](PGresult *res) {
        const ExecStatusType status = PQresultStatus(res);
        return status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK;
    };
    // A statement the console runs under its stop poll goes unprepared; the
    // program's own bound writes are prepared once per session.
    QByteArray name = !m_poll && keptStatement(sql) ? preparedName(text, n) : QByteArray();
    PGresult *res = nullptr;
    for (;;) {
        // On its own a statement that met a lock can simply run again; in a
        // transaction the server has given the whole transaction up.
        const bool alone = PQtransactionStatus(m_conn) == PQTRANS_IDLE;
        if (m_poll)
            res = execPolled(text.constData(), n, values.data(), lengths.data());
        else if (!name.isEmpty())
            res = PQexecPrepared(m_conn, name.constData(), n, values.data(), lengths.data(), nullptr, 0);
        else
            res = PQexecParams(m_conn, text.constData(), n, nullptr, values.data(), lengths.data(), nullptr, 0);
        if (!failed(res))
            break;
        const char *state = !name.isEmpty() ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
        if (state && std::strcmp(state, "26000") == 0 && alone) {
            // The session's statements were let go of (DEALLOCATE ALL,
            // DISCARD ALL from the console): prepared anew from now on.
            forgetPrepared();
            PQclear(res);
            name = preparedName(text, n);
            continue;
        }
        if (state && std::strcmp(state, "26000") == 0)
            forgetPrepared();
        const QString message = serverMessage(res ? PQresultErrorMessage(res) : PQerrorMessage(m_conn));
        const bool busy = isLockTimeout(res);
        PQclear(res);
        if (busy && alone && m_busyPrompt && *m_busyPrompt) {
            if ((*m_busyPrompt)(message))
                continue;
            throw BusyDeclined(message);
        }
        if (busy)
            throw LockTimeout(busyMessage(message));
        throw Error(message.isEmpty() ? QStringLiteral("Az adatbázis-kiszolgáló kapcsolata megszakadt") : message);
    }
    if (m_context)
        collectNotices();
    const char *command = PQcmdStatus(res);
    if (std::strncmp(command, "INSERT", 6) == 0 || std::strncmp(command, "UPDATE", 6) == 0
        || std::strncmp(command, "DELETE", 6) == 0)
        m_changes = std::strtoll(PQcmdTuples(res), nullptr, 10);
    if (keepRows && result)
        *result = res;
    else
        PQclear(res);
}

QByteArray PgSession::preparedName(const QByteArray &text, int params)
{
    for (Prepared &p : m_prepared) {
        if (p.text == text) {
            p.lastUse = ++m_preparedUse;
            return p.name;
        }
    }
    const QByteArray name = "zentavo_" + QByteArray::number(++m_preparedCount);
    PGresult *res = PQprepare(m_conn, name.constData(), text.constData(), params, nullptr);
    const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK;
    if (!ok) {
        // The statement's own failure, told as running it would tell it.
        const QString message = serverMessage(res ? PQresultErrorMessage(res) : PQerrorMessage(m_conn));
        PQclear(res);
        throw Error(message.isEmpty() ? QStringLiteral("Az adatbázis-kiszolgáló kapcsolata megszakadt") : message);
    }
    PQclear(res);
    if (m_prepared.size() >= kPreparedStatements) {
        auto oldest = std::min_element(m_prepared.begin(), m_prepared.end(),
                                       [](const Prepared &a, const Prepared &b) { return a.lastUse < b.lastUse; });
        Result(PQexec(m_conn, ("DEALLOCATE " + oldest->name).constData()));
        m_prepared.erase(oldest);
    }
    m_prepared.push_back({text, name, ++m_preparedUse});
    return name;
}

void PgSession::forgetPrepared()
{
    m_prepared.clear();
}

void PgSession::execute(const BoundSql &statement)
{
    const ServerSql sql = toServerSql(statement);
    if (!sql.lockForWrite) {
        run(sql, false, nullptr);
        return;
    }
    // One writer at a time, as a file database has: identifiers read as
    // the largest plus one cannot be taken twice. Another desk holding the
    // lock past the time-out is the file's busy case: the transaction, empty
    // as yet, is given up and begun again if the user asks.
    ServerSql lock;
    lock.text = QStringLiteral("SELECT pg_advisory_xact_lock(2118)");
    for (;;) {
        run(sql, false, nullptr);
        try {
            run(lock, false, nullptr);
            return;
        } catch (const LockTimeout &e) {
            Result(PQexec(m_conn, "ROLLBACK"));
            if (!m_busyPrompt || !*m_busyPrompt)
                throw Error(e.message());
            if (!(*m_busyPrompt)(e.message()))
                throw BusyDeclined(e.message());
        }
    }
}

void PgSession::setProgressPoll(std::function<bool()> poll)
{
    m_poll = std::move(poll);
}

void PgSession::setLockTimeout(int ms)
{
    Result(PQexec(m_conn, QByteArray("SET lock_timeout = " + QByteArray::number(qMax(0, ms))).constData()));
}

PGresult *PgSession::execPolled(const char *text, int n, const char *const *values, const int *lengths)
{
    // The poll may let the event loop run another window's statement on this
    // session, which would read this one's answer as its own.
    if (m_polling)
        throw Error(QStringLiteral("Az adatbázis-kiszolgáló még egy utasításon dolgozik; próbálja újra, ha az véget ért."));
    if (!PQsendQueryParams(m_conn, text, n, nullptr, values, lengths, nullptr, 0))
        return nullptr;   // PQerrorMessage says why
    m_polling = true;
    bool cancelled = false;
    while (PQisBusy(m_conn)) {
        waitReadable(PQsocket(m_conn), 20);
        if (!PQconsumeInput(m_conn))
            break;
        if (!cancelled && m_poll && m_poll()) {
            cancelled = true;
            if (PGcancel *cancel = PQgetCancel(m_conn)) {
                char error[256];
                PQcancel(cancel, error, int(sizeof error));
                PQfreeCancel(cancel);
            }
        }
    }
    m_polling = false;
    // One statement, one result; an error among several is the one to keep.
    PGresult *kept = nullptr;
    while (PGresult *r = PQgetResult(m_conn)) {
        const ExecStatusType status = PQresultStatus(r);
        const bool failed = status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK;
        if (!kept || (failed && PQresultStatus(kept) != PGRES_FATAL_ERROR)) {
            PQclear(kept);
            kept = r;
        } else {
            PQclear(r);
        }
    }
    // A stopped write takes its whole transaction back, as a file's does.
    if (cancelled && PQtransactionStatus(m_conn) == PQTRANS_INERROR)
        Result(PQexec(m_conn, "ROLLBACK"));
    return kept;
}

void PgSession::executeScript(const QString &sql)
{
    // Split on ";" outside quotes and comments, so each part can carry the
    // same dialect turns as a single statement.
    qsizetype start = 0;
    for (qsizetype i = 0; i <= sql.size();) {
        if (i < sql.size()) {
            const qsizetype j = skipQuoted(sql, i);
            if (j != i) {
                i = j;
                continue;
            }
        }
        if (i == sql.size() || sql[i] == QLatin1Char(';')) {
            const QString part = sql.mid(start, i - start);
            QString bare = part;
            for (qsizetype k = 0; k < bare.size();) {
                const qsizetype j = skipQuoted(bare, k);
                if (j != k && bare[k] != QLatin1Char('\'') && bare[k] != QLatin1Char('"')) {
                    bare.remove(k, j - k);
                    continue;
                }
                k = j != k ? j : k + 1;
            }
            if (!bare.trimmed().isEmpty())
                execute(BoundSql{part, {}, {}});
            start = i + 1;
        }
        ++i;
    }
}

std::unique_ptr<Cursor> PgSession::query(const BoundSql &statement)
{
    const ServerSql sql = toServerSql(statement);
    void *res = nullptr;
    run(sql, true, &res);
    return std::make_unique<PgCursor>(static_cast<PGresult *>(res));
}

qint64 PgSession::lastInsertId()
{
    // lastval() fails before the session's first insert; inside a
    // transaction that failure must not abort it.
    const bool inside = inTransaction();
    if (inside)
        Result(PQexec(m_conn, "SAVEPOINT zentavo_lastval"));
    Result r(PQexec(m_conn, "SELECT lastval()"));
    const bool ok = PQresultStatus(r.res) == PGRES_TUPLES_OK && PQntuples(r.res) == 1;
    if (inside)
        Result(PQexec(m_conn, ok ? "RELEASE SAVEPOINT zentavo_lastval" : "ROLLBACK TO SAVEPOINT zentavo_lastval"));
    return ok ? std::strtoll(PQgetvalue(r.res, 0, 0), nullptr, 10) : 0;
}

} // namespace zdb

#pragma once

// The search over all the office's data. Its full-text index lives in a side
// file beside the database ("<database>-kereses"), never in the database file
// itself: other installations read that file, and a virtual table or trigger
// there would be foreign to them. The index holds accent- and case-folded
// copies of the searched texts; it records the database file's fingerprint
// after every write of ours, so a start that finds another fingerprint (the
// sqlite3 shell or another installation wrote) re-indexes.

#include "db/codec.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

struct sqlite3;
class QThread;

namespace zdb {

class Connection;

// The kinds of searched records, in the order the results are grouped.
enum SearchKind {
    SearchCustomer = 1, SearchEmployee, SearchProduct, SearchProject, SearchTask,
    SearchCalendar, SearchNote, SearchComment, SearchDocument
};

struct SearchField
{
    QString column;
    QString label;
    QByteArray labelUtf8;
};

struct SearchSource
{
    SearchKind kind;
    QString table;
    QString title;        // group caption: "Ügyfelek", ...
    QString captionColumn;
    QString dateColumn;   // empty where the record has no date
    QString ownerColumn;  // employees: their customer; comments and documents: see ownerOf
    QList<SearchField> fields;
};

const QList<SearchSource> &SearchSources();
const SearchSource *SearchSourceOf(int kind);
const SearchSource *SearchSourceOfTable(const QString &table);

// Lower case without accents, character by character (the folded text keeps
// the original's length, so a match found in it marks the original).
QString SearchFold(const QString &text);

struct SearchHit
{
    int kind = 0;
    qint64 id = 0;
    QString caption;
    QString date;         // yyyy-mm-dd or empty
    QString fieldLabel;   // the field that matched
    QString fieldHtml;    // its text (an excerpt), the matches in <b>
    int ownerKind = -1;   // comments and documents: 0 customer, 1 product, 2 project
    qint64 ownerId = 0;   // employees, comments, documents: their master record
    bool exact = false;   // every word matched a whole word
    bool shown = false;   // read whole: caption, date, field and owner are set
};

// One typed word as it is searched: folded letters matching a word's start,
// or the digits of a number matching anywhere inside a number.
struct SearchTerm
{
    QString text;
    bool digits = false;
};
QList<SearchTerm> SearchTermsOf(const QString &query);

// The columns read of a searched record, in this order: its identifier,
// caption, date, three owner columns (NULL where it has none), then the fields.
QStringList SearchColumnsOf(const SearchSource &source);

// Sets the hit's field label and excerpt: of the record's non-blank fields
// (label, text) the one matching most terms, the matches in <b>.
void SearchShowField(SearchHit &hit, const QList<SearchTerm> &terms, const QList<std::pair<QString, QString>> &fields);

// The FTS5 MATCH texts of a typed query: every word must match as the start
// of a word (exact: as a whole word); a word of digits, spaces and dashes
// matches inside a number. Empty when the query has nothing to search.
QString SearchMatchText(const QString &query, bool exact);

// The path of the index beside a database file.
QString SearchIndexPath(const QString &databasePath);

// A cheap fingerprint of the database file: the header's change counter and
// page count, the file size, and the write-ahead log's size and time.
QString DatabaseFingerprint(const QString &databasePath);

// An open search, whichever engine answers it; made for one thread.
class Searcher
{
public:
    virtual ~Searcher();
    // Exact matches first, then prefix matches, newer before older; at most
    // `limit`. Of each kind the first `perKind` (all when negative) are read
    // whole to be shown; the others carry only their kind and identifier.
    virtual QList<SearchHit> search(const QString &query, int limit = 200, int perKind = -1) const = 0;
};

// One open index file (its own SQLite connection; WAL, so searching never
// waits for a re-index). Not shared between threads.
class SearchIndexFile : public Searcher
{
public:
    explicit SearchIndexFile(const QString &indexPath);   // creates it; throws Error
    ~SearchIndexFile() override;
    SearchIndexFile(const SearchIndexFile &) = delete;
    SearchIndexFile &operator=(const SearchIndexFile &) = delete;

    sqlite3 *handle() const { return m_db; }

    QList<SearchHit> search(const QString &query, int limit = 200, int perKind = -1) const override;

    QString meta(const QString &key) const;
    void setMeta(const QString &key, const QString &value);
    // Up to date: a complete index made for this database fingerprint.
    bool isCurrentFor(const QString &databasePath) const;

    // Re-reads the given records of `table` from `mainDb` and replaces their
    // entries (a record gone from the table loses its entry).
    void syncRows(sqlite3 *mainDb, Encoding encoding, const QString &table, const QList<qint64> &ids);
    // Re-indexes whole tables: reads them in one snapshot of the database
    // (let go before the index is written), then writes their entries in
    // rowid order in one transaction; all tables at once go into fresh
    // tables. `progress` gets (done, total); returns false when `cancel` was set.
    bool reindexTables(sqlite3 *mainDb, Encoding encoding, const QStringList &tables,
                       const std::function<void(qint64, qint64)> &progress = {},
                       const std::atomic_bool *cancel = nullptr);

private:
    sqlite3 *m_db = nullptr;
};

// Keeps the index of one open connection current: every row the program
// posts or deletes is re-indexed at once (or, while a re-index runs, right
// after it); a table changed without row detail (a free statement, an
// import) and a stale index at start are re-indexed by a background thread,
// whose progress it announces. On a server database the triggers keep the
// search table; the keeper makes it when it is missing and tells of changes.
class KeeperThread;   // a background index job

class SearchIndexKeeper : public QObject
{
    Q_OBJECT
public:
    explicit SearchIndexKeeper(Connection *connection, QObject *parent = nullptr);
    ~SearchIndexKeeper() override;

    // Opens the index beside the connection's file and checks it; a stale or
    // new index is rebuilt in the background. Throws Error.
    void start();
    // start() that notes a failure in lastError() instead of throwing.
    bool tryStart();
    void stop();
    bool isRunning() const { return m_index != nullptr || m_server; }
    // Why the index could not be opened (a folder without write access), or empty.
    QString lastError() const { return m_error; }
    QString indexPath() const { return m_indexPath; }

    // What a search opens (the index file, or the server database), the
    // same while the keeper runs; and the opening itself, callable from any
    // thread: each thread searches on a Searcher of its own. Throws Error.
    QString searchTarget() const { return m_server ? m_serverAddress : m_indexPath; }
    std::function<std::unique_ptr<Searcher>()> searcherFactory() const;

    bool isReindexing() const { return m_worker != nullptr; }
    // Searching gives results: the index is open, and a server's search
    // table is not being made (a file's index is searched while re-read).
    bool canSearch() const { return isRunning() && !(m_server && m_worker); }
    // Waits for a running re-index (tests, closing).
    void waitForReindex();

    static SearchIndexKeeper *current();

Q_SIGNALS:
    void reindexProgress(qint64 done, qint64 total);
    void reindexingChanged(bool running);
    void indexChanged();

private:
    void onRowsWritten(const QString &table, const QList<qint64> &ids);
    void syncNow(const QString &table, const QList<qint64> &ids);
    void queueTables(const QStringList &tables);
    void startWorker();
    void launch(KeeperThread *thread);   // the worker, heard when it ends
    void workerDone(bool complete);
    void recordFingerprint();

    Connection *m_connection;
    QString m_databasePath;
    QString m_indexPath;
    SearchIndexFile *m_index = nullptr;
    QThread *m_worker = nullptr;
    std::atomic_bool m_cancel{false};
    QStringList m_pendingTables;
    QHash<QString, QSet<qint64>> m_pendingRows;   // written during a re-index
    QString m_error;
    // A server database keeps its search table itself, by triggers.
    bool m_server = false;
    QString m_serverAddress;
    QString m_serverPassword;
};

} // namespace zdb

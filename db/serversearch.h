#pragma once

// The search over a server database. Its index is a table of the database
// itself, "zentavo_kereses": per record its kind, row, identifier, ordering
// key and folded words, written by triggers on the searched tables, so a
// write from any desk, psql or another program is in it when it commits.
// The folding runs on the server, from a character table generated out of
// the program's own folding (SearchFold), so both engines fold alike.

#include "db/searchindex.h"

#include <memory>

namespace zdb {

class Connection;
class PgSession;

// True when the server's search table is made by this program's rules and
// the role may read it; false when it is missing or of other rules. Throws
// Error with the user's message when the role may not read it.
bool ServerSearchIsCurrent(PgSession &session);

// Makes the search table, its functions and triggers on a server database
// that lacks them or has them from a program of other folding rules, and
// fills the table from the searched tables, in one transaction; leaves a
// current one alone. Throws Error with the user's message when the role may
// not make or read them.
void EnsureServerSearch(PgSession &session);
void EnsureServerSearch(Connection &connection);

// The server's folding of a text, for comparing with SearchFold.
QString ServerSearchFold(Connection &connection, const QString &text);

// A search over a server database on a session of its own, so it can run in
// a thread of its own while the program's connection serves the windows.
class ServerSearcher : public Searcher
{
public:
    // Connects to `address`, with `password` when the server asks for one. Throws Error.
    ServerSearcher(const QString &address, const QString &password);
    ~ServerSearcher() override;
    QList<SearchHit> search(const QString &query, int limit = 200, int perKind = -1) const override;

private:
    std::unique_ptr<PgSession> m_session;
};

// The password the connection's server session was opened with (from
// ~/.pgpass or as typed), for the searcher's own session; empty when none.
QString ServerPasswordOf(const Connection &connection);

} // namespace zdb

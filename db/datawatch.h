#pragma once

// Keeps the windows of one desk current with what other desks commit. A
// timer on the user-interface thread asks the connection, cheaply, whether
// another connection committed since the last look; when one did, every
// table of the catalogue is announced through TableChanges in one batch, so
// the list and dialog bases refresh what they show, keeping their current
// row, order, filter and search text, and leaving rows being edited alone.
// Nothing is asked while a statement of the program runs or a transaction
// is open (the timer may fire inside a long statement's progress poll).

#include <QObject>
#include <QTimer>

struct sqlite3_stmt;

namespace zdb {

class Connection;

class DataWatcher : public QObject
{
    Q_OBJECT
public:
    explicit DataWatcher(Connection *connection, QObject *parent = nullptr);
    ~DataWatcher() override;

    // Milliseconds between looks; the default looks once a second.
    void setInterval(int ms) { m_timer.setInterval(ms); }
    int interval() const { return m_timer.interval(); }
    // Off stops the looking (and the announcing) altogether.
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }

    // One look now: true when another connection committed since the last
    // look (the change has then been announced).
    bool check();

private:
    void restart();
    void forget();
    // SQLite's counter of commits by other connections; false when it
    // cannot be read now (the file locked, a statement running).
    bool readVersion(qint64 &version);

    Connection *m_connection;
    QTimer m_timer;
    sqlite3_stmt *m_stmt = nullptr;
    qint64 m_version = -1;
    bool m_enabled = true;
};

} // namespace zdb

#pragma once

// The feed folder: when the user names one, `naptar.ics` (every calendar
// entry and every task with a deadline) and `ugyfelek.vcf` (every customer
// with its employees) are kept there current, so a desktop calendar or
// address book subscribed to them sees the office's data without an export.
// A change of a table is announced by zdb::TableChanges; the files it feeds
// are rewritten shortly after, once for a burst of changes, each replaced
// whole so a reader never sees half a file.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

namespace zdb {
class Connection;
}

class FeedFolder : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDelayMs = 300;

    explicit FeedFolder(zdb::Connection *connection, QObject *parent = nullptr);

    QString folder() const { return m_folder; }
    // An empty folder switches the feed off; a new one is filled at once.
    void setFolder(const QString &folder);

    // Writes the pending files now (both after setFolder); false on a failure,
    // which is also announced.
    bool writePending();

    static QString calendarFileName() { return QStringLiteral("naptar.ics"); }
    static QString contactsFileName() { return QStringLiteral("ugyfelek.vcf"); }

Q_SIGNALS:
    // Writing a file failed; `message` names the file and the cause.
    void failed(const QString &message);
    void written();

private:
    void onTableChanged(const QString &table);
    bool writeCalendar();
    bool writeContacts();

    QPointer<zdb::Connection> m_connection;
    QString m_folder;
    QTimer m_timer;
    bool m_calendarDue = false;
    bool m_contactsDue = false;
};

#include "output/feedfolder.h"

#include "output/icalendar.h"
#include "output/vcard.h"

#include "db/catalog.h"
#include "db/connection.h"
#include "db/dberror.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

FeedFolder::FeedFolder(zdb::Connection *connection, QObject *parent)
    : QObject(parent)
    , m_connection(connection)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kDelayMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { writePending(); });
    connect(&zdb::TableChanges::instance(), &zdb::TableChanges::changed, this,
            [this](const QString &table, const QObject *) { onTableChanged(table); });
}

void FeedFolder::setFolder(const QString &folder)
{
    m_folder = folder.trimmed();
    m_timer.stop();
    m_calendarDue = m_contactsDue = !m_folder.isEmpty();
    if (!m_folder.isEmpty())
        writePending();
}

void FeedFolder::onTableChanged(const QString &table)
{
    if (m_folder.isEmpty())
        return;
    const QString t = table.trimmed().toLower();
    // An unknown table (a free statement the parser could not name) may be any of them.
    if (t.isEmpty() || t == u"dolog1" || t == u"dolog3")
        m_calendarDue = true;
    if (t.isEmpty() || t == u"ugyfel" || t == u"alkalmazott")
        m_contactsDue = true;
    if (m_calendarDue || m_contactsDue)
        m_timer.start();
}

bool FeedFolder::writePending()
{
    m_timer.stop();
    bool ok = true;
    if (m_folder.isEmpty() || !m_connection || !m_connection->isConnected())
        return true;
    if (m_calendarDue) {
        m_calendarDue = false;
        ok = writeCalendar() && ok;
    }
    if (m_contactsDue) {
        m_contactsDue = false;
        ok = writeContacts() && ok;
    }
    if (ok)
        Q_EMIT written();
    return ok;
}

namespace {

template<class Write>
bool replaceFile(const QString &path, Write write, QString &error)
{
    QSaveFile file(path);
    try {
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !file.open(QIODevice::WriteOnly)) {
            error = file.errorString();
            return false;
        }
        write(file);
        if (!file.commit()) {
            error = file.errorString();
            return false;
        }
        return true;
    } catch (const std::exception &e) {
        file.cancelWriting();
        error = QString::fromUtf8(e.what());
        return false;
    }
}

} // namespace

bool FeedFolder::writeCalendar()
{
    const QString path = QDir(m_folder).filePath(calendarFileName());
    QString error;
    if (replaceFile(path, [this](QIODevice &d) { WriteCalendarFile(m_connection, {}, {}, d); }, error))
        return true;
    Q_EMIT failed(QStringLiteral("A naptárfájl nem írható (%1): %2").arg(QDir::toNativeSeparators(path), error));
    return false;
}

bool FeedFolder::writeContacts()
{
    const QString path = QDir(m_folder).filePath(contactsFileName());
    QString error;
    if (replaceFile(path, [this](QIODevice &d) { WriteContactsFile(m_connection, {}, true, d); }, error))
        return true;
    Q_EMIT failed(QStringLiteral("A névjegyfájl nem írható (%1): %2").arg(QDir::toNativeSeparators(path), error));
    return false;
}

#pragma once

#include <QString>
#include <exception>

namespace zdb {

// Every failure of the data layer (and any other error the program raises on
// purpose) is an Error carrying the message the user will read. The GUI's
// general error handling catches it at the end of the user action.
class Error : public std::exception
{
public:
    explicit Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A write refused because the row is no longer what this record set read:
// another desk or program changed it, or deleted it, in the meantime.
class RowConflict : public Error
{
public:
    enum class Kind { Changed, Deleted };
    explicit RowConflict(Kind kind) : Error(messageOf(kind)), m_kind(kind) {}
    Kind kind() const noexcept { return m_kind; }
    static QString messageOf(Kind kind);

private:
    Kind m_kind;
};

// A statement that met the file locked by another desk, the user having been
// told and having chosen not to try again: reported already, shown no more.
class BusyDeclined : public Error
{
public:
    using Error::Error;
};

// The Hungarian explanation of an SQLite result code (primary or extended),
// empty for the codes that SQLite's message says enough about (SQL errors).
QString sqliteExplanation(int resultCode);

// SQLite's own message, with that explanation in front of it on a line of its
// own; messages of other codes are returned as they are.
QString sqliteErrorText(int resultCode, const QString &sqliteMessage);

// The text shown by the general error handling: a full stop is added when the
// message's last character sorts after ".".
QString errorDisplayText(const QString &message);

} // namespace zdb

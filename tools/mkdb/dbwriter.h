#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

#include <initializer_list>
#include <memory>
#include <utility>

namespace zdb {
class Connection;
}

namespace mkdb {

using Column = std::pair<const char *, QVariant>;

// Writes rows the way the program stores them, through the program's own row
// writer: each row gets the table's before-save rule from the catalogue
// (identifier, flag defaults, day key, every sort-key column folded from its
// marked column), texts go in as Windows-1250 bytes, dates as yyyy-mm-dd,
// and empty texts and invalid dates as null. Failures throw zdb::Error.
class Writer
{
public:
    explicit Writer(zdb::Connection &connection);
    ~Writer();
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    // Runs every statement of the text; the text is sent in Windows-1250.
    void execute(const QString &sql);

    // One row. Texts longer than their column or with characters outside the
    // code page are refused: the program would show them cut or as "?".
    void insert(const QString &table, std::initializer_list<Column> values);

private:
    struct Target;
    Target &target(const QString &table);

    zdb::Connection &m_connection;
    QHash<QString, std::shared_ptr<Target>> m_targets;
};

} // namespace mkdb

#pragma once

// The throwaway PostgreSQL server of the test run (scripts/pgserver, started
// by ctest's "pgserver" fixture): each test gets a database of its own on it,
// made afresh, so tests running at the same time never meet.

#include "db/connection.h"
#include "db/dberror.h"

#include <QRegularExpression>
#include <QString>

namespace pgtest {

// The server's connection string, or empty when the run has none.
inline QString baseAddress()
{
    return QString::fromLocal8Bit(qgetenv("ZENTAVO_TEST_PG"));
}

// A new, empty database named `name` on the server; its connection string.
// Throws zdb::Error when the server cannot be reached.
inline QString freshDatabase(const QString &name)
{
    const QString base = baseAddress();
    zdb::Connection admin;
    admin.setPath(base);
    admin.open();
    admin.executeDirect(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
    admin.executeDirect(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C.UTF-8'").arg(name));
    admin.close();
    QString address = base;
    static const QRegularExpression dbname(QStringLiteral("dbname=\\S+"));
    address.replace(dbname, QStringLiteral("dbname=") + name);
    return address;
}

} // namespace pgtest

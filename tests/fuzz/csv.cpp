// The CSV import on arbitrary files: encoding and line splitting, the column
// list from the header, and the load into a scratch customer table. Whatever
// the file holds, the load ends with a result or a message, the database stays
// sound, and no line is half written.

#include "tests/fuzz/fuzzcheck.h"

#include "db/catalog.h"
#include "db/connection.h"
#include "db/dberror.h"
#include "db/recordset.h"
#include "masterdata/csvload.h"

#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdint>

namespace {

QString createCustomers()
{
    const zdb::TableDecl &t = zdb::CatalogueTable(QStringLiteral("ugyfel"));
    QStringList columns;
    for (const zdb::FieldDef &f : t.fields)
        columns << f.name + QLatin1Char(' ') + zdb::TableDecl::declaredType(f);
    return QStringLiteral("CREATE TABLE ugyfel (%1); CREATE INDEX ix_ugyfel ON ugyfel(ugyfel);").arg(columns.join(QStringLiteral(", ")));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 16384)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const csvimport::FileLines lines(bytes);
    // A record holds a line break only inside a quoted value.
    for (int i = 0; i < lines.count(); ++i) {
        const QString record = lines.line(i);
        FUZZ_CHECK(csvimport::FirstRecordEnd(record) == record.size() || i == lines.unclosedRecord());
        FUZZ_CHECK(i == 0 || lines.lineNumber(i) > lines.lineNumber(i - 1));
    }
    if (lines.count() == 0)
        return 0;
    const QList<csvimport::Column> columns = csvimport::ColumnsFromHeader(lines.line(0));
    FUZZ_CHECK(columns.size() <= csvimport::kMaxColumns);
    if (!csvimport::CheckColumns(csvimport::CustomerImport(), columns).isEmpty())
        return 0;

    static QTemporaryDir dir;
    static int n = 0;
    zdb::Connection conn;
    conn.setPath(dir.filePath(QStringLiteral("csv%1.sqb").arg(++n % 4)));
    conn.open();
    sqlite3_exec(conn.handle(), "PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY;", nullptr, nullptr, nullptr);
    conn.executeDirect(QStringLiteral("DROP TABLE IF EXISTS ugyfel;") + createCustomers()
                       + QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfelkod, ugyfel_nev) VALUES (1, 5, 'Meglévő');"));
    zdb::Table tbl(&conn);
    zdb::UseCatalogue(tbl, QStringLiteral("ugyfel"));
    tbl.setOrder(QStringLiteral("ugyfel"));
    tbl.open();
    const csvimport::Outcome outcome = csvimport::Load(tbl, csvimport::CustomerImport(), columns, lines);
    FUZZ_CHECK(outcome.inserted + outcome.updated <= lines.count());
    FUZZ_CHECK(!tbl.isEditing());
    FUZZ_CHECK(sqlite3_get_autocommit(conn.handle()));   // the load's savepoint is gone
    zdb::Query check(&conn, QStringLiteral("SELECT COUNT(*) AS n, COUNT(DISTINCT ugyfel) AS d FROM ugyfel"));
    check.open();
    // Every stored row has an identifier of its own.
    FUZZ_CHECK(check.value(QStringLiteral("n")) == check.value(QStringLiteral("d")));
    check.close();
    tbl.close();
    conn.close();
    return 0;
}

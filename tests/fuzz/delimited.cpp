// The delimited writer on arbitrary values: each line splits back into the
// same fields, whatever separator and qualifier the user chose.

#include "tests/fuzz/fuzzcheck.h"

#include "db/codec.h"
#include "db/connection.h"
#include "db/dberror.h"
#include "db/recordset.h"
#include "output/delimitedexport.h"

#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdint>

namespace {

QString inCodePage(const QString &text)
{
    return zdb::fromCp1250(zdb::toCp1250(text));
}

// Splits one record back: a field opening with the quote character runs to
// the quote that is not doubled; every field ends with the separator.
QStringList readBack(const QString &line, QChar sep, QChar quote)
{
    QStringList fields;
    qsizetype i = 0;
    while (i < line.size()) {
        QString field;
        if (line.at(i) == quote) {
            ++i;
            for (;;) {
                FUZZ_CHECK(i < line.size());
                if (line.at(i) == quote) {
                    if (i + 1 < line.size() && line.at(i + 1) == quote) {
                        field += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line.at(i++);
            }
            FUZZ_CHECK(i < line.size() && line.at(i) == sep);
        } else {
            while (i < line.size() && line.at(i) != sep)
                field += line.at(i++);
            FUZZ_CHECK(i < line.size());
        }
        ++i;   // the separator
        fields << field;
    }
    return fields;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    static const QChar separators[] = {QLatin1Char(';'), QLatin1Char(','), QLatin1Char('\t')};
    static const QChar qualifiers[] = {QChar(), QLatin1Char('"'), QLatin1Char('\'')};
    DelimitedOptions options;
    options.separator = separators[data[0] % 3];
    options.qualifier = qualifiers[(data[0] / 3) % 3];
    QStringList values = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1))
                             .split(QChar(0x1F));
    while (values.size() < 3)
        values << QString();
    values = values.mid(0, 3);

    static QTemporaryDir dir;
    static zdb::Connection conn;
    if (!conn.isConnected()) {
        conn.setPath(dir.filePath(QStringLiteral("delimited.sqb")));
        conn.open();
        sqlite3_exec(conn.handle(), "PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY;", nullptr, nullptr, nullptr);
        conn.executeDirect(QStringLiteral("CREATE TABLE t (a varchar(4096), b varchar(4096), c varchar(4096))"));
    }
    conn.executeDirect(QStringLiteral("DELETE FROM t"));
    zdb::Table t(&conn, QStringLiteral("t"));
    t.open();
    t.insert();
    const char *names[] = {"a", "b", "c"};
    for (int k = 0; k < 3; ++k)
        t.setValue(QString::fromLatin1(names[k]), values[k]);
    try {
        t.post();
    } catch (const zdb::Error &) {
        return 0;   // a NUL inside a text cannot be stored: refused, as for the user
    }
    t.first();
    options.fields = AllDelimitedFields(t);

    DelimitedWriter writer(t, options);
    QByteArray out;
    writer.appendRecord(t.currentRow(), out);
    QString line = zdb::fromCp1250(out);
    FUZZ_CHECK(line.endsWith(QLatin1String("\r\n")));
    line.chop(2);
    const QChar quote = options.qualifier.isNull() ? QLatin1Char('"') : options.qualifier;
    const QStringList back = readBack(line, options.separator, quote);
    FUZZ_CHECK(back.size() == 3);
    for (int k = 0; k < 3; ++k)
        FUZZ_CHECK(back[k] == t.textAt(t.currentRow(), k));
    // What was stored is the value in the code page (empty is null).
    for (int k = 0; k < 3; ++k)
        FUZZ_CHECK(t.textAt(t.currentRow(), k) == inCodePage(values[k]));
    t.close();
    return 0;
}

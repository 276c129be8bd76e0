#include "bench/common/customerdata.h"

#include "bench/common/benchkit.h"
#include "app/helpers/core/common.h"
#include "db/codec.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <cstdio>

namespace zbench {

namespace {

const char *const kFamily[] = {"Kovács", "Szabó", "Tóth", "Horváth", "Nagy", "Varga", "Kiss", "Molnár", "Németh",
                               "Farkas", "Balogh", "Papp", "Takács", "Juhász", "Ürge", "Érsek", "Őri", "Fehér"};
const char *const kFirm[] = {"Kft.", "Bt.", "Zrt.", "és Társa Kft.", "Építő Bt.", "Kereskedőház"};
const char *const kTown[] = {"Budapest", "Győr", "Pécs", "Szeged", "Debrecen", "Érd", "Sopron", "Eger"};

QString pick(const char *const *list, size_t n, int i)
{
    return QString::fromUtf8(list[size_t(i) % n]);
}
#define PICK(list, i) pick(list, sizeof(list) / sizeof(list[0]), i)

QString name(int i) { return PICK(kFamily, i * 7) + QLatin1Char(' ') + PICK(kFirm, i * 3) + QLatin1Char(' ') + QString::number(i); }
QString contact(int i) { return PICK(kFamily, i * 5 + 1) + QStringLiteral(" Anna"); }
QString phone(int i) { return QStringLiteral("06-1-%1").arg(1000000 + i); }
QString town(int i) { return PICK(kTown, i); }

} // namespace

// 100,000 customers as the program stores them, made once and copied per run.
QString customerTemplate(const QString &dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("customers_100k.sqb"));
    if (QFile::exists(path))
        return path;
    std::fprintf(stderr, "making %s ...\n", qPrintable(path));
    QFile schema(QStringLiteral(ZENTAVO_SCHEMA_FILE));
    if (!schema.open(QIODevice::ReadOnly))
        zbench::fail("no schema");
    const QString tmp = path + QStringLiteral(".tmp");
    QFile::remove(tmp);
    sqlite3 *db = nullptr;
    zbench::check(sqlite3_open(QFile::encodeName(tmp).constData(), &db), db, "open");
    zbench::check(sqlite3_exec(db, schema.readAll().constData(), nullptr, nullptr, nullptr), db, "schema");
    zbench::check(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt *st = nullptr;
    zbench::check(sqlite3_prepare_v2(db,
                                     "insert into ugyfel (ugyfel, ugyfelkod, ugyfel_nev, kapcsolattarto, telefon, varos,"
                                     " vanmegj, ugyfel_nevs, kapcsolattartos) values (?,?,?,?,?,?,'N',?,?)",
                                     -1, &st, nullptr),
                  db, "prepare");
    for (int i = 1; i <= kCustomers; ++i) {
        const QByteArray cells[] = {zdb::toCp1250(name(i)), zdb::toCp1250(contact(i)), zdb::toCp1250(phone(i)),
                                    zdb::toCp1250(town(i)), zdb::toCp1250(SortKeyOf(name(i).left(20))),
                                    zdb::toCp1250(SortKeyOf(contact(i).left(20)))};
        sqlite3_bind_int(st, 1, i);
        sqlite3_bind_int(st, 2, i);
        for (int c = 0; c < 6; ++c)
            sqlite3_bind_text(st, c + 3, cells[c].constData(), int(cells[c].size()), SQLITE_TRANSIENT);
        zbench::check(sqlite3_step(st), db, "insert");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    zbench::check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
    QFile::rename(tmp, path);
    return path;
}

// The file: odd lines carry a present code, even lines a new one.
QString customerFile(const QString &dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("customers_50k.csv"));
    QByteArray bytes = "ugyfelkod;ugyfel_nev;kapcsolattarto;telefon;emil;varos;cim\r\n";
    for (int j = 1; j <= kLines; ++j) {
        const int code = (j % 2) ? 2 * j - 1 : kCustomers + j;
        const QString line = QStringLiteral("%1;%2;%3;%4;info%1@ceg.hu;%5;Fő utca %6.\r\n")
                                 .arg(code)
                                 .arg(name(code + 3), contact(code + 1), phone(code + 2), town(code + 5))
                                 .arg(j % 200 + 1);
        bytes += zdb::toCp1250(line);
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        zbench::fail("cannot write the CSV file");
    return path;
}

} // namespace zbench

// The product and project list windows over 100,000 rows, against plain C
// loops over the same SQLite result (prepare the window's SELECT, step it,
// copy every column's text into a malloc'd buffer of its own):
//   product_list_open_100k  creating the product window: record set open, model reset, first paint
//   product_resave_100k     "Szerkeszt" when no product needs a change: the re-save check, the
//                           category list and the editor shown
//   project_filter_100k     "Szűrés" switched on: close, filter, reopen, repaint

#include "bench/common/benchkit.h"

#include "masterdata/productlist.h"
#include "masterdata/projectlist.h"

#include "app/helpers/appcore.h"
#include "app/helpers/core/common.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/testhooks.h"
#include "db/codec.h"
#include "db/connection.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <sqlite3.h>

#include <vector>

namespace {

using zbench::kRows;
constexpr int kRuns = 7;
constexpr int kDataVersion = 1;

const char *const kNames[] = {"Árvíztűrő tükörfúrógép", "Kalapács, 500 g", "Ügyviteli szoftver licenc",
                              "Őszi karbantartás", "Csavarhúzó készlet", "Festék 'Hófehér'",
                              "Nyomtatópatron \"XL\"", "Élelmiszer csomag", "Íróasztal, tölgy", "Zárszerkezet"};
const char *const kCategories[] = {"Szerszám", "Festék", "Élelmiszer", "Irodaszer", "Szoftver", "Hardver",
                                   "Bútor", "Szolgáltatás", "", nullptr};

void bindText(sqlite3_stmt *st, int index, const char *utf8)
{
    if (!utf8) {
        sqlite3_bind_null(st, index);
        return;
    }
    const QByteArray bytes = zdb::toCp1250(QString::fromUtf8(utf8));
    sqlite3_bind_text(st, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

void bindQString(sqlite3_stmt *st, int index, const QString &text)
{
    const QByteArray bytes = zdb::toCp1250(text);
    sqlite3_bind_text(st, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

// kRows products and kRows projects (half of them open), every sort key and
// comment flag already what the before-save rule gives. Made once and kept.
QString masterDatabase(const QString &dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("bench_masterdata_v%1.sqb").arg(kDataVersion));
    if (QFile::exists(path))
        return path;
    QFile schema(QStringLiteral(ZENTAVO_SCHEMA_FILE));
    if (!schema.open(QIODevice::ReadOnly))
        zbench::fail("schema file not found");
    const QByteArray schemaSql = schema.readAll();
    const QString tmp = path + QStringLiteral(".tmp");
    QFile::remove(tmp);
    sqlite3 *db = nullptr;
    zbench::check(sqlite3_open(QFile::encodeName(tmp).constData(), &db), db, "create");
    zbench::check(sqlite3_exec(db, schemaSql.constData(), nullptr, nullptr, nullptr), db, "schema");
    zbench::check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt *pr = nullptr;
    zbench::check(sqlite3_prepare_v2(db,
                                     "INSERT INTO termek (termek, cikkszam, termek_nev, megjegyzes, vanmegj, kategoria, "
                                     "termek_nevs, kategorias) VALUES (?,?,?,?,?,?,?,?)",
                                     -1, &pr, nullptr),
                  db, "prepare products");
    sqlite3_stmt *pj = nullptr;
    zbench::check(sqlite3_prepare_v2(db,
                                     "INSERT INTO projekt (projekt, projekt_kod, projekt_nev, dat_indul, dat_lezar, "
                                     "lezarva, megjegyzes, vanmegj, projekt_nevs) VALUES (?,?,?,?,?,?,?,?,?)",
                                     -1, &pj, nullptr),
                  db, "prepare projects");
    for (int i = 1; i <= kRows; ++i) {
        const QString name = QString::fromUtf8(kNames[i % 10]) + QStringLiteral(" %1").arg(i);
        const char *cat = kCategories[(i * 7) % 10];
        sqlite3_bind_int(pr, 1, i);
        bindQString(pr, 2, QStringLiteral("CIK-%1").arg(i, 6, 10, QLatin1Char('0')));
        bindQString(pr, 3, name);
        bindText(pr, 4, i % 3 ? "Megjegyzés a termékhez, több szóval." : nullptr);
        bindText(pr, 5, i % 17 ? "N" : "I");
        bindText(pr, 6, cat);
        bindQString(pr, 7, SortKeyOf(name.left(20)));
        bindQString(pr, 8, SortKeyOf(QString::fromUtf8(cat ? cat : "").left(20)));
        zbench::check(sqlite3_step(pr), db, "insert product");
        sqlite3_reset(pr);

        const bool open = i % 2;
        sqlite3_bind_int(pj, 1, i);
        bindQString(pj, 2, QStringLiteral("P%1").arg(i, 6, 10, QLatin1Char('0')));
        bindQString(pj, 3, name);
        bindQString(pj, 4, QDate(2020, 1, 1).addDays(i % 2000).toString(Qt::ISODate));
        if (open)
            sqlite3_bind_null(pj, 5);
        else
            bindQString(pj, 5, QDate(2024, 1, 1).addDays(i % 700).toString(Qt::ISODate));
        bindText(pj, 6, open ? "N" : "I");
        bindText(pj, 7, "Projekt megjegyzés.");
        bindText(pj, 8, "N");
        bindQString(pj, 9, SortKeyOf(name.left(20)));
        zbench::check(sqlite3_step(pj), db, "insert project");
        sqlite3_reset(pj);
    }
    sqlite3_finalize(pr);
    sqlite3_finalize(pj);
    zbench::check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
    QFile::rename(tmp, path);
    return path;
}

template<class W>
W *openWindow()
{
    auto *w = new W;
    w->resize(1000, 600);
    w->show();
    w->grab();
    return w;
}

} // namespace

int main(int argc, char **argv)
{
    zbench::preferOffscreen();
    QApplication app(argc, argv);
    const QString path = masterDatabase(zbench::dataDir(argc, argv));

    zdb::Connection conn;
    conn.setPath(path);
    conn.open();
    Shared().Db1 = &conn;
    sqlite3 *plainDb = nullptr;
    zbench::check(sqlite3_open_v2(QFile::encodeName(path).constData(), &plainDb, SQLITE_OPEN_READWRITE, nullptr),
                  plainDb, "open");

    // ---- product_list_open_100k
    delete openWindow<Tfrm_Termek>();
    QByteArray productSql;
    {
        Tfrm_Termek *w = openWindow<Tfrm_Termek>();
        productSql = conn.encode(w->table()->selectSql());
        delete w;
    }
    zbench::plainLoadCount(plainDb, productSql);
    std::vector<double> ours, plain;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        Tfrm_Termek *w = openWindow<Tfrm_Termek>();
        ours.push_back(zbench::msSince(t));
        if (w->table()->recordCount() != kRows || w->grid()->model()->rowCount() != kRows)
            zbench::fail("product_list_open_100k: the window does not show every product");
        delete w;
        t.start();
        if (zbench::plainLoadCount(plainDb, productSql) != size_t(kRows))
            zbench::fail("product_list_open_100k: wrong row count");
        plain.push_back(zbench::msSince(t));
    }
    zbench::report("product_list_open_100k", ours, plain);

    // ---- product_resave_100k
    testhooks::setAutomatic(true);
    ours.clear();
    plain.clear();
    {
        Tfrm_Termek *w = openWindow<Tfrm_Termek>();
        w->table()->setCurrentRow(kRows / 2);
        for (int run = 0; run <= kRuns; ++run) {
            double shownAt = 0;
            QElapsedTimer t;
            testhooks::onNextDialog([&](QDialog *d) {
                shownAt = zbench::msSince(t);
                d->reject();
            });
            t.start();
            w->aSzerkeszt->trigger();
            if (shownAt <= 0 || testhooks::pendingDialogCallbacks() != 0)
                zbench::fail("product_resave_100k: the editor did not open");
            if (w->resaveProducts() != 0)
                zbench::fail("product_resave_100k: the data needed re-saving");
            QElapsedTimer p;
            p.start();
            zbench::plainLoadCount(plainDb, productSql);
            if (run > 0) {   // the first one warms both sides
                ours.push_back(shownAt);
                plain.push_back(zbench::msSince(p));
            }
        }
        delete w;
    }
    zbench::report("product_resave_100k", ours, plain);

    // ---- project_filter_100k
    ours.clear();
    plain.clear();
    {
        Tfrm_Projekt *w = openWindow<Tfrm_Projekt>();
        const QByteArray filteredSql = conn.encode(w->table()->selectSql());
        if (!filteredSql.contains("lezarva='N'"))
            zbench::fail("project_filter_100k: the window does not start filtered");
        zbench::plainLoadCount(plainDb, filteredSql);
        for (int run = 0; run < kRuns; ++run) {
            w->aSzur->trigger();   // off
            QElapsedTimer t;
            t.start();
            w->aSzur->trigger();   // on
            w->grid()->viewport()->repaint();
            ours.push_back(zbench::msSince(t));
            if (w->table()->recordCount() != kRows / 2)
                zbench::fail("project_filter_100k: wrong number of open projects");
            t.start();
            zbench::plainLoadCount(plainDb, filteredSql);
            plain.push_back(zbench::msSince(t));
        }
        delete w;
    }
    zbench::report("project_filter_100k", ours, plain);

    sqlite3_close(plainDb);
    Shared() = SharedData{};
    return 0;
}

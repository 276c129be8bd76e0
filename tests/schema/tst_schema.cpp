// The database schema and zentavo-mkdb, run as a separate process the way an
// installer or a developer runs it.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include "db/codec.h"
#include "db/catalog.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "app/helpers/helpers.h"

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray errorOutput;
};

Run runMkdb(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(ZENTAVO_MKDB), arguments);
    Run run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.errorOutput = process.readAllStandardError();
    return run;
}

// Read-only access to a finished database file. Texts come back as their raw
// bytes (QByteArray), integers as qlonglong, nulls as invalid QVariants.
class Db
{
public:
    explicit Db(const QString &path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }
    ~Db() { sqlite3_close(m_db); }
    bool isOpen() const { return m_db != nullptr; }

    QList<QVariantList> rows(const QString &sql) const
    {
        QList<QVariantList> result;
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, zdb::toCp1250(sql).constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            qWarning("%s: %s", qPrintable(sql), sqlite3_errmsg(m_db));
            return result;
        }
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QVariantList row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                switch (sqlite3_column_type(stmt, i)) {
                case SQLITE_NULL: row.append(QVariant()); break;
                case SQLITE_INTEGER: row.append(qlonglong(sqlite3_column_int64(stmt, i))); break;
                default:
                    row.append(QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, i)),
                                          sqlite3_column_bytes(stmt, i)));
                }
            }
            result.append(row);
        }
        sqlite3_finalize(stmt);
        return result;
    }
    QVariant value(const QString &sql) const
    {
        const auto r = rows(sql);
        return r.isEmpty() || r.first().isEmpty() ? QVariant() : r.first().first();
    }
    qlonglong count(const QString &sql) const { return value(sql).toLongLong(); }
    QStringList column(const QString &sql) const
    {
        QStringList values;
        for (const QVariantList &row : rows(sql))
            values.append(text(row.value(0)));
        return values;
    }
    // (name, declared type) of every column, in order, as the data layer
    // reads them. Type names compare ignoring case: SQLite hands back its
    // standard names (integer, text, ...) in capitals.
    QList<std::pair<QString, QString>> tableInfo(const QString &table) const
    {
        QList<std::pair<QString, QString>> columns;
        sqlite3_stmt *stmt = nullptr;
        const QByteArray sql = "SELECT * FROM " + table.toLatin1();
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
            return columns;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const char *type = sqlite3_column_decltype(stmt, i);
            columns.append({QString::fromUtf8(sqlite3_column_name(stmt, i)),
                            type ? QString::fromUtf8(type) : QString()});
        }
        sqlite3_finalize(stmt);
        return columns;
    }
    static QString text(const QVariant &cell)
    {
        return cell.typeId() == QMetaType::QByteArray ? zdb::fromCp1250(cell.toByteArray()) : cell.toString();
    }

private:
    sqlite3 *m_db = nullptr;
};

const QStringList kIdentifierTables = {
    QStringLiteral("dolog3"), QStringLiteral("dolog1"), QStringLiteral("munka"), QStringLiteral("jegyzet"),
    QStringLiteral("ugyfel"), QStringLiteral("alkalmazott"), QStringLiteral("termek"),
    QStringLiteral("projekt"), QStringLiteral("megjegyzes"), QStringLiteral("doksi")};

// Every table with its columns as "name type", in the order of the records.
QMap<QString, QStringList> expectedSchema()
{
    auto cols = [](const char *list) { return QString::fromLatin1(list).split(QLatin1Char(',')); };
    const char *schedulingLinks =
        "ugyfel integer,ugyfel_nev varchar(75),termek integer,termek_nev varchar(75),"
        "projekt integer,projekt_nev varchar(75),fontos integer,fileban varchar(255)";
    const char *sortKeys = "rovids varchar(20),ugyfel_nevs varchar(20),termek_nevs varchar(20),projekt_nevs varchar(20)";
    QMap<QString, QStringList> s;
    s[QStringLiteral("dolog3")] = cols("dolog3 integer,datum date,dat_hatid date,rovid varchar(50),leiras varchar(2048)")
        + cols(schedulingLinks) + cols("kesz varchar(1),dat_kesz date,statusz integer") + cols(sortKeys);
    s[QStringLiteral("dolog1")] = cols("dolog1 integer,datum date,datumstr varchar(8),ora integer,rovid varchar(50),"
                                       "leiras varchar(2048)")
        + cols(schedulingLinks) + cols("dat_kesz date,kesz varchar(1)") + cols(sortKeys);
    s[QStringLiteral("munka")] = cols("munka integer,feladat integer,datum date,rovid varchar(100),leiras varchar(4096)");
    s[QStringLiteral("jegyzet")] = cols("jegyzet integer,datum date,kategoria varchar(25),rovid varchar(50),"
                                        "szoveg varchar(4096)");
    s[QStringLiteral("ugyfel")] = cols("ugyfel integer,ugyfelkod integer,ugyfel_nev varchar(75),kapcsolattarto varchar(50),"
                                       "telefon varchar(25),fax varchar(25),mobil varchar(25),emil varchar(75),"
                                       "irsz varchar(6),varos varchar(25),cim varchar(50),megjegyzes varchar(255),"
                                       "vanmegj varchar(1),ugyfel_nevs varchar(20),kapcsolattartos varchar(20)");
    s[QStringLiteral("alkalmazott")] = cols("alkalmazott integer,ugyfel integer,alkalmazott_nev varchar(50),"
                                            "emil varchar(75),telefon varchar(50),alkalmazott_nevs varchar(20)");
    s[QStringLiteral("termek")] = cols("termek integer,cikkszam varchar(15),termek_nev varchar(50),megjegyzes varchar(255),"
                                       "vanmegj varchar(1),kategoria varchar(20),termek_nevs varchar(20),"
                                       "kategorias varchar(20)");
    s[QStringLiteral("projekt")] = cols("projekt integer,projekt_kod varchar(15),projekt_nev varchar(50),dat_indul date,"
                                        "dat_lezar date,lezarva varchar(1),megjegyzes varchar(255),vanmegj varchar(1),"
                                        "projekt_nevs varchar(20)");
    s[QStringLiteral("megjegyzes")] = cols("megjegyzes integer,datum date,rovid varchar(100),ugyfel integer,termek integer,"
                                           "projekt integer,azonstr varchar(75),szoveg varchar(4096)");
    s[QStringLiteral("doksi")] = cols("doksi integer,datum date,rovid varchar(100),ugyfel integer,termek integer,"
                                      "projekt integer,azonstr varchar(75),fileban varchar(100)");
    s[QStringLiteral("felhasznalo")] = cols("felhasznalo varchar(15),felhasznalo_nev varchar(20),jelszo varchar(15),"
                                            "rendszergazda varchar(1),torzsszerkeszt varchar(1)");
    s[QStringLiteral("beallit")] = cols("beallit integer,vanbelep varchar(1),sendername varchar(50),senderemil varchar(75)");
    s[QStringLiteral("tulajdonos")] = cols("tulajdonos varchar(75),telefon varchar(25),mobil varchar(25),irsz varchar(6),"
                                           "varos varchar(25),cim varchar(50)");
    return s;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestSchema : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void emptyDatabaseHasEveryTableAndColumn();
    void lookupsUseIndexes_data();
    void lookupsUseIndexes();
    void refusesToOverwrite_data();
    void refusesToOverwrite();
    void rejectsBadArguments_data();
    void rejectsBadArguments();

    void demoSingleRowsAndCounts();
    void demoIdentifiersAreUnique();
    void demoSortKeysFoldLikeTheProgram_data();
    void demoSortKeysFoldLikeTheProgram();
    void demoTextsAreWindows1250();
    void demoTasks();
    void demoCalendar();
    void demoLinksAndCopiedNames();
    void demoDatesAreStoredForms();
    void demoIsReproducible();
    void catalogueAgreesWithSchemaAndTool();
    void catalogueBeforeSaveRule();
    void beforeSaveRuleFollowsEveryWrite();
    void demoRowsAreStoredAsTheProgramWouldStoreThem();
    void catalogueLinks();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QString m_emptyPath;
    QString m_demoPath;
    QDate m_today;
};

void TestSchema::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(QFileInfo::exists(QStringLiteral(ZENTAVO_MKDB)), ZENTAVO_MKDB);
    m_emptyPath = path(QStringLiteral("empty.sqb"));
    m_demoPath = path(QStringLiteral("demo.sqb"));
    // Today is pinned so that a run across midnight checks against the same day.
    m_today = QDate::currentDate();
    Run run = runMkdb({m_emptyPath});
    QVERIFY2(run.exitCode == 0, run.errorOutput.constData());
    run = runMkdb({m_demoPath, QStringLiteral("--demo"), QStringLiteral("--today"), m_today.toString(Qt::ISODate)});
    QVERIFY2(run.exitCode == 0, run.errorOutput.constData());
}

void TestSchema::emptyDatabaseHasEveryTableAndColumn()
{
    Db db(m_emptyPath);
    QVERIFY(db.isOpen());
    const QMap<QString, QStringList> expected = expectedSchema();
    QStringList tables = db.column(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"));
    QCOMPARE(tables, QStringList(expected.keys()));
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QStringList actual;
        for (const auto &[name, declared] : db.tableInfo(it.key())) {
            const QString type = declared.toLower();
            actual.append(name + QLatin1Char(' ') + type);
            // The data layer must read each declared type as the kind the records declare.
            const zdb::ColumnType kind = zdb::columnTypeOf(type);
            if (type == u"integer")
                QCOMPARE(kind.kind, zdb::FieldKind::Integer);
            else if (type == u"date")
                QCOMPARE(kind.kind, zdb::FieldKind::Date);
            else
                QVERIFY2(kind.kind == zdb::FieldKind::Text && type == QStringLiteral("varchar(%1)").arg(kind.size),
                         qPrintable(it.key() + QLatin1Char('.') + name + QLatin1Char(' ') + type));
        }
        QCOMPARE(actual, it.value());
        QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM %1").arg(it.key())), 0);
    }
    // The schema file is what the tool runs; the journal is gone after commit.
    QVERIFY(!QFileInfo::exists(m_emptyPath + QStringLiteral("-journal")));
}

void TestSchema::lookupsUseIndexes_data()
{
    QTest::addColumn<QString>("sql");
    for (const QString &table : kIdentifierTables)
        QTest::newRow(qPrintable(QStringLiteral("next id of ") + table))
            << QStringLiteral("SELECT MAX(%1) FROM %1").arg(table);
    QTest::newRow("next customer code") << QStringLiteral("SELECT MAX(ugyfelkod) FROM ugyfel");
    QTest::newRow("open tasks by deadline")
        << QStringLiteral("select *, rowid as rowid from dolog3 where kesz='N' order by (dat_hatid)");
    // The day filter compares the text column with a number.
    QTest::newRow("one calendar day") << QStringLiteral("select *, rowid as rowid from dolog1 where datumstr=20050131");
    QTest::newRow("customer's open tasks")
        << QStringLiteral("select *, rowid as rowid from dolog3 where (ugyfel=5) and (kesz='N')");
    QTest::newRow("project's entries") << QStringLiteral("select * from dolog1 where projekt=2");
    QTest::newRow("work log of a task") << QStringLiteral("select * from munka where feladat=7");
    QTest::newRow("employees of a customer") << QStringLiteral("select * from alkalmazott where ugyfel=12");
    QTest::newRow("product comments") << QStringLiteral("SELECT * FROM megjegyzes WHERE termek=3 ORDER BY datum");
    QTest::newRow("project documents") << QStringLiteral("select * from doksi where projekt=4");
    QTest::newRow("customers by name") << QStringLiteral("select * from ugyfel order by ugyfel_nevs");
}

void TestSchema::lookupsUseIndexes()
{
    QFETCH(QString, sql);
    Db db(m_demoPath);
    const QList<QVariantList> plan = db.rows(QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    QVERIFY(!plan.isEmpty());
    for (const QVariantList &step : plan) {
        const QString detail = Db::text(step.last());
        if (detail.startsWith(QLatin1String("SEARCH")) || detail.startsWith(QLatin1String("SCAN")))
            QVERIFY2(detail.contains(QLatin1String("INDEX")), qPrintable(detail));
    }
}

void TestSchema::refusesToOverwrite_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("demo");
    QTest::newRow("database") << readFile(m_emptyPath) << false;
    QTest::newRow("database, demo asked") << readFile(m_emptyPath) << true;
    QTest::newRow("empty file") << QByteArray() << true;
    QTest::newRow("other file") << QByteArray("nem adatbázis\r\n") << false;
}

void TestSchema::refusesToOverwrite()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, demo);
    const QString target = path(QStringLiteral("existing.sqb"));
    QFile::remove(target);
    {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QStringList args{target};
    if (demo)
        args << QStringLiteral("--demo");
    const Run run = runMkdb(args);
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.errorOutput.contains(QFile::encodeName(target)));
    QCOMPARE(readFile(target), content);
    QFile::remove(target);
}

void TestSchema::rejectsBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("created");     // a path that must not exist afterwards
    QTest::addColumn<int>("exitCode");
    const QString fresh = path(QStringLiteral("fresh.sqb"));
    QTest::newRow("no path") << QStringList() << QString() << 2;
    QTest::newRow("two paths") << QStringList{fresh, path(QStringLiteral("second.sqb"))} << fresh << 2;
    QTest::newRow("unknown option") << QStringList{fresh, QStringLiteral("--demo-data")} << fresh << 2;
    QTest::newRow("bad demo day") << QStringList{fresh, QStringLiteral("--demo"), QStringLiteral("--today"),
                                                 QStringLiteral("2005-02-30")} << fresh << 2;
    const QString inMissingFolder = path(QStringLiteral("nincs/uj.sqb"));
    QTest::newRow("missing folder") << QStringList{inMissingFolder} << inMissingFolder << 1;
    QTest::newRow("a folder") << QStringList{m_dir.path()} << QString() << 1;
}

void TestSchema::rejectsBadArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, created);
    QFETCH(int, exitCode);
    const Run run = runMkdb(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(!run.errorOutput.isEmpty());
    if (!created.isEmpty())
        QVERIFY(!QFileInfo::exists(created));
}

void TestSchema::demoSingleRowsAndCounts()
{
    Db db(m_demoPath);
    const QMap<QString, QStringList> schema = expectedSchema();
    for (const QString &table : schema.keys())
        QVERIFY2(db.count(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)) > 0, qPrintable(table));

    const auto owner = db.rows(QStringLiteral("SELECT * FROM tulajdonos"));
    QCOMPARE(owner.size(), 1);
    for (const QVariant &cell : owner.first())
        QVERIFY(!Db::text(cell).isEmpty());

    const auto settings = db.rows(QStringLiteral("SELECT vanbelep, sendername, senderemil FROM beallit"));
    QCOMPARE(settings.size(), 1);
    QCOMPARE(Db::text(settings.first().at(0)), QStringLiteral("N"));
    QVERIFY(Db::text(settings.first().at(2)).contains(QLatin1Char('@')));

    const auto users = db.rows(QStringLiteral("SELECT felhasznalo, jelszo, rendszergazda, torzsszerkeszt FROM felhasznalo"));
    QCOMPARE(users.size(), 1);
    QCOMPARE(Db::text(users.first().at(0)), QStringLiteral("admin"));
    QCOMPARE(Db::text(users.first().at(1)), QStringLiteral("admin"));
    QCOMPARE(Db::text(users.first().at(2)), QStringLiteral("I"));
    QCOMPARE(Db::text(users.first().at(3)), QStringLiteral("I"));

    // Customer codes run 1..n like NextId would have given them.
    const qlonglong customers = db.count(QStringLiteral("SELECT COUNT(*) FROM ugyfel"));
    QVERIFY(customers >= 20);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(DISTINCT ugyfelkod) FROM ugyfel WHERE ugyfelkod BETWEEN 1 AND %1")
                          .arg(customers)),
             customers);
    QVERIFY(db.count(QStringLiteral("SELECT COUNT(DISTINCT ugyfel) FROM alkalmazott")) >= 3);
    QVERIFY(db.count(QStringLiteral("SELECT COUNT(DISTINCT kategoria) FROM termek")) >= 3);
    QVERIFY(db.count(QStringLiteral("SELECT COUNT(DISTINCT kategoria) FROM jegyzet")) >= 3);
}

void TestSchema::demoIdentifiersAreUnique()
{
    Db db(m_demoPath);
    for (const QString &table : kIdentifierTables) {
        const auto r = db.rows(QStringLiteral("SELECT COUNT(*), COUNT(DISTINCT %1), MIN(%1), typeof(MIN(%1)) FROM %1")
                                   .arg(table));
        QVERIFY(!r.isEmpty());
        QCOMPARE(r.first().at(1), r.first().at(0));           // no duplicates, no nulls
        QVERIFY2(r.first().at(2).toLongLong() >= 1, qPrintable(table));
        QCOMPARE(Db::text(r.first().at(3)), QStringLiteral("integer"));
    }
}

void TestSchema::demoSortKeysFoldLikeTheProgram_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("marked");
    for (const char *table : {"dolog3", "dolog1"})
        for (const char *column : {"rovid", "ugyfel_nev", "termek_nev", "projekt_nev"})
            QTest::addRow("%s.%s", table, column) << QString::fromLatin1(table) << QString::fromLatin1(column);
    QTest::newRow("ugyfel.ugyfel_nev") << QStringLiteral("ugyfel") << QStringLiteral("ugyfel_nev");
    QTest::newRow("ugyfel.kapcsolattarto") << QStringLiteral("ugyfel") << QStringLiteral("kapcsolattarto");
    QTest::newRow("termek.termek_nev") << QStringLiteral("termek") << QStringLiteral("termek_nev");
    QTest::newRow("termek.kategoria") << QStringLiteral("termek") << QStringLiteral("kategoria");
    QTest::newRow("projekt.projekt_nev") << QStringLiteral("projekt") << QStringLiteral("projekt_nev");
    QTest::newRow("alkalmazott.alkalmazott_nev") << QStringLiteral("alkalmazott") << QStringLiteral("alkalmazott_nev");
}

void TestSchema::demoSortKeysFoldLikeTheProgram()
{
    QFETCH(QString, table);
    QFETCH(QString, marked);
    Db db(m_demoPath);
    const auto rows = db.rows(QStringLiteral("SELECT %2, %2s FROM %1").arg(table, marked));
    QVERIFY(!rows.isEmpty());
    int filled = 0;
    for (const QVariantList &row : rows) {
        const QString text = Db::text(row.at(0));
        QCOMPARE(Db::text(row.at(1)), SortKeyOf(text.left(20)));
        filled += text.isEmpty() ? 0 : 1;
    }
    QVERIFY(filled > 0);
}

void TestSchema::demoTextsAreWindows1250()
{
    Db db(m_demoPath);
    // Known rows: accents folded, keys cut at 20 characters.
    const auto keyOf = [&](const QString &name) {
        return Db::text(db.value(QStringLiteral("SELECT ugyfel_nevs FROM ugyfel WHERE ugyfel_nev='%1'").arg(name)));
    };
    QCOMPARE(keyOf(QStringLiteral("Ásvány Kft.")), QStringLiteral("ASVANY KFT."));
    QCOMPARE(keyOf(QStringLiteral("Őrségi Fafeldolgozó Kft.")), QStringLiteral("ORSEGI FAFELDOLGOZO "));
    QCOMPARE(keyOf(QStringLiteral("Nyírségi Almatermelők Szövetkezete")), QStringLiteral("NYIRSEGI ALMATERMELO"));
    const QByteArray raw = db.value(QStringLiteral("SELECT ugyfel_nev FROM ugyfel WHERE ugyfel_nevs='ASVANY KFT.'"))
                               .toByteArray();
    QCOMPARE(raw, QByteArray("\xC1sv\xE1ny Kft."));

    // No text anywhere may be stored as UTF-8: a cell with bytes above 0x7F
    // must not decode as UTF-8 (Hungarian text in Windows-1250 never does).
    int accented = 0;
    for (const QString &table : expectedSchema().keys()) {
        for (const QVariantList &row : db.rows(QStringLiteral("SELECT * FROM %1").arg(table))) {
            for (const QVariant &cell : row) {
                const QByteArray bytes = cell.toByteArray();
                if (cell.typeId() != QMetaType::QByteArray
                    || std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
                    continue;
                ++accented;
                QStringDecoder utf8(QStringDecoder::Utf8);
                const QString decoded = utf8(bytes);
                QVERIFY2(utf8.hasError(), qPrintable(table + QStringLiteral(": ") + decoded));
            }
        }
    }
    QVERIFY(accented > 100);
}

void TestSchema::demoTasks()
{
    Db db(m_demoPath);
    const auto distinct = [&](const QString &column) {
        QSet<qlonglong> values;
        for (const QVariantList &row : db.rows(QStringLiteral("SELECT DISTINCT %1 FROM dolog3").arg(column)))
            values.insert(row.first().toLongLong());
        return values;
    };
    QCOMPARE(distinct(QStringLiteral("statusz")), (QSet<qlonglong>{0, 1, 2, 3}));
    QCOMPARE(distinct(QStringLiteral("fontos")), (QSet<qlonglong>{0, 1, 2, 3}));

    // Status and done flag are coupled: received and in progress are open,
    // done and rejected are closed with the day they were closed.
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM dolog3 WHERE statusz IN (0,1) AND "
                                     "(kesz IS NOT 'N' OR dat_kesz IS NOT NULL)")), 0);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM dolog3 WHERE statusz IN (2,3) AND "
                                     "(kesz IS NOT 'I' OR dat_kesz IS NULL)")), 0);
    const qlonglong open = db.count(QStringLiteral("SELECT COUNT(*) FROM dolog3 WHERE kesz='N'"));
    const qlonglong done = db.count(QStringLiteral("SELECT COUNT(*) FROM dolog3 WHERE kesz='I'"));
    QVERIFY(done > 0);
    QVERIFY(open > 2 * done);

    const QString today = m_today.toString(Qt::ISODate);
    QVERIFY(db.count(QStringLiteral("SELECT COUNT(*) FROM dolog3 WHERE kesz='N' AND dat_hatid < '%1'").arg(today)) > 0);
    QVERIFY(db.count(QStringLiteral("SELECT COUNT(*) FROM dolog3 WHERE kesz='N' AND dat_hatid >= '%1'").arg(today)) > 0);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM dolog3 WHERE datum > '%1' OR dat_kesz > '%1' "
                                     "OR dat_hatid < datum OR dat_kesz < datum").arg(today)), 0);
    // The work log belongs to existing tasks and starts when they came in.
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM munka m LEFT JOIN dolog3 d ON d.dolog3=m.feladat "
                                     "WHERE d.dolog3 IS NULL OR m.datum < d.datum OR m.datum > '%1'").arg(today)), 0);
}

void TestSchema::demoCalendar()
{
    Db db(m_demoPath);
    for (const QVariantList &row : db.rows(QStringLiteral("SELECT datum, datumstr, ora, kesz, dat_kesz FROM dolog1"))) {
        const QDate day = QDate::fromString(Db::text(row.at(0)), Qt::ISODate);
        QVERIFY(day.isValid());
        QCOMPARE(Db::text(row.at(1)), day.toString(QStringLiteral("yyyyMMdd")));
        QVERIFY(row.at(2).toInt() >= 8 && row.at(2).toInt() <= 17);
        const bool done = Db::text(row.at(3)) == u"I";
        QVERIFY(done || Db::text(row.at(3)) == u"N");
        QCOMPARE(row.at(4).isValid(), done);
        QVERIFY(!done || day < m_today);
    }
    // Entries every day from a week back to two weeks ahead, several on
    // working days, never two in one hour of a day.
    for (int offset = -7; offset <= 14; ++offset) {
        const QDate day = m_today.addDays(offset);
        const qlonglong n = db.count(QStringLiteral("SELECT COUNT(*) FROM dolog1 WHERE datumstr=%1")
                                         .arg(day.toString(QStringLiteral("yyyyMMdd"))));
        QVERIFY2(n >= (day.dayOfWeek() <= 5 ? 2 : 1), qPrintable(day.toString(Qt::ISODate)));
    }
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM (SELECT datumstr, ora FROM dolog1 "
                                     "GROUP BY datumstr, ora HAVING COUNT(*) > 1)")), 0);
}

void TestSchema::demoLinksAndCopiedNames()
{
    Db db(m_demoPath);
    // Copied names equal the linked record's name; no link points nowhere.
    for (const char *table : {"dolog3", "dolog1"}) {
        for (const char *master : {"ugyfel", "termek", "projekt"}) {
            const QString t = QString::fromLatin1(table), m = QString::fromLatin1(master);
            QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM %1 t LEFT JOIN %2 m ON m.%2=t.%2 "
                                             "WHERE (t.%2 IS NULL) <> (t.%2_nev IS NULL) "
                                             "OR (t.%2 IS NOT NULL AND m.%2_nev IS NOT t.%2_nev)").arg(t, m)), 0);
            QVERIFY(db.count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 IS NOT NULL").arg(t, m)) > 0);
        }
    }
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM alkalmazott WHERE ugyfel NOT IN (SELECT ugyfel FROM ugyfel)")), 0);

    // Comments and documents: exactly one owner, its name kept in azonstr,
    // and the owner's flag says it has some.
    for (const char *table : {"megjegyzes", "doksi"}) {
        const QString t = QString::fromLatin1(table);
        QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE "
                                         "(ugyfel IS NOT NULL) + (termek IS NOT NULL) + (projekt IS NOT NULL) <> 1").arg(t)), 0);
        for (const char *master : {"ugyfel", "termek", "projekt"}) {
            const QString m = QString::fromLatin1(master);
            QVERIFY(db.count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 IS NOT NULL").arg(t, m)) > 0);
            QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM %1 t LEFT JOIN %2 m ON m.%2=t.%2 "
                                             "WHERE t.%2 IS NOT NULL AND m.%2_nev IS NOT t.azonstr").arg(t, m)), 0);
        }
    }
    for (const char *master : {"ugyfel", "termek", "projekt"}) {
        const QString m = QString::fromLatin1(master);
        QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE vanmegj IS NOT "
                                         "(CASE WHEN %1 IN (SELECT %1 FROM megjegyzes UNION SELECT %1 FROM doksi) "
                                         "THEN 'I' ELSE 'N' END)").arg(m)), 0);
        QVERIFY(db.count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE vanmegj='I'").arg(m)) > 0);
    }

    // Open and closed projects; only closed ones have a closing day.
    QVERIFY(db.count(QStringLiteral("SELECT COUNT(*) FROM projekt WHERE lezarva='N' AND dat_lezar IS NULL")) >= 2);
    QVERIFY(db.count(QStringLiteral("SELECT COUNT(*) FROM projekt WHERE lezarva='I' AND dat_lezar >= dat_indul")) >= 1);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM projekt WHERE lezarva NOT IN ('I','N') "
                                     "OR (lezarva='N') <> (dat_lezar IS NULL)")), 0);
    // Open tasks are not left on closed projects.
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM dolog3 d JOIN projekt p ON p.projekt=d.projekt "
                                     "WHERE d.kesz='N' AND p.lezarva='I'")), 0);
}

void TestSchema::demoDatesAreStoredForms()
{
    Db db(m_demoPath);
    int dates = 0;
    for (const QString &table : expectedSchema().keys()) {
        for (const auto &[column, type] : db.tableInfo(table)) {
            if (type.compare(u"date", Qt::CaseInsensitive) != 0)
                continue;
            for (const QVariantList &row : db.rows(QStringLiteral("SELECT %1 FROM %2").arg(column, table))) {
                if (!row.first().isValid())
                    continue;
                const QString text = Db::text(row.first());
                QVERIFY2(row.first().typeId() == QMetaType::QByteArray && text.size() == 10
                             && QDate::fromString(text, QStringLiteral("yyyy-MM-dd")).isValid(),
                         qPrintable(table + QLatin1Char('.') + column + QStringLiteral(": ") + text));
                ++dates;
            }
        }
    }
    QVERIFY(dates > 100);
}

void TestSchema::demoIsReproducible()
{
    // A leap day, so that day arithmetic around month ends is exercised too.
    const QStringList day{QStringLiteral("--demo"), QStringLiteral("--today"), QStringLiteral("2024-02-29")};
    const QString first = path(QStringLiteral("first.sqb")), second = path(QStringLiteral("second.sqb"));
    QCOMPARE(runMkdb(QStringList{first} + day).exitCode, 0);
    QCOMPARE(runMkdb(QStringList{second} + day).exitCode, 0);
    Db a(first), b(second);
    for (const QString &table : expectedSchema().keys()) {
        const QString sql = QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table);
        QCOMPARE(a.rows(sql), b.rows(sql));
    }
}


void TestSchema::catalogueAgreesWithSchemaAndTool()
{
    // The hand-written schema above, the catalogue and the tool's database agree.
    const QMap<QString, QStringList> expected = expectedSchema();
    QStringList names;
    for (const zdb::TableDecl &t : zdb::Catalogue()) {
        names << t.name;
        QStringList columns;
        for (const zdb::FieldDef &f : t.fields)
            columns << f.name + QLatin1Char(' ') + zdb::TableDecl::declaredType(f);
        QCOMPARE(columns, expected.value(t.name));
    }
    names.sort();
    QCOMPARE(names, QStringList(expected.keys()));

    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(m_emptyPath).constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    QCOMPARE(zdb::CatalogueDifferences(db), QStringList());
    sqlite3_close(db);

    // A database that differs is reported, table and column named.
    const QString altered = path(QStringLiteral("altered.sqb"));
    QVERIFY(QFile::copy(m_emptyPath, altered));
    QVERIFY(QFile::setPermissions(altered, QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(sqlite3_open(QFile::encodeName(altered).constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "DROP TABLE doksi; ALTER TABLE munka ADD COLUMN extra integer;", nullptr, nullptr, nullptr);
    const QStringList differences = zdb::CatalogueDifferences(db);
    sqlite3_close(db);
    QCOMPARE(differences.size(), 2);
    QVERIFY(differences.at(0).startsWith(QStringLiteral("munka column 6")));
    QVERIFY(differences.at(1).startsWith(QStringLiteral("doksi")));

    // Sort keys and flags as the record conventions list them.
    auto keys = [](const QString &table) {
        QStringList k;
        for (const zdb::SortKeyDecl &d : zdb::CatalogueTable(table).sortKeys)
            k << d.source + QLatin1Char('>') + d.key;
        return k.join(QLatin1Char(' '));
    };
    QCOMPARE(keys(QStringLiteral("dolog1")),
             QStringLiteral("rovid>rovids ugyfel_nev>ugyfel_nevs termek_nev>termek_nevs projekt_nev>projekt_nevs"));
    QCOMPARE(keys(QStringLiteral("ugyfel")), QStringLiteral("ugyfel_nev>ugyfel_nevs kapcsolattarto>kapcsolattartos"));
    QCOMPARE(keys(QStringLiteral("termek")), QStringLiteral("termek_nev>termek_nevs kategoria>kategorias"));
    QCOMPARE(keys(QStringLiteral("alkalmazott")), QStringLiteral("alkalmazott_nev>alkalmazott_nevs"));
    QCOMPARE(keys(QStringLiteral("jegyzet")), QString());
    QCOMPARE(zdb::CatalogueTable(QStringLiteral("projekt")).flags,
             (QStringList{QStringLiteral("lezarva"), QStringLiteral("vanmegj")}));
    QVERIFY(zdb::CatalogueTable(QStringLiteral("felhasznalo")).idField.isEmpty());
}

void TestSchema::catalogueBeforeSaveRule()
{
    const QString file = path(QStringLiteral("rules.sqb"));
    QVERIFY(QFile::copy(m_emptyPath, file));
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
    zdb::Connection conn;
    conn.setPath(file);
    conn.open();
    conn.executeDirect(QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev, vanmegj) VALUES (7, 'x', 'I')"));

    zdb::Table tbl(&conn);
    zdb::UseCatalogue(tbl, QStringLiteral("ugyfel"));
    tbl.setOrder(QStringLiteral("ugyfel"));
    tbl.open();
    tbl.insert();
    tbl.setValue(QStringLiteral("ugyfel_nev"), QStringLiteral("Ásvány Kft. és társa, Budapest"));
    tbl.post();
    // Identifier after the largest, comment flag "N", keys of the first 20 characters.
    QCOMPARE(tbl.value(QStringLiteral("ugyfel")).toInt(), 8);
    QCOMPARE(tbl.text(QStringLiteral("vanmegj")), QStringLiteral("N"));
    QCOMPARE(tbl.text(QStringLiteral("ugyfel_nevs")), SortKeyOf(QStringLiteral("Ásvány Kft. és társa")));
    QCOMPARE(tbl.text(QStringLiteral("kapcsolattartos")), QString());
    // A set identifier and flag are kept; the key follows a changed name.
    QVERIFY(tbl.locate(QStringLiteral("ugyfel"), 7));
    tbl.edit();
    tbl.setValue(QStringLiteral("ugyfel_nev"), QStringLiteral("Zöld"));
    tbl.post();
    QCOMPARE(tbl.value(QStringLiteral("ugyfel")).toInt(), 7);
    QCOMPARE(tbl.text(QStringLiteral("vanmegj")), QStringLiteral("I"));
    QCOMPARE(tbl.text(QStringLiteral("ugyfel_nevs")), QStringLiteral("ZOLD"));

    // A calendar entry gets its day key, and cannot be stored without a day.
    zdb::Table cal(&conn);
    zdb::UseCatalogue(cal, QStringLiteral("dolog1"));
    cal.open();
    cal.insert();
    cal.setValue(QStringLiteral("datum"), QDate(2026, 3, 4));
    cal.post();
    QCOMPARE(cal.text(QStringLiteral("datumstr")), QStringLiteral("20260304"));
    cal.insert();
    QVERIFY_THROWS_EXCEPTION(zdb::Error, cal.post());
    cal.cancel();
}

// The table finds its rule itself: a record set that never asked for it
// still gives identifiers, flags and keys, and a rename of many rows at once
// moves the sort key with the name, its values bound.
void TestSchema::beforeSaveRuleFollowsEveryWrite()
{
    const QString file = path(QStringLiteral("everywrite.sqb"));
    QVERIFY(QFile::copy(m_emptyPath, file));
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
    zdb::Connection conn;
    conn.setPath(file);
    conn.open();

    zdb::Table bare(&conn, QStringLiteral("ugyfel"));
    zdb::DeclareFields(bare, QStringLiteral("ugyfel"));
    bare.open();
    bare.insert();
    bare.setValue(QStringLiteral("ugyfel_nev"), QStringLiteral("Ásvány"));
    bare.post();
    QCOMPARE(bare.value(QStringLiteral("ugyfel")).toInt(), 1);
    QCOMPARE(bare.text(QStringLiteral("vanmegj")), QStringLiteral("N"));
    QCOMPARE(bare.text(QStringLiteral("ugyfel_nevs")), SortKeyOf(QStringLiteral("Ásvány")));

    conn.executeDirect(QStringLiteral("INSERT INTO dolog3 (dolog3, ugyfel, ugyfel_nev, ugyfel_nevs) VALUES"
                                      " (1, 5, 'Régi', 'REGI'), (2, 6, 'Más', 'MAS'), (3, 5, 'Régi', 'REGI')"));
    const QString name = QStringLiteral("Ó'Brien ? :nev és társa, nagyon hosszú név");
    QCOMPARE(zdb::UpdateWhere(&conn, QStringLiteral("dolog3"), {{QStringLiteral("ugyfel_nev"), name}},
                              QStringLiteral("ugyfel=?"), {5}),
             2);
    zdb::Query q(&conn, QStringLiteral("SELECT dolog3, ugyfel_nev, ugyfel_nevs FROM dolog3 ORDER BY dolog3"));
    q.open();
    QStringList rows;
    for (; !q.eof(); q.next())
        rows << q.text(QStringLiteral("ugyfel_nev")) + QLatin1Char('|') + q.text(QStringLiteral("ugyfel_nevs"));
    const QString cut = name.left(zdb::CatalogueTable(QStringLiteral("dolog3")).find(QStringLiteral("ugyfel_nev"))->size);
    const QString key = SortKeyOf(name.left(20));
    QCOMPARE(rows, (QStringList{cut + QLatin1Char('|') + key, QStringLiteral("Más|MAS"), cut + QLatin1Char('|') + key}));

    // A field the table does not have is refused before anything is written.
    QVERIFY_THROWS_EXCEPTION(zdb::Error, zdb::UpdateWhere(&conn, QStringLiteral("dolog3"),
                                                          {{QStringLiteral("nincs"), 1}}, {}, {}));
}

// The maker writes through the program's row writer and rule: no demo row is
// one that a post from the program would store differently.
void TestSchema::demoRowsAreStoredAsTheProgramWouldStoreThem()
{
    zdb::Connection conn;
    conn.setPath(m_demoPath);
    conn.open();
    int rows = 0;
    for (const zdb::TableDecl &t : zdb::Catalogue()) {
        zdb::Table tbl(&conn);
        zdb::UseCatalogue(tbl, t.name);
        tbl.open();
        rows += tbl.recordCount();
        QCOMPARE(zdb::RowsBeforeSaveWouldChange(tbl, t), QList<int>());
    }
    QVERIFY(rows > 100);
}

// The link kinds name real columns: the master's identifier and name, the
// link column of every linking table and the copied, sort-keyed name in
// tasks and calendar entries.
void TestSchema::catalogueLinks()
{
    struct Expected
    {
        int kind;
        const char *table, *id, *name, *closed;
    };
    const Expected expected[] = {{zdb::LinkCustomer, "ugyfel", "ugyfel", "ugyfel_nev", ""},
                                 {zdb::LinkProduct, "termek", "termek", "termek_nev", ""},
                                 {zdb::LinkProject, "projekt", "projekt", "projekt_nev", "lezarva"}};
    auto hasSortKey = [](const zdb::TableDecl &t, const QString &source) {
        for (const zdb::SortKeyDecl &k : t.sortKeys)
            if (k.source == source && t.find(k.key))
                return true;
        return false;
    };
    for (const Expected &e : expected) {
        const zdb::LinkDecl &link = zdb::CatalogueLink(e.kind);
        QCOMPARE(link.table, QString::fromLatin1(e.table));
        QCOMPARE(link.idField, QString::fromLatin1(e.id));
        QCOMPARE(link.nameField, QString::fromLatin1(e.name));
        QCOMPARE(link.closedFlag, QString::fromLatin1(e.closed));

        const zdb::TableDecl &master = zdb::CatalogueTable(link.table);
        QCOMPARE(master.idField, link.idField);
        QVERIFY(hasSortKey(master, link.nameField));
        if (!link.closedFlag.isEmpty())
            QVERIFY(master.flags.contains(link.closedFlag));
        for (const char *linking : {"dolog3", "dolog1", "megjegyzes", "doksi"}) {
            const zdb::FieldDef *column = zdb::CatalogueTable(QString::fromLatin1(linking)).find(link.idField);
            QVERIFY2(column && column->kind == zdb::FieldKind::Integer, linking);
        }
        for (const char *copying : {"dolog3", "dolog1"})
            QVERIFY2(hasSortKey(zdb::CatalogueTable(QString::fromLatin1(copying)), link.nameField), copying);
    }
    // An unknown kind falls back to the customer, as the callers always did.
    QCOMPARE(zdb::CatalogueLink(7).table, QStringLiteral("ugyfel"));
    QCOMPARE(zdb::CatalogueLink(-1).table, QStringLiteral("ugyfel"));
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"

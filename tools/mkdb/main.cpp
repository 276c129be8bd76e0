// zentavo-mkdb: makes a new Zentavo database file, or the tables of a new
// PostgreSQL database, with every table, optionally filled with demo data.
// The program itself never creates a database.
//
//   zentavo-mkdb PATH|postgresql://... [--demo]
//   zentavo-mkdb --from SOURCE PATH|postgresql://...
//       copies every table of an existing database (file or server) into the
//       new one, in one transaction, with a progress line
//
// Exit codes: 0 done, 1 the file exists or could not be made, 2 bad arguments.

#include "tools/mkdb/dbwriter.h"
#include "tools/mkdb/demodata.h"
#include "db/serverschema.h"

#include "db/catalog.h"
#include "db/connection.h"
#include "db/dbcopy.h"
#include "db/dberror.h"
#include "db/pgsession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <sqlite3.h>

namespace {

void complain(const QString &message)
{
    QTextStream(stderr) << message << Qt::flush;
}

QString schemaText()
{
    QFile file(QStringLiteral(":/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw zdb::Error(QStringLiteral("a beépített séma hiányzik"));
    return QString::fromUtf8(file.readAll());
}

// Copies the office's database at `source` into the new one at `path`.
void copyFrom(const QString &source, const QString &path)
{
    zdb::Connection from;
    from.defaultExt.clear();
    from.setPath(source);
    from.mustExist = true;
    from.open();
    zdb::Connection to;
    to.defaultExt.clear();
    to.setPath(path);
    to.open();
    QTextStream err(stderr);
    zdb::CopyDatabase(from, to, schemaText(), [&err](const QString &table, qint64 rows) {
        err << QStringLiteral("\r%1: %2 sor      ").arg(table).arg(rows) << Qt::flush;
    });
    err << QLatin1Char('\n') << Qt::flush;
    to.close();
    from.close();
}

// Builds the database in the (new, empty) file: schema and rows in one
// transaction, so a failure leaves nothing half-written behind.
void build(const QString &path, bool demo, const QDate &today)
{
    zdb::Connection connection;
    connection.defaultExt.clear();   // the file made for it, whatever its name
    connection.setPath(path);
    connection.open();
    try {
        mkdb::Writer writer(connection);
        writer.execute(QStringLiteral("BEGIN"));
        if (connection.isServer()) {
            writer.execute(zdb::serverSchema(schemaText()));
        } else {
            writer.execute(schemaText());
            // The rows below are written by the catalogue's rules: the tables
            // must be the ones it describes.
            const QStringList differences = zdb::CatalogueDifferences(connection.handle());
            if (!differences.isEmpty())
                throw zdb::Error(differences.join(QLatin1Char('\n')));
        }
        if (demo)
            mkdb::fillDemo(writer, today);
        writer.execute(QStringLiteral("COMMIT"));
    } catch (...) {
        connection.close();            // an open transaction is rolled back
        throw;
    }
    connection.close();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zentavo-mkdb"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Új Zentavo adatbázisfájlt készít az összes táblával. Létező fájlt nem ír felül."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("az új adatbázisfájl, például Zentavo.sqb"));
    const QCommandLineOption demoOption(QStringLiteral("demo"),
        QStringLiteral("mintaadatokkal tölti fel: egy kis iroda ügyfelei, termékei, projektjei, "
                       "feladatai és naptára a mai nap körül"));
    parser.addOption(demoOption);
    const QCommandLineOption fromOption(QStringLiteral("from"),
        QStringLiteral("egy meglévő adatbázis (fájl vagy kiszolgáló) minden tábláját átmásolja az újba, egy tranzakcióban"),
        QStringLiteral("forrás"));
    parser.addOption(fromOption);
    // Pins "today" of the demo data, for reproducible files and screenshots.
    QCommandLineOption todayOption(QStringLiteral("today"), QStringLiteral("a mintaadatok mai napja"),
                                   QStringLiteral("yyyy-mm-dd"));
    todayOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(todayOption);

    if (!parser.parse(QCoreApplication::arguments())) {
        complain(parser.errorText() + QLatin1Char('\n') + parser.helpText());
        return 2;
    }
    if (parser.isSet(helpOption)) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    const QStringList paths = parser.positionalArguments();
    if (paths.size() != 1 || paths.first().isEmpty() || (parser.isSet(fromOption) && parser.isSet(demoOption))) {
        complain(parser.helpText());
        return 2;
    }
    QDate today = QDate::currentDate();
    if (parser.isSet(todayOption)) {
        today = QDate::fromString(parser.value(todayOption), Qt::ISODate);
        if (!today.isValid()) {
            complain(QStringLiteral("Érvénytelen dátum: %1\n").arg(parser.value(todayOption)));
            return 2;
        }
    }

    const QString path = paths.first();
    if (zdb::isServerAddress(path)) {
        // A server database: its tables are made in one transaction, so one
        // that already holds them refuses the second set and keeps its own.
        try {
            if (parser.isSet(fromOption))
                copyFrom(parser.value(fromOption), path);
            else
                build(path, parser.isSet(demoOption), today);
        } catch (const zdb::Error &e) {
            complain(QStringLiteral("Az adatbázis nem készült el: %1\n").arg(e.message()));
            return 1;
        }
        QTextStream(stdout) << QStringLiteral("Elkészült: %1%2\n")
                                   .arg(path, parser.isSet(demoOption) ? QStringLiteral(" (mintaadatokkal)") : QString());
        return 0;
    }
    const QFileInfo info(path);
    // NewOnly creates the file only if nothing is there (not even a dangling
    // link), so an existing database can never be overwritten.
    QFile file(path);
    if (info.exists() || info.isSymLink() || !file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            complain(QStringLiteral("A fájl már létezik, nem írom felül: %1\n").arg(path));
        else
            complain(QStringLiteral("A fájl nem hozható létre: %1 (%2)\n").arg(path, file.errorString()));
        return 1;
    }
    file.close();

    try {
        if (parser.isSet(fromOption))
            copyFrom(parser.value(fromOption), path);
        else
            build(path, parser.isSet(demoOption), today);
    } catch (const zdb::Error &e) {
        // The file is ours and incomplete: take it away with its journal.
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        complain(QStringLiteral("Az adatbázis nem készült el: %1\n").arg(e.message()));
        return 1;
    }
    QTextStream(stdout) << QStringLiteral("Elkészült: %1%2\n")
                               .arg(path, parser.isSet(demoOption) ? QStringLiteral(" (mintaadatokkal)") : QString());
    return 0;
}

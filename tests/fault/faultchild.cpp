// A program the fault tests start and kill with SIGKILL in the middle of its
// work. It writes through the program's own code and says on standard output
// what it has finished, one line each, so the test knows what must survive.
//   faultchild post DB          posts notes one by one, printing each id
//   faultchild delimited DB OUT exports the notes as delimited text, again and again
//   faultchild html DB OUT      writes the notes' grid as an HTML page, again and again
//   faultchild csvimport DB CSV loads a customer file into the customer list, again
//                               and again: round r writes CSV anew with kImportLines
//                               lines, odd line j updating the existing code (j+1)/2,
//                               even line j adding the code r*100000 + j/2, each with
//                               the telephone "06-r"; "loading r" every 1000 lines
//   faultchild holdjournal DB   changes every customer in one transaction with a small
//                               cache, so the file is written before the commit, says
//                               "spilled 1" and waits, the transaction open
//   faultchild copies DB DIR    takes restore copies into DIR, again and again
//   faultchild restores DB A B  puts the copies A and B in the place of DB, in turn
// A second desk on the same file:
//   faultchild store DB TABLE ID FIELD VALUE   stores one field of the row with that
//                               identifier through a list's record set, "stored 1"
//   faultchild delete DB TABLE ID              deletes that row, "deleted 1"
//   faultchild insert DB TABLE FIELD VALUE ...  adds one row with those fields through a
//                               record set (identifier given by the layer), "inserted ID"
//   faultchild add DB N         adds N tasks (through a record set) and N customers
//                               (through the customer editor, code proposed), "added i"
//   faultchild lock DB          takes the write lock and changes a note, says
//                               "locked 1", and lets go when a line comes on its
//                               standard input, "released 1"

#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/core/restorecopies.h"
#include "app/helpers/testhooks.h"
#include "db/backup.h"
#include "db/catalog.h"
#include "db/connection.h"
#include "db/dberror.h"
#include "db/recordset.h"
#include "masterdata/csvload.h"
#include "masterdata/customereditor.h"
#include "app/delimitedexportdialog.h"
#include "output/delimitedexport.h"
#include "output/htmlexport.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kImportLines = 6000;

void say(const char *what, long long n)
{
    std::printf("%s %lld\n", what, n);
    std::fflush(stdout);
}

void writeCustomerFile(const QString &path, int round)
{
    QByteArray bytes = "ugyfelkod;ugyfel_nev;telefon\r\n";
    for (int j = 1; j <= kImportLines; ++j) {
        if (j % 2)
            bytes += QByteArray::number((j + 1) / 2) + ";;06-" + QByteArray::number(round) + "\r\n";
        else
            bytes += QByteArray::number(round * 100000 + j / 2) + ";Uj ugyfel " + QByteArray::number(j) + ";06-"
                + QByteArray::number(round) + "\r\n";
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw zdb::Error(QStringLiteral("cannot write %1").arg(path));
}

// The import as the dialog runs it: the whole file read, its header as the
// column list, one load.
csvimport::Outcome importFile(zdb::Table &customers, const QString &path, int round)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw zdb::Error(QStringLiteral("cannot read %1").arg(path));
    const csvimport::FileLines lines(f.readAll());
    return csvimport::Load(customers, csvimport::CustomerImport(), csvimport::ColumnsFromHeader(lines.line(0)), lines,
                           [round](int line) {
                               if (line % 1000 == 0)
                                   say("loading", round);
                           });
}

} // namespace

int run(int argc, char **argv);

int main(int argc, char **argv)
{
    try {
        return run(argc, argv);
    } catch (const zdb::Error &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
}

int run(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString mode = QString::fromLocal8Bit(argv[1]);
    testhooks::setAutomatic(true);
    const QString dbPath = QString::fromLocal8Bit(argv[2]);
    if (mode == u"restores") {
        // No connection: a restore replaces the file of a closed database.
        if (argc < 5)
            return 2;
        const QString copies[] = {QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4])};
        for (int i = 1;; ++i) {
            say("restoring", i);
            zdb::ReplaceDatabaseFile(copies[i % 2], dbPath);
            say("restored", i);
        }
    }
    zdb::Connection db;
    db.setPath(QString::fromLocal8Bit(argv[2]));
    // Longer than the program's wait: a loaded test machine must not turn
    // the other program's turn into a failure.
    db.timeOut = 30000;
    db.open();
    Shared().Db1 = &db;
    zdb::Table notes(&db);
    zdb::UseCatalogue(notes, QStringLiteral("jegyzet"));
    notes.setOrder(QStringLiteral("jegyzet"));
    notes.open();
    const int rounds = argc > 4 ? QString::fromLocal8Bit(argv[4]).toInt() : 1000000;

    if (mode == u"holdjournal") {
        db.executeDirect(QStringLiteral("PRAGMA cache_size = 5; BEGIN; UPDATE ugyfel SET telefon = 'félbehagyott ' || ugyfel;"));
        say("spilled", 1);
        for (;;)
            QThread::sleep(1);
    }
    if (mode == u"lock") {
        db.executeDirect(QStringLiteral("BEGIN IMMEDIATE; UPDATE jegyzet SET rovid = 'másik munkahely';"));
        say("locked", 1);
        char line[64];
        if (!std::fgets(line, sizeof line, stdin))
            return 3;
        db.executeDirect(QStringLiteral("COMMIT"));
        say("released", 1);
        return 0;
    }
    if (mode == u"store" || mode == u"delete") {
        if (argc < 5)
            return 2;
        const QString table = QString::fromLocal8Bit(argv[3]);
        const zdb::TableDecl &decl = zdb::CatalogueTable(table);
        zdb::Table rows(&db);
        zdb::UseCatalogue(rows, decl.name);
        rows.open();
        if (!rows.locate(decl.idField, QString::fromLocal8Bit(argv[4]).toInt()))
            return 4;
        if (mode == u"delete") {
            rows.remove();
            say("deleted", 1);
            return 0;
        }
        if (argc < 7)
            return 2;
        rows.edit();
        rows.setValue(QString::fromLocal8Bit(argv[5]), QString::fromLocal8Bit(argv[6]));
        rows.post();
        say("stored", 1);
        return 0;
    }
    if (mode == u"insert") {
        if (argc < 6 || argc % 2 != 0)
            return 2;
        const zdb::TableDecl &decl = zdb::CatalogueTable(QString::fromLocal8Bit(argv[3]));
        zdb::Table rows(&db);
        zdb::UseCatalogue(rows, decl.name);
        rows.open();
        rows.insert();
        for (int i = 4; i + 1 < argc; i += 2)
            rows.setValue(QString::fromLocal8Bit(argv[i]), QString::fromLocal8Bit(argv[i + 1]));
        rows.post();
        say("inserted", rows.value(decl.idField).toLongLong());
        return 0;
    }
    if (mode == u"add") {
        zdb::Table tasks(&db), customers(&db);
        zdb::UseCatalogue(tasks, QStringLiteral("dolog3"));
        zdb::UseCatalogue(customers, QStringLiteral("ugyfel"));
        tasks.open();
        customers.open();
        const int count = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 1;
        for (int i = 1; i <= count; ++i) {
            tasks.insert();
            tasks.setValue(QStringLiteral("rovid"), QStringLiteral("feladat %1").arg(i));
            tasks.post();
            // The editor proposes the next code when it opens; the other desk
            // may store a customer before this one presses OK.
            testhooks::onNextDialog([i](QDialog *d) {
                d->findChild<QLineEdit *>(QStringLiteral("edNev"))->setText(QStringLiteral("Ügyfél %1").arg(i));
                QThread::msleep(2);
                d->findChild<QPushButton *>(QStringLiteral("btOK"))->click();
            });
            if (!EditCustomer(&customers, true))
                return 5;
            say("added", i);
        }
        return 0;
    }
    if (mode == u"post") {
        for (int i = 0; i < rounds; ++i) {
            notes.insert();
            notes.setValue(QStringLiteral("rovid"), QStringLiteral("ütközésálló %1").arg(i));
            notes.setValue(QStringLiteral("szoveg"), QString(2000, QLatin1Char('x')));
            notes.post();
            say("posted", notes.value(QStringLiteral("jegyzet")).toLongLong());
        }
        return 0;
    }
    if (argc < 4)
        return 2;
    const QString out = QString::fromLocal8Bit(argv[3]);
    if (mode == u"copies") {
        SetRestoreCopyFolder(out);
        for (int i = 1; i <= rounds; ++i) {
            say("copying", i);
            MakeRestoreCopy(&db, CopyCause::Import);
            say("copied", i);
        }
        return 0;
    }
    if (mode == u"csvimport") {
        zdb::Table customers(&db);
        zdb::UseCatalogue(customers, QStringLiteral("ugyfel"));
        customers.setOrder(QStringLiteral("ugyfel_nevs"));
        customers.open();
        for (int round = 1; round <= rounds; ++round) {
            writeCustomerFile(out, round);
            const csvimport::Outcome outcome = importFile(customers, out, round);
            if (!outcome.error.isEmpty())
                throw zdb::Error(outcome.error);
            say("loaded", round);
        }
        return 0;
    }
    if (mode == u"delimited") {
        Tfrm_Excelbe dialog(&notes);
        dialog.setFileName(out);
        // Ticks while the export looks at the user interface, so the test
        // can strike in the middle of a file.
        QTimer tick;
        int ticks = 0;
        QObject::connect(&tick, &QTimer::timeout, [&ticks] { say("writing", ++ticks); });
        tick.start(0);
        for (int i = 0; i < rounds; ++i) {
            dialog.startExport();
            say("exported", i + 1);
        }
        return 0;
    }
    if (mode == u"html") {
        DataGrid grid;
        grid.resize(800, 400);
        GridColumn rovid;
        rovid.field = QStringLiteral("rovid");
        rovid.title = QStringLiteral("rövid");
        rovid.width = 300;
        GridColumn szoveg = rovid;
        szoveg.field = QStringLiteral("szoveg");
        szoveg.title = QStringLiteral("szöveg");
        grid.setRecordSet(&notes, {rovid, szoveg});
        for (int i = 0; i < rounds; ++i) {
            WriteGridHtml(grid.shape(), QStringLiteral("Jegyzetek"), QString(), out);
            say("exported", i + 1);
        }
        return 0;
    }
    return 2;
}

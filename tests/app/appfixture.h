#pragma once

// Shared set-up of the application tests: a program folder in a temporary
// directory, automatic dialogs, and a main window started on a database.

#include "app/helpers/appcore.h"
#include "app/application.h"
#include "app/helpers/helpers.h"
#include "app/mainwindow.h"
#include "tests/common/pgtest.h"
#include "tests/common/testenv.h"
#include "db/dbcopy.h"
#include "db/serverschema.h"
#include "app/helpers/testhooks.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTest>
#include <memory>

struct AppFixture
{
    QTemporaryDir dir;
    std::unique_ptr<Tfrm_Main> main;

    AppFixture()
    {
        SetProgramDir(dir.path());
        testhooks::reset();
        testhooks::setAutomatic(true);
        Beall() = TBeall{};
    }
    ~AppFixture()
    {
        main.reset();
        testhooks::reset();
    }
    QString path(const QString &rel) const { return dir.filePath(rel); }
    // The file, or on a server run the connection string of a database of
    // this fixture's own.
    QString dbPath() const { return m_server.isEmpty() ? path(QStringLiteral("Zentavo.sqb")) : m_server; }
    void makeDb(const QString &extraSql = {})
    {
        if (testenv::onServer()) {
            static int made = 0;
            m_server = makeServerDb(QStringLiteral("zt_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made));
            if (!extraSql.isEmpty())
                testenv::execSql(dbPath(), extraSql);
            return;
        }
        testenv::makeDatabase(dbPath());
        if (!extraSql.isEmpty())
            testenv::execSql(dbPath(), extraSql);
    }
    // The program's database on the test run's server instead of a file: a
    // fresh database `name` with every table, named in the ini file. Empty
    // when the run has no server; else its connection string.
    QString makeServerDb(const QString &name, const QString &extraSql = {})
    {
        if (pgtest::baseAddress().isEmpty())
            return {};
        const QString address = pgtest::freshDatabase(name);
        zdb::Connection c;
        c.setPath(address);
        c.executeDirect(zdb::serverSchema(zdb::FileSchema()) + extraSql);
        c.close();
        ini().setValue(QStringLiteral("Database/Path"), address);
        return address;
    }
    bool start()
    {
        main = std::make_unique<Tfrm_Main>();
        return main->startUp();
    }
    void closeMain()
    {
        if (main)
            main->close();
    }
    QSettings ini() const { return QSettings(IniFilePath(), QSettings::IniFormat); }

private:
    QString m_server;
};

// A window's command by its object name, as a test triggers it (the
// program holds its commands as typed members).
inline QAction *actionOf(const QObject *window, const QString &objectName)
{
    return window->findChild<QAction *>(objectName, Qt::FindDirectChildrenOnly);
}
inline QAction *actionOf(const QObject &window, const QString &objectName)
{
    return actionOf(&window, objectName);
}
template<class W>
QAction *actionOf(const std::unique_ptr<W> &window, const QString &objectName)
{
    return actionOf(window.get(), objectName);
}

// Opens a list window through the main window's command and returns it.
template<class W>
W *openListWindow(Tfrm_Main *main, const char *actionName)
{
    actionOf(main, QString::fromLatin1(actionName))->trigger();
    QMdiSubWindow *sub = main->mdiArea()->activeSubWindow();
    return sub ? qobject_cast<W *>(sub->widget()) : nullptr;
}

// Types into a line edit as a user would (the text counts as modified).
inline void typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->insert(text);
}

inline void initAppTests()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    SetUpApplication(*qApp);
    // A dialog that opens with no answer queued fails the test that opened
    // it: without this a check that no dialog opens passes whatever happens.
    testhooks::onUnexpectedDialog([](QDialog *d) {
        const QString what = QStringLiteral("unexpected dialog %1 \"%2\"").arg(d->objectName(), d->windowTitle());
        QTest::qFail(qPrintable(what), __FILE__, __LINE__);
    });
}

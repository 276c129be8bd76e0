// Login at start, the own password change, the users window and its editor.

#include "tests/app/appfixture.h"
#include "app/logindialog.h"
#include "app/usersdialog.h"
#include "app/helpers/datagrid.h"

#include "db/connection.h"
#include "db/recordset.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

namespace {

const QString kUsers = QStringLiteral(
    "INSERT INTO beallit (vanbelep) VALUES ('I');"
    "INSERT INTO felhasznalo VALUES ('admin', 'Rendszergazda', 'Titok', 'I', 'N');"
    "INSERT INTO felhasznalo VALUES ('kata', 'Kovács Kata', 'alma', 'N', 'I');");

void type(Tfrm_Login *d, const QString &user, const QString &password)
{
    d->userEdit()->setText(user);
    d->passwordEdit()->setText(password);
}

QString storedPassword(const QString &dbPath, const QString &user)
{
    zdb::Connection db;
    db.setPath(dbPath);
    db.open();
    zdb::Query q(&db, QStringLiteral("SELECT jelszo FROM felhasznalo WHERE felhasznalo = :u"));
    q.setParam(QStringLiteral("u"), user);
    q.open();
    return q.text(QStringLiteral("jelszo"));
}

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initAppTests(); }

    void codeAndPasswordCountLetterCase()
    {
        AppFixture f;
        f.makeDb(kUsers);
        QStringList errors;
        testhooks::onNextDialog([&](QDialog *dialog) {
            auto *d = static_cast<Tfrm_Login *>(dialog);
            const std::pair<QString, QString> wrong[] = {{QStringLiteral("Admin"), QStringLiteral("Titok")},
                                                         {QStringLiteral("admin"), QStringLiteral("titok")},
                                                         {QStringLiteral("senki"), QString()}};
            for (const auto &[user, password] : wrong) {
                testhooks::clearMessages();
                type(d, user, password);
                d->okButton()->click();
                errors << testhooks::lastMessage().text;
                QVERIFY(d->isVisible());
            }
            type(d, QStringLiteral("admin"), QStringLiteral("Titok"));
            // Every typed character shows as "*", whatever the style's own mark.
            QCOMPARE(d->passwordEdit()->displayText(), QStringLiteral("*****"));
            d->okButton()->click();
        });
        QVERIFY(f.start());
        QCOMPARE(errors, QStringList(3, QStringLiteral("Érvénytelen felhasználó, vagy jelszó")));
        QCOMPARE(Beall().CurrentUser, QStringLiteral("admin"));
        QVERIFY(Beall().IsAdministrator);
        QVERIFY(!Beall().CanEditMasterData);
    }

    void emptyUserTableOnlyLetsTheUserLeave()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO beallit (vanbelep) VALUES ('I');"));
        testhooks::onNextDialog([](QDialog *dialog) {
            auto *d = static_cast<Tfrm_Login *>(dialog);
            type(d, QString(), QString());
            d->okButton()->click();
            QVERIFY(d->isVisible());
            d->cancelButton()->click();
        });
        QVERIFY(!f.start());
    }

    void unreadableUsersEndTheStart()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO beallit (vanbelep) VALUES ('I'); DROP TABLE felhasznalo;"));
        bool dialogShown = false;
        testhooks::onNextDialog([&](QDialog *d) {
            dialogShown = true;
            d->reject();
        });
        QVERIFY(!f.start());
        QVERIFY(!dialogShown);
        QCOMPARE(testhooks::shownMessages().size(), 1);
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Hiba"));
        QCOMPARE(testhooks::lastMessage().text,
                 QStringLiteral("Ismeretlen hiba, indítsa újra a programot.\r\nno such table: felhasznalo"));
    }

    void newPasswordIsCutTo15AndNeedsRetyping()
    {
        AppFixture f;
        f.makeDb(kUsers);
        const QString longPassword = QStringLiteral("abcdefghijklmnopqrst"); // 20
        QStringList log;
        testhooks::onNextDialog([&](QDialog *dialog) {
            auto *d = static_cast<Tfrm_Login *>(dialog);
            // Different repetitions store nothing.
            type(d, QStringLiteral("kata"), QStringLiteral("alma"));
            testhooks::setNextInput(true, QStringLiteral("egy"));
            testhooks::setNextInput(true, QStringLiteral("ketto"));
            d->newPasswordButton()->click();
            log << testhooks::lastMessage().text;

            testhooks::setNextInput(true, longPassword);
            testhooks::setNextInput(true, longPassword);
            d->newPasswordButton()->click();
            log << testhooks::lastMessage().text;
            QCOMPARE(d->passwordEdit()->text(), QStringLiteral("alma"));
            d->okButton()->click(); // the old password no longer works
            log << testhooks::lastMessage().text;
            type(d, QStringLiteral("kata"), longPassword.left(15));
            d->okButton()->click();
        });
        QVERIFY(f.start());
        QCOMPARE(log, (QStringList{QStringLiteral("A megadott jelszavak nem egyezőek"), QStringLiteral("Jelszó változtatás kész."),
                                   QStringLiteral("Érvénytelen felhasználó, vagy jelszó")}));
        QCOMPARE(storedPassword(f.dbPath(), QStringLiteral("kata")), longPassword.left(15));
    }

    void emptyNewPasswordIsStoredAsEmptyText()
    {
        AppFixture f;
        f.makeDb(kUsers);
        testhooks::onNextDialog([&](QDialog *dialog) {
            auto *d = static_cast<Tfrm_Login *>(dialog);
            type(d, QStringLiteral("kata"), QStringLiteral("alma"));
            testhooks::setNextInput(true, QString());
            testhooks::setNextInput(true, QString());
            d->newPasswordButton()->click();
            type(d, QStringLiteral("kata"), QString());
            d->okButton()->click();
        });
        QVERIFY(f.start());
        zdb::Query q(Db1(), QStringLiteral("SELECT jelszo IS NULL AS n, length(jelszo) AS l FROM felhasznalo WHERE felhasznalo='kata'"));
        q.open();
        QCOMPARE(q.text(QStringLiteral("n")), QStringLiteral("0"));
        QCOMPARE(q.text(QStringLiteral("l")), QStringLiteral("0"));
    }

    void usersWindowAddsEditsAndDeletes()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO felhasznalo VALUES ('kata', 'Kovács Kata', 'alma', 'N', 'I');"));
        QVERIFY(f.start());

        Tfrm_Felhasznalo window(f.main.get());
        window.openList();
        QCOMPARE(window.grid()->model()->rowCount(), 1);
        QStringList tools;
        for (QAction *a : window.toolBar()->actions())
            if (a->isVisible())
                tools << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(tools, (QStringList{"Új Felhasználó", "Szerkeszt", "Töröl", "-", "Bezár"}));
        // The list is not printed or exported: those shortcuts do nothing.
        for (const char *name : {"aNyomtat", "aNyomtatKep", "aExcelbe", "aHtml"})
            QVERIFY(!actionOf(window, QString::fromLatin1(name))->isEnabled());

        QStringList errors;
        // A new user with no password typed is refused; then with a mismatch; then stored.
        testhooks::onNextDialog([&](QDialog *dialog) {
            auto *e = static_cast<Tfrm_FelhasznaloSzerkeszt *>(dialog);
            QVERIFY(!e->adminBox()->isChecked());
            typeInto(e->codeEdit(), QStringLiteral("bela"));
            typeInto(e->nameEdit(), QStringLiteral("Nagy Béla"));
            e->findChild<QPushButton *>(QStringLiteral("btOK"))->click();
            errors << testhooks::lastMessage().text;
            typeInto(e->passwordEdit(), QStringLiteral("korte"));
            typeInto(e->repeatEdit(), QStringLiteral("kortee"));
            e->findChild<QPushButton *>(QStringLiteral("btOK"))->click();
            errors << testhooks::lastMessage().text;
            e->repeatEdit()->setText(QStringLiteral("korte"));
            e->adminBox()->setChecked(true);
            e->findChild<QPushButton *>(QStringLiteral("btOK"))->click();
        });
        actionOf(window, QStringLiteral("aUj"))->trigger();
        QCOMPARE(errors, (QStringList{QStringLiteral("Hiányos adat megadás"), QStringLiteral("Hibás jelszó megadás")}));
        QCOMPARE(window.table()->recordCount(), 2);
        QCOMPARE(storedPassword(f.dbPath(), QStringLiteral("bela")), QStringLiteral("korte"));

        // Editing without touching the password fields saves the row.
        QVERIFY(window.table()->locate(QStringLiteral("felhasznalo"), QStringLiteral("kata")));
        testhooks::onNextDialog([](QDialog *dialog) {
            auto *e = static_cast<Tfrm_FelhasznaloSzerkeszt *>(dialog);
            QCOMPARE(e->repeatEdit()->text(), QStringLiteral("alma"));
            e->nameEdit()->setText(QStringLiteral("Kovácsné Kata"));
            e->nameEdit()->setModified(true);
            e->findChild<QPushButton *>(QStringLiteral("btOK"))->click();
        });
        actionOf(window, QStringLiteral("aSzerkeszt"))->trigger();
        QCOMPARE(window.table()->text(QStringLiteral("felhasznalo_nev")), QStringLiteral("Kovácsné Kata"));

        // Cancelling an editor leaves no row behind.
        testhooks::onNextDialog([](QDialog *dialog) { dialog->reject(); });
        actionOf(window, QStringLiteral("aUj"))->trigger();
        QCOMPARE(window.table()->recordCount(), 2);

        // Deleting asks first; No keeps the row.
        testhooks::setNextAnswer(false);
        actionOf(window, QStringLiteral("aTorol"))->trigger();
        QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Valóban töröljem a sort?"));
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Megerősítés"));
        QCOMPARE(window.table()->recordCount(), 2);
        testhooks::setNextAnswer(true);
        actionOf(window, QStringLiteral("aTorol"))->trigger();
        QCOMPARE(window.table()->recordCount(), 1);
        window.table()->refresh();
        QCOMPARE(window.table()->recordCount(), 1);
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"

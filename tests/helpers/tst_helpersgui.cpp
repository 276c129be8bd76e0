// Message boxes and the input dialog under the test hooks, execDialog, the
// file choosers, and the focus and Enter behaviour of dialogs.

#include "app/helpers/dialogbehaviour.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

QPushButton *buttonWithText(QDialog *dialog, const QString &text)
{
    const auto buttons = dialog->findChildren<QPushButton *>();
    for (QPushButton *b : buttons)
        if (b->text() == text)
            return b;
    return nullptr;
}

QColor baseOf(const QWidget *w)
{
    return w->palette().color(QPalette::Base);
}

// A dialog with controls in tab order, shown and active.
struct FormFixture
{
    QDialog dialog;
    QVBoxLayout *layout = new QVBoxLayout(&dialog);

    template <class W>
    W *add()
    {
        auto *w = new W(&dialog);
        layout->addWidget(w);
        return w;
    }

    bool show()
    {
        dialog.show();
        return QTest::qWaitForWindowActive(&dialog);
    }
};

} // namespace

class HelpersGuiTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void messageBoxes_data();
    void messageBoxes();
    void askYesNoTakesQueuedAnswers();

    void inputFromQueue();
    void inputDialogConfirmed();
    void inputDialogCancelled_data();
    void inputDialogCancelled();

    void execDialogNeverWaits();
    void fileChoosers();

    void focusPaintsAndEnterMovesOn();
    void enterInMultiLineEditorIsNewLine();
    void otherControls();
    void ownPaletteComesBack();
    void optOutAndNonDialogs();
};

void HelpersGuiTest::initTestCase()
{
    InstallDialogBehaviour(qApp);
    InstallDialogBehaviour(qApp); // a second call must not double the behaviour
    testhooks::setAutomatic(true);
}

void HelpersGuiTest::init()
{
    testhooks::reset();
}

void HelpersGuiTest::messageBoxes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("icon");
    QTest::newRow("error") << 0 << "Nincs kijelölve" << QStringLiteral("Hiba") << "Nincs kijelölve" << "error";
    QTest::newRow("warning") << 1 << "Vigyázat" << QStringLiteral("Figyelmeztetés") << "Vigyázat" << "warning";
    QTest::newRow("info") << 2 << "Kész" << QStringLiteral("Üzenet") << "Kész" << "information";
    QTest::newRow("unhandled gets a full stop") << 3 << "no such table: dolog3" << "Zentavo"
                                                << "no such table: dolog3." << "error";
    QTest::newRow("unhandled keeps its own stop") << 3 << "Hiba történt." << "Zentavo" << "Hiba történt."
                                                  << "error";
}

void HelpersGuiTest::messageBoxes()
{
    QFETCH(int, kind);
    QFETCH(QString, message);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QFETCH(QString, icon);
    switch (kind) {
    case 0: ShowError(message); break;
    case 1: ShowWarning(message); break;
    case 2: ShowInfo(message); break;
    default: ShowUnhandledError(message); break;
    }
    QCOMPARE(testhooks::shownMessages().size(), 1);
    const testhooks::ShownMessage m = testhooks::lastMessage();
    QCOMPARE(m.caption, caption);
    QCOMPARE(m.text, text);
    QCOMPARE(m.icon, icon);
}

void HelpersGuiTest::askYesNoTakesQueuedAnswers()
{
    testhooks::setNextAnswer(true);
    testhooks::setNextAnswer(false);
    QVERIFY(AskYesNo(QStringLiteral("Valóban töröljem?"), QStringLiteral("Megerősítés")));
    QVERIFY(!AskYesNo(QStringLiteral("Második?"), QStringLiteral("Megerősítés")));
    QVERIFY(!AskYesNo(QStringLiteral("Nincs válasz"), QStringLiteral("Megerősítés"))); // empty queue: No

    const auto shown = testhooks::shownMessages();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown.first().caption, QStringLiteral("Megerősítés"));
    QCOMPARE(shown.first().text, QStringLiteral("Valóban töröljem?"));
    QCOMPARE(shown.first().icon, QStringLiteral("question"));
}

void HelpersGuiTest::inputFromQueue()
{
    QString text = QStringLiteral("régi");
    testhooks::setNextInput(true, QStringLiteral("új"));
    QVERIFY(InputWithMask(QStringLiteral("Jelszó megadása"), QStringLiteral("Add meg"), QString(), text));
    QCOMPARE(text, QStringLiteral("új"));

    testhooks::setNextInput(false, QStringLiteral("ignored"));
    QVERIFY(!InputWithMask(QStringLiteral("Jelszó megadása"), QStringLiteral("Add meg"), QString(), text));
    QCOMPARE(text, QStringLiteral("új"));
    QCOMPARE(testhooks::pendingDialogCallbacks(), 0);
}

void HelpersGuiTest::inputDialogConfirmed()
{
    // Typed in and confirmed once with the button, once with Enter in the field.
    for (const bool byEnter : {false, true}) {
        QString seen, selected;
        int maxLength = 0;
        testhooks::onNextDialog([&](QDialog *d) {
            seen = d->windowTitle() + QLatin1Char('|') + d->findChild<QLabel *>()->text();
            auto *edit = d->findChild<QLineEdit *>();
            selected = edit->selectedText();
            maxLength = edit->maxLength();
            QTest::keyClicks(edit, QStringLiteral("Kovacs Bt"));
            if (byEnter)
                QTest::keyClick(edit, Qt::Key_Return);
            else
                buttonWithText(d, QStringLiteral("OK"))->click();
        });
        QString text = QStringLiteral("előző");
        QVERIFY(InputWithMask(QStringLiteral("Keresés"), QStringLiteral("Név:"), QString(), text));
        QCOMPARE(text, QStringLiteral("Kovacs Bt"));
        QCOMPARE(seen, QStringLiteral("Keresés|Név:"));
        QCOMPARE(selected, QStringLiteral("előző"));
        QCOMPARE(maxLength, 255);
    }
}

void HelpersGuiTest::inputDialogCancelled_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Mégsem") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("closed") << 2;
    QTest::newRow("nobody answers") << 3;
}

void HelpersGuiTest::inputDialogCancelled()
{
    QFETCH(int, how);
    if (how != 3) {
        testhooks::onNextDialog([how](QDialog *d) {
            auto *edit = d->findChild<QLineEdit *>();
            QTest::keyClicks(edit, QStringLiteral("xyz"));
            if (how == 0)
                buttonWithText(d, QStringLiteral("Mégsem"))->click();
            else if (how == 1)
                QTest::keyClick(edit, Qt::Key_Escape);
            else
                d->close();
        });
    }
    QString text = QStringLiteral("marad");
    QVERIFY(!InputWithMask(QStringLiteral("Kérdés"), QStringLiteral("Szöveg"), QString(), text));
    QCOMPARE(text, QStringLiteral("marad"));
    QCOMPARE(testhooks::pendingDialogCallbacks(), 0);
}

void HelpersGuiTest::execDialogNeverWaits()
{
    QDialog dialog;
    QCOMPARE(execDialog(&dialog), int(QDialog::Rejected));

    bool ran = false;
    testhooks::onNextDialog([&](QDialog *d) { ran = d->isVisible(); }); // forgets to close it
    QCOMPARE(execDialog(&dialog), int(QDialog::Rejected));
    QVERIFY(ran);

    testhooks::onNextDialog([](QDialog *d) { d->accept(); });
    QCOMPARE(execDialog(&dialog), int(QDialog::Accepted));
}

void HelpersGuiTest::fileChoosers()
{
    testhooks::setNextFileName(QStringLiteral("/tmp/a.csv"));
    testhooks::setNextFolder(QStringLiteral("/tmp/html"));
    QCOMPARE(chooseOpenFile(nullptr, QString(), QString(), QString()), QStringLiteral("/tmp/a.csv"));
    QCOMPARE(chooseSaveFile(nullptr, QString(), QString(), QString()), QString()); // cancelled
    QCOMPARE(chooseFolder(nullptr, QString(), QString()), QStringLiteral("/tmp/html"));
    QCOMPARE(chooseFolder(nullptr, QString(), QString()), QString());
}

void HelpersGuiTest::focusPaintsAndEnterMovesOn()
{
    FormFixture f;
    auto *first = f.add<QLineEdit>();
    auto *second = f.add<QLineEdit>();
    auto *memo = f.add<QPlainTextEdit>();
    Q_UNUSED(memo);
    auto *ok = f.add<QPushButton>();
    ok->setDefault(true);
    QSignalSpy okClicked(ok, &QPushButton::clicked);
    QVERIFY(f.show());

    const QColor normal = baseOf(second);
    first->setFocus();
    QVERIFY(first->hasFocus());
    QCOMPARE(baseOf(first), QColor(166, 202, 240));

    QTest::keyClick(first, Qt::Key_Return);
    QVERIFY(second->hasFocus());
    QCOMPARE(baseOf(first), normal);
    QVERIFY(!first->testAttribute(Qt::WA_SetPalette));
    QCOMPARE(baseOf(second), QColor(166, 202, 240));
    QCOMPARE(okClicked.count(), 0); // the default button was not pressed

    QTest::keyClick(second, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(memo->hasFocus());
    QCOMPARE(baseOf(second), normal);
    QVERIFY(f.dialog.isVisible());
}

void HelpersGuiTest::enterInMultiLineEditorIsNewLine()
{
    FormFixture f;
    auto *memo = f.add<QPlainTextEdit>();
    auto *after = f.add<QLineEdit>();
    QVERIFY(f.show());
    memo->setFocus();
    QTest::keyClicks(memo, QStringLiteral("a"));
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, QStringLiteral("b"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("a\nb"));
    QVERIFY(memo->hasFocus());
    QVERIFY(!after->hasFocus());
    QVERIFY(baseOf(memo) != QColor(166, 202, 240));
}

void HelpersGuiTest::otherControls()
{
    FormFixture f;
    auto *date = f.add<QDateEdit>();
    auto *combo = f.add<QComboBox>();
    combo->setEditable(true);
    auto *check = f.add<QCheckBox>();
    auto *list = f.add<QComboBox>();
    list->addItems({QStringLiteral("egy"), QStringLiteral("kettő")});
    auto *picture = f.add<QToolButton>();   // a field's own button, as the name copy
    auto *button = f.add<QPushButton>();
    button->setAutoDefault(false);
    auto *last = f.add<QLineEdit>();
    QSignalSpy clicked(button, &QPushButton::clicked);
    QSignalSpy pictureClicked(picture, &QToolButton::clicked);
    QVERIFY(f.show());

    date->setFocus();
    QCOMPARE(baseOf(date), QColor(166, 202, 240));
    QTest::keyClick(date, Qt::Key_Return);
    QVERIFY(combo->hasFocus());
    QVERIFY(baseOf(date) != QColor(166, 202, 240));
    QCOMPARE(baseOf(combo), QColor(166, 202, 240));
    QCOMPARE(baseOf(combo->lineEdit()), QColor(166, 202, 240));

    QTest::keyClick(combo, Qt::Key_Return);
    QVERIFY(check->hasFocus());
    QCOMPARE(combo->count(), 0); // Enter did not add the text as an item
    QTest::keyClick(check, Qt::Key_Return);
    QVERIFY(!check->isChecked());
    QVERIFY(list->hasFocus());
    QCOMPARE(baseOf(list), baseOf(last)); // a plain drop-down list is not an input
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(picture->hasFocus());

    // A field's picture button is passed over by Enter like an input; only a
    // click or Space presses it.
    QTest::keyClick(picture, Qt::Key_Return);
    QCOMPARE(pictureClicked.count(), 0);
    QVERIFY(button->hasFocus());
    QTest::keyClick(picture, Qt::Key_Space);
    QCOMPARE(pictureClicked.count(), 1);
    button->setFocus();

    // Enter on a push button presses that button, even when it is not a default one.
    QTest::keyClick(button, Qt::Key_Return);
    QCOMPARE(clicked.count(), 1);
    QVERIFY(button->hasFocus());
}

void HelpersGuiTest::ownPaletteComesBack()
{
    FormFixture f;
    auto *red = f.add<QLineEdit>();
    QPalette pal = red->palette();
    pal.setColor(QPalette::Base, Qt::red);
    red->setPalette(pal);
    auto *next = f.add<QLineEdit>();
    QVERIFY(f.show());

    red->setFocus();
    QCOMPARE(baseOf(red), QColor(166, 202, 240));
    next->setFocus();
    QCOMPARE(baseOf(red), QColor(Qt::red));
    QVERIFY(red->testAttribute(Qt::WA_SetPalette));

    // Destroyed while painted: nothing is left dangling.
    next->setFocus();
    delete next;
    red->setFocus();
    QCOMPARE(baseOf(red), QColor(166, 202, 240));
}

void HelpersGuiTest::optOutAndNonDialogs()
{
    {
        FormFixture f;
        auto *edit = f.add<QLineEdit>();
        edit->setProperty("zentavoEnterKeepsDefault", true);
        f.add<QLineEdit>();
        auto *ok = f.add<QPushButton>();
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &f.dialog, &QDialog::accept);
        QVERIFY(f.show());
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
    }
    {
        // A plain window is no dialog; one flagged as a dialog is.
        for (const bool flagged : {false, true}) {
            QWidget window;
            if (flagged)
                window.setProperty("zentavoDialog", true);
            auto *layout = new QVBoxLayout(&window);
            auto *a = new QLineEdit(&window);
            auto *b = new QLineEdit(&window);
            layout->addWidget(a);
            layout->addWidget(b);
            window.show();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            a->setFocus();
            QCOMPARE(baseOf(a) == QColor(166, 202, 240), flagged);
            QTest::keyClick(a, Qt::Key_Return);
            QCOMPARE(b->hasFocus(), flagged);
        }
    }
}

QTEST_MAIN(HelpersGuiTest)
#include "tst_helpersgui.moc"

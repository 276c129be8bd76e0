// The note pad: the notes window, the note editor and the text search,
// driven through the real main window over a database written the way an
// existing installation writes it (Windows-1250 texts, empty and NULL
// categories).

#include "tests/scheduling/editorfixture.h"

#include "scheduling/entries.h"
#include "scheduling/noteeditor.h"
#include "scheduling/notes.h"
#include "scheduling/notesearch.h"

#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"
#include "app/helpers/datefield.h"
#include "app/helpers/listheader.h"
#include "app/modules.h"
#include "output/report.h"
#include "app/reportoutputdialog.h"

#include "db/codec.h"
#include "db/recordset.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolBar>

#include <csignal>
#include <sys/resource.h>

using editortest::dbRows;
using editortest::dbValue;

namespace {

const char *const kNotes = R"(
INSERT INTO jegyzet (jegyzet, datum, kategoria, rovid, szoveg) VALUES
 (1, '2026-03-01', 'munka', 'Árajánlat', 'Az árvíztűrő tükörfúrógép ára'),
 (2, '2026-01-15', 'otthon', 'Bevásárlás', 'tej, kenyér)" "\r\n" R"(alma'),
 (3, '2026-02-10', '', 'Ötlet', 'Árvíz után'),
 (4, '2026-02-20', NULL, 'Cseréld ki', 'a 100% biztos_tipp'),
 (5, '2026-01-01', 'munka', 'Határidő', NULL),
 (6, '2026-04-01', 'o''neill', 'Idézőjel', 'x');
)";

QList<int> listedIds(const zdb::RecordSet *rs)
{
    QList<int> ids;
    for (int r = 0; r < rs->recordCount(); ++r)
        ids << rs->valueAt(r, QStringLiteral("jegyzet")).toInt();
    return ids;
}

QStringList categoryRows(const zdb::RecordSet *rs)
{
    QStringList out;
    for (int r = 0; r < rs->recordCount(); ++r)
        out << rs->textAt(r, 0);
    return out;
}

QStringList captions(const QList<QAction *> &actions)
{
    QStringList out;
    for (QAction *a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

} // namespace

class TestNotes : public QObject
{
    Q_OBJECT
    std::unique_ptr<AppFixture> f;

    Tfrm_Jegyzetek *open() { return openListWindow<Tfrm_Jegyzetek>(f->main.get(), "aJegyzetek"); }
    static void chooseCategory(Tfrm_Jegyzetek *w, const QString &category)
    {
        QVERIFY(w->categories()->locate(QStringLiteral("kategoria"), category));
        w->categoryGrid()->syncFromRecordSet();
    }
    // Answers the next note editor like a user and presses OK or Mégsem.
    static void answerEditor(std::function<void(Tfrm_Jegyzet *)> fill, bool ok = true)
    {
        testhooks::onNextDialog([fill, ok](QDialog *d) {
            auto *e = qobject_cast<Tfrm_Jegyzet *>(d);
            QVERIFY(e);
            fill(e);
            (ok ? e->aElfogad : e->aBezar)->trigger();
        });
    }
    static void typeCategory(Tfrm_Jegyzet *e, const QString &text)
    {
        QLineEdit *edit = e->categoryBox()->lineEdit();
        edit->selectAll();
        typeInto(edit, text);
    }

private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        RegisterSchedulingWindows();
    }
    void init()
    {
        f = std::make_unique<AppFixture>();
        f->makeDb(QString::fromUtf8(kNotes));
        QVERIFY(f->start());
        f->main->resize(1000, 700);
        f->main->show();
        f->main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f->main.get()));
    }
    void cleanup()
    {
        zrep::setShowReportHook({});
        f.reset();
    }

    void opensOnEveryNoteByDate()
    {
        QVERIFY(actionOf(f->main, QStringLiteral("aJegyzetek"))->isEnabled());
        QVERIFY(actionOf(f->main, QStringLiteral("aTrJegyzet"))->isEnabled());
        Tfrm_Jegyzetek *w = open();
        QVERIFY2(w, qPrintable(testhooks::lastMessage().text));
        QVERIFY(Beall().NotesWindowOpen);
        QCOMPARE(w->windowTitle(), QStringLiteral("Jegyzettömb"));
        QCOMPARE(w->header()->title(), QStringLiteral("Jegyzetek"));
        QCOMPARE(w->header()->sortText(), QStringLiteral("sorrend\ndátum szerint"));
        // Empty and NULL categories are one "none"; the empty entry leads.
        QCOMPARE(categoryRows(w->categories()), (QStringList{QString(), QStringLiteral("munka"),
                                                             QStringLiteral("o'neill"), QStringLiteral("otthon")}));
        QCOMPARE(listedIds(w->notes()), (QList<int>{5, 2, 3, 4, 1, 6}));
        QCOMPARE(captions(w->toolBar()->actions()),
                 (QStringList{"Új jegyzet", "Szerkeszt", "Töröl", "-", "Keresés", "-", "Bezár"}));
        std::unique_ptr<QMenu> popup(w->grid()->createPopupMenu());
        QCOMPARE(captions(popup->actions()), (QStringList{"Új jegyzet", "Szerkeszt", "Töröl", "-", "Keresés", "-", "Bezár"}));
        QCOMPARE(w->aUj->shortcut(), QKeySequence(Qt::Key_Insert));
        QCOMPARE(w->aKeres->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
        // The text pane shows the current note's text in a fixed-pitch font.
        QCOMPARE(w->notes()->value(QStringLiteral("jegyzet")).toInt(), 5);
        QCOMPARE(w->textPane()->toPlainText(), QString());
        w->notes()->locate(QStringLiteral("jegyzet"), 1);
        QCOMPARE(w->textPane()->toPlainText(), QStringLiteral("Az árvíztűrő tükörfúrógép ára"));
        QVERIFY(QFontInfo(w->textPane()->font()).fixedPitch());

        // A second command brings the same window forward.
        actionOf(f->main, QStringLiteral("aJegyzetek"))->trigger();
        QCOMPARE(f->main->mdiArea()->subWindowList().size(), 1);
        w->aBezar->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Beall().NotesWindowOpen);
    }

    void categoryFilterKeepsTheNoteWhereListed()
    {
        Tfrm_Jegyzetek *w = open();
        QVERIFY(w->notes()->locate(QStringLiteral("jegyzet"), 1));
        chooseCategory(w, QStringLiteral("munka"));
        QCOMPARE(listedIds(w->notes()), (QList<int>{5, 1}));
        QCOMPARE(w->notes()->value(QStringLiteral("jegyzet")).toInt(), 1);
        chooseCategory(w, QStringLiteral("o'neill"));
        QCOMPARE(listedIds(w->notes()), QList<int>{6});
        // The category is a bound value, never part of the filter's text.
        QCOMPARE(w->notes()->filter(), QStringLiteral("kategoria=?"));
        QCOMPARE(w->notes()->filterParams(), QVariantList{QStringLiteral("o'neill")});
        // The sort survives the filter, and the empty category lists all again.
        chooseCategory(w, QString());
        QCOMPARE(listedIds(w->notes()).size(), 6);
        QCOMPARE(w->notes()->value(QStringLiteral("jegyzet")).toInt(), 6);
    }

    void titleClickSortsByShortTitleAndSearchFollows()
    {
        Tfrm_Jegyzetek *w = open();
        chooseCategory(w, QStringLiteral("munka"));
        Q_EMIT w->grid()->titleClicked(w->grid()->columnOfField(QStringLiteral("rovid")));
        QCOMPARE(w->notes()->order(), QStringLiteral("rovid"));
        // The raw field, no sort key: "Határidő" before "Árajánlat".
        QCOMPARE(listedIds(w->notes()), (QList<int>{5, 1}));
        QCOMPARE(w->header()->sortText(), QStringLiteral("sorrend\nrövid szerint"));
        QCOMPARE(w->sorter()->sortField(), QStringLiteral("rovid"));
        const auto cellColour = [w](int column) {
            return w->grid()->model()->index(0, column).data(Qt::BackgroundRole).value<QBrush>().color();
        };
        QCOMPARE(cellColour(1), QGuiApplication::palette().color(QPalette::Button));
        QCOMPARE(cellColour(0), QGuiApplication::palette().color(QPalette::Base));
        typeInto(w->header()->searchBox(), QStringLiteral("ÁRA"));
        QCOMPARE(w->notes()->value(QStringLiteral("jegyzet")).toInt(), 1);
    }

    void newNoteWithANewCategoryShowsThatCategory()
    {
        Tfrm_Jegyzetek *w = open();
        answerEditor([](Tfrm_Jegyzet *e) {
            QCOMPARE(e->windowTitle(), QStringLiteral("Jegyzet"));
            QCOMPARE(e->dateField()->date(), QDate::currentDate());
            // The drop-down holds the categories, the empty one first.
            QCOMPARE(e->categoryBox()->count(), 4);
            QCOMPARE(e->categoryBox()->itemText(0), QString());
            typeInto(e->shortEdit(), QStringLiteral("Új ötlet"));
            typeCategory(e, QStringLiteral("Ügyek"));
            QCOMPARE(e->categoryBox()->currentText(), QStringLiteral("ügyek"));
            e->textEditor()->setText(QStringLiteral("első sor\nmásodik"));
        });
        w->aUj->trigger();
        QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT kategoria FROM jegyzet WHERE jegyzet=7")), QVariant(QStringLiteral("ügyek")));
        QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT szoveg FROM jegyzet WHERE jegyzet=7")),
                 QVariant(QStringLiteral("első sor\r\nmásodik")));
        QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT datum FROM jegyzet WHERE jegyzet=7")),
                 QVariant(QDate::currentDate().toString(Qt::ISODate)));
        QCOMPARE(w->categories()->text(QStringLiteral("kategoria")), QStringLiteral("ügyek"));
        QCOMPARE(listedIds(w->notes()), QList<int>{7});
        QCOMPARE(w->notes()->value(QStringLiteral("jegyzet")).toInt(), 7);
    }

    void savingWithAKnownOrNoCategoryLeavesTheList()
    {
        Tfrm_Jegyzetek *w = open();
        chooseCategory(w, QStringLiteral("otthon"));
        answerEditor([](Tfrm_Jegyzet *e) { typeCategory(e, QStringLiteral("MUNKA")); });
        QVERIFY(w->notes()->locate(QStringLiteral("jegyzet"), 2));
        w->aSzerkeszt->trigger();
        QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT kategoria FROM jegyzet WHERE jegyzet=2")), QVariant(QStringLiteral("munka")));
        // Still on "otthon": the list was not rebuilt.
        QCOMPARE(w->categories()->text(QStringLiteral("kategoria")), QStringLiteral("otthon"));
        QCOMPARE(w->categories()->recordCount(), 4);

        answerEditor([](Tfrm_Jegyzet *e) { typeInto(e->shortEdit(), QStringLiteral("Üres")); });
        w->aUj->trigger();
        QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT rovid FROM jegyzet WHERE jegyzet=7")), QVariant(QStringLiteral("Üres")));
        QCOMPARE(w->categories()->recordCount(), 4);
    }

    void cancelDiscardsAndLongTextIsCut()
    {
        Tfrm_Jegyzetek *w = open();
        answerEditor([](Tfrm_Jegyzet *e) { typeInto(e->shortEdit(), QStringLiteral("Eldobott")); }, false);
        w->aUj->trigger();
        QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT count(*) FROM jegyzet")), QVariant(6));
        QVERIFY(!w->notes()->isEditing());

        QVERIFY(w->notes()->locate(QStringLiteral("jegyzet"), 3));
        answerEditor([](Tfrm_Jegyzet *e) {
            typeInto(e->shortEdit(), QStringLiteral("X"));
            e->textEditor()->setText(QString(5000, QChar(0x0151)));
        }, false);
        w->aSzerkeszt->trigger();
        QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT rovid FROM jegyzet WHERE jegyzet=3")), QVariant(QStringLiteral("Ötlet")));

        answerEditor([](Tfrm_Jegyzet *e) { e->textEditor()->setText(QString(5000, QChar(0x0151))); });
        w->aSzerkeszt->trigger();
        QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT length(szoveg) FROM jegyzet WHERE jegyzet=3")), QVariant(4096));
        QCOMPARE(w->textPane()->toPlainText().size(), 4096);
    }

    void keysOfTheEditor()
    {
        Tfrm_Jegyzetek *w = open();
        QVERIFY(w->notes()->locate(QStringLiteral("jegyzet"), 1));
        // Esc in the text cancels the dialog; Ctrl+Enter there stores.
        bool closed = false;
        testhooks::onNextDialog([&](QDialog *d) {
            auto *e = static_cast<Tfrm_Jegyzet *>(d);
            e->textEditor()->setFocus();
            e->textEditor()->append(QStringLiteral(" elvetve"));
            QTest::keyClick(e->textEditor(), Qt::Key_Escape);
            closed = !e->isVisible() && e->result() == QDialog::Rejected;
        });
        w->aSzerkeszt->trigger();
        QVERIFY(closed);
        testhooks::onNextDialog([&](QDialog *d) {
            auto *e = static_cast<Tfrm_Jegyzet *>(d);
            e->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(e));
            e->textEditor()->setFocus();
            e->textEditor()->append(QStringLiteral(" megtartva"));
            QTest::keyClick(e->textEditor(), Qt::Key_Return, Qt::ControlModifier);
            closed = !e->isVisible() && e->result() == QDialog::Accepted;
        });
        w->aSzerkeszt->trigger();
        QVERIFY(closed);
        QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT szoveg FROM jegyzet WHERE jegyzet=1")),
                 QVariant(QStringLiteral("Az árvíztűrő tükörfúrógép ára megtartva")));
    }

    void deleteAsksAndKeepsTheCategoryListed()
    {
        Tfrm_Jegyzetek *w = open();
        chooseCategory(w, QStringLiteral("otthon"));
        testhooks::setNextAnswer(false);
        w->aTorol->trigger();
        QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Valóban töröljem a jegyzetet?"));
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Megerősítés"));
        QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT count(*) FROM jegyzet")), QVariant(6));
        testhooks::setNextAnswer(true);
        w->aTorol->trigger();
        QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT count(*) FROM jegyzet WHERE jegyzet=2")), QVariant(0));
        QVERIFY(w->notes()->isEmpty());
        QVERIFY(categoryRows(w->categories()).contains(QStringLiteral("otthon")));
        // Nothing to act on in an empty list.
        QVERIFY(!w->aSzerkeszt->isEnabled());
        QVERIFY(!w->aTorol->isEnabled());
        QVERIFY(w->aUj->isEnabled());
        QCOMPARE(w->textPane()->toPlainText(), QString());
    }

    void searchLocatesOnlyListedNotes()
    {
        Tfrm_Jegyzetek *w = open();
        chooseCategory(w, QStringLiteral("munka"));
        auto answerSearch = [](const QString &text, int row) {
            testhooks::onNextDialog([text, row](QDialog *d) {
                auto *s = qobject_cast<Tfrm_SzovegKeres *>(d);
                QVERIFY(s);
                s->searchBox()->setText(text);
                s->searchButton()->click();
                s->query()->setCurrentRow(row);
                s->confirmButton()->click();
            });
        };
        answerSearch(QStringLiteral("tükör"), 0);
        w->aKeres->trigger();
        QCOMPARE(w->notes()->value(QStringLiteral("jegyzet")).toInt(), 1);
        // "Árvíz után" is note 3, outside "munka": not found, the row stays.
        answerSearch(QStringLiteral("után"), 0);
        w->aKeres->trigger();
        QCOMPARE(w->notes()->value(QStringLiteral("jegyzet")).toInt(), 1);
        QCOMPARE(listedIds(w->notes()), (QList<int>{5, 1}));
    }

    void excerpt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("searched");
        QTest::addColumn<QString>("excerpt");
        QTest::addColumn<int>("boldStart");

        const QString pre9 = QStringLiteral("123456789");
        const QString tail = QString(200, QLatin1Char('x'));
        // Found at position 10: starts at the first character, len + 100 long.
        QTest::newRow("early") << pre9 + QStringLiteral("alma") + tail << QStringLiteral("alma")
                               << (pre9 + QStringLiteral("alma") + tail).left(104) << 9;
        const QString pre120 = QString(120, QLatin1Char('y'));
        QTest::newRow("middle") << pre120 + QStringLiteral("Alma") + tail << QStringLiteral("aLMA")
                                << QString(50, QLatin1Char('y')) + QStringLiteral("Alma") + QString(50, QLatin1Char('x'))
                                << 50;
        QTest::newRow("end of text") << QStringLiteral("ab alma") << QStringLiteral("alma") << QStringLiteral("ab alma") << 3;
        // Accented letters compare without case too.
        QTest::newRow("accents") << QStringLiteral("Az ÁRVÍZTŰRŐ gép") << QStringLiteral("árvíztűrő")
                                 << QStringLiteral("Az ÁRVÍZTŰRŐ gép") << 3;
        // "ß" upper-cased is "SS": a length-changing comparison would put the
        // excerpt and the bold four characters off.
        const QString sharp = QString(60, QChar(0x00DF)) + QStringLiteral("alma") + QString(60, QLatin1Char('z'));
        QTest::newRow("sharp s") << sharp << QStringLiteral("ALMA")
                                 << QString(50, QChar(0x00DF)) + QStringLiteral("alma") + QString(50, QLatin1Char('z')) << 50;
        // A wildcard match LIKE found but the text does not hold literally.
        QTest::newRow("wildcard") << QStringLiteral("a 100 biztos") << QStringLiteral("1%z")
                                  << QStringLiteral("a 100 biztos") << -1;
    }
    void excerpt()
    {
        QFETCH(QString, text);
        QFETCH(QString, searched);
        QFETCH(QString, excerpt);
        QFETCH(int, boldStart);
        const NoteExcerpt e = MakeNoteExcerpt(text, searched);
        QCOMPARE(e.text, excerpt);
        QCOMPARE(e.boldStart, boldStart);
        if (boldStart >= 0)
            QCOMPARE(e.text.mid(e.boldStart, e.boldLength).toCaseFolded(), searched.toCaseFolded());
    }

    void searchDialogFollowsLike()
    {
        Tfrm_SzovegKeres s(QStringLiteral("elő"));
        QCOMPARE(s.windowTitle(), QStringLiteral("Szöveg keresés"));
        QCOMPARE(s.searchBox()->text(), QStringLiteral("elő"));
        // Confirming before any search: 0 (nothing chosen).
        QCOMPARE(s.chosenId(), 0);

        auto found = [&](const QString &text) {
            s.searchBox()->setText(text);
            s.search();
            return listedIds(s.query());
        };
        QCOMPARE(found(QStringLiteral("%")), (QList<int>{1, 2, 3, 4, 6}));
        QCOMPARE(found(QStringLiteral("100%")), QList<int>{4});
        QCOMPARE(found(QStringLiteral("s_tipp")), QList<int>{4});   // "_" stands for any one character
        QCOMPARE(found(QStringLiteral("TEJ, KENY")), QList<int>{2});   // ASCII letters ignore case
        QCOMPARE(found(QStringLiteral("nincs ilyen")), QList<int>{});
        QCOMPARE(s.chosenId(), 0);
        QCOMPARE(s.excerptPane()->toPlainText(), QString());

        QCOMPARE(found(QStringLiteral("tükör")), QList<int>{1});
        QCOMPARE(s.chosenId(), 1);
        QCOMPARE(s.excerptPane()->toPlainText(), QStringLiteral("Az árvíztűrő tükörfúrógép ára"));
        // Only the match is bold.
        QTextCursor c(s.excerptPane()->document());
        c.setPosition(14);   // inside "tükör"
        QCOMPARE(c.charFormat().fontWeight(), int(QFont::Bold));
        c.setPosition(5);
        QVERIFY(c.charFormat().fontWeight() != int(QFont::Bold));
        c.setPosition(20);
        QVERIFY(c.charFormat().fontWeight() != int(QFont::Bold));
    }

    void searchNotesResults()
    {
        // Closing without confirming.
        testhooks::onNextDialog([](QDialog *d) { static_cast<Tfrm_SzovegKeres *>(d)->closeButton()->click(); });
        QCOMPARE(SearchNotes(QString()), -1);
        testhooks::onNextDialog([](QDialog *d) { static_cast<Tfrm_SzovegKeres *>(d)->confirmButton()->click(); });
        QCOMPARE(SearchNotes(QString()), 0);
        testhooks::onNextDialog([](QDialog *d) {
            auto *s = static_cast<Tfrm_SzovegKeres *>(d);
            QCOMPARE(s->searchBox()->text(), QStringLiteral("alma"));
            s->search();
            Q_EMIT s->results()->activated();
        });
        QCOMPARE(SearchNotes(QStringLiteral("alma")), 2);
    }

    void editorFilesRoundTrip()
    {
        Tfrm_Jegyzetek *w = open();
        QVERIFY(w->notes()->locate(QStringLiteral("jegyzet"), 1));
        const QString bom = f->path(QStringLiteral("bom.txt"));
        const QString utf8 = f->path(QStringLiteral("utf8.txt"));
        const QString ansi = f->path(QStringLiteral("ansi.txt"));
        const auto write = [](const QString &path, const QByteArray &bytes) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        write(bom, QByteArray("\xEF\xBB\xBF") + QStringLiteral("Őszi árvíz\r\nkettő").toUtf8());
        write(utf8, QStringLiteral("Őszi árvíz\nkettő").toUtf8());
        write(ansi, zdb::toCp1250(u"Őszi árvíz\r\nkettő"));
        const QString utf16 = f->path(QStringLiteral("utf16.txt"));
        const QString utf16Text = QStringLiteral("Őszi árvíz\r\nkettő");
        write(utf16, QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(utf16Text.utf16()), utf16Text.size() * 2));

        QStringList loaded;
        const QString saved = f->path(QStringLiteral("mentett"));
        answerEditor([&](Tfrm_Jegyzet *e) {
            for (const QString &path : {bom, utf8, ansi, utf16}) {
                testhooks::setNextFileName(path);
                e->aMegnyit->trigger();
                loaded << DescriptionEditor::withCrLf(e->textEditor()->text());
            }
            // Saving adds ".txt", writes Windows-1250 with CR LF.
            e->textEditor()->setText(QStringLiteral("első\nárvíztűrő"));
            testhooks::setNextFileName(saved);
            e->aMent->trigger();
        }, false);
        w->aSzerkeszt->trigger();
        QCOMPARE(loaded.size(), 4);
        for (const QString &text : loaded)
            QCOMPARE(text, QStringLiteral("Őszi árvíz\r\nkettő"));
        QCOMPARE(testenv::fileBytes(saved + QStringLiteral(".txt")), zdb::toCp1250(u"első\r\nárvíztűrő"));
        // Neither loading nor saving touched the note.
        QCOMPARE(dbValue(f->dbPath(), QStringLiteral("SELECT szoveg FROM jegyzet WHERE jegyzet=1")),
                 QVariant(QStringLiteral("Az árvíztűrő tükörfúrógép ára")));
    }

    void failedSaveKeepsTheOldFileAndSaysSo()
    {
        Tfrm_Jegyzetek *w = open();
        QVERIFY(w->notes()->locate(QStringLiteral("jegyzet"), 1));
        const QString old = f->path(QStringLiteral("regi.txt"));
        QFile file(old);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("régi tartalom");
        file.close();
        testhooks::clearMessages();
        answerEditor([&](Tfrm_Jegyzet *e) {
            e->textEditor()->setText(QString(3000, QLatin1Char('y')));
            // The disk takes no more than 100 bytes per file (as a full disk
            // would): the write fails part way.
            struct rlimit before;
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &before), 0);
            struct rlimit small = before;
            small.rlim_cur = 100;
            const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            testhooks::setNextFileName(old);
            e->aMent->trigger();
            setrlimit(RLIMIT_FSIZE, &before);
            signal(SIGXFSZ, oldHandler);
            // A file that is not there cannot be loaded; the text stays.
            testhooks::setNextFileName(f->path(QStringLiteral("nincs.txt")));
            e->aMegnyit->trigger();
            QCOMPARE(e->textEditor()->text().size(), 3000);
        }, false);
        w->aSzerkeszt->trigger();
        QCOMPARE(testenv::fileBytes(old), QByteArray("régi tartalom"));
        QCOMPARE(QDir(f->path(QString())).entryList({QStringLiteral("regi*")}, QDir::Files), QStringList{"regi.txt"});
        const QList<testhooks::ShownMessage> shown = testhooks::shownMessages();
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown.at(0).text.contains(QStringLiteral("regi.txt")));
        QVERIFY(shown.at(1).text.contains(QStringLiteral("nincs.txt")));
    }

    // "Mentés file-ba" adds ".txt" after the dialog: the dialog never saw that
    // name, so replacing an existing file of it is asked first. A file that is
    // broken UTF-8 is not loaded garbled: the message names its line.
    void savingOverAFileWithTheAddedExtensionAsks()
    {
        Tfrm_Jegyzetek *w = open();
        QVERIFY(w->notes()->locate(QStringLiteral("jegyzet"), 1));
        const QString level = f->path(QStringLiteral("level"));
        QFile file(level + QStringLiteral(".txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("régi");
        file.close();
        const QString broken = f->path(QStringLiteral("hibas.txt"));
        QFile bad(broken);
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(QStringLiteral("első sor árvíz\nmásodik\n").toUtf8() + "harmadik \xF5\n");
        bad.close();
        testhooks::clearMessages();
        answerEditor([&](Tfrm_Jegyzet *e) {
            e->textEditor()->setText(QStringLiteral("új"));
            testhooks::setNextFileName(level);
            testhooks::setNextAnswer(false);
            e->aMent->trigger();
            QCOMPARE(testenv::fileBytes(level + QStringLiteral(".txt")), QByteArray("régi"));
            testhooks::setNextFileName(level);
            testhooks::setNextAnswer(true);
            e->aMent->trigger();
            QCOMPARE(testenv::fileBytes(level + QStringLiteral(".txt")), QByteArray("\xFAj"));
            testhooks::setNextFileName(broken);
            e->aMegnyit->trigger();
            QCOMPARE(e->textEditor()->text(), QStringLiteral("új"));
        }, false);
        w->aSzerkeszt->trigger();
        const QList<testhooks::ShownMessage> shown = testhooks::shownMessages();
        QCOMPARE(shown.size(), 3);
        for (int i : {0, 1}) {
            QCOMPARE(shown.at(i).icon, QStringLiteral("question"));
            QVERIFY2(shown.at(i).text.contains(QStringLiteral("level.txt")), qPrintable(shown.at(i).text));
        }
        QCOMPARE(shown.at(2).icon, QStringLiteral("error"));
        QVERIFY2(shown.at(2).text.contains(QStringLiteral("3. sor")), qPrintable(shown.at(2).text));
    }

    void printingWithoutAPrinterSaysSo()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("a printer is installed here");
        Tfrm_Jegyzetek *w = open();
        QVERIFY(w->notes()->locate(QStringLiteral("jegyzet"), 1));
        testhooks::clearMessages();
        answerEditor([](Tfrm_Jegyzet *e) { e->aNyomtat->trigger(); }, false);
        w->aSzerkeszt->trigger();
        QCOMPARE(testhooks::shownMessages().size(), 1);
        QVERIFY(testhooks::lastMessage().text.contains(QStringLiteral("nyomtató")));
    }

    void mainWindowCommandsActOnTheNotes()
    {
        RegisterModules();
        Tfrm_Jegyzetek *w = open();
        QVERIFY(f->main->activeListWindow());
        QCOMPARE(f->main->activeListWindow()->childKind(), int(KindNotes));
        testhooks::clearMessages();
        actionOf(f->main, QStringLiteral("aEmil"))->trigger();
        QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Nincs elérhető ügyfél"));

        QString title;
        QStringList printed;
        zrep::setShowReportHook([&](const zrep::ReportLayout &l, bool) {
            title = l.title();
            for (const zrep::ReportText &t : l.pages().value(0).texts)
                printed << t.text;
        });
        chooseCategory(w, QStringLiteral("munka"));
        actionOf(f->main, QStringLiteral("aNyomtatKep"))->trigger();
        QCOMPARE(title, QStringLiteral("Jegyzetek"));
        // The list as filtered: the notes of "munka" only.
        QVERIFY(printed.contains(QStringLiteral("Határidő")));
        QVERIFY(printed.contains(QStringLiteral("Árajánlat")));
        QVERIFY(!printed.contains(QStringLiteral("Bevásárlás")));

        // "Adatlap" on the current note, "Adatlap lista" on every note of the list.
        for (const bool all : {false, true}) {
            testhooks::onNextDialog([](QDialog *d) {
                auto *choice = qobject_cast<Tfrm_NyomtatasTipus *>(d);
                QVERIFY(choice);
                choice->setChoice(0);
                d->accept();
            });
            printed.clear();
            QVERIFY(w->notes()->locate(QStringLiteral("jegyzet"), 5));
            actionOf(f->main, all ? QStringLiteral("aReszletes") : QStringLiteral("aAdatlap"))->trigger();
            QVERIFY(printed.join(QLatin1Char(' ')).contains(QStringLiteral("Határidő")));
            QCOMPARE(printed.join(QLatin1Char(' ')).contains(QStringLiteral("Árajánlat")), all);
            QVERIFY(!printed.join(QLatin1Char(' ')).contains(QStringLiteral("Bevásárlás")));
        }
    }
};

QTEST_MAIN(TestNotes)
#include "tst_notes.moc"

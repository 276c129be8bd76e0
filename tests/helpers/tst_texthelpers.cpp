// Text helpers, value readers, the program folder and the remembered dialog
// positions.

#include "app/helpers/helpers.h"
#include "app/helpers/core/textfile.h"

#include "db/codec.h"
#include "db/dberror.h"
#include "db/recordset.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

class TextHelpersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void sortKey_data();
    void sortKey();
    void extractToken_data();
    void extractToken();
    void joinLines_data();
    void joinLines();
    void safeFileName_data();
    void safeFileName();
    void replaceAndRemove();
    void parseFloatLoose_data();
    void parseFloatLoose();
    void textFileEncodings_data();
    void textFileEncodings();
    void textFileLimits();
    void parseIntLoose_data();
    void parseIntLoose();

    void readersOfEmptyValues();
    void readersOfValues();
    void intReaderRejectsText();

    void programDir();
    void programDirFromEnvironment();
    void installedProgramFolders();

    void formPositionDefaults();
    void formPositionRoundTrip();
    void formPositionGarbage();
    void restoreAndRemember();
    void restoredPositionsAreClamped_data();
    void restoredPositionsAreClamped();
    void clampToArea_data();
    void clampToArea();

private:
    QTemporaryDir m_dir;
};

void TextHelpersTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TextHelpersTest::init()
{
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    SetProgramDir(m_dir.path());
}

void TextHelpersTest::sortKey_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::newRow("hungarian") << QStringLiteral("Árvíztűrő tükörfúrógép") << QStringLiteral("ARVIZTURO TUKORFUROGEP");
    QTest::newRow("other accents stay") << QStringLiteral("Ärger") << QStringLiteral("ÄRGER");
    QTest::newRow("capitals") << QStringLiteral("ÁÉÍÓÖŐÚÜŰ") << QStringLiteral("AEIOOOUUU");
    QTest::newRow("digits and punctuation") << QStringLiteral("kft. 12/b-é") << QStringLiteral("KFT. 12/B-E");
    QTest::newRow("length kept") << QStringLiteral("Straße ő") << QStringLiteral("STRAßE O");
    QTest::newRow("empty") << QString() << QString();
}

void TextHelpersTest::sortKey()
{
    QFETCH(QString, text);
    QFETCH(QString, key);
    QCOMPARE(SortKeyOf(text), key);
}

void TextHelpersTest::extractToken_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("token");
    QTest::newRow("first") << "a;;c" << 1 << "a";
    QTest::newRow("empty middle") << "a;;c" << 2 << "";
    QTest::newRow("last") << "a;;c" << 3 << "c";
    QTest::newRow("past the end") << "a;;c" << 4 << "";
    QTest::newRow("zero") << "a;;c" << 0 << "";
    QTest::newRow("negative") << "a;;c" << -1 << "";
    QTest::newRow("empty text 1") << "" << 1 << "";
    QTest::newRow("empty text 2") << "" << 2 << "";
    QTest::newRow("trailing separator") << "a;b;" << 3 << "";
    QTest::newRow("trailing separator past") << "a;b;" << 4 << "";
    QTest::newRow("no separator") << "abc" << 1 << "abc";
}

void TextHelpersTest::extractToken()
{
    QFETCH(QString, text);
    QFETCH(int, n);
    QFETCH(QString, token);
    QCOMPARE(ExtractToken(QLatin1Char(';'), text, n), token);
}

void TextHelpersTest::joinLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("joined");
    QTest::newRow("crlf") << "a\r\nb" << "a|b|";
    QTest::newRow("lone lf") << "a\nb" << "a|b|";
    QTest::newRow("lone cr") << "a\rb" << "a|b|";
    QTest::newRow("trailing break") << "a\r\nb\r\n" << "a|b|";
    QTest::newRow("empty line kept") << "a\r\n\r\nb" << "a||b|";
    QTest::newRow("lf cr is two breaks") << "a\n\rb" << "a||b|";
    QTest::newRow("only a break") << "\r\n" << "|";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("single line") << "abc" << "abc|";
}

void TextHelpersTest::joinLines()
{
    QFETCH(QString, text);
    QFETCH(QString, joined);
    QCOMPARE(JoinLines(text), joined);
}

void TextHelpersTest::safeFileName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("safe");
    QTest::newRow("accent and slash") << QStringLiteral("Ügyfelek / 2005") << QStringLiteral("_gyfelek---2005");
    QTest::newRow("plain") << QStringLiteral("Feladatok") << QStringLiteral("feladatok");
    QTest::newRow("two accents") << QStringLiteral("Végzett munkák") << QStringLiteral("v_gzett-munk_k");
    QTest::newRow("euro stays") << QStringLiteral("Ár €") << QStringLiteral("_r-€");
    QTest::newRow("dashed set") << QStringLiteral("a!\"#%&'*+/:?@\\b") << QStringLiteral("a-------------b");
    QTest::newRow("kept set") << QStringLiteral("$(),-.;<=>[]|X") << QStringLiteral("$(),-.;<=>[]|x");
    QTest::newRow("control characters") << QStringLiteral("a\tb\nc") << QStringLiteral("a_b_c");
}

void TextHelpersTest::safeFileName()
{
    QFETCH(QString, text);
    QFETCH(QString, safe);
    QCOMPARE(SafeFileName(text), safe);
}

void TextHelpersTest::replaceAndRemove()
{
    QCOMPARE(ReplaceChar(QVariant(), QLatin1Char('a'), QLatin1Char('b')), QString());
    QCOMPARE(ReplaceChar(QStringLiteral("a;b;c"), QLatin1Char(';'), QLatin1Char(',')), QStringLiteral("a,b,c"));
    QCOMPARE(ReplaceChar(1010, QLatin1Char('0'), QLatin1Char('9')), QStringLiteral("1919"));
    QCOMPARE(RemoveSpaces(QStringLiteral(" 06 1 234 5678 ")), QStringLiteral("0612345678"));
}

void TextHelpersTest::parseFloatLoose_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("grouped, blanks around") << "hu_HU" << " 1 234,50 " << 1234.5;
    QTest::newRow("point under comma") << "hu_HU" << "3.5" << 3.5;
    QTest::newRow("comma") << "hu_HU" << "3,5" << 3.5;
    QTest::newRow("negative") << "hu_HU" << "-0,25" << -0.25;
    QTest::newRow("tab and line end") << "hu_HU" << "\t12,5\r\n" << 12.5;
    QTest::newRow("no-break space group") << "hu_HU" << QStringLiteral("1\u00A0000") << 1000.0;
    QTest::newRow("letters") << "hu_HU" << "abc" << 0.0;
    QTest::newRow("two separators") << "hu_HU" << "1.234,5" << 0.0;
    QTest::newRow("blank") << "hu_HU" << "   " << 0.0;
    QTest::newRow("infinity") << "hu_HU" << "inf" << 0.0;
    QTest::newRow("not a number") << "hu_HU" << "nan" << 0.0;
    QTest::newRow("comma under point") << "en_US" << "3,5" << 3.5;
    QTest::newRow("point under point") << "en_US" << " 1 234.50 " << 1234.5;
}

void TextHelpersTest::parseFloatLoose()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(double, value);
    QLocale::setDefault(QLocale(locale));
    QCOMPARE(ParseFloatLoose(text), value);
}

void TextHelpersTest::textFileEncodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");      // empty: refused
    QTest::addColumn<int>("badLine");
    const QString hu = QStringLiteral("árvíztűrő\r\nŐsz");
    QByteArray le("\xFF\xFE"), be("\xFE\xFF");
    for (const QChar c : hu) {
        le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    }
    QTest::newRow("Windows-1250") << zdb::toCp1250(hu) << hu << 0;
    QTest::newRow("UTF-8") << hu.toUtf8() << hu << 0;
    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF") + hu.toUtf8() << hu << 0;
    QTest::newRow("UTF-16 LE") << le << hu << 0;
    QTest::newRow("UTF-16 BE") << be << hu << 0;
    // One broken sequence among good ones: UTF-8 all the same, refused.
    QTest::newRow("UTF-8, broken on line 3")
        << (QStringLiteral("árvíz\nŐsz\r").toUtf8() + "t\xFBk\xF6r") << QString() << 3;
    QTest::newRow("UTF-8 with mark, broken on line 1") << QByteArray("\xEF\xBB\xBF" "a\xE1") << QString() << 1;
    // Windows-1250 full of accents is not mistaken for broken UTF-8.
    QTest::newRow("Windows-1250 with a valid pair by chance")
        << zdb::toCp1250(QStringLiteral("tükörfúrógép Ăš ÁÉÍ")) << QStringLiteral("tükörfúrógép Ăš ÁÉÍ") << 0;
}

void TextHelpersTest::textFileEncodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, badLine);
    QCOMPARE(DetectTextEncoding(bytes).badLine, badLine);
    if (text.isEmpty()) {
        try {
            DecodeTextFile(bytes);
            QFAIL("broken UTF-8 was read");
        } catch (const zdb::Error &e) {
            QVERIFY2(e.message().contains(QStringLiteral("%1. sor").arg(badLine)), qPrintable(e.message()));
        }
    } else {
        QCOMPARE(DecodeTextFile(bytes), text);
    }
}

// A file far larger than the editor is meant for is refused before it is
// read, with its name and size in the message.
void TextHelpersTest::textFileLimits()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nagy.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(3 * 1024 * 1024));
    file.close();
    QCOMPARE(ReadTextFile(path, 4 * 1024 * 1024).size(), 3 * 1024 * 1024);
    try {
        ReadTextFile(path, 2 * 1024 * 1024);
        QFAIL("an over-large file was read");
    } catch (const zdb::Error &e) {
        QVERIFY2(e.message().contains(QStringLiteral("nagy.txt")) && e.message().contains(QStringLiteral("túl nagy")),
                 qPrintable(e.message()));
    }
}

void TextHelpersTest::parseIntLoose_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("grouped") << "12 345" << 12345;
    QTest::newRow("fraction") << "12.5" << 0;
    QTest::newRow("comma fraction") << "12,5" << 0;
    QTest::newRow("blanks and controls") << "\t -42 \r\n" << -42;
    QTest::newRow("plus") << "+7" << 7;
    QTest::newRow("letters") << "12a" << 0;
    QTest::newRow("overflow") << "99999999999" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TextHelpersTest::parseIntLoose()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(ParseIntLoose(text), value);
}

void TextHelpersTest::readersOfEmptyValues()
{
    const QVariant empty;
    QCOMPARE(VarToStrNull(empty), QString());
    QCOMPARE(VarToIntNull(empty), 0);
    QCOMPARE(VarToFloatNull(empty), 0.0);
    QCOMPARE(VarToDateNull(empty), QDate(1899, 12, 30));
    QCOMPARE(VarToIntNull(QString()), 0);
    QCOMPARE(VarToDateNull(QString()), QDate(1899, 12, 30));
}

void TextHelpersTest::readersOfValues()
{
    const QDate d(2005, 1, 31);
    QCOMPARE(VarToStrNull(-42), QStringLiteral("-42"));
    QCOMPARE(VarToStrNull(QStringLiteral(" árvíz ")), QStringLiteral(" árvíz "));
    QCOMPARE(VarToStrNull(d), zdb::dateToText(d));
    QCOMPARE(VarToStrNull(2.5), QStringLiteral("2,5"));

    QCOMPARE(VarToIntNull(17), 17);
    QCOMPARE(VarToIntNull(QStringLiteral(" 42 ")), 42);
    QCOMPARE(VarToIntNull(QStringLiteral("-3")), -3);
    QCOMPARE(VarToIntNull(2.6), 3);

    QCOMPARE(VarToFloatNull(QStringLiteral("3,25")), 3.25);
    QCOMPARE(VarToFloatNull(QStringLiteral("3.25")), 3.25);
    QCOMPARE(VarToFloatNull(4), 4.0);

    QCOMPARE(VarToDateNull(d), d);
    QCOMPARE(VarToDateNull(QStringLiteral("2005-01-31")), d);

    QCOMPARE(YearOfDate(d), 2005);
    QCOMPARE(MonthOfDate(d), 1);
    QCOMPARE(DayOfDate(d), 31);
}

void TextHelpersTest::intReaderRejectsText()
{
    const QVariant values[] = {QStringLiteral("abc"), QStringLiteral("12.5"), QStringLiteral("99999999999"),
                               QVariant(qlonglong(1) << 40)};
    for (const QVariant &v : values) {
        try {
            VarToIntNull(v);
            QFAIL(qPrintable(QStringLiteral("no error for %1").arg(v.toString())));
        } catch (const zdb::Error &e) {
            QVERIFY2(e.message().contains(QStringLiteral("is not a valid integer value")), qPrintable(e.message()));
            QVERIFY2(e.message().startsWith(QLatin1Char('\'') + v.toString() + QLatin1Char('\'')),
                     qPrintable(e.message()));
        }
    }
    QVERIFY_THROWS_EXCEPTION(zdb::Error, VarToFloatNull(QStringLiteral("abc")));
}

void TextHelpersTest::programDir()
{
    SetProgramDir(QStringLiteral("/opt/Zentavo Program/"));
    QCOMPARE(ProgramDir(), QStringLiteral("/opt/Zentavo Program"));
    QCOMPARE(ProgramPath(QStringLiteral("Help/index.htm")), QStringLiteral("/opt/Zentavo Program/Help/index.htm"));
    QCOMPARE(ProgramPath(QStringLiteral("Pics\\save16.ico")), QStringLiteral("/opt/Zentavo Program/Pics/save16.ico"));
    QCOMPARE(IniFilePath(), QStringLiteral("/opt/Zentavo Program/Zentavo.ini"));
    SetProgramDir(QStringLiteral("/"));
    QCOMPARE(IniFilePath(), QStringLiteral("/Zentavo.ini"));
}

// An installed program (bin/ beside share/zentavo/) keeps its writable files
// in the user's data folder and reads help and pictures from share/zentavo/.
void TextHelpersTest::installedProgramFolders()
{
    const QString prefix = m_dir.path() + QStringLiteral("/usr");
    const QString bin = prefix + QStringLiteral("/bin");
    const QString shared = prefix + QStringLiteral("/share/zentavo");
    const QString data = m_dir.path() + QStringLiteral("/home/.local/share");
    const QString own = m_dir.path() + QStringLiteral("/own");
    QVERIFY(QDir().mkpath(bin));
    QVERIFY(QDir().mkpath(shared + QStringLiteral("/Help")));
    QVERIFY(QDir().mkpath(shared + QStringLiteral("/Pics")));
    QVERIFY(QDir().mkpath(own + QStringLiteral("/Pics")));
    for (const QString &f : {shared + QStringLiteral("/Help/index.htm"), shared + QStringLiteral("/Pics/save16.ico"),
                             own + QStringLiteral("/Pics/save16.ico")}) {
        QFile file(f);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    // Build tree: no share/zentavo beside the executable's folder.
    const QString buildTree = m_dir.path() + QStringLiteral("/build/zentavo");
    QVERIFY(QDir().mkpath(buildTree));
    ProgramFolders f = ResolveProgramFolders(buildTree, QString(), data);
    QCOMPARE(f.programDir, buildTree);
    QVERIFY(f.sharedDir.isEmpty());
    QCOMPARE(ResolveProgramFolders(buildTree, own, data).programDir, own);

    // Installed: the data folder, with the shared folder behind it.
    f = ResolveProgramFolders(bin, QString(), data);
    QCOMPARE(f.programDir, data + QStringLiteral("/zentavo"));
    QCOMPARE(f.sharedDir, shared);
    SetProgramDir(f.programDir, f.sharedDir);
    QCOMPARE(IniFilePath(), data + QStringLiteral("/zentavo/Zentavo.ini"));
    QCOMPARE(ProgramPath(QStringLiteral("Zentavo.sqb")), data + QStringLiteral("/zentavo/Zentavo.sqb"));
    QCOMPARE(ProgramPath(QStringLiteral("Html")), data + QStringLiteral("/zentavo/Html"));
    QCOMPARE(ProgramPath(QStringLiteral("Help\\index.htm")), shared + QStringLiteral("/Help/index.htm"));
    QCOMPARE(ProgramPath(QStringLiteral("Help/nincs.htm")), data + QStringLiteral("/zentavo/Help/nincs.htm"));

    // ZENTAVO_DIR wins; its own copy of a file wins over the shared one.
    f = ResolveProgramFolders(bin, own + QLatin1Char('/'), data);
    QCOMPARE(f.programDir, own);
    QCOMPARE(f.sharedDir, shared);
    SetProgramDir(f.programDir, f.sharedDir);
    QCOMPARE(ProgramPath(QStringLiteral("Pics/save16.ico")), own + QStringLiteral("/Pics/save16.ico"));
    QCOMPARE(ProgramPath(QStringLiteral("Help/index.htm")), shared + QStringLiteral("/Help/index.htm"));
    QCOMPARE(IniFilePath(), own + QStringLiteral("/Zentavo.ini"));

    // No home to put a data folder in: the executable's folder, as before.
    QCOMPARE(ResolveProgramFolders(bin, QString(), QString()).programDir, bin);
    SetProgramDir(m_dir.path());
}

void TextHelpersTest::programDirFromEnvironment()
{
    const QByteArray saved = qgetenv("ZENTAVO_DIR");
    const QString mixedCase = m_dir.path() + QStringLiteral("/Mixed Case");
    QVERIFY(QDir().mkpath(mixedCase));

    qputenv("ZENTAVO_DIR", QFile::encodeName(mixedCase + QLatin1Char('/')));
    InitProgramDir();
    QCOMPARE(ProgramDir(), mixedCase);

    qputenv("ZENTAVO_DIR", "");
    InitProgramDir();
    QCOMPARE(ProgramDir(), QCoreApplication::applicationDirPath());

    ClearProgramDir();
    qunsetenv("ZENTAVO_DIR");
    // Read before anyone set it: the executable's folder, never the root.
    QCOMPARE(ProgramDir(), QCoreApplication::applicationDirPath());

    if (!saved.isNull())
        qputenv("ZENTAVO_DIR", saved);
}

void TextHelpersTest::formPositionDefaults()
{
    int left = -1, top = -1;
    LoadFormPosition(QStringLiteral("frm_Sehol"), left, top);
    QCOMPARE(left, 10);
    QCOMPARE(top, 10);

    int width = 300, height = 200;
    LoadFormBounds(QStringLiteral("frm_Sehol"), left, top, width, height);
    QCOMPARE(QRect(left, top, width, height), QRect(10, 10, 300, 200));
}

void TextHelpersTest::formPositionRoundTrip()
{
    SaveFormPosition(QStringLiteral("frm_Beallit"), 120, -5);
    SaveFormBounds(QStringLiteral("frm_Gyorslista"), 30, 40, 500, 600);
    int left = 0, top = 0, width = 1, height = 1;
    LoadFormPosition(QStringLiteral("frm_Beallit"), left, top);
    QCOMPARE(QPoint(left, top), QPoint(120, -5));
    LoadFormBounds(QStringLiteral("frm_Gyorslista"), left, top, width, height);
    QCOMPARE(QRect(left, top, width, height), QRect(30, 40, 500, 600));

    QFile file(IniFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray ini = file.readAll();
    QVERIFY2(ini.contains("[frm_Beallit]"), ini.constData());
    QVERIFY2(ini.contains("Left=120"), ini.constData());
}

void TextHelpersTest::formPositionGarbage()
{
    QTemporaryDir dir;
    SetProgramDir(dir.path());
    QFile f(IniFilePath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[Screen]\r\nFullScreen=1\r\n"
            "[frm_Rossz]\r\nLeft=abc\r\nTop=25\r\n"
            "[frm_Gyorslista]\r\nLeft=1,2\r\nTop=\r\nWidth=x\r\nHeight=480\r\n");
    f.close();

    int left = 0, top = 0;
    LoadFormPosition(QStringLiteral("frm_Rossz"), left, top);
    QCOMPARE(QPoint(left, top), QPoint(10, 25));

    int width = 640, height = 1;
    LoadFormBounds(QStringLiteral("frm_Gyorslista"), left, top, width, height);
    QCOMPARE(QRect(left, top, width, height), QRect(10, 10, 640, 480));

    // Writing one section leaves the others alone.
    SaveFormPosition(QStringLiteral("frm_Rossz"), 1, 2);
    QSettings ini(IniFilePath(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Screen/FullScreen")).toString(), QStringLiteral("1"));
    QCOMPARE(ini.value(QStringLiteral("frm_Gyorslista/Height")).toString(), QStringLiteral("480"));
}

void TextHelpersTest::restoreAndRemember()
{
    QTemporaryDir dir;
    SetProgramDir(dir.path());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();

    // Never stored and nobody to belong to: centred on the screen, not in its corner.
    QWidget w;
    w.resize(200, 100);
    RestoreFormPosition(&w, QStringLiteral("frm_Uj"));
    QCOMPARE(w.pos(), area.center() - QPoint(100, 50));

    // Never stored, with a window it belongs to: centred on that window.
    QWidget owner;
    owner.setGeometry(area.left() + 40, area.top() + 30, 500, 400);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    QWidget dialog(&owner, Qt::Dialog);
    dialog.resize(200, 100);
    RestoreFormPosition(&dialog, QStringLiteral("frm_Masik"));
    QCOMPARE(dialog.pos(), owner.frameGeometry().center() - QPoint(100, 50));

    // What is saved is what is restored, opening after opening, shown or not.
    w.move(50, 60);
    RememberFormPosition(&w, QStringLiteral("frm_Uj"));
    for (int i = 0; i < 3; ++i) {
        QWidget again;
        again.resize(200, 100);
        RestoreFormPosition(&again, QStringLiteral("frm_Uj"));
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.pos(), QPoint(50, 60));
        RememberFormPosition(&again, QStringLiteral("frm_Uj"));
    }
}

void TextHelpersTest::restoredPositionsAreClamped_data()
{
    QTest::addColumn<QPoint>("stored");    // relative to the work area's top left; -1: its far edge
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("inside") << QPoint(50, 60) << QPoint(50, 60);
    QTest::newRow("title bar above the screen") << QPoint(30, -10) << QPoint(30, 0);
    QTest::newRow("left of the screen") << QPoint(-500, 20) << QPoint(0, 20);
    QTest::newRow("screen that is gone") << QPoint(100000, 100000) << QPoint(-1, -1);
    QTest::newRow("half off the right edge") << QPoint(100000, 40) << QPoint(-1, 40);
    QTest::newRow("last rows below the bottom") << QPoint(10, 100000) << QPoint(10, -1);
}

void TextHelpersTest::restoredPositionsAreClamped()
{
    QFETCH(QPoint, stored);
    QFETCH(QPoint, expected);
    QTemporaryDir dir;
    SetProgramDir(dir.path());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize size(200, 100);
    SaveFormPosition(QStringLiteral("frm_Hol"), area.left() + stored.x(), area.top() + stored.y());
    QWidget w;
    w.resize(size);
    RestoreFormPosition(&w, QStringLiteral("frm_Hol"));
    const QPoint want(expected.x() < 0 ? area.right() + 1 - size.width() : area.left() + expected.x(),
                      expected.y() < 0 ? area.bottom() + 1 - size.height() : area.top() + expected.y());
    QCOMPARE(w.pos(), want);
}

void TextHelpersTest::clampToArea_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QRect>("expected");
    const QRect area(0, 20, 800, 580);   // below a 20 pixel panel
    QTest::newRow("inside stays") << QRect(10, 30, 100, 50) << QRect(10, 30, 100, 50);
    QTest::newRow("above comes down") << QRect(10, -10, 100, 50) << QRect(10, 20, 100, 50);
    QTest::newRow("right comes in") << QRect(780, 100, 100, 50) << QRect(700, 100, 100, 50);
    QTest::newRow("below comes up") << QRect(0, 590, 100, 50) << QRect(0, 550, 100, 50);
    QTest::newRow("too big shrinks") << QRect(-5, 0, 1000, 900) << QRect(0, 20, 800, 580);
}

void TextHelpersTest::clampToArea()
{
    QFETCH(QRect, rect);
    QFETCH(QRect, expected);
    QCOMPARE(ClampToArea(rect, QRect(0, 20, 800, 580)), expected);
}

QTEST_MAIN(TextHelpersTest)
#include "tst_texthelpers.moc"

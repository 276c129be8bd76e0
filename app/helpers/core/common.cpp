#include "app/helpers/core/common.h"

#include "db/textfold.h"

#include "db/codec.h"
#include "db/dberror.h"
#include "db/recordset.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include <cmath>
#include <limits>

// ---------------------------------------------------------------------------
// Program folder

namespace {

QString &programDirStorage()
{
    static QString dir;
    return dir;
}

QString &sharedDirStorage()
{
    static QString dir;
    return dir;
}

// No trailing separator, except for the root folder itself.
QString withoutTrailingSeparator(QString dir)
{
    while (dir.size() > 1 && (dir.endsWith(QLatin1Char('/')) || dir.endsWith(QDir::separator())))
        dir.chop(1);
    return dir;
}

} // namespace

ProgramFolders ResolveProgramFolders(const QString &executableDir, const QString &envDir, const QString &dataHome)
{
    ProgramFolders folders;
#ifdef ZENTAVO_SHARE_FROM_BIN
    const QString shared = QDir::cleanPath(executableDir + QLatin1Char('/') + QLatin1String(ZENTAVO_SHARE_FROM_BIN));
    if (QFileInfo(shared).isDir())
        folders.sharedDir = shared;
#endif
    if (!envDir.trimmed().isEmpty())
        folders.programDir = QDir(envDir).absolutePath();
    else if (!folders.sharedDir.isEmpty() && !dataHome.isEmpty())
        // An installed program may not write beside itself.
        folders.programDir = QDir::cleanPath(dataHome + QStringLiteral("/zentavo"));
    else
        folders.programDir = executableDir;
    return folders;
}

const QString &ProgramDir()
{
    // Reached before InitProgramDir() only by tests and tools; the ini file
    // must still not end up in the root folder.
    if (programDirStorage().isEmpty() && QCoreApplication::instance())
        InitProgramDir();
    return programDirStorage();
}

const QString &SharedFilesDir()
{
    return sharedDirStorage();
}

void InitProgramDir()
{
    const ProgramFolders folders = ResolveProgramFolders(QCoreApplication::applicationDirPath(),
                                                         qEnvironmentVariable("ZENTAVO_DIR"),
                                                         QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    SetProgramDir(folders.programDir, folders.sharedDir);
}

void SetProgramDir(const QString &dir, const QString &sharedDir)
{
    programDirStorage() = QDir::toNativeSeparators(withoutTrailingSeparator(dir));
    sharedDirStorage() = QDir::toNativeSeparators(withoutTrailingSeparator(sharedDir));
}

void ClearProgramDir()
{
    programDirStorage().clear();
    sharedDirStorage().clear();
}

QString ProgramPath(const QString &relative)
{
    // Paths under the program folder are written with backslashes in many
    // places of the program's own data; they are folder separators here.
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (rel.startsWith(QLatin1Char('/')))
        rel.remove(0, 1);
    QString dir = QDir::fromNativeSeparators(ProgramDir());
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    const QString own = dir + rel;
    const QString &shared = SharedFilesDir();
    if (!shared.isEmpty() && !rel.isEmpty() && !QFileInfo::exists(own)) {
        const QString installed = QDir::fromNativeSeparators(shared) + QLatin1Char('/') + rel;
        if (QFileInfo::exists(installed))
            return QDir::toNativeSeparators(installed);
    }
    return QDir::toNativeSeparators(own);
}

QString IniFilePath()
{
    return ProgramPath(QStringLiteral("Zentavo.ini"));
}

// ---------------------------------------------------------------------------
// Null-safe readers

namespace {

const QDate kZeroDate(1899, 12, 30);

bool isEmptyValue(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

[[noreturn]] void conversionError(const QString &text, const char *what)
{
    throw zdb::Error(QStringLiteral("'%1' is not a valid %2").arg(text, QLatin1String(what)));
}

QString floatText(double d)
{
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    return loc.toString(d, 'g', 15);
}

} // namespace

QString VarToStrNull(const QVariant &v)
{
    if (isEmptyValue(v))
        return {};
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return QString::number(v.toLongLong());
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return QString::number(v.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return floatText(v.toDouble());
    case QMetaType::QDate:
        return zdb::dateToText(v.toDate());
    case QMetaType::QDateTime:
        return zdb::dateToText(v.toDateTime().date());
    case QMetaType::QByteArray:
        return zdb::fromCp1250(v.toByteArray());
    default:
        return v.toString();
    }
}

int VarToIntNull(const QVariant &v)
{
    if (isEmptyValue(v))
        return 0;
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = std::nearbyint(v.toDouble());
        if (!std::isfinite(d) || d < std::numeric_limits<int>::min() || d > std::numeric_limits<int>::max())
            conversionError(floatText(v.toDouble()), "integer value");
        return static_cast<int>(d);
    }
    case QMetaType::QDate:
        return static_cast<int>(kZeroDate.daysTo(v.toDate()));
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString text = VarToStrNull(v);
        if (text.trimmed().isEmpty())
            return 0;
        bool ok = false;
        const int n = text.trimmed().toInt(&ok, 10);
        if (!ok)
            conversionError(text, "integer value");
        return n;
    }
    default: {
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok);
        if (!ok || n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
            conversionError(VarToStrNull(v), "integer value");
        return static_cast<int>(n);
    }
    }
}

int IntOrZero(const QVariant &v)
{
    bool ok = false;
    const int n = v.toInt(&ok);
    return v.isValid() && ok ? n : 0;
}

double VarToFloatNull(const QVariant &v)
{
    if (isEmptyValue(v))
        return 0;
    switch (v.typeId()) {
    case QMetaType::QDate:
        return static_cast<double>(kZeroDate.daysTo(v.toDate()));
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString text = VarToStrNull(v).trimmed();
        if (text.isEmpty())
            return 0;
        bool ok = false;
        QLocale loc;
        loc.setNumberOptions(QLocale::RejectGroupSeparator);
        double d = loc.toDouble(text, &ok);
        if (!ok)
            d = QLocale::c().toDouble(text, &ok);
        if (!ok || !std::isfinite(d))
            conversionError(text, "floating point value");
        return d;
    }
    default: {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok)
            conversionError(VarToStrNull(v), "floating point value");
        return d;
    }
    }
}

QDate VarToDateNull(const QVariant &v)
{
    if (isEmptyValue(v))
        return kZeroDate;
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate();
    case QMetaType::QDateTime:
        return v.toDateTime().date();
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString text = VarToStrNull(v).trimmed();
        if (text.isEmpty())
            return kZeroDate;
        const QDate iso = QDate::fromString(text, Qt::ISODate);
        if (iso.isValid())
            return iso;
        return zdb::parseStoredDate(zdb::toCp1250(text));
    }
    default: {
        bool ok = false;
        const qlonglong days = v.toLongLong(&ok);
        if (!ok)
            conversionError(VarToStrNull(v), "date");
        return kZeroDate.addDays(days);
    }
    }
}

// ---------------------------------------------------------------------------
// Text helpers

QString SortKeyOf(const QString &text)
{
    return zdb::foldSortKey(text);
}

QString ExtractToken(QChar separator, const QString &text, int n)
{
    if (n < 1 || text.isEmpty())
        return {};
    qsizetype start = 0;
    for (int field = 1; field < n; ++field) {
        const qsizetype sep = text.indexOf(separator, start);
        if (sep < 0)
            return {};
        start = sep + 1;
    }
    const qsizetype end = text.indexOf(separator, start);
    return text.mid(start, end < 0 ? -1 : end - start);
}

QString ReplaceChar(const QVariant &value, QChar a, QChar b)
{
    QString text = VarToStrNull(value);
    text.replace(a, b);
    return text;
}

QString RemoveSpaces(const QString &text)
{
    QString out = text;
    out.remove(QLatin1Char(' '));
    return out;
}

QString JoinLines(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            out += QLatin1Char('|');
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            out += c;
        }
        ++i;
    }
    // The last line has no break after it unless the text ended with one.
    if (n > 0 && text.at(n - 1) != QLatin1Char('\r') && text.at(n - 1) != QLatin1Char('\n'))
        out += QLatin1Char('|');
    return out;
}

QString SafeFileName(const QString &text)
{
    static const QString dashed = QStringLiteral(" !\"#%&'*+/:?@\\");
    constexpr char16_t euro = 0x20AC;
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (dashed.contains(c))
            out += QLatin1Char('-');
        else if (u == euro)
            out += c;
        // Control characters have no place in a file name either.
        else if (u > 0x7E || u < 0x20)
            out += QLatin1Char('_');
        else
            out += c.toLower();
    }
    return out;
}

// Blanks and control characters at either end, as a pasted or imported value
// may carry them (tabs, line ends, no-break spaces).
QString TrimLoose(const QString &text)
{
    qsizetype b = 0;
    qsizetype e = text.size();
    auto blank = [](QChar c) { return c.unicode() <= 0x20 || c.isSpace() || c.category() == QChar::Other_Control; };
    while (b < e && blank(text.at(b)))
        ++b;
    while (e > b && blank(text.at(e - 1)))
        --e;
    return text.mid(b, e - b);
}

namespace {

// Digit groups may be separated by ordinary, no-break or narrow no-break spaces.
QString withoutSpaces(QString text)
{
    text.remove(QLatin1Char(' '));
    text.remove(QChar(0x00A0));
    text.remove(QChar(0x202F));
    return text;
}

} // namespace

QChar DecimalSeparator()
{
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.at(0);
}

double ParseFloatLoose(const QString &text)
{
    QString t = withoutSpaces(TrimLoose(text));
    if (t.isEmpty())
        return 0;
    const QChar dec = DecimalSeparator();
    if (dec == QLatin1Char('.'))
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    else
        t.replace(QLatin1Char('.'), dec);
    QLocale loc;
    loc.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double d = loc.toDouble(t, &ok);
    // "inf" and "nan" read as numbers but are no value anyone typed in.
    return ok && std::isfinite(d) ? d : 0;
}

int ParseIntLoose(const QString &text)
{
    const QString t = withoutSpaces(TrimLoose(text));
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const int n = t.toInt(&ok, 10);
    return ok ? n : 0;
}

int YearOfDate(const QDate &d) { return d.year(); }
int MonthOfDate(const QDate &d) { return d.month(); }
int DayOfDate(const QDate &d) { return d.day(); }

void ReopenKeepingPlace(zdb::RecordSet *rs, const QString &idField)
{
    if (!rs)
        return;
    QVariantList candidates;   // the row itself, then the one after, then the one before
    if (rs->isOpen()) {
        const int row = rs->currentRow();
        const int field = rs->fieldIndex(idField);
        if (row >= 0 && field >= 0) {
            for (int r : {row, row + 1, row - 1})
                if (r >= 0 && r < rs->recordCount())
                    candidates << rs->valueAt(r, field);
        }
    }
    rs->close();
    rs->open();
    for (const QVariant &id : candidates)
        if (id.isValid() && rs->locate(idField, id))
            return;
    rs->first();
}

namespace {

bool hasCurrentRow(const zdb::RecordSet *rs)
{
    return rs && rs->isOpen() && (rs->isEditing() || rs->currentRow() >= 0);
}

} // namespace

QString CurrentRowText(const zdb::RecordSet *rs, const QString &field)
{
    return hasCurrentRow(rs) ? VarToStrNull(rs->value(field)) : QString();
}

int CurrentRowInt(const zdb::RecordSet *rs, const QString &field)
{
    if (!hasCurrentRow(rs))
        return 0;
    const QVariant v = rs->value(field);
    return v.isValid() ? v.toInt() : 0;
}

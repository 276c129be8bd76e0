#include "app/helpers/core/textfile.h"

#include "db/codec.h"
#include "db/dberror.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

QString WithCrLf(const QString &text)
{
    QString result = text;
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    result.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return result;
}

namespace {

// The length of the valid UTF-8 sequence at p (lead byte >= 0x80), or 0.
int utf8Sequence(const unsigned char *p, const unsigned char *end)
{
    const unsigned char c = p[0];
    int len = 0;
    unsigned char lo = 0x80, hi = 0xBF;   // the second byte's range
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0)
            lo = 0xA0;
        else if (c == 0xED)
            hi = 0x9F;   // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0)
            lo = 0x90;
        else if (c == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (end - p < len || p[1] < lo || p[1] > hi)
        return 0;
    for (int k = 2; k < len; ++k)
        if (p[k] < 0x80 || p[k] > 0xBF)
            return 0;
    return len;
}

} // namespace

TextEncoding DetectTextEncoding(const QByteArray &bytes)
{
    TextEncoding e;
    if (bytes.startsWith("\xFF\xFE")) {
        e.kind = TextEncoding::Utf16LE;
        e.markSize = 2;
        return e;
    }
    if (bytes.startsWith("\xFE\xFF")) {
        e.kind = TextEncoding::Utf16BE;
        e.markSize = 2;
        return e;
    }
    const bool marked = bytes.startsWith("\xEF\xBB\xBF");
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto *end = p + bytes.size();
    qsizetype valid = 0, broken = 0;
    int line = 1, firstBad = 0;
    for (const unsigned char *q = p + (marked ? 3 : 0); q < end;) {
        const unsigned char c = *q;
        if (c < 0x80) {
            // CR LF, LF and a lone CR each end one line.
            if (c == '\n' || (c == '\r' && (q + 1 == end || q[1] != '\n')))
                ++line;
            ++q;
            continue;
        }
        const int len = utf8Sequence(q, end);
        if (len > 0) {
            ++valid;
            q += len;
        } else {
            if (!firstBad)
                firstBad = line;
            ++broken;
            ++q;
        }
    }
    if (marked || (valid > 0 && valid > broken)) {
        e.kind = TextEncoding::Utf8;
        e.markSize = marked ? 3 : 0;
        e.badLine = firstBad;
    }
    return e;
}

QString BadUtf8Message(int line)
{
    return QStringLiteral("A file UTF-8 kódolású, de a(z) %1. sorában hibás bájtsor van; nem olvasható be.\n"
                          "Mentse el újra UTF-8 vagy Windows-1250 kódolással.")
        .arg(line);
}

QString DecodeTextFile(const QByteArray &bytes)
{
    const TextEncoding e = DetectTextEncoding(bytes);
    const char *data = bytes.constData() + e.markSize;
    const qsizetype size = bytes.size() - e.markSize;
    switch (e.kind) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        QStringDecoder utf16(e.kind == TextEncoding::Utf16LE ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless);
        return utf16(QByteArrayView(data, size));
    }
    case TextEncoding::Utf8:
        if (e.badLine)
            throw zdb::Error(BadUtf8Message(e.badLine));
        return QString::fromUtf8(data, size);
    case TextEncoding::Cp1250:
        break;
    }
    return zdb::fromCp1250(bytes);
}

QByteArray ReadFileBytes(const QString &path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw zdb::Error(QStringLiteral("A(z) \"%1\" fájl nem olvasható: %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.size() > maxBytes)
        throw zdb::Error(QStringLiteral("A(z) \"%1\" fájl túl nagy (%2 MB); legfeljebb %3 MB-os szöveg tölthető be.")
                             .arg(QDir::toNativeSeparators(path))
                             .arg((file.size() + 1024 * 1024 - 1) / (1024 * 1024))
                             .arg(maxBytes / (1024 * 1024)));
    const QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw zdb::Error(QStringLiteral("A(z) \"%1\" fájl nem olvasható: %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
    if (bytes.size() > maxBytes)   // a file that grew while being read
        throw zdb::Error(QStringLiteral("A(z) \"%1\" fájl túl nagy; legfeljebb %2 MB-os szöveg tölthető be.")
                             .arg(QDir::toNativeSeparators(path))
                             .arg(maxBytes / (1024 * 1024)));
    return bytes;
}

QString ReadTextFile(const QString &path, qint64 maxBytes)
{
    const QByteArray bytes = ReadFileBytes(path, maxBytes);
    try {
        return DecodeTextFile(bytes);
    } catch (const zdb::Error &e) {
        throw zdb::Error(QStringLiteral("A(z) \"%1\" fájl: %2").arg(QDir::toNativeSeparators(path), e.message()));
    }
}

void WriteTextFile(const QString &path, const QString &text)
{
    const QByteArray bytes = zdb::toCp1250(WithCrLf(text));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw zdb::Error(QStringLiteral("A(z) \"%1\" fájl nem hozható létre: %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
    // The buffered bytes reach the disk at the flush: a failure there (a full
    // disk) must stop the commit, which would otherwise replace the old file
    // with the part that was written.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        throw zdb::Error(QStringLiteral("A(z) \"%1\" fájl írása nem sikerült: %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
}

#include "app/helpers/textfile.h"

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

QString DecodeTextFile(const QByteArray &bytes)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom))
        return QString::fromUtf8(bytes.constData() + bom.size(), bytes.size() - bom.size());
    bool ascii = true;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8(bytes);
        if (!utf8.hasError())
            return text;
    }
    return zdb::fromCp1250(bytes);
}

QString ReadTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw zdb::Error(QStringLiteral("A(z) \"%1\" fájl nem olvasható: %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw zdb::Error(QStringLiteral("A(z) \"%1\" fájl nem olvasható: %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
    return DecodeTextFile(bytes);
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

#include "db/codec.h"

#include <array>

namespace zdb {


QByteArray toCp1250(QStringView text)
{
    QByteArray out;
    out.resize(text.size());
    char *p = out.data();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            *p++ = static_cast<char>(c);
            continue;
        }
        unsigned char b = cp1250Byte(c);
        if (b == 0) {
            b = '?';
            // A surrogate pair is one character outside the code page: one "?".
            if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode()))
                ++i;
        }
        *p++ = static_cast<char>(b);
    }
    out.resize(p - out.data());
    return out;
}

QString fromCp1250(const char *data, qsizetype length)
{
    QString out(length, Qt::Uninitialized);
    QChar *q = out.data();
    for (qsizetype i = 0; i < length; ++i) {
        const unsigned char b = static_cast<unsigned char>(data[i]);
        q[i] = QChar(b < 0x80 ? char16_t(b) : kCp1250High[b - 0x80]);
    }
    return out;
}

QByteArray encodeText(QStringView text, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? text.toUtf8() : toCp1250(text);
}

QString decodeText(const char *data, qsizetype length, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? QString::fromUtf8(data, length) : fromCp1250(data, length);
}

} // namespace zdb

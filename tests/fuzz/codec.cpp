// The Windows-1250 codec both ways.

#include "tests/fuzz/fuzzcheck.h"

#include "db/codec.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Every byte sequence read from a file or the database survives a round trip.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = zdb::fromCp1250(bytes);
    FUZZ_CHECK(text.size() == bytes.size());
    FUZZ_CHECK(zdb::toCp1250(text) == bytes);

    // Any text encodes to one byte per character (a surrogate pair is one
    // character), and encoding what was decoded changes nothing more.
    const QString typed = fuzz::utf16Of(data, size);
    const QByteArray encoded = zdb::toCp1250(typed);
    FUZZ_CHECK(encoded.size() <= typed.size());
    FUZZ_CHECK(zdb::toCp1250(zdb::fromCp1250(encoded)) == encoded);
    for (qsizetype i = 0, j = 0; i < typed.size(); ++i, ++j) {
        const char16_t c = typed.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < typed.size() && QChar::isLowSurrogate(typed.at(i + 1).unicode()))
            ++i;
        else if (c < 0x80 || zdb::cp1250Byte(c))
            FUZZ_CHECK(zdb::fromCp1250(encoded.mid(j, 1)).at(0).unicode() == c);
    }

    // The UTF-8 side of the database encoding is lossless for valid text.
    const QString valid = QString::fromUtf8(bytes);
    FUZZ_CHECK(zdb::decodeText(zdb::encodeText(valid, zdb::Encoding::Utf8).constData(),
                               zdb::encodeText(valid, zdb::Encoding::Utf8).size(), zdb::Encoding::Utf8) == valid);
    return 0;
}

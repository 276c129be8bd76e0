#pragma once

// What the fuzz targets share: a property that fails stops the run at once,
// with the reason, under libFuzzer and under the seed replay alike.

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "fuzz property failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

namespace fuzz {

// The input as UTF-16 code units (any bytes, unpaired surrogates included),
// the way a value typed or read from a file may reach the program.
inline QString utf16Of(const unsigned char *data, size_t size)
{
    return QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
}

} // namespace fuzz

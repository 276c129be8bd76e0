// The tolerant readers of outside text: numbers, tokens, trimming and the
// stored and typed date forms.

#include "tests/fuzz/fuzzcheck.h"

#include "app/helpers/core/common.h"
#include "db/dberror.h"
#include "db/recordset.h"

#include <QDate>

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 2048)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = QString::fromUtf8(bytes);

    const double f = ParseFloatLoose(text);
    FUZZ_CHECK(std::isfinite(f));
    const int i = ParseIntLoose(text);
    // What a number reads as does not depend on blanks around it.
    FUZZ_CHECK(ParseIntLoose(QStringLiteral(" \t") + text + QStringLiteral(" ")) == i);

    const QString trimmed = TrimLoose(text);
    FUZZ_CHECK(TrimLoose(trimmed) == trimmed);
    FUZZ_CHECK(text.contains(trimmed));

    // Tokens: the pieces between separators, in order; past the end, empty.
    const QChar sep = text.isEmpty() ? QLatin1Char(';') : text.at(0);
    const QStringList pieces = text.split(sep);
    for (int n = 1; n <= pieces.size() + 1 && n < 64; ++n) {
        const QString token = ExtractToken(sep, text, n);
        FUZZ_CHECK(!token.contains(sep));
        FUZZ_CHECK(text.contains(token));
    }

    // Stored dates: a valid reading is a real day; garbage is an error, never a crash.
    try {
        const QDate d = zdb::parseStoredDate(bytes);
        FUZZ_CHECK(!d.isValid() || (d.year() >= 1 && d.year() <= 9999));
    } catch (const zdb::Error &) {
    }
    try {
        const QDate d = VarToDateNull(QVariant(text));
        FUZZ_CHECK(d.isValid() || d.isNull());
        (void)VarToIntNull(QVariant(text));
    } catch (const zdb::Error &) {
    }
    return 0;
}

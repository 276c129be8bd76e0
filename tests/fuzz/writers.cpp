// The writers of exported files on arbitrary values: what they write reads
// back as the same texts (Windows-1250 letters kept, others as "?").

#include "tests/fuzz/fuzzcheck.h"

#include "db/codec.h"
#include "output/htmlexport.h"

#include <cstdint>

namespace {

// What survives the code page: a character it lacks (a surrogate pair is one
// character) becomes "?".
QString inCodePage(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80 || zdb::cp1250Byte(c)) {
            out += QChar(c);
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode()))
            ++i;
        out += QLatin1Char('?');
    }
    return out;
}

// The page text read back the way a browser reads it.
QString htmlReadBack(const QByteArray &page)
{
    const QString s = zdb::fromCp1250(page);
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        // Markup: only line breaks; every "&" opens one of four entities.
        FUZZ_CHECK(c != QLatin1Char('>') && c != QLatin1Char('"'));
        if (c == QLatin1Char('<')) {
            FUZZ_CHECK(s.mid(i, 4) == QLatin1String("<br>"));
            out += QLatin1Char('\n');
            i += 3;
            continue;
        }
        if (c == QLatin1Char('&')) {
            static const std::pair<const char *, char> entities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
            bool known = false;
            for (const auto &[name, ch] : entities) {
                const QLatin1String n(name);
                if (s.mid(i, n.size()) == n) {
                    out += QLatin1Char(ch);
                    i += n.size() - 1;
                    known = true;
                    break;
                }
            }
            FUZZ_CHECK(known);
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 8192)
        return 0;
    QString text = fuzz::utf16Of(data, size);
    const QByteArray page = HtmlPageText(text);
    // Line breaks of any kind read back as one break each.
    QString expected = inCodePage(text);
    expected.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    expected.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    FUZZ_CHECK(htmlReadBack(page) == expected);
    return 0;
}

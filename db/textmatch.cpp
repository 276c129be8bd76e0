#include "db/textmatch.h"

#include "db/textfold.h"

#include <QByteArray>
#include <QChar>

#include <cstring>
#include <memory>
#include <vector>

#include <sqlite3.h>

namespace zdb {

namespace {

using Byte = unsigned char;

// One character of a stored text. Windows-1250 is one byte a character; in a
// UTF-8 database a byte that starts no valid sequence stands for itself, so a
// broken byte never matches another broken byte by accident.
char32_t nextChar(const Byte *&p, const Byte *end, Encoding encoding)
{
    const Byte b = *p++;
    if (b < 0x80)
        return b;
    if (encoding == Encoding::Standard)
        return kCp1250High[b - 0x80];
    int extra = 0;
    char32_t c = 0;
    if ((b & 0xE0) == 0xC0) {
        extra = 1;
        c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2;
        c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3;
        c = b & 0x07;
    } else {
        return 0x110000 + b;
    }
    if (end - p < extra)
        return 0x110000 + b;
    for (int i = 0; i < extra; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 0x110000 + b;
    for (int i = 0; i < extra; ++i)
        c = (c << 6) | (p[i] & 0x3F);
    p += extra;
    return c;
}

char32_t fold(char32_t c)
{
    if (c < 0x80)
        return (c >= U'A' && c <= U'Z') ? c + 0x20 : c;
    return c <= 0x10FFFF ? QChar::toLower(c) : c;
}

// Every Windows-1250 byte as its character, as is and case-folded: one look-up
// a character instead of a decode and a Unicode case table per comparison.
struct Cp1250Tables
{
    char32_t plain[256];
    char32_t folded[256];
    Cp1250Tables()
    {
        for (int b = 0; b < 256; ++b) {
            plain[b] = b < 0x80 ? char32_t(b) : char32_t(kCp1250High[b - 0x80]);
            folded[b] = fold(plain[b]);
        }
    }
};

const Cp1250Tables &cp1250Tables()
{
    static const Cp1250Tables tables;
    return tables;
}

enum class Kind { Literal, Any, Star, Class };

struct Token
{
    Kind kind;
    char32_t literal = 0;     // Literal: folded for LIKE
    int classStart = 0;       // Class: the set's bytes in the pattern, after '['
    int classEnd = 0;         //   up to the closing ']'
};

// A pattern taken apart once per statement (SQLite keeps it beside a
// constant or bound pattern), so a search over many rows does not parse and
// fold the pattern again for every row and every position in it.
struct Pattern
{
    Encoding encoding;
    bool glob;               // GLOB: * ? [..], case counts; LIKE: % _, case folds
    QByteArray source;       // the pattern's bytes, then the escape's
    int patternLength = 0;
    bool bad = false;        // an unclosed set or a trailing escape: matches nothing
    std::vector<Token> tokens;

    const Byte *bytes() const { return reinterpret_cast<const Byte *>(source.constData()); }

    // The next character of a text, folded for LIKE.
    char32_t textChar(const Byte *&s, const Byte *end) const
    {
        if (encoding == Encoding::Standard) {
            const Byte b = *s++;
            return glob ? cp1250Tables().plain[b] : cp1250Tables().folded[b];
        }
        const char32_t c = nextChar(s, end, encoding);
        return glob ? c : fold(c);
    }

    bool compile(bool hasEscape, char32_t escape)
    {
        const Byte *p = bytes();
        const Byte *end = p + patternLength;
        while (p < end) {
            Token t{Kind::Literal};
            const char32_t c = nextChar(p, end, encoding);
            if (glob && c == U'*') {
                t.kind = Kind::Star;
            } else if (glob && c == U'?') {
                t.kind = Kind::Any;
            } else if (glob && c == U'[') {
                const Byte *q = p;
                // A ']' right after '[' or '[^' belongs to the set.
                if (q < end && *q == '^')
                    ++q;
                if (q < end && *q == ']')
                    ++q;
                while (q < end && *q != ']')
                    nextChar(q, end, encoding);
                if (q >= end)
                    return false;
                t.kind = Kind::Class;
                t.classStart = int(p - bytes());
                t.classEnd = int(q - bytes());
                p = q + 1;
            } else if (!glob && c == U'%') {
                t.kind = Kind::Star;
            } else if (!glob && hasEscape && c == escape) {
                if (p >= end)
                    return false;
                t.literal = fold(nextChar(p, end, encoding));
            } else if (!glob && c == U'_') {
                t.kind = Kind::Any;
            } else {
                t.literal = glob ? c : fold(c);
            }
            // Two stars in a row match what one does.
            if (t.kind == Kind::Star && !tokens.empty() && tokens.back().kind == Kind::Star)
                continue;
            tokens.push_back(t);
        }
        return true;
    }

    bool inClass(const Token &t, char32_t c) const
    {
        const Byte *p = bytes() + t.classStart;
        const Byte *end = bytes() + t.classEnd;
        bool negate = false;
        if (p < end && *p == '^') {
            negate = true;
            ++p;
        }
        bool found = false;
        bool first = true;
        char32_t previous = 0;
        bool rangeOpen = false;
        while (p < end) {
            if (*p == ']' && !first)
                break;
            const char32_t x = nextChar(p, end, encoding);
            if (x == U'-' && !first && p < end && *p != ']' && !rangeOpen) {
                rangeOpen = true;
                first = false;
                continue;
            }
            if (rangeOpen) {
                if (c >= previous && c <= x)
                    found = true;
                rangeOpen = false;
            } else if (c == x) {
                found = true;
            }
            previous = x;
            first = false;
        }
        return found != negate;
    }

    // Where a star before a literal can stop at all: the first character
    // from s equal to the literal (the end when there is none).
    const Byte *skipTo(const Byte *s, const Byte *send, char32_t literal) const
    {
        if (encoding == Encoding::Standard) {
            const char32_t *table = glob ? cp1250Tables().plain : cp1250Tables().folded;
            while (s < send && table[*s] != literal)
                ++s;
            return s;
        }
        while (s < send) {
            const Byte *next = s;
            if (textChar(next, send) == literal)
                return s;
            s = next;
        }
        return s;
    }

    // Greedy with one back-track point: every token but the star takes exactly
    // one character, so the last star is the only choice worth revisiting.
    bool match(const Byte *s, const Byte *send) const
    {
        if (bad)
            return false;
        const size_t n = tokens.size();
        size_t ti = 0;
        size_t starT = 0;
        const Byte *starS = nullptr;
        for (;;) {
            if (ti < n) {
                const Token &t = tokens[ti];
                if (t.kind == Kind::Star) {
                    ++ti;
                    if (ti == n)
                        return true;   // a trailing star takes the rest
                    if (tokens[ti].kind == Kind::Literal)
                        s = skipTo(s, send, tokens[ti].literal);
                    starT = ti;
                    starS = s;
                    continue;
                }
                if (s < send) {
                    const Byte *nextS = s;
                    const char32_t c = textChar(nextS, send);
                    bool ok = false;
                    switch (t.kind) {
                    case Kind::Any: ok = true; break;
                    case Kind::Literal: ok = t.literal == c; break;
                    case Kind::Class: ok = inClass(t, c); break;
                    default: break;
                    }
                    if (ok) {
                        ++ti;
                        s = nextS;
                        continue;
                    }
                }
            } else if (s >= send) {
                return true;
            }
            if (!starS || starS >= send)
                return false;
            textChar(starS, send);
            if (tokens[starT].kind == Kind::Literal)
                starS = skipTo(starS, send, tokens[starT].literal);
            s = starS;
            ti = starT;
        }
    }
};

const Byte *textOf(sqlite3_value *v, int &length)
{
    const Byte *text = sqlite3_value_text(v);
    length = sqlite3_value_bytes(v);
    return text;
}

void deletePattern(void *p)
{
    delete static_cast<Pattern *>(p);
}

void matchFunction(sqlite3_context *context, int argc, sqlite3_value **argv, bool glob)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return;   // NULL, as SQL has it
    const auto *encoding = static_cast<const Encoding *>(sqlite3_user_data(context));
    int elen = 0;
    const Byte *escapeText = nullptr;
    if (argc == 3) {
        escapeText = textOf(argv[2], elen);
        if (!escapeText) {
            sqlite3_result_error_nomem(context);
            return;
        }
    }
    int plen = 0;
    int slen = 0;
    const Byte *pattern = textOf(argv[0], plen);
    const Byte *text = textOf(argv[1], slen);
    if (!pattern || !text) {
        sqlite3_result_error_nomem(context);
        return;
    }
    const int limit = sqlite3_limit(sqlite3_context_db_handle(context), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1);
    if (plen > limit) {
        sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
        return;
    }

    // The kept pattern serves only while pattern and escape are the same bytes.
    auto *kept = static_cast<Pattern *>(sqlite3_get_auxdata(context, 0));
    if (kept && (kept->patternLength != plen || kept->source.size() != plen + elen
                 || std::memcmp(kept->bytes(), pattern, size_t(plen)) != 0
                 || (elen > 0 && std::memcmp(kept->bytes() + plen, escapeText, size_t(elen)) != 0)))
        kept = nullptr;
    if (!kept) {
        auto made = std::make_unique<Pattern>(Pattern{*encoding, glob});
        made->source = QByteArray(reinterpret_cast<const char *>(pattern), plen);
        made->source.append(reinterpret_cast<const char *>(escapeText), elen);
        made->patternLength = plen;
        bool hasEscape = false;
        char32_t escape = 0;
        if (argc == 3) {
            const Byte *e = made->bytes() + plen;
            const Byte *eend = e + elen;
            if (elen > 0)
                escape = nextChar(e, eend, *encoding);
            if (elen == 0 || e != eend) {
                sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
                return;
            }
            hasEscape = true;
        }
        made->bad = !made->compile(hasEscape, escape);
        kept = made.get();
        // SQLite owns it from here (and deletes it at once when it cannot keep it).
        sqlite3_set_auxdata(context, 0, made.release(), deletePattern);
        kept = static_cast<Pattern *>(sqlite3_get_auxdata(context, 0));
        if (!kept) {
            // Not kept (a pattern that changes row by row): match with a copy.
            Pattern once{*encoding, glob};
            once.source = QByteArray(reinterpret_cast<const char *>(pattern), plen);
            once.patternLength = plen;
            once.bad = !once.compile(hasEscape, escape);
            sqlite3_result_int(context, once.match(text, text + slen) ? 1 : 0);
            return;
        }
    }
    sqlite3_result_int(context, kept->match(text, text + slen) ? 1 : 0);
}

void likeFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    matchFunction(context, argc, argv, false);
}

void globFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    matchFunction(context, argc, argv, true);
}

int compareHungarian(void *user, int n1, const void *p1, int n2, const void *p2)
{
    const Encoding encoding = *static_cast<const Encoding *>(user);
    const QString a = decodeText(static_cast<const char *>(p1), n1, encoding);
    const QString b = decodeText(static_cast<const char *>(p2), n2, encoding);
    int c = foldSortKey(a).compare(foldSortKey(b));
    if (c == 0)
        c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace

void registerTextMatch(sqlite3 *db, const Encoding *encoding)
{
    sqlite3_create_collation_v2(db, "hungarian", SQLITE_UTF8, const_cast<Encoding *>(encoding), compareHungarian,
                                nullptr);
    void *user = const_cast<Encoding *>(encoding);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "like", 2, flags, user, likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "like", 3, flags, user, likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "glob", 2, flags, user, globFunction, nullptr, nullptr, nullptr);
}

} // namespace zdb

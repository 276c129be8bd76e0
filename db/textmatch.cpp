#include "db/textmatch.h"

#include "db/textfold.h"

#include <QChar>

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
    return c <= 0x10FFFF ? QChar::toLower(c) : c;
}

enum class Kind { Literal, Any, Star, Class, Bad };

struct Matcher
{
    Encoding encoding;
    bool glob;               // GLOB: * ? [..], case counts; LIKE: % _, case folds
    char32_t escape = 0;     // LIKE only; 0 = none
    bool hasEscape = false;

    // The token at p: its kind, the character of a literal, and where the
    // next token starts.
    Kind token(const Byte *&p, const Byte *end, char32_t &literal, const Byte *&classStart) const
    {
        const char32_t c = nextChar(p, end, encoding);
        if (glob) {
            if (c == U'*')
                return Kind::Star;
            if (c == U'?')
                return Kind::Any;
            if (c == U'[') {
                classStart = p;
                const Byte *q = p;
                // A ']' right after '[' or '[^' belongs to the set.
                if (q < end && *q == '^')
                    ++q;
                if (q < end && *q == ']')
                    ++q;
                while (q < end && *q != ']')
                    nextChar(q, end, encoding);
                if (q >= end)
                    return Kind::Bad;
                p = q + 1;
                return Kind::Class;
            }
        } else {
            if (c == U'%')
                return Kind::Star;
            if (hasEscape && c == escape) {
                if (p >= end)
                    return Kind::Bad;
                literal = nextChar(p, end, encoding);
                return Kind::Literal;
            }
            if (c == U'_')
                return Kind::Any;
        }
        literal = c;
        return Kind::Literal;
    }

    bool inClass(const Byte *p, const Byte *end, char32_t c) const
    {
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

    bool literalMatches(char32_t pattern, char32_t c) const
    {
        return glob ? pattern == c : fold(pattern) == fold(c);
    }

    // Greedy with one back-track point: every token but the star takes exactly
    // one character, so the last star is the only choice worth revisiting.
    bool match(const Byte *p, const Byte *pend, const Byte *s, const Byte *send) const
    {
        const Byte *starP = nullptr;
        const Byte *starS = nullptr;
        for (;;) {
            if (p < pend) {
                const Byte *next = p;
                char32_t literal = 0;
                const Byte *classStart = nullptr;
                const Kind kind = token(next, pend, literal, classStart);
                if (kind == Kind::Bad)
                    return false;
                if (kind == Kind::Star) {
                    p = next;
                    starP = p;
                    starS = s;
                    continue;
                }
                if (s < send) {
                    const Byte *nextS = s;
                    const char32_t c = nextChar(nextS, send, encoding);
                    bool ok = false;
                    switch (kind) {
                    case Kind::Any: ok = true; break;
                    case Kind::Literal: ok = literalMatches(literal, c); break;
                    case Kind::Class: ok = inClass(classStart, next - 1, c); break;
                    default: break;
                    }
                    if (ok) {
                        p = next;
                        s = nextS;
                        continue;
                    }
                }
            } else if (s >= send) {
                return true;
            }
            if (!starP || starS >= send)
                return false;
            nextChar(starS, send, encoding);
            s = starS;
            p = starP;
        }
    }
};

const Byte *textOf(sqlite3_value *v, int &length)
{
    const Byte *text = sqlite3_value_text(v);
    length = sqlite3_value_bytes(v);
    return text;
}

void matchFunction(sqlite3_context *context, int argc, sqlite3_value **argv, bool glob)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return;   // NULL, as SQL has it
    const auto *encoding = static_cast<const Encoding *>(sqlite3_user_data(context));
    Matcher m{*encoding, glob};
    if (argc == 3) {
        int n = 0;
        const Byte *e = textOf(argv[2], n);
        const Byte *p = e;
        const Byte *end = e + n;
        if (n > 0)
            m.escape = nextChar(p, end, m.encoding);
        if (n == 0 || p != end) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        m.hasEscape = true;
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
    sqlite3_result_int(context, m.match(pattern, pattern + plen, text, text + slen) ? 1 : 0);
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

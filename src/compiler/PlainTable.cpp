#include "compiler/PlainTable.h"

#include <algorithm>
#include <array>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kv {

namespace {

enum : unsigned char {
    Blank = 1,     // between markup: space, tab, line feed, carriage return
    NameStart = 2, // first character of a name (ASCII only)
    Name = 4,      // further characters of a name
    ValueStop = 8, // ends the plain part of a value: quotes and what the parser would change
};

constexpr std::array<unsigned char, 256> makeClasses()
{
    std::array<unsigned char, 256> c{};
    c[' '] = c['\t'] = c['\n'] = c['\r'] = Blank;
    for (int i = 'A'; i <= 'Z'; ++i)
        c[size_t(i)] = NameStart | Name;
    for (int i = 'a'; i <= 'z'; ++i)
        c[size_t(i)] = NameStart | Name;
    c['_'] = c[':'] = NameStart | Name;
    for (int i = '0'; i <= '9'; ++i)
        c[size_t(i)] = Name;
    c['-'] = c['.'] = Name;
    for (const unsigned char s : {'\0', '&', '<', '"', '\''})
        c[s] |= ValueStop;
    c['\t'] |= ValueStop;
    c['\n'] |= ValueStop;
    c['\r'] |= ValueStop;
    return c;
}

constexpr std::array<unsigned char, 256> kClass = makeClasses();

inline bool is(char c, unsigned char cls)
{
    return (kClass[static_cast<unsigned char>(c)] & cls) != 0;
}

// Skips blanks; true when there was at least one.
inline bool skipBlanks(const char*& s)
{
    const char* start = s;
    while (is(*s, Blank))
        ++s;
    return s != start;
}

// Skips a name; false when s does not start one.
inline bool skipName(const char*& s)
{
    if (!is(*s, NameStart))
        return false;
    ++s;
    while (is(*s, Name))
        ++s;
    return true;
}

// Moves s to the first byte of the value that is a quote or something the
// parser would change.  Reads up to 15 bytes past that byte, which the
// padding after the end of the bytes allows.
inline const char* findValueStop(const char* s)
{
#ifdef __SSE2__
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i apostrophe = _mm_set1_epi8('\'');
    const __m128i amp = _mm_set1_epi8('&');
    const __m128i lt = _mm_set1_epi8('<');
    const __m128i fourteen = _mm_set1_epi8(14); // tab, line feed, carriage return and zero lie below
    for (;;) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i hit = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(b, quote), _mm_cmpeq_epi8(b, apostrophe)),
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, amp), _mm_cmpeq_epi8(b, lt)),
                         // bytes 0..13 (signed compare: bytes of 128 and more are negative,
                         // so they are excluded by requiring b >= 0)
                         _mm_andnot_si128(_mm_cmplt_epi8(b, _mm_setzero_si128()), _mm_cmplt_epi8(b, fourteen))));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0) {
            // Bytes 1..8, 11 and 12 are plain: step over them.
            s += __builtin_ctz(unsigned(mask));
            if (is(*s, ValueStop))
                return s;
            ++s;
            continue;
        }
        s += 16;
    }
#else
    while (!is(*s, ValueStop))
        ++s;
    return s;
#endif
}

// An attribute or element name equal to a literal of the given length.
inline bool sameBytes(const char* a, const char* b, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

} // namespace

AttributeNames::AttributeNames(const char* const* names, int count)
    : m_names(names), m_count(count < MaxNames ? count : MaxNames)
{
    for (int i = 0; i < m_count; ++i)
        m_lengths[i] = std::strlen(names[i]);
}

int AttributeNames::Find(const char* name, size_t length, int expected) const
{
    if (expected < m_count && m_lengths[expected] == length && sameBytes(name, m_names[expected], length))
        return expected;
    for (int i = 0; i < m_count; ++i) {
        if (m_lengths[i] == length && sameBytes(name, m_names[i], length))
            return i;
    }
    return -1;
}

bool PlainTableScan::Scan(const char* begin, const char* end,
                          const std::function<void(const QByteArrayView* values)>& row) const
{
    const char* s = begin;
    if (*s != '<')
        return false;
    ++s;
    const char* rootName = s;
    if (!skipName(s))
        return false; // a declaration, comment or anything but the root first
    const size_t rootLength = size_t(s - rootName);
    skipBlanks(s);
    bool emptyRoot = false;
    if (s[0] == '/' && s[1] == '>') {
        emptyRoot = true;
        s += 2;
    } else if (*s == '>') {
        ++s;
    } else {
        return false; // attributes on the root
    }

    const int count = m_names.Count();
    QByteArrayView values[AttributeNames::MaxNames];
    while (!emptyRoot) {
        skipBlanks(s);
        if (*s != '<')
            return false; // text, or the end of the bytes before the root ends
        ++s;
        if (*s == '/')
            break; // end tag of the root
        if (!skipName(s))
            return false; // comment, processing instruction, CDATA
        std::fill(values, values + count, QByteArrayView());
        int expected = 0;
        for (;;) {
            const bool blank = skipBlanks(s);
            if (*s == '/') {
                if (s[1] != '>')
                    return false;
                s += 2;
                break;
            }
            if (!blank)
                return false; // content ('>'), or no blank between attributes
            const char* name = s;
            int idx = -1;
            // The name expected next is tried on the bytes before the name's
            // end is known, which saves a pass in rows written by the
            // editor.  The comparison stops at the first differing byte, so
            // it never reads past the zero byte at the end.
            if (expected < count && sameBytes(s, m_names.Name(expected), m_names.Length(expected))
                && !is(s[m_names.Length(expected)], Name)) {
                idx = expected;
                s += m_names.Length(expected);
            } else {
                if (!skipName(s))
                    return false; // a malformed tag
                idx = m_names.Find(name, size_t(s - name), expected);
            }
            skipBlanks(s);
            if (*s != '=')
                return false;
            ++s;
            skipBlanks(s);
            const char quote = *s;
            if (quote != '"' && quote != '\'')
                return false;
            ++s;
            const char* value = s;
            for (;;) {
                s = findValueStop(s);
                if (*s == quote)
                    break;
                if (*s != '"' && *s != '\'')
                    return false; // something the parser would convert, or the end
                ++s;              // the other quote is plain text here
            }
            const QByteArrayView text(value, s - value);
            ++s;
            if (idx >= 0) {
                if (!values[idx].data())
                    values[idx] = text;
                expected = idx + 1;
            }
        }
        row(values);
    }

    if (!emptyRoot) {
        ++s; // the '/' of the end tag
        if (std::strncmp(s, rootName, rootLength) != 0)
            return false;
        s += rootLength;
        if (is(*s, Name))
            return false;
        skipBlanks(s);
        if (*s != '>')
            return false;
        ++s;
    }
    // Only blanks and comments may follow the root.
    for (;;) {
        skipBlanks(s);
        if (s == end)
            return true;
        if (std::strncmp(s, "<!--", 4) != 0)
            return false;
        s += 4;
        while (!(s[0] == '-' && s[1] == '-' && s[2] == '>')) {
            if (*s == '\0')
                return false; // unterminated, or a zero byte the parser would stop at
            ++s;
        }
        s += 3;
    }
}

} // namespace kv

#include <cctype>

#include "support/msc.h"
#include "support/opus_trace.h"

namespace {

unsigned char fold(char c, bool fIgnoreCase) {
    const auto u = static_cast<unsigned char>(c);
    return fIgnoreCase ? static_cast<unsigned char>(std::tolower(u)) : u;
}

// The "]" closing a set whose body starts at p; nullptr when the set is unclosed.
const char* setEnd(const char* p) {
    if (*p == '!' || *p == '^')
        ++p;
    while (*p && *p != ']') {
        if (*p == '\\' && p[1])
            ++p;
        ++p;
    }
    return *p ? p : nullptr;
}

// One set member, taking a backslash escape into account.
char setMember(const char*& p, const char* end) {
    if (*p == '\\' && p + 1 < end)
        ++p;
    return *p++;
}

bool inSet(const char* p, const char* end, char ch, bool fIgnoreCase) {
    const unsigned char c = fold(ch, fIgnoreCase);
    while (p < end) {
        const unsigned char lo = fold(setMember(p, end), fIgnoreCase);
        // A "-" just before the "]" has nothing to reach and stays literal.
        if (*p == '-' && p + 1 < end) {
            ++p;
            const unsigned char hi = fold(setMember(p, end), fIgnoreCase);
            if (lo <= c && c <= hi)
                return true;
        } else if (lo == c) {
            return true;
        }
    }
    return false;
}

int matchFrom(const char* p, const char* s, bool fIgnoreCase) {
    while (*p) {
        switch (*p) {
        case '*':
            while (*p == '*')
                ++p;
            if (!*p)
                return 1;
            for (;; ++s) {
                // 2 from deeper down means no later start can succeed either.
                const int r = matchFrom(p, s, fIgnoreCase);
                if (r != 0)
                    return r;
                if (!*s)
                    return 2;
            }
        case '?':
            if (!*s)
                return 0;
            ++p;
            ++s;
            break;
        case '[': {
            const char* end = setEnd(p + 1);
            if (!end || !*s)
                return 0;
            const char* body = p + 1;
            const bool fNegated = *body == '!' || *body == '^';
            if (fNegated)
                ++body;
            if (inSet(body, end, *s, fIgnoreCase) == fNegated)
                return 0;
            p = end + 1;
            ++s;
            break;
        }
        case '\\':
            if (p[1])
                ++p;
            [[fallthrough]];
        default:
            if (!*s || fold(*p, fIgnoreCase) != fold(*s, fIgnoreCase))
                return 0;
            ++p;
            ++s;
            break;
        }
    }
    return *s ? 0 : 1;
}

}  // namespace

int MscRegularMatch(const char* pszPattern, const char* pszText, bool fIgnoreCase) {
    const int ret = matchFrom(pszPattern ? pszPattern : "", pszText ? pszText : "", fIgnoreCase);
    QM_TRACE_LEAVE(4, "pattern='%s', text='%s', fIgnoreCase=%s, ret=%d",
                   pszPattern ? pszPattern : "", pszText ? pszText : "", QmBool2Str(fIgnoreCase), ret);
    return ret;
}

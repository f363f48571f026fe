#include "support/time_type.h"

#include <cstdio>
#include <cstring>

namespace {
char g_szTimeBuf[128];
char g_szSpanBuf[128];
}  // namespace

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) {
    struct tm t {};
    t.tm_year = nYear - 1900;
    t.tm_mon = nMonth - 1;
    t.tm_mday = nDay;
    t.tm_hour = nHour;
    t.tm_min = nMin;
    t.tm_sec = nSec;
    t.tm_isdst = -1;
    m_time = mktime(&t);
}

CTime CTime::GetCurrentTime() { return CTime(time(nullptr)); }

struct tm CTime::GetLocalTm() const {
    struct tm t {};
    localtime_r(&m_time, &t);
    return t;
}

struct tm CTime::GetGmtTm() const {
    struct tm t {};
    gmtime_r(&m_time, &t);
    return t;
}

const char* CTime::Format(const char* pszFormat) const {
    struct tm t = GetLocalTm();
    if (strftime(g_szTimeBuf, sizeof g_szTimeBuf, pszFormat, &t) == 0)
        g_szTimeBuf[0] = '\0';
    return g_szTimeBuf;
}

const char* CTime::FormatGmt(const char* pszFormat) const {
    struct tm t = GetGmtTm();
    if (strftime(g_szTimeBuf, sizeof g_szTimeBuf, pszFormat, &t) == 0)
        g_szTimeBuf[0] = '\0';
    return g_szTimeBuf;
}

const char* CTimeSpan::Format(const char* pszFormat) const {
    size_t out = 0;
    auto put = [&](const char* s) {
        for (; *s && out + 1 < sizeof g_szSpanBuf; ++s)
            g_szSpanBuf[out++] = *s;
    };
    char num[32];
    for (const char* p = pszFormat; *p; ++p) {
        if (*p != '%' || p[1] == '\0') {
            char one[2] = {*p, '\0'};
            put(one);
            continue;
        }
        ++p;
        switch (*p) {
        case 'D': std::snprintf(num, sizeof num, "%lld", static_cast<long long>(GetDays())); break;
        case 'H': std::snprintf(num, sizeof num, "%02d", GetHours()); break;
        case 'M': std::snprintf(num, sizeof num, "%02d", GetMinutes()); break;
        case 'S': std::snprintf(num, sizeof num, "%02d", GetSeconds()); break;
        default: num[0] = *p; num[1] = '\0'; break;
        }
        put(num);
    }
    g_szSpanBuf[out] = '\0';
    return g_szSpanBuf;
}

// CTime and CTimeSpan: seconds since the epoch and a difference of seconds.
#pragma once

#include <cstdint>
#include <ctime>

#include "support/string_type.h"

class CTimeSpan {
public:
    CTimeSpan() = default;
    CTimeSpan(int64_t seconds) : m_span(seconds) {}
    CTimeSpan(long lDays, int nHours, int nMins, int nSecs)
        : m_span(((int64_t(lDays) * 24 + nHours) * 60 + nMins) * 60 + nSecs) {}

    int64_t GetDays() const { return m_span / (24 * 3600); }
    int64_t GetTotalHours() const { return m_span / 3600; }
    int GetHours() const { return int(GetTotalHours() - GetDays() * 24); }
    int64_t GetTotalMinutes() const { return m_span / 60; }
    int GetMinutes() const { return int(GetTotalMinutes() - GetTotalHours() * 60); }
    int64_t GetTotalSeconds() const { return m_span; }
    int GetSeconds() const { return int(GetTotalSeconds() - GetTotalMinutes() * 60); }

    // %D days, %H %M %S two digits; "%x" for any other x gives x.
    // The result lives in a shared buffer until the next call.
    const char* Format(const char* pszFormat) const;

    CTimeSpan operator+(CTimeSpan o) const { return m_span + o.m_span; }
    CTimeSpan operator-(CTimeSpan o) const { return m_span - o.m_span; }
    CTimeSpan& operator+=(CTimeSpan o) { m_span += o.m_span; return *this; }
    CTimeSpan& operator-=(CTimeSpan o) { m_span -= o.m_span; return *this; }
    bool operator==(CTimeSpan o) const { return m_span == o.m_span; }
    bool operator!=(CTimeSpan o) const { return m_span != o.m_span; }
    bool operator<(CTimeSpan o) const { return m_span < o.m_span; }
    bool operator>(CTimeSpan o) const { return m_span > o.m_span; }
    bool operator<=(CTimeSpan o) const { return m_span <= o.m_span; }
    bool operator>=(CTimeSpan o) const { return m_span >= o.m_span; }

private:
    int64_t m_span = 0;
};

class CTime {
public:
    CTime() = default;
    CTime(time_t t) : m_time(t) {}
    // Local time; daylight saving is left for mktime to decide.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);

    static CTime GetCurrentTime();
    time_t GetTime() const { return m_time; }
    int GetYear() const { return GetLocalTm().tm_year + 1900; }
    int GetMonth() const { return GetLocalTm().tm_mon + 1; }
    int GetDay() const { return GetLocalTm().tm_mday; }
    int GetHour() const { return GetLocalTm().tm_hour; }
    int GetMinute() const { return GetLocalTm().tm_min; }
    int GetSecond() const { return GetLocalTm().tm_sec; }
    int GetDayOfWeek() const { return GetLocalTm().tm_wday + 1; }
    int GetDayOfYear() const { return GetLocalTm().tm_yday + 1; }
    struct tm GetLocalTm() const;
    struct tm GetGmtTm() const;

    // strftime into a shared 128-byte buffer; "" when the expansion does not fit.
    const char* Format(const char* pszFormat) const;
    const char* FormatGmt(const char* pszFormat) const;

    CTimeSpan operator-(CTime o) const { return CTimeSpan(int64_t(m_time) - int64_t(o.m_time)); }
    CTime operator+(CTimeSpan s) const { return CTime(time_t(m_time + s.GetTotalSeconds())); }
    CTime operator-(CTimeSpan s) const { return CTime(time_t(m_time - s.GetTotalSeconds())); }
    bool operator==(CTime o) const { return m_time == o.m_time; }
    bool operator!=(CTime o) const { return m_time != o.m_time; }
    bool operator<(CTime o) const { return m_time < o.m_time; }
    bool operator>(CTime o) const { return m_time > o.m_time; }
    bool operator<=(CTime o) const { return m_time <= o.m_time; }
    bool operator>=(CTime o) const { return m_time >= o.m_time; }

private:
    time_t m_time = 0;
};

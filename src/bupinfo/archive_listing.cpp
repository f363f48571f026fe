// Reading the member listing of "unzip -l".
#include "bupinfo/archive_listing.h"

#include <cstring>

namespace {

// Anything above this in a date or time field is no listing of ours.
constexpr uint64_t kFieldMax = 99999;

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

void BlanksSkip(const char*& p) {
    while (IsBlank(*p))
        ++p;
}

// Reads decimal digits; false when there are none. The value stops growing past
// ulCap, so a long run of digits cannot overflow.
bool DigitsRead(const char*& p, uint64_t ulCap, uint64_t& ulValue) {
    if (*p < '0' || *p > '9')
        return false;
    ulValue = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (ulValue <= ulCap)
            ulValue = ulValue * 10 + static_cast<uint64_t>(*p - '0');
    }
    return true;
}

bool FieldRead(const char*& p, unsigned int& uValue) {
    uint64_t ulValue = 0;
    if (!DigitsRead(p, kFieldMax, ulValue) || ulValue > kFieldMax)
        return false;
    uValue = static_cast<unsigned int>(ulValue);
    return true;
}

bool CharRead(const char*& p, char ch) {
    if (*p != ch)
        return false;
    ++p;
    return true;
}

}  // namespace

bool ArcListingIsHeaderRule(const char* pszLine) {
    if (!pszLine || *pszLine != '-')
        return false;
    for (const char* p = pszLine; *p; ++p) {
        if (*p != '-' && !IsBlank(*p) && *p != '\n' && *p != '\r')
            return false;
    }
    return true;
}

bool ArcListingIsClosingRule(const char* pszLine) {
    CString csLine = pszLine;
    csLine.TrimRight();
    return csLine.Right(7) == "-------";
}

int ArcListingNameGet(const char* pszLine, CString& csName) {
    CString csLine = pszLine;
    csLine.TrimRight();
    const int nBlank = csLine.ReverseFind(' ');
    if (nBlank > 0) {
        csName = csLine.Mid(nBlank);
        csName.Trim();
    }
    return nBlank;
}

int ArcListingYearExpand(unsigned int uYear) {
    if (uYear >= 1000)
        return static_cast<int>(uYear);
    return static_cast<int>(uYear <= 70 ? 2000 + uYear : 1900 + uYear);
}

bool ArcListingInfoGet(const char* pszLine, uint32_t& ulSize, CTime& time) {
    if (!pszLine)
        return false;
    const char* p = pszLine;
    uint64_t ulLength = 0;
    unsigned int auDate[3] = {};
    unsigned int uHour = 0, uMinute = 0;
    BlanksSkip(p);
    if (!DigitsRead(p, UINT32_MAX, ulLength) || !IsBlank(*p))
        return false;
    BlanksSkip(p);
    if (!FieldRead(p, auDate[0]) || !CharRead(p, '-') || !FieldRead(p, auDate[1]) ||
        !CharRead(p, '-') || !FieldRead(p, auDate[2]) || !IsBlank(*p))
        return false;
    BlanksSkip(p);
    if (!FieldRead(p, uHour) || !CharRead(p, ':') || !FieldRead(p, uMinute))
        return false;

    unsigned int uYear = auDate[2], uMonth = auDate[0], uDay = auDate[1];
    if (auDate[0] >= 1000) {
        // Newer unzip builds print the ISO order.
        uYear = auDate[0];
        uMonth = auDate[1];
        uDay = auDate[2];
    }
    // Lengths beyond 32 bits are kept at the largest value, so no buffer check passes.
    ulSize = ulLength > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(ulLength);
    time = CTime(ArcListingYearExpand(uYear), static_cast<int>(uMonth), static_cast<int>(uDay),
                 static_cast<int>(uHour), static_cast<int>(uMinute), 0);
    return true;
}

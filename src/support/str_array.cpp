#include "support/str_array.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

#include "support/msc.h"
#include "support/opus_trace.h"

int CStrArray::Find(const char* psz, bool fIgnoreCase) const {
    for (size_t i = 0; i < size(); ++i) {
        const CString& s = (*this)[i];
        if (fIgnoreCase ? s.CompareNoCase(psz) == 0 : s.Compare(psz) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int CStrArray::FindRegular(const char* pszPattern, bool fIgnoreCase) const {
    for (size_t i = 0; i < size(); ++i)
        if (MscRegularMatch(pszPattern, (*this)[i], fIgnoreCase) == 1)
            return static_cast<int>(i);
    return -1;
}

int CStrArray::RemoveRegular(const char* pszPattern, bool fIgnoreCase) {
    auto last = std::remove_if(begin(), end(), [&](const CString& s) {
        return MscRegularMatch(pszPattern, s, fIgnoreCase) == 1;
    });
    int n = static_cast<int>(end() - last);
    erase(last, end());
    return n;
}

void CStrArray::PrefixInsert(const char* pszPrefix) {
    for (CString& s : *this)
        s = CString(pszPrefix) + s;
}

void CStrArray::MakeUpper() {
    for (CString& s : *this)
        s.MakeUpper();
}

void CStrArray::Sort() { std::sort(begin(), end()); }

void CStrArray::ExclusionList(const CStrArray& other, CStrArray& result) const {
    MscExclusionList(*this, other, result);
}

const char* CStrArray::ToString(CString& out) const {
    if (empty()) {
        out = "<empty>";
        return out;
    }
    out.Empty();
    for (size_t i = 0; i < size(); ++i) {
        if (i)
            out += ", ";
        out += "'" + (*this)[i] + "'";
    }
    return out;
}

void CStrArray::TraceOut() const {
    if (!g_Trace.IsOn(4))
        return;
    CString text;
    QM_TRACE_INTERNAL(4, "list", "count=%zu: %s", size(), ToString(text));
}

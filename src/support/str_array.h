// CStrArray: the string vector used for listings and lists of names.
#pragma once

#include <vector>

#include "support/string_type.h"

class CStrArray : public std::vector<CString> {
public:
    using std::vector<CString>::vector;

    // Index of the first equal element, or -1.
    int Find(const char* psz, bool fIgnoreCase) const;
    // Index of the first element matching a wildcard pattern, or -1.
    int FindRegular(const char* pszPattern, bool fIgnoreCase) const;
    // Removes every element matching the pattern; returns how many went.
    int RemoveRegular(const char* pszPattern, bool fIgnoreCase);
    void PrefixInsert(const char* pszPrefix);
    void MakeUpper();
    void Sort();
    // result = the elements of this array that are not in other, in order.
    void ExclusionList(const CStrArray& other, CStrArray& result) const;
    // 'a', 'b' or <empty>
    const char* ToString(CString& out) const;
    void TraceOut() const;
};

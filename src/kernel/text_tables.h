// The kernel's two built-in text tables: fixed strings and event texts, by number.
#pragma once

#include <string>

namespace NS_QMKRNL2 {

struct STextEntry {
    int id;
    const char* text;
};

// Both tables end at the first entry with id 0 or a null text.
extern const STextEntry g_StringTable[];
extern const STextEntry g_EventTable[];

// Linear search, first match wins: ids are neither sorted nor unique by construction.
inline const char* TextTableLookup(const STextEntry* pTable, int id, const char* pszMissing) {
    for (const STextEntry* p = pTable; p->id != 0 && p->text; ++p)
        if (p->id == id)
            return p->text;
    return pszMissing;
}

// "StringResLoad: resource not available" for an unknown id.
const char* StringResLoad(int id);
// "EventMsgLoad: resource not available" for an unknown id.
const char* EventMsgLoad(int id);
// The event text with pszText in place of its one "%s"; nothing else in it is expanded.
std::string EventTextExpand(const char* pszEvent, const char* pszText);

}  // namespace NS_QMKRNL2

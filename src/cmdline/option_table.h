// The option language as data: typed flag texts and what each one selects.
#pragma once

#include <cstddef>

#include "cmdline/qm_cmd_line.h"

struct SQmOptionRow {
    const char* apszTexts[2];  // without the first flag character; second may be null
    E_OPTIONS eOption;
    CString CQmCmdLine::*pDestination;  // null when the option takes no parameter
    bool fOptional;
    bool fHidden;
};

constexpr size_t kQmOptionRows = 37;
// Searched in order; the first matching text wins.
extern const SQmOptionRow g_QmOptionTable[kQmOptionRows];

// CMessageDecoder: one session record of the kernel as plain values.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ipc/bf_msg_get_generic_module_info.h"
#include "ipc/dedure_msg.h"
#include "assessment/bup_assessment.h"

class CSessionData;

struct SKernelMessage {
    E_DEDURE_MSG eType = CDEdureMsg::eEmpty;
    // The payload ended before all its parameters; what came before is kept.
    bool fBadRecord = false;
    // A type this front-end has no payload shape for.
    bool fUnknownType = false;
    std::vector<std::string> Texts;
    std::vector<int> Values;
    // Check-file results; fCandidateEx tells the extended form, which knows areas.
    std::optional<CBupAssessmentEx> Candidate;
    bool fCandidateEx = false;
    // Generic module information and its three relatives.
    std::optional<CGetGenericModuleInfo> Info;
    std::string csInfoToken;

    int Code() const { return static_cast<int>(eType); }
    const char* TypeName() const { return CDEdureMsg::ToString(eType); }
};

class CMessageDecoder {
public:
    // Consumes the record's payload.
    static SKernelMessage Decode(CSessionData& record);

private:
    static bool DecodeTexts(CSessionData& record, int nCount, SKernelMessage& msg);
    static bool DecodeValues(CSessionData& record, int nCount, SKernelMessage& msg);
};

// SKernelStatus: what a kernel announces in its shared block, copied out of it.
#pragma once

#include <cstdint>
#include <string>

#include "ipc/krnl2_inter.h"

struct SKernelStatus {
    int32_t nState = CKrnl2Inter::eQmKrnl2Init;
    int32_t pidSession = 0;  // front-end owning the current session, 0 when none
    int32_t pidKernel = 0;
    std::string csActiveBios;
    std::string csSystem;
    std::string csMeFirmware;

    // A text whose offset lies outside the string area reads as empty; a text
    // without its NUL ends at the block's end.
    static SKernelStatus FromBlock(const CKrnl2Inter::BROADCASTINFO& info, int32_t pidKernel);

    bool IsErrorState() const { return nState < 0; }
    // "ready", "busy (session of process N)", "no board module supports this machine" ...
    std::string StateWords() const;
    // Short name for JSON: "initialising", "ready", "busy", "no_board_module" ...
    const char* StateName() const;
};

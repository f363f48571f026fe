// CSessionData: one client message, its type and parameters, as it crosses a FIFO.
#pragma once

#include <cstdint>

#include "ipc/dedure_msg.h"
#include "ipc/param_queue.h"

class CIpcFifo;

class CSessionData : public CParamQueue {
public:
    E_DEDURE_MSG TypeGet() const { return m_eType; }
    void TypeSet(E_DEDURE_MSG eType) { m_eType = eType; }

    // One record, waiting up to timeoutTenths for each piece: 0, ERROR_NO_DATA
    // (too little in time), ERROR_GEN_FAILURE (not open, not a session type).
    uint32_t FromFifo(CIpcFifo& fifo, uint32_t timeoutTenths);
    // Type, then size and payload for the types that carry one; never waits.
    // 0, ERROR_WRITE_FAULT, or ERROR_GEN_FAILURE (not open, not a session type).
    uint32_t ToFifo(CIpcFifo& fifo, uint32_t timeoutUnused);

private:
    E_DEDURE_MSG m_eType = CDEdureMsg::eEmpty;
};

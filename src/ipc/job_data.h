// CJobData: a front-end's job request and the kernel's short answers to it.
#pragma once

#include <sys/types.h>

#include <cstdint>

#include "ipc/dedure_msg.h"
#include "ipc/param_queue.h"
#include "support/string_type.h"

class CIpcFifo;

class CJobData : public CParamQueue {
public:
    // One record, waiting up to timeoutTenths for each piece. 0; ERROR_NO_DATA for
    // too little in time or an empty record (type 0); ERROR_GEN_FAILURE for a type
    // that is no job record. Answers without payload leave the command line alone.
    uint32_t FromFifo(CIpcFifo& fifo, uint32_t timeoutTenths);
    // A request goes out with this process's id; never waits.
    // 0, ERROR_WRITE_FAULT or ERROR_GEN_FAILURE.
    uint32_t ToFifo(CIpcFifo& fifo, uint32_t timeoutUnused);

    E_DEDURE_MSG m_eJobType = CDEdureMsg::eEmpty;
    CString m_csCmdLine;  // as it would be given to the kernel on its own command line
    pid_t m_pidClient = 0;
};

#include "ipc/job_data.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ipc/ipc_fifo.h"
#include "ipc/record_io.h"
#include "support/msc.h"
#include "support/opus_trace.h"
#include "support/win_error.h"

static_assert(sizeof(pid_t) == sizeof(int), "a process id travels as one 32-bit integer");

uint32_t CJobData::FromFifo(CIpcFifo& fifo, uint32_t timeoutTenths) {
    uint32_t ulType = 0;
    if (!RecordWordRead(fifo, ulType, timeoutTenths))
        return ERROR_NO_DATA;
    m_eJobType = static_cast<E_DEDURE_MSG>(static_cast<int32_t>(ulType));
    QM_TRACE_INTERNAL(4, "", "m_eJobType=%s (%d)", CDEdureMsg::ToString(m_eJobType),
                      static_cast<int>(m_eJobType));
    switch (m_eJobType) {
    case CDEdureMsg::eAccept:
    case CDEdureMsg::eShutdownKernel:
        return ERROR_SUCCESS;
    case CDEdureMsg::eEmpty:
        return ERROR_NO_DATA;  // nothing to do
    case CDEdureMsg::eRequestAction:
        break;
    default:
        return ERROR_GEN_FAILURE;
    }

    // No dump: the command line may hold a password switch; it is traced masked below.
    const uint32_t ulRet = RecordPayloadRead(fifo, *this, timeoutTenths, false);
    if (ulRet != ERROR_SUCCESS)
        return ulRet;
    CString csCmdLine;
    int iPid = 0;
    if (!PopFront(csCmdLine) || !PopFront(iPid)) {
        QM_TRACE_INTERNAL(1, "", "request payload is incomplete");
        return ERROR_NO_DATA;
    }
    m_csCmdLine = csCmdLine.Trim();
    m_pidClient = static_cast<pid_t>(iPid);
    QM_TRACE_INTERNAL(4, "", "cmd='%s', pid=%d", MscFilterPasswordSwitches(m_csCmdLine), iPid);
    return ERROR_SUCCESS;
}

uint32_t CJobData::ToFifo(CIpcFifo& fifo, uint32_t /*timeoutUnused*/) {
    const auto ulType = static_cast<uint32_t>(m_eJobType);
    switch (m_eJobType) {
    case CDEdureMsg::eRequestAction:
        break;
    case CDEdureMsg::eEmpty:
    case CDEdureMsg::eAccept:
    case CDEdureMsg::eShutdownKernel:
        return RecordWrite(fifo, ulType, nullptr, false);
    default:
        // The word goes out as always; the reader rejects the record by it.
        return RecordWrite(fifo, ulType, nullptr, false) == ERROR_SUCCESS ? ERROR_GEN_FAILURE : ERROR_WRITE_FAULT;
    }

    ResetContent();
    m_pidClient = getpid();
    if (!PushBack(m_csCmdLine.c_str()) || !PushBack(static_cast<int>(m_pidClient)))
        return ERROR_NOT_ENOUGH_MEMORY;
    // No dump: the command line may hold a password switch.
    const uint32_t ulRet = RecordWrite(fifo, ulType, this, false);
    if (ulRet != ERROR_SUCCESS)
        QM_TRACE_INTERNAL(1, "error on fifo.Write", "m_eJobType=%s, size=%u, error=%s)",
                          CDEdureMsg::ToString(m_eJobType), SizeGet(), strerror(errno));
    return ulRet;
}

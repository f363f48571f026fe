#include "ipc/session_data.h"

#include "ipc/ipc_fifo.h"
#include "ipc/record_io.h"
#include "support/opus_trace.h"
#include "support/win_error.h"

uint32_t CSessionData::FromFifo(CIpcFifo& fifo, uint32_t timeoutTenths) {
    if (!fifo.CheckOpen()) {
        QM_TRACE_INTERNAL(1, "", " fifo is not openT");
        return ERROR_GEN_FAILURE;
    }
    uint32_t ulType = 0;
    if (!RecordWordRead(fifo, ulType, timeoutTenths))
        return ERROR_NO_DATA;
    m_eType = static_cast<E_DEDURE_MSG>(static_cast<int32_t>(ulType));
    ResetContent();
    QM_TRACE_INTERNAL(4, "", "type=%s (%d) from '%s'", CDEdureMsg::ToString(m_eType),
                      static_cast<int>(m_eType), fifo.PathGet());
    if (m_eType == CDEdureMsg::eEmpty || m_eType == CDEdureMsg::eJobDone)
        return ERROR_SUCCESS;
    if (!CDEdureMsg::HasSessionPayload(m_eType))
        return ERROR_GEN_FAILURE;
    return RecordPayloadRead(fifo, *this, timeoutTenths, true);
}

uint32_t CSessionData::ToFifo(CIpcFifo& fifo, uint32_t /*timeoutUnused*/) {
    if (!fifo.CheckOpen()) {
        QM_TRACE_INTERNAL(1, "", "fifo '%s' is not open", fifo.PathGet());
        return ERROR_GEN_FAILURE;
    }
    const auto ulType = static_cast<uint32_t>(m_eType);
    const bool fPayload = m_eType != CDEdureMsg::eEmpty && m_eType != CDEdureMsg::eJobDone;
    if (fPayload && !CDEdureMsg::HasSessionPayload(m_eType)) {
        // The word goes out as always; the reader rejects the record by it.
        RecordWrite(fifo, ulType, nullptr, false);
        return ERROR_GEN_FAILURE;
    }
    const uint32_t ulRet = RecordWrite(fifo, ulType, fPayload ? this : nullptr, true);
    if (ulRet != ERROR_SUCCESS)
        QM_TRACE_INTERNAL(1, "", "fifo.Write(%s,...) failed", CDEdureMsg::ToString(m_eType));
    return ulRet;
}

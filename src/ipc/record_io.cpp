#include "ipc/record_io.h"

#include <algorithm>
#include <limits>
#include <string>

#include "ipc/ipc_fifo.h"
#include "ipc/param_queue.h"
#include "support/opus_trace.h"
#include "support/win_error.h"

namespace {

int32_t ReadTimeout(uint32_t timeoutTenths) {
    return static_cast<int32_t>(
        std::min<uint32_t>(timeoutTenths, static_cast<uint32_t>(std::numeric_limits<int32_t>::max())));
}

}  // namespace

bool RecordWordRead(CIpcFifo& fifo, uint32_t& ulWord, uint32_t timeoutTenths) {
    return fifo.Read(&ulWord, sizeof(ulWord), ReadTimeout(timeoutTenths)) == sizeof(ulWord);
}


uint32_t RecordPayloadRead(CIpcFifo& fifo, CParamQueue& queue, uint32_t timeoutTenths, bool fDump) {
    queue.ResetContent();
    uint32_t ulSize = 0;
    if (!RecordWordRead(fifo, ulSize, timeoutTenths))
        return ERROR_NO_DATA;
    if (ulSize > kRecordPayloadMax) {
        QM_TRACE_INTERNAL(1, "payload size out of range", "ulSize='%lu'", static_cast<unsigned long>(ulSize));
        return ERROR_GEN_FAILURE;
    }
    if (ulSize == 0)
        return ERROR_SUCCESS;
    uint8_t* p = queue.ReserveSpace(ulSize);
    if (!p)
        return ERROR_NOT_ENOUGH_MEMORY;
    if (fifo.Read(p, ulSize, ReadTimeout(timeoutTenths)) != ulSize) {
        QM_TRACE_INTERNAL(1, "could not read data", "ulSize='%lu'", static_cast<unsigned long>(ulSize));
        queue.ResetContent();
        return ERROR_NO_DATA;
    }
    if (fDump && g_Trace.IsOn(4)) {
        QM_TRACE_INTERNAL(4, "", "received payload, %u bytes", ulSize);
        g_Trace.OutBinary(4, p, static_cast<int>(ulSize), 16, 8, false, nullptr);
    }
    return ERROR_SUCCESS;
}

uint32_t RecordWrite(CIpcFifo& fifo, uint32_t ulType, const CParamQueue* pPayload, bool fDump) {
    const uint32_t ulSize = pPayload ? pPayload->SizeGet() : 0;
    std::string strRecord(reinterpret_cast<const char*>(&ulType), sizeof ulType);
    if (pPayload) {
        strRecord.append(reinterpret_cast<const char*>(&ulSize), sizeof ulSize);
        if (ulSize > 0)
            strRecord.append(reinterpret_cast<const char*>(pPayload->PtrGet()), ulSize);
    }
    if (fDump && ulSize > 0 && g_Trace.IsOn(4)) {
        QM_TRACE_INTERNAL(4, "", "sending payload, %u bytes", ulSize);
        g_Trace.OutBinary(4, pPayload->PtrGet(), static_cast<int>(ulSize), 16, 8, false, nullptr);
    }
    const auto nBytes = static_cast<unsigned int>(strRecord.size());
    return fifo.Write(strRecord.data(), nBytes) == nBytes ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

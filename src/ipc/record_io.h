// The framing pieces shared by job and session records on a FIFO.
#pragma once

#include <cstdint>

class CIpcFifo;
class CParamQueue;

// A payload size beyond this is a broken stream, not a message.
constexpr uint32_t kRecordPayloadMax = 16u << 20;

// One 32-bit word; true when all four bytes went through.
bool RecordWordRead(CIpcFifo& fifo, uint32_t& ulWord, uint32_t timeoutTenths);
bool RecordWordWrite(CIpcFifo& fifo, uint32_t ulWord);

// Size word and payload into an emptied queue: 0, ERROR_NO_DATA when too little
// arrived in time, ERROR_GEN_FAILURE for an impossible size, ERROR_NOT_ENOUGH_MEMORY.
// fDump: hex dump into the trace; off where a password may travel in clear.
uint32_t RecordPayloadRead(CIpcFifo& fifo, CParamQueue& queue, uint32_t timeoutTenths, bool fDump);
// Size word and the queue's unread bytes: 0 or ERROR_WRITE_FAULT.
uint32_t RecordPayloadWrite(CIpcFifo& fifo, const CParamQueue& queue, bool fDump);

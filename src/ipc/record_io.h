// The framing pieces shared by job and session records on a FIFO.
#pragma once

#include <cstdint>

class CIpcFifo;
class CParamQueue;

// A payload size beyond this is a broken stream, not a message.
constexpr uint32_t kRecordPayloadMax = 16u << 20;

// One 32-bit word; true when all four bytes went through.
bool RecordWordRead(CIpcFifo& fifo, uint32_t& ulWord, uint32_t timeoutTenths);
// A whole record in one write: the type word and, with a queue, the size word and
// the queue's unread bytes. One write keeps a record whole among other writers'
// (up to the pipe's atomic size) and costs one system call. 0 or ERROR_WRITE_FAULT.
// fDump: hex dump of the payload into the trace.
uint32_t RecordWrite(CIpcFifo& fifo, uint32_t ulType, const CParamQueue* pPayload, bool fDump);

// Size word and payload into an emptied queue: 0, ERROR_NO_DATA when too little
// arrived in time, ERROR_GEN_FAILURE for an impossible size, ERROR_NOT_ENOUGH_MEMORY.
// fDump: hex dump into the trace; off where a password may travel in clear.
uint32_t RecordPayloadRead(CIpcFifo& fifo, CParamQueue& queue, uint32_t timeoutTenths, bool fDump);

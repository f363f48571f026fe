// CParamQueue: the byte queue holding the parameters of a job or session record.
#pragma once

#include <cstdint>
#include <memory>

#include "ipc/dedure_msg.h"
#include "support/string_type.h"

class CParamQueue {
public:
    // Minimum growth of the buffer; growth is additive, never doubling.
    static constexpr uint32_t kGrowStep = 50;

    CParamQueue() = default;
    CParamQueue(const CParamQueue& other);
    virtual ~CParamQueue() = default;
    virtual CParamQueue& operator=(const CParamQueue& other);
    // Makes room for n more bytes at the write position, compacting on growth.
    virtual bool ExpandMem(uint32_t nSize);

    // Integers: 4 bytes in host order.
    bool PushBack(int iValue);
    bool PushBack(unsigned int uValue);
    bool PushBack(E_DEDURE_MSG eValue);
    // Strings: length (strlen + 1) as an integer, then the characters and the NUL.
    // A null pointer is refused.
    bool PushBack(const char* pszValue);
    // Raw block without a length; size 0 succeeds without change.
    bool PushBack(const void* pData, uint32_t nSize);

    bool PopFront(int& iValue);
    bool PopFront(unsigned int& uValue);
    bool PopFront(E_DEDURE_MSG& eValue);
    // A failed pop of a string leaves its length consumed: the record is bad anyway.
    bool PopFront(CString& csValue);
    bool PopFront(void* pData, uint32_t nSize);

    // size bytes at the write position, already counted as written; null on failure.
    uint8_t* ReserveSpace(uint32_t nSize);

    uint8_t* PtrGet() { return m_pbData ? m_pbData.get() + m_nRead : nullptr; }
    const uint8_t* PtrGet() const { return m_pbData ? m_pbData.get() + m_nRead : nullptr; }
    uint32_t SizeGet() const { return m_nWrite - m_nRead; }
    int32_t SizeMaxGet() const { return m_nSizeMax; }
    // Empties the queue and keeps the buffer.
    void ResetContent() { m_nRead = m_nWrite = 0; }
    // Empties the queue and frees the buffer.
    void CleanUp();

private:
    // Consumes n unread bytes; emptying the queue starts it over at the buffer's start.
    void Consume(uint32_t nSize);

    uint32_t m_nRead = 0;
    uint32_t m_nWrite = 0;
    int32_t m_nSizeMax = 0;
    std::unique_ptr<uint8_t[]> m_pbData;
};

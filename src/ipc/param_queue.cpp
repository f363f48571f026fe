#include "ipc/param_queue.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "support/opus_trace.h"

CParamQueue::CParamQueue(const CParamQueue& other) { *this = other; }

CParamQueue& CParamQueue::operator=(const CParamQueue& other) {
    if (this != &other) {
        ResetContent();
        PushBack(other.PtrGet(), other.SizeGet());
    }
    return *this;
}

bool CParamQueue::ExpandMem(uint32_t nSize) {
    if (uint64_t(m_nWrite) + nSize <= uint64_t(m_nSizeMax))
        return true;
    const uint32_t nUnread = SizeGet();
    const uint64_t nNewSize = uint64_t(nUnread) + std::max(nSize, kGrowStep);
    if (nNewSize > uint64_t(std::numeric_limits<int32_t>::max())) {
        QM_TRACE_INTERNAL(1, "queue too large", "unread=%u, requested=%u", nUnread, nSize);
        return false;
    }
    std::unique_ptr<uint8_t[]> pbNew(new (std::nothrow) uint8_t[nNewSize]);
    if (!pbNew) {
        QM_TRACE_INTERNAL(1, "out of memory", "size=%llu", static_cast<unsigned long long>(nNewSize));
        return false;
    }
    if (nUnread)
        std::memcpy(pbNew.get(), m_pbData.get() + m_nRead, nUnread);
    m_pbData = std::move(pbNew);
    m_nRead = 0;
    m_nWrite = nUnread;
    m_nSizeMax = static_cast<int32_t>(nNewSize);
    return true;
}

uint8_t* CParamQueue::ReserveSpace(uint32_t nSize) {
    if (!ExpandMem(nSize))
        return nullptr;
    uint8_t* p = m_pbData.get() + m_nWrite;
    m_nWrite += nSize;
    return p;
}

bool CParamQueue::PushBack(const void* pData, uint32_t nSize) {
    if (nSize == 0)
        return true;
    if (!pData)
        return false;
    uint8_t* p = ReserveSpace(nSize);
    if (!p)
        return false;
    std::memcpy(p, pData, nSize);
    return true;
}

bool CParamQueue::PushBack(int iValue) { return PushBack(&iValue, sizeof(iValue)); }

bool CParamQueue::PushBack(unsigned int uValue) { return PushBack(&uValue, sizeof(uValue)); }

bool CParamQueue::PushBack(E_DEDURE_MSG eValue) { return PushBack(static_cast<int>(eValue)); }

bool CParamQueue::PushBack(const char* pszValue) {
    if (!pszValue)
        return false;
    const size_t nLen = std::strlen(pszValue) + 1;
    if (nLen > size_t(std::numeric_limits<int32_t>::max()))
        return false;
    // Length and text in one reservation, so a failure leaves no half element behind.
    uint8_t* p = ReserveSpace(static_cast<uint32_t>(sizeof(uint32_t) + nLen));
    if (!p)
        return false;
    const uint32_t ulLen = static_cast<uint32_t>(nLen);
    std::memcpy(p, &ulLen, sizeof(ulLen));
    std::memcpy(p + sizeof(ulLen), pszValue, nLen);
    return true;
}

void CParamQueue::Consume(uint32_t nSize) {
    m_nRead += nSize;
    if (m_nRead == m_nWrite)
        ResetContent();
}

bool CParamQueue::PopFront(void* pData, uint32_t nSize) {
    if (SizeGet() < nSize || (nSize && !pData))
        return false;
    if (nSize) {
        std::memcpy(pData, PtrGet(), nSize);
        Consume(nSize);
    }
    return true;
}

bool CParamQueue::PopFront(int& iValue) { return PopFront(&iValue, sizeof(iValue)); }

bool CParamQueue::PopFront(unsigned int& uValue) { return PopFront(&uValue, sizeof(uValue)); }

bool CParamQueue::PopFront(E_DEDURE_MSG& eValue) {
    int32_t iValue = 0;
    if (!PopFront(&iValue, sizeof(iValue)))
        return false;
    eValue = static_cast<E_DEDURE_MSG>(iValue);
    return true;
}

bool CParamQueue::PopFront(CString& csValue) {
    uint32_t ulLen = 0;
    if (!PopFront(ulLen))
        return false;
    if (SizeGet() < ulLen) {
        QM_TRACE_INTERNAL(2, "string element cut short", "length=%u, left=%u", ulLen, SizeGet());
        return false;
    }
    // The text ends at its NUL, and never runs past the element when the NUL is missing.
    const char* psz = reinterpret_cast<const char*>(PtrGet());
    csValue = CString(std::string(psz, ulLen ? strnlen(psz, ulLen) : 0));
    Consume(ulLen);
    return true;
}

void CParamQueue::CleanUp() {
    m_pbData.reset();
    m_nRead = m_nWrite = 0;
    m_nSizeMax = 0;
}

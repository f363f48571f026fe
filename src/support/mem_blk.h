// CMemBlk: an owned byte block.
#pragma once

#include <cstdint>
#include <vector>

class CMemBlk {
public:
    CMemBlk() = default;
    CMemBlk(const void* pData, uint32_t ulSize) { Assign(pData, ulSize); }

    void Assign(const void* pData, uint32_t ulSize);
    void SizeSet(uint32_t ulSize) { m_data.resize(ulSize); }
    uint8_t* PtrGet() { return m_data.empty() ? nullptr : m_data.data(); }
    const uint8_t* PtrGet() const { return m_data.empty() ? nullptr : m_data.data(); }
    uint32_t SizeGet() const { return static_cast<uint32_t>(m_data.size()); }

private:
    std::vector<uint8_t> m_data;
};

#include "support/mem_blk.h"

#include <cstring>

void CMemBlk::Assign(const void* pData, uint32_t ulSize) {
    const auto* p = static_cast<const uint8_t*>(pData);
    if (!p)
        ulSize = 0;
    m_data.assign(p, p + ulSize);
}

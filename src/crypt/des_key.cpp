#include "crypt/des.h"

#include <string.h>

#include "crypt/key_table.h"
#include "support/opus_trace.h"

unsigned int CDes::RetrieveDESKey(unsigned char* pKey, unsigned int nLength,
                                  unsigned char bSelector) {
    QM_TRACE_ENTER(6, "nLength=%u", nLength);
    if (!pKey || nLength == 0) {
        QM_TRACE_INTERNAL(1, "No key buffer", "nLength=%u", nLength);
        return kErrNoKey;
    }
    if (nLength % kBlock != 0 || nLength > kMaxKey) {
        QM_TRACE_INTERNAL(1, "Unusable key length", "nLength=%u", nLength);
        return kErrKeyLength;
    }

    // Six rows of eight, one sub-table per row, starting at the selector's.
    constexpr unsigned int kGathered = 6 * kBlock;
    unsigned char abGathered[kGathered];
    unsigned int nTable = bSelector % 4u;
    for (unsigned int k = 0; k < kGathered; ++k) {
        if (k > 0 && k % kBlock == 0)
            nTable = (nTable + 1) % 4u;
        const unsigned char* pTable = g_DesKeyTable[nTable];
        abGathered[k] = pTable[pTable[k]];
    }

    for (unsigned int j = 0; j < nLength; ++j) {
        unsigned char b = 0;
        for (unsigned int k = j; k < kGathered; k += nLength)
            b = static_cast<unsigned char>(b ^ abGathered[k]);
        pKey[j] = b;
    }
    explicit_bzero(abGathered, sizeof abGathered);
    QM_TRACE_LEAVE(6, "result=0");
    return 0;
}

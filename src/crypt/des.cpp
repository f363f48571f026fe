#include "crypt/des.h"

#include <string.h>

#include <charconv>
#include <cstring>
#include <vector>

#include "crypt/lib_crypto.h"
#include "support/opus_trace.h"

namespace {

// One libcrypto triple-DES ECB context. Single DES runs as EDE with K1 three times,
// because OpenSSL 3 keeps plain DES in the legacy provider only.
class CEde {
public:
    CEde(const unsigned char* pK1, const unsigned char* pK2, const unsigned char* pK3,
         bool fEncrypt)
        : m_pLib(SLibCrypto::Get()), m_pCtx(m_pLib ? m_pLib->pCtxNew() : nullptr) {
        unsigned char abKey[CDes::kMaxKey];
        std::memcpy(abKey, pK1, CDes::kBlock);
        std::memcpy(abKey + CDes::kBlock, pK2, CDes::kBlock);
        std::memcpy(abKey + 2 * CDes::kBlock, pK3, CDes::kBlock);
        m_fOk = m_pCtx &&
                m_pLib->pCipherInit(m_pCtx, m_pLib->pDesEde3Ecb(), nullptr, abKey, nullptr,
                                    fEncrypt ? 1 : 0) == 1 &&
                m_pLib->pCtxSetPadding(m_pCtx, 0) == 1;
        explicit_bzero(abKey, sizeof abKey);
    }
    ~CEde() {
        if (m_pCtx)
            m_pLib->pCtxFree(m_pCtx);
    }
    CEde(const CEde&) = delete;
    CEde& operator=(const CEde&) = delete;

    // nLength is a multiple of the block size.
    bool Run(const unsigned char* pIn, unsigned char* pOut, int nLength) {
        int nDone = 0;
        return m_fOk && m_pLib->pCipherUpdate(m_pCtx, pOut, &nDone, pIn, nLength) == 1 &&
               nDone == nLength;
    }

private:
    const SLibCrypto* m_pLib;
    EVP_CIPHER_CTX* m_pCtx;
    bool m_fOk = false;
};

// explicit_bzero wants a buffer even for no bytes.
void Wipe(std::vector<unsigned char>& bytes) {
    if (!bytes.empty())
        explicit_bzero(bytes.data(), bytes.size());
}

void XorBlock(unsigned char* pDst, const unsigned char* pA, const unsigned char* pB) {
    for (int i = 0; i < CDes::kBlock; ++i)
        pDst[i] = static_cast<unsigned char>(pA[i] ^ pB[i]);
}

void Pad(std::vector<unsigned char>& data, unsigned char bPadding) {
    if (bPadding == CDes::kPadIso2)
        data.push_back(0x80);
    else if (bPadding != CDes::kPadZero)
        return;
    while (data.size() % CDes::kBlock)
        data.push_back(0);
}

// Length without padding method 2; unchanged when the padding is not well formed.
size_t Iso2Unpadded(const std::vector<unsigned char>& data) {
    size_t n = data.size();
    while (n > 0 && data[n - 1] == 0)
        --n;
    return n > 0 && data[n - 1] == 0x80 ? n - 1 : data.size();
}

}  // namespace

CDes::CDes(const unsigned char* pKey, int nKeyLength, unsigned char bMode,
           const unsigned char* pIv)
    : m_abKey{}, m_abIv{}, m_bMode(bMode) {
    m_fKeyValid = pKey && (nKeyLength == 8 || nKeyLength == 16 || nKeyLength == 24);
    if (!m_fKeyValid) {
        QM_TRACE_INTERNAL(1, "Unusable key", "nKeyLength=%d", nKeyLength);
    } else {
        const int nKeys = nKeyLength / kBlock;
        for (int i = 0; i < 3; ++i) {
            // 16 bytes reuse K1 as K3, 8 bytes use K1 throughout.
            const int nFrom = nKeys == 3 ? i : (nKeys == 2 && i == 1 ? 1 : 0);
            std::memcpy(m_abKey + i * kBlock, pKey + nFrom * kBlock, kBlock);
        }
    }
    if (pIv)
        std::memcpy(m_abIv, pIv, kBlock);
}

CDes::~CDes() {
    explicit_bzero(m_abKey, sizeof m_abKey);
}

bool CDes::Cipher(const unsigned char* pData, int nLength, unsigned char* pOut,
                  bool fEncrypt) const {
    const unsigned char* pK1 = m_abKey;
    const unsigned char* pK2 = Single() ? m_abKey : m_abKey + kBlock;
    const unsigned char* pK3 = Single() ? m_abKey : m_abKey + 2 * kBlock;
    CEde ede(pK1, pK2, pK3, fEncrypt);
    if ((m_bMode & kChainMask) != kChainCbc)
        return ede.Run(pData, pOut, nLength);

    unsigned char abChain[kBlock], abTmp[kBlock];
    std::memcpy(abChain, m_abIv, kBlock);
    for (int i = 0; i < nLength; i += kBlock) {
        if (fEncrypt) {
            XorBlock(abTmp, pData + i, abChain);
            if (!ede.Run(abTmp, pOut + i, kBlock))
                return false;
            std::memcpy(abChain, pOut + i, kBlock);
        } else {
            if (!ede.Run(pData + i, abTmp, kBlock))
                return false;
            XorBlock(pOut + i, abTmp, abChain);
            std::memcpy(abChain, pData + i, kBlock);
        }
    }
    return true;
}

bool CDes::Mac(const unsigned char* pData, int nLength, unsigned char* pMac) const {
    // CBC-MAC under K1; in triple mode the last block goes through the full EDE, which
    // is the retail MAC's output step (decrypt under K2, encrypt under K3).
    CEde single(m_abKey, m_abKey, m_abKey, true);
    CEde triple(m_abKey, m_abKey + kBlock, m_abKey + 2 * kBlock, true);
    unsigned char abChain[kBlock], abTmp[kBlock];
    std::memcpy(abChain, m_abIv, kBlock);
    for (int i = 0; i < nLength; i += kBlock) {
        XorBlock(abTmp, pData + i, abChain);
        CEde& ede = !Single() && i + kBlock == nLength ? triple : single;
        if (!ede.Run(abTmp, abChain, kBlock))
            return false;
    }
    std::memcpy(pMac, abChain, kBlock);
    return true;
}

bool CDes::crypt(const char* pIn, int& nInLength, char* pOut, int& nOutLength, bool fEncrypt) {
    const bool fMac = (m_bMode & kMac) != 0;
    QM_TRACE_ENTER(6, "bMode=0x%02X, nInLength=%d, fEncrypt=%d, fMac=%d", m_bMode, nInLength,
                   fEncrypt, fMac);
    if (!m_fKeyValid || nInLength < 0 || (nInLength > 0 && !pIn) || !pOut) {
        QM_TRACE_INTERNAL(1, "Invalid arguments", "fKeyValid=%d, nInLength=%d", m_fKeyValid,
                          nInLength);
        return false;
    }

    const unsigned char* pBytes = reinterpret_cast<const unsigned char*>(pIn);
    std::vector<unsigned char> data(pBytes, pBytes + nInLength);
    if (fMac || fEncrypt) {
        Pad(data, m_bMode & kPadMask);
        nInLength = static_cast<int>(data.size());
    }
    const int nData = static_cast<int>(data.size());
    if (nData % kBlock != 0 || (fMac && nData == 0)) {
        QM_TRACE_INTERNAL(1, "Data is not a whole number of blocks", "nData=%d", nData);
        Wipe(data);
        return false;
    }

    std::vector<unsigned char> result(fMac ? kBlock : data.size());
    bool fOk = fMac ? Mac(data.data(), nData, result.data())
                    : Cipher(data.data(), nData, result.data(), fEncrypt);
    Wipe(data);
    if (!fOk)
        QM_TRACE_INTERNAL(1, "Cipher failed", "bMode=0x%02X", m_bMode);
    else if (!fMac && !fEncrypt && (m_bMode & kPadMask) == kPadIso2)
        result.resize(Iso2Unpadded(result));

    const int nResult = static_cast<int>(result.size());
    if (fOk && nOutLength < nResult) {
        QM_TRACE_INTERNAL(1, "Output buffer too small", "nOutLength=%d, nNeeded=%d", nOutLength,
                          nResult);
        fOk = false;
    }
    if (fOk && nResult > 0)
        std::memcpy(pOut, result.data(), result.size());
    nOutLength = nResult;
    Wipe(result);
    QM_TRACE_LEAVE(6, "fOk=%d, nOutLength=%d", fOk, nOutLength);
    return fOk;
}

bool CDes::ConvertHexToBinary(const char* pszHex, int nHexLength, unsigned char* pBin,
                              int* pnBinLength) {
    if (!pszHex || !pBin || !pnBinLength || nHexLength < 0 || nHexLength % 2 != 0 ||
        *pnBinLength < nHexLength / 2)
        return false;
    for (int i = 0; i < nHexLength; i += 2) {
        // Both digits must be taken: from_chars stops quietly at a stray character.
        auto [ptr, ec] = std::from_chars(pszHex + i, pszHex + i + 2, pBin[i / 2], 16);
        if (ec != std::errc() || ptr != pszHex + i + 2)
            return false;
    }
    *pnBinLength = nHexLength / 2;
    return true;
}

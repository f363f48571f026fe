#include "crypt/xx_crypt.h"

#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "crypt/des.h"
#include "support/opus_trace.h"

namespace {

// Wipes a byte buffer when it goes out of scope, whichever way the function returns.
struct CWiped : std::vector<unsigned char> {
    using std::vector<unsigned char>::vector;
    ~CWiped() {
        if (!empty())
            explicit_bzero(data(), size());
    }
    char* chars() { return reinterpret_cast<char*>(data()); }
};

bool SameMac(const unsigned char* pA, const unsigned char* pB) {
    // No early exit: the time taken says nothing about how much of the MAC matched.
    unsigned char bDiff = 0;
    for (int i = 0; i < CXXCrypt::kMacLength; ++i)
        bDiff = static_cast<unsigned char>(bDiff | (pA[i] ^ pB[i]));
    return bDiff == 0;
}

}  // namespace

CXXCrypt::CXXCrypt(char cSeed) : m_cSeed(cSeed >= 17 && cSeed <= 31 ? cSeed : 31) {}

CString CXXCrypt::Decrypt(const CString& strText, CryptFor eFor) {
    QM_TRACE_ENTER(6, "len(pwd)=%lu, eFor=%d", static_cast<unsigned long>(strText.GetLength()),
                   eFor);
    if (strText.IsEmpty())
        return CString();
    if (strText.GetLength() <= kLegacyMaxLength)
        return _Decrypt(strText);

    CWiped abData(static_cast<size_t>(strText.GetLength()) / 2);
    int nData = static_cast<int>(abData.size());
    if (!CDes::ConvertHexToBinary(strText, strText.GetLength(), abData.data(), &nData) ||
        nData < kHeaderLength + CDes::kBlock || (nData - kHeaderLength) % CDes::kBlock != 0) {
        QM_TRACE_INTERNAL(1, "Not an encrypted password", "len(pwd)=%d", strText.GetLength());
        return CString();
    }

    CWiped abKey(CDes::kMaxKey);
    CDes::RetrieveDESKey(abKey.data(), CDes::kMaxKey, abData[kMacLength]);
    CDes mac(abKey.data(), CDes::kMaxKey, CDes::kMode3DesMacPad2);
    CDes des(abKey.data(), CDes::kMaxKey, CDes::kMode3DesEcbPad2);

    char* pCipher = abData.chars() + kHeaderLength;
    int nCipher = nData - kHeaderLength;
    int nIn = nCipher;
    unsigned char abMac[kMacLength];
    int nMac = kMacLength;
    if (!mac.crypt(pCipher, nIn, reinterpret_cast<char*>(abMac), nMac, true) ||
        !SameMac(abMac, abData.data())) {
        QM_TRACE_INTERNAL(1, "MAC check failed", "len(pwd)=%d", strText.GetLength());
        return CString();
    }

    CWiped abPlain(static_cast<size_t>(nCipher));
    int nPlain = nCipher;
    if (!des.crypt(pCipher, nCipher, abPlain.chars(), nPlain, false))
        return CString();
    const char* pPlain = abPlain.chars();
    CString strPlain(std::string(pPlain, std::find(pPlain, pPlain + nPlain, '\0')));
    QM_TRACE_LEAVE(6, "len(result)=%lu", static_cast<unsigned long>(strPlain.GetLength()));
    return strPlain;
}

CString CXXCrypt::Encrypt(const CString& strPlain) {
    unsigned char bSelector = 0;
    try {
        std::random_device random;
        bSelector = static_cast<unsigned char>(random());
    } catch (...) {
        // The selector travels in clear; any value works, randomness only spreads them.
    }
    return Encrypt(strPlain, bSelector);
}

CString CXXCrypt::Encrypt(const CString& strPlain, unsigned char bSelector) {
    QM_TRACE_ENTER(6, "len(pwd)=%lu", static_cast<unsigned long>(strPlain.GetLength()));
    CWiped abKey(CDes::kMaxKey);
    CDes::RetrieveDESKey(abKey.data(), CDes::kMaxKey, bSelector);
    CDes des(abKey.data(), CDes::kMaxKey, CDes::kMode3DesEcbPad2);
    CDes mac(abKey.data(), CDes::kMaxKey, CDes::kMode3DesMacPad2);

    int nPlain = strPlain.GetLength();
    CWiped abData(static_cast<size_t>(kHeaderLength + nPlain + CDes::kBlock));
    int nCipher = nPlain + CDes::kBlock;
    char* pCipher = abData.chars() + kHeaderLength;
    if (!des.crypt(strPlain, nPlain, pCipher, nCipher, true))
        return CString();
    int nIn = nCipher;
    int nMac = kMacLength;
    if (!mac.crypt(pCipher, nIn, abData.chars(), nMac, true))
        return CString();
    abData[kMacLength] = bSelector;

    static const char kDigits[] = "0123456789ABCDEF";
    std::string strHex;
    for (int i = 0; i < kHeaderLength + nCipher; ++i) {
        strHex += kDigits[abData[static_cast<size_t>(i)] >> 4];
        strHex += kDigits[abData[static_cast<size_t>(i)] & 0x0F];
    }
    QM_TRACE_LEAVE(6, "len(result)=%lu", static_cast<unsigned long>(strHex.size()));
    return CString(std::move(strHex));
}

// The legacy password format: a three-digit bit mask, ten encoded bytes and a code byte,
// each byte two digits in base seed.
#include "crypt/xx_crypt.h"

#include <string>

#include "crypt/xx_bit_set.h"
#include "support/opus_trace.h"

namespace {

constexpr int kMaskChars = 3;
constexpr int kBytes = 10;
constexpr int kMinLength = kMaskChars + 2 * kBytes + 2;

// Foreign characters count as -1: the result is garbage, as the format has no check.
int DigitIndex(char c) {
    static const std::string kAlphabet = "0123456789abcdefghijklmnopqrstuvwxyz";
    const size_t n = kAlphabet.find(c);
    return n == std::string::npos ? -1 : static_cast<int>(n);
}

unsigned char DecodeByte(const CString& strText, int nPos, int nBase) {
    return static_cast<unsigned char>(DigitIndex(strText[nPos]) * nBase +
                                      DigitIndex(strText[nPos + 1]));
}

unsigned char Rotate(unsigned char c, int nBits, bool fLeft) {
    const unsigned int u = c;
    const unsigned int r = fLeft ? u << nBits | u >> (8 - nBits) : u >> nBits | u << (8 - nBits);
    return static_cast<unsigned char>(r);
}

}  // namespace

CString CXXCrypt::_Decrypt(const CString& strText) {
    QM_TRACE_ENTER(6, "len(pwd)=%lu", static_cast<unsigned long>(strText.GetLength()));
    if (strText.GetLength() < kMinLength) {
        QM_TRACE_INTERNAL(3, "Too short for a legacy password", "len(pwd)=%d",
                          strText.GetLength());
        return CString();
    }

    const int nBase = m_cSeed;
    unsigned char abD[kBytes + 1];
    for (int i = 0; i < kBytes; ++i)
        abD[i] = DecodeByte(strText, kMaskChars + 2 * i, nBase);
    abD[kBytes] = 0;
    const unsigned char bCode = DecodeByte(strText, kMaskChars + 2 * kBytes, nBase);
    const CXXBitSet mask(strText.Left(kMaskChars).c_str());

    // The length is where a neighbouring pair first XORs to the code byte.
    int n = kBytes;
    for (int k = 1; k <= kBytes; ++k) {
        if ((abD[k - 1] ^ abD[k]) == bCode) {
            n = k;
            break;
        }
    }
    // C's remainder: its sign follows the signed code byte.
    const int nOffset = (bCode < 0x80 ? bCode : bCode - 0x100) % 16;

    std::string strPlain;
    for (int j = 0; j < n; ++j) {
        unsigned char c = abD[j];
        if (j > 0 && mask.IsSet(static_cast<unsigned int>(j)))
            c ^= 1;
        // A negative rotation is the same turn the other way, so take it modulo 8.
        const int nBits = ((nOffset + j) % 8 + 8) % 8;
        strPlain += static_cast<char>(Rotate(c, nBits, j % 2 == 0));
    }
    QM_TRACE_LEAVE(6, "len(result)=%lu", static_cast<unsigned long>(strPlain.size()));
    return CString(std::move(strPlain));
}

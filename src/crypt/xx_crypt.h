// CXXCrypt: BIOS password texts. The kernel decrypts either format; the front-end
// encrypts into the modern one, hex of MAC + key selector + triple-DES ciphertext.
#pragma once

#include "support/string_type.h"

class CXXCrypt {
public:
    enum CryptFor { eCryptPassword = 0 };

    // Longer texts are the modern format.
    static constexpr int kLegacyMaxLength = 33;
    // Bytes before the ciphertext: the MAC and the key selector.
    static constexpr int kMacLength = 8;
    static constexpr int kHeaderLength = kMacLength + 1;

    // Seeds from 17 to 31 are kept; anything else becomes 31.
    explicit CXXCrypt(char cSeed);

    // Plain text, or empty when the text is empty or fails its check.
    CString Decrypt(const CString& strText, CryptFor eFor);
    // The legacy format, decoded in base seed.
    CString _Decrypt(const CString& strText);

    // Modern format under a random key selector.
    CString Encrypt(const CString& strPlain);
    CString Encrypt(const CString& strPlain, unsigned char bSelector);

    char Seed() const { return m_cSeed; }

private:
    char m_cSeed;
};

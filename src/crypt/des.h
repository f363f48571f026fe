// CDes: DES and triple DES in ECB, CBC and retail-MAC form, with the two paddings the
// password format knows. The block cipher is libcrypto's; modes and padding are ours.
#pragma once

class CDes {
public:
    // Mode byte: bit 0 MAC; bits 1-2 chaining; bits 3-4 padding; bits 5-6 cipher.
    static constexpr unsigned char kMac = 0x01;
    static constexpr unsigned char kChainMask = 0x06;
    static constexpr unsigned char kChainCbc = 0x04;
    static constexpr unsigned char kPadMask = 0x18;
    static constexpr unsigned char kPadIso2 = 0x10;  // 0x80, then zero bytes
    static constexpr unsigned char kPadZero = 0x08;
    static constexpr unsigned char kCipherMask = 0x60;
    static constexpr unsigned char kCipherSingle = 0x20;
    // The modes of the password format.
    static constexpr unsigned char kMode3DesEcbPad2 = 0xD2;  // 210
    static constexpr unsigned char kMode3DesMacPad2 = 0xD3;  // 211

    static constexpr int kBlock = 8;
    static constexpr int kMaxKey = 24;

    // RetrieveDESKey results besides 0.
    static constexpr unsigned int kErrNoKey = 0x80000003;
    static constexpr unsigned int kErrKeyLength = 24;

    // A key of 8, 16 or 24 bytes (K1, K1K2, K1K2K3; K3 is K1 for 16, all are K1 for 8);
    // pIv is 8 bytes or null for zeros. The key is copied and wiped with the object.
    CDes(const unsigned char* pKey, int nKeyLength, unsigned char bMode,
         const unsigned char* pIv = nullptr);
    ~CDes();
    CDes(const CDes&) = delete;
    CDes& operator=(const CDes&) = delete;

    // Runs the configured mode over nInLength bytes. Encrypting and MAC pad first and
    // return the padded length in nInLength; decrypting removes padding method 2.
    // nOutLength: room on entry, bytes written on return (the room needed when short).
    bool crypt(const char* pIn, int& nInLength, char* pOut, int& nOutLength, bool fEncrypt);

    // Derives an nLength-byte key from the key table; 0, kErrNoKey or kErrKeyLength.
    static unsigned int RetrieveDESKey(unsigned char* pKey, unsigned int nLength,
                                       unsigned char bSelector);

    // Hexadecimal text of either case to bytes; *pnBinLength is the room on entry and
    // the byte count on return. False for an odd length, a stray character or no room.
    static bool ConvertHexToBinary(const char* pszHex, int nHexLength, unsigned char* pBin,
                                   int* pnBinLength);

private:
    bool Single() const { return (m_bMode & kCipherMask) == kCipherSingle; }
    bool Mac(const unsigned char* pData, int nLength, unsigned char* pMac) const;
    bool Cipher(const unsigned char* pData, int nLength, unsigned char* pOut, bool fEncrypt) const;

    unsigned char m_abKey[kMaxKey];  // K1 K2 K3, always expanded to three keys
    unsigned char m_abIv[kBlock];
    unsigned char m_bMode;
    bool m_fKeyValid;
};

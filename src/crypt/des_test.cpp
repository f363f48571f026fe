#include "crypt/des.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypt/key_table.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Hex(const std::string& s) {
    Bytes b;
    for (size_t i = 0; i + 1 < s.size(); i += 2)
        b.push_back(static_cast<unsigned char>(std::stoul(s.substr(i, 2), nullptr, 16)));
    return b;
}
Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// One CDes call; out is empty when it fails.
bool Des(const Bytes& key, unsigned char bMode, const Bytes& in, bool fEncrypt, Bytes& out,
         const Bytes& iv = {}, int* pnInAfter = nullptr) {
    CDes des(key.data(), static_cast<int>(key.size()), bMode, iv.empty() ? nullptr : iv.data());
    int nIn = static_cast<int>(in.size());
    out.assign(in.size() + 16, 0);
    int nOut = static_cast<int>(out.size());
    const bool fOk = des.crypt(reinterpret_cast<const char*>(in.data()), nIn,
                               reinterpret_cast<char*>(out.data()), nOut, fEncrypt);
    out.resize(fOk ? static_cast<size_t>(nOut) : 0);
    if (pnInAfter) *pnInAfter = nIn;
    return fOk;
}

constexpr unsigned char kEcbSingle = 0x20, kCbcSingle = 0x24, kEcbTriple = 0x40, kCbcTriple = 0x44;

TEST(DesTest, KnownAnswersBothWays) {
    const std::string fips81Key = "0123456789ABCDEF", fips81Iv = "1234567890ABCDEF";
    // FIPS 81 appendix examples, "Now is the time for all ".
    const std::string nowIs = "4E6F77206973207468652074696D6520666F7220616C6C20";
    const std::string nowIsEcb = "3FA40E8A984D48156A271787AB8883F9893D51EC4B563B53";
    const std::string nowIsCbc = "E5C7CDDE872BF27C43E934008C389C0F683788499A7C05F6";
    struct { unsigned char mode; std::string key, iv, plain, cipher; } cases[] = {
        {kEcbSingle, fips81Key, "", nowIs, nowIsEcb},
        {kCbcSingle, fips81Key, fips81Iv, nowIs, nowIsCbc},
        // Single mode takes K1 only; an 8-byte key in triple mode is single DES.
        {kEcbSingle, fips81Key + "23456789ABCDEF01456789ABCDEF0123", "", nowIs, nowIsEcb},
        {kCbcTriple, fips81Key, fips81Iv, nowIs, nowIsCbc},
        // NIST SP 800-67 triple-DES example, three keys.
        {kEcbTriple, "0123456789ABCDEF23456789ABCDEF01456789ABCDEF0123", "",
         "54686520717566636B2062726F776E20666F78206A756D70",
         "A826FD8CE53B855FCCE21C8112256FE668D5C05DD9B6B900"},
    };
    for (const auto& c : cases) {
        Bytes out;
        ASSERT_TRUE(Des(Hex(c.key), c.mode, Hex(c.plain), true, out, Hex(c.iv))) << c.cipher;
        EXPECT_EQ(out, Hex(c.cipher));
        ASSERT_TRUE(Des(Hex(c.key), c.mode, Hex(c.cipher), false, out, Hex(c.iv))) << c.cipher;
        EXPECT_EQ(out, Hex(c.plain));
    }
}

TEST(DesTest, RetailMac) {
    // ICAO Doc 9303 worked example: ISO/IEC 9797-1 MAC algorithm 3, DES, padding method 2.
    Bytes mac;
    int nPadded = 0;
    for (bool fEncrypt : {true, false}) {
        ASSERT_TRUE(Des(Hex("7962D9ECE03D1ACD4C76089DCE131543"), CDes::kMode3DesMacPad2,
                        Hex("72C29C2371CC9BDB65B779B8E8D37B29ECC154AA56A8799FAE2F498F76ED92F2"),
                        fEncrypt, mac, {}, &nPadded));
        EXPECT_EQ(mac, Hex("5F1448EEA8AD90A7"));
        EXPECT_EQ(nPadded, 40);
    }

    // Three keys, as the password format uses them: CBC-MAC under K1, decrypt K2, encrypt K3,
    // built from the single-DES modes checked above.
    const Bytes key = Hex("0123456789ABCDEFFEDCBA987654321089ABCDEF01234567");
    const Bytes k1(key.begin(), key.begin() + 8), k2(key.begin() + 8, key.begin() + 16),
        k3(key.begin() + 16, key.end());
    Bytes cbc, h, want;
    ASSERT_TRUE(Des(k1, kCbcSingle, Text("Now is the time") + Bytes{0x80}, true, cbc, Bytes(8, 0)));
    ASSERT_TRUE(Des(k2, kEcbSingle, Bytes(cbc.end() - 8, cbc.end()), false, h));
    ASSERT_TRUE(Des(k3, kEcbSingle, h, true, want));
    ASSERT_TRUE(Des(key, CDes::kMode3DesMacPad2, Text("Now is the time"), true, mac));
    EXPECT_EQ(mac, want);
}

TEST(DesTest, PaddingAddedAndRemoved) {
    const Bytes key = Hex("0123456789ABCDEF23456789ABCDEF01456789ABCDEF0123");
    // What a decryption in mode 210 gives back for each decrypted block content.
    struct { Bytes plain, kept; } removal[] = {
        {Text("ab") + Bytes{0x80, 0, 0, 0, 0, 0}, Text("ab")},
        {Text("a") + Bytes{0x80, 0x80, 0, 0, 0, 0, 0}, Text("a") + Bytes{0x80}},
        {Text("12345678") + Bytes{0x80, 0, 0, 0, 0, 0, 0, 0}, Text("12345678")},
        // Not padding method 2: nothing is taken off.
        {Text("abc") + Bytes{0, 0, 0, 0, 0}, Text("abc") + Bytes{0, 0, 0, 0, 0}},
    };
    for (const auto& c : removal) {
        Bytes cipher, plain;
        ASSERT_TRUE(Des(key, kEcbTriple, c.plain, true, cipher));
        ASSERT_TRUE(Des(key, CDes::kMode3DesEcbPad2, cipher, false, plain));
        EXPECT_EQ(plain, c.kept);
    }

    // Encrypting pads: method 2 always adds a byte, zero padding only fills the block.
    struct { unsigned char mode; size_t length, padded; } adding[] = {
        {CDes::kMode3DesEcbPad2, 7, 8}, {CDes::kMode3DesEcbPad2, 8, 16},
        {kEcbTriple | CDes::kPadZero, 5, 8}, {kEcbTriple | CDes::kPadZero, 8, 8},
    };
    for (const auto& c : adding) {
        Bytes cipher, plain;
        ASSERT_TRUE(Des(key, c.mode, Bytes(c.length, 'x'), true, cipher));
        ASSERT_TRUE(Des(key, kEcbTriple, cipher, false, plain));
        Bytes expected(c.length, 'x');
        if (c.mode == CDes::kMode3DesEcbPad2) expected.push_back(0x80);
        expected.resize(c.padded, 0);
        EXPECT_EQ(plain, expected);
    }
}

TEST(DesTest, RetrieveDesKeyFoldsTheGatheredBytes) {
    const auto& T = g_DesKeyTable;
    unsigned char key[24];
    // By hand: selector 6 starts at sub-table 2; byte 0 of a 24-byte key folds gathered
    // bytes 0 (row 0, table 2) and 24 (row 3, table 1); of an 8-byte key also 8..40.
    ASSERT_EQ(CDes::RetrieveDESKey(key, 24, 6), 0u);
    EXPECT_EQ(key[0], T[2][T[2][0]] ^ T[1][T[1][24]]);
    EXPECT_EQ(key[23], T[0][T[0][23]] ^ T[3][T[3][47]]);
    ASSERT_EQ(CDes::RetrieveDESKey(key, 8, 6), 0u);
    EXPECT_EQ(key[0], T[2][T[2][0]] ^ T[3][T[3][8]] ^ T[0][T[0][16]] ^ T[1][T[1][24]] ^
                          T[2][T[2][32]] ^ T[3][T[3][40]]);
    ASSERT_EQ(CDes::RetrieveDESKey(key, 16, 7), 0u);
    EXPECT_EQ(key[0], T[3][T[3][0]] ^ T[1][T[1][16]] ^ T[3][T[3][32]]);

    struct { unsigned char* key; unsigned int length, result; } errors[] = {
        {nullptr, 24, CDes::kErrNoKey}, {key, 0, CDes::kErrNoKey}, {key, 12, CDes::kErrKeyLength},
    };
    for (const auto& c : errors)
        EXPECT_EQ(CDes::RetrieveDESKey(c.key, c.length, 0), c.result) << c.length;
}

TEST(DesTest, RefusesWhatItCannotCipherOrRead) {
    const Bytes key = Hex("0123456789ABCDEF");
    Bytes out;
    EXPECT_FALSE(Des(Hex("0123456789ABCDEF0123"), kEcbSingle, Bytes(8), true, out));
    EXPECT_FALSE(Des(Bytes{}, kEcbSingle, Bytes(8), true, out));
    EXPECT_FALSE(Des(key, kEcbSingle, Bytes(7), true, out));                 // unpadded
    EXPECT_FALSE(Des(key, CDes::kMode3DesEcbPad2, Bytes(12), false, out));  // not whole blocks
    EXPECT_FALSE(Des(key, kEcbSingle | CDes::kMac, Bytes{}, true, out));     // nothing to MAC
    CDes des(key.data(), 8, CDes::kMode3DesEcbPad2);
    char in[8] = "abcdefg", small[8];
    int nIn = 8, nOut = sizeof small;
    EXPECT_FALSE(des.crypt(in, nIn, small, nOut, true));
    EXPECT_EQ(nOut, 16);  // the room it would need

    unsigned char buf[4];
    int n = 4;
    ASSERT_TRUE(CDes::ConvertHexToBinary("00ff7A10", 8, buf, &n));
    EXPECT_EQ(Bytes(buf, buf + n), (Bytes{0x00, 0xFF, 0x7A, 0x10}));
    for (const char* bad : {"abc", "0g", "+1"}) {
        n = 4;
        EXPECT_FALSE(CDes::ConvertHexToBinary(bad, static_cast<int>(std::string(bad).size()), buf, &n)) << bad;
    }
    n = 1;
    EXPECT_FALSE(CDes::ConvertHexToBinary("00ff", 4, buf, &n));
}

}  // namespace

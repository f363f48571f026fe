#include "crypt/xx_crypt.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "crypt/xx_bit_set.h"

namespace {

const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

// Test-only legacy encoder, the inverse of the decoding rules: the plain text (1 to 10
// characters) scrambled under a three-digit mask and a code byte. "" when the code byte
// would end the text early.
std::string LegacyEncode(const std::string& plain, const char* pszMask, unsigned char bCode,
                         int nBase) {
    const CXXBitSet mask(pszMask);
    const int nOffset = static_cast<signed char>(bCode) % 16;
    unsigned char d[10] = {};
    const size_t n = plain.size();
    for (size_t j = 0; j < n; ++j) {
        const unsigned int c = static_cast<unsigned char>(plain[j]);
        const int r = ((nOffset + static_cast<int>(j)) % 8 + 8) % 8;
        // Undo the decoder's turn, then its bit flip.
        const unsigned int u = j % 2 == 0 ? c >> r | c << (8 - r) : c << r | c >> (8 - r);
        d[j] = static_cast<unsigned char>(u ^ (j > 0 && mask.IsSet(static_cast<unsigned int>(j))));
    }
    for (size_t k = 1; k < n; ++k)
        if ((d[k - 1] ^ d[k]) == bCode) return "";
    if (n < 10) d[n] = static_cast<unsigned char>(d[n - 1] ^ bCode);
    std::string text(pszMask);
    for (unsigned char b : d)
        text += std::string{kDigits[b / nBase], kDigits[b % nBase]};
    return text + std::string{kDigits[bCode / nBase], kDigits[bCode % nBase]};
}

TEST(XXCryptTest, SeedKeepsSeventeenToThirtyOne) {
    struct { char in, kept; } cases[] = {{17, 17}, {31, 31}, {16, 31}, {32, 31}};
    for (const auto& c : cases)
        EXPECT_EQ(CXXCrypt(c.in).Seed(), c.kept) << int(c.in);
}

TEST(XXCryptTest, ModernRoundTrip) {
    CXXCrypt crypt(31);
    const std::string plains[] = {"", "1234567", "12345678", "Pass word \"!$;`\x7f\xe9"};
    for (const auto& plain : plains) {
        for (int s : {0, 0xFE}) {
            const CString enc = crypt.Encrypt(plain.c_str(), static_cast<unsigned char>(s));
            const int nBlocks = static_cast<int>(plain.size()) / 8 + 1;
            EXPECT_EQ(enc.GetLength(), 2 * (CXXCrypt::kHeaderLength + 8 * nBlocks)) << plain;
            EXPECT_EQ(crypt.Decrypt(enc, CXXCrypt::eCryptPassword), plain.c_str()) << plain;
            CString lower = enc;
            EXPECT_EQ(crypt.Decrypt(lower.MakeLower(), CXXCrypt::eCryptPassword), plain.c_str());
        }
    }
}

TEST(XXCryptTest, ChangedOrMalformedTextGivesNothing) {
    CXXCrypt crypt(31);
    const std::string enc = crypt.Encrypt("secret-password", 2).str();
    ASSERT_EQ(crypt.Decrypt(enc.c_str(), CXXCrypt::eCryptPassword), "secret-password");
    // Every byte of the MAC and of the ciphertext is covered.
    for (size_t i = 0; i < enc.size(); i += 2) {
        if (i == 2 * CXXCrypt::kMacLength)
            continue;  // the selector
        std::string bad = enc;
        bad[i + 1] = bad[i + 1] == '0' ? '1' : '0';
        EXPECT_EQ(crypt.Decrypt(bad.c_str(), CXXCrypt::eCryptPassword), "") << i;
    }
    const std::string malformed[] = {
        enc.substr(0, enc.size() - 2), "G" + enc.substr(1), std::string(34, '0'), ""
    };
    for (const auto& text : malformed)
        EXPECT_EQ(crypt.Decrypt(text.c_str(), CXXCrypt::eCryptPassword), "") << text;
}

TEST(XXCryptTest, LegacyFormat) {
    // Worked by hand: mask 6 flips bits 1 and 2, code 0x13 gives offset 3; D0 = 0x2C
    // turns left 3 into 'a', D1 = 0x27 flips to 0x26 and turns right 4 into 'b', and
    // D1 ^ D2 = 0x13 ends the text after two characters.
    const std::string byHand = "006" "1d" "18" "1l" "00000000000000" "0j";
    CXXCrypt crypt(31);
    EXPECT_EQ(crypt._Decrypt(byHand.c_str()), "ab");

    struct { std::string plain; const char* mask; unsigned char code; char seed; } cases[] = {
        {"Ten chars!", "999", 0x2A, 31}, {"x", "000", 0x01, 31}, {"\x80\xff~", "042", 0xF3, 31},
        {"bios pw", "511", 0x85, 17}};
    for (const auto& c : cases) {
        const std::string text = LegacyEncode(c.plain, c.mask, c.code, c.seed);
        ASSERT_EQ(text.size(), 25u) << c.plain;
        EXPECT_EQ(CXXCrypt(c.seed)._Decrypt(text.c_str()), c.plain.c_str()) << c.plain;
    }
}

TEST(XXCryptTest, LengthChoosesTheFormat) {
    const std::string legacy = LegacyEncode("old pw", "321", 0x5B, 31);
    CXXCrypt crypt(31);
    struct { std::string text; const char* plain; } cases[] = {
        {legacy.substr(0, 24), ""}, {legacy, "old pw"},
        {legacy + "ignored!", "old pw"},       // 33: still legacy
        {legacy + "ignored!!", ""},            // 34: read as hex, which it is not
        {crypt.Encrypt("pw", 3).str(), "pw"},  // the shortest modern text, 34
    };
    for (const auto& c : cases)
        EXPECT_EQ(crypt.Decrypt(c.text.c_str(), CXXCrypt::eCryptPassword), c.plain) << c.text.size();
    EXPECT_EQ(cases[4].text.size(), 34u);
}

}  // namespace

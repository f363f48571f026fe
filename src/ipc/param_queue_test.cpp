#include <gtest/gtest.h>

#include <vector>

#include "ipc/param_queue.h"

namespace {

std::vector<uint8_t> Bytes(const CParamQueue& q) {
    return q.PtrGet() ? std::vector<uint8_t>(q.PtrGet(), q.PtrGet() + q.SizeGet()) : std::vector<uint8_t>();
}

TEST(CParamQueue, ElementEncodings) {
    CParamQueue q;
    const uint8_t raw[] = {0xAA, 0x00, 0xBB};
    ASSERT_TRUE(q.PushBack(-2) && q.PushBack(CDEdureMsg::eJobDone) && q.PushBack("") && q.PushBack("ab") &&
                q.PushBack(raw, sizeof(raw)) && q.PushBack(raw, 0));
    EXPECT_FALSE(q.PushBack(static_cast<const char*>(nullptr)));
    const std::vector<uint8_t> want = {
        0xFE, 0xFF, 0xFF, 0xFF,   // -2
        113, 0, 0, 0,             // message type
        1, 0, 0, 0, 0,            // "": length 1 and the NUL
        3, 0, 0, 0, 'a', 'b', 0,  // "ab"
        0xAA, 0x00, 0xBB,         // raw block, no length
    };
    EXPECT_EQ(Bytes(q), want);

    int i = 0;
    E_DEDURE_MSG e = CDEdureMsg::eEmpty;
    CString csEmpty("x"), csAb;
    uint8_t block[3] = {};
    ASSERT_TRUE(q.PopFront(i) && q.PopFront(e) && q.PopFront(csEmpty) && q.PopFront(csAb) &&
                q.PopFront(block, sizeof(block)));
    EXPECT_EQ(i, -2);
    EXPECT_EQ(e, CDEdureMsg::eJobDone);
    EXPECT_EQ(csEmpty, "");
    EXPECT_EQ(csAb, "ab");
    EXPECT_EQ(std::vector<uint8_t>(block, block + 3), std::vector<uint8_t>(raw, raw + 3));
}

TEST(CParamQueue, FailedPopsOnShortRecords) {
    CParamQueue q;
    // A string claiming 10 bytes with 3 behind it: its length is gone, the rest stays.
    ASSERT_TRUE(q.PushBack(10) && q.PushBack("abc", 3));
    CString cs("unchanged");
    EXPECT_FALSE(q.PopFront(cs));
    EXPECT_EQ(cs, "unchanged");
    EXPECT_EQ(q.SizeGet(), 3u);
    int i = 0;  // integers fail without consuming anything
    EXPECT_FALSE(q.PopFront(i));
    EXPECT_EQ(q.SizeGet(), 3u);

    // A string without its NUL ends at the element, not beyond.
    q.ResetContent();
    ASSERT_TRUE(q.PushBack(2) && q.PushBack("zz", 2) && q.PushBack("tail"));
    EXPECT_TRUE(q.PopFront(cs));
    EXPECT_EQ(cs, "zz");
}

TEST(CParamQueue, GrowthIsAdditiveAndCompactsOnlyWhenGrowing) {
    std::vector<uint8_t> data(100);
    for (size_t n = 0; n < data.size(); ++n) data[n] = static_cast<uint8_t>(n);
    CParamQueue q;
    ASSERT_TRUE(q.PushBack(data.data(), 40) && q.PushBack(data.data() + 40, 20));
    EXPECT_EQ(q.SizeMaxGet(), 40 + 50);  // unread + grow step, no doubling

    uint8_t out[100];
    ASSERT_TRUE(q.PopFront(out, 30));
    ASSERT_TRUE(q.PushBack(data.data() + 60, 30));  // fits behind the write position
    ASSERT_TRUE(q.PushBack(data.data(), 60));  // does not fit: compact, grow by 60
    EXPECT_EQ(q.SizeMaxGet(), 60 + 60);
    std::vector<uint8_t> want(data.begin() + 30, data.begin() + 90);
    want.insert(want.end(), data.begin(), data.begin() + 60);
    EXPECT_EQ(Bytes(q), want);
}

}  // namespace

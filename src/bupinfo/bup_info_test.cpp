#include "bupinfo/bup_info.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "test_helpers.h"

namespace {

constexpr uint32_t kBadFormat = 11;
constexpr uint32_t kWriteFault = 29;
constexpr uint32_t kInvalidParameter = 87;
constexpr uint32_t kInsufficientBuffer = 122;
constexpr uint32_t kNotFound = 1168;
constexpr uint32_t kInvalidUserBuffer = 1784;

const char kDoc[] =
    "<bupinfo2>\r\n"
    "   <packtype>BIOS</packtype>\r\n"
    "   <builddate>12-24-2024</builddate>\r\n"
    "   <file kind=\"rom\">a.rom</file>\r\n"
    "   <file>b.rom</file>\r\n"
    "</bupinfo2>\r\n";

CBupInfo Loaded(const std::string& text) {
    CBupInfo info;
    EXPECT_EQ(info.BufferLoadFrom(text.data(), static_cast<uint32_t>(text.size())), 0u);
    return info;
}

std::string Saved(const CBupInfo& info) {
    uint32_t ulLen = 0;
    EXPECT_EQ(info.BufferSaveTo(nullptr, 0, &ulLen), kInsufficientBuffer);
    std::vector<char> buf(ulLen);
    EXPECT_EQ(info.BufferSaveTo(buf.data(), ulLen, &ulLen), 0u);
    return std::string(buf.begin(), buf.end());
}

TEST(BupInfoTokens, PathsBelowTheRoot) {
    CBupInfo info = Loaded(kDoc);
    CString cs("old");
    EXPECT_EQ(info.TokenContentGet("bupinfo2\\packtype", 0, cs), 0u);
    EXPECT_EQ(cs, "BIOS");
    EXPECT_EQ(info.TokenContentGet("bupinfo2\\file", 1, cs), 0u);
    EXPECT_EQ(cs, "b.rom");
    EXPECT_EQ(info.TokenNameGet("\\", 0, cs), 0u);
    EXPECT_EQ(cs, "bupinfo2");
    EXPECT_EQ(info.TokenNameGet("bupinfo2\\*", 2, cs), 0u);
    EXPECT_EQ(cs, "file");

    cs = "old";
    EXPECT_EQ(info.TokenContentGet("bupinfo2\\file", 2, cs), kNotFound);
    EXPECT_EQ(cs, "");
    EXPECT_EQ(info.TokenContentGet("Bupinfo2\\packtype", 0, cs), kNotFound);  // case counts
    EXPECT_EQ(info.TokenContentGet("", 0, cs), kInvalidParameter);
    EXPECT_EQ(info.TokenContentGet("\\\\", 0, cs), kInvalidParameter);

    // A root named otherwise finds nothing below "bupinfo2".
    info = Loaded("<bupinfo><packtype>BIOS</packtype></bupinfo>");
    EXPECT_EQ(info.TokenContentGet("bupinfo2\\packtype", 0, cs), kNotFound);
    EXPECT_EQ(info.TokenAdd("bupinfo2", 0, "x", "y", nullptr), kNotFound);
}

TEST(BupInfoTokens, BuildDateRule) {
    CBupInfo info = Loaded(kDoc);
    CTime t;
    ASSERT_EQ(info.TokenContentGet("bupinfo2\\builddate", 0, t), 0u);
    EXPECT_EQ(t, CTime(2024, 12, 24, 0, 0, 0));

    const CTime before(12345);
    for (const char* bad : {"24.12.2024", "13-01-2024", "00-10-2024", "01-00-2024", "01-33-2024", "1a-01-2024",
                            "+1-01-2024", "01-01-2024 ", "1-1-2024"}) {
        ASSERT_EQ(info.TokenContentSet("bupinfo2\\builddate", 0, bad), 0u);
        t = before;
        EXPECT_EQ(info.TokenContentGet("bupinfo2\\builddate", 0, t), kBadFormat) << bad;
        EXPECT_EQ(t, before) << bad;
    }
    // Day 32 passes and rolls over.
    ASSERT_EQ(info.TokenContentSet("bupinfo2\\builddate", 0, "12-32-2024"), 0u);
    ASSERT_EQ(info.TokenContentGet("bupinfo2\\builddate", 0, t), 0u);
    EXPECT_EQ(t, CTime(2025, 1, 1, 0, 0, 0));
    EXPECT_EQ(info.TokenContentGet("bupinfo2\\nodate", 0, t), kNotFound);
}

TEST(BupInfoSave, SizeQueryThenExactBuffer) {
    CBupInfo info = Loaded(kDoc);
    EXPECT_EQ(Saved(info), kDoc);  // the layout of kDoc is the writer's own
    std::vector<char> buf(sizeof kDoc - 1);
    EXPECT_EQ(info.BufferSaveTo(buf.data(), sizeof kDoc - 2, nullptr), kInsufficientBuffer);
    EXPECT_EQ(info.BufferSaveTo(buf.data(), sizeof kDoc - 1, nullptr), 0u);
    uint32_t ulLen = 7;
    EXPECT_EQ(info.BufferSaveTo(nullptr, 10, &ulLen), kInvalidUserBuffer);
    EXPECT_EQ(ulLen, 0u);

    // Content beside children: the promised length is kept, the gap is blank.
    ASSERT_EQ(info.TokenContentSet("\\", 0, "lost"), 0u);
    EXPECT_EQ(Saved(info), std::string(kDoc) + "    ");
}

TEST(BupInfoEdit, AddedParameterIsLastChildAndRemovalFindsByPosition) {
    CBupInfo info = Loaded(kDoc);
    ASSERT_EQ(info.TokenAdd("bupinfo2", 0, "Parameter", nullptr, nullptr), 0u);
    ASSERT_EQ(info.TokenAdd("bupinfo2\\Parameter", 0, "SkipBiosCompare", "true", nullptr), 0u);
    CBupInfo back = Loaded(Saved(info));
    std::vector<CString> names{"stale"};
    ASSERT_EQ(back.EnumSubNodes("bupinfo2", 0, names), 0u);
    EXPECT_EQ(names, (std::vector<CString>{"packtype", "builddate", "file", "file", "Parameter"}));
    CString cs;
    EXPECT_EQ(back.TokenContentGet("bupinfo2\\Parameter\\SkipBiosCompare", 0, cs), 0u);
    EXPECT_EQ(cs, "true");

    ASSERT_EQ(info.TokenRemove("bupinfo2\\file", 0), 0u);
    EXPECT_EQ(info.TokenContentGet("bupinfo2\\file", 0, cs), 0u);
    EXPECT_EQ(cs, "b.rom");
    ASSERT_EQ(info.TokenRemove("bupinfo2\\*", 0), 0u);  // packtype, found by position
    EXPECT_EQ(info.TokenContentGet("bupinfo2\\packtype", 0, cs), kNotFound);
    EXPECT_EQ(info.TokenRemove("bupinfo2\\file", 1), kNotFound);
    EXPECT_EQ(info.TokenRemove("\\", 0), kInvalidParameter);
}

TEST(BupInfoFiles, SaveLoadAndFailures) {
    TempDir dir;
    CBupInfo info = Loaded(kDoc);
    const std::string path = dir.file("BupInfo2.xml");
    ASSERT_EQ(info.FileSaveTo(path.c_str()), 0u);
    EXPECT_EQ(TempDir::read(path), kDoc);

    CBupInfo fromPath;
    ASSERT_EQ(fromPath.FileLoadFrom(path.c_str()), 0u);
    EXPECT_EQ(Saved(fromPath), kDoc);

    // An open file is read from its current position on.
    FILE* pFile = std::fopen(dir.write("two.xml", "<a>1</a><b>2</b>").c_str(), "rb");
    ASSERT_TRUE(pFile && std::fseek(pFile, 8, SEEK_SET) == 0);
    EXPECT_EQ(fromPath.FileLoadFrom(pFile), 0u);
    std::fclose(pFile);
    CString csName;
    EXPECT_EQ(fromPath.TokenNameGet("\\", 0, csName), 0u);
    EXPECT_EQ(csName, "b");

    EXPECT_EQ(fromPath.FileLoadFrom(dir.write("bad.xml", "<a></b>").c_str()), kBadFormat);
    EXPECT_EQ(fromPath.FileLoadFrom(dir.file("missing.xml").c_str()), kNotFound);
    EXPECT_EQ(info.FileSaveTo(dir.file("no/such/dir.xml").c_str()), kWriteFault);
}

}  // namespace

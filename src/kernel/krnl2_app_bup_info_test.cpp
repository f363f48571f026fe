#include <gtest/gtest.h>

#include <string>

#include "bupinfo/bup_archive.h"
#include "bupinfo/bup_info.h"
#include "kernel/krnl2_app.h"
#include "support/pipe_child.h"
#include "test_helpers.h"

namespace {
std::string Text(const CMemBlk& block) {
    return std::string(reinterpret_cast<const char*>(block.PtrGet()), block.SizeGet());
}
}  // namespace

TEST(AppendToken, TheParameterBecomesTheRootsLastChild) {
    const std::string doc = "<bupinfo2><packtype>BIOS</packtype><Parameter><Other>1</Other></Parameter></bupinfo2>";
    CBupInfo bupinfo;
    ASSERT_EQ(bupinfo.BufferLoadFrom(doc.c_str(), static_cast<uint32_t>(doc.size())), 0u);
    CMemBlk block(doc.data(), static_cast<uint32_t>(doc.size()));
    AppendToken(bupinfo, block, "Parameter", "SkipBiosCompare", "true");

    const std::string text = Text(block);
    EXPECT_EQ(text.find('\0'), std::string::npos) << "no slack from the size estimate";
    const size_t last = text.rfind("<Parameter>");
    ASSERT_NE(last, std::string::npos) << text;
    EXPECT_EQ(text.substr(last), "<Parameter>\r\n      <SkipBiosCompare>true</SkipBiosCompare>\r\n   </Parameter>\r\n"
                                 "</bupinfo2>\r\n");

    CBupInfo reread;
    ASSERT_EQ(reread.BufferLoadFrom(text.c_str(), static_cast<uint32_t>(text.size())), 0u);
    CString cs;
    EXPECT_EQ(reread.TokenContentGet("bupinfo2\\Parameter\\Other", 0, cs), 0u) << "the document's own element stays";
    EXPECT_EQ(reread.TokenContentGet("bupinfo2\\packtype", 0, cs), 0u);
    EXPECT_STREQ(cs, "BIOS");
}

TEST(ArcBupInfo, ReadsTheMemberAndItsTime) {
    TempDir dir;
    const std::string xml = "<bupinfo2><packtype>BIOS</packtype></bupinfo2>";
    dir.write("BupInfo2.xml", xml);
    CPipeChild zip({"zip", "-q", "-j", dir.file("p.bup"), dir.file("BupInfo2.xml")});
    while (zip.LineGet()) {
    }
    ASSERT_EQ(zip.Unload(), 0);

    CKrnl2App app;
    CBupArchive arc(dir.file("p.bup").c_str());
    CMemBlk block;
    CTime time;
    ASSERT_TRUE(app.ArcBupInfoGet("BupInfo2.xml", arc, block, time));
    EXPECT_EQ(Text(block), xml);
    EXPECT_GT(time.GetTime(), 0);
    CString cs;
    EXPECT_TRUE(app.BupInfoXmlLoad(arc, cs));
    EXPECT_STREQ(cs, xml.c_str());

    EXPECT_FALSE(app.ArcBupInfoGet("Missing.xml", arc, block, time));
    CBupArchive none(dir.file("none.bup").c_str());
    EXPECT_FALSE(app.BupInfoXmlLoad(none, cs));
}

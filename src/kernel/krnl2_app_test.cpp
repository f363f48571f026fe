#include "kernel/krnl2_app.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// argv for CommandLineParse; the strings live as long as the object.
struct Args {
    explicit Args(std::vector<std::string> a) : text(std::move(a)) {
        for (auto& s : text)
            ptrs.push_back(s.data());
        ptrs.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(text.size()); }
    char** argv() { return ptrs.data(); }
    std::vector<std::string> text;
    std::vector<char*> ptrs;
};
}  // namespace

TEST(KernelArguments, EachKnownArgumentInsertsItsOption) {
    CKrnl2App app;
    Args args({"qmkrnl2", "-h", "--version", "-lm", "--server", "--noextlocate"});
    ASSERT_TRUE(app.CommandLineParse(args.argc(), args.argv()));
    const auto& opts = app.CmdInfo().m_Options;
    EXPECT_EQ(opts.size(), 5u);
    for (E_OPTIONS e : {eUsage, eVersion, eLoadModule, eForceServer, eNoExtLocate})
        EXPECT_TRUE(opts.OptionExists(e)) << e;

    CKrnl2App app2;
    Args longForms({"qmkrnl2", "--help", "-v", "--loadmodule", "-sv"});
    ASSERT_TRUE(app2.CommandLineParse(longForms.argc(), longForms.argv()));
    EXPECT_EQ(app2.CmdInfo().m_Options.size(), 4u);
}

TEST(KernelArguments, FirstInvalidArgumentStopsTheScan) {
    CKrnl2App app;
    Args args({"./qmkrnl2", "-v", "--Help", "-h"});
    testing::internal::CaptureStderr();
    EXPECT_FALSE(app.CommandLineParse(args.argc(), args.argv()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "./qmkrnl2: invalid command line option '--Help'\n");
    EXPECT_TRUE(app.CmdInfo().OptionExists(eVersion));
    EXPECT_FALSE(app.CmdInfo().OptionExists(eUsage)) << "arguments after the invalid one were read";

    // Job-language spellings are not kernel arguments.
    for (const char* bad : {"-H", "--noExtLocate", "-at", "--auto", "-", ""}) {
        CKrnl2App other;
        Args one({"qmkrnl2", bad});
        testing::internal::CaptureStderr();
        EXPECT_FALSE(other.CommandLineParse(one.argc(), one.argv())) << bad;
        testing::internal::GetCapturedStderr();
    }
}

TEST(KernelArguments, ParameterListForTheTrace) {
    Args args({"qmkrnl2", "--server", "a b"});
    CString out;
    EXPECT_STREQ(CommandLineParameters2Str(args.argc(), args.argv(), out),
                 "[0]='qmkrnl2'\n[1]='--server'\n[2]='a b'");
    EXPECT_STREQ(CommandLineParameters2Str(0, nullptr, out), "");
}

TEST(KernelShutdown, EnumeratorNames) {
    EXPECT_STREQ(EShutDonw2Str(SD_NO), "SD_NO");
    EXPECT_STREQ(EShutDonw2Str(SD_OP_PENDING_RESTART_QM), "SD_OP_PENDING_RESTART_QM");
    EXPECT_STREQ(EShutDonw2Str(SD_ACTIVATE_CHANGES_COLD_BOOT), "SD_ACTIVATE_CHANGES_COLD_BOOT");
    EXPECT_STREQ(EShutDonw2Str(5), "<invalid>");
    EXPECT_STREQ(EShutDonw2Str(-1), "<invalid>");
}

TEST(KernelStandardPaths, ComeFromProc) {
    CKrnl2App app;
    app.StandardPathsInit();
    EXPECT_FALSE(app.BinPath().IsEmpty());
    EXPECT_EQ(app.BinPath().Left(app.BinDir().GetLength() + 1), app.BinDir() + "/");
    EXPECT_NE(app.WrkDir().Right(1), CString("/"));
    EXPECT_FALSE(app.TempDir().IsEmpty());
}

// The candidate scan and the selection over real packages judged by the simulated board.
#include <gtest/gtest.h>

#include <cstdlib>

#include "kernel/krnl2_app.h"
#include "support/pipe_child.h"
#include "test_helpers.h"

namespace {

class CandidateScan : public testing::Test {
protected:
    void SetUp() override {
        state.write("board.json", R"({"board":"X1","bios_version":"2.05","secure_platform":false})");
        setenv("QMXSIM_STATE", state.path().c_str(), 1);
        app.Qmx().BinaryPathSet(QMXSIM_SO);
        ASSERT_EQ(app.Qmx().Install(), 0u);
        app.JobCmdInfo().Parse("-at");
    }
    void TearDown() override {
        app.Qmx().Uninstall();
        unsetenv("QMXSIM_STATE");
    }

    // A package in the scan directory, made by the simulated board's own tool.
    void Package(const std::string& name, std::vector<std::string> options) {
        std::vector<std::string> argv = {QMXSIM_MAKE_PACKAGE, dir.file(name)};
        if (std::find(options.begin(), options.end(), "--board") == options.end())
            options.insert(options.begin(), {"--board", "X1"});
        argv.insert(argv.end(), options.begin(), options.end());
        CPipeChild maker(argv);
        while (maker.LineGet()) {
        }
        ASSERT_EQ(maker.Unload(), 0) << name;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const CBupAssessmentEx& c : results)
            names.push_back(c.m_csName.str());
        return names;
    }

    TempDir state;
    TempDir dir;
    CKrnl2App app;
    std::vector<CBupAssessmentEx> results;
};

}  // namespace

TEST_F(CandidateScan, EmptyDirectoryAndTheFirstRejectionsReason) {
    EXPECT_EQ(app.UpdateFilesFindAndCheck(dir.path().c_str(), "", results), FC_INVALID);
    EXPECT_TRUE(results.empty());

    // Listing order is the directory's, so each case gets a list of its own.
    Package("a.bup", {"--board", "Y1", "--bios", "2.06"});
    Package("b.bup", {"--bios", "2.06", "--date", "03-01-2024"});
    EXPECT_EQ(app.UpdateFilesCheckSingles(dir.path().c_str(), {"a.bup", "b.bup"}, results, true, false), FC_VALID);
    EXPECT_EQ(Names(), std::vector<std::string>{"b.bup"});
    EXPECT_EQ(results[0].m_BuildTime.GetTime(), CTime(2024, 3, 1, 0, 0, 0).GetTime());
    EXPECT_STREQ(results[0].BiosVer(), "2.06");

    Package("sp.bup", {"--bios", "2.06", "--secure-platform"});
    Package("obs.bup", {"--bios", "1.00", "--obsolete-from", "2.00"});
    results.clear();
    EXPECT_EQ(app.UpdateFilesCheckSingles(dir.path().c_str(), {"sp.bup", "obs.bup"}, results, true, false),
              FC_SECURE_PLATFORM_REQUIRED);
    EXPECT_EQ(app.UpdateFilesCheckSingles(dir.path().c_str(), {"obs.bup", "sp.bup"}, results, true, false),
              FC_INCOMPATIBLE);
    EXPECT_TRUE(results.empty());
}

TEST_F(CandidateScan, DefaultPatternsAndKinds) {
    Package("UPDATE.BUP", {"--bios", "2.06"});
    Package("CONFIG.NVUX", {"--packtype", "CONFIG", "--bios", "2.05"});
    EXPECT_EQ(app.UpdateFilesFindAndCheck(dir.path().c_str(), "", results), FC_VALID);
    EXPECT_EQ(Names(), std::vector<std::string>{"UPDATE.BUP"}) << "packages match without regard to case";

    results.clear();
    app.JobCmdInfo().Parse("-nvu");
    EXPECT_EQ(app.ConfigurationFilesFindAndCheck(dir.path().c_str(), "", results), FC_INVALID)
        << "configuration archives match exactly";
    EXPECT_EQ(app.ConfigurationFilesFindAndCheck(dir.path().c_str(), "*.NVUX", results), FC_VALID);
    EXPECT_EQ(Names(), std::vector<std::string>{"CONFIG.NVUX"});
    EXPECT_TRUE(results[0].m_UsageFlags.Test(CUsageFlags::SetupSettingsArea));
}

TEST_F(CandidateScan, SelectedAreasAndSkipBiosCompare) {
    Package("nologo.bup", {"--bios", "2.06", "--areas", "bios"});
    app.JobCmdInfo().Parse("-at --logo");
    EXPECT_EQ(app.UpdateFilesFindAndCheck(dir.path().c_str(), "", results), FC_INVALID)
        << "a package without the selected logo area is not recorded";
    EXPECT_TRUE(results.empty());

    Package("older.bup", {"--bios", "2.04", "--areas", "bios"});
    app.JobCmdInfo().Parse("-at");
    EXPECT_EQ(app.UpdateFilesCheckSingles(dir.path().c_str(), {"older.bup"}, results, true, false), FC_VALID);
    EXPECT_EQ(static_cast<CBupUsability::e_usability>(results.back().m_Usability), CBupUsability::USABILITY_OLDER_VERSION);
    app.JobCmdInfo().Parse("-at -sbc");
    EXPECT_EQ(app.UpdateFilesCheckSingles(dir.path().c_str(), {"older.bup"}, results, true, false), FC_VALID);
    EXPECT_EQ(static_cast<CBupUsability::e_usability>(results.back().m_Usability), CBupUsability::USABILITY_NEWER_VERSION)
        << "the module saw the appended parameter";
    EXPECT_TRUE(app.Qmx().m_BupInfo.fSkipBiosCompare);
}

TEST_F(CandidateScan, BuildDatesAndTheSelection) {
    Package("dated.bup", {"--bios", "2.06", "--date", "05-01-2023"});
    Package("undated.bup", {"--bios", "2.07", "--no-date"});
    Package("newest.bup", {"--bios", "2.06", "--date", "06-01-2024"});
    Package("major.bup", {"--bios", "3.00", "--date", "01-01-2020"});
    EXPECT_EQ(app.UpdateFilesCheckSingles(dir.path().c_str(), {"dated.bup", "undated.bup", "newest.bup"}, results,
                                          true, false),
              FC_VALID);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[1].m_BuildTime.GetTime(), 0) << "no date of the package before";

    CBupAssessmentEx selected;
    EXPECT_EQ(app.UpdateFileSelect(dir.path().c_str(), results, selected), FC_VALID);
    EXPECT_STREQ(selected.Name(), "newest.bup");
    EXPECT_STREQ(app.Qmx().m_BupInfo.sBiosInfo.c_str(), "2.06") << "the verdict in hand is the chosen one's";

    EXPECT_EQ(app.UpdateFilesCheckSingles(dir.path().c_str(), {"major.bup"}, results, true, false), FC_VALID);
    EXPECT_EQ(app.UpdateFileSelect(dir.path().c_str(), results, selected), FC_VALID);
    EXPECT_STREQ(selected.Name(), "major.bup") << "rank beats date";
}

#include <gtest/gtest.h>

#include "kernel/krnl2_app.h"
#include "test_helpers.h"

namespace {

using U = CBupUsability;

CBupAssessmentEx Candidate(const char* pszName, U::e_usability eUsability, CTime built,
                           uint32_t dwAreas = CUsageFlags::BiosUpdate) {
    CBupAssessmentEx c;
    c.m_csName = pszName;
    c.m_Usability = eUsability;
    c.m_Consistency = CBupConsistency::CONSISTENCY_COMPLETE_VALID;
    c.m_BuildTime = built;
    c.m_UsageFlags = CUsageFlags(dwAreas);
    return c;
}

const CTime kNone;
const CTime k2020(2020, 1, 1, 0, 0, 0);
const CTime k2023(2023, 5, 1, 0, 0, 0);
const CTime k2024(2024, 3, 1, 0, 0, 0);

// The name UpdateFileSelect chooses, "" when none, and its code.
std::string Chosen(std::vector<CBupAssessmentEx> candidates, E_FILE_CHECK* peCheck = nullptr,
                   const char* pszJob = "-at") {
    CKrnl2App app;
    app.JobCmdInfo().Parse(pszJob);
    CBupAssessmentEx selected;
    const E_FILE_CHECK e = app.UpdateFileSelect("/nonexistent", candidates, selected);
    if (peCheck)
        *peCheck = e;
    return e == FC_INVALID ? "" : selected.m_csName.str();
}

}  // namespace

TEST(FileSelect, RankBeatsDateAndTheNewestWinsWithinAGroup) {
    EXPECT_EQ(Chosen({Candidate("A", U::USABILITY_NEWER_VERSION, k2024), Candidate("B", U::USABILITY_MAJOR_VERSION, k2020)}),
              "B");
    EXPECT_EQ(Chosen({Candidate("old", U::USABILITY_NEWER_VERSION, k2023), Candidate("new", U::USABILITY_NEWER_VERSION, k2024)}),
              "new");
    EXPECT_EQ(Chosen({Candidate("first", U::USABILITY_NEWER_VERSION, k2024), Candidate("second", U::USABILITY_NEWER_VERSION, k2024)}),
              "first")
        << "of two equal times the earlier in the list stays";
    EXPECT_EQ(Chosen({Candidate("undated", U::USABILITY_EQUAL_VERSION, kNone), Candidate("dated", U::USABILITY_EQUAL_VERSION, k2020)}),
              "dated");
    EXPECT_EQ(Chosen({Candidate("dated", U::USABILITY_EQUAL_VERSION, k2020), Candidate("undated", U::USABILITY_EQUAL_VERSION, kNone)}),
              "dated");
    EXPECT_EQ(Chosen({Candidate("u1", U::USABILITY_OLDER_VERSION, kNone), Candidate("u2", U::USABILITY_OLDER_VERSION, kNone)}),
              "u1");
}

TEST(FileSelect, TheChosenUsabilityGivesTheCode) {
    E_FILE_CHECK e = FC_VALID;
    EXPECT_EQ(Chosen({Candidate("inc", U::USABILITY_INCOMPATIBLE_VERSION, k2020)}, &e), "inc");
    EXPECT_EQ(e, FC_INCOMPATIBLE) << "copied out all the same";
    EXPECT_EQ(Chosen({Candidate("obs", U::USABILITY_OBSOLETE_VERSION, k2020)}, &e), "obs");
    EXPECT_EQ(e, FC_VALID);
    Chosen({Candidate("sp", U::E_BUPINFO_USABILITY_SECURE_PLATFORM_UPDATE_REQUIRED, k2020)}, &e);
    EXPECT_EQ(e, FC_SECURE_PLATFORM_REQUIRED);
    EXPECT_EQ(Chosen({}, &e), "");
    EXPECT_EQ(e, FC_INVALID);
    EXPECT_EQ(Chosen({Candidate("bad", static_cast<U::e_usability>(7), k2020)}, &e), "") << "invalid usability";
}

TEST(FileSelect, AreasOfTheJobAndOfTheCandidate) {
    const uint32_t kBiosLogo = CUsageFlags::BiosUpdate | CUsageFlags::LogoArea;
    EXPECT_EQ(Chosen({Candidate("nologo", U::USABILITY_MAJOR_VERSION, k2024),
                      Candidate("logo", U::USABILITY_OLDER_VERSION, k2020, kBiosLogo)},
                     nullptr, "-at --logo"),
              "logo");
    EXPECT_EQ(Chosen({Candidate("config", U::USABILITY_MAJOR_VERSION, k2024, CUsageFlags::LogoArea)}), "")
        << "an update needs the BIOS area";

    CKrnl2App app;
    app.JobCmdInfo().Parse("-nvu --logo");
    std::vector<CBupAssessmentEx> configs = {
        Candidate("bios-only", U::USABILITY_MAJOR_VERSION, k2024),
        Candidate("boot-order", U::USABILITY_EQUAL_VERSION, k2020, CUsageFlags::BootOrderVariablesArea),
        Candidate("logo", U::USABILITY_OLDER_VERSION, k2020, CUsageFlags::LogoArea),
    };
    CBupAssessmentEx selected;
    EXPECT_EQ(app.ConfigurationFileSelect("/nonexistent", configs, selected), FC_VALID);
    EXPECT_STREQ(selected.Name(), "logo");
    app.JobCmdInfo().Parse("-nvu");
    EXPECT_EQ(app.ConfigurationFileSelect("/nonexistent", configs, selected), FC_VALID);
    EXPECT_STREQ(selected.Name(), "boot-order") << "a boot order archive alone is a configuration";
}

TEST(FileSelect, ReportLogsValidCandidatesAndDropsGivenConfirmations) {
    TempDir dir;
    CKrnl2App app;
    app.LogfileSet(dir.file("job.log").c_str());
    std::vector<CBupAssessmentEx> candidates = {Candidate("a.bup", U::USABILITY_OLDER_VERSION, CTime(2021, 7, 15, 0, 0, 0)),
                                                Candidate("b.bup", U::USABILITY_NEWER_VERSION, kNone)};
    candidates[0].m_csBiosVer = "R1.22";
    candidates[0].m_confirmflags = CConfirmFlags(CConfirmFlags::BiosOverwrite | CConfirmFlags::BootAfterUpdate);
    candidates[1].m_Consistency = CBupConsistency::CONSISTENCY_DEMAGED;

    app.FileResultKillConfirmFlags(candidates, CConfirmFlags(CConfirmFlags::BootAfterUpdate));
    EXPECT_EQ(candidates[0].m_confirmflags.Value(), static_cast<uint32_t>(CConfirmFlags::BiosOverwrite));
    app.FileResultReport(candidates);
    const std::string log = TempDir::read(dir.file("job.log"));
    EXPECT_NE(log.find("validation='a.bup; valid', BIOS='R1.22; 07-15-2021"), std::string::npos) << log;
    EXPECT_NE(log.find("Confirmations='overwrite'"), std::string::npos) << log;
    EXPECT_EQ(log.find("b.bup"), std::string::npos) << "a damaged candidate is not logged";

    TempDir other;
    app.LogfileSet(other.file("job.log").c_str());
    std::vector<CBupAssessmentEx> invalid = {candidates[1]};
    app.FileResultReport(invalid);
    EXPECT_NE(TempDir::read(other.file("job.log")).find("No matching file found"), std::string::npos);
}

#include <gtest/gtest.h>

#include <vector>

#include "kernel/assessment_transfer.h"

namespace {

using C = CBupConsistency;
using U = CBupUsability;

// Areas a verdict carries, as bits for the table below.
enum : unsigned { B = 1, S = 2, P = 4, L = 8, D = 16, O = 32, ALL = 63 };

TEST(VerdictValidity, SelectedAreasMustBePresent) {
    const struct {
        C::e_consistency eCons; unsigned uAreas; std::vector<E_OPTIONS> selected; bool fExpected;
    } rows[] = {
        {C::CONSISTENCY_DEMAGED, ALL, {}, false},
        {C::CONSISTENCY_INCOMPLETE_INVALID, ALL, {eLogoArea}, false},
        {C::CONSISTENCY_INCOMPLETE_VALID_BY_USER, 0, {}, true},
        {C::CONSISTENCY_COMPLETE_VALID, ALL & ~L, {}, true},
        {C::CONSISTENCY_COMPLETE_VALID, ALL & ~L, {eLogoArea}, false},
        {C::CONSISTENCY_COMPLETE_VALID, ALL & ~B, {eBiosCodeArea}, false},
        {C::CONSISTENCY_COMPLETE_VALID, ALL & ~S, {eNvRamArea}, false},
        {C::CONSISTENCY_COMPLETE_VALID, ALL & ~P, {ePasswordArea}, false},
        {C::CONSISTENCY_COMPLETE_VALID, ALL & ~D, {eSystemDataArea}, false},
        {C::CONSISTENCY_COMPLETE_VALID, ALL & ~O, {eBootOrderVariablesArea}, false},
        {C::CONSISTENCY_COMPLETE_VALID, ALL,
         {eBiosCodeArea, eNvRamArea, ePasswordArea, eLogoArea, eSystemDataArea, eBootOrderVariablesArea}, true},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        CQmx2BupInfo v;
        const unsigned u = rows[i].uAreas;
        v.Consistency = rows[i].eCons;
        v.fBiosUpdate = u & B, v.fSetupSettingsArea = u & S, v.fPasswordArea = u & P;
        v.fLogoArea = u & L, v.fSystemDataArea = u & D, v.fBootOrderVariablesArea = u & O;
        v.fNvramUpdate = true;  // never what the settings area is judged by
        CQmCmdLine job;
        job.m_Options.insert(rows[i].selected.begin(), rows[i].selected.end());
        EXPECT_EQ(IsConsistencyValidForJob(v, job), rows[i].fExpected) << "row " << i;
    }
}

// Each verdict flag alone lands on its own usage bit and nowhere else.
TEST(TransferVerdict, EachAreaFieldMapsToItsUsageBit) {
    const struct { bool CQmx2BupInfo::*pField; uint32_t dwBit; } rows[] = {
        {&CQmx2BupInfo::fBiosUpdate, CUsageFlags::BiosUpdate}, {&CQmx2BupInfo::fNvramUpdate, CUsageFlags::NvramUpdate},
        {&CQmx2BupInfo::fNvramCrossUpdateSupported, CUsageFlags::NvramCrossUpdateSupported},
        {&CQmx2BupInfo::fDebugCodeArea, CUsageFlags::DebugCodeArea}, {&CQmx2BupInfo::fLogoArea, CUsageFlags::LogoArea},
        {&CQmx2BupInfo::fSystemDataArea, CUsageFlags::SystemDataArea},
        {&CQmx2BupInfo::fSetupSettingsArea, CUsageFlags::SetupSettingsArea},
        {&CQmx2BupInfo::fBootOrderVariablesArea, CUsageFlags::BootOrderVariablesArea},
        {&CQmx2BupInfo::fPasswordArea, CUsageFlags::PasswordArea},
    };
    for (const auto& row : rows) {
        CQmx2BupInfo verdict;
        verdict.*row.pField = true;
        CBupAssessmentEx bios, restore;
        TransferCheckBupInfoResultToAssessmentForBiosUpdate(verdict, bios);
        TransferCheckBupInfoResultToAssessmentForConfigurationRestore(verdict, restore);
        EXPECT_EQ(bios.m_UsageFlags.Value(), row.dwBit);
        EXPECT_EQ(restore.m_UsageFlags.Value(), row.dwBit);
    }
}

TEST(TransferVerdict, CopiesVerdictAndKeepsWhatTheScanSet) {
    CQmx2BupInfo verdict;
    verdict.sBiosInfo = "R1.20.0";
    verdict.Usability = U::USABILITY_MAJOR_VERSION;
    verdict.Consistency = C::CONSISTENCY_INCOMPLETE_VALID;
    CBupAssessmentEx a;
    a.m_ArcType = CArcType::eArcTypeArchive;
    a.m_csName = "d3644.bup";
    a.m_BuildTime = CTime(time_t(1600000000));
    a.m_UsageFlags = CUsageFlags(0x3FF);  // bit 9 is not the verdict's to touch
    a.m_confirmflags = CConfirmFlags(0xFF);
    TransferCheckBupInfoResultToAssessmentForBiosUpdate(verdict, a);
    EXPECT_EQ(a.BiosVer(), "R1.20.0");
    EXPECT_EQ(a.m_Usability, U::USABILITY_MAJOR_VERSION);
    EXPECT_EQ(a.m_Consistency, C::CONSISTENCY_INCOMPLETE_VALID);
    EXPECT_EQ(a.m_UsageFlags.Value(), 0x200u);
    EXPECT_TRUE(a.m_confirmflags.IsEmpty());
    EXPECT_EQ(a.Name(), "d3644.bup");
    EXPECT_EQ(a.m_BuildTime, CTime(time_t(1600000000)));

    // A cleared verdict: no version text, and an equal version still needs consent.
    verdict.clear();
    TransferCheckBupInfoResultToAssessmentForBiosUpdate(verdict, a);
    EXPECT_TRUE(a.BiosVer().IsEmpty());
    EXPECT_EQ(a.m_Consistency, C::CONSISTENCY_UNKNOWN_OR_INVALID);
    EXPECT_EQ(a.m_confirmflags, CConfirmFlags(CConfirmFlags::BiosOverwrite));
}

TEST(TransferVerdict, EachJobAsksForItsOwnConfirmations) {
    const struct {
        U::e_usability eUsab; C::e_consistency eCons; bool fRebootBios, fRebootNvram; uint32_t dwBios, dwRestore;
    } rows[] = {
        {U::USABILITY_NEWER_VERSION, C::CONSISTENCY_COMPLETE_VALID, false, false, 0, 0},
        {U::USABILITY_EQUAL_VERSION, C::CONSISTENCY_COMPLETE_VALID, false, false, 0x01, 0},
        {U::USABILITY_OLDER_VERSION, C::CONSISTENCY_COMPLETE_VALID, false, false, 0x01, 0},
        {U::USABILITY_OBSOLETE_VERSION, C::CONSISTENCY_COMPLETE_VALID, false, false, 0, 0},
        {U::USABILITY_NEWER_VERSION, C::CONSISTENCY_COMPLETE_VALID, true, false, 0x02, 0},
        {U::USABILITY_NEWER_VERSION, C::CONSISTENCY_COMPLETE_VALID, false, true, 0, 0x02},
        {U::USABILITY_OLDER_VERSION, C::CONSISTENCY_INCOMPLETE_VALID_BY_USER, true, true, 0x0B, 0x0A},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        CQmx2BupInfo verdict;
        verdict.Usability = rows[i].eUsab;
        verdict.Consistency = rows[i].eCons;
        verdict.fRebootForBiosUpdate = rows[i].fRebootBios;
        verdict.fRebootForNvramUpdate = rows[i].fRebootNvram;
        CBupAssessmentEx bios, restore;
        TransferCheckBupInfoResultToAssessmentForBiosUpdate(verdict, bios);
        TransferCheckBupInfoResultToAssessmentForConfigurationRestore(verdict, restore);
        EXPECT_EQ(bios.m_confirmflags.Value(), rows[i].dwBios) << "row " << i;
        EXPECT_EQ(restore.m_confirmflags.Value(), rows[i].dwRestore) << "row " << i;
    }
}

}  // namespace

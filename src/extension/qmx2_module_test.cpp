#include "extension/qmx2_module.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "extension/qmx2_status.h"
#include "test_helpers.h"

namespace {
std::string fakeModule(const char* name) { return std::string(QM_FAKE_MODULE_DIR "/") + name + ".so"; }

int counter(const CQmx2Module& m, const char* name) {
    auto* p = static_cast<int*>(m.ProcAddressGet(name));
    return p ? *p : -1;
}
}  // namespace

TEST(Qmx2ModuleBinding, MissingInitFailsOnceThenStaysLoaded) {
    CQmx2Module m;
    m.BinaryPathSet(fakeModule("fake_noinit").c_str());
    EXPECT_FALSE(m.Prepare());
    EXPECT_TRUE(m.IsLoaded());
    EXPECT_TRUE(m.Prepare());
    EXPECT_NE(m.m_pfn.Install, nullptr);
}

TEST(Qmx2ModuleBinding, RequiredAndOptionalEntryPoints) {
    CQmx2Module noInfo;
    noInfo.BinaryPathSet(fakeModule("fake_noinfo").c_str());
    EXPECT_FALSE(noInfo.Prepare());
    EXPECT_EQ(noInfo.Install(), 0xC1020000u);
    EXPECT_EQ(counter(noInfo, "fake_calls_install"), 0);

    CQmx2Module noMake;
    noMake.BinaryPathSet(fakeModule("fake_nomake").c_str());
    EXPECT_TRUE(noMake.Prepare());
    EXPECT_EQ(noMake.DoMakeCombinedArchive("a", "b", "c"), 0xD0020000u);
    EXPECT_EQ(noMake.CheckBupInfo(nullptr, 0), 0xC5020000u);
    EXPECT_EQ(noMake.DoBiosUpdate(true), 0xC6020000u);

    CQmx2Module ok;
    ok.BinaryPathSet(fakeModule("fake_ok").c_str());
    EXPECT_EQ(ok.DoMakeCombinedArchive("a", "b", "c"), 0u);
    EXPECT_EQ(counter(ok, "fake_calls_make"), 1);

    CQmx2Module missing;
    missing.BinaryPathSet("/nonexistent/qmx.so");
    EXPECT_EQ(missing.Install(), 0xC1020000u);
    EXPECT_EQ(missing.GetModuleInfo(), 0xC3020000u);
}

TEST(Qmx2ModuleBinding, InstallStateFollowsSeverity) {
    CQmx2Module ok;  // answers with a warning
    ok.BinaryPathSet(fakeModule("fake_ok").c_str());
    EXPECT_EQ(ok.Uninstall(), 0u) << "not installed: nothing to do";
    EXPECT_FALSE(Qmx2Failed(ok.Install()));
    EXPECT_TRUE(ok.m_fInstalled);
    EXPECT_EQ(ok.GetModuleInfo(), 0u);
    EXPECT_EQ(ok.m_OemInfo.sSystemInfo, "FakeBoard") << "reply read back into the record";
    EXPECT_EQ(ok.Uninstall(), 0u);
    EXPECT_FALSE(ok.m_fInstalled);

    CQmx2Module refusing;
    refusing.BinaryPathSet(fakeModule("fake_refuse80").c_str());
    const uint32_t status = refusing.Install();
    EXPECT_EQ(status, 0xC1800000u);
    EXPECT_FALSE(refusing.m_fInstalled);
}

TEST(Qmx2ModuleBinding, TransferDirectoryIsMadeOnceAndRemoved) {
    TempDir dir;
    // Someone else's folder under a name the kernel might have chosen is never touched.
    const std::string theirs = dir.write("fake_ok000000/theirs", "kept");
    CQmx2Module m;
    m.BinaryPathSet(fakeModule("fake_ok").c_str());
    ASSERT_TRUE(m.TransferDirPrepare(dir.path().c_str()));
    const CString first = m.m_csTransferDir;
    EXPECT_EQ(first.str().rfind(dir.path() + "/fake_ok", 0), 0u) << first.str();
    EXPECT_NE(first.str(), dir.path() + "/fake_ok000000");
    struct stat st {};
    ASSERT_EQ(stat(first, &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(TempDir::read(theirs), "kept");
    ASSERT_TRUE(m.TransferDirPrepare(dir.path().c_str()));
    EXPECT_EQ(m.m_csTransferDir, first);
    dir.write(first.str().substr(dir.path().size() + 1) + "/x", "data");
    EXPECT_TRUE(m.TransferDirRemove());
    EXPECT_NE(stat(first, &st), 0);
    EXPECT_TRUE(m.m_csTransferDir.IsEmpty());
    EXPECT_TRUE(m.TransferDirRemove());
}

TEST(Qmx2ModuleBinding, ProfileNamedAfterTheModule) {
    CQmx2Module m;
    m.BinaryPathSet("/x/qmx01/qmxsim.so");
    m.ProfileSetFromBinary("/opt/fleetmon/quillmark/config");
    EXPECT_EQ(m.m_csOemProfile, CString("/opt/fleetmon/quillmark/config/qmxsim.conf"));
}

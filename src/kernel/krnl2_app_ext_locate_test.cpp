// The module search, with small modules copied into a kernel directory of the test's own.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "extension/qmx2_status.h"
#include "kernel/krnl2_app.h"
#include "test_helpers.h"

namespace {

class ModuleSearch : public testing::Test {
protected:
    void SetUp() override {
        setenv("FAKE_CALL_LOG", dir.file("calls").c_str(), 1);
        dir.write("quillmark.conf", "[Quillmark]\nExtPath=\nExtDir=mods\n");
        app.BinDirSet(dir.path().c_str());
        app.ProfileSet(new CProfile(dir.file("quillmark.conf").c_str()));
        app.WrkDirSet(dir.path().c_str());
        ASSERT_TRUE(app.LogfileNamePrepare("qm.log"));
    }
    void TearDown() override { unsetenv("FAKE_CALL_LOG"); }

    // Copies a built fake module to mods/<as>.
    void place(const char* fake, const std::string& as) {
        const std::string to = dir.file("mods/" + as);
        std::filesystem::create_directories(std::filesystem::path(to).parent_path());
        std::filesystem::copy_file(std::string(QM_FAKE_MODULE_DIR "/") + fake + ".so", to);
    }
    void loadOrder(const std::string& entries) { dir.write("mods/qmx_modules.conf", "[LOADORDER_KRNL2]\n" + entries); }
    // Modules tried, in order, as paths below mods/.
    std::string tried() {
        std::string text = TempDir::read(dir.file("calls"));
        std::string out;
        const std::string prefix = dir.file("mods/");
        for (size_t pos; (pos = text.find(prefix)) != std::string::npos;)
            text.erase(pos, prefix.size());
        return text;
    }
    std::string extPath() {
        CString cs;
        app.Profile()->StringGet("Quillmark", "ExtPath", "?", cs);
        return cs.str();
    }

    TempDir dir;
    CKrnl2App app;
};

}  // namespace

TEST_F(ModuleSearch, SkipsBoardNotSupportedAndInternalThenInstalls) {
    place("fake_refuse80", "a.so");
    place("fake_noinit", "b.so");  // cannot be prepared: "internal"
    place("fake_refuse02", "c.so");
    place("fake_ok", "d.so");
    place("fake_ok", "e.so");
    loadOrder("Load1=c\nLoad2=?\nLoad3=*\n");
    const uint32_t status = app.ExtLocateAndInstall();
    EXPECT_FALSE(Qmx2Failed(status));
    EXPECT_TRUE(app.Qmx().m_fInstalled);
    EXPECT_EQ(tried(), "install c.so\ninstall a.so\ninstall d.so\n") << "c not tried twice; e never tried";
    EXPECT_EQ(extPath(), "./mods/d.so");
    EXPECT_NE(TempDir::read(dir.file("qm.log")).find("Board module " + dir.file("mods/d.so") + " loaded."),
              std::string::npos);
    app.ExtCleanUp();
    EXPECT_FALSE(app.Qmx().m_fInstalled);
}

TEST_F(ModuleSearch, OtherRefusalStopsTheSearch) {
    place("fake_refuse05", "a.so");
    place("fake_ok", "b.so");
    loadOrder("Load1=*\n");
    EXPECT_EQ(app.ExtLocateAndInstall(), 0xC1050000u);
    EXPECT_EQ(tried(), "install a.so\n");
    EXPECT_EQ(TempDir::read(dir.file("qm.log")), "") << "no event when a refusal stops the search";
}

TEST_F(ModuleSearch, PreviousModuleRefusingIsNotTriedAgain) {
    place("fake_refuse80", "old.so");
    place("fake_ok", "new.so");
    app.Profile()->StringSet("Quillmark", "ExtPath", "./mods/old.so");
    loadOrder("Load1=old\nLoad2=new\n");
    EXPECT_FALSE(Qmx2Failed(app.ExtLocateAndInstall()));
    EXPECT_EQ(tried(), "install old.so\ninstall new.so\n");
    EXPECT_EQ(extPath(), "./mods/new.so");
}

TEST_F(ModuleSearch, LoadOrderEntryWithSubdirectory) {
    place("fake_ok", "x.so");
    place("fake_refuse80", "sub/qmx1.so");
    place("fake_ok", "sub/qmx2.so");
    loadOrder("Load1=sub/qmx?\n");
    EXPECT_FALSE(Qmx2Failed(app.ExtLocateAndInstall()));
    EXPECT_EQ(tried(), "install sub/qmx1.so\ninstall sub/qmx2.so\n");
    EXPECT_EQ(extPath(), "./mods/sub/qmx2.so");
}

TEST_F(ModuleSearch, LoadOrderMatchingNothingSkipsTheDirectoryScan) {
    place("fake_ok", "qmx01/qmx0001.so");
    loadOrder("Load1=nothing\n");
    app.Profile()->StringSet("Quillmark", "ExtPath", "./mods/gone.so");
    EXPECT_EQ(app.ExtLocateAndInstall(), 0xC1800000u);
    EXPECT_EQ(tried(), "");
    EXPECT_EQ(extPath(), "");
    EXPECT_NE(TempDir::read(dir.file("qm.log")).find("ERRO: No Board module could be loaded."), std::string::npos);
}

TEST_F(ModuleSearch, DirectoryScanWithoutLoadOrder) {
    place("fake_refuse80", "qmx01/qmx0001.so");
    place("fake_ok", "qmx01/other.so");
    place("fake_ok", "qmx02/qmx0002.so");
    EXPECT_FALSE(Qmx2Failed(app.ExtLocateAndInstall()));
    EXPECT_EQ(tried(), "install qmx01/qmx0001.so\ninstall qmx02/qmx0002.so\n");
    EXPECT_EQ(extPath(), "./mods/qmx02/qmx0002.so");
}

// tmpfs lists the newest first, other file systems by hash.
TEST_F(ModuleSearch, DirectoryScanTriesDirectoriesByName) {
    for (const char* sub : {"qmx01", "qmx03", "qmx05", "qmx09"})
        place("fake_refuse80", std::string(sub) + "/qmx0000.so");
    EXPECT_EQ(app.ExtLocateAndInstall(), 0xC1800000u);
    EXPECT_EQ(tried(), "install qmx01/qmx0000.so\ninstall qmx03/qmx0000.so\ninstall qmx05/qmx0000.so\n"
                       "install qmx09/qmx0000.so\n");
}

TEST_F(ModuleSearch, GetModuleInfoFailingMeansNotFound) {
    place("fake_noinfo", "a.so");  // lacks a required entry point: skipped as "internal"
    loadOrder("Load1=a\n");
    EXPECT_EQ(app.ExtLocateAndInstall(), 0xC1800000u);
    EXPECT_FALSE(app.Qmx().m_fInstalled);
}

TEST_F(ModuleSearch, MakeCommandUsesTheFirstModuleThatMakesTheArchive) {
    place("fake_refuse80", "a.so");  // makes archives fine: Install is never asked
    place("fake_ok", "b.so");
    loadOrder("Load1=*\n");
    EXPECT_EQ(app.ExtLocateForMakeCommand("bios", "cfg", "out"), 0u);
    EXPECT_EQ(tried(), "make a.so\n");
    EXPECT_FALSE(app.Qmx().m_fInstalled);

    dir.write("mods/qmx_modules.conf", "");
    std::filesystem::remove(dir.file("calls"));
    EXPECT_EQ(app.ExtLocateForMakeCommand("bios", "cfg", "out"), 0xC1030000u) << "no candidate at all";
}

// Each candidate is asked through its own entry point, never the one before it.
TEST_F(ModuleSearch, MakeCommandMovesOnToTheNextModulesOwnEntryPoint) {
    place("fake_makerefuse80", "a.so");
    place("fake_ok", "b.so");
    loadOrder("Load1=*\n");
    // Held open, a.so stays mapped: an entry point kept from it would run a's
    // code again instead of b's (or whatever else lies at that address).
    void* pKeep = dlopen(dir.file("mods/a.so").c_str(), RTLD_NOW);
    ASSERT_NE(pKeep, nullptr);
    EXPECT_EQ(app.ExtLocateForMakeCommand("bios", "cfg", "out"), 0u);
    EXPECT_EQ(tried(), "make a.so\nmake b.so\n");
    app.Qmx().Release();
    dlclose(pKeep);
}

// The make command: inputs unpacked, a module's merge, the package written, with real zip archives.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "bupinfo/bup_archive.h"
#include "kernel/krnl2_app.h"
#include "support/pipe_child.h"
#include "test_helpers.h"

namespace {

namespace fs = std::filesystem;

class MakeCommand : public testing::Test {
protected:
    void SetUp() override {
        work.write("quillmark.conf", "[Quillmark]\nExtPath=\nExtDir=mods\n");
        app.BinDirSet(work.path().c_str());
        app.ProfileSet(new CProfile(work.file("quillmark.conf").c_str()));
        app.TempDirSet(temp.path().c_str());
        app.WrkDirSet(work.path().c_str());
        ASSERT_TRUE(app.LogfileNamePrepare(work.file("qm.log").c_str()));
    }
    void Job(const std::string& line) {
        app.JobCmdInfo().Parse(("-d " + work.path() + " -lf qm.log " + line).c_str());
    }
    std::string Log() const { return TempDir::read(work.file("qm.log")); }
    // Leftover temporary folders of the command.
    size_t TempEntries() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()));
    }

    TempDir work;
    TempDir temp;
    CKrnl2App app;
};

}  // namespace

TEST_F(MakeCommand, OnlyTheMakeCommandIsCarriedOut) {
    Job("-at -o x.bup");
    EXPECT_EQ(app.ExtLocateAndExecuteSynchronousCommand(), 0xD0050000u);
    EXPECT_EQ(Log(), "");
    EXPECT_FALSE(fs::exists(work.file("x.bup")));
}

TEST_F(MakeCommand, InputThatIsNoArchiveFailsBeforeAnyModule) {
    work.write("bios.bup", "not a zip archive");
    work.write("cfg.nvux", "neither");
    Job("--make -o out.bup -binp bios.bup -cinp cfg.nvux");
    EXPECT_EQ(app.ExtLocateAndExecuteSynchronousCommand(), 0xD0050000u);
    EXPECT_NE(Log().find("Making combined archive failed"), std::string::npos);
    EXPECT_FALSE(fs::exists(work.file("out.bup")));
}

TEST_F(MakeCommand, LogsToTheDefaultFileWithoutLogOption) {
    work.write("bios.bup", "not a zip archive");
    app.JobCmdInfo().Parse(("-d " + work.path() + " --make -o out.bup -binp bios.bup -cinp cfg.nvux").c_str());
    EXPECT_EQ(app.ExtLocateAndExecuteSynchronousCommand(), 0xD0050000u);
    char node[256] = {};
    ASSERT_EQ(gethostname(node, sizeof node - 1), 0);
    EXPECT_NE(TempDir::read(work.file(std::string("qm_") + node + ".log")).find("Making combined archive failed"),
              std::string::npos);
}

TEST_F(MakeCommand, PackageTakesNamesWithAPointOnly) {
    TempDir src;
    src.write("BupInfo2.xml", "<bupinfo2><packtype>BIOS</packtype></bupinfo2>");
    src.write("bios.bin", "image");
    src.write("README", "scratch");
    app.CurArc().m_csName = "out.bup";
    Job("--make -o out.bup");
    ASSERT_EQ(app.doTheBupAddFiles(src.path().c_str()), 0);
    EXPECT_EQ(ArchiveMembers(work.file("out.bup")), (std::vector<std::string>{"BupInfo2.xml", "bios.bin"}));
}

TEST_F(MakeCommand, ExistingPackageNeedsOverwriteAndDescriptionIsRequired) {
    TempDir src;
    src.write("bios.bin", "image");
    app.CurArc().m_csName = "out.bup";
    Job("--make -o out.bup");
    EXPECT_EQ(app.doTheBupAddFiles(src.path().c_str()), 1);
    EXPECT_NE(Log().find("Cant create out.bup because BupInfo.xml is missing."), std::string::npos);
    EXPECT_FALSE(fs::exists(work.file("out.bup")));

    src.write("BupInfo2.xml", "<bupinfo2/>");
    const std::string old = work.write("out.bup", "the old package");
    EXPECT_EQ(app.doTheBupAddFiles(src.path().c_str()), 1);
    EXPECT_NE(Log().find("Can't overwrite file " + old), std::string::npos);
    EXPECT_EQ(TempDir::read(old), "the old package");

    Job("--make -o out.bup -ov");
    EXPECT_EQ(app.doTheBupAddFiles(src.path().c_str()), 0);
    EXPECT_EQ(ArchiveMembers(old), (std::vector<std::string>{"BupInfo2.xml", "bios.bin"}));
}

TEST_F(MakeCommand, ModuleMergesAndTheUpdateScanAcceptsThePackage) {
    TempDir state;
    state.write("board.json", R"({"board":"X1","bios_version":"1.00"})");
    setenv("QMXSIM_STATE", state.path().c_str(), 1);
    fs::create_directories(work.file("mods"));
    fs::copy_file(QMXSIM_SO, work.file("mods/qmxsim.so"));
    work.write("mods/qmx_modules.conf", "[LOADORDER_KRNL2]\nLoad1=qmxsim\n");

    // The BIOS input from the board's own tool, the configuration input a backup's files.
    CPipeChild maker({QMXSIM_MAKE_PACKAGE, work.file("bios.bup"), "--board", "X1", "--bios", "1.10"});
    while (maker.LineGet()) {
    }
    ASSERT_EQ(maker.Unload(), 0);
    TempDir cfg;
    cfg.write("setup_settings.bin", "settings");
    cfg.write("BupInfo2.xml", "<bupinfo2><packtype>CONFIG</packtype><board>X1</board>"
                              "<biosversion>1.10</biosversion><area>setup</area></bupinfo2>");
    CBupArchive nvux(work.file("cfg.nvux").c_str());
    for (const char* name : {"setup_settings.bin", "BupInfo2.xml"})
        ASSERT_TRUE(nvux.FileAdd(cfg.file(name).c_str()));

    Job("--make -o combined.bup -binp bios.bup -cinp cfg.nvux");
    EXPECT_EQ(app.ExtLocateAndExecuteSynchronousCommand(), 0u) << Log();
    EXPECT_NE(Log().find("Making combined archive completed"), std::string::npos);
    EXPECT_EQ(ArchiveMembers(work.file("combined.bup")),
              (std::vector<std::string>{"BupInfo2.xml", "bios.bin", "setup_settings.bin"}));
    EXPECT_EQ(TempEntries(), 0u) << "the three temporary folders are removed";

    app.ExtCleanUp();
    app.Qmx().BinaryPathSet(QMXSIM_SO);
    ASSERT_EQ(app.Qmx().Install(), 0u);
    std::vector<CBupAssessmentEx> found;
    app.JobCmdInfo().Parse("-at");
    EXPECT_EQ(app.UpdateFilesFindAndCheck(work.path().c_str(), "combined.bup", found), FC_VALID);
    ASSERT_EQ(found.size(), 1u);
    app.Qmx().Uninstall();
    unsetenv("QMXSIM_STATE");
}

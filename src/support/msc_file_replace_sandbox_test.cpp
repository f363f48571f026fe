// A profile update on a full disk, on a small file system of the test's own:
// needs the sandbox's private mount namespace and its root.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/profile.h"
#include "test_helpers.h"

TEST(SandboxFullDisk, ProfileStaysWhole) {
    if (!std::getenv("QM_SANDBOX"))
        GTEST_SKIP() << "needs the sandbox";
    TempDir tmp;
    if (mount("qm-full", tmp.path().c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    const std::string profile = tmp.write("quillmark.conf", "[Quillmark]\nExtPath=\n[Test]\n" +
                                                               std::string(4000, 'k') + "=1\n");
    const std::string before = TempDir::read(profile);
    // Fill what is left, so the update cannot be written anywhere.
    for (int i = 0; std::filesystem::space(tmp.path()).available > 0 && i < 64; ++i)
        tmp.write("filler" + std::to_string(i), std::string(4096, 'f'));
    CProfile(profile.c_str()).StringSet("Quillmark", "ExtPath", std::string(3000, 'p').c_str());
    EXPECT_EQ(TempDir::read(profile), before);
    for (const auto& entry : std::filesystem::directory_iterator(tmp.path()))
        EXPECT_EQ(entry.path().string().find(".conf."), std::string::npos) << "scratch file left: " << entry.path();
    umount2(tmp.path().c_str(), MNT_DETACH);
}

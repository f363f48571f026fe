#include "frontend/boot_check.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "frontend/frontend_error.h"
#include "test_helpers.h"

namespace {

const std::string kGuid = "8be4df61-93ca-11d2-aa0d-00e098032b8c";

std::string Pending(const std::string& csVariables) {
    return R"({"format":"quillmark-boot-pending/1","bios_version_expected":"2.0","variables":[)" + csVariables + "]}";
}

std::string Var(const std::string& csName, const std::string& csHex) {
    return R"({"name":")" + csName + R"(","guid":")" + kGuid + R"(","attributes":7,"data":")" + csHex + R"("})";
}

struct FrontendBootCheck : ::testing::Test {
    TempDir root;
    void SetUp() override {
        ASSERT_EQ(mkdir(root.file("var").c_str(), 0755), 0);
        ASSERT_EQ(mkdir(root.file("var/lib").c_str(), 0755), 0);
        ASSERT_EQ(mkdir(root.file("var/lib/quillmark").c_str(), 0755), 0);
        for (const char* psz : {"sys", "sys/firmware", "sys/firmware/efi", "sys/firmware/efi/efivars"})
            ASSERT_EQ(mkdir(root.file(psz).c_str(), 0755), 0);
    }
    std::string VarPath(const std::string& csName) const {
        return root.file("sys/firmware/efi/efivars/" + csName + "-" + kGuid);
    }
};

TEST_F(FrontendBootCheck, PutsBackWhatChangedAndLeavesTheRest) {
    root.write(kBootPendingFile, Pending(Var("Boot0001", "0102") + "," + Var("Timeout", "0500") + "," +
                                         Var("BootOrder", "01000200") + "," + Var("BootNext", "0100")));
    root.write("sys/firmware/efi/efivars/Timeout-" + kGuid, std::string("\x07\0\0\0\x05\0", 6));
    root.write("sys/firmware/efi/efivars/BootOrder-" + kGuid, std::string("\x07\0\0\0\x02\0\x01\0\x03\0", 10));
    const SBootCheck r = BootCheckRun(root.path());
    EXPECT_EQ(r.restored, (std::vector<std::string>{"Boot0001", "BootOrder"}));
    EXPECT_EQ(r.unchanged, (std::vector<std::string>{"Timeout"}));
    EXPECT_EQ(TempDir::read(VarPath("BootOrder")), std::string("\x07\0\0\0\x01\0\x02\0", 8)) << "shorter, no tail left";
    EXPECT_EQ(TempDir::read(VarPath("BootNext")), "") << "a used-up one-time choice is not put back";
    EXPECT_FALSE(BootCheckRun(root.path()).fPending) << "the pending file is consumed";
}

// The pending file names variables only; nothing in it reaches outside efivars.
TEST_F(FrontendBootCheck, RefusesWhatIsNoPendingBootConfiguration) {
    for (const std::string& csBad :
         {std::string("{\"format\":\"other/1\",\"variables\":[]}"), Pending(Var("../../../etc/passwd", "00")),
          Pending(Var("Boot00g1", "00")), Pending(Var("BootOrder", "0G")), Pending(Var("BootOrder", "012")),
          Pending(R"({"name":"BootOrder","guid":"00000000-0000-0000-0000-000000000000","attributes":7,"data":""})"),
          std::string("not json")}) {
        root.write(kBootPendingFile, csBad);
        EXPECT_THROW(BootCheckRun(root.path()), CFrontendError) << csBad;
        EXPECT_EQ(TempDir::read(root.file(kBootPendingFile)), csBad) << "kept for a look";
    }
}

}  // namespace

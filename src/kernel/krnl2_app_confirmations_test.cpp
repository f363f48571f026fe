#include <gtest/gtest.h>

#include "kernel/krnl2_app.h"
#include "test_helpers.h"

TEST(Confirmations, GivenOnTheCommandLine) {
    CKrnl2App app;
    CConfirmFlags flags(CConfirmFlags::WarnDialog);
    app.JobCmdInfo().Parse("-arc -ov -narb");
    app.ConfirmationsFromCmdLine(flags);
    EXPECT_EQ(flags.Value(), static_cast<uint32_t>(CConfirmFlags::BiosOverwrite | CConfirmFlags::BootForUpdate |
                                                   CConfirmFlags::BootAfterUpdate))
        << "a refused reboot settles the question as well";
    app.JobCmdInfo().Parse("-arc");
    app.ConfirmationsFromCmdLine(flags);
    EXPECT_TRUE(flags.IsEmpty());
}

TEST(Confirmations, MissingOnesAreNamedOnceEachInTheLog) {
    TempDir dir;
    CKrnl2App app;
    app.LogfileSet(dir.file("job.log").c_str());
    EXPECT_TRUE(app.ConfirmationsRequest(CConfirmFlags()));
    EXPECT_FALSE(app.ConfirmationsRequest(CConfirmFlags(CConfirmFlags::WarnDialog | CConfirmFlags::BootAfterUpdate |
                                                        CConfirmFlags::BootForUpdate | CConfirmFlags::BiosOverwrite)));
    EXPECT_NE(TempDir::read(dir.file("job.log"))
                  .find("confirmations missing: overwrite, allow reboot, display warning dialog\n"),
              std::string::npos)
        << TempDir::read(dir.file("job.log"));
}

TEST(Confirmations, PowerStatesMustAllBeAllowed) {
    CKrnl2App app;
    EXPECT_TRUE(app.PowerStatesSet(63, 1));
    EXPECT_FALSE(app.PowerStatesSet(32, 1));
    EXPECT_FALSE(app.PowerStatesSet(0, 4));
}

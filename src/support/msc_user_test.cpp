#include <gtest/gtest.h>
#include <grp.h>
#include <pwd.h>

#include <string>

#include "support/msc.h"

// root is in its own primary group on every system this runs on.
TEST(MscUserInGroup, PrimaryAndFurtherGroupsOnly) {
    // Copied at once: every lookup reuses the library's buffers.
    const passwd* pRoot = getpwuid(0);
    ASSERT_NE(pRoot, nullptr);
    const std::string rootName = pRoot->pw_name;
    const gid_t rootGid = pRoot->pw_gid;
    const group* pPrimary = getgrgid(rootGid);
    ASSERT_NE(pPrimary, nullptr);
    const std::string primary = pPrimary->gr_name;
    EXPECT_TRUE(MscUserInGroup(0, primary.c_str()));
    EXPECT_FALSE(MscUserInGroup(0, ""));
    EXPECT_FALSE(MscUserInGroup(0, nullptr));
    EXPECT_FALSE(MscUserInGroup(0, "no-such-group-qm"));
    EXPECT_FALSE(MscUserInGroup(4000000000u, primary.c_str())) << "an unknown user";
    // A group root neither has as primary group nor is listed in.
    std::string other;
    for (group* g = (setgrent(), getgrent()); g && other.empty(); g = getgrent()) {
        bool fListed = g->gr_gid == rootGid;
        for (char** m = g->gr_mem; *m && !fListed; ++m)
            fListed = rootName == *m;
        if (!fListed)
            other = g->gr_name;
    }
    endgrent();
    ASSERT_FALSE(other.empty());
    EXPECT_FALSE(MscUserInGroup(0, other.c_str())) << other;
}

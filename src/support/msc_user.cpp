// Users and groups from the system's account database.
#include <grp.h>
#include <pwd.h>
#include <sys/types.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/msc.h"

bool MscUserInGroup(unsigned uUid, const char* pszGroup) {
    if (!pszGroup || !*pszGroup)
        return false;
    const group* pGroup = getgrnam(pszGroup);
    const passwd* pUser = getpwuid(static_cast<uid_t>(uUid));
    if (!pGroup || !pUser)
        return false;
    const gid_t gid = pGroup->gr_gid;
    const std::string name = pUser->pw_name;
    const gid_t gidPrimary = pUser->pw_gid;
    if (gidPrimary == gid)
        return true;
    std::vector<gid_t> groups(16);
    int n = static_cast<int>(groups.size());
    while (getgrouplist(name.c_str(), gidPrimary, groups.data(), &n) < 0) {
        // n now holds how many there are.
        groups.resize(static_cast<size_t>(n) + 1);
        n = static_cast<int>(groups.size());
    }
    return std::find(groups.begin(), groups.begin() + n, gid) != groups.begin() + n;
}

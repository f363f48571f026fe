#include "bench_report.h"

#include <fcntl.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

extern char** environ;

namespace qmbench {

pid_t Start(const std::vector<std::string>& argv, const std::string& dir) {
    std::vector<char*> args;
    for (const std::string& s : argv)
        args.push_back(const_cast<char*>(s.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    if (!dir.empty())
        posix_spawn_file_actions_addchdir_np(&fa, dir.c_str());
    pid_t pid = -1;
    const int err = posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    return err == 0 ? pid : -1;
}

int Wait(pid_t pid, rusage* pUsage) {
    int status = 0;
    rusage usage {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return -1;
    if (pUsage)
        *pUsage = usage;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double RunSeconds(const std::vector<std::string>& argv, const std::string& dir) {
    const auto start = Clock::now();
    if (Wait(Start(argv, dir)) != 0)
        return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(const std::string& what, double figure, double limit, const char* unit, double target) {
    const double ratio = limit > 0 ? figure / limit : 0;
    std::printf("%-44s %10.3f %s, limit %10.3f %s, ratio %6.2f (target <= %.2f)%s\n", what.c_str(), figure, unit,
                limit, unit, ratio, target, ratio <= target ? "" : "  MISSED");
}

void ReportBound(const std::string& what, double figure, const char* unit, double bound) {
    std::printf("%-44s %10.3f %s, bound %10.3f %s%s\n", what.c_str(), figure, unit, bound, unit,
                figure <= bound ? "" : "  MISSED");
}

}  // namespace qmbench

// What every benchmark here prints: the figure, the limit this machine shows
// for the same work in the same run, and their ratio against the target.
#pragma once

#include <spawn.h>
#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace qmbench {

using Clock = std::chrono::steady_clock;

// Starts argv[0] (searched in PATH) with stdout and stderr to /dev/null, in
// directory dir when given; returns the pid, or -1.
pid_t Start(const std::vector<std::string>& argv, const std::string& dir = "");
// Waits for pid; its exit code (or -1) and, when wanted, its resource usage.
int Wait(pid_t pid, rusage* pUsage = nullptr);
// Start and Wait; seconds from start to end, or -1 when it failed.
double RunSeconds(const std::vector<std::string>& argv, const std::string& dir = "");

double Median(std::vector<double> values);

// One line: "<what>: <figure> <unit>, limit <limit> <unit>, ratio <r> (target <= <target>)".
void Report(const std::string& what, double figure, double limit, const char* unit, double target);
// A figure against a fixed bound instead of a measured limit.
void ReportBound(const std::string& what, double figure, const char* unit, double bound);

}  // namespace qmbench

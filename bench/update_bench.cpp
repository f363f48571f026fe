// A BIOS update of a large image through the front-end, the kernel and the
// simulated board, against unpacking the same package and copying its image
// (unzip + cp), with the kernel's peak memory; and an update whose part is
// searched for beside 100 other packages, against the same update alone. Runs inside the sandbox, with
// the installed layout (scripts/bench).
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench_report.h"
#include "ipc/krnl2_inter.h"

namespace fs = std::filesystem;
using namespace qmbench;

namespace {

const std::string kBin = "/opt/fleetmon/quillmark/bin/";
const std::string kSim = "/opt/fleetmon/quillmark/sim";
constexpr int kRuns = 3;

void WriteRandom(const fs::path& path, size_t bytes) {
    std::mt19937_64 gen(bytes);
    std::vector<uint64_t> chunk(1 << 16);
    std::ofstream out(path, std::ios::binary);
    for (size_t done = 0; done < bytes;) {
        for (uint64_t& w : chunk)
            w = gen();
        const size_t n = std::min(bytes - done, chunk.size() * sizeof(uint64_t));
        out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(n));
        done += n;
    }
}

// One update on a fresh board, the kernel started here so that its peak
// memory can be read when it ends. Seconds of the front-end's run, or -1.
double UpdateOnce(const fs::path& dir, const std::string& package, long& peakKb) {
    if (Wait(Start({QMXSIM_MAKE_STATE, kSim})) != 0)
        return -1;
    const pid_t kernel = Start({kBin + "qmkrnl2", "-sv"});
    for (int i = 0; i < 5000 && !fs::exists(CKrnl2Inter::s_RequestFifoName); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double seconds = RunSeconds({kBin + "quillmark", "-at", "-o", package, "-ov"}, dir.string());
    rusage usage {};
    Wait(kernel, &usage);
    peakKb = usage.ru_maxrss;
    return seconds;
}

double UnpackAndCopy(const fs::path& dir, const std::string& package) {
    fs::remove_all(dir / "out");
    const double unzip = RunSeconds({"unzip", "-q", "-o", package, "-d", "out"}, dir.string());
    const double cp = RunSeconds({"cp", "out/bios.bin", "copy.bin"}, dir.string());
    return unzip < 0 || cp < 0 ? -1 : unzip + cp;
}

bool Made(const std::vector<std::string>& argv, const fs::path& dir) { return Wait(Start(argv, dir.string())) == 0; }

// An update whose one part comes from a common package, alone in its directory
// and beside 100 other packages, which every search for the part meets.
bool ReportBesidePackages(const fs::path& root) {
    const fs::path alone = root / "alone", crowded = root / "crowded";
    for (const fs::path& dir : {alone, crowded}) {
        fs::create_directories(dir);
        std::ofstream(dir / "p1.bin") << "the part";
        if (!Made({QMXSIM_MAKE_PACKAGE, "common.bup", "--packtype", "QUILLMARK_COMMON_ARCHIVE", "--part", "p1.bin"},
                  dir) ||
            !Made({QMXSIM_MAKE_PACKAGE, "update.bup", "--bios", "9.99", "--part", "p1.bin"}, dir) ||
            !Made({"zip", "-q", "-d", "update.bup", "p1.bin"}, dir))
            return false;
        fs::remove(dir / "p1.bin");
    }
    if (!Made({QMXSIM_MAKE_PACKAGE, "other.bup", "--board", "OTHER", "--bios", "1.00"}, crowded))
        return false;
    for (int i = 0; i < 100; ++i)
        fs::copy_file(crowded / "other.bup", crowded / ("other" + std::to_string(i) + ".bup"));
    fs::remove(crowded / "other.bup");
    std::vector<double> alones, crowdeds;
    long kb = 0;
    for (int i = 0; i < kRuns; ++i) {
        alones.push_back(UpdateOnce(alone, "update.bup", kb));
        crowdeds.push_back(UpdateOnce(crowded, "update.bup", kb));
        if (alones.back() < 0 || crowdeds.back() < 0)
            return false;
    }
    Report("update with one part beside 100 packages", Median(crowdeds) * 1000, Median(alones) * 1000, "ms", 1.2);
    return true;
}

}  // namespace

int main() {
    if (!std::getenv("QM_SANDBOX")) {
        std::fputs("update_bench: run it through scripts/bench, inside the sandbox\n", stderr);
        return 2;
    }
    char szDir[] = "/tmp/qm-update-bench-XXXXXX";
    if (!mkdtemp(szDir))
        return 1;
    const fs::path dir = szDir;
    double perMb16 = 0;
    for (const size_t mb : {16, 64}) {
        const std::string package = "update" + std::to_string(mb) + ".bup";
        WriteRandom(dir / "bios.bin", mb << 20);
        if (Wait(Start({QMXSIM_MAKE_PACKAGE, (dir / package).string(), "--bios", "9.99"})) != 0 ||
            Wait(Start({"zip", "-q", "-j", package, "bios.bin"}, dir.string())) != 0) {
            std::fprintf(stderr, "update_bench: could not make %s\n", package.c_str());
            return 1;
        }
        std::vector<double> updates, limits;
        long peakKb = 0;
        for (int i = 0; i < kRuns; ++i) {
            long kb = 0;
            const double update = UpdateOnce(dir, package, kb);
            const double limit = UnpackAndCopy(dir, package);
            if (update < 0 || limit < 0) {
                std::fprintf(stderr, "update_bench: the %zu MB update or its reference failed\n", mb);
                return 1;
            }
            updates.push_back(update);
            limits.push_back(limit);
            peakKb = std::max(peakKb, kb);
        }
        const std::string what = "BIOS update, " + std::to_string(mb) + " MB image";
        Report(what, Median(updates), Median(limits), "s", 1.5);
        ReportBound("  kernel peak RSS during it", static_cast<double>(peakKb) / 1024, "MB", 16);
        const double perMb = Median(updates) / static_cast<double>(mb);
        if (mb == 16)
            perMb16 = perMb;
        else
            Report("  time per MB, 64 MB against 16 MB", perMb * 1000, perMb16 * 1000, "ms", 1.2);
    }
    if (!ReportBesidePackages(dir)) {
        std::fputs("update_bench: the update beside 100 packages failed\n", stderr);
        return 1;
    }
    fs::remove_all(dir);
    return 0;
}

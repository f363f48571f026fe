// The candidate scan over a directory of packages, judged by the simulated
// board, next to the cost of the bare unzip start each package needs.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_report.h"
#include "kernel/krnl2_app.h"
#include "support/opus_trace.h"
#include "support/pipe_child.h"

COpusTrace g_Trace("");

namespace {

namespace fs = std::filesystem;

// A scratch directory with a board state and one package per count asked for.
class CBench {
public:
    CBench() {
        char szTemplate[] = "/tmp/qm-bench-XXXXXX";
        m_root = mkdtemp(szTemplate);
        fs::create_directories(m_root / "state");
        std::FILE* f = std::fopen((m_root / "state" / "board.json").c_str(), "w");
        std::fputs(R"({"board":"X1","bios_version":"2.05"})", f);
        std::fclose(f);
        setenv("QMXSIM_STATE", (m_root / "state").c_str(), 1);
        m_package = m_root / "template.bup";
        Run({QMXSIM_MAKE_PACKAGE, m_package.string(), "--board", "X1", "--bios", "2.06", "--date", "01-02-2024"});
    }
    ~CBench() { fs::remove_all(m_root); }
    CBench(const CBench&) = delete;
    CBench& operator=(const CBench&) = delete;

    // A directory holding n copies of the package.
    std::string Directory(int n) {
        const fs::path dir = m_root / ("n" + std::to_string(n));
        if (!fs::exists(dir)) {
            fs::create_directories(dir);
            for (int i = 0; i < n; ++i)
                fs::copy_file(m_package, dir / ("pkg" + std::to_string(i) + ".bup"));
        }
        return dir.string();
    }
    std::string Package() const { return m_package.string(); }

    static int Run(std::vector<std::string> argv) {
        CPipeChild child(std::move(argv));
        while (child.LineGet()) {
        }
        return child.Unload();
    }

private:
    fs::path m_root;
    fs::path m_package;
};

CBench& Fixture() {
    static CBench s_bench;
    return s_bench;
}

void BM_CandidateScan(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string dir = Fixture().Directory(n);
    CKrnl2App app;
    app.Qmx().BinaryPathSet(QMXSIM_SO);
    if (app.Qmx().Install() != 0) {
        state.SkipWithError("qmxsim did not install");
        return;
    }
    app.JobCmdInfo().Parse("-at");
    std::vector<CBupAssessmentEx> results;
    for (auto _ : state) {
        results.clear();
        if (app.UpdateFilesFindAndCheck(dir.c_str(), "", results) != FC_VALID ||
            results.size() != static_cast<size_t>(n)) {
            state.SkipWithError("not every package was accepted");
            break;
        }
    }
    app.Qmx().Uninstall();
    // Wall time per package (an inverted rate over real time).
    state.counters["per_package"] = benchmark::Counter(static_cast<double>(n) * static_cast<double>(state.iterations()),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CandidateScan)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)
    ->ReportAggregatesOnly(true);

// What one start of unzip costs on its own: the listing of one package.
void BM_UnzipListingStart(benchmark::State& state) {
    const std::string pkg = Fixture().Package();
    for (auto _ : state)
        if (CBench::Run({"unzip", "-l", pkg}) != 0) {
            state.SkipWithError("unzip failed");
            break;
        }
}
BENCHMARK(BM_UnzipListingStart)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true);

// The figures against this machine's limit: the scan per package, for each
// directory size, against one start of unzip -l on the same package.
void ReportRatios() {
    std::vector<double> starts;
    for (int i = 0; i < 20; ++i)
        starts.push_back(qmbench::RunSeconds({"unzip", "-l", Fixture().Package()}));
    const double unzipMs = qmbench::Median(starts) * 1000;
    CKrnl2App app;
    app.Qmx().BinaryPathSet(QMXSIM_SO);
    if (app.Qmx().Install() != 0)
        return;
    app.JobCmdInfo().Parse("-at");
    for (const int n : {10, 100, 1000}) {
        const std::string dir = Fixture().Directory(n);
        std::vector<double> perPackage;
        for (int i = 0; i < 3; ++i) {
            std::vector<CBupAssessmentEx> results;
            const auto start = qmbench::Clock::now();
            app.UpdateFilesFindAndCheck(dir.c_str(), "", results);
            perPackage.push_back(std::chrono::duration<double, std::milli>(qmbench::Clock::now() - start).count() / n);
        }
        qmbench::Report("scan of " + std::to_string(n) + " packages, per package", qmbench::Median(perPackage),
                        unzipMs, "ms", 0.1);
    }
    app.Qmx().Uninstall();
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ReportRatios();
    return 0;
}

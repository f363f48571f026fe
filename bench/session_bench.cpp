// What a session costs: a whole front-end run for a job that does nothing, and
// one acknowledged message. Uses the product's fixed FIFO names in /tmp, so it
// runs only inside the sandbox (scripts/bench sets it up).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <thread>

#include "bench_report.h"
#include "kernel/krnl2_app.h"
#include "support/msc.h"
#include "support/opus_trace.h"
#include "support/win_error.h"

COpusTrace g_Trace("");

namespace {

// The last run's time per acknowledged message.
double g_dMessageMicros = 0;

const char* FrontEnd() {
    const char* psz = std::getenv("QM_FE");
    return psz ? psz : "/opt/fleetmon/quillmark/bin/quillmark";
}

// Until the last kernel has ended and taken its announcement with it.
void KernelGoneWait() {
    while (MscFileExists(CKrnl2Inter::s_FifoName))
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

// Front-end start to exit, the kernel started by it; the previous kernel has ended.
void BM_FrontEndSession(benchmark::State& state) {
    for (auto _ : state) {
        if (qmbench::Wait(qmbench::Start({FrontEnd(), "-i"})) != 0) {
            state.SkipWithError("quillmark -i failed");
            break;
        }
        state.PauseTiming();
        KernelGoneWait();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FrontEndSession)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The reading side of a session in a child process: acknowledges every message until job done.
void ClientRun() {
    CKrnl2Inter client;
    if (!client.Open(IF_FORCE_CLIENT) || !client.ResponseFifo2Prepare(getpid()))
        _exit(1);
    client.m_jobdata.m_pidClient = getpid();
    for (;;) {
        if (client.SessionDataCheck(10) != ERROR_SUCCESS)
            continue;
        client.CountMessageRead();
        if (client.m_sessiondata.TypeGet() == CDEdureMsg::eJobDone)
            break;
    }
    client.ResponseFifo2Cleanup();
    _exit(0);
}

void BM_AcknowledgedMessage(benchmark::State& state) {
    CKrnl2App app;
    IpcSigPipeIgnore();
    if (!app.Inter().Open(IF_FREE) || app.Inter().Type() != IF_SERVER) {
        state.SkipWithError("could not announce a server");
        return;
    }
    const pid_t child = fork();
    if (child == 0)
        ClientRun();
    app.Inter().InfoWritable()->pidClient = child;
    bool fOpen = false;
    for (int i = 0; i < 1000 && !(fOpen = app.Inter().ResponseFifo2Prepare(child)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (!fOpen) {
        state.SkipWithError("client did not open its FIFO");
    } else {
        const auto start = qmbench::Clock::now();
        for (auto _ : state)
            if (!app.ClientMsgWait(10, 5, CDEdureMsg::eInfo, "a line of job progress text")) {
                state.SkipWithError("message not acknowledged");
                break;
            }
        g_dMessageMicros = std::chrono::duration<double, std::micro>(qmbench::Clock::now() - start).count() /
                           static_cast<double>(state.iterations());
        app.ClientMsgWait(20, 5, CDEdureMsg::eJobDone);
    }
    waitpid(child, nullptr, 0);
    app.Inter().Kill();
}
BENCHMARK(BM_AcknowledgedMessage)->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly(true);

// A FIFO round trip: one byte to a child and back, in microseconds.
double FifoRoundTripMicros(int nTrips) {
    char szDir[] = "/tmp/qm-roundtrip-XXXXXX";
    if (!mkdtemp(szDir))
        return -1;
    const std::string there = std::string(szDir) + "/there", back = std::string(szDir) + "/back";
    mkfifo(there.c_str(), 0600);
    mkfifo(back.c_str(), 0600);
    const pid_t child = fork();
    if (child == 0) {
        const int in = open(there.c_str(), O_RDONLY), out = open(back.c_str(), O_WRONLY);
        char c;
        while (read(in, &c, 1) == 1 && write(out, &c, 1) == 1) {
        }
        _exit(0);
    }
    const int out = open(there.c_str(), O_WRONLY), in = open(back.c_str(), O_RDONLY);
    char c = 'x';
    const auto start = qmbench::Clock::now();
    for (int i = 0; i < nTrips; ++i)
        if (write(out, &c, 1) != 1 || read(in, &c, 1) != 1)
            break;
    const double micros = std::chrono::duration<double, std::micro>(qmbench::Clock::now() - start).count() / nTrips;
    close(out);
    close(in);
    waitpid(child, nullptr, 0);
    unlink(there.c_str());
    unlink(back.c_str());
    rmdir(szDir);
    return micros;
}

// Null sessions with the kernel already running and started by the front-end,
// and an acknowledged message, against process start plus a FIFO round trip.
void ReportRatios() {
    const double tripMs = FifoRoundTripMicros(20000) / 1000;
    std::vector<double> spawns, warm, cold;
    for (int i = 0; i < 20; ++i)
        spawns.push_back(qmbench::RunSeconds({"/bin/true"}) * 1000);
    const double limitMs = qmbench::Median(spawns) + tripMs;
    for (int i = 0; i < 20; ++i) {
        KernelGoneWait();
        cold.push_back(qmbench::RunSeconds({FrontEnd(), "-i"}) * 1000);
        KernelGoneWait();
        const pid_t kernel = qmbench::Start({"/opt/fleetmon/quillmark/bin/qmkrnl2", "-sv"});
        while (!MscFileExists(CKrnl2Inter::s_RequestFifoName))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        warm.push_back(qmbench::RunSeconds({FrontEnd(), "-i"}) * 1000);
        qmbench::Wait(kernel);
    }
    qmbench::Report("null session, kernel running", qmbench::Median(warm), limitMs, "ms", 2);
    qmbench::Report("null session, kernel started", qmbench::Median(cold), limitMs, "ms", 4);
    qmbench::Report("acknowledged message (Google Benchmark above)", g_dMessageMicros, tripMs * 1000, "us", 3);
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QM_SANDBOX")) {
        std::fputs("session_bench: run it through scripts/bench, inside the sandbox\n", stderr);
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ReportRatios();
    return 0;
}

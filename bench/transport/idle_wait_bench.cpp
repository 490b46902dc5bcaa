// CPU time used by a ReadLn that waits 5 seconds on a server which accepts and says nothing.
// Target: well under 0.05 s (the wait blocks in the event dispatcher; it never spins).
#include "pop3_bench_support.h"
#include "support/fake_pop3_server.h"
#include "transport/powersock.h"

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

using kestrix::bench::cpuSeconds;

void BM_WaitOnSilentServer(benchmark::State &state)
{
    for (auto _ : state) {
        kestrix::test::FakePop3Server silent;
        silent.waitForClientClose();
        kestrix::TPowersock session;
        session.Host = "127.0.0.1";
        session.Port = silent.port();
        session.TimeOut = 5000;
        session.Connect();
        const double processBefore = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const double threadBefore = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        try {
            session.ReadLn();
        } catch (const kestrix::EAbortError &) {
            // the time-out ends the wait, as intended
        }
        state.counters["client_thread_cpu_s"] = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - threadBefore;
        // The process figure includes the fake server's own thread.
        state.counters["process_cpu_s"] = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processBefore;
        state.counters["timed_out"] = session.TimedOut() ? 1 : 0;
    }
}
BENCHMARK(BM_WaitOnSilentServer)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

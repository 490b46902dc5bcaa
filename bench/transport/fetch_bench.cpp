// TOP n 0, LIST n and UIDL n for 1,000 messages from a loopback Dovecot, run side by side with
// a plain Python poplib loop doing the same against the same server. Target: ratio <= 1.
#include "pop3_bench_support.h"
#include "transport/pop3_client.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using kestrix::bench::benchmarkDovecot;

double fetchAllWithKestrix()
{
    const auto start = std::chrono::steady_clock::now();
    kestrix::TNMPOP3 pop;
    pop.Host = benchmarkDovecot().host();
    pop.Port = benchmarkDovecot().port();
    pop.UserID = benchmarkDovecot().user();
    pop.Password = benchmarkDovecot().password();
    pop.TimeOut = 20000;
    pop.ReportLevel = 2;
    pop.Connect();
    for (int n = 1; n <= pop.MessageCount(); ++n) {
        pop.FetchSummary(n);
        benchmark::DoNotOptimize(pop.FetchUniqueId(n));
    }
    pop.Disconnect();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_FetchTopListUidl1000(benchmark::State &state)
{
    fetchAllWithKestrix();  // warm up: the server builds its index on the first login
    double kestrixTotal = 0;
    double poplibTotal = 0;
    for (auto _ : state) {
        const double ours = fetchAllWithKestrix();
        const double theirs = kestrix::bench::runPoplibLoop().loopSeconds;
        state.SetIterationTime(ours);
        kestrixTotal += ours;
        poplibTotal += theirs;
    }
    const double runs = double(state.iterations());
    state.counters["kestrix_s"] = kestrixTotal / runs;
    state.counters["poplib_s"] = poplibTotal / runs;
    state.counters["ratio"] = kestrixTotal / poplibTotal;
}
BENCHMARK(BM_FetchTopListUidl1000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

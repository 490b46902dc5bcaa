// TOP n 0, LIST n and UIDL n for 1,000 messages from a loopback Dovecot, run side by side with
// a plain Python poplib loop doing the same against the same server. Target: ratio <= 1.
#include "support/dovecot_server.h"
#include "transport/pop3_client.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

constexpr int messageCount = 1000;

kestrix::test::DovecotServer &server()
{
    static std::unique_ptr<kestrix::test::DovecotServer> dovecot = [] {
        std::vector<std::string> messages;
        for (int n = 1; n <= messageCount; ++n) {
            messages.push_back(kestrix::test::DovecotServer::makeMessage(
                "Sender " + std::to_string(n) + " <s" + std::to_string(n) + "@example.org>",
                "Benchmark message " + std::to_string(n)));
        }
        return std::make_unique<kestrix::test::DovecotServer>(messages);
    }();
    return *dovecot;
}

double fetchAllWithKestrix()
{
    const auto start = std::chrono::steady_clock::now();
    kestrix::TNMPOP3 pop;
    pop.Host = server().host();
    pop.Port = server().port();
    pop.UserID = server().user();
    pop.Password = server().password();
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

double fetchAllWithPoplib()
{
    const std::string command = std::string("python3 ") + KESTRIX_POPLIB_SCRIPT + " " +
                                server().host() + " " + std::to_string(server().port()) + " " +
                                server().user() + " " + server().password();
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run python3");
    char line[64] = {};
    const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
    if (pclose(pipe) != 0 || !got)
        throw std::runtime_error("the poplib loop failed");
    return std::stod(line);
}

void BM_FetchTopListUidl1000(benchmark::State &state)
{
    fetchAllWithKestrix();  // warm up: the server builds its index on the first login
    double kestrixTotal = 0;
    double poplibTotal = 0;
    for (auto _ : state) {
        const double ours = fetchAllWithKestrix();
        const double theirs = fetchAllWithPoplib();
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

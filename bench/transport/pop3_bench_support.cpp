#include "pop3_bench_support.h"

#include "transport/pop3_client.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrix::bench {

test::DovecotServer &benchmarkDovecot()
{
    static std::unique_ptr<test::DovecotServer> dovecot = [] {
        std::vector<std::string> messages;
        for (int n = 1; n <= benchmarkMessageCount; ++n) {
            messages.push_back(test::DovecotServer::makeMessage(
                "Sender " + std::to_string(n) + " <s" + std::to_string(n) + "@example.org>",
                "Benchmark message " + std::to_string(n)));
        }
        return std::make_unique<test::DovecotServer>(messages);
    }();
    return *dovecot;
}

PoplibRun runPoplibLoop()
{
    test::DovecotServer &server = benchmarkDovecot();
    const std::string command = std::string("python3 ") + KESTRIX_POPLIB_SCRIPT + " " +
                                server.host() + " " + std::to_string(server.port()) + " " +
                                server.user() + " " + server.password();
    const auto start = std::chrono::steady_clock::now();
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run python3");
    char line[64] = {};
    const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
    if (pclose(pipe) != 0 || !got)
        throw std::runtime_error("the poplib loop failed");
    PoplibRun run;
    run.processSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.loopSeconds = std::stod(line);
    return run;
}

double fetchEveryMessage(TNMPOP3 &pop)
{
    const auto start = std::chrono::steady_clock::now();
    pop.Connect();
    for (int n = 1; n <= pop.MessageCount(); ++n) {
        pop.FetchSummary(n);
        benchmark::DoNotOptimize(pop.FetchUniqueId(n));
    }
    pop.Disconnect();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double cpuSeconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

}  // namespace kestrix::bench

// The list pages' views show copies of the Screener's lists and compare them on every refresh
// tick while their page is shown: the cost of an unchanged check and of a change, for a log and
// a whitelist of the sizes a long-used profile reaches.
#include "profiles/rejected_log.h"
#include "ui/list_page_views.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <string>
#include <vector>

namespace {

kestrix::RejectedLog makeLog(int rows)
{
    kestrix::RejectedLog log;
    log.reserve(size_t(rows) + 1);
    for (int i = 0; i < rows; ++i)
        log.appendRow("sender" + std::to_string(i) + " <s" + std::to_string(i) + "@spam.example>",
                      "subject number " + std::to_string(i) + " of a long spam run");
    return log;
}

std::vector<std::string> makeWhitelist(int entries)
{
    std::vector<std::string> list;
    for (int i = 0; i < entries; ++i)
        list.push_back("Friend " + std::to_string(i) + " <friend" + std::to_string(i) + "@example.org>");
    return list;
}

void LogSyncUnchanged(benchmark::State &state)
{
    const kestrix::RejectedLog log = makeLog(int(state.range(0)));
    kestrix::LogTableModel model;
    model.sync(log);
    for (auto _ : state)
        benchmark::DoNotOptimize(model.sync(log));
}
BENCHMARK(LogSyncUnchanged)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void LogSyncAfterAppend(benchmark::State &state)
{
    kestrix::RejectedLog log = makeLog(int(state.range(0)));
    kestrix::LogTableModel model;
    model.sync(log);
    int i = 0;
    for (auto _ : state) {
        log.appendRow("new" + std::to_string(i++), "x");
        benchmark::DoNotOptimize(model.sync(log));
    }
}
BENCHMARK(LogSyncAfterAppend)->Arg(10000)->Unit(benchmark::kMicrosecond);

void WhitelistSyncUnchanged(benchmark::State &state)
{
    const std::vector<std::string> list = makeWhitelist(int(state.range(0)));
    kestrix::TextListModel model;
    model.sync(list);
    for (auto _ : state)
        benchmark::DoNotOptimize(model.sync(list));
}
BENCHMARK(WhitelistSyncUnchanged)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

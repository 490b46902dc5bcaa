// What Deleted mail costs: storing 1,000 copies of 5 KB (each written to tmp, flushed to the
// disk and renamed into new, then one index; target under 1 s), and opening a quarantine of
// 10,000 copies as the profile start does (index read, folders listed).
#include "profiles/quarantine_store.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

using namespace kestrix;

namespace {

const std::string message = "From: a@example.org\nSubject: Offer\n\n" + std::string(5000, 'x') + "\n";

void StoreThousandCopies(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        QuarantineStore store(dir.path() + QStringLiteral("/q"), {});
        store.open();
        state.ResumeTiming();
        for (int i = 0; i < 1000; ++i)
            store.store("uid" + std::to_string(i), "a@example.org", "Offer",
                        DeletionReason::ChosenByHand, message, 1'800'000'000);
        benchmark::DoNotOptimize(store.saveIndex());
    }
}
BENCHMARK(StoreThousandCopies)->Unit(benchmark::kMillisecond)->Iterations(3);

void OpenTenThousandCopies(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/q");
    {
        QuarantineStore store(folder, {});
        store.open();
        for (int i = 0; i < 10000; ++i)
            store.store("uid" + std::to_string(i), "a@example.org", "Offer",
                        DeletionReason::ChosenByHand, "Subject: s\n\nx\n", 1'800'000'000);
        store.saveIndex();
    }
    for (auto _ : state) {
        QuarantineStore store(folder, {});
        benchmark::DoNotOptimize(store.open());
    }
}
BENCHMARK(OpenTenThousandCopies)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();

// Wall time of `kestrix-cli list --all` over a 1,000-message loopback Dovecot (start-up, login,
// UIDL of the newest message, TOP/LIST/UIDL per message, classification, the table on standard
// output, QUIT, saving the profile), beside the Python poplib loop doing TOP/LIST/UIDL for every
// message on the same server. Target: ratio <= 1.
#include "profiles/profile_list.h"
#include "profiles/profile_store.h"
#include "pop3_bench_support.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using kestrix::bench::benchmarkDovecot;

// A data folder with a "default" profile pointing at the server.
const QTemporaryDir &dataFolder()
{
    static const std::unique_ptr<QTemporaryDir> dir = [] {
        auto made = std::make_unique<QTemporaryDir>();
        kestrix::Profile profile;
        profile.settings.Host = benchmarkDovecot().host();
        profile.settings.Port = std::to_string(benchmarkDovecot().port());
        profile.settings.UserId = benchmarkDovecot().user();
        profile.settings.NotifyLimit = 10000;
        if (!kestrix::SaveProfile(profile, made->path())
            || !kestrix::writeProfileList(made->path(), {"default"}))
            throw std::runtime_error("cannot write the profile");
        return made;
    }();
    return *dir;
}

double listWithKestrixCli()
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KESTRIX_PASSWORD"), QString::fromStdString(benchmarkDovecot().password()));
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const auto start = std::chrono::steady_clock::now();
    process.start(QStringLiteral(KESTRIX_CLI_PATH),
                  {QStringLiteral("--dir"), dataFolder().path(), QStringLiteral("list"),
                   QStringLiteral("--all")});
    if (!process.waitForFinished(300000) || process.exitCode() != 0)
        throw std::runtime_error("kestrix-cli list failed");
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_CliList1000(benchmark::State &state)
{
    listWithKestrixCli();  // warm up: the server builds its index on the first login
    double ours = 0;
    double theirs = 0;
    for (auto _ : state) {
        const double cli = listWithKestrixCli();
        // The whole process, interpreter start included, as for kestrix-cli.
        const double poplib = kestrix::bench::runPoplibLoop().processSeconds;
        state.SetIterationTime(cli);
        ours += cli;
        theirs += poplib;
    }
    const double runs = double(state.iterations());
    state.counters["cli_s"] = ours / runs;
    state.counters["poplib_s"] = theirs / runs;
    state.counters["ratio"] = ours / theirs;
}
BENCHMARK(BM_CliList1000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

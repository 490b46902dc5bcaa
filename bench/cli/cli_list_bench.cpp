// Wall time of `kestrix-cli list --all` over a 1,000-message loopback Dovecot (start-up, login,
// UIDL of the newest message, TOP/LIST/UIDL per message, classification, the table on standard
// output, QUIT, saving the profile), beside the Python poplib loop doing TOP/LIST/UIDL for every
// message on the same server. Target: ratio <= 1.
#include "profiles/profile_list.h"
#include "profiles/profile_store.h"
#include "support/dovecot_server.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

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

// A data folder with a "default" profile pointing at the server.
const QTemporaryDir &dataFolder()
{
    static const std::unique_ptr<QTemporaryDir> dir = [] {
        auto made = std::make_unique<QTemporaryDir>();
        kestrix::Profile profile;
        profile.settings.Host = server().host();
        profile.settings.Port = std::to_string(server().port());
        profile.settings.UserId = server().user();
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
    env.insert(QStringLiteral("KESTRIX_PASSWORD"), QString::fromStdString(server().password()));
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

double fetchAllWithPoplib()
{
    const std::string command = std::string("python3 ") + KESTRIX_POPLIB_SCRIPT + " " +
                                server().host() + " " + std::to_string(server().port()) + " " +
                                server().user() + " " + server().password();
    const auto start = std::chrono::steady_clock::now();
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run python3");
    char line[64] = {};
    const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
    if (pclose(pipe) != 0 || !got)
        throw std::runtime_error("the poplib loop failed");
    // The whole process, interpreter start included, as for kestrix-cli.
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_CliList1000(benchmark::State &state)
{
    listWithKestrixCli();  // warm up: the server builds its index on the first login
    double ours = 0;
    double theirs = 0;
    for (auto _ : state) {
        const double cli = listWithKestrixCli();
        const double poplib = fetchAllWithPoplib();
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

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

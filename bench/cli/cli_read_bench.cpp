// `kestrix-cli read` from a loopback Dovecot: wall time of the whole process and its peak
// resident memory. Message 1 is 20 MB (a short text part and one base64 attachment): under 1 s
// and under 200 MB. Message 2 is 1 MB of 20,000 tiny parts (a hostile message): under 1 s.
#include "profiles/profile_list.h"
#include "profiles/profile_store.h"
#include "support/dovecot_server.h"
#include "support/mime_messages.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <fcntl.h>
#include <memory>
#include <random>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace {

kestrix::test::DovecotServer &bigMessageDovecot()
{
    static const std::unique_ptr<kestrix::test::DovecotServer> server = [] {
        std::mt19937 random(42);
        std::string attachment(15 * 1000 * 1000, '\0');  // 20 MB once encoded
        for (char &c : attachment)
            c = char(random() & 0xff);
        std::vector<kestrix::test::MimePart> tiny{kestrix::test::textPart("Many parts.\r\n")};
        for (int i = 0; i < 20000; ++i)
            tiny.push_back({"Content-Disposition: attachment; filename=\"t.txt\"\r\n", "x\r\n"});
        return std::make_unique<kestrix::test::DovecotServer>(std::vector<std::string>{
            kestrix::test::multipartMessage("Big", {kestrix::test::textPart("The file.\r\n"),
                                                    kestrix::test::base64Part("big.bin", attachment)}),
            kestrix::test::multipartMessage("Tiny", "b", "b", tiny)});
    }();
    return *server;
}

const QTemporaryDir &dataFolder()
{
    static const std::unique_ptr<QTemporaryDir> dir = [] {
        auto made = std::make_unique<QTemporaryDir>();
        kestrix::Profile profile;
        profile.settings.Host = bigMessageDovecot().host();
        profile.settings.Port = std::to_string(bigMessageDovecot().port());
        profile.settings.UserId = bigMessageDovecot().user();
        if (!kestrix::SaveProfile(profile, made->path())
            || !kestrix::writeProfileList(made->path(), {"default"}))
            throw std::runtime_error("cannot write the profile");
        return made;
    }();
    return *dir;
}

struct Run {
    double seconds = 0;
    double peakMegabytes = 0;
};

// The program as its own process, standard output to /dev/null; wait4 gives its peak memory.
Run readWithKestrixCli(const char *number)
{
    // A fresh attachment folder each time, so every run stores big.bin under its own name.
    QDir(dataFolder().path() + QStringLiteral("/Attachments")).removeRecursively();
    const std::string dir = dataFolder().path().toStdString();
    const std::string password = "KESTRIX_PASSWORD=" + bigMessageDovecot().password();
    std::vector<std::string> args = {KESTRIX_CLI_PATH, "--dir", dir, "read", number};
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char *> env;
    for (char **e = environ; *e; ++e)
        env.push_back(*e);
    env.push_back(const_cast<char *>(password.c_str()));
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0)
        throw std::runtime_error("cannot start kestrix-cli");
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("kestrix-cli read failed");
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakMegabytes = double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
    return run;
}

void readMessage(benchmark::State &state, const char *number)
{
    readWithKestrixCli(number);  // warm up: the server builds its index on the first login
    double seconds = 0;
    double peak = 0;
    for (auto _ : state) {
        const Run run = readWithKestrixCli(number);
        state.SetIterationTime(run.seconds);
        seconds += run.seconds;
        peak = std::max(peak, run.peakMegabytes);
    }
    state.counters["wall_s"] = seconds / double(state.iterations());
    state.counters["peak_rss_MB"] = peak;
}

void BM_CliRead20MB(benchmark::State &state)
{
    readMessage(state, "1");
}
BENCHMARK(BM_CliRead20MB)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CliRead20000TinyParts(benchmark::State &state)
{
    readMessage(state, "2");
}
BENCHMARK(BM_CliRead20000TinyParts)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

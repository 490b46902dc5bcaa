// kestrix-cli (or the build the variable KESTRIX_CLI names) at a network distance, side by side
// in one run with the lower bound (every command written at once on one socket:
// raw_pop3_pipeline.h) on the same server through the same latency proxy, which holds each
// direction D ms:
//   list of 1,000 and 10,000 messages, D = 0 and 15 ms, over TLS and over security "None"
//     (target: cli_s at most 1.5 x raw_s);
//   delete-known-bad of 300 messages at D = 15 ms (target: at most 2 x the lower bound of the
//     same login, headers, UIDL checks and DELEs written at once, with the QUIT that carries
//     them out), with Deleted mail off, and on (the copies retrieved by both); and of 300
//     messages of 5 KB with Deleted mail on (target: at most 2.5 x the lower bound);
//   the automatic check of an unchanged 1,000-message mailbox at D = 15 ms, in round trips
//     (target: the login's round trips plus at most 2);
//   list of 100,000 messages from a made-up mailbox on loopback (target: peak memory of
//     kestrix-cli under 150 MB, time at most 1.5 x raw_s).
#include "latency_proxy.h"
#include "pattern_pop3_server.h"
#include "raw_pop3_pipeline.h"

#include "profiles/profile_conf.h"
#include "profiles/profile_list.h"
#include "profiles/profile_store.h"
#include "support/dovecot_server.h"
#include "support/test_certificates.h"
#include "transport/pop3_client.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>

extern char **environ;

namespace {

using kestrix::bench::LatencyProxy;
using kestrix::bench::RawCommand;
using kestrix::test::DovecotServer;

// Four Dovecot mailboxes with TLS: 1,000 and 10,000 numbered messages, and 300 with a
// blacklisted subject for the deletion, short or of 5 KB each.
struct Mailboxes {
    QTemporaryDir folder;
    std::unique_ptr<kestrix::test::TestCertificates> certificates;
    std::unique_ptr<DovecotServer> small, large, spam, spam5k;

    // bodyBytes 0: the one-line body; else about that many bytes in lines of 78.
    static std::string spamMessage(int k, int bodyBytes = 0)
    {
        std::string body = "Hello.\r\n";
        if (bodyBytes > 0) {
            body.clear();
            while (int(body.size()) < bodyBytes)
                body += std::string(76, char('a' + (body.size() / 78) % 26)) + "\r\n";
        }
        return DovecotServer::makeMessage("Spammer " + std::to_string(k) + " <x" + std::to_string(k)
                                              + "@spam.example>",
                                          "Viagra offer " + std::to_string(k), body);
    }

    Mailboxes()
    {
        certificates = std::make_unique<kestrix::test::TestCertificates>(folder.path().toStdString());
        ::setenv("SSL_CERT_FILE", certificates->caFile.c_str(), 1);  // for kestrix-cli too
        DovecotServer::Options options;
        options.tlsCertificate = certificates->serverCertificate;
        options.tlsKey = certificates->serverKey;
        const auto numbered = [&](int count) {
            return std::make_unique<DovecotServer>(
                kestrix::test::NumberedMailbox::numberedMessages(count), options);
        };
        small = numbered(1000);
        large = numbered(10000);
        std::vector<std::string> messages, large5k;
        for (int k = 1; k <= 300; ++k) {
            messages.push_back(spamMessage(k));
            large5k.push_back(spamMessage(k, 5000));
        }
        spam = std::make_unique<DovecotServer>(messages, options);
        spam5k = std::make_unique<DovecotServer>(large5k, options);
    }
};

Mailboxes &mailboxes()
{
    static Mailboxes instance;
    return instance;
}

// The server's port, or a proxy's in front of it when delay > 0.
struct Route {
    std::unique_ptr<LatencyProxy> proxy;
    int port;
    Route(int target, int delay)
        : proxy(delay > 0 ? std::make_unique<LatencyProxy>("127.0.0.1", target,
                                                            std::chrono::milliseconds(delay))
                          : nullptr),
          port(proxy ? proxy->port() : target)
    {
    }
};

// A data folder with a "default" profile for 127.0.0.1:port.
std::unique_ptr<QTemporaryDir> dataFolder(int port, bool tls, const std::string &user,
                                          bool keepDeletedMail = true)
{
    auto made = std::make_unique<QTemporaryDir>();
    kestrix::Profile profile;
    profile.settings.Host = "127.0.0.1";
    profile.settings.Port = std::to_string(port);
    profile.settings.UserId = user;
    profile.settings.NotifyLimit = 1000000;
    kestrix::ProfileConf conf;
    conf.setSecurityMode(tls ? kestrix::SecurityMode::Tls : kestrix::SecurityMode::None);
    conf.setQuarantineEnabled(keepDeletedMail);
    // As after the profile's first login: Dovecot lists PIPELINING, and the profile knows it.
    conf.rememberPipelining(true);
    if (!kestrix::SaveProfile(profile, made->path())
        || !kestrix::writeProfileList(made->path(), {"default"})
        || !conf.save(kestrix::ProfileConf::pathFor(made->path(), "default")).ok)
        throw std::runtime_error("cannot write the profile");
    return made;
}

struct CliRun {
    double seconds;
    double peakMegabytes;
};

// kestrix-cli --dir DIR ARGS..., standard output to /dev/null; its time and peak memory.
CliRun runCli(const QTemporaryDir &dir, const std::vector<std::string> &args,
              const std::string &password)
{
    // KESTRIX_CLI names another build of the program to measure (an earlier one, say).
    const char *program = std::getenv("KESTRIX_CLI");
    std::vector<std::string> words = {program ? program : KESTRIX_CLI_PATH, "--dir",
                                      dir.path().toStdString()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    ::setenv("KESTRIX_PASSWORD", password.c_str(), 1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start kestrix-cli");
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("kestrix-cli failed");
    return {seconds, double(usage.ru_maxrss) / 1024.0};
}

void report(benchmark::State &state, double raw, double cli)
{
    const double runs = double(state.iterations());
    state.counters["raw_s"] = raw / runs;
    state.counters["cli_s"] = cli / runs;
    state.counters["ratio"] = cli / raw;
}

// Arguments: messages (1,000 or 10,000), D in ms, TLS (1) or "None" (0).
void BM_ListBesideLowerBound(benchmark::State &state)
{
    const int count = int(state.range(0));
    const bool tls = state.range(2) != 0;
    DovecotServer &server = count == 1000 ? *mailboxes().small : *mailboxes().large;
    const Route route(tls ? server.tlsPort() : server.port(), int(state.range(1)));
    const auto dir = dataFolder(route.port, tls, server.user());
    std::vector<RawCommand> commands = kestrix::bench::rawLogin(server.user(), server.password());
    kestrix::bench::addRawHeaderFetch(commands, 1, count);
    commands.push_back({"QUIT", false});
    kestrix::bench::rawPipelinedSeconds(route.port, tls, commands);  // the server's index
    double raw = 0;
    double cli = 0;
    for (auto _ : state) {
        const double r = kestrix::bench::rawPipelinedSeconds(route.port, tls, commands);
        const double c = runCli(*dir, {"list", "--all"}, server.password()).seconds;
        state.SetIterationTime(c);
        raw += r;
        cli += c;
    }
    report(state, raw, cli);
}
BENCHMARK(BM_ListBesideLowerBound)
    ->ArgsProduct({{1000, 10000}, {0, 15}, {1, 0}})
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The automatic check's dialogue with an unchanged mailbox (login, UIDL of the newest message,
// QUIT), beside the login alone (login, QUIT), in round trips through the proxy.
void BM_AutomaticCheckUnchanged1000(benchmark::State &state)
{
    DovecotServer &server = *mailboxes().small;
    const auto session = [&](bool check) {
        // A proxy of its own for each session: its count is that session's alone.
        const Route route(server.tlsPort(), int(state.range(0)));
        kestrix::TNMPOP3 pop;
        pop.Host = "127.0.0.1";
        pop.Port = route.port;
        pop.Security = kestrix::Pop3Security::Tls;
        pop.UserID = server.user();
        pop.Password = server.password();
        pop.TimeOut = 60000;
        pop.PipeliningRemembered = true;  // as the profile knows it after its first login
        const auto start = std::chrono::steady_clock::now();
        pop.Connect();
        if (check)
            benchmark::DoNotOptimize(pop.FetchUniqueId(pop.MessageCount()));
        pop.Disconnect();
        return std::pair{route.proxy->roundTrips(),
                         std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
    };
    for (auto _ : state) {
        const auto [loginTrips, loginSeconds] = session(false);
        const auto [checkTrips, checkSeconds] = session(true);
        state.SetIterationTime(checkSeconds);
        // The login alone ends with QUIT: one round trip that is not the login's.
        state.counters["login_round_trips"] = loginTrips - 1;
        state.counters["check_round_trips"] = checkTrips;
        state.counters["beyond_login"] = checkTrips - (loginTrips - 1);
        state.counters["login_s"] = loginSeconds;
    }
}
BENCHMARK(BM_AutomaticCheckUnchanged1000)->Arg(15)->Iterations(1)->UseManualTime()->Unit(
    benchmark::kMillisecond);

// Arguments: D in ms; Deleted mail on (1: a copy of each message is retrieved and stored before
// its DELE, and the lower bound retrieves them too) or off (0); the body size (0: one line).
void BM_DeleteKnownBad300(benchmark::State &state)
{
    const bool keepDeletedMail = state.range(1) != 0;
    const int bodyBytes = int(state.range(2));
    DovecotServer &server = bodyBytes > 0 ? *mailboxes().spam5k : *mailboxes().spam;
    const Route route(server.tlsPort(), int(state.range(0)));
    std::vector<RawCommand> commands = kestrix::bench::rawLogin(server.user(), server.password());
    kestrix::bench::addRawHeaderFetch(commands, 1, 300);
    for (int n = 300; n >= 1; --n)
        commands.push_back({"UIDL " + std::to_string(n), false});
    for (int n = keepDeletedMail ? 300 : 0; n >= 1; --n)
        commands.push_back({"RETR " + std::to_string(n), true});
    for (int n = 300; n >= 1; --n)
        commands.push_back({"DELE " + std::to_string(n), false});
    // The lower bound deletes as well: the server's QUIT removes the 300 messages, a cost that
    // grows with the server's load and that every client doing the deletion pays.
    commands.push_back({"QUIT", false});
    // Both sides find the 300 messages just delivered, so the server reads its folder anew.
    const auto refill = [&](const char *who) {
        if (!server.messages().empty())
            throw std::runtime_error(std::string(who) + " left messages on the server");
        for (int k = 1; k <= 300; ++k)
            server.addMessage(Mailboxes::spamMessage(k, bodyBytes));
    };
    kestrix::bench::rawPipelinedSeconds(route.port, true, commands);
    refill("the lower bound");
    double raw = 0;
    double cli = 0;
    for (auto _ : state) {
        // The round trips of each side, as the proxy saw them: unlike the times, they do not
        // change with the machine's load.
        const auto trips = [&] { return route.proxy ? route.proxy->roundTrips() : 0; };
        const int before = trips();
        const double r = kestrix::bench::rawPipelinedSeconds(route.port, true, commands);
        const int between = trips();
        refill("the lower bound");
        const auto dir = dataFolder(route.port, true, server.user(), keepDeletedMail);
        const double c = runCli(*dir, {"delete-known-bad", "--all"}, server.password()).seconds;
        state.SetIterationTime(c);
        raw += r;
        cli += c;
        state.counters["raw_round_trips"] = between - before;
        state.counters["cli_round_trips"] = trips() - between;
        refill("delete-known-bad");
    }
    report(state, raw, cli);
}
BENCHMARK(BM_DeleteKnownBad300)
    ->Args({15, 0, 0})
    ->Args({15, 1, 0})
    ->Args({15, 1, 5000})
    ->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

// Argument: the server lists PIPELINING (1) or not (0).
void BM_List100000Loopback(benchmark::State &state)
{
    constexpr int count = 100000;
    const kestrix::bench::PatternPop3Server server(count, state.range(0) != 0);
    const auto dir = dataFolder(server.port(), false, "joe");
    std::vector<RawCommand> commands = kestrix::bench::rawLogin("joe", "secret");
    kestrix::bench::addRawHeaderFetch(commands, 1, count);
    commands.push_back({"QUIT", false});
    double raw = 0;
    double cli = 0;
    for (auto _ : state) {
        const double r = kestrix::bench::rawPipelinedSeconds(server.port(), false, commands);
        const CliRun c = runCli(*dir, {"list", "--all"}, "secret");
        state.SetIterationTime(c.seconds);
        raw += r;
        cli += c.seconds;
        state.counters["peak_mb"] = c.peakMegabytes;
    }
    report(state, raw, cli);
}
BENCHMARK(BM_List100000Loopback)->Arg(1)->Arg(0)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

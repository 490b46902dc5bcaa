// POP3 over TLS beside plain POP3 on one loopback Dovecot with 1,000 messages: TOP n 0, LIST n
// and UIDL n for every message, the two runs alternating (target: TLS at most 1.3 x plain).
// And the CPU used while a logged-in TLS session waits 5 s for a server that says nothing
// (target: under 0.05 s, as for plain).
#include "pop3_bench_support.h"
#include "support/dovecot_server.h"
#include "support/test_certificates.h"
#include "transport/pop3_client.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

using kestrix::Pop3Security;
using kestrix::TNMPOP3;
using kestrix::bench::cpuSeconds;
using kestrix::bench::fetchEveryMessage;
using kestrix::test::DovecotServer;
using kestrix::test::TestCertificates;

constexpr int messageCount = 1000;

struct TlsDovecot {
    QTemporaryDir folder;
    std::unique_ptr<TestCertificates> certificates;
    std::unique_ptr<DovecotServer> server;

    TlsDovecot()
    {
        certificates = std::make_unique<TestCertificates>(folder.path().toStdString());
        ::setenv("SSL_CERT_FILE", certificates->caFile.c_str(), 1);
        std::vector<std::string> messages;
        for (int i = 1; i <= messageCount; ++i) {
            messages.push_back(DovecotServer::makeMessage(
                "Sender " + std::to_string(i) + " <s" + std::to_string(i) + "@example.org>",
                "Subject number " + std::to_string(i)));
        }
        DovecotServer::Options options;
        options.tlsCertificate = certificates->serverCertificate;
        options.tlsKey = certificates->serverKey;
        server = std::make_unique<DovecotServer>(messages, options);
    }
};

TlsDovecot &dovecot()
{
    static TlsDovecot instance;
    return instance;
}

void configure(TNMPOP3 &pop, bool tls)
{
    pop.Host = dovecot().server->host();
    pop.Port = tls ? dovecot().server->tlsPort() : dovecot().server->port();
    pop.Security = tls ? Pop3Security::Tls : Pop3Security::None;
    pop.UserID = dovecot().server->user();
    pop.Password = dovecot().server->password();
    pop.TimeOut = 20000;
    pop.ReportLevel = 2;
}

double fetchAll(bool tls)
{
    TNMPOP3 pop;
    configure(pop, tls);
    return fetchEveryMessage(pop);
}

void BM_FetchTopListUidl1000TlsBesidePlain(benchmark::State &state)
{
    fetchAll(false);  // warm up: the server builds its index on the first login
    fetchAll(true);
    double plainTotal = 0;
    double tlsTotal = 0;
    for (auto _ : state) {
        const double plain = fetchAll(false);
        const double tls = fetchAll(true);
        state.SetIterationTime(tls);
        plainTotal += plain;
        tlsTotal += tls;
    }
    const double runs = double(state.iterations());
    state.counters["plain_s"] = plainTotal / runs;
    state.counters["tls_s"] = tlsTotal / runs;
    state.counters["ratio"] = tlsTotal / plainTotal;
}
BENCHMARK(BM_FetchTopListUidl1000TlsBesidePlain)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_WaitOnSilentTlsServer(benchmark::State &state)
{
    for (auto _ : state) {
        TNMPOP3 pop;
        configure(pop, true);
        pop.Connect();  // logged in over TLS; the server now waits for a command
        pop.TimeOut = 5000;
        const double before = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        try {
            pop.ReadLn();
        } catch (const kestrix::EAbortError &) {
            // the time-out ends the wait, as intended
        }
        state.counters["client_thread_cpu_s"] = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - before;
        state.counters["timed_out"] = pop.TimedOut() ? 1 : 0;
        state.counters["tls"] = pop.Encrypted() || pop.TimedOut() ? 1 : 0;
    }
}
BENCHMARK(BM_WaitOnSilentTlsServer)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

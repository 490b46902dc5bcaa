// The header download's TOP n 0, LIST n and UIDL n for the 1,000 messages of the loopback
// Dovecot, through a proxy that delays each direction by D ms (D = 0: straight to the server),
// side by side in one run:
//   raw          every command written at once on a plain socket, the replies read after:
//                the lower bound of any client;
//   pipelined    TNMPOP3 with automatic security (the server lists PIPELINING): Pop3Batch;
//   one by one   TNMPOP3 with security None and pipelining switched off: FetchSummary and
//                FetchUniqueId, each command waiting for its reply. Three round trips per message make 1,000
//                messages at D = 15 ms take 90 s and more, so that run takes the first 100
//                messages and its time is counted ten times (one_by_one_1000_s).
// Targets: pipelined under 1.5 s at D = 15 ms; at most 1.5 x raw at D = 0.
#include "latency_proxy.h"
#include "pop3_bench_support.h"
#include "transport/pop3_batch.h"
#include "transport/pop3_client.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

namespace {

using kestrix::bench::benchmarkDovecot;
using kestrix::bench::benchmarkMessageCount;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A blocking line reader on a socket.
class LineSocket {
public:
    explicit LineSocket(int port)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(std::uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            throw std::runtime_error("raw client: cannot connect");
        const int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    ~LineSocket() { ::close(fd_); }

    void write(const std::string &text)
    {
        for (std::size_t sent = 0; sent < text.size();) {
            const ssize_t n = ::send(fd_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                throw std::runtime_error("raw client: send failed");
            sent += std::size_t(n);
        }
    }
    std::string line()
    {
        for (;;) {
            const std::size_t end = buffer_.find('\n', start_);
            if (end != std::string::npos) {
                std::string out = buffer_.substr(start_, end + 1 - start_);
                start_ = end + 1;
                return out;
            }
            buffer_.erase(0, start_);
            start_ = 0;
            char chunk[65536];
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n <= 0)
                throw std::runtime_error("raw client: connection closed");
            buffer_.append(chunk, std::size_t(n));
        }
    }
    void skipMultiLine()
    {
        while (line() != ".\r\n") {
        }
    }

private:
    int fd_ = -1;
    std::string buffer_;
    std::size_t start_ = 0;
};

double rawPipelined(int port, int count)
{
    const Clock::time_point start = Clock::now();
    LineSocket socket(port);
    socket.line();
    socket.write("USER " + benchmarkDovecot().user() + "\r\n");
    socket.line();
    socket.write("PASS " + benchmarkDovecot().password() + "\r\n");
    socket.line();
    std::string commands;
    for (int n = 1; n <= count; ++n) {
        const std::string number = std::to_string(n);
        commands += "TOP " + number + " 0\r\nLIST " + number + "\r\nUIDL " + number + "\r\n";
    }
    commands += "QUIT\r\n";
    // Written from a second thread while this one reads: the replies may fill the buffers
    // before all commands are out.
    std::thread writer([&] { socket.write(commands); });
    for (int n = 1; n <= count; ++n) {
        if (socket.line().rfind("+OK", 0) == 0)
            socket.skipMultiLine();
        socket.line();
        socket.line();
    }
    socket.line();  // QUIT
    writer.join();
    return secondsSince(start);
}

double withKestrix(int port, int count, bool pipelined)
{
    const Clock::time_point start = Clock::now();
    kestrix::TNMPOP3 pop;
    pop.Host = "127.0.0.1";
    pop.Port = port;
    pop.UserID = benchmarkDovecot().user();
    pop.Password = benchmarkDovecot().password();
    pop.TimeOut = 60000;
    pop.ReportLevel = 2;
    pop.Security = pipelined ? kestrix::Pop3Security::Auto : kestrix::Pop3Security::None;
    pop.UsePipelining = pipelined;
    pop.Connect();
    if (pipelined && !pop.Pipelining())
        throw std::runtime_error("the server did not list PIPELINING");
    {
        kestrix::Pop3Batch batch(pop, 1, count);
        for (int n = 1; n <= count; ++n) {
            batch.fetchSummary(n);
            benchmark::DoNotOptimize(batch.fetchUniqueId(n));
        }
    }
    pop.Disconnect();
    return secondsSince(start);
}

void BM_HeaderDownload1000(benchmark::State &state)
{
    const auto delay = std::chrono::milliseconds(state.range(0));
    const int oneByOneCount = delay.count() > 0 ? benchmarkMessageCount / 10 : benchmarkMessageCount;
    const int oneByOneScale = benchmarkMessageCount / oneByOneCount;
    std::unique_ptr<kestrix::bench::LatencyProxy> proxy;
    int port = benchmarkDovecot().port();
    if (delay.count() > 0) {
        proxy = std::make_unique<kestrix::bench::LatencyProxy>(benchmarkDovecot().host(), port, delay);
        port = proxy->port();
    }
    withKestrix(benchmarkDovecot().port(), benchmarkMessageCount, true);  // the server's index
    double raw = 0;
    double pipelined = 0;
    double oneByOne = 0;
    for (auto _ : state) {
        const double r = rawPipelined(port, benchmarkMessageCount);
        const double p = withKestrix(port, benchmarkMessageCount, true);
        const double o = withKestrix(port, oneByOneCount, false) * oneByOneScale;
        state.SetIterationTime(p);
        raw += r;
        pipelined += p;
        oneByOne += o;
    }
    const double runs = double(state.iterations());
    state.counters["raw_s"] = raw / runs;
    state.counters["pipelined_s"] = pipelined / runs;
    state.counters["one_by_one_1000_s"] = oneByOne / runs;
    state.counters["pipelined_to_raw"] = pipelined / raw;
}
BENCHMARK(BM_HeaderDownload1000)->Arg(0)->Arg(15)->Iterations(3)->UseManualTime()->Unit(
    benchmark::kMillisecond);

}  // namespace

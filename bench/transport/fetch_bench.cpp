// TOP n 0, LIST n and UIDL n for 1,000 messages from a loopback Dovecot, run side by side with
// a plain Python poplib loop doing the same against the same server. Target: ratio <= 1.
// Also counted: receive and send calls per command (poplib's buffered reads need about one
// receive per command; each command must go out in one send).
#include "pop3_bench_support.h"
#include "transport/pop3_client.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using kestrix::bench::benchmarkDovecot;

// Plain TCP that counts the calls the session makes on it.
struct CallCounts {
    long receives = 0;
    long receivesWithData = 0;  // the others found nothing there yet
    long sends = 0;
};

class CountingStream : public kestrix::TcpStream {
public:
    explicit CountingStream(CallCounts &counts) : counts_(counts) {}
    long recv(char *data, std::size_t count) override
    {
        ++counts_.receives;
        const long n = TcpStream::recv(data, count);
        if (n > 0)
            ++counts_.receivesWithData;
        return n;
    }
    long send(const char *data, std::size_t count) override
    {
        ++counts_.sends;
        return TcpStream::send(data, count);
    }

private:
    CallCounts &counts_;
};

double fetchAllWithKestrix(CallCounts &counts)
{
    kestrix::TNMPOP3 pop(std::make_unique<CountingStream>(counts));
    pop.Host = benchmarkDovecot().host();
    pop.Port = benchmarkDovecot().port();
    pop.UserID = benchmarkDovecot().user();
    pop.Password = benchmarkDovecot().password();
    pop.TimeOut = 20000;
    pop.ReportLevel = 2;
    return kestrix::bench::fetchEveryMessage(pop);
}

void BM_FetchTopListUidl1000(benchmark::State &state)
{
    CallCounts warmUp;
    fetchAllWithKestrix(warmUp);  // warm up: the server builds its index on the first login
    double kestrixTotal = 0;
    double poplibTotal = 0;
    CallCounts counts;
    for (auto _ : state) {
        const double ours = fetchAllWithKestrix(counts);
        const double theirs = kestrix::bench::runPoplibLoop().loopSeconds;
        state.SetIterationTime(ours);
        kestrixTotal += ours;
        poplibTotal += theirs;
    }
    const double runs = double(state.iterations());
    state.counters["kestrix_s"] = kestrixTotal / runs;
    state.counters["poplib_s"] = poplibTotal / runs;
    state.counters["ratio"] = kestrixTotal / poplibTotal;
    // USER, PASS, STAT, QUIT and three commands per message.
    const double commands = runs * (4 + 3 * kestrix::bench::benchmarkMessageCount);
    state.counters["recv_per_cmd"] = double(counts.receives) / commands;
    state.counters["recv_data_per_cmd"] = double(counts.receivesWithData) / commands;
    state.counters["send_per_cmd"] = double(counts.sends) / commands;
}
BENCHMARK(BM_FetchTopListUidl1000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

// Whole-message retrieval: base64 decoding throughput of TNMUUProcessor (target: at least
// 200 MB/s of decoded output) and FetchMessage of a 20 MB message with one base64 attachment
// from the loopback Dovecot (RETR, the body, the split and the decoded file on disk).
#include "support/dovecot_server.h"
#include "support/mime_messages.h"
#include "transport/pop3_client.h"
#include "transport/uu_processor.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {

std::string randomBytes(std::size_t count)
{
    std::mt19937 random(42);
    std::string bytes(count, '\0');
    for (char &c : bytes)
        c = char(random() & 0xff);
    return bytes;
}

void BM_Base64Decode(benchmark::State &state)
{
    const std::string plain = randomBytes(std::size_t(state.range(0)));
    const std::string coded = kestrix::test::base64Body(plain);
    kestrix::TNMUUProcessor coder;
    for (auto _ : state) {
        state.PauseTiming();
        kestrix::TMemoryStream in(coded), out;
        state.ResumeTiming();
        coder.InputStream = &in;
        coder.OutputStream = &out;
        coder.Decode();
        benchmark::DoNotOptimize(out.Bytes().data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Base64Decode)->Arg(20 << 20)->Unit(benchmark::kMillisecond);

// The 20 MB message: a short text part and a base64 attachment of 14.5 MB (20 MB encoded).
kestrix::test::DovecotServer &bigMessageDovecot()
{
    static const std::unique_ptr<kestrix::test::DovecotServer> server = [] {
        const std::string attachment = randomBytes(15 * 1000 * 1000);
        return std::make_unique<kestrix::test::DovecotServer>(std::vector<std::string>{
            kestrix::test::multipartMessage("Big", {kestrix::test::textPart("The file.\r\n"),
                                                    kestrix::test::base64Part("big.bin", attachment)})});
    }();
    return *server;
}

void BM_FetchMessage20MB(benchmark::State &state)
{
    auto &dovecot = bigMessageDovecot();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir folder;
        kestrix::TNMPOP3 pop;
        pop.Host = dovecot.host();
        pop.Port = dovecot.port();
        pop.UserID = dovecot.user();
        pop.Password = dovecot.password();
        pop.TimeOut = 20000;
        pop.setAttachFilePath(folder.path().toStdString());
        pop.Connect();
        state.ResumeTiming();
        pop.FetchMessage(1);
        state.PauseTiming();
        if (pop.CurrentMessage.Attachments.size() != 1)
            state.SkipWithError("no attachment stored");
        pop.Disconnect();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FetchMessage20MB)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

// Whole-message retrieval: base64 decoding throughput of TNMUUProcessor (target: at least
// 200 MB/s of decoded output) and FetchMessage of a 20 MB message with one base64 attachment
// from the loopback Dovecot (RETR, the body, the split and the decoded file on disk); and the
// split of a message of N tiny parts that all want the same name, with the bound on stored parts
// lifted: the time per part stays flat as N grows (it grew with N when every part probed its
// "_k" names from 1).
#include "mime/message_content.h"
#include "mime/mime_extractor.h"
#include "mime/uu_processor.h"
#include "support/dovecot_server.h"
#include "support/mime_messages.h"
#include "transport/pop3_client.h"

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
        kestrix::MessageContent content;
        content.setAttachFilePath(folder.path().toStdString());
        pop.Connect();
        state.ResumeTiming();
        kestrix::TNMPOP3::RetrievedMessage raw = pop.FetchMessage(1);
        content.split(std::move(raw.header), std::move(raw.body));
        state.PauseTiming();
        if (content.CurrentMessage.Attachments.size() != 1)
            state.SkipWithError("no attachment stored");
        pop.Disconnect();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FetchMessage20MB)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_SplitTinyParts(benchmark::State &state)
{
    const auto parts = std::size_t(state.range(0));
    std::vector<std::string> body = {"--b", "", "text"};
    for (std::size_t i = 0; i < parts; ++i) {
        for (const char *line : {"--b", "Content-Disposition: attachment; filename=\"t.txt\"", "", "x"})
            body.emplace_back(line);
    }
    body.emplace_back("--b--");
    std::unique_ptr<QTemporaryDir> folder;
    for (auto _ : state) {
        state.PauseTiming();
        folder = std::make_unique<QTemporaryDir>();  // the old folder's removal is not timed
        kestrix::TMailMessage message;
        kestrix::TNMUUProcessor coder;
        kestrix::TMimeExtractor mime(message, coder);
        mime.AttachFilePath = folder->path().toStdString() + "/";
        mime.MaxStoredParts = parts;
        mime.Reset();
        mime.ParseHeaderLine("Content-Type: multipart/mixed; boundary=b", message);
        mime.EndMessageHeader();
        message.RawLines = body;
        state.ResumeTiming();
        mime.ExtractBody(false);
        if (message.Attachments.size() != parts)
            state.SkipWithError("parts missing");
    }
    state.counters["s_per_part"] = benchmark::Counter(
        double(parts), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SplitTinyParts)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);

}  // namespace

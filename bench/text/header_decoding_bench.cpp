// Speed of the header-word decoding on hostile input: a 1 MB value of repeated "?q?" or
// "=?a?q?x?=", a 64 KiB header line, and a 100,000-line rejected-mail log of long lines (every
// line is decoded when the log is read). Target: a 1 MB value in milliseconds. The pass-by-pass
// decoding it replaced runs beside it as the yardstick (once per figure: it takes seconds).
#include "profiles/list_files.h"
#include "support/reference_word_decoding.h"
#include "text/header_decoding.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

using namespace kestrix;

namespace {

std::string repeated(const std::string &piece, size_t bytes)
{
    std::string out;
    out.reserve(bytes + piece.size());
    while (out.size() < bytes)
        out += piece;
    return out;
}

// 0: "?q?" repeated; 1: "=?a?q?x?=" repeated; 2: a real-looking subject of many words.
std::string hostileValue(int kind, size_t bytes)
{
    switch (kind) {
    case 0: return repeated("?q?", bytes);
    case 1: return repeated("=?a?q?x?=", bytes);
    default: return repeated("=?iso-8859-1?q?Gr=FC=DFe_aus_Berlin?= ", bytes);
    }
}

void BM_Decode(benchmark::State &state)
{
    const std::string value = hostileValue(int(state.range(0)), size_t(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeHeaderWords(value));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(value.size()));
}
BENCHMARK(BM_Decode)
    ->ArgNames({"kind", "bytes"})
    ->Args({0, 1 << 20})
    ->Args({1, 1 << 20})
    ->Args({2, 1 << 20})
    ->Args({0, 64 << 10})
    ->Args({1, 64 << 10})
    ->Args({2, 64 << 10})
    ->Unit(benchmark::kMillisecond);

void BM_DecodeByPasses(benchmark::State &state)
{
    const std::string value = hostileValue(int(state.range(0)), size_t(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(reference::decodeHeaderWordsByPasses(value));
}
BENCHMARK(BM_DecodeByPasses)
    ->ArgNames({"kind", "bytes"})
    ->Args({0, 1 << 20})
    ->Args({1, 1 << 20})
    ->Args({2, 64 << 10})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// 100,000 lines of about 600 bytes: senders with a quoted name, subjects of encoded words and
// hostile delimiter runs.
const QString &longLineLog()
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("long.log"));
    static bool written = false;
    if (!written) {
        std::string bytes;
        for (int i = 0; i < 100000; ++i) {
            std::string line = "\"Sender " + std::to_string(i) + "\" <user" + std::to_string(i) + "@example.org>\t";
            line += i % 2 ? repeated("=?a?q?x?=", 560) : repeated("=?x?q?Gr=FC=DFe?= ", 560);
            bytes += line + "\r\n";
        }
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes.data(), qint64(bytes.size()));
        written = true;
    }
    return path;
}

void BM_LoadRejectedLogOfLongLines(benchmark::State &state)
{
    const QString &path = longLineLog();
    RejectedLog log;
    for (auto _ : state) {
        if (!LoadRejectedLog(path, log))
            state.SkipWithError("log not readable");
        benchmark::DoNotOptimize(log.rowCount());
    }
}
BENCHMARK(BM_LoadRejectedLogOfLongLines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

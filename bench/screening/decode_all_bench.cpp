// buildMessageTable of 10,001 rows whose subjects are all base64 encoded words, with the
// profile's decodeAll off (bytes only) and on (blacklist words also matched against the display
// text), against a whitelist of 5,000 entries, a log of 100,000 and the built-in words.
#include "screening/screener.h"
#include "silent_screener.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

using namespace kestrix;
using kestrix::bench::SilentPrompter;
using kestrix::bench::SilentView;
using kestrix::bench::word;

std::string base64(const std::string &bytes)
{
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = unsigned(uint8_t(bytes[i])) << 16 | unsigned(uint8_t(bytes[i + 1])) << 8 |
                           unsigned(uint8_t(bytes[i + 2]));
        out += alphabet[v >> 18];
        out += alphabet[(v >> 12) & 63];
        out += alphabet[(v >> 6) & 63];
        out += alphabet[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = unsigned(uint8_t(bytes[i])) << 16;
        if (i + 1 < bytes.size())
            v |= unsigned(uint8_t(bytes[i + 1])) << 8;
        out += alphabet[v >> 18];
        out += alphabet[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? alphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

struct Scenario {
    SilentView view;
    SilentPrompter prompter;
    Screener screener{view, prompter};

    Scenario()
    {
        std::mt19937 rng(4711);
        auto sender = [&rng] {
            const std::string name = word(rng);
            return name + " <" + name + "@" + word(rng) + ".example>";
        };
        std::vector<std::string> whitelisted;
        for (int i = 0; i < 5000; ++i)
            whitelisted.push_back(sender());
        screener.profile.whitelist.assign(whitelisted);
        for (int i = 0; i < 100000; ++i)
            screener.profile.rejectedLog.appendRow(sender(), "re: " + word(rng) + " " + word(rng));

        screener.messages.startCode = "0";
        for (int i = 1; i <= 10001; ++i) {
            const std::string from = i % 10 == 0 ? whitelisted[rng() % whitelisted.size()] : sender();
            // UTF-8 subjects with an umlaut, a tenth of them holding a blacklist word.
            std::string plain = "Gr\xC3\xBC\xC3\x9F" "e: " + word(rng) + " " + word(rng) + " " + word(rng);
            if (i % 10 == 3)
                plain += " free";
            const std::string subject = "=?utf-8?B?" + base64(plain) + "?=";
            const std::string code = std::to_string(1000000 + i) + "1310";
            screener.messages.rows.push_back({i, from, subject, code});
            screener.messages.rows.back().headerLines = {
                "id:" + code, "Size: " + std::to_string(1000 + i) + " byte", "From: " + from,
                "Subject: " + subject, "Content-Type: text/plain; charset=utf-8", "."};
        }
    }
};

Scenario &sharedScenario()
{
    static Scenario scenario;
    return scenario;
}

void BM_BuildMessageTableEncodedSubjects(benchmark::State &state)
{
    Scenario &scenario = sharedScenario();
    scenario.screener.profile.decodeAll = state.range(0) != 0;
    for (auto _ : state) {
        scenario.screener.buildMessageTable(true);
        benchmark::DoNotOptimize(scenario.screener.messages.trustedCount);
    }
    state.SetLabel(scenario.screener.profile.decodeAll ? "decodeAll on" : "decodeAll off");
    state.counters["blacklisted"] = scenario.screener.countKnownBad();
}
BENCHMARK(BM_BuildMessageTableEncodedSubjects)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

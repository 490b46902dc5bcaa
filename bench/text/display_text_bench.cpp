// Throughput of the display decoder (bytes of header text per second) on a mix of typical
// sender and subject texts, and its time on hostile 100 KiB texts, which must stay linear.
#include "text/display_text.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace kestrix;

// Senders and subjects as today's mail writes them: plain ASCII, B and Q words in UTF-8 and
// other charsets, raw UTF-8 and Latin-1.
const std::vector<std::string> &typicalHeaders()
{
    static const std::vector<std::string> headers = {
        "Joe Bloggs <joe.bloggs@example.org>",
        "Re: Meeting notes for Thursday, agenda attached",
        "=?utf-8?B?SsO2cmc=?= <joerg@example.de>",
        "=?utf-8?b?SGVsbG8gV29ybGQsIGhvdyBhcmUgeW91IHRvZGF5Pw==?=",
        "=?UTF-8?Q?Gr=C3=BC=C3=9Fe_aus_Berlin?= =?UTF-8?Q?_und_M=C3=BCnchen?=",
        "=?iso-8859-1?q?Caf=E9_au_lait?= <cafe@example.fr>",
        "=?koi8-r?B?8NLJ18XULCDNydI=?= <ivan@example.ru>",
        "=?shift_jis?B?grGC8YLJgr+CzQ==?= <taro@example.jp>",
        "J\xC3\xB6rg M\xC3\xBCller <joerg@example.de>",
        "Fw: Rechnung f\xFCr M\xE4rz",
        "Newsletter: 10 things you did not know about POP3 servers",
        "=?utf-8?B?8J+OiSBXaW4gYSBmcmVlIHRyaXAh?= =?utf-8?B?IExpbWl0ZWQgb2ZmZXI=?=",
    };
    return headers;
}

void BM_DisplayTypicalHeaders(benchmark::State &state)
{
    const auto &headers = typicalHeaders();
    size_t bytes = 0;
    for (const auto &h : headers)
        bytes += h.size();
    for (auto _ : state) {
        for (const auto &h : headers)
            benchmark::DoNotOptimize(displayHeaderText(h));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}
BENCHMARK(BM_DisplayTypicalHeaders);

std::string repeatTo(const std::string &piece, size_t size)
{
    std::string text;
    while (text.size() < size)
        text += piece;
    text.resize(size);
    return text;
}

// 100 KiB of hostile fragments: each variant must run in time linear in its length.
void BM_DisplayHostile(benchmark::State &state, const std::string &piece)
{
    const std::string text = repeatTo(piece, 100 * 1024);
    for (auto _ : state)
        benchmark::DoNotOptimize(displayHeaderText(text));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK_CAPTURE(BM_DisplayHostile, openings, std::string("=?"));
BENCHMARK_CAPTURE(BM_DisplayHostile, unclosed_words, std::string("=?utf-8?q?abc"));
BENCHMARK_CAPTURE(BM_DisplayHostile, question_marks, std::string("=?a?q?b?c?"));
BENCHMARK_CAPTURE(BM_DisplayHostile, tiny_words, std::string("=?utf-8?q?a?="));
BENCHMARK_CAPTURE(BM_DisplayHostile, made_up_charsets, std::string("=?x-a1?q?a?= =?x-b2?q?b?= "));
BENCHMARK_CAPTURE(BM_DisplayHostile, bad_utf8_runs, std::string("=?utf-8?q?=FF?= "));

}  // namespace

BENCHMARK_MAIN();

// buildMessageTable over a full table: 10,001 rows against a rejected-mail log of 100,000
// entries, a whitelist of 5,000 entries and the 68 built-in blacklist words. Every header
// carries its provider's Authentication-Results and spam flag; the build runs with the sender
// checks (/1, /2) and without them (/0), the yardstick the checks are held to.
#include "screening/classification.h"
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

std::string senderText(std::mt19937 &rng)
{
    const std::string name = word(rng);
    const std::string family = word(rng);
    return "\"" + name + " " + family + "\" <" + name + "." + family + "@" + word(rng) + ".example>";
}

std::string subjectText(std::mt19937 &rng)
{
    std::string s = "Re: ";
    const int n = 3 + int(rng() % 6);
    for (int i = 0; i < n; ++i)
        s += (i ? " " : "") + word(rng);
    return s;
}

struct Scenario {
    SilentView view;
    SilentPrompter prompter;
    Screener screener{view, prompter};

    Scenario()
    {
        std::mt19937 rng(12345);
        std::vector<std::string> whitelisted;
        for (int i = 0; i < 5000; ++i)
            whitelisted.push_back(senderText(rng));
        screener.profile.whitelist.assign(whitelisted);

        std::vector<std::string> loggedSenders;
        std::vector<std::string> loggedSubjects;
        for (int i = 0; i < 100000; ++i) {
            loggedSenders.push_back(senderText(rng));
            loggedSubjects.push_back(subjectText(rng));
            screener.profile.rejectedLog.appendRow(lowerCase(loggedSenders.back()), lowerCase(loggedSubjects.back()));
        }

        screener.messages.startCode = "0";
        for (int i = 1; i <= 10001; ++i) {
            std::string sender = senderText(rng);
            std::string subject = subjectText(rng);
            std::string results = "dmarc=pass header.from=example";
            switch (i % 10) {
            case 0: sender = whitelisted[rng() % whitelisted.size()]; break;
            case 1: sender = loggedSenders[rng() % loggedSenders.size()]; break;
            case 2: subject = loggedSubjects[rng() % loggedSubjects.size()]; break;
            case 3: subject += " free"; break;
            case 4:  // a whitelisted sender, forged
                sender = whitelisted[rng() % whitelisted.size()];
                results = "spf=fail smtp.mailfrom=evil.example; dmarc=fail header.from=example";
                break;
            case 5: {  // a whitelisted name on another address
                const std::string &known = whitelisted[rng() % whitelisted.size()];
                sender = known.substr(0, known.find('<')) + "<x@evil.example>";
                break;
            }
            default: break;
            }
            const std::string code = std::to_string(1000000 + i) + "1310";
            screener.messages.rows.push_back({i, sender, subject, code});
            screener.messages.rows.back().headerLines = {
                "id:" + code, "Size: " + std::to_string(1000 + i) + " byte",
                "Return-Path: <bounce@example.org>",
                "Authentication-Results: mx.example.net;",
                "\tspf=pass smtp.mailfrom=example; dkim=pass header.d=example;",
                "\t" + results,
                std::string("X-Spam-Flag: ") + (i % 10 == 6 ? "YES" : "NO"),
                "Received: from x by y",
                "From: " + sender, "To: me@example.org", "Subject: " + subject,
                "Date: Mon, 7 Dec 2026 08:00:00 +0000", "MIME-Version: 1.0",
                "Content-Type: text/plain; charset=ISO-8859-1", "."};
        }
    }

    static std::string lowerCase(std::string text)
    {
        for (char &c : text)
            c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        return text;
    }
};

Scenario &sharedScenario()
{
    static Scenario scenario;
    return scenario;
}

void forgetArrivalReads(Screener &screener)
{
    for (DownloadedRow &row : screener.messages.rows) {
        row.providerFields = {};
        row.likeness = {};
    }
}

// 0: the checks off. 1: on, as every rebuild after the first finds the rows (a deletion, a
// whitelist entry, a new setting): each row keeps what its header says and its verdicts against
// an unchanged whitelist. 2: on, as the first build after a download of every row: the download
// read each header's sender facts as it arrived (BM_ReadArrivedRows gives what that costs).
// 3: on, with nothing kept at all (rows that did not come from a download).
void BM_BuildMessageTable(benchmark::State &state)
{
    static Scenario &scenario = sharedScenario();
    scenario.screener.profile.checkSenders = state.range(0) != 0;
    for (auto _ : state) {
        if (state.range(0) >= 2) {
            state.PauseTiming();
            forgetArrivalReads(scenario.screener);
            if (state.range(0) == 2) {
                for (const DownloadedRow &row : scenario.screener.messages.rows)
                    scenario.screener.readArrivedRow(row);
            }
            state.ResumeTiming();
        }
        scenario.screener.buildMessageTable(true);
        benchmark::DoNotOptimize(scenario.screener.messages.trustedCount);
    }
    state.counters["trusted"] = scenario.screener.messages.trustedCount;
    state.counters["knownBad"] = scenario.screener.countKnownBad();
    scenario.screener.profile.checkSenders = true;
}
BENCHMARK(BM_BuildMessageTable)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

// What the download spends on each arriving row's sender facts, over all 10,001 rows (spread
// over the download, one row per header that arrives).
void BM_ReadArrivedRows(benchmark::State &state)
{
    static Scenario &scenario = sharedScenario();
    for (auto _ : state) {
        state.PauseTiming();
        forgetArrivalReads(scenario.screener);
        state.ResumeTiming();
        for (const DownloadedRow &row : scenario.screener.messages.rows)
            scenario.screener.readArrivedRow(row);
    }
}
BENCHMARK(BM_ReadArrivedRows)->Unit(benchmark::kMillisecond);

// The parts of a row's classification, over all 10,001 rows.
void BM_StoredListLookups(benchmark::State &state)
{
    static Scenario &scenario = sharedScenario();
    const Screener &s = scenario.screener;
    for (auto _ : state) {
        int hits = 0;
        for (const DownloadedRow &row : s.messages.rows) {
            hits += s.profile.rejectedLog.isKnownBadSubject(row.subject);
            hits += s.profile.rejectedLog.isKnownBadSender(row.sender);
            hits += s.profile.whitelist.contains(row.sender);
        }
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_StoredListLookups)->Unit(benchmark::kMillisecond);

void BM_BlacklistMatching(benchmark::State &state)
{
    static Scenario &scenario = sharedScenario();
    const Screener &s = scenario.screener;
    const BlacklistMatcher matcher(s.profile.blacklist.words());
    for (auto _ : state) {
        int hits = 0;
        for (const DownloadedRow &row : s.messages.rows)
            hits += matcher.matchesLowerCased(row.subject) || matcher.matchesLowerCased(row.sender);
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_BlacklistMatching)->Unit(benchmark::kMillisecond);

void BM_SizeContentTexts(benchmark::State &state)
{
    static Scenario &scenario = sharedScenario();
    const Screener &s = scenario.screener;
    for (auto _ : state) {
        size_t total = 0;
        for (const DownloadedRow &row : s.messages.rows)
            total += row.sizeContentText().size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_SizeContentTexts)->Unit(benchmark::kMillisecond);

void BM_Reclassify(benchmark::State &state)
{
    static Scenario &scenario = sharedScenario();
    for (auto _ : state)
        scenario.screener.reclassify();
}
BENCHMARK(BM_Reclassify)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

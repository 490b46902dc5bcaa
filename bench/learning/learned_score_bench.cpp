// The learned score's speed and size on the public corpus split by fetch_corpus.sh (header lines
// only): training 3,000 messages and saving the store, and scoring a 10,000-row table, with the
// tokens the rows keep and with the tokens read anew.
//   KESTRIX_CORPUS_SPLIT: the split folder (default ~/.cache/kestrix-corpus/split)
#include "profiles/token_store.h"
#include "screening/header_tokens.h"
#include "screening/learned_scorer.h"
#include "screening/mail_files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace kestrix;

namespace {

struct Sample {
    FileMessage message;
    Judgement side;
};

QString splitFolder()
{
    if (const char *env = std::getenv("KESTRIX_CORPUS_SPLIT"))
        return QString::fromLocal8Bit(env);
    return QDir::homePath() + QStringLiteral("/.cache/kestrix-corpus/split");
}

// The messages of one half, spam and good interleaved as mail arrives.
const std::vector<Sample> &half(const char *part)
{
    static std::map<std::string, std::vector<Sample>> halves;
    std::vector<Sample> &samples = halves[part];
    if (!samples.empty())
        return samples;
    std::string error;
    const QString base = splitFolder() + QLatin1Char('/') + QLatin1String(part);
    auto spam = readMailPath(base + QStringLiteral("/spam"), error);
    auto good = readMailPath(base + QStringLiteral("/good"), error);
    for (size_t i = 0; i < std::max(spam.size(), good.size()); ++i) {
        if (i < spam.size())
            samples.push_back({spam[i], Judgement::Spam});
        if (i < good.size())
            samples.push_back({good[i], Judgement::Good});
    }
    return samples;
}

bool haveCorpus(benchmark::State &state)
{
    if (!half("train").empty() && !half("test").empty())
        return true;
    state.SkipWithError("no corpus: run bench/learning/fetch_corpus.sh first");
    return false;
}

TokenStore trainedStore(size_t count)
{
    TokenStore store;
    const auto &train = half("train");
    for (size_t i = 0; i < count && i < train.size(); ++i) {
        const FileMessage &m = train[i].message;
        store.learn(messageKey(m.headerLines), headerTokens(m.headerLines, m.size), train[i].side);
    }
    return store;
}

void BM_Train3000AndSave(benchmark::State &state)
{
    if (!haveCorpus(state))
        return;
    QTemporaryDir dir;
    const QString path = TokenStore::pathFor(dir.path(), "bench");
    for (auto _ : state) {
        const TokenStore store = trainedStore(3000);
        if (!store.save(path))
            state.SkipWithError("cannot save the store");
    }
    const TokenStore store = trainedStore(3000);
    state.counters["messages"] = double(store.spamMessages() + store.goodMessages());
    state.counters["tokens"] = double(store.tokenCount());
    state.counters["store_MB"] = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_Train3000AndSave)->Unit(benchmark::kMillisecond);

// The test messages repeated to fill 10,000 rows.
std::vector<const FileMessage *> tableRows()
{
    std::vector<const FileMessage *> rows;
    const auto &test = half("test");
    for (size_t i = 0; rows.size() < 10000 && !test.empty(); ++i)
        rows.push_back(&test[i % test.size()].message);
    return rows;
}

void BM_Score10000Rows(benchmark::State &state)
{
    if (!haveCorpus(state))
        return;
    const LearnedScorer scorer(trainedStore(3000), LearnedScoreSettings{});
    std::vector<std::vector<uint64_t>> ids;
    for (const FileMessage *m : tableRows()) {
        std::vector<uint64_t> row;
        for (const std::string &token : headerTokens(m->headerLines, m->size))
            row.push_back(tokenId(token));
        ids.push_back(std::move(row));
    }
    int spam = 0;
    for (auto _ : state) {
        spam = 0;
        for (const auto &row : ids)
            spam += scorer.score(row).verdict == LearnedVerdict::Spam;
        benchmark::DoNotOptimize(spam);
    }
    state.counters["rows"] = double(ids.size());
    state.counters["spam_rows"] = spam;
}
BENCHMARK(BM_Score10000Rows)->Unit(benchmark::kMillisecond);

void BM_TokenizeAndScore10000Rows(benchmark::State &state)
{
    if (!haveCorpus(state))
        return;
    const LearnedScorer scorer(trainedStore(3000), LearnedScoreSettings{});
    const auto rows = tableRows();
    for (auto _ : state) {
        int spam = 0;
        for (const FileMessage *m : rows)
            spam += scorer.score(headerTokens(m->headerLines, m->size)).verdict == LearnedVerdict::Spam;
        benchmark::DoNotOptimize(spam);
    }
}
BENCHMARK(BM_TokenizeAndScore10000Rows)->Unit(benchmark::kMillisecond);

void BM_SnapshotOfTheStore(benchmark::State &state)
{
    if (!haveCorpus(state))
        return;
    const TokenStore store = trainedStore(3000);
    for (auto _ : state)
        benchmark::DoNotOptimize(LearnedScorer(store, LearnedScoreSettings{}).trained());
}
BENCHMARK(BM_SnapshotOfTheStore)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

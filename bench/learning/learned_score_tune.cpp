// Tuning aid for the learned score, kept honest: it only ever reads the TRAINING half of the
// corpus split (fetch_corpus.sh) and splits it once more into folds by message number (4 by
// default): each fold is checked once by a store trained on the others. The test half is left
// for corpus_bench.sh.
//   bench_learned_score_tune [--folds N] [--misses N] [--family PREFIX] [--sweep] [key=value ...]
// keys: s (strength), x (background), dev (minimum deviation), clues, ham, spam (cutoffs).
// --family PREFIX lists the counts of the tokens so named; --misses N lists the N worst misses
// of each kind with their strongest clues.
#include "profiles/token_store.h"
#include "screening/header_tokens.h"
#include "screening/learned_scorer.h"
#include "screening/mail_files.h"

#include <QDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace kestrix;

namespace {

struct Sample {
    FileMessage message;
    std::vector<std::string> tokens;
    Judgement side;
};

// "GROUP-NUMBER.eml" -> NUMBER
long numberOf(const std::string &label)
{
    const size_t dash = label.rfind('-');
    return dash == std::string::npos ? 0 : std::atol(label.c_str() + dash + 1);
}

// The training half, each message with its fold: every fold checks once, trained by the others.
std::vector<Sample> readTrainingHalf(int folds, std::vector<int> &foldOf)
{
    QString base = QDir::homePath() + QStringLiteral("/.cache/kestrix-corpus/split");
    if (const char *env = std::getenv("KESTRIX_CORPUS_SPLIT"))
        base = QString::fromLocal8Bit(env);
    std::vector<Sample> samples;
    for (const auto side : {Judgement::Spam, Judgement::Good}) {
        std::string error;
        const QString folder = base + QLatin1String(side == Judgement::Spam ? "/train/spam" : "/train/good");
        for (FileMessage &m : readMailPath(folder, error)) {
            foldOf.push_back(int(numberOf(m.label) / 2 % folds));
            samples.push_back(Sample{m, headerTokens(m.headerLines, m.size), side});
        }
        if (!error.empty())
            std::fprintf(stderr, "%s\n", error.c_str());
    }
    return samples;
}

struct Figures {
    int spam = 0, spamCaught = 0, spamUnsure = 0, good = 0, goodSpam = 0, goodUnsure = 0;
    std::vector<double> spamScores, goodScores;
    Figures &operator+=(const Figures &o)
    {
        spam += o.spam, spamCaught += o.spamCaught, spamUnsure += o.spamUnsure;
        good += o.good, goodSpam += o.goodSpam, goodUnsure += o.goodUnsure;
        spamScores.insert(spamScores.end(), o.spamScores.begin(), o.spamScores.end());
        goodScores.insert(goodScores.end(), o.goodScores.begin(), o.goodScores.end());
        return *this;
    }
    // The share of spam caught by the lowest spam cutoff that scores at most 0.1% of the good
    // mail spam: how well the scores part the two sides whatever the cutoffs.
    double caughtAtGoal() const
    {
        std::vector<double> g = goodScores;
        std::sort(g.begin(), g.end(), std::greater<>());
        const size_t allowed = size_t(double(g.size()) * 0.001);
        const double cutoff = allowed < g.size() ? g[allowed] : 0.0;
        const auto n = std::count_if(spamScores.begin(), spamScores.end(),
                                     [&](double v) { return v > cutoff; });
        return 100.0 * double(n) / double(spamScores.size());
    }
    void print(const char *name) const
    {
        std::printf("%-28s caught %5.1f%%  spam-unsure %5.1f%%  good-as-spam %5.2f%% (%d)  "
                    "good-unsure %4.1f%%  all-unsure %4.1f%%  caught-at-0.1%% %5.1f%%\n",
                    name, 100.0 * spamCaught / spam, 100.0 * spamUnsure / spam,
                    100.0 * goodSpam / good, goodSpam, 100.0 * goodUnsure / good,
                    100.0 * (spamUnsure + goodUnsure) / (spam + good), caughtAtGoal());
    }
};

Figures measure(const LearnedScorer &scorer, const std::vector<Sample> &check, int misses)
{
    Figures f;
    std::vector<std::pair<double, const Sample *>> wrong;
    for (const Sample &s : check) {
        const LearnedResult r = scorer.score(s.tokens);
        (s.side == Judgement::Spam ? f.spamScores : f.goodScores).push_back(r.score);
        if (s.side == Judgement::Spam) {
            ++f.spam;
            f.spamCaught += r.verdict == LearnedVerdict::Spam;
            f.spamUnsure += r.verdict == LearnedVerdict::Unsure;
            if (r.verdict != LearnedVerdict::Spam)
                wrong.push_back({r.score, &s});
        } else {
            ++f.good;
            f.goodSpam += r.verdict == LearnedVerdict::Spam;
            f.goodUnsure += r.verdict == LearnedVerdict::Unsure;
            if (r.verdict != LearnedVerdict::Good)
                wrong.push_back({1.0 - r.score, &s});
        }
    }
    std::sort(wrong.begin(), wrong.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    for (size_t i = 0; i < wrong.size() && int(i) < misses; ++i) {
        const Sample &s = *wrong[i].second;
        std::printf("%s %.3f %s\n  %s\n", s.side == Judgement::Spam ? "SPAM" : "GOOD",
                    scorer.score(s.tokens).score, s.message.label.c_str(),
                    describeClues(scorer.strongestClues(s.tokens, 12)).c_str());
    }
    return f;
}

bool setKey(LearnedScoreSettings &s, const char *arg)
{
    const char *eq = std::strchr(arg, '=');
    if (!eq)
        return false;
    const std::string key(arg, eq);
    const double v = std::atof(eq + 1);
    if (key == "s") s.strength = v;
    else if (key == "x") s.background = v;
    else if (key == "dev") s.minimumDeviation = v;
    else if (key == "clues") s.maximumClues = int(v);
    else if (key == "ham") s.hamCutoff = v;
    else if (key == "spam") s.spamCutoff = v;

    else return false;
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    LearnedScoreSettings settings;
    int misses = 0;
    bool sweep = false;
    int folds = 4;
    const char *family = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--misses") && i + 1 < argc)
            misses = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--family") && i + 1 < argc)
            family = argv[++i];
        else if (!std::strcmp(argv[i], "--folds") && i + 1 < argc)
            folds = std::max(2, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--sweep"))
            sweep = true;
        else if (!setKey(settings, argv[i]))
            return std::fprintf(stderr, "unknown argument %s\n", argv[i]), 2;
    }
    std::vector<int> foldOf;
    const std::vector<Sample> samples = readTrainingHalf(folds, foldOf);
    if (samples.empty())
        return std::fprintf(stderr, "no corpus: run bench/learning/fetch_corpus.sh\n"), 1;
    std::vector<TokenStore> stores(static_cast<size_t>(folds));
    std::vector<std::vector<Sample>> checks(static_cast<size_t>(folds));
    for (size_t i = 0; i < samples.size(); ++i) {
        const Sample &s = samples[i];
        checks[size_t(foldOf[i])].push_back(s);
        for (int k = 0; k < folds; ++k) {
            if (k != foldOf[i])
                stores[size_t(k)].learn(messageKey(s.message.headerLines), s.tokens, s.side);
        }
    }
    std::printf("%d folds of about %zu messages, %zu tokens\n", folds, checks[0].size(),
                stores[0].tokenCount());
    if (family) {
        stores[0].forEachToken([&](const std::string &token, TokenCounts c) {
            if (token.starts_with(family) && c.spam + c.good >= 3)
                std::printf("%5u %5u  %s\n", c.spam, c.good, token.c_str());
        });
    }
    auto both = [&](const LearnedScoreSettings &t, int shown) {
        Figures f;
        for (int k = 0; k < folds; ++k)
            f += measure(LearnedScorer(stores[size_t(k)], t), checks[size_t(k)], shown);
        return f;
    };
    both(settings, misses).print("as set");
    if (!sweep)
        return 0;
    for (const double s : {0.05, 0.1, 0.2, 0.3, 0.5, 1.0})
        for (const double x : {0.4, 0.5, 0.6})
            for (const double dev : {0.0, 0.1, 0.2}) {
                LearnedScoreSettings t = settings;
                t.strength = s;
                t.background = x;
                t.minimumDeviation = dev;
                char name[64];
                std::snprintf(name, sizeof name, "s=%.2f x=%.1f dev=%.1f", s, x, dev);
                both(t, 0).print(name);
            }
    return 0;
}

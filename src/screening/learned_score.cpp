#include "screening/learned_score.h"

#include <algorithm>
#include <cmath>

namespace kestrix {

const char *learnedVerdictName(LearnedVerdict verdict)
{
    switch (verdict) {
    case LearnedVerdict::Good:
        return "good";
    case LearnedVerdict::Unsure:
        return "unsure";
    case LearnedVerdict::Spam:
        return "spam";
    case LearnedVerdict::NotTrained:
        break;
    }
    return "untrained";
}

double tokenProbability(uint32_t spamCount, uint32_t goodCount, uint32_t spamTotal,
                        uint32_t goodTotal, const LearnedScoreSettings &settings)
{
    // The share of each side's messages that hold the token, so that a side trained with more
    // messages does not weigh more.
    const double spamShare = spamTotal ? std::min(1.0, double(spamCount) / spamTotal) : 0.0;
    const double goodShare = goodTotal ? std::min(1.0, double(goodCount) / goodTotal) : 0.0;
    const double n = double(spamCount) + double(goodCount);
    if (spamShare + goodShare <= 0.0)
        return settings.background;
    const double p = spamShare / (spamShare + goodShare);
    return (settings.strength * settings.background + n * p) / (settings.strength + n);
}

double chiSquareTail(double chi2, int degreesOfFreedom)
{
    // For even degrees of freedom the tail is a finite Poisson sum. exp(-m) underflows only
    // where the whole sum is negligible for the at most 2 * maximumClues degrees used here.
    const double m = chi2 / 2.0;
    double term = std::exp(-m);
    double sum = term;
    for (int i = 1; i < degreesOfFreedom / 2; ++i) {
        term *= m / i;
        sum += term;
    }
    return std::min(sum, 1.0);
}

double fisherCombine(const std::vector<double> &probabilities)
{
    if (probabilities.empty())
        return 0.5;
    double lnSpam = 0.0;  // sum of ln f
    double lnGood = 0.0;  // sum of ln (1 - f)
    for (const double f : probabilities) {
        lnSpam += std::log(f);
        lnGood += std::log1p(-f);
    }
    const int df = 2 * int(probabilities.size());
    // H near 1 when the clues lean to spam, S near 1 when they lean to good.
    const double h = chiSquareTail(-2.0 * lnSpam, df);
    const double s = chiSquareTail(-2.0 * lnGood, df);
    return (1.0 + h - s) / 2.0;
}

LearnedVerdict verdictOf(double score, const LearnedScoreSettings &settings)
{
    if (score > settings.spamCutoff)
        return LearnedVerdict::Spam;
    if (score < settings.hamCutoff)
        return LearnedVerdict::Good;
    return LearnedVerdict::Unsure;
}

}  // namespace kestrix

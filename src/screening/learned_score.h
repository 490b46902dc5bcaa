#pragma once
// The learned score of one message: Robinson's probability per token, the strongest clues
// combined with Fisher's chi-square method. Pure arithmetic over token counts; the counts come
// from the profile's token store and the tokens from the header lines (header_tokens.h).

#include <cstdint>
#include <string>
#include <vector>

namespace kestrix {

// What a score says; NotTrained until both sides hold enough messages.
enum class LearnedVerdict { NotTrained, Good, Unsure, Spam };

const char *learnedVerdictName(LearnedVerdict verdict);  // "good", "unsure", "spam", "untrained"

struct LearnedScoreSettings {
    double hamCutoff = 0.20;   // below: good
    double spamCutoff = 0.90;  // above: spam; between the two: unsure
    int minimumTrained = 20;   // of each side before any verdict
    // Robinson's strength of the background belief and the belief itself (an unseen token).
    // Strength and deviation were chosen on the training half of the benchmark corpus alone,
    // in four folds. A weak belief (0.15) lets a token seen in a few messages count: header
    // lines give fewer tokens than a body would.
    double strength = 0.15;
    double background = 0.5;
    // Tokens whose probability lies closer to the middle than this are no clues. None are left
    // out: the near-neutral ones damp the many header clues that move together.
    double minimumDeviation = 0.0;
    int maximumClues = 150;
};

// Robinson's f(w) for a token seen in spamCount of spamTotal spam and goodCount of goodTotal
// good messages.
double tokenProbability(uint32_t spamCount, uint32_t goodCount, uint32_t spamTotal,
                        uint32_t goodTotal, const LearnedScoreSettings &settings);

// The chance that a chi-square variable with degreesOfFreedom (even) exceeds chi2.
double chiSquareTail(double chi2, int degreesOfFreedom);

// Fisher's combining of the clues' probabilities: 0 (good) .. 1 (spam); 0.5 without clues.
double fisherCombine(const std::vector<double> &probabilities);

LearnedVerdict verdictOf(double score, const LearnedScoreSettings &settings);

}  // namespace kestrix

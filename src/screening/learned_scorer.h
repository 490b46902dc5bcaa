#pragma once
// Scores messages against a snapshot of the profile's token store. The snapshot holds every
// token's probability and logarithms in one open-addressed table keyed by tokenId, so a score is
// a few look-ups and additions: a table of ten thousand rows is scored at every rebuild.

#include "profiles/token_store.h"
#include "screening/learned_score.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrix {

struct LearnedResult {
    double score = 0.5;
    LearnedVerdict verdict = LearnedVerdict::NotTrained;
};

struct LearnedClue {
    std::string token;
    double probability = 0.5;
};

class LearnedScorer {
public:
    LearnedScorer() = default;
    LearnedScorer(const TokenStore &store, const LearnedScoreSettings &settings);

    // Both sides hold at least settings.minimumTrained messages.
    bool trained() const { return m_trained; }
    uint64_t generation() const { return m_generation; }
    const LearnedScoreSettings &settings() const { return m_settings; }

    // Token ids (tokenId) of one message. NotTrained (score 0.5) until the store is trained.
    LearnedResult score(const std::vector<uint64_t> &ids) const;
    LearnedResult score(const std::vector<std::string> &tokens) const;
    // The clues that count most, strongest first ("subj:viagra" 0.99).
    std::vector<LearnedClue> strongestClues(const std::vector<std::string> &tokens,
                                            size_t count) const;

private:
    struct Slot {
        uint64_t id = 0;  // 0: empty
        float strength = 0;  // |f - 0.5|
        float probability = 0;
        double lnSpam = 0;
        double lnGood = 0;
    };
    const Slot *find(uint64_t id) const;

    LearnedScoreSettings m_settings;
    bool m_trained = false;
    uint64_t m_generation = 0;
    std::vector<Slot> m_slots;  // a power of two, at most half full
};

// "subj:viagra 0.99, from:@cheap.example 0.97"
std::string describeClues(const std::vector<LearnedClue> &clues);

}  // namespace kestrix

#include "screening/learned_scorer.h"

#include "screening/header_tokens.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kestrix {

namespace {

uint64_t nonZero(uint64_t id) { return id ? id : 1; }

}  // namespace

LearnedScorer::LearnedScorer(const TokenStore &store, const LearnedScoreSettings &settings)
    : m_settings(settings)
    , m_trained(store.spamMessages() >= uint32_t(settings.minimumTrained)
                && store.goodMessages() >= uint32_t(settings.minimumTrained))
    , m_generation(store.generation())
{
    size_t capacity = 16;
    while (capacity < store.tokenCount() * 2)
        capacity *= 2;
    m_slots.assign(capacity, Slot{});
    const size_t mask = capacity - 1;
    store.forEachToken([&](const std::string &token, TokenCounts counts) {
        const double f = tokenProbability(counts.spam, counts.good, store.spamMessages(),
                                          store.goodMessages(), settings);
        const float strength = float(std::fabs(f - 0.5));
        if (strength < settings.minimumDeviation)
            return;  // never a clue: left out of the table
        const uint64_t id = nonZero(tokenId(token));
        size_t i = size_t(id) & mask;
        while (m_slots[i].id != 0)
            i = (i + 1) & mask;
        m_slots[i] = Slot{id, strength, float(f), std::log(f), std::log1p(-f)};
    });
}

const LearnedScorer::Slot *LearnedScorer::find(uint64_t id) const
{
    if (m_slots.empty())
        return nullptr;
    id = nonZero(id);
    const size_t mask = m_slots.size() - 1;
    for (size_t i = size_t(id) & mask;; i = (i + 1) & mask) {
        if (m_slots[i].id == id)
            return &m_slots[i];
        if (m_slots[i].id == 0)
            return nullptr;
    }
}

LearnedResult LearnedScorer::score(const std::vector<uint64_t> &ids) const
{
    if (!m_trained)
        return {};
    // A message rarely has more clues than the limit; only then are the strongest chosen.
    thread_local std::vector<const Slot *> clues;
    clues.clear();
    for (const uint64_t id : ids) {
        if (const Slot *slot = find(id))
            clues.push_back(slot);
    }
    const size_t limit = size_t(std::max(1, m_settings.maximumClues));
    if (clues.size() > limit) {
        std::nth_element(clues.begin(), clues.begin() + long(limit), clues.end(),
                         [](const Slot *a, const Slot *b) { return a->strength > b->strength; });
        clues.resize(limit);
    }
    LearnedResult result;
    if (!clues.empty()) {
        double lnSpam = 0;
        double lnGood = 0;
        for (const Slot *slot : clues) {
            lnSpam += slot->lnSpam;
            lnGood += slot->lnGood;
        }
        const int df = 2 * int(clues.size());
        const double h = chiSquareTail(-2.0 * lnSpam, df);
        const double s = chiSquareTail(-2.0 * lnGood, df);
        result.score = (1.0 + h - s) / 2.0;
    }
    result.verdict = verdictOf(result.score, m_settings);
    return result;
}

LearnedResult LearnedScorer::score(const std::vector<std::string> &tokens) const
{
    std::vector<uint64_t> ids;
    ids.reserve(tokens.size());
    for (const std::string &token : tokens)
        ids.push_back(tokenId(token));
    return score(ids);
}

std::vector<LearnedClue> LearnedScorer::strongestClues(const std::vector<std::string> &tokens,
                                                       size_t count) const
{
    std::vector<std::pair<float, LearnedClue>> found;
    for (const std::string &token : tokens) {
        if (const Slot *slot = find(tokenId(token)))
            found.push_back({slot->strength, LearnedClue{token, slot->probability}});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    std::vector<LearnedClue> clues;
    for (size_t i = 0; i < found.size() && i < count; ++i)
        clues.push_back(found[i].second);
    return clues;
}

std::string describeClues(const std::vector<LearnedClue> &clues)
{
    std::string text;
    for (const LearnedClue &clue : clues) {
        char number[16];
        std::snprintf(number, sizeof number, "%.2f", clue.probability);
        if (!text.empty())
            text += ", ";
        text += clue.token + ' ' + number;
    }
    return text;
}

}  // namespace kestrix

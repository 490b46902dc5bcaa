#include "screening/learning.h"

#include "screening/downloaded_row.h"
#include "screening/header_tokens.h"

namespace kestrix {

void Learning::open(const QString &dataDir, std::string_view profileName, const ProfileConf &conf)
{
    m_path = TokenStore::pathFor(dataDir, profileName);
    m_store = TokenStore::load(m_path, m_problem);
    m_savedGeneration = m_store.generation();
    if (!m_problem.empty()) {
        // Rebuilt empty at once, so the damage is reported once and not at every start.
        if (FileResult saved = m_store.save(m_path); !saved)
            m_problem += " (" + saved.error + ")";
    }
    m_scorerBuilt = false;
    applyConf(conf);
}

void Learning::applyConf(const ProfileConf &conf)
{
    m_selectSpam = conf.selectSpam();
    if (m_settings.hamCutoff == conf.hamCutoff() && m_settings.spamCutoff == conf.spamCutoff())
        return;
    m_settings.hamCutoff = conf.hamCutoff();
    m_settings.spamCutoff = conf.spamCutoff();
    m_scorerBuilt = false;
}

const LearnedScorer &Learning::scorer()
{
    if (!m_scorerBuilt || m_scorer.generation() != m_store.generation()) {
        m_scorer = LearnedScorer(m_store, m_settings);
        m_scorerBuilt = true;
    }
    return m_scorer;
}

TokenStore::Change Learning::train(const std::vector<std::string> &headerLines, long long size,
                                   Judgement side, const std::vector<std::string> &verdicts)
{
    return m_store.learn(messageKey(headerLines), headerTokens(headerLines, size, verdicts), side);
}

bool Learning::unlearn(const std::vector<std::string> &headerLines, long long size,
                       const std::vector<std::string> &verdicts)
{
    return m_store.unlearn(messageKey(headerLines), headerTokens(headerLines, size, verdicts));
}

bool Learning::trainRow(const DownloadedRow &row, Judgement side,
                        const std::vector<std::string> &verdicts)
{
    if (row.headerLines.empty())
        return false;
    m_store.learn(messageKey(rowHeaderLines(row)), rowTokens(row, verdicts), side);
    return true;
}

bool Learning::unlearnRow(const DownloadedRow &row, const std::vector<std::string> &verdicts)
{
    if (row.headerLines.empty())
        return false;
    return m_store.unlearn(messageKey(rowHeaderLines(row)), rowTokens(row, verdicts));
}

std::string Learning::save()
{
    if (m_path.isEmpty() || m_savedGeneration == m_store.generation())
        return {};
    if (FileResult saved = m_store.save(m_path); !saved)
        return saved.error;
    m_savedGeneration = m_store.generation();
    return {};
}

std::string Learning::trainingNote() const
{
    std::string note = "Learned: " + std::to_string(m_store.spamMessages()) + " spam and "
                       + std::to_string(m_store.goodMessages()) + " good messages";
    const auto minimum = uint32_t(m_settings.minimumTrained);
    if (m_store.spamMessages() < minimum || m_store.goodMessages() < minimum)
        note += "; scores start at " + std::to_string(minimum) + " of each";
    return note;
}

}  // namespace kestrix

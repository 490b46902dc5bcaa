#pragma once
// The current profile's learning: its token store (NAME.tokens), the cutoffs of its NAME.conf
// and a scorer kept in step with the store. Training takes header lines as the screener sees
// them; the window, kestrix-cli and the tests drive it alike.

#include "profiles/profile_conf.h"
#include "profiles/token_store.h"
#include "screening/learned_scorer.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

struct DownloadedRow;

class Learning {
public:
    // Reads the store of the profile (an empty one when there is none). A damaged store starts
    // empty and problem() says so, once; the next save replaces it.
    void open(const QString &dataDir, std::string_view profileName, const ProfileConf &conf);
    // Takes the cutoffs and selectSpam of NAME.conf; the store stays.
    void applyConf(const ProfileConf &conf);
    const std::string &problem() const { return m_problem; }
    const QString &path() const { return m_path; }

    const TokenStore &store() const { return m_store; }
    const LearnedScoreSettings &settings() const { return m_settings; }
    bool selectSpam() const { return m_selectSpam; }
    // A scorer for the store as it is now (rebuilt after training).
    const LearnedScorer &scorer();

    // One message by its header lines and size (-1 unknown), with the row's verdict names.
    TokenStore::Change train(const std::vector<std::string> &headerLines, long long size,
                             Judgement side, const std::vector<std::string> &verdicts = {});
    bool unlearn(const std::vector<std::string> &headerLines, long long size,
                 const std::vector<std::string> &verdicts = {});
    // The same for a downloaded row; a row without header lines trains nothing (false).
    bool trainRow(const DownloadedRow &row, Judgement side,
                  const std::vector<std::string> &verdicts = {});
    bool unlearnRow(const DownloadedRow &row, const std::vector<std::string> &verdicts = {});

    // Writes the store when training changed it; "" on success, else why.
    std::string save();

    // "Learned: 12 spam and 5 good messages; scores start at 20 of each" while untrained,
    // "Learned: 250 spam and 300 good messages" once scores are given.
    std::string trainingNote() const;

private:
    TokenStore m_store;
    LearnedScoreSettings m_settings;
    bool m_selectSpam = true;
    LearnedScorer m_scorer;
    bool m_scorerBuilt = false;
    uint64_t m_savedGeneration = 0;
    QString m_path;
    std::string m_problem;
};

}  // namespace kestrix

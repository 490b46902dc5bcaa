#pragma once
// The profile's learned token counts ("NAME.tokens" in the data folder): for every token the
// number of spam and good messages that held it, the number of messages of each side, and which
// side every trained message was put on, so that training a message again moves it instead of
// counting it twice.
//
// A plain file rather than a database: the whole table is held in memory anyway (scoring a full
// table may not query per token), a few megabytes at most, and it is replaced atomically like
// every other profile file. A file that cannot be read as this format is reported and the store
// starts empty; it is never a reason to stop.

#include "profiles/text_file.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrix {

enum class Judgement : char { Spam = 's', Good = 'g' };

struct TokenCounts {
    uint32_t spam = 0;
    uint32_t good = 0;
};

class TokenStore {
public:
    // dataDir + "/NAME.tokens".
    static QString pathFor(const QString &dataDir, std::string_view profileName);

    // A missing file is an empty store without a problem. A file that is not a sound store (or
    // cannot be read) gives an empty store and a problem text naming the file and what is wrong.
    static TokenStore load(const QString &path, std::string &problem);
    // Writes the whole store atomically (a private 0600 file).
    FileResult save(const QString &path) const;

    // What training a message did.
    enum class Change { Added, Moved, AlreadyKnown };
    // Counts the message's tokens on the side judged; a message trained before on the other
    // side is taken off that side first, one trained on the same side is left as it is. key
    // names the message (messageKey of its header lines); tokens are distinct.
    Change learn(const std::string &key, const std::vector<std::string> &tokens, Judgement side);
    // Takes a trained message off its side; false when the key was never trained.
    bool unlearn(const std::string &key, const std::vector<std::string> &tokens);
    // The side a message was trained on; nullptr when it was not.
    const Judgement *judgementOf(const std::string &key) const;

    uint32_t spamMessages() const { return m_spamMessages; }
    uint32_t goodMessages() const { return m_goodMessages; }
    size_t tokenCount() const { return m_tokens.size(); }
    // nullptr for a token never seen.
    const TokenCounts *counts(std::string_view token) const;
    void forEachToken(const std::function<void(const std::string &, TokenCounts)> &visit) const;
    // Raised by every change: a scorer built from an older state is stale.
    uint64_t generation() const { return m_generation; }

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    void count(const std::vector<std::string> &tokens, Judgement side, int delta);

    std::unordered_map<std::string, TokenCounts, Hash, std::equal_to<>> m_tokens;
    std::unordered_map<std::string, Judgement> m_messages;
    uint32_t m_spamMessages = 0;
    uint32_t m_goodMessages = 0;
    uint64_t m_generation = 0;
};

}  // namespace kestrix

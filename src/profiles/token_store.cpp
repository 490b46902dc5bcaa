#include "profiles/token_store.h"

#include "profiles/data_folder.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>

namespace kestrix {

namespace {

constexpr std::string_view kTitle = "Kestrix learned tokens 1";

std::string bytes(const QString &text) { return text.toLatin1().toStdString(); }

// The next line of text from pos (CR LF, or LF alone), without its end.
bool nextLine(std::string_view text, size_t &pos, std::string_view &line)
{
    if (pos >= text.size())
        return false;
    size_t end = text.find('\n', pos);
    const size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos)
        end = text.size();
    if (end > pos && text[end - 1] == '\r')
        --end;
    line = text.substr(pos, end - pos);
    pos = next;
    return true;
}

// The next blank-separated word of line (consumed); empty at the end.
std::string_view nextWord(std::string_view &line)
{
    const size_t blank = line.find(' ');
    const std::string_view word = line.substr(0, blank);
    line = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
    return word;
}

bool readNumber(std::string_view word, uint32_t &value)
{
    if (word.empty())
        return false;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size();
}

bool isSide(std::string_view word) { return word == "s" || word == "g"; }

}  // namespace

QString TokenStore::pathFor(const QString &dataDir, std::string_view profileName)
{
    return dataFilePath(dataDir, std::string(profileName) + ".tokens");
}

TokenStore TokenStore::load(const QString &path, std::string &problem)
{
    problem.clear();
    TokenStore store;
    const QFileInfo info(path);
    if (!info.exists())
        return store;
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        problem = "Cannot read the learned tokens in \"" + bytes(path)
                  + "\"; learning starts again from nothing";
        return store;
    }
    const QByteArray content = file.readAll();
    const std::string_view text(content.constData(), size_t(content.size()));

    size_t pos = 0;
    size_t lineNumber = 0;
    std::string_view line;
    auto damaged = [&](const std::string &what) {
        problem = "The learned tokens in \"" + bytes(path) + "\" are damaged (line "
                  + std::to_string(lineNumber) + ": " + what
                  + "); learning starts again from nothing";
        return TokenStore();
    };
    auto readLine = [&] {
        ++lineNumber;
        return nextLine(text, pos, line);
    };

    if (!readLine() || line != kTitle)
        return damaged("not a learned-token file");
    uint32_t spamTotal = 0;
    uint32_t goodTotal = 0;
    if (!readLine() || nextWord(line) != "messages" || !readNumber(nextWord(line), spamTotal)
        || !readNumber(line, goodTotal))
        return damaged("no message totals");

    uint32_t entries = 0;
    bool ended = false;
    while (readLine()) {
        const std::string_view kind = nextWord(line);
        if (kind == "end") {
            uint32_t expected = 0;
            if (!readNumber(line, expected) || expected != entries)
                return damaged("the file ends early");
            ended = true;
            break;
        }
        ++entries;
        if (kind == "m") {
            const std::string_view key = nextWord(line);
            if (key.empty() || !isSide(line))
                return damaged("a trained message without a key or side");
            const Judgement side = line == "s" ? Judgement::Spam : Judgement::Good;
            if (!store.m_messages.emplace(std::string(key), side).second)
                return damaged("a message trained twice");
            (side == Judgement::Spam ? store.m_spamMessages : store.m_goodMessages) += 1;
        } else if (kind == "t") {
            TokenCounts counts;
            if (!readNumber(nextWord(line), counts.spam) || !readNumber(nextWord(line), counts.good)
                || line.empty())
                return damaged("a token without its counts");
            if (counts.spam > spamTotal || counts.good > goodTotal)
                return damaged("a token counted in more messages than were trained");
            if (!store.m_tokens.emplace(std::string(line), counts).second)
                return damaged("a token listed twice");
        } else {
            return damaged("an unknown line");
        }
    }
    if (!ended)
        return damaged("the file ends early");
    if (pos < text.size())
        return damaged("lines after the end");
    if (store.m_spamMessages != spamTotal || store.m_goodMessages != goodTotal)
        return damaged("the message totals do not match the trained messages");
    return store;
}

FileResult TokenStore::save(const QString &path) const
{
    std::string out;
    out.reserve(64 + m_messages.size() * 24 + m_tokens.size() * 32);
    out.append(kTitle).append("\r\n");
    out += "messages " + std::to_string(m_spamMessages) + ' ' + std::to_string(m_goodMessages)
           + "\r\n";
    for (const auto &[key, side] : m_messages)
        out.append("m ").append(key).append(side == Judgement::Spam ? " s\r\n" : " g\r\n");
    for (const auto &[token, counts] : m_tokens) {
        // A message taken off with tokens read differently than when it was trained can leave a
        // count above its side's total; the file never says more than the totals allow.
        out += "t " + std::to_string(std::min(counts.spam, m_spamMessages)) + ' '
               + std::to_string(std::min(counts.good, m_goodMessages)) + ' ';
        out.append(token).append("\r\n");
    }
    out += "end " + std::to_string(m_messages.size() + m_tokens.size()) + "\r\n";
    return writeFileAtomically(path, out);
}

TokenStore::Change TokenStore::learn(const std::string &key, const std::vector<std::string> &tokens,
                                     Judgement side)
{
    const auto known = m_messages.find(key);
    Change change = Change::Added;
    if (known != m_messages.end()) {
        if (known->second == side)
            return Change::AlreadyKnown;
        count(tokens, known->second, -1);
        change = Change::Moved;
    }
    count(tokens, side, +1);
    m_messages[key] = side;
    return change;
}

bool TokenStore::unlearn(const std::string &key, const std::vector<std::string> &tokens)
{
    const auto known = m_messages.find(key);
    if (known == m_messages.end())
        return false;
    count(tokens, known->second, -1);
    m_messages.erase(known);
    return true;
}

const Judgement *TokenStore::judgementOf(const std::string &key) const
{
    const auto known = m_messages.find(key);
    return known == m_messages.end() ? nullptr : &known->second;
}

const TokenCounts *TokenStore::counts(std::string_view token) const
{
    const auto found = m_tokens.find(token);
    return found == m_tokens.end() ? nullptr : &found->second;
}

void TokenStore::forEachToken(
    const std::function<void(const std::string &, TokenCounts)> &visit) const
{
    for (const auto &[token, counts] : m_tokens)
        visit(token, counts);
}

void TokenStore::count(const std::vector<std::string> &tokens, Judgement side, int delta)
{
    ++m_generation;
    uint32_t &total = side == Judgement::Spam ? m_spamMessages : m_goodMessages;
    total = delta > 0 ? total + 1 : (total > 0 ? total - 1 : 0);
    for (const std::string &token : tokens) {
        if (delta > 0) {
            TokenCounts &counts = m_tokens[token];
            (side == Judgement::Spam ? counts.spam : counts.good) += 1;
            continue;
        }
        // Taking off a message whose tokens were read differently then (another version, a
        // verdict that changed) must not wrap a count below zero.
        const auto found = m_tokens.find(std::string_view(token));
        if (found == m_tokens.end())
            continue;
        uint32_t &n = side == Judgement::Spam ? found->second.spam : found->second.good;
        if (n > 0)
            --n;
        if (found->second.spam == 0 && found->second.good == 0)
            m_tokens.erase(found);
    }
}

}  // namespace kestrix

// The decoding of encoded header words as it was first written: up to 256 passes, each a full
// copy of the text. Kept only as the yardstick the linear decoder must agree with, byte for byte
// (the unit tests and the differential fuzz target compare the two).

#include "support/reference_word_decoding.h"

#include "text/header_decoding.h"
#include "text/latin1.h"

#include <algorithm>
#include <tuple>

namespace kestrix::reference {

namespace {

constexpr int kMaxPasses = 256;

void eraseBoth(std::string &lowered, std::string &text, size_t pos, size_t count)
{
    lowered.erase(pos, count);
    text.erase(pos, count);
}

// The span [begin, end) of the first "b"-form encoded word "=?charset?b?...?=" that starts at
// or after from, in the lower-cased text; end == begin when there is none.
std::pair<size_t, size_t> findBWord(const std::string &lowered, size_t from)
{
    while (true) {
        const size_t open = lowered.find("=?", from);
        if (open == std::string::npos)
            return {lowered.size(), lowered.size()};
        const size_t mark = lowered.find('?', open + 2);
        if (mark == std::string::npos)
            return {lowered.size(), lowered.size()};
        if (lowered.compare(mark, 3, "?b?") == 0) {
            const size_t close = lowered.find("?=", mark + 3);
            if (close != std::string::npos)
                return {open, close + 2};
        }
        from = open + 1;
    }
}

// Step 4 of a pass: every "=" that is not a delimiter becomes the byte its two following
// characters give. Rewrites both copies in one left-to-right sweep.
void decodeEscapes(std::string &lowered, std::string &text)
{
    if (lowered.find('=') == std::string::npos)
        return;
    std::string outLowered;
    std::string outText;
    outLowered.reserve(lowered.size());
    outText.reserve(text.size());

    auto [bBegin, bEnd] = findBWord(lowered, 0);
    const size_t n = lowered.size();
    size_t i = 0;
    // The last byte kept was a "?" of the text itself. A "?" that an escape (=3F) produced is
    // text, not a delimiter, so an escape right after it is still decoded.
    bool afterQuestionMark = false;
    while (i < n) {
        if (i == bBegin && bEnd > bBegin) {
            // A "b" word is not ours to decode: keep it as it stands.
            outLowered.append(lowered, bBegin, bEnd - bBegin);
            outText.append(text, bBegin, bEnd - bBegin);
            i = bEnd;
            afterQuestionMark = false;  // the word ends in "?="
            std::tie(bBegin, bEnd) = findBWord(lowered, i);
            continue;
        }
        if (i > bBegin)  // the b word search started before an escape swallowed its start
            std::tie(bBegin, bEnd) = findBWord(lowered, i);
        const char c = lowered[i];
        const bool delimiter = c == '=' && ((i + 1 < n && lowered[i + 1] == '?') || afterQuestionMark);
        if (c != '=' || delimiter) {
            outLowered.push_back(c);
            outText.push_back(text[i]);
            afterQuestionMark = c == '?';
            ++i;
            continue;
        }
        afterQuestionMark = false;
        // Missing characters at the end count as invalid digits (value 20).
        const int high = i + 1 < n ? hexDigitValue(lowered[i + 1]) : 20;
        const int low = i + 2 < n ? hexDigitValue(lowered[i + 2]) : 20;
        int value = (16 * high + low) % 256;
        if (value == '=')
            value = ' ';
        outLowered.push_back(char(value));
        outText.push_back(char(value));
        i = std::min(n, i + 3);
    }
    lowered.swap(outLowered);
    text.swap(outText);
}

// One pass of the decoding; returns false when it changed nothing (every later pass would
// change nothing either).
bool decodePass(std::string &lowered, std::string &text)
{
    const std::string lowerBefore = lowered;
    const std::string textBefore = text;

    // The word's opening is the last "=?" before its "?q?": text in front of it, a "b" word
    // or another "=?" included, stays. Its end is the first "?=" after that opening.
    const size_t q = lowered.find("?q?");
    const size_t open = q == 0 ? std::string::npos : lowered.rfind("=?", q - 1);
    size_t from = 0;
    if (open != std::string::npos) {
        eraseBoth(lowered, text, open, q + 3 - open);
        from = open;
    } else if (lowered.find("=?") == std::string::npos) {
        eraseBoth(lowered, text, 0, q + 3);  // everything up to and including "?q?"
    }
    // (An "=?" only after the "?q?" opens nothing: nothing is cut.)
    const size_t close = lowered.find("?=", from);
    if (close != std::string::npos)
        eraseBoth(lowered, text, close, 2);
    decodeEscapes(lowered, text);
    std::replace(text.begin(), text.end(), '_', ' ');

    return lowered != lowerBefore || text != textBefore;
}

}  // namespace

std::string decodeHeaderWordsByPasses(std::string_view input)
{
    std::string text;
    for (char c : input) {
        if (c != '"')
            text.push_back(c);
    }
    std::string lowered = lowerAZ(text);
    for (int pass = 0; pass < kMaxPasses && lowered.find("?q?") != std::string::npos; ++pass) {
        if (!decodePass(lowered, text))
            break;
    }
    return text;
}

}  // namespace kestrix::reference

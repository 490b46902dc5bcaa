#include "text/encoded_word_passes.h"

#include "text/header_decoding.h"
#include "text/latin1.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

// Each pass cuts one word's delimiters and then sweeps the text once, left to right, turning every
// "=" that is not a delimiter into the byte its two following characters give. A byte's fate in
// that sweep depends only on its neighbours: an "=" stays when a "?" follows it or when the byte
// before it is a "?" that stayed. So once a sweep is done, a later sweep can change bytes only
// next to a cut, and only those are swept again. A "b" word shields its inside from the sweep;
// its extent depends on text far away, so while a text holds a "?b?" every sweep covers it all.

namespace kestrix {

namespace {

constexpr int kMaxPasses = 256;
constexpr size_t kNone = size_t(-1);

// Positions of the bytes where a pattern starts, with the first one at or after and the last one
// before a position.
class PositionSet {
public:
    explicit PositionSet(size_t size) : words_(size / 64 + 1, 0) {}

    void assign(size_t i, bool on)
    {
        uint64_t &word = words_[i / 64];
        const uint64_t bit = uint64_t(1) << (i % 64);
        if (on && !(word & bit)) {
            word |= bit;
            ++count_;
        } else if (!on && (word & bit)) {
            word &= ~bit;
            --count_;
        }
    }
    bool contains(size_t i) const { return (words_[i / 64] >> (i % 64)) & 1; }
    bool empty() const { return count_ == 0; }

    size_t firstFrom(size_t from) const
    {
        size_t w = from / 64;
        if (w >= words_.size())
            return kNone;
        uint64_t bits = words_[w] & (~uint64_t(0) << (from % 64));
        while (bits == 0) {
            if (++w == words_.size())
                return kNone;
            bits = words_[w];
        }
        return w * 64 + size_t(std::countr_zero(bits));
    }

    size_t lastBefore(size_t before) const
    {
        if (before == 0)
            return kNone;
        size_t w = (before - 1) / 64;
        uint64_t bits = words_[w] & (~uint64_t(0) >> (63 - (before - 1) % 64));
        while (bits == 0) {
            if (w == 0)
                return kNone;
            bits = words_[--w];
        }
        return w * 64 + 63 - size_t(std::countl_zero(bits));
    }

private:
    std::vector<uint64_t> words_;
    size_t count_ = 0;
};

// The two working copies of the text (lower-cased for the searches, as received for the result)
// as one list of bytes. A byte keeps its first position as its name, so list order is the order
// of the names and "at or after" is a comparison of names. Index is the type the links are
// stored in (32 bits for every text of less than 4 GiB, which halves the memory).
template <typename Index>
class WordText {
public:
    explicit WordText(std::string text)
        : text_(std::move(text)), lowered_(lowerAZ(text_)), end_(text_.size()),
          next_(end_), prev_(end_), qWords_(end_), bWords_(end_), opens_(end_), closes_(end_),
          questionMarks_(end_)
    {
        for (size_t i = 0; i < end_; ++i) {
            next_[i] = Index(i + 1);
            prev_[i] = Index(i == 0 ? kNoLink : i - 1);
        }
        head_ = 0;
        for (size_t i = 0; i < end_; ++i) {
            const char c = lowered_[i];
            if (c != '?' && c != '=')
                continue;  // every pattern starts with one of these
            mark(i);
        }
    }

    bool hasQWord() const { return !qWords_.empty(); }

    std::string result() const
    {
        std::string out;
        for (size_t i = head_; i != end_; i = nextOf(i))
            out.push_back(text_[i]);
        return out;
    }

    // One pass; false when it changed nothing (so no later pass would either).
    bool pass()
    {
        std::vector<size_t> cutLefts;  // the byte before each cut, kNone for a cut at the start
        // The word's opening is the last "=?" before the first "?q?"; its end is the first "?="
        // after that opening. Without any "=?" everything up to the "?q?" goes.
        const size_t q = qWords_.firstFrom(0);
        const size_t open = opens_.lastBefore(q);
        size_t from = head_;
        if (open != kNone || opens_.empty()) {
            const size_t last = nextOf(nextOf(q));
            from = nextOf(last);
            cutLefts.push_back(cut(open != kNone ? open : head_, last));
        }
        const size_t close = from == end_ ? kNone : closes_.firstFrom(from);
        if (close != kNone)
            cutLefts.push_back(cut(close, nextOf(close)));

        const bool sweepAll = !bWords_.empty() || lastSweepSawBWords_;
        lastSweepSawBWords_ = !bWords_.empty();
        const bool swept = sweepAll ? sweepWholeText() : sweepAroundCuts(cutLefts);
        return !cutLefts.empty() || swept;
    }

private:
    size_t nextOf(size_t i) const { return next_[i]; }
    size_t prevOf(size_t i) const { return prev_[i] == kNoLink ? kNone : size_t(prev_[i]); }
    size_t after(size_t i) const { return i == end_ ? end_ : nextOf(i); }

    bool is(size_t i, char c) const { return i != end_ && lowered_[i] == c; }

    // Records which patterns start at byte i.
    void mark(size_t i)
    {
        if (i == kNone || i == end_)
            return;
        const size_t second = nextOf(i);
        const size_t third = after(second);
        const char c = lowered_[i];
        const bool threeWord = c == '?' && is(third, '?');
        qWords_.assign(i, threeWord && is(second, 'q'));
        bWords_.assign(i, threeWord && is(second, 'b'));
        opens_.assign(i, c == '=' && is(second, '?'));
        closes_.assign(i, c == '?' && is(second, '='));
        questionMarks_.assign(i, c == '?');
    }

    void unmark(size_t i)
    {
        qWords_.assign(i, false);
        bWords_.assign(i, false);
        opens_.assign(i, false);
        closes_.assign(i, false);
        questionMarks_.assign(i, false);
    }

    // The patterns that end at byte i (or just after it) start at i or up to two bytes before.
    void markAround(size_t i)
    {
        if (i == kNone)
            return;
        const size_t before = prevOf(i);
        if (before != kNone)
            mark(prevOf(before));
        mark(before);
        mark(i);
    }

    // Removes the bytes first..last; returns the byte before them (kNone at the start).
    size_t cut(size_t first, size_t last)
    {
        const size_t left = prevOf(first);
        const size_t right = nextOf(last);
        for (size_t i = first;; i = nextOf(i)) {
            unmark(i);
            if (i == last)
                break;
        }
        if (left == kNone)
            head_ = right;
        else
            next_[left] = Index(right);
        if (right != end_)
            prev_[right] = left == kNone ? kNoLink : Index(left);
        markAround(left);
        return left;
    }

    // One step of the escape sweep at byte i; returns the byte to go on with. kept says whether
    // the byte stayed as it was.
    size_t step(size_t i, bool &afterQuestionMark, bool &kept)
    {
        const char c = lowered_[i];
        const size_t second = nextOf(i);
        const bool delimiter = c == '=' && (is(second, '?') || afterQuestionMark);
        if (c != '=' || delimiter) {
            afterQuestionMark = c == '?';
            kept = true;
            return second;
        }
        kept = false;
        afterQuestionMark = false;
        // Missing characters at the end count as invalid digits (value 20).
        const size_t third = after(second);
        const int high = second != end_ ? hexDigitValue(lowered_[second]) : 20;
        const int low = third != end_ ? hexDigitValue(lowered_[third]) : 20;
        int value = (16 * high + low) % 256;
        if (value == '=')
            value = ' ';
        lowered_[i] = char(value);
        text_[i] = value == '_' ? ' ' : char(value);
        if (second != end_)
            cut(second, third != end_ ? third : second);
        markAround(i);
        return nextOf(i);
    }

    // The first "?=" at or after byte from. A sweep asks with ever later bytes, and the bytes
    // ahead of it do not change, so the last answer is reused while it still holds.
    size_t firstClose(size_t from)
    {
        if (!(closeCacheValid_ && from >= closeCacheFrom_ &&
              (closeCacheAnswer_ == kNone || from <= closeCacheAnswer_))) {
            closeCacheFrom_ = from;
            closeCacheAnswer_ = closes_.firstFrom(from);
            closeCacheValid_ = true;
        }
        return closeCacheAnswer_;
    }

    // The first "b" word "=?charset?b?...?=" that opens at or after byte from: its first byte and
    // the byte after it; {end, end} when there is none.
    std::pair<size_t, size_t> findBWord(size_t from)
    {
        while (from != end_) {
            const size_t open = opens_.firstFrom(from);
            if (open == kNone)
                break;
            const size_t charset = nextOf(nextOf(open));
            const size_t markAt = charset == end_ ? kNone : questionMarks_.firstFrom(charset);
            if (markAt == kNone)
                break;
            if (bWords_.contains(markAt)) {
                const size_t body = after(nextOf(nextOf(markAt)));
                const size_t close = body == end_ ? kNone : firstClose(body);
                // A later opening has its "?b?" no earlier, so it finds no "?=" either.
                if (close == kNone)
                    break;
                return {open, nextOf(nextOf(close))};
            }
            from = nextOf(open);
        }
        return {end_, end_};
    }

    // The sweep over every byte, "b" words kept as they stand; then every underscore of the
    // text becomes a blank.
    bool sweepWholeText()
    {
        closeCacheValid_ = false;
        bool changed = false;
        bool afterQuestionMark = false;
        auto [bBegin, bEnd] = findBWord(head_);
        size_t i = head_;
        while (i != end_) {
            if (i == bBegin && bEnd != bBegin) {
                i = bEnd;
                afterQuestionMark = false;  // the word ends in "?="
                std::tie(bBegin, bEnd) = findBWord(i);
                continue;
            }
            if (bBegin != end_ && i > bBegin)  // an escape swallowed the word's start
                std::tie(bBegin, bEnd) = findBWord(i);
            bool kept = true;
            i = step(i, afterQuestionMark, kept);
            changed = changed || !kept;
        }
        for (size_t j = head_; j != end_; j = nextOf(j)) {
            if (text_[j] == '_') {
                text_[j] = ' ';
                changed = true;
            }
        }
        return changed;
    }

    // The sweep where it can change something: from the byte before each cut until a byte past
    // the cut has stayed as it was; from there on the text is as the last sweep left it.
    bool sweepAroundCuts(std::vector<size_t> lefts)
    {
        auto rank = [this](size_t i) { return i == kNone ? -1 : i == end_ ? long(end_) : long(i); };
        std::sort(lefts.begin(), lefts.end(),
                  [&](size_t a, size_t b) { return rank(a) < rank(b); });
        bool changed = false;
        bool started = false;
        bool afterQuestionMark = false;
        size_t i = head_;
        long lastKept = -2;
        for (const size_t left : lefts) {
            if (started && rank(i) > rank(left) && lastKept > rank(left))
                continue;  // the sweep of an earlier cut has covered this one
            if (!started || rank(i) < rank(left)) {
                i = left == kNone ? head_ : left;
                afterQuestionMark = left != kNone && prevOf(left) != kNone && lowered_[prevOf(left)] == '?';
            }
            started = true;
            while (i != end_) {
                const size_t at = i;
                bool kept = true;
                i = step(i, afterQuestionMark, kept);
                if (!kept) {
                    changed = true;
                    continue;
                }
                lastKept = rank(at);
                if (lastKept > rank(left))
                    break;
            }
        }
        return changed;
    }

    std::string text_;
    std::string lowered_;
    const size_t end_;
    size_t head_ = 0;
    static constexpr Index kNoLink = Index(-1);
    std::vector<Index> next_;
    std::vector<Index> prev_;
    PositionSet qWords_;         // "?q?"
    PositionSet bWords_;         // "?b?"
    PositionSet opens_;          // "=?"
    PositionSet closes_;         // "?="
    PositionSet questionMarks_;  // "?"
    bool lastSweepSawBWords_ = true;  // the first sweep covers the whole text
    bool closeCacheValid_ = false;
    size_t closeCacheFrom_ = 0;
    size_t closeCacheAnswer_ = kNone;
};

template <typename Index>
std::string decodeAsList(std::string text)
{
    WordText<Index> words(std::move(text));
    for (int pass = 0; pass < kMaxPasses && words.hasQWord(); ++pass) {
        if (!words.pass())
            break;
    }
    return words.result();
}

}  // namespace

std::string decodeWordPasses(std::string text)
{
    if (findLowerAZ(text, "?q?") == std::string_view::npos)
        return text;
    if (text.size() < UINT32_MAX)
        return decodeAsList<uint32_t>(std::move(text));
    return decodeAsList<size_t>(std::move(text));
}

}  // namespace kestrix

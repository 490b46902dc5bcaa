#include "transport/ex_string_list.h"

#include "text/latin1.h"

#include <algorithm>
#include <iterator>

namespace kestrix {

namespace {

bool lessIgnoreCaseAZ(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(lowerAZ(a[i]));
        const auto cb = static_cast<unsigned char>(lowerAZ(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

std::string_view nameOf(std::string_view line)
{
    const std::size_t colon = line.find(':');
    return colon == std::string_view::npos ? line : line.substr(0, colon);
}

}  // namespace

void TExStringList::MoveLinesTo(std::vector<std::string> &out)
{
    out.insert(out.end(), std::make_move_iterator(lines_.begin()),
               std::make_move_iterator(lines_.end()));
    lines_.clear();
}

void TExStringList::Add(std::string line)
{
    if (!Sorted) {
        lines_.push_back(std::move(line));
        return;
    }
    auto at = std::upper_bound(lines_.begin(), lines_.end(), line,
                               [](const std::string &a, const std::string &b) { return lessIgnoreCaseAZ(a, b); });
    lines_.insert(at, std::move(line));
}

void TExStringList::Delete(std::size_t index)
{
    if (index < lines_.size())
        lines_.erase(lines_.begin() + std::ptrdiff_t(index));
}

int TExStringList::HeaderIndex(std::string_view name) const
{
    if (lines_.empty())
        return -1;
    if (Sorted) {
        int lo = 0;
        int hi = int(lines_.size()) - 1;
        int found = -1;
        while (lo <= hi) {
            const int probe = lo + (hi - lo) / 2;
            const std::string_view probeName = nameOf(lines_[std::size_t(probe)]);
            if (equalsIgnoreCaseAZ(probeName, name)) {
                found = probe;
                hi = probe - 1;  // keep looking left: the first match counts
            } else if (lessIgnoreCaseAZ(probeName, name)) {
                lo = probe + 1;
            } else {
                hi = probe - 1;
            }
        }
        return found;
    }
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string &line = lines_[i];
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        if (equalsIgnoreCaseAZ(std::string_view(line).substr(0, colon), name))
            return int(i);
    }
    return -1;
}

void TExStringList::SetHeader(std::string_view name, std::string_view value)
{
    const int index = HeaderIndex(name);
    if (value.empty()) {
        if (index >= 0)
            Delete(std::size_t(index));
        return;
    }
    std::string line = std::string(name) + ": " + std::string(value);
    if (index < 0) {
        Add(std::move(line));
    } else if (Sorted) {
        Delete(std::size_t(index));
        Add(std::move(line));
    } else {
        lines_[std::size_t(index)] = std::move(line);
    }
}

}  // namespace kestrix

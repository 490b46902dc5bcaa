#include "screening/attachment_scan.h"

#include "text/latin1.h"

#include <array>

namespace kestrix {

namespace {

constexpr std::array<std::string_view, 16> kDangerous = {
    ".exe", ".com", ".scr", ".dll", ".bat", ".sys",
    // What a Linux desktop runs or installs when the file is opened.
    ".sh", ".desktop", ".jar", ".appimage", ".run", ".deb", ".rpm", ".py", ".pl", ".bin",
};

}  // namespace

std::optional<std::string> extractedFileName(std::string_view line)
{
    constexpr std::string_view start = "File";
    constexpr std::string_view end = "extracted";
    if (line.size() < start.size() + end.size() || line.substr(0, start.size()) != start
        || line.substr(line.size() - end.size()) != end)
        return std::nullopt;
    std::string_view name = line;
    const std::size_t first = name.find('"');
    if (first == std::string_view::npos)
        return std::string(line);
    name.remove_prefix(first + 1);
    return std::string(name.substr(0, name.find('"')));
}

bool hasDangerousExtension(std::string_view names)
{
    const std::string lower = lowerAZ(names);
    for (const std::string_view extension : kDangerous) {
        if (lower.find(extension) != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace kestrix
